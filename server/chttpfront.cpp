#include "chttpfront.h"

#include <QDebug>

#include <openssl/err.h>
#include <openssl/ssl.h>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstring>

namespace {

constexpr int kMaxRequestsPerConnection = 1000;
constexpr int kWriteSeconds = 10;
// How often a waiting worker looks whether the server stops or others wait.
constexpr int kWaitSliceMs = 100;

qint64 nowMs()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// Waits for `events` on fd until `deadlineMs`; false on time-out or error.
bool waitFor(int fd, short events, qint64 deadlineMs)
{
    for (;;) {
        const qint64 left = deadlineMs - nowMs();
        if (left <= 0)
            return false;
        pollfd p{fd, events, 0};
        const int n = poll(&p, 1, static_cast<int>(qMin<qint64>(left, 1000)));
        if (n > 0)
            return (p.revents & (events | POLLHUP | POLLERR)) != 0;
        if (n < 0 && errno != EINTR)
            return false;
    }
}

void addressOf(const sockaddr_storage &addr, socklen_t length, std::string &ip, int &port)
{
    char host[NI_MAXHOST] = {};
    char service[NI_MAXSERV] = {};
    if (getnameinfo(reinterpret_cast<const sockaddr *>(&addr), length, host, sizeof host, service,
                    sizeof service, NI_NUMERICHOST | NI_NUMERICSERV) == 0) {
        ip = host;
        port = atoi(service);
    }
}

// One connection's bytes, plain or TLS, on a non-blocking socket. Reads are
// buffered and bounded by the deadline of the request under way: its head
// must be complete in time, and its body must keep coming at a minimum rate.
class CConnectionStream : public httplib::Stream
{
public:
    CConnectionStream(int fd, SSL *ssl, const T_ConnectionLimits &limits)
        : m_fd(fd), m_ssl(ssl), m_limits(limits)
    {
    }

    // Waits up to `ms` for the first byte of the next request; gives up early
    // when `giveUp` says so.
    bool waitForRequest(int ms, const std::function<bool()> &giveUp)
    {
        if (m_offset < m_length || (m_ssl && SSL_pending(m_ssl) > 0))
            return true;
        const qint64 deadline = nowMs() + ms;
        while (nowMs() < deadline) {
            if (waitFor(m_fd, POLLIN, qMin(deadline, nowMs() + kWaitSliceMs)))
                return fill(deadline) > 0;
            if (giveUp())
                return false;
        }
        return false;
    }

    void startRequest()
    {
        m_inHead = true;
        m_count = 0;
        m_deadline = nowMs() + m_limits.headSeconds * 1000LL;
    }

    void headDone()
    {
        m_inHead = false;
        m_count = 0;
        m_bodyStart = nowMs();
        m_deadline = m_bodyStart + m_limits.bodySeconds * 1000LL;
    }

    bool is_readable() const override { return m_offset < m_length || (m_ssl && SSL_pending(m_ssl) > 0); }

    bool is_writable() const override { return waitFor(m_fd, POLLOUT, nowMs() + kWriteSeconds * 1000LL); }

    // A read failed: too late, too much or a broken connection.
    bool failed() const { return m_failed; }

    ssize_t read(char *ptr, size_t size) override
    {
        if (m_offset >= m_length && fill(m_deadline) <= 0) {
            m_failed = true;
            return -1;
        }
        const size_t n = qMin(size, m_length - m_offset);
        memcpy(ptr, m_buffer + m_offset, n);
        m_offset += n;
        return static_cast<ssize_t>(n);
    }

    ssize_t write(const char *ptr, size_t size) override
    {
        const qint64 deadline = nowMs() + kWriteSeconds * 1000LL;
        for (;;) {
            if (m_ssl) {
                const int n = SSL_write(m_ssl, ptr, static_cast<int>(qMin<size_t>(size, 1 << 20)));
                if (n > 0)
                    return n;
                const int error = SSL_get_error(m_ssl, n);
                if (error != SSL_ERROR_WANT_WRITE && error != SSL_ERROR_WANT_READ)
                    return -1;
                if (!waitFor(m_fd, error == SSL_ERROR_WANT_READ ? POLLIN : POLLOUT, deadline))
                    return -1;
                continue;
            }
            const ssize_t n = send(m_fd, ptr, size, MSG_NOSIGNAL);
            if (n >= 0)
                return n;
            if ((errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) ||
                !waitFor(m_fd, POLLOUT, deadline))
                return -1;
        }
    }

    void get_remote_ip_and_port(std::string &ip, int &port) const override
    {
        sockaddr_storage addr{};
        socklen_t length = sizeof addr;
        if (getpeername(m_fd, reinterpret_cast<sockaddr *>(&addr), &length) == 0)
            addressOf(addr, length, ip, port);
    }

