// quorvin-server: the companion server of the writing client.
#include "capiserver.h"
#include "cchangefeed.h"
#include "ccrypto.h"
#include "cloginguard.h"
#include "cserveroptions.h"
#include "csessions.h"
#include "cstore.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QSaveFile>
#include <QUrl>

#include <csignal>
#include <sys/socket.h>
#include <thread>

namespace {

T_ServerOptions g_options;

bool parseOptions(const QCoreApplication &app, T_ServerOptions &out)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Companion server of the Quorvin writing client"));
    parser.addHelpOption();
    const QCommandLineOption listen(QStringLiteral("listen"), QStringLiteral("Address to listen on."),
                                    QStringLiteral("ADDR"), QStringLiteral("127.0.0.1"));
    const QCommandLineOption port(QStringLiteral("port"), QStringLiteral("Port; 0 picks a free one."),
                                  QStringLiteral("N"), QStringLiteral("0"));
    const QCommandLineOption portFile(QStringLiteral("port-file"),
                                      QStringLiteral("Write the port here once listening."),
                                      QStringLiteral("PATH"));
    const QCommandLineOption data(QStringLiteral("data"),
                                  QStringLiteral("Data folder (created when missing)."),
                                  QStringLiteral("DIR"), QStringLiteral("server-data"));
    const QCommandLineOption dev(QStringLiteral("dev"),
                                 QStringLiteral("Development mode: SMS codes on the console, "
                                                "WeChat QR pages confirmed by a button."));
    const QCommandLineOption sms(QStringLiteral("sms-code"), QStringLiteral("Fixed SMS code (tests)."),
                                 QStringLiteral("CODE"));
    const QCommandLineOption smsTtl(QStringLiteral("sms-ttl"),
                                    QStringLiteral("Seconds an SMS code stays valid."),
                                    QStringLiteral("SECONDS"), QStringLiteral("600"));
    const QCommandLineOption cert(QStringLiteral("cert"), QStringLiteral("TLS certificate (PEM)."),
                                  QStringLiteral("FILE"));
    const QCommandLineOption key(QStringLiteral("key"), QStringLiteral("TLS private key (PEM)."),
                                 QStringLiteral("FILE"));
    const QCommandLineOption threads(QStringLiteral("threads"), QStringLiteral("Worker threads."),
                                     QStringLiteral("N"), QStringLiteral("48"));
    const QCommandLineOption requestTimeout(
        QStringLiteral("request-timeout"),
        QStringLiteral("Seconds a client has to send a request head (a body gets as long again, plus a "
                       "second per 16 KB)."),
        QStringLiteral("SECONDS"), QStringLiteral("10"));
    const QCommandLineOption idleTimeout(QStringLiteral("idle-timeout"),
                                         QStringLiteral("Seconds a connection stays open between requests."),
                                         QStringLiteral("SECONDS"), QStringLiteral("5"));
    const QCommandLineOption perAddress(
        QStringLiteral("max-per-address"),
        QStringLiteral("Connections at once from one client address (those being "
                       "answered not counted)."),
        QStringLiteral("N"), QStringLiteral("64"));
    const QCommandLineOption loginLimits(
        QStringLiteral("login-limits"),
        QStringLiteral("Failed sign-ins within 15 minutes per account from one client address, and per "
                       "client address over all accounts, before that address is refused for a while."),
        QStringLiteral("ACCOUNT,ADDRESS"), QStringLiteral("5,100"));
    const QCommandLineOption sessionIdle(QStringLiteral("session-idle"),
                                         QStringLiteral("Seconds a sign-in may go unused before it ends."),
                                         QStringLiteral("SECONDS"), QStringLiteral("2592000"));
    const QCommandLineOption smsCommand(
        QStringLiteral("sms-command"),
        QStringLiteral("Shell command that sends an SMS code; it finds the number in "
                       "QUORVIN_SMS_PHONE and the code in QUORVIN_SMS_CODE and exits with 0 once sent."),
        QStringLiteral("CMD"));
    const QCommandLineOption maxDevices(
        QStringLiteral("max-devices"),
        QStringLiteral(
            "Active client codes per author; a new one beyond this retires the one unused longest."),
        QStringLiteral("N"), QStringLiteral("20"));
    const QCommandLineOption publicUrl(
        QStringLiteral("public-url"),
        QStringLiteral("Address clients reach this server at (scheme://host[:port]), used in the addresses "
                       "of images and pages the server hands out; default: the listening address."),
        QStringLiteral("URL"));
    const QCommandLineOption backlog(QStringLiteral("backlog"),
                                     QStringLiteral("Connections the system queues before they are accepted "
                                                    "(capped by net.core.somaxconn)."),
                                     QStringLiteral("N"), QString::number(SOMAXCONN));
    const QCommandLineOption bodyMemory(
        QStringLiteral("body-memory"),
        QStringLiteral("Megabytes of request bodies the server holds at once; beyond them requests get 503."),
        QStringLiteral("MB"), QStringLiteral("128"));
    const QCommandLineOption smsLimits(
        QStringLiteral("sms-limits"),
        QStringLiteral("SMS codes an hour per client address and in all (0: no limit; default 10,1000, "
                       "no limit in development mode)."),
        QStringLiteral("ADDRESS,TOTAL"));
    parser.addOptions(
        {listen,      port,       portFile,   data,           dev,         sms,        smsTtl,
         cert,        key,        threads,    requestTimeout, idleTimeout, perAddress, loginLimits,
         sessionIdle, smsCommand, maxDevices, publicUrl,      backlog,     bodyMemory, smsLimits});
    parser.process(app);

