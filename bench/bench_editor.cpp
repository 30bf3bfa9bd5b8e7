// The chapter editor with a 200,000-character chapter on a real X server:
// the time to open the chapter (text shown, formatted and painted), then
// 300 keys typed as X key events (xdotool, through the X server's test
// extension), with the process's CPU time per key and the longest gap of a
// 5 ms timer on the GUI thread while they arrive, the 300-change save and
// snapshot included. Then the same keys again with the application's own
// event loop, as a user meets it: every key repainted on its own. Runs itself
// under xvfb-run when started without one.
//
// QUORVIN_BENCH_LENGTH sets another chapter length (to compare with a short
// chapter). To profile one phase, start it inside xvfb-run (with
// QUORVIN_BENCH_X=1 QT_QPA_PLATFORM=xcb) under
//   perf record --control fifo:ctl.fifo,ack.fifo -D -1 --call-graph dwarf ...
// with QUORVIN_BENCH_PERF_CTL=ctl.fifo and QUORVIN_BENCH_PERF_PHASE set to
// "open", "typing" (the default) or "ownloop": recording covers that phase.
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
#include <QEventLoop>
#include <QFile>
#include <QPaintEvent>
#include <QProcess>
#include <QTest>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <sys/resource.h>

namespace {

// QUORVIN_BENCH_LENGTH changes the chapter's length, to compare with a short one.
const int kLength = qEnvironmentVariableIsSet("QUORVIN_BENCH_LENGTH")
                        ? qEnvironmentVariableIntValue("QUORVIN_BENCH_LENGTH")
                        : 200000;
constexpr int kKeys = 300;

// CPU time of the calling thread, in ns: unlike wall time, it does not grow
// when other processes take the cores.
qint64 threadCpuNs()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return qint64(now.tv_sec) * 1000000000 + now.tv_nsec;
}

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

// Tells a waiting `perf record --control` to start or stop recording the
// phase named by QUORVIN_BENCH_PERF_PHASE ("typing", the default, or "open").
void perfControl(const char *phase, const char *command)
{
    const QByteArray path = qgetenv("QUORVIN_BENCH_PERF_CTL");
    QByteArray wanted = qgetenv("QUORVIN_BENCH_PERF_PHASE");
    if (wanted.isEmpty())
        wanted = "typing";
    if (path.isEmpty() || wanted != phase)
        return;
    QFile fifo(QString::fromLocal8Bit(path));
    if (fifo.open(QIODevice::WriteOnly)) {
        fifo.write(command);
        fifo.write("\n");
    }
}

int runUnderX(int argc, char **argv)
{
    QStringList args = {
        "-a", "-s", "-screen 0 1600x1000x24", "env", "QUORVIN_BENCH_X=1", "QT_QPA_PLATFORM=xcb"};
    for (int i = 0; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    return QProcess::execute("xvfb-run", args);
}

// Adds up the area the editor's page repaints.
class PaintMeter : public QObject
{
public:
    qint64 pixels = 0;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint) {
            for (const QRect &rect : static_cast<QPaintEvent *>(event)->region())
                pixels += qint64(rect.width()) * rect.height();
        }
        return QObject::eventFilter(watched, event);
    }
};

struct Typing
{
    bool arrived = false;
    bool saved = false;
    double cpuPerKey = 0;
    double longestStallMs = 0;
    double longestEventCpuMs = 0;
    double paintedPerKey = 0;
};

// The application, timing each event it delivers from the event loop (with
// all the events sent while handling it) when asked to.
class BenchApplication : public QApplication
{
public:
    using QApplication::QApplication;
    static BenchApplication *instance() { return static_cast<BenchApplication *>(qApp); }

    // Starts or stops measuring; returns the longest delivery since the
    // start in ns, and in `cpu` the most CPU time one delivery took.
    qint64 measure(bool on, qint64 *cpu = nullptr)
    {
        m_measuring = on;
        const qint64 longest = m_longest;
        if (cpu)
            *cpu = m_longestCpu;
        m_longest = 0;
        m_longestCpu = 0;
        return longest;
    }

    bool notify(QObject *receiver, QEvent *event) override
    {
        if (!m_measuring || m_depth > 0) {
            ++m_depth;
            const bool handled = QApplication::notify(receiver, event);
            --m_depth;
            return handled;
        }
        QElapsedTimer clock;
        clock.start();
        const qint64 cpuStart = threadCpuNs();
        ++m_depth;
        const bool handled = QApplication::notify(receiver, event);
        --m_depth;
        m_longest = qMax(m_longest, clock.nsecsElapsed());
        m_longestCpu = qMax(m_longestCpu, threadCpuNs() - cpuStart);
        return handled;
    }

private:
    bool m_measuring = false;
    int m_depth = 0;
    qint64 m_longest = 0;
    qint64 m_longestCpu = 0;
};

