// The chapter editor with a 200,000-character chapter on a real X server:
// the time to open the chapter (text shown, formatted and painted), then
// 300 keys typed as X key events (xdotool, through the X server's test
// extension), with the process's CPU time per key and the longest gap of a
// 5 ms timer on the GUI thread while they arrive, the 300-change save and
// snapshot included. Runs itself under xvfb-run when started without one.
#include "db/cquorvindb.h"
#include "manager/cjobmanager.h"
#include "manager/cqssmanager.h"
#include "manager/cuimanager.h"
#include "resources.h"
#include "testappdir.h"
#include "ui/creation/creation_textedit.h"
#include "ui/creation/widget_creation.h"
#include "ui/creation/widget_creation_content.h"
#include "ui/fonts.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTest>
#include <QTimer>
#include <cstdio>
#include <sys/resource.h>

namespace {

constexpr int kLength = 200000;
constexpr int kKeys = 300;

double cpuMs()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000.0 +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1000.0;
}

QString chapterText()
{
    const QString paragraph = QString::fromUtf8(
        "夜色沉沉，长街尽头的灯火一盏接一盏熄灭，他仍站在雨里等人，手里的信纸已经被打湿了一角。\n");
    QString text;
    text.reserve(kLength + paragraph.size());
    while (text.size() < kLength)
        text += paragraph;
    text.truncate(kLength);
    return text;
}

int runUnderX(int argc, char **argv)
{
    QStringList args = {
        "-a", "-s", "-screen 0 1600x1000x24", "env", "QUORVIN_BENCH_X=1", "QT_QPA_PLATFORM=xcb"};
    for (int i = 0; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    return QProcess::execute("xvfb-run", args);
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QUORVIN_BENCH_X")) {
        QCoreApplication core(argc, argv);
        return runUnderX(argc, argv);
    }
    QApplication app(argc, argv);
    quorvinInitResources();
    substituteFonts();
    TestAppDir dir;
    if (!dir.isValid() || !CQuorvinDb::instance()->init())
        return 1;
    CQssManager::instance()->setQssStyle(StyleLight, ":/res/qss/light.qss");
    CQssManager::instance()->setStyle(StyleLight);
    T_SessionData &session = T_SessionData::instance();
    session.author.uid = 5;
    session.user.uid = 5;
    session.user.isSound = 0;
    CQuorvinDb::instance()->insertUser(session.author, session.user);
    TC_Books_AddBook req;
    req.bookName = QStringLiteral("长篇");
    T_Book *book = CJobManager::instance()->booksAddBook(req);
    T_Chapter *chapter = book->chapterList.first();
    chapter->content = chapterText();
    chapter->wordCount = CUiManager::countWords(chapter->content);
    chapter->isContentLoaded = true;

    Widget_Creation page;
    page.resize(1280, 860);
    page.show();
    page.activateWindow();
    if (!QTest::qWaitForWindowActive(&page)) {
        std::printf("bench_editor: the window never became active\n");
        return 1;
    }
    Creation_TextEdit *edit = page.content()->editor();

    QElapsedTimer clock;
    clock.start();
    page.openBook(book);
    edit->viewport()->repaint();
    const double openMs = clock.nsecsElapsed() / 1e6;
    std::printf("open a %d-character chapter (shown, formatted, painted): %.1f ms\n", kLength, openMs);

    edit->setFocus();
    QTest::qWait(200);
    const int before = page.content()->wordCount();
    qint64 longestGap = 0;
    QElapsedTimer gap;
    gap.start();
    QTimer probe;
    probe.setInterval(5);
    QObject::connect(&probe, &QTimer::timeout, [&] {
        longestGap = qMax(longestGap, gap.nsecsElapsed());
        gap.restart();
    });
    QStringList keys = {"--delay", "8"};
    for (int i = 0; i < kKeys; ++i)
        keys << QString(QChar('a' + i % 26));
    QProcess typist;
    const double cpuBefore = cpuMs();
    probe.start();
    gap.restart();
    typist.start("xdotool", QStringList{"key"} + keys);
    const bool arrived =
        QTest::qWaitFor([&] { return page.content()->wordCount() - before >= kKeys; }, 60000);
    probe.stop();
    const double cpu = cpuMs() - cpuBefore;
    typist.waitForFinished(5000);
    if (!arrived) {
        std::printf("bench_editor: only %d of %d keys arrived\n", page.content()->wordCount() - before,
                    kKeys);
        return 1;
    }
    std::printf("typing %d X key events into it: %.3f ms CPU per key (target <= 0.87), longest stall %.1f ms "
                "(target <= 50), saves with snapshot: %d\n",
                kKeys, cpu / kKeys, longestGap / 1e6,
                page.content()->chapter()->content.size() > kLength ? 1 : 0);
    page.content()->closeChapter();
    return 0;
}
