#pragma once

#include "testappdir.h"
#include "testserver.h"

#include <QString>

class Widget_Creation;
struct T_Book;

// A signed-in author for the tests that drive the main window: a fresh
// application folder and store, the companion server with the author
// signed up, the author's row in the store, the HTTP client pointed at the
// server and the themes' style sheets. The connection named "check" reads
// the store. Fields of the session's author and user set before start()
// are stored with the author.
class SignedInAuthor
{
public:
    SignedInAuthor(const QString &phone, const QString &uniqueCode);
    ~SignedInAuthor();
    SignedInAuthor(const SignedInAuthor &) = delete;
    SignedInAuthor &operator=(const SignedInAuthor &) = delete;

    // False (with a warning naming the step) when any step fails.
    bool start();
    // Closes the windows, the "check" connection and the folder.
    void finish();

    TestAppDir *app() const { return m_app; }
    TestServer &server() { return m_server; }
    const TestServer &server() const { return m_server; }
    QString token() const { return m_token; }
    qint64 uid() const { return m_uid; }
    // HTTP as another device of the same author, to see what the server holds.
    TestHttp api(const QString &uniqueCode) const;

    // A new book, once it and its first chapter are on the server and no
    // synchronisation runs.
    static T_Book *onlineBook(const QString &name);
    // The main window shown and active, the book open on the creation page.
    static Widget_Creation *openCreation(T_Book *book);
    // Runs the job queue until it is empty and no synchronisation runs.
    static bool replay();
    // Waits until the queue is empty and no synchronisation runs.
    static bool waitIdle();
    // The first column of the first row of `sql` on the "check" connection, or -1.
    static int value(const QString &sql);
    // The server stops (the machine is offline) and starts again on its data.
    bool goOffline();
    bool goOnline();

private:
    QString m_phone;
    QString m_uniqueCode;
    TestAppDir *m_app = nullptr;
    TestServer m_server;
    QString m_token;
    qint64 m_uid = 0;
};
