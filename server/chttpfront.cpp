#include "chttpfront.h"

#include <QDateTime>
#include <QDebug>
#include <QHash>
#include <QJsonDocument>
#include <QJsonObject>

#include <openssl/err.h>
#include <openssl/ssl.h>

#include <arpa/inet.h>
#include <fcntl.h>
#include <malloc.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <unordered_map>

namespace {

constexpr int kMaxRequestsPerConnection = 1000;
constexpr int kWriteSeconds = 10;
constexpr qint64 kLingerMs = 2000;
// How often the reader looks at its deadlines when nothing happens.
constexpr int kTickMs = 100;
// Bytes read from a connection in one go, and in one round of the reader.
constexpr size_t kReadChunk = 64 * 1024;
constexpr size_t kRoundBytes = 256 * 1024;

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

#if defined(TCP_QUICKACK)
// A client that writes the request head and its body in pieces (Qt does)
// holds each piece back until the one before is acknowledged, and Linux
// delays acknowledgements by 40 ms on a connection that has answered before.
// Acknowledging at once whenever a piece has been read lets the rest follow.
void acknowledgeAtOnce(int fd)
{
    const int on = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_QUICKACK, &on, sizeof on);
}
#else
void acknowledgeAtOnce(int) {}
#endif

// Writes all of `data` to a non-blocking connection, waiting up to the
// write deadline for room; the number of bytes written or -1.
ssize_t writeAll(int fd, SSL *ssl, const char *data, size_t size)
{
    const qint64 deadline = nowMs() + kWriteSeconds * 1000LL;
    for (;;) {
        if (ssl) {
            const int n = SSL_write(ssl, data, static_cast<int>(qMin<size_t>(size, 1 << 20)));
            if (n > 0)
                return n;
            const int error = SSL_get_error(ssl, n);
            if (error != SSL_ERROR_WANT_WRITE && error != SSL_ERROR_WANT_READ)
                return -1;
            if (!waitFor(fd, error == SSL_ERROR_WANT_READ ? POLLIN : POLLOUT, deadline))
                return -1;
            continue;
        }
        const ssize_t n = send(fd, data, size, MSG_NOSIGNAL);
        if (n >= 0)
            return n;
        if ((errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) || !waitFor(fd, POLLOUT, deadline))
            return -1;
    }
}

// One request read in full, handed to httplib as its stream; the answer
// goes straight to the connection.
class CRequestStream : public httplib::Stream
{
public:
    CRequestStream(int fd, SSL *ssl, std::string request)
        : m_fd(fd), m_ssl(ssl), m_request(std::move(request))
    {
    }

    bool is_readable() const override { return m_offset < m_request.size(); }
    bool is_writable() const override { return waitFor(m_fd, POLLOUT, nowMs() + kWriteSeconds * 1000LL); }

    ssize_t read(char *ptr, size_t size) override
    {
        if (m_offset >= m_request.size())
            return -1;
        const size_t n = qMin(size, m_request.size() - m_offset);
        memcpy(ptr, m_request.data() + m_offset, n);
        m_offset += n;
        return static_cast<ssize_t>(n);
    }

    ssize_t write(const char *ptr, size_t size) override { return writeAll(m_fd, m_ssl, ptr, size); }

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
    int m_fd;
    SSL *m_ssl;
    std::string m_request;
    size_t m_offset = 0;
};

struct T_Current
{
    int fd = -1;
    bool closeAfter = false;
};

thread_local T_Current *t_current = nullptr;
const T_ConnectionLimits *g_limits = nullptr;
std::atomic<qint64> g_bodiesHeld{0};

// A share of the memory for request bodies, taken before a body is read.
bool takeBodyShare(qint64 bytes, qint64 cap)
{
    qint64 held = g_bodiesHeld.load();
    do {
        if (held + bytes > cap)
            return false;
    } while (!g_bodiesHeld.compare_exchange_weak(held, held + bytes));
    return true;
}

void giveBodyShare(qint64 bytes)
{
    if (bytes <= 0)
        return;
    g_bodiesHeld -= bytes;
    // Large bodies leave large free blocks: hand them back to the system
    // rather than keep the peak for the life of the process.
    if (bytes >= (1 << 20))
        malloc_trim(0);
}

