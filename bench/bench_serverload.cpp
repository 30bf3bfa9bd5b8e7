// Load on the companion server over loopback: requests per second, p50 and
// p99 of a chapter read and of a 5,000-character save at 1, 16, 64 and 256
// kept-alive connections from eight addresses (127.0.0.2–127.0.0.9), then
// the answer time of a normal read while 64 slow connections from four
// addresses trickle request heads and bodies. The load average stands
// beside each figure. Started by bench/bench_server.sh; the argument is
// the seconds per case (default 5).
#include "testserver.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QUrl>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

struct T_Author
{
    QString token;
    qint64 book = 0;
    qint64 chapter = 0;
};

QString loadAverage()
{
    QFile f(QStringLiteral("/proc/loadavg"));
    return f.open(QIODevice::ReadOnly) ? QString::fromLatin1(f.readAll()).section(' ', 0, 2)
                                       : QStringLiteral("?");
}

int connectFrom(const char *from, int port)
{
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in local{};
    local.sin_family = AF_INET;
    inet_pton(AF_INET, from, &local.sin_addr);
    sockaddr_in remote{};
    remote.sin_family = AF_INET;
    remote.sin_port = htons(static_cast<uint16_t>(port));
    inet_pton(AF_INET, "127.0.0.1", &remote.sin_addr);
    timeval timeout{30, 0};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    const int on = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    if (bind(fd, reinterpret_cast<sockaddr *>(&local), sizeof local) != 0 ||
        connect(fd, reinterpret_cast<sockaddr *>(&remote), sizeof remote) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

// Sends one request and reads its answer; false when the connection broke.
// `kept` is false when the server closes after the answer.
bool exchange(int fd, const std::string &request, bool &ok, bool &kept)
{
    if (send(fd, request.data(), request.size(), MSG_NOSIGNAL) != static_cast<ssize_t>(request.size()))
        return false;
    std::string in;
    char buffer[64 * 1024];
    size_t headEnd = std::string::npos;
    size_t length = 0;
    for (;;) {
        const ssize_t n = recv(fd, buffer, sizeof buffer, 0);
        if (n <= 0)
            return false;
        in.append(buffer, static_cast<size_t>(n));
        if (headEnd == std::string::npos) {
            headEnd = in.find("\r\n\r\n");
            if (headEnd == std::string::npos)
                continue;
            const size_t at = in.find("Content-Length: ");
            length = at < headEnd ? std::stoul(in.substr(at + 16)) : 0;
        }
        if (in.size() >= headEnd + 4 + length)
            break;
    }
    ok = in.compare(0, 12, "HTTP/1.1 200") == 0 && in.find("\"code\":200", headEnd) != std::string::npos;
    kept = in.find("Connection: close") > headEnd;
    return true;
}

struct T_Result
{
    std::vector<double> ms;
    int failed = 0;
    int connections = 0;
    int neverConnected = 0;
};

// `connections` clients, each from one of eight addresses, sending the
// requests `make` builds as fast as answers come, for `seconds`.
T_Result run(int port, int connections, int seconds, const std::function<std::string(int, int)> &make)
{
    T_Result result;
    std::mutex mutex;
    const auto end = Clock::now() + std::chrono::seconds(seconds);
    std::vector<std::thread> threads;
    for (int c = 0; c < connections; ++c) {
        threads.emplace_back([&, c] {
            const std::string from = "127.0.0." + std::to_string(2 + c % 8);
            std::vector<double> mine;
            int failed = 0;
            int fd = connectFrom(from.c_str(), port);
            const bool connected = fd >= 0;
            for (int n = 0; fd >= 0 && Clock::now() < end; ++n) {
                const auto start = Clock::now();
                bool ok = false, kept = false;
                if (!exchange(fd, make(c, n), ok, kept)) {
                    ++failed;
                    close(fd);
                    fd = connectFrom(from.c_str(), port);
                    continue;
                }
                mine.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
                failed += !ok;
                if (!kept) {
                    close(fd);
                    fd = connectFrom(from.c_str(), port);
                }
            }
            if (fd >= 0)
                close(fd);
            std::lock_guard<std::mutex> guard(mutex);
            result.ms.insert(result.ms.end(), mine.begin(), mine.end());
            result.failed += failed;
            result.connections += connected && !mine.empty();
            result.neverConnected += !connected;
        });
    }
    for (std::thread &t : threads)
        t.join();
    std::sort(result.ms.begin(), result.ms.end());
    return result;
}

double percentile(const std::vector<double> &sorted, double p)
{
    if (sorted.empty())
        return 0;
    return sorted[std::min(sorted.size() - 1, static_cast<size_t>(p * static_cast<double>(sorted.size())))];
}

void print(const char *what, int connections, int seconds, const T_Result &r)
{
    printf("%-6s %3d connections: %7.0f requests/s  p50 %7.2f ms  p99 %7.2f ms  served %d/%d  failed %d"
           "  (load %s)\n",
           what, connections, static_cast<double>(r.ms.size()) / seconds, percentile(r.ms, 0.5),
           percentile(r.ms, 0.99), r.connections, connections, r.failed, qPrintable(loadAverage()));
    fflush(stdout);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int seconds = argc > 1 ? std::max(1, atoi(argv[1])) : 5;
    // Started here rather than by the tests' fixture: its console (a line per
    // request) goes to a file, where nobody has to keep reading it.
    QTemporaryDir dir;
    QProcess server;
    server.setProcessChannelMode(QProcess::MergedChannels);
    server.setStandardOutputFile(dir.filePath("server.log"));
    const QString portFile = dir.filePath("port");
    server.start(QStringLiteral(QUORVIN_SERVER_BIN),
                 {"--listen", "127.0.0.1", "--port", "0", "--port-file", portFile, "--data",
                  dir.filePath("data"), "--dev", "--sms-code", TestServer::kSmsCode});
    int port = 0;
    for (int i = 0; i < 200 && port <= 0 && server.waitForStarted(5000); ++i) {
        QFile f(portFile);
        if (f.open(QIODevice::ReadOnly))
            port = f.readAll().trimmed().toInt();
        if (port <= 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    if (port <= 0) {
        fprintf(stderr, "the server did not start\n");
        return 1;
    }
    const QString baseUrl = QStringLiteral("http://127.0.0.1:%1").arg(port);
    const QString password = QStringLiteral("25d55ad283aa400af464c76d713c07ad");
    QString text;
    const QString line = QStringLiteral("夜色如墨，长街尽头的灯笼在风里摇晃，他握紧了手中的剑。\n");
    while (text.size() < 5000)
        text += line;
    text.truncate(5000);
    const std::string content = QUrl::toPercentEncoding(text).toStdString();
    std::vector<T_Author> authors;
    for (int i = 0; i < 8; ++i) {
        T_Author a;
        const QString phone = QStringLiteral("1350000%1").arg(i, 4, 10, QLatin1Char('0'));
        TestHttp h(baseUrl);
        h.post("/author/sendCode", {{"phone", phone}});
        h.post("/author/register",
               {{"phone", phone}, {"code", TestServer::kSmsCode}, {"password", password}});
        a.token = h.post("/author/login", {{"phone", phone}, {"password", password}})
                      .object()
                      .value("token")
                      .toString();
        if (a.token.isEmpty()) {
            fprintf(stderr, "sign-up failed\n");
            return 1;
        }
        h.setToken(a.token);
        a.book = h.post("/books/addBook", {{"book_name", QStringLiteral("压测%1").arg(i)}, {"local_id", "1"}})
                     .object()
                     .value("book_id")
                     .toInt();
        a.chapter = h.post("/chapter/createChapter", {{"book_id", QString::number(a.book)},
                                                      {"local_id", "1"},
                                                      {"chapter_name", "第1章"},
                                                      {"order_num", "1"}})
                        .object()
                        .value("chapter_id")
                        .toInt();
        h.post("/chapter/editChapter", {{"book_id", QString::number(a.book)},
                                        {"chapter_id", QString::number(a.chapter)},
                                        {"content", text}});
        authors.push_back(a);
    }
    printf("bench_server: %d s per case, 8 authors, chapters of 5,000 characters\n", seconds);
    const auto read = [&](int c, int) {
        const T_Author &a = authors[static_cast<size_t>(c % 8)];
        return "GET /chapter/chapter?book_id=" + std::to_string(a.book) +
               "&chapter_id=" + std::to_string(a.chapter) +
               " HTTP/1.1\r\nHost: 127.0.0.1\r\ntoken: " + a.token.toStdString() + "\r\n\r\n";
    };
    const auto save = [&](int c, int n) {
        const T_Author &a = authors[static_cast<size_t>(c % 8)];
        const std::string body = "book_id=" + std::to_string(a.book) +
                                 "&chapter_id=" + std::to_string(a.chapter) +
                                 "&update_time=" + std::to_string(1700000000 + n) + "&content=" + content;
        return "POST /chapter/editChapter HTTP/1.1\r\nHost: 127.0.0.1\r\ntoken: " + a.token.toStdString() +
               "\r\nContent-Type: application/x-www-form-urlencoded\r\nContent-Length: " +
               std::to_string(body.size()) + "\r\n\r\n" + body;
    };
    for (const int connections : {1, 16, 64, 256})
        print("read", connections, seconds, run(port, connections, seconds, read));
    for (const int connections : {1, 16, 64, 256})
        print("save", connections, seconds, run(port, connections, seconds, save));

    // 64 slow connections from four addresses: idle ones, heads and bodies
    // trickled a few bytes at a time.
    std::atomic<bool> stop{false};
    std::vector<int> slow;
    for (int i = 0; i < 64; ++i) {
        const std::string from = "127.0.0." + std::to_string(2 + i % 4);
        const int fd = connectFrom(from.c_str(), port);
        if (fd < 0)
            continue;
        if (i % 3 == 1)
            send(fd, "GET /books/booksList HTTP/1.1\r\n", 31, MSG_NOSIGNAL);
        else if (i % 3 == 2) {
            const std::string head =
                "POST /author/login HTTP/1.1\r\nHost: x\r\nContent-Length: 1000000\r\n\r\n";
            send(fd, head.data(), head.size(), MSG_NOSIGNAL);
        }
        slow.push_back(fd);
    }
    std::thread trickle([&] {
        while (!stop) {
            for (size_t i = 0; i < slow.size(); ++i) {
                if (i % 3 == 1)
                    send(slow[i], "X-A: 1\r\n", 8, MSG_NOSIGNAL | MSG_DONTWAIT);
                else if (i % 3 == 2)
                    send(slow[i], "aaaaaaaa", 8, MSG_NOSIGNAL | MSG_DONTWAIT);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
        }
    });
    std::this_thread::sleep_for(std::chrono::seconds(1));
    std::vector<double> normal;
    for (int i = 0; i < 20; ++i) {
        const int fd = connectFrom("127.0.0.1", port);
        const auto start = Clock::now();
        bool ok = false, kept = false;
        if (fd >= 0 && exchange(fd, read(0, 0), ok, kept) && ok)
            normal.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        if (fd >= 0)
            close(fd);
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    stop = true;
    trickle.join();
    std::sort(normal.begin(), normal.end());
    printf("beside %zu slow connections from 4 addresses: a normal read answered %zu/20, p50 %.2f ms, "
           "slowest %.2f ms  (load %s)\n",
           slow.size(), normal.size(), percentile(normal, 0.5), normal.empty() ? 0.0 : normal.back(),
           qPrintable(loadAverage()));
    for (const int fd : slow)
        close(fd);

    // 45 bodies of 16 MB shaped to make a parser allocate per piece, from
    // three addresses at once, beside a normal read.
    const qint64 pid = server.processId();
    const auto residentMb = [pid](const char *field) {
        QFile f(QStringLiteral("/proc/%1/status").arg(pid));
        if (!f.open(QIODevice::ReadOnly))
            return -1LL;
        for (const QByteArray &line : f.readAll().split('\n')) {
            if (line.startsWith(QByteArray(field) + ':'))
                return line.mid(static_cast<int>(strlen(field)) + 1)
                           .trimmed()
                           .split(' ')
                           .value(0)
                           .toLongLong() /
                       1024;
        }
        return -1LL;
    };
    {
        // The peak so far is that of the load above: start a fresh one.
        QFile clear(QStringLiteral("/proc/%1/clear_refs").arg(pid));
        if (clear.open(QIODevice::WriteOnly))
            clear.write("5");
    }
    const long long before = residentMb("VmRSS");
    std::string hostile = "phone=1";
    while (hostile.size() + 2 <= (16u << 20))
        hostile += "&a";
    const std::string hostileHead =
        "POST /author/login HTTP/1.1\r\nHost: x\r\nContent-Length: " + std::to_string(hostile.size()) +
        "\r\n\r\n";
    std::vector<std::thread> attackers;
    for (int i = 0; i < 45; ++i) {
        attackers.emplace_back([&, i] {
            const std::string from = "127.0.0." + std::to_string(2 + i % 3);
            const int fd = connectFrom(from.c_str(), port);
            if (fd < 0)
                return;
            send(fd, hostileHead.data(), hostileHead.size(), MSG_NOSIGNAL);
            send(fd, hostile.data(), hostile.size(), MSG_NOSIGNAL);
            char sink[4096];
            while (recv(fd, sink, sizeof sink, 0) > 0) {
            }
            close(fd);
        });
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    double during = -1;
    {
        const int fd = connectFrom("127.0.0.1", port);
        const auto start = Clock::now();
        bool ok = false, kept = false;
        if (fd >= 0 && exchange(fd, read(0, 0), ok, kept) && ok)
            during = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        if (fd >= 0)
            close(fd);
    }
    for (std::thread &t : attackers)
        t.join();
    std::this_thread::sleep_for(std::chrono::seconds(3));
    printf("45 hostile 16 MB bodies from 3 addresses: resident %lld MB before, peak %lld MB, %lld MB after; "
           "a normal read meanwhile %.2f ms  (load %s)\n",
           before, residentMb("VmHWM"), residentMb("VmRSS"), during, qPrintable(loadAverage()));
    server.terminate();
    server.waitForFinished(5000);
    return 0;
}