// Types kKeys keys through the X server into the open chapter. Polled: the
// keys are awaited with QTest::qWaitFor, whose loop sleeps 10 ms between
// rounds of events, and a 5 ms timer finds the longest gap. Otherwise the
// application's own event loop runs, and the longest stall is the longest
// single event it delivered (a key with its save, a repaint).
Typing typeKeys(Widget_Creation &page, bool ownLoop)
{
    Widget_Creation_Content *content = page.content();
    const int before = content->wordCount();
    const int savedBefore = content->chapter()->content.size();
    QStringList keys = {"--delay", "8"};
    for (int i = 0; i < kKeys; ++i)
        keys << QString(QChar('a' + i % 26));
    auto allArrived = [&] { return content->wordCount() - before >= kKeys; };

    PaintMeter meter;
    content->editor()->viewport()->installEventFilter(&meter);
    qint64 longest = 0;
    QElapsedTimer stretch;
    QTimer probe;
    probe.setInterval(5);
    QObject::connect(&probe, &QTimer::timeout, [&] {
        longest = qMax(longest, stretch.nsecsElapsed());
        stretch.restart();
    });
    QProcess typist;
    Typing result;
    const double cpuBefore = cpuMs();
    perfControl(ownLoop ? "ownloop" : "typing", "enable");
    stretch.start();
    BenchApplication::instance()->measure(true);
    typist.start("xdotool", QStringList{"key"} + keys);
    if (ownLoop) {
        QEventLoop loop;
        QTimer::singleShot(60000, &loop, &QEventLoop::quit);
        QObject::connect(content->editor(), &QTextEdit::textChanged, &loop, [&] {
            if (allArrived())
                loop.quit();
        });
        loop.exec();
    } else {
        probe.start();
        const bool done = QTest::qWaitFor(allArrived, 60000);
        Q_UNUSED(done)
    }
    const double cpu = cpuMs() - cpuBefore;
    // The last key brings the 300-change save, and the snapshot follows a
    // turn later: the gap they leave shows only at the probe's next turn.
    QTest::qWait(100);
    probe.stop();
    qint64 longestCpu = 0;
    const qint64 longestEvent = BenchApplication::instance()->measure(false, &longestCpu);
    if (ownLoop)
        longest = longestEvent;
    perfControl(ownLoop ? "ownloop" : "typing", "disable");
    content->editor()->viewport()->removeEventFilter(&meter);
    typist.waitForFinished(5000);
    result.arrived = allArrived();
    if (!result.arrived) {
        std::printf("bench_editor: only %d of %d keys arrived\n", content->wordCount() - before, kKeys);
        return result;
    }
    result.saved = content->chapter()->content.size() > savedBefore;
    result.cpuPerKey = cpu / kKeys;
    result.longestStallMs = longest / 1e6;
    result.longestEventCpuMs = longestCpu / 1e6;
    result.paintedPerKey = double(meter.pixels) / kKeys;
    return result;
}

// The load average of the last minute, printed beside each figure.
double loadAverage()
{
    double load[1] = {0};
    return getloadavg(load, 1) == 1 ? load[0] : -1;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QUORVIN_BENCH_X")) {
        QCoreApplication core(argc, argv);
        return runUnderX(argc, argv);
    }
    BenchApplication app(argc, argv);
    quorvinInitResources();
    substituteFonts();
    TestAppDir dir;
    // The jobs the typing queues go nowhere beyond this machine.
    dir.writeSettings("[system]\n[server]\nbaseUrl=http://127.0.0.1:9\n");
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
    perfControl("open", "enable");
    page.openBook(book);
    const double loadedMs = clock.nsecsElapsed() / 1e6;
    edit->viewport()->repaint();
    perfControl("open", "disable");
    const double openMs = clock.nsecsElapsed() / 1e6;
    std::printf("open a %d-character chapter (shown, formatted, painted): %.1f ms "
                "(target < 150; text set and laid out %.1f ms, first paint %.1f ms)\n",
                kLength, openMs, loadedMs, openMs - loadedMs);

    edit->setFocus();
    QTest::qWait(200);
    const Typing polled = typeKeys(page, false);
    if (!polled.arrived)
        return 1;
    std::printf("typing %d X key events into it: %.3f ms CPU per key (target <= 0.87), longest stall %.1f ms "
                "(target <= 50; most CPU in one event %.1f ms), saves with snapshot: %d; repainted %.0f px "
                "per key\n",
                kKeys, polled.cpuPerKey, polled.longestStallMs, polled.longestEventCpuMs,
                polled.saved ? 1 : 0, polled.paintedPerKey);
    QTest::qWait(200);
    const Typing own = typeKeys(page, true);
    if (!own.arrived)
        return 1;
    std::printf(
        "the same with the application's own event loop (one repaint per key, no polling): %.3f ms CPU "
        "per key, longest single event %.1f ms (%.1f ms CPU), saves with snapshot: %d; repainted %.0f px "
        "per key\n",
        own.cpuPerKey, own.longestStallMs, own.longestEventCpuMs, own.saved ? 1 : 0, own.paintedPerKey);

    // The recovery journal's cost: the same typing with the journal off and
    // on, in turns, side by side.
    for (int round = 0; round < 2; ++round) {
        for (const bool journal : {false, true}) {
            page.content()->setJournalEnabled(journal);
            QTest::qWait(300);
            const Typing turn = typeKeys(page, true);
            if (!turn.arrived)
                return 1;
            std::printf("journal %-3s: longest GUI-thread event %.1f ms (%.1f ms CPU), %.3f ms CPU per key "
                        "(load average %.2f)\n",
                        journal ? "on" : "off", turn.longestStallMs, turn.longestEventCpuMs, turn.cpuPerKey,
                        loadAverage());
        }
    }
    page.content()->setJournalEnabled(true);
    page.content()->closeChapter();
    return 0;
}