// An answer the reader gives by itself, before any worker sees the
// request; the connection closes after it.
std::string cannedAnswer(int status, const char *reason, int code, const QString &msg, bool retry)
{
    const QJsonObject o{{"code", code},
                        {"msg", msg},
                        {"server_time", QDateTime::currentSecsSinceEpoch()},
                        {"userdata", QString()},
                        {"content", QJsonObject()}};
    const QByteArray body = QJsonDocument(o).toJson(QJsonDocument::Compact);
    QByteArray head = "HTTP/1.1 " + QByteArray::number(status) + ' ' + reason +
                      "\r\nContent-Type: application/json; charset=utf-8\r\nContent-Length: " +
                      QByteArray::number(body.size()) +
                      "\r\nConnection: close\r\nX-Content-Type-Options: nosniff\r\n";
    if (retry)
        head += "Retry-After: 2\r\n";
    return (head + "\r\n" + body).toStdString();
}

bool sameText(const std::string &a, const char *b)
{
    return strcasecmp(a.c_str(), b) == 0;
}

std::string trimmed(const std::string &s)
{
    size_t begin = 0, end = s.size();
    while (begin < end && (s[begin] == ' ' || s[begin] == '\t'))
        ++begin;
    while (end > begin && (s[end - 1] == ' ' || s[end - 1] == '\t'))
        --end;
    return s.substr(begin, end - begin);
}

} // namespace

// ---------------------------------------------------------------------------

struct T_Connection
{
    enum Phase
    {
        Handshake, // TLS handshake under way
        Waiting,   // for the first byte of a request
        Head,      // reading the request head
        Body,      // reading a body of known length
        Chunked,   // reading a chunked body
        Served,    // a worker has the request
        Lingering, // answered and closing: what still comes is read and dropped
    };
    int fd = -1;
    SSL *ssl = nullptr;
    QString address;
    Phase phase = Waiting;
    qint64 deadline = 0;
    qint64 bodyStart = 0;
    std::string in;        // bytes read and not yet handed on
    size_t headEnd = 0;    // end of the head within `in`
    qint64 bodyLength = 0; // of a body of known length
    std::string head;      // the head as handed to the worker (chunked bodies)
    std::string body;      // a chunked body, decoded
    size_t chunkPos = 0;   // next byte of `in` the chunk decoder looks at
    qint64 chunkLeft = -1; // bytes of the current chunk still due; -1: a size line is due
    bool trailers = false; // the last chunk came; its trailers end the body
    qint64 share = 0;      // bytes of the body memory taken
    int served = 0;        // requests answered
    bool closeAfter = false;
    bool counted = false; // counted against its address
};

// The reader: one thread, one epoll set, every connection no worker holds.
class CConnectionReader
{
public:
    CConnectionReader(CHttpFront &front, const T_ConnectionLimits &limits, SSL_CTX *tls)
        : m_front(front), m_limits(limits), m_tls(tls)
    {
        m_epoll = epoll_create1(EPOLL_CLOEXEC);
        m_wake = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
        epoll_event ev{};
        ev.events = EPOLLIN;
        ev.data.fd = m_wake;
        epoll_ctl(m_epoll, EPOLL_CTL_ADD, m_wake, &ev);
        m_thread = std::thread([this] { run(); });
    }

    ~CConnectionReader() { stop(); }

    void setBodyFilter(std::function<bool(const T_RequestHead &)> filter) { m_filter = std::move(filter); }

    // From the accept loop.
    void adopt(int fd)
    {
        sockaddr_storage peer{};
        socklen_t peerLength = sizeof peer;
        std::string ip;
        int port = 0;
        if (getpeername(fd, reinterpret_cast<sockaddr *>(&peer), &peerLength) == 0)
            addressOf(peer, peerLength, ip, port);
        auto *c = new T_Connection;
        c->fd = fd;
        c->address = QString::fromStdString(ip);
        fcntl(fd, F_SETFL, fcntl(fd, F_GETFL, 0) | O_NONBLOCK);
        hand(c);
    }