    bool portOk = false, ttlOk = false, threadsOk = false;
    out.listen = parser.value(listen);
    out.port = parser.value(port).toInt(&portOk);
    out.portFile = parser.value(portFile);
    out.dataDir = QDir(parser.value(data)).absolutePath();
    out.dev = parser.isSet(dev);
    out.smsCode = parser.value(sms);
    out.smsTtl = parser.value(smsTtl).toInt(&ttlOk);
    out.certFile = parser.value(cert);
    out.keyFile = parser.value(key);
    out.threads = parser.value(threads).toInt(&threadsOk);
    if (!portOk || out.port < 0 || out.port > 65535 || !ttlOk || out.smsTtl < 1 || !threadsOk ||
        out.threads < 1) {
        qWarning() << "invalid --port, --sms-ttl or --threads";
        return false;
    }
    bool requestOk = false, idleOk = false, perAddressOk = false;
    out.requestTimeout = parser.value(requestTimeout).toInt(&requestOk);
    out.idleTimeout = parser.value(idleTimeout).toInt(&idleOk);
    out.maxPerAddress = parser.value(perAddress).toInt(&perAddressOk);
    if (!requestOk || out.requestTimeout < 1 || !idleOk || out.idleTimeout < 1 || !perAddressOk ||
        out.maxPerAddress < 1) {
        qWarning() << "invalid --request-timeout, --idle-timeout or --max-per-address";
        return false;
    }
    const QStringList limits = parser.value(loginLimits).split(QLatin1Char(','));
    bool accountOk = false, addressOk = false, idleSessionOk = false;
    out.loginPerAccount = limits.value(0).toInt(&accountOk);
    out.loginPerAddress = limits.value(1).toInt(&addressOk);
    out.sessionIdle = parser.value(sessionIdle).toLongLong(&idleSessionOk);
    if (limits.size() != 2 || !accountOk || !addressOk || out.loginPerAccount < 1 ||
        out.loginPerAddress < out.loginPerAccount || !idleSessionOk || out.sessionIdle < 1) {
        qWarning()
            << "invalid --login-limits (two numbers, the second not below the first) or --session-idle";
        return false;
    }
    out.smsCommand = parser.value(smsCommand);
    bool devicesOk = false;
    out.maxDevices = parser.value(maxDevices).toInt(&devicesOk);
    if (!devicesOk || out.maxDevices < 1) {
        qWarning() << "invalid --max-devices";
        return false;
    }
    out.publicUrl = parser.value(publicUrl);
    while (out.publicUrl.endsWith(QLatin1Char('/')))
        out.publicUrl.chop(1);
    const QUrl url(out.publicUrl, QUrl::StrictMode);
    if (!out.publicUrl.isEmpty() &&
        (!url.isValid() ||
         (url.scheme() != QLatin1String("http") && url.scheme() != QLatin1String("https")) ||
         url.host().isEmpty() || !url.path().isEmpty() || url.hasQuery() || url.hasFragment())) {
        qWarning() << "--public-url must read scheme://host or scheme://host:port";
        return false;
    }
    bool backlogOk = false, memoryOk = false;
    out.backlog = parser.value(backlog).toInt(&backlogOk);
    out.bodyMemory = parser.value(bodyMemory).toLongLong(&memoryOk) * 1024 * 1024;
    if (!backlogOk || out.backlog < 1 || !memoryOk || out.bodyMemory < out.maxBody) {
        qWarning() << "invalid --backlog or --body-memory (at least 16 MB, the largest body)";
        return false;
    }
    if (parser.isSet(smsLimits)) {
        const QStringList sms = parser.value(smsLimits).split(QLatin1Char(','));
        bool perAddressSmsOk = false, totalOk = false;
        out.smsPerAddress = sms.value(0).toInt(&perAddressSmsOk);
        out.smsPerHour = sms.value(1).toInt(&totalOk);
        if (sms.size() != 2 || !perAddressSmsOk || !totalOk || out.smsPerAddress < 0 || out.smsPerHour < 0) {
            qWarning() << "invalid --sms-limits (two numbers, 0 for no limit)";
            return false;
        }
    } else if (out.dev) {
        // One tester's machine asks for every code.
        out.smsPerAddress = out.smsPerHour = 0;
    }
    const bool wildcard = out.listen == QLatin1String("0.0.0.0") || out.listen == QLatin1String("::");
    if (wildcard && out.publicUrl.isEmpty() && !out.dev) {
        qWarning() << "listening on every address needs --public-url: the addresses the server hands out "
                      "must name it as clients reach it";
        return false;
    }
    if (!out.smsCode.isEmpty() && (out.smsCode.size() != 6 || out.smsCode.toInt() < 0 ||
                                   !out.smsCode.contains(QRegExp(QStringLiteral("^[0-9]{6}$"))))) {
        qWarning() << "--sms-code must be six digits";
        return false;
    }
    if (out.certFile.isEmpty() != out.keyFile.isEmpty()) {
        qWarning() << "--cert and --key go together";
        return false;
    }
    return true;
}

