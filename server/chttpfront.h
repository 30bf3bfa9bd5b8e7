#pragma once

#include <httplib.h>

#include <QHash>
#include <QString>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

typedef struct ssl_ctx_st SSL_CTX;

// Limits on what one connection may hold.
struct T_ConnectionLimits
{
    int headSeconds = 10;      // from the first byte of a request to the end of its head
    int bodySeconds = 30;      // for the body, plus one second per kBodyBytesPerSecond received
    int idleSeconds = 5;       // between two requests on one connection
    int perAddress = 16;       // connections at once from one client address
    qint64 maxBody = 16 << 20; // bytes of a request body
    static constexpr qint64 kBodyBytesPerSecond = 16 * 1024;
    static constexpr qint64 kMaxHead = 64 * 1024;
};

// The worker threads. Knows how many accepted connections wait for one, so
// that a connection that could be kept open is closed instead while others
// wait.
class CWorkerPool : public httplib::TaskQueue
{
public:
    explicit CWorkerPool(int threads);
    ~CWorkerPool() override;

    void enqueue(std::function<void()> fn) override;
    void shutdown() override;
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

// The HTTP server with our own connection handling (plain or TLS): a
// deadline for each request head and body, a short idle time between
// requests, a cap on connections per client address, and no connection
// kept open while others wait for a worker.
class CHttpFront : public httplib::Server
{
public:
    // Empty certificate and key: plain HTTP.
    CHttpFront(int threads, const T_ConnectionLimits &limits, const QString &certFile,
               const QString &keyFile);
    ~CHttpFront() override;

    bool is_valid() const override;

    // The socket of the connection the calling worker serves, or -1.
    static int currentSocket();
    // The connection the calling worker serves is closed after this answer
    // (a body left unread, for one).
    static void closeAfterAnswer(httplib::Response &res);
    // The limits of the running server.
    static const T_ConnectionLimits &limits();

private:
    bool process_and_close_socket(socket_t sock) override;
    bool admit(const QString &address);
    void release(const QString &address);

    T_ConnectionLimits m_limits;
    CWorkerPool *m_pool = nullptr; // owned by the library once handed over
    SSL_CTX *m_tls = nullptr;
    bool m_valid = true;
    std::mutex m_addressMutex;
    QHash<QString, int> m_perAddress;
};