    // From a worker once its answer is out, or from adopt().
    void hand(T_Connection *c)
    {
        {
            std::lock_guard<std::mutex> guard(m_mutex);
            m_incoming.push_back(c);
        }
        const uint64_t one = 1;
        (void)!::write(m_wake, &one, sizeof one);
    }

    void stop()
    {
        if (!m_thread.joinable())
            return;
        m_stopping = true;
        const uint64_t one = 1;
        (void)!::write(m_wake, &one, sizeof one);
        m_thread.join();
        std::lock_guard<std::mutex> guard(m_mutex);
        for (T_Connection *c : m_incoming)
            destroy(c);
        m_incoming.clear();
        ::close(m_epoll);
        ::close(m_wake);
    }

    bool stopping() const { return m_stopping; }

private:
    void run()
    {
        std::vector<epoll_event> events(256);
        while (!m_stopping) {
            const int n = epoll_wait(m_epoll, events.data(), static_cast<int>(events.size()), kTickMs);
            for (int i = 0; i < n; ++i) {
                const int fd = events[i].data.fd;
                if (fd == m_wake) {
                    uint64_t count = 0;
                    (void)!::read(m_wake, &count, sizeof count);
                    continue;
                }
                // An earlier event of this round may have closed it.
                const auto it = m_held.find(fd);
                if (it != m_held.end())
                    onReadable(it->second);
            }
            takeIncoming();
            expire();
        }
        for (auto &entry : m_held)
            destroy(entry.second);
        m_held.clear();
    }

    void takeIncoming()
    {
        std::vector<T_Connection *> incoming;
        {
            std::lock_guard<std::mutex> guard(m_mutex);
            incoming.swap(m_incoming);
        }
        for (T_Connection *c : incoming) {
            if (c->phase == T_Connection::Served)
                returned(c);
            else
                admit(c);
        }
    }

    // A new connection: refused (closed at once) past the caps.
    void admit(T_Connection *c)
    {
        int &count = m_perAddress[c->address];
        if (count >= m_limits.perAddress || static_cast<int>(m_held.size()) >= m_limits.total) {
            if (count == 0)
                m_perAddress.remove(c->address);
            c->counted = false;
            destroy(c);
            return;
        }
        ++count;
        c->counted = true;
        if (m_tls) {
            c->ssl = SSL_new(m_tls);
            if (!c->ssl || SSL_set_fd(c->ssl, c->fd) != 1) {
                destroy(c);
                return;
            }
            c->phase = T_Connection::Handshake;
        } else {
            c->phase = T_Connection::Waiting;
        }
        c->deadline = nowMs() + m_limits.headSeconds * 1000LL;
        watch(c, EPOLL_CTL_ADD);
        onReadable(c);
    }

    // A connection a worker has answered on.
    void returned(T_Connection *c)
    {
        giveBodyShare(c->share);
        c->share = 0;
        c->head.clear();
        c->body.clear();
        ++c->served;
        ++m_perAddress[c->address];
        c->counted = true;
        c->in.shrink_to_fit();
        if (c->closeAfter || m_stopping) {
            linger(c);
            return;
        }
        c->phase = T_Connection::Waiting;
        c->deadline = nowMs() + m_limits.idleSeconds * 1000LL;
        watch(c, EPOLL_CTL_ADD);
        // A pipelined request may be in already.
        if (!c->in.empty())
            progress(c);
    }

    void watch(T_Connection *c, int op)
    {
        epoll_event ev{};
        ev.events = EPOLLIN;
        ev.data.fd = c->fd;
        if (op == EPOLL_CTL_ADD)
            m_held[c->fd] = c;
        epoll_ctl(m_epoll, op, c->fd, &ev);
    }

    void unwatch(T_Connection *c)
    {
        epoll_ctl(m_epoll, EPOLL_CTL_DEL, c->fd, nullptr);
        m_held.erase(c->fd);
    }