    void get_local_ip_and_port(std::string &ip, int &port) const override
    {
        sockaddr_storage addr{};
        socklen_t length = sizeof addr;
        if (getsockname(m_fd, reinterpret_cast<sockaddr *>(&addr), &length) == 0)
            addressOf(addr, length, ip, port);
    }

    socket_t socket() const override { return m_fd; }

private:
    // Reads what has arrived into the buffer, waiting until `deadline` at
    // most; the number of bytes, 0 at the end, -1 on failure or time-out.
    ssize_t fill(qint64 deadline)
    {
        m_offset = m_length = 0;
        const qint64 budget = m_inHead ? T_ConnectionLimits::kMaxHead - m_count
                                       : m_limits.maxBody + T_ConnectionLimits::kMaxHead - m_count;
        if (budget <= 0)
            return -1;
        const size_t want = static_cast<size_t>(qMin<qint64>(budget, sizeof m_buffer));
        for (;;) {
            ssize_t n = 0;
            short wait = POLLIN;
            if (m_ssl) {
                const int got = SSL_read(m_ssl, m_buffer, static_cast<int>(want));
                if (got > 0) {
                    n = got;
                } else {
                    const int error = SSL_get_error(m_ssl, got);
                    if (error == SSL_ERROR_ZERO_RETURN)
                        return 0;
                    if (error != SSL_ERROR_WANT_READ && error != SSL_ERROR_WANT_WRITE)
                        return -1;
                    wait = error == SSL_ERROR_WANT_WRITE ? POLLOUT : POLLIN;
                    n = -1;
                }
            } else {
                n = recv(m_fd, m_buffer, want, 0);
                if (n == 0)
                    return 0;
                if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)
                    return -1;
            }
            if (n > 0) {
                m_length = static_cast<size_t>(n);
                m_count += n;
                if (!m_inHead)
                    m_deadline = m_bodyStart + m_limits.bodySeconds * 1000LL +
                                 m_count * 1000 / T_ConnectionLimits::kBodyBytesPerSecond;
                return n;
            }
            if (!waitFor(m_fd, wait, deadline))
                return -1;
        }
    }

    int m_fd;
    SSL *m_ssl;
    const T_ConnectionLimits &m_limits;
    char m_buffer[16 * 1024];
    size_t m_offset = 0;
    size_t m_length = 0;
    bool m_inHead = true;
    qint64 m_count = 0;
    qint64 m_bodyStart = 0;
    qint64 m_deadline = 0;
    bool m_failed = false;
};

struct T_Current
{
    int fd = -1;
    bool closeAfter = false;
};

thread_local T_Current *t_current = nullptr;
const T_ConnectionLimits *g_limits = nullptr;

bool handshake(SSL *ssl, int fd, qint64 deadline)
{
    for (;;) {
        const int n = SSL_accept(ssl);
        if (n == 1)
            return true;
        const int error = SSL_get_error(ssl, n);
        if (error != SSL_ERROR_WANT_READ && error != SSL_ERROR_WANT_WRITE)
            return false;
        if (!waitFor(fd, error == SSL_ERROR_WANT_READ ? POLLIN : POLLOUT, deadline))
            return false;
    }
}

// A connection closed with bytes of a request still unread would be reset,
// and the client might lose the answer already written. Reading on for a
// moment lets the answer arrive.
void lingerBeforeClose(int fd)
{
    constexpr qint64 kLingerMs = 2000;
    ::shutdown(fd, SHUT_WR);
    const qint64 deadline = nowMs() + kLingerMs;
    char sink[16 * 1024];
    while (waitFor(fd, POLLIN, deadline)) {
        const ssize_t n = recv(fd, sink, sizeof sink, 0);
        if (n == 0 || (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR))
            break;
    }
}

} // namespace

CWorkerPool::CWorkerPool(int threads)
{
    for (int i = 0; i < threads; ++i)
        m_threads.emplace_back([this] { work(); });
}

CWorkerPool::~CWorkerPool()
{
    shutdown();
}

void CWorkerPool::enqueue(std::function<void()> fn)
{
    {
        std::lock_guard<std::mutex> guard(m_mutex);
        m_jobs.push_back(std::move(fn));
        ++m_waiting;
    }
    m_wake.notify_one();
}

void CWorkerPool::shutdown()
{
    {
        std::lock_guard<std::mutex> guard(m_mutex);
        if (m_stopping && m_threads.empty())
            return;
        m_stopping = true;
    }
    m_wake.notify_all();
    for (std::thread &t : m_threads)
        t.join();
    m_threads.clear();
}

