#include "Log/clog.h"
#include "apppaths.h"
#include "apptranslations.h"
#include "csingleinstance.h"
#include "db/cquorvindb.h"
#include "manager/cjobmanager.h"
#include "manager/cqssmanager.h"
#include "manager/cuimanager.h"
#include "resources.h"
#include "ui/dpiadapter.h"
#include "ui/fonts.h"
#include "ui/ztmessagebox.h"

#include <QApplication>
#include <QDateTime>
#include <QDebug>
#include <QDir>

namespace {

const int kRestartCode = -10086;

// Told before any window exists; `type` as the message box takes it.
void showStartFailure(const QString &text, int type = 3)
{
    const QString shown =
        text.isEmpty()
            ? QCoreApplication::translate("main", "The program cannot start. The log in %1 tells why.")
                  .arg(QDir::toNativeSeparators(AppPaths::logsDir()))
            : text;
    qWarning() << "start:" << shown;
    // No author's theme is known yet: the light one, never the bare look.
    if (CQssManager::instance()->getStyle() == StyleNone)
        CQssManager::instance()->setStyle(StyleLight);
    ZtMessageBox box(type,
                     type == 3 ? QCoreApplication::translate("main", "Cannot start")
                               : QCoreApplication::translate("main", "Database replaced"),
                     shown);
    box.addButton(ZtMessageBox::Ok);
    box.exec();
}

int runPass(int &argc, char **argv)
{
    DPIAdapter::initApp(argv[0]);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quorvin Writing"));
    QApplication::setApplicationVersion(QStringLiteral(QUORVIN_VERSION));
    if (DPIAdapter::checkDpi())
        return kRestartCode;

    quorvinInitResources();
    substituteFonts();
    installAppTranslations(&app);

    CLog::instance()->init(AppPaths::logsDir() + "/client_" +
                           QDateTime::currentDateTime().toString("yyyy_MM_dd_hh_mm_ss") + ".log");
    qDebug() << "Quorvin Writing" << QUORVIN_VERSION << "started in" << AppPaths::appDir();
    CQssManager::instance()->setQssStyle(StyleLight, ":/res/qss/light.qss");
    CQssManager::instance()->setQssStyle(StyleDark, ":/res/qss/dark.qss");

    // One program per data folder: a second start brings the first forward.
    CSingleInstance instance(AppPaths::dataDir());
    const CSingleInstance::Claim claim = instance.claim();
    if (claim == CSingleInstance::AnotherRuns) {
        qDebug() << "another start holds" << AppPaths::dataDir() << ": brought it forward";
        CLog::instance()->flushPending();
        return 0;
    }
    if (claim == CSingleInstance::NoAnswer) {
        showStartFailure(QCoreApplication::translate("main", "The program is already running on the data "
                                                             "folder %1 (process %2) but does not answer.\n"
                                                             "Wait until it closes, or end it, then start "
                                                             "again.")
                             .arg(QDir::toNativeSeparators(AppPaths::dataDir()))
                             .arg(instance.holderPid()));
        CLog::instance()->flushPending();
        return 0;
    }
    QObject::connect(&instance, &CSingleInstance::sig_raiseRequested, CUiManager::instance(),
                     &CUiManager::bringToFront);

    // A logout, SIGTERM or the session manager saves everything first.
    CJobManager::instance()->installQuitHandlers(app);
    int code = 0;
    if (CJobManager::instance()->init()) {
        const T_StoreCheck check = CQuorvinDb::instance()->storeCheck();
        if (check.outcome == T_StoreCheck::MovedAside)
            showStartFailure(check.message, 2);
        code = app.exec();
    } else {
        showStartFailure(CJobManager::instance()->startupProblem());
        code = 0;
    }
    CJobManager::instance()->uninit();
    CLog::instance()->flushPending();
    return code;
}

} // namespace

int main(int argc, char **argv)
{
    // Nothing is drawn with OpenGL: without this the X11 integration loads
    // the system's GL driver at start, about half of the memory at the
    // first window. Web views still render, in software.
    if (!qEnvironmentVariableIsSet("QT_XCB_GL_INTEGRATION"))
        qputenv("QT_XCB_GL_INTEGRATION", "none");
    // The web engine is loaded only with the first web page, long after the
    // application object: it needs this set before.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    int code = 0;
    do {
        code = runPass(argc, argv);
    } while (code == kRestartCode);
    return code;
}