bool writePortFile(const QString &path, int port)
{
    if (path.isEmpty())
        return true;
    QSaveFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(QByteArray::number(port)) > 0 && f.commit();
}

} // namespace

const T_ServerOptions &serverOptions()
{
    return g_options;
}

void setServerOptions(const T_ServerOptions &options)
{
    g_options = options;
}

int main(int argc, char **argv)
{
    // SIGINT and SIGTERM are taken by one watcher thread; block them before
    // any worker thread exists so that they all inherit the mask.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("quorvin-server"));
    qSetMessagePattern(QStringLiteral("%{time yyyy-MM-dd hh:mm:ss.zzz} %{type} %{message}"));

    T_ServerOptions options;
    if (!parseOptions(app, options))
        return 2;
    setServerOptions(options);
    CLoginGuard::instance().configure(options.loginPerAccount, options.loginPerAddress);
    CSessions::instance().setIdleLimit(options.sessionIdle);
    CChangeFeed::instance().setMaxClients(options.maxDevices);
    if (!CCrypto::init() || !CStore::init(options.dataDir))
        return 1;

    CApiServer server(options);
    if (!server.isValid()) {
        qWarning() << "the server could not be set up (certificate or key unreadable?)";
        return 1;
    }
    const int port = server.bind();
    if (port <= 0) {
        qWarning() << "cannot listen on" << options.listen << options.port;
        return 1;
    }
    if (!writePortFile(options.portFile, port)) {
        qWarning() << "cannot write the port file" << options.portFile;
        return 1;
    }
    qInfo().noquote() << QStringLiteral("listening on %1://%2:%3%4, data in %5")
                             .arg(options.certFile.isEmpty() ? QStringLiteral("http")
                                                             : QStringLiteral("https"),
                                  options.listen)
                             .arg(port)
                             .arg(options.dev ? QStringLiteral(" (development mode)") : QString(),
                                  options.dataDir);

    std::thread watcher([&server, stopSignals] {
        int sig = 0;
        sigwait(&stopSignals, &sig);
        qInfo() << "stopping on signal" << sig;
        server.stop();
    });
    watcher.detach();
    const bool served = server.serve();
    return served ? 0 : 1;
}
