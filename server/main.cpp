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

#include <csignal>
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
    const QCommandLineOption perAddress(QStringLiteral("max-per-address"),
                                        QStringLiteral("Connections at once from one client address."),
                                        QStringLiteral("N"), QStringLiteral("16"));
    const QCommandLineOption loginLimits(
        QStringLiteral("login-limits"),
        QStringLiteral("Failed sign-ins within 15 minutes per account and per client address before "
                       "further attempts are refused for a while."),
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
    parser.addOptions({listen, port, portFile, data, dev, sms, smsTtl, cert, key, threads, requestTimeout,
                       idleTimeout, perAddress, loginLimits, sessionIdle, smsCommand, maxDevices});
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