void CWorkerPool::work()
{
    for (;;) {
        std::function<void()> job;
        {
            std::unique_lock<std::mutex> guard(m_mutex);
            m_wake.wait(guard, [this] { return m_stopping || !m_jobs.empty(); });
            if (m_jobs.empty())
                return;
            job = std::move(m_jobs.front());
            m_jobs.pop_front();
            --m_waiting;
        }
        job();
    }
}

CHttpFront::CHttpFront(int threads, const T_ConnectionLimits &limits, const QString &certFile,
                       const QString &keyFile)
    : m_limits(limits)
{
    g_limits = &m_limits;
    new_task_queue = [this, threads] {
        m_pool = new CWorkerPool(threads);
        return m_pool;
    };
    if (certFile.isEmpty())
        return;
    m_tls = SSL_CTX_new(TLS_server_method());
    m_valid = m_tls && SSL_CTX_set_min_proto_version(m_tls, TLS1_2_VERSION) == 1 &&
              SSL_CTX_use_certificate_chain_file(m_tls, certFile.toLocal8Bit().constData()) == 1 &&
              SSL_CTX_use_PrivateKey_file(m_tls, keyFile.toLocal8Bit().constData(), SSL_FILETYPE_PEM) == 1 &&
              SSL_CTX_check_private_key(m_tls) == 1;
    if (!m_valid)
        qWarning() << "TLS setup failed:" << ERR_error_string(ERR_get_error(), nullptr);
}

CHttpFront::~CHttpFront()
{
    if (m_tls)
        SSL_CTX_free(m_tls);
}

bool CHttpFront::is_valid() const
{
    return m_valid;
}

int CHttpFront::currentSocket()
{
    return t_current ? t_current->fd : -1;
}

void CHttpFront::closeAfterAnswer(httplib::Response &res)
{
    if (t_current)
        t_current->closeAfter = true;
    res.set_header("Connection", "close");
}

const T_ConnectionLimits &CHttpFront::limits()
{
    static const T_ConnectionLimits defaults;
    return g_limits ? *g_limits : defaults;
}

bool CHttpFront::admit(const QString &address)
{
    std::lock_guard<std::mutex> guard(m_addressMutex);
    int &count = m_perAddress[address];
    if (count >= m_limits.perAddress) {
        if (count == 0)
            m_perAddress.remove(address);
        return false;
    }
    ++count;
    return true;
}

void CHttpFront::release(const QString &address)
{
    std::lock_guard<std::mutex> guard(m_addressMutex);
    const auto it = m_perAddress.find(address);
    if (it != m_perAddress.end() && --it.value() <= 0)
        m_perAddress.erase(it);
}

bool CHttpFront::process_and_close_socket(socket_t sock)
{
    sockaddr_storage peer{};
    socklen_t peerLength = sizeof peer;
    std::string ip;
    int port = 0;
    if (getpeername(sock, reinterpret_cast<sockaddr *>(&peer), &peerLength) == 0)
        addressOf(peer, peerLength, ip, port);
    const QString address = QString::fromStdString(ip);
    bool served = false;
    if (admit(address)) {
        fcntl(sock, F_SETFL, fcntl(sock, F_GETFL, 0) | O_NONBLOCK);
        SSL *ssl = nullptr;
        bool ready = true;
        if (m_tls) {
            ssl = SSL_new(m_tls);
            ready = ssl && SSL_set_fd(ssl, sock) == 1 &&
                    handshake(ssl, sock, nowMs() + m_limits.headSeconds * 1000LL);
        }
        if (ready) {
            CConnectionStream stream(sock, ssl, m_limits);
            T_Current current;
            current.fd = sock;
            t_current = &current;
            const auto stopping = [this] { return svr_sock_ == INVALID_SOCKET; };
            for (int count = 0; count < kMaxRequestsPerConnection && !stopping(); ++count) {
                // A connection that has been served gives way at once when
                // others wait for a worker.
                const auto giveUp = [&] {
                    return stopping() || (count > 0 && m_pool && m_pool->waiting() > 0);
                };
                const int waitSeconds = count == 0 ? m_limits.headSeconds : m_limits.idleSeconds;
                if (!stream.waitForRequest(waitSeconds * 1000, giveUp))
                    break;
                stream.startRequest();
                const bool last = count + 1 == kMaxRequestsPerConnection || (m_pool && m_pool->waiting() > 0);
                bool closed = false;
                current.closeAfter = false;
                const bool ok = process_request(stream, last, closed,
                                                [&stream](httplib::Request &) { stream.headDone(); });
                served = true;
                if (!ok || closed || last || current.closeAfter || stream.failed())
                    break;
            }
            t_current = nullptr;
            if (current.closeAfter && !ssl)
                lingerBeforeClose(sock);
        }
        if (ssl) {
            SSL_shutdown(ssl);
            SSL_free(ssl);
        }
        release(address);
    }
    ::shutdown(sock, SHUT_RDWR);
    ::close(sock);
    return served;
}