    // A connection a worker serves does not count against its address.
    void uncount(T_Connection *c)
    {
        if (!c->counted)
            return;
        const auto it = m_perAddress.find(c->address);
        if (it != m_perAddress.end() && --it.value() <= 0)
            m_perAddress.erase(it);
        c->counted = false;
    }

    void destroy(T_Connection *c)
    {
        uncount(c);
        giveBodyShare(c->share);
        if (c->ssl) {
            SSL_shutdown(c->ssl);
            SSL_free(c->ssl);
        }
        ::shutdown(c->fd, SHUT_RDWR);
        ::close(c->fd);
        delete c;
    }

    // Closes at once, or after a last answer of the reader's own.
    void drop(T_Connection *c, bool held = true, const std::string &answer = std::string())
    {
        if (held)
            unwatch(c);
        if (!answer.empty()) {
            size_t done = 0;
            while (done < answer.size()) {
                const ssize_t n =
                    c->ssl ? SSL_write(c->ssl, answer.data() + done, static_cast<int>(answer.size() - done))
                           : send(c->fd, answer.data() + done, answer.size() - done,
                                  MSG_NOSIGNAL | MSG_DONTWAIT);
                if (n <= 0)
                    break;
                done += static_cast<size_t>(n);
            }
            giveBodyShare(c->share);
            c->share = 0;
            linger(c);
            return;
        }
        destroy(c);
    }

    // Answered and closing: a client still sending would get a reset and
    // might lose the answer; what it sends is read and dropped for a moment.
    void linger(T_Connection *c)
    {
        c->phase = T_Connection::Lingering;
        c->in.clear();
        c->in.shrink_to_fit();
        c->deadline = nowMs() + kLingerMs;
        if (!c->ssl)
            ::shutdown(c->fd, SHUT_WR);
        watch(c, m_held.count(c->fd) ? EPOLL_CTL_MOD : EPOLL_CTL_ADD);
    }

    void expire()
    {
        const qint64 now = nowMs();
        std::vector<T_Connection *> late;
        for (auto &entry : m_held) {
            if (entry.second->deadline <= now)
                late.push_back(entry.second);
        }
        for (T_Connection *c : late)
            drop(c);
    }

    enum ReadState
    {
        Read_Failed,
        Read_End, // the client will send no more
        Read_Ok,
    };

    // Reads what has arrived.
    ReadState readIn(T_Connection *c)
    {
        const size_t cap = c->phase == T_Connection::Body
                               ? c->headEnd + static_cast<size_t>(c->bodyLength)
                               : (c->phase == T_Connection::Chunked
                                      ? c->chunkPos + static_cast<size_t>(T_ConnectionLimits::kMaxHead)
                                      : static_cast<size_t>(T_ConnectionLimits::kMaxHead) + 1);
        char buffer[kReadChunk];
        // A fast sender gets a share of the reader, not all of it: what is
        // left is read on the next round. (TLS reads on until the record
        // layer is empty, since the poll cannot see what it holds.)
        size_t budget = kRoundBytes;
        for (;;) {
            const size_t room = cap > c->in.size() ? qMin(cap - c->in.size(), sizeof buffer) : 0;
            if (room == 0 || (!c->ssl && budget == 0))
                return Read_Ok; // the rest waits until this much is handed on
            ssize_t n = 0;
            if (c->ssl) {
                const int got = SSL_read(c->ssl, buffer, static_cast<int>(room));
                if (got <= 0) {
                    const int error = SSL_get_error(c->ssl, got);
                    if (error == SSL_ERROR_ZERO_RETURN)
                        return Read_End;
                    return error == SSL_ERROR_WANT_READ || error == SSL_ERROR_WANT_WRITE ? Read_Ok
                                                                                         : Read_Failed;
                }
                n = got;
            } else {
                n = recv(c->fd, buffer, room, 0);
                if (n == 0)
                    return Read_End;
                if (n < 0)
                    return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR ? Read_Ok : Read_Failed;
            }
            c->in.append(buffer, static_cast<size_t>(n));
            budget -= qMin(budget, static_cast<size_t>(n));
            acknowledgeAtOnce(c->fd);
        }
    }

