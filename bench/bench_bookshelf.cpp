// An author with 200 books, each with its own cover file: how long the main
// window takes from showMain() until the grid has painted, how long one
// repaint of the grid takes, and how many cover files are read while
// scrolling through the whole shelf twice (the second pass should read none).
#include "db/cquorvindb.h"
#include "db/records.h"
#include "mainwindow.h"
#include "manager/cqssmanager.h"
#include "manager/cuimanager.h"
#include "resources.h"
#include "testappdir.h"
#include "ui/bookshelf/cbooklistdelegate.h"
#include "ui/bookshelf/widget_bookshelf.h"
#include "ui/bookshelf/widget_bookshelflist.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QListView>
#include <QScrollBar>
#include <QTest>
#include <cstdio>

namespace {

constexpr int kBooks = 200;

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    quorvinInitResources();
    TestAppDir dir;
    if (!dir.isValid() || !dir.layBuiltData() || !CQuorvinDb::instance()->init()) {
        std::fprintf(stderr, "bench_bookshelf: cannot lay the application folder\n");
        return 1;
    }
    CQssManager::instance()->setQssStyle(StyleLight, ":/res/qss/light.qss");
    CQssManager::instance()->setQssStyle(StyleDark, ":/res/qss/dark.qss");

    T_SessionData &session = T_SessionData::instance();
    session.author.uid = 1;
    session.author.authorName = QStringLiteral("林间写字人");
    session.author.style = StyleLight;
    for (int i = 0; i < kBooks; ++i) {
        // Every book its own file, as covers copied into data/bookImg are.
        const QString cover = dir.path() + QStringLiteral("/data/bookImg/cover%1.png").arg(i);
        QFile::copy(dir.path() +
                        QStringLiteral("/data/cover/cover_%1.png").arg(i % 12 + 1, 2, 10, QChar('0')),
                    cover);
        auto *book = new T_Book;
        book->localId = i + 1;
        book->bookName = QStringLiteral("第%1本书").arg(i + 1);
        book->localCover = cover;
        book->wordNum = 1000 * i;
        session.books.append(book);
    }

    QElapsedTimer timer;
    timer.start();
    CUiManager::instance()->showMain();
    const qint64 shown = timer.elapsed();
    MainWindow *w = CUiManager::instance()->mainWindow();
    if (!QTest::qWaitForWindowExposed(w))
        return 1;
    const qint64 exposed = timer.elapsed();
    QListView *view = CUiManager::instance()->bookshelf()->bookList()->listView();
    view->viewport()->repaint();
    const qint64 firstPaint = timer.elapsed();

    timer.restart();
    view->viewport()->repaint();
    const qint64 repaint = timer.nsecsElapsed() / 1000;

    QScrollBar *bar = view->verticalScrollBar();
    auto scrollThrough = [&] {
        for (int value = 0; value <= bar->maximum(); value += bar->pageStep() / 2) {
            bar->setValue(value);
            view->viewport()->repaint();
        }
        bar->setValue(bar->maximum());
        view->viewport()->repaint();
        bar->setValue(0);
        view->viewport()->repaint();
    };
    const int before = CBookListDelegate::coverLoads();
    timer.restart();
    scrollThrough();
    const qint64 firstPass = timer.elapsed();
    const int firstLoads = CBookListDelegate::coverLoads() - before;
    timer.restart();
    scrollThrough();
    const qint64 secondPass = timer.elapsed();
    const int secondLoads = CBookListDelegate::coverLoads() - before - firstLoads;

    std::printf("bookshelf with %d books\n", kBooks);
    std::printf("  showMain to painted grid: %lld ms (target < 200 ms)\n",
                static_cast<long long>(firstPaint));
    std::printf("    of which showMain() %lld ms, until exposed %lld ms\n", static_cast<long long>(shown),
                static_cast<long long>(exposed));
    std::printf("  one repaint of the grid:  %lld us\n", static_cast<long long>(repaint));
    std::printf("  scrolling through, first pass:  %lld ms, %d cover files read\n",
                static_cast<long long>(firstPass), firstLoads);
    std::printf("  scrolling through, second pass: %lld ms, %d cover files read\n",
                static_cast<long long>(secondPass), secondLoads);
    CUiManager::instance()->closeWindows();
    return secondLoads == 0 ? 0 : 1;
}
