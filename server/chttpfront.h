#pragma once

#include <httplib.h>

#include <QString>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

typedef struct ssl_ctx_st SSL_CTX;

// Limits on what one connection may hold.
struct T_ConnectionLimits
{
    int headSeconds = 10;            // from the first byte of a request to the end of its head
    int bodySeconds = 30;            // for the body, plus one second per kBodyBytesPerSecond received
    int idleSeconds = 5;             // between two requests on one connection
    int perAddress = 64;             // connections at once from one client address, not counting those served
    int total = 8192;                // connections at once, not counting those served
    qint64 maxBody = 16 << 20;       // bytes of a request body
    qint64 bodyMemory = 128LL << 20; // bytes of request bodies held at once
    static constexpr qint64 kBodyBytesPerSecond = 16 * 1024;
    static constexpr qint64 kMaxHead = 64 * 1024;
};

// The worker threads that answer requests read in full.
class CWorkerPool
{
public:
    explicit CWorkerPool(int threads);
    ~CWorkerPool();

    void enqueue(std::function<void()> fn);
    // Runs what is queued, then ends the threads.
    void shutdown();
    int waiting() const { return m_waiting.load(); }

private:
    void work();

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<std::function<void()>> m_jobs;
    std::vector<std::thread> m_threads;
    std::atomic<int> m_waiting{0};
    bool m_stopping = false;
};

// What the reader knows of a request once its head is in.
struct T_RequestHead
{
    std::string method;
    std::string target;
    httplib::Headers headers;
};

class CConnectionReader;
struct T_Connection;

// The HTTP server with our own connection handling (plain or TLS). One
// reader thread holds every connection that is not being answered: it
// reads each request's head and body under deadlines (a few seconds for
// the head, a minimum rate for the body) and hands a worker only a
// request read in full. Slow or idle clients therefore hold no worker. It
// also frames every request itself: a body is read whole or the
// connection closed, and a request whose length is told ambiguously is
// never read past its head.
class CHttpFront : public httplib::Server
{
public:
    // Empty certificate and key: plain HTTP.
    CHttpFront(int threads, const T_ConnectionLimits &limits, const QString &certFile,
               const QString &keyFile);
    ~CHttpFront() override;

    bool is_valid() const override;
    // After binding: the length of the kernel's queue of connections not
    // yet accepted (capped by the system's own maximum).
    bool setBacklog(int backlog);
    // Whether the body of a request may be read (the head is known): a
    // body nobody will read is not buffered, and the connection closes
    // after the answer. Without it every body is read.
    void setBodyFilter(std::function<bool(const T_RequestHead &)> filter);
    // Serves until stop(); then closes every connection and ends the
    // workers once the requests under way are answered.
    bool serve();

    // The socket of the connection the calling worker serves, or -1.
    static int currentSocket();
    // The connection the calling worker serves is closed after this answer
    // (a body left unread, for one).
    static void closeAfterAnswer(httplib::Response &res);
    // In the post-routing handler: one "Connection: close" on an answer
    // after which the connection closes (the library and a handler may
    // each have added one).
    static void tidyConnectionHeader(httplib::Response &res);
    // The limits of the running server.
    static const T_ConnectionLimits &limits();
    // Bytes of request bodies held right now.
    static qint64 bodiesHeld();

private:
    friend class CConnectionReader;
    bool process_and_close_socket(socket_t sock) override;
    // On a worker: answers one request read in full, then hands the
    // connection back to the reader.
    void answerOn(T_Connection *c, std::string request);

    T_ConnectionLimits m_limits;
    std::unique_ptr<CWorkerPool> m_workers;
    std::unique_ptr<CConnectionReader> m_reader;
    SSL_CTX *m_tls = nullptr;
    bool m_valid = true;
};