    void onReadable(T_Connection *c)
    {
        if (c->phase == T_Connection::Handshake) {
            const int n = SSL_accept(c->ssl);
            if (n != 1) {
                const int error = SSL_get_error(c->ssl, n);
                if (error != SSL_ERROR_WANT_READ && error != SSL_ERROR_WANT_WRITE)
                    drop(c);
                return;
            }
            c->phase = T_Connection::Waiting;
        }
        if (c->phase == T_Connection::Lingering) {
            char sink[16 * 1024];
            for (int round = 0; round < 16 || c->ssl; ++round) {
                const ssize_t n =
                    c->ssl ? SSL_read(c->ssl, sink, sizeof sink) : recv(c->fd, sink, sizeof sink, 0);
                if (n > 0)
                    continue;
                if (n == 0 || (!c->ssl && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) ||
                    (c->ssl && SSL_get_error(c->ssl, static_cast<int>(n)) != SSL_ERROR_WANT_READ))
                    drop(c);
                return;
            }
            return;
        }
        const ReadState read = readIn(c);
        if (read == Read_Failed) {
            drop(c);
            return;
        }
        // A request sent in full before the client closed its side is
        // still answered, on a connection that closes afterwards.
        if (read == Read_End)
            c->closeAfter = true;
        progress(c);
        if (read == Read_End && c->phase != T_Connection::Served)
            drop(c);
    }

    // Moves a connection on with what it has read.
    void progress(T_Connection *c)
    {
        if (c->phase == T_Connection::Waiting) {
            // Blank lines before a request are allowed and skipped.
            size_t skip = 0;
            while (skip < c->in.size() && (c->in[skip] == '\r' || c->in[skip] == '\n'))
                ++skip;
            c->in.erase(0, skip);
            if (c->in.empty())
                return;
            c->phase = T_Connection::Head;
            c->deadline = nowMs() + m_limits.headSeconds * 1000LL;
        }
        if (c->phase == T_Connection::Head) {
            const size_t end = c->in.find("\r\n\r\n");
            if (end == std::string::npos) {
                if (c->in.size() > static_cast<size_t>(T_ConnectionLimits::kMaxHead))
                    drop(c, true,
                         cannedAnswer(431, "Request Header Fields Too Large", 431,
                                      QStringLiteral("请求头过长"), false));
                return;
            }
            if (end + 4 > static_cast<size_t>(T_ConnectionLimits::kMaxHead)) {
                drop(c, true,
                     cannedAnswer(431, "Request Header Fields Too Large", 431, QStringLiteral("请求头过长"),
                                  false));
                return;
            }
            c->headEnd = end + 4;
            startBody(c);
            if (c->phase != T_Connection::Body && c->phase != T_Connection::Chunked)
                return;
        }
        if (c->phase == T_Connection::Body) {
            if (c->in.size() < c->headEnd + static_cast<size_t>(c->bodyLength))
                return extendBodyDeadline(c, static_cast<qint64>(c->in.size() - c->headEnd));
            const size_t length = c->headEnd + static_cast<size_t>(c->bodyLength);
            std::string request;
            if (c->in.size() == length) {
                request.swap(c->in); // no copy of a large body
            } else {
                request = c->in.substr(0, length);
                c->in.erase(0, length);
            }
            return dispatch(c, std::move(request));
        }
        if (c->phase == T_Connection::Chunked)
            decodeChunks(c);
    }

