#pragma once

#include <QString>

// Command-line settings of one server run.
struct T_ServerOptions
{
    QString listen = QStringLiteral("127.0.0.1");
    int port = 0; // 0: the system picks a free port
    QString portFile;
    QString dataDir;
    bool dev = false;
    QString smsCode;  // fixed SMS code for tests; empty: random codes
    int smsTtl = 600; // seconds an SMS code stays valid
    QString certFile;
    QString keyFile;
    int threads = 48;
    qint64 maxBody = 16 * 1024 * 1024;
    int requestTimeout = 10;      // seconds for a request head; a body gets this plus time by its size
    int idleTimeout = 5;          // seconds a connection may wait for its next request
    int maxPerAddress = 64;       // connections at once from one client address, not counting those served
    int loginPerAccount = 5;      // failed sign-ins per account within 15 minutes
    int loginPerAddress = 100;    // failed sign-ins per client address within 15 minutes
    qint64 sessionIdle = 2592000; // seconds a token may go unused (30 days)
    QString smsCommand;           // runs for each SMS code outside development mode
    int maxDevices = 20;          // active client codes per author
    QString publicUrl;            // scheme://host[:port] clients reach us at; empty: the listening address
    int backlog = 4096;           // connections the kernel queues before we accept them
    qint64 bodyMemory = 128LL * 1024 * 1024; // bytes of request bodies in flight at once
    int smsPerAddress = 10;                  // SMS codes per client address an hour; 0: no limit
    int smsPerHour = 1000;                   // SMS codes an hour in all; 0: no limit
};

// Process-wide access to the options for the handlers.
const T_ServerOptions &serverOptions();
void setServerOptions(const T_ServerOptions &options);
