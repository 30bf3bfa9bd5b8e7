#include "Log/clog.h"
#include "apppaths.h"
#include "apptranslations.h"
#include "manager/cjobmanager.h"
#include "manager/cqssmanager.h"
#include "resources.h"
#include "ui/dpiadapter.h"
#include "ui/fonts.h"

#include <QApplication>
#include <QDateTime>
#include <QDebug>
#include <QMessageBox>

namespace {

const int kRestartCode = -10086;

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

    // A logout, SIGTERM or the session manager saves everything first.
    CJobManager::instance()->installQuitHandlers(app);
    int code = 0;
    if (CJobManager::instance()->init()) {
        code = app.exec();
    } else {
        QMessageBox::warning(nullptr, "warning", "system init error!", QMessageBox::Ok);
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