    // The head is in: decides how the body is read, if at all.
    void startBody(T_Connection *c)
    {
        T_RequestHead head;
        std::vector<std::string> lengths, codings;
        bool expectContinue = false;
        size_t lineStart = c->in.find("\r\n");
        const std::string requestLine = c->in.substr(0, lineStart);
        const size_t sp1 = requestLine.find(' ');
        const size_t sp2 = sp1 == std::string::npos ? std::string::npos : requestLine.find(' ', sp1 + 1);
        if (sp2 == std::string::npos) {
            drop(c, true, cannedAnswer(400, "Bad Request", 400, QStringLiteral("请求格式错误"), false));
            return;
        }
        head.method = requestLine.substr(0, sp1);
        head.target = requestLine.substr(sp1 + 1, sp2 - sp1 - 1);
        lineStart += 2;
        while (lineStart < c->headEnd - 2) {
            const size_t lineEnd = c->in.find("\r\n", lineStart);
            const std::string line = c->in.substr(lineStart, lineEnd - lineStart);
            lineStart = lineEnd + 2;
            const size_t colon = line.find(':');
            if (colon == std::string::npos)
                continue;
            const std::string key = trimmed(line.substr(0, colon));
            const std::string value = trimmed(line.substr(colon + 1));
            if (sameText(key, "Content-Length"))
                lengths.push_back(value);
            else if (sameText(key, "Transfer-Encoding"))
                codings.push_back(value);
            else if (sameText(key, "Expect") && sameText(value, "100-continue"))
                expectContinue = true;
            head.headers.emplace(key, value);
        }
        const std::string headText = c->in.substr(0, c->headEnd);
        // Told two ways, or by a coding we do not read: the worker refuses
        // it from the head alone, and the connection closes.
        const bool ambiguous = (!codings.empty() && (!lengths.empty() || codings.size() > 1 ||
                                                     !sameText(codings.front(), "chunked"))) ||
                               lengths.size() > 1;
        qint64 length = 0;
        if (!ambiguous && !lengths.empty()) {
            const std::string &text = lengths.front();
            if (text.empty() || text.size() > 18 ||
                text.find_first_not_of("0123456789") != std::string::npos) {
                drop(c, true, cannedAnswer(400, "Bad Request", 400, QStringLiteral("请求格式错误"), false));
                return;
            }
            length = std::stoll(text);
        }
        const bool chunked = !ambiguous && !codings.empty();
        if (!ambiguous && !chunked && length == 0) {
            c->in.erase(0, c->headEnd);
            return dispatch(c, headText);
        }
        const bool wanted = !ambiguous && (!m_filter || m_filter(head)) && length <= m_limits.maxBody;
        if (!wanted) {
            // Answered from the head; the body is never read.
            c->in.clear();
            c->closeAfter = true;
            return dispatch(c, headText);
        }
        const qint64 share = chunked ? 0 : length;
        if (!takeBodyShare(share, m_limits.bodyMemory)) {
            drop(c, true,
                 cannedAnswer(503, "Service Unavailable", 503, QStringLiteral("服务器繁忙，请稍后再试"),
                              true));
            return;
        }
        c->share = share;
        if (expectContinue) {
            static const char kContinue[] = "HTTP/1.1 100 Continue\r\n\r\n";
            if (c->ssl)
                SSL_write(c->ssl, kContinue, sizeof kContinue - 1);
            else
                send(c->fd, kContinue, sizeof kContinue - 1, MSG_NOSIGNAL | MSG_DONTWAIT);
        }
        c->bodyStart = nowMs();
        if (chunked) {
            c->phase = T_Connection::Chunked;
            c->head = withoutFraming(headText);
            c->chunkPos = c->headEnd;
            c->chunkLeft = -1;
            c->trailers = false;
            c->body.clear();
        } else {
            c->phase = T_Connection::Body;
            c->bodyLength = length;
            c->in.reserve(c->headEnd + static_cast<size_t>(length));
            if (expectContinue)
                c->head = withoutFraming(headText);
        }
        extendBodyDeadline(c, 0);
    }

    // The head without Transfer-Encoding and Expect, which the reader has
    // dealt with; the worker sees a body of known length.
    static std::string withoutFraming(const std::string &head)
    {
        std::string out;
        size_t pos = 0;
        while (pos < head.size()) {
            size_t end = head.find("\r\n", pos);
            if (end == std::string::npos)
                end = head.size();
            const std::string line = head.substr(pos, end - pos);
            pos = end + 2;
            if (line.empty())
                break;
            const size_t colon = line.find(':');
            const std::string key =
                colon == std::string::npos ? std::string() : trimmed(line.substr(0, colon));
            if (sameText(key, "Transfer-Encoding") || sameText(key, "Expect") ||
                sameText(key, "Content-Length"))
                continue;
            out += line + "\r\n";
        }
        return out;
    }

    void extendBodyDeadline(T_Connection *c, qint64 received)
    {
        c->deadline = c->bodyStart + m_limits.bodySeconds * 1000LL +
                      received * 1000 / T_ConnectionLimits::kBodyBytesPerSecond;
    }

    void decodeChunks(T_Connection *c)
    {
        for (;;) {
            if (c->chunkLeft > 0) {
                const size_t have = c->in.size() - c->chunkPos;
                const size_t take =
                    static_cast<size_t>(qMin<qint64>(c->chunkLeft, static_cast<qint64>(have)));
                if (take == 0)
                    break;
                c->body.append(c->in, c->chunkPos, take);
                c->chunkPos += take;
                c->chunkLeft -= static_cast<qint64>(take);
                if (c->chunkLeft > 0)
                    break;
                c->chunkLeft = -2; // the CRLF after the data is due
            }
            const size_t eol = c->in.find("\r\n", c->chunkPos);
            if (eol == std::string::npos) {
                if (c->in.size() - c->chunkPos > 1024)
                    return drop(c, true,
                                cannedAnswer(400, "Bad Request", 400, QStringLiteral("请求格式错误"), false));
                break;
            }
            const std::string line = c->in.substr(c->chunkPos, eol - c->chunkPos);
            c->chunkPos = eol + 2;
            if (c->chunkLeft == -2) {
                if (!line.empty())
                    return drop(c, true,
                                cannedAnswer(400, "Bad Request", 400, QStringLiteral("请求格式错误"), false));
                c->chunkLeft = -1;
                continue;
            }
            if (c->trailers) {
                if (!line.empty())
                    continue;
                // The body is complete.
                std::string request =
                    c->head + "Content-Length: " + std::to_string(c->body.size()) + "\r\n\r\n";
                request += c->body;
                c->in.erase(0, c->chunkPos);
                c->body.clear();
                return dispatch(c, std::move(request));
            }
            const std::string size = trimmed(line.substr(0, line.find(';')));
            if (size.empty() || size.size() > 8 ||
                size.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
                return drop(c, true,
                            cannedAnswer(400, "Bad Request", 400, QStringLiteral("请求格式错误"), false));
            const qint64 chunk = std::stoll(size, nullptr, 16);
            if (chunk == 0) {
                c->trailers = true;
                continue;
            }
            const qint64 total = static_cast<qint64>(c->body.size()) + chunk;
            if (total > m_limits.maxBody)
                return drop(c, true,
                            cannedAnswer(413, "Payload Too Large", 413,
                                         QStringLiteral("请求内容过大，服务器无法接收"), false));
            if (!takeBodyShare(chunk, m_limits.bodyMemory))
                return drop(c, true,
                            cannedAnswer(503, "Service Unavailable", 503,
                                         QStringLiteral("服务器繁忙，请稍后再试"), true));
            c->share += chunk;
            c->chunkLeft = chunk;
        }
        // What was decoded is dropped from the read buffer as it goes.
        c->in.erase(0, c->chunkPos);
        c->chunkPos = 0;
        extendBodyDeadline(c, static_cast<qint64>(c->body.size()));
    }

    // A request read in full goes to a worker; the reader lets go of the
    // connection until the answer is out.
    void dispatch(T_Connection *c, std::string request)
    {
        if (c->phase == T_Connection::Body && !c->head.empty()) {
            // An "Expect" line was taken out: the worker must not answer it.
            std::string rewritten = c->head + "Content-Length: " + std::to_string(c->bodyLength) + "\r\n\r\n";
            rewritten.append(request, c->headEnd, std::string::npos);
            request.swap(rewritten);
        }
        unwatch(c);
        uncount(c);
        c->phase = T_Connection::Served;
        c->deadline = 0;
        CHttpFront &front = m_front;
        front.m_workers->enqueue(
            [&front, c, request = std::move(request)]() mutable { front.answerOn(c, std::move(request)); });
    }

    CHttpFront &m_front;
    const T_ConnectionLimits &m_limits;
    SSL_CTX *m_tls;
    std::function<bool(const T_RequestHead &)> m_filter;
    int m_epoll = -1;
    int m_wake = -1;
    std::thread m_thread;
    std::atomic<bool> m_stopping{false};
    std::mutex m_mutex;
    std::vector<T_Connection *> m_incoming;
    std::unordered_map<int, T_Connection *> m_held; // by socket: what the reader watches
    QHash<QString, int> m_perAddress;
};

// ---------------------------------------------------------------------------

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

namespace {

// The accept loop hands each new connection to the reader at once; it
// never waits for anything.
class CHandOver : public httplib::TaskQueue
{
public:
    void enqueue(std::function<void()> fn) override { fn(); }
    void shutdown() override {}
};

} // namespace

CHttpFront::CHttpFront(int threads, const T_ConnectionLimits &limits, const QString &certFile,
                       const QString &keyFile)
    : m_limits(limits)
{
    g_limits = &m_limits;
    new_task_queue = [] { return new CHandOver; };
    m_workers = std::make_unique<CWorkerPool>(threads);
    if (!certFile.isEmpty()) {
        m_tls = SSL_CTX_new(TLS_server_method());
        m_valid =
            m_tls && SSL_CTX_set_min_proto_version(m_tls, TLS1_2_VERSION) == 1 &&
            SSL_CTX_use_certificate_chain_file(m_tls, certFile.toLocal8Bit().constData()) == 1 &&
            SSL_CTX_use_PrivateKey_file(m_tls, keyFile.toLocal8Bit().constData(), SSL_FILETYPE_PEM) == 1 &&
            SSL_CTX_check_private_key(m_tls) == 1;
        if (!m_valid)
            qWarning() << "TLS setup failed:" << ERR_error_string(ERR_get_error(), nullptr);
    }
    m_reader = std::make_unique<CConnectionReader>(*this, m_limits, m_valid ? m_tls : nullptr);
}

CHttpFront::~CHttpFront()
{
    m_reader->stop();
    m_workers->shutdown();
    m_reader.reset();
    if (m_tls)
        SSL_CTX_free(m_tls);
}

bool CHttpFront::is_valid() const
{
    return m_valid;
}

bool CHttpFront::setBacklog(int backlog)
{
    const socket_t sock = svr_sock_;
    if (sock == INVALID_SOCKET || ::listen(sock, backlog) != 0) {
        qWarning() << "cannot set the listen backlog:" << strerror(errno);
        return false;
    }
    return true;
}

void CHttpFront::setBodyFilter(std::function<bool(const T_RequestHead &)> filter)
{
    m_reader->setBodyFilter(std::move(filter));
}

bool CHttpFront::serve()
{
    const bool served = listen_after_bind();
    // Requests under way are answered; then every connection closes.
    m_workers->shutdown();
    m_reader->stop();
    return served;
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

void CHttpFront::tidyConnectionHeader(httplib::Response &res)
{
    if (!t_current)
        return;
    if (res.get_header_value_count("Connection") > 1 ||
        (t_current->closeAfter && !res.has_header("Connection"))) {
        res.headers.erase("Connection");
        res.set_header("Connection", "close");
    }
}

const T_ConnectionLimits &CHttpFront::limits()
{
    static const T_ConnectionLimits defaults;
    return g_limits ? *g_limits : defaults;
}

qint64 CHttpFront::bodiesHeld()
{
    return g_bodiesHeld.load();
}

bool CHttpFront::process_and_close_socket(socket_t sock)
{
    m_reader->adopt(sock);
    return true;
}

void CHttpFront::answerOn(T_Connection *c, std::string request)
{
    CRequestStream stream(c->fd, c->ssl, std::move(request));
    T_Current current;
    current.fd = c->fd;
    current.closeAfter = c->closeAfter;
    const bool last = c->closeAfter || c->served + 1 >= kMaxRequestsPerConnection || m_reader->stopping();
    t_current = &current;
    bool closed = false;
    const bool ok = process_request(stream, last, closed, [](httplib::Request &) {});
    t_current = nullptr;
    c->closeAfter = !ok || closed || last || current.closeAfter;
    m_reader->hand(c);
}
