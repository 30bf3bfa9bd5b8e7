// The bookshelf on a real X server against the companion server on
// loopback: books created, described, deleted and imported through mouse
// clicks on the real grid and its menus and dialogs, the sync button's
// animation and tips, the statistics page in a real web view, the feedback
// page submitting to the server. With QUORVIN_SCREENSHOT_DIR set, it also
// takes the screenshots of the README from the X screen.
#include "db/cquorvindb.h"
#include "db/records.h"
#include "mainwindow.h"
#include "manager/cjobmanager.h"
#include "manager/cqssmanager.h"
#include "manager/cuimanager.h"
#include "remote/cquorvinhttp.h"
#include "signedinauthor.h"
#include "testappdir.h"
#include "testmain.h"
#include "testserver.h"
#include "ui/bookshelf/cbooklistdelegate.h"
#include "ui/bookshelf/cbooklistmodel.h"
#include "ui/bookshelf/dialog_bookinfo.h"
#include "ui/bookshelf/dialog_createbook.h"
#include "ui/bookshelf/widget_bookshelf.h"
#include "ui/bookshelf/widget_bookshelf_content.h"
#include "ui/bookshelf/widget_bookshelf_top.h"
#include "ui/bookshelf/widget_bookshelflist.h"
#include "ui/bookshelf/widget_feedback.h"
#include "ui/bookshelf/widget_personaldata.h"
#include "ui/ctextedit.h"
#include "ui/cwebview.h"
#include "ui/fonts.h"
#include "ui/widget_clienttips.h"
#include "ui/ztmessagebox.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QElapsedTimer>
#include <QInputMethodEvent>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QSqlError>
#include <QSqlQuery>
#include <QStackedWidget>
#include <QTextCodec>
#include <QTranslator>
#include <functional>

namespace {

const QString kUniqueCode = QStringLiteral("5he1f000000000000000000000000001");

// Chinese text arrives from an input method as one committed string.
void typeText(QWidget *widget, const QString &text)
{
    QInputMethodEvent event;
    event.setCommitString(text);
    QApplication::sendEvent(widget, &event);
}

// Runs `action` on the modal dialog of type T once it is shown.
template <typename T> void onModal(std::function<void(T *)> action)
{
    auto *poll = new QTimer;
    poll->setInterval(30);
    QObject::connect(poll, &QTimer::timeout, [poll, action] {
        T *dialog = qobject_cast<T *>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible())
            return;
        poll->stop();
        poll->deleteLater();
        action(dialog);
    });
    poll->start();
}

QVariant runJs(CWebView *page, const QString &script)
{
    QVariant result;
    bool done = false;
    page->runJavaScript(script, [&](const QVariant &v) {
        result = v;
        done = true;
    });
    if (!QTest::qWaitFor([&] { return done; }, 10000))
        qWarning() << "no answer from the page to" << script;
    return result;
}

// A manuscript of `chapters` chapters, each with a line of text.
QString manuscript(int chapters, int &words)
{
    QString text = QStringLiteral("序言：这一段不算正文。\n");
    words = 0;
    for (int i = 1; i <= chapters; ++i) {
        const QString body = QStringLiteral("第%1天，风从山那边吹过来，带着雨的气息。\n").arg(i);
        text += QStringLiteral("第%1章 远方%1\n").arg(i) + body;
        words += CUiManager::countWords(body);
    }
    return text;
}

} // namespace

class TstBookshelfXvfb : public QObject
{
    Q_OBJECT

    SignedInAuthor m_author{QStringLiteral("13700000316"), kUniqueCode};
    TestServer &m_server = m_author.server();
    TestAppDir *m_app = nullptr;
    QString m_token;
    qint64 m_uid = 0;
    QTranslator m_translator;
    QTemporaryDir m_files;
    T_SessionData &m_session = T_SessionData::instance();

    Widget_Bookshelf *shelf() const { return CUiManager::instance()->bookshelf(); }
    Widget_BookShelfList *list() const { return shelf()->bookList(); }
    QListView *view() const { return list()->listView(); }
    CBookListModel *model() const { return list()->model(); }
    MainWindow *window() const { return CUiManager::instance()->mainWindow(); }
    QString tipText() const { return window()->tips()->label()->text(); }

    void clickBook(int row, Qt::MouseButton button = Qt::LeftButton)
    {
        const QRect item = view()->visualRect(model()->index(row));
        const QPoint at = CBookListDelegate::hitRect(CBookListModel::Grid, item).center();
        QTest::mouseMove(view()->viewport(), at);
        QTest::mouseClick(view()->viewport(), button, {}, at);
    }

    static void clickAction(QMenu *menu, const QString &text)
    {
        QVERIFY(menu->isVisible());
        for (QAction *action : menu->actions()) {
            if (action->text() == text) {
                QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(action).center());
                return;
            }
        }
        QFAIL(qPrintable("no menu item " + text));
    }

    void addMenu(const QString &item)
    {
        clickBook(model()->rowCount() - 1);
        QTRY_VERIFY(list()->delegate()->addMenu()->isVisible());
        clickAction(list()->delegate()->addMenu(), item);
    }

    void bookMenu(int row, const QString &item)
    {
        clickBook(row, Qt::RightButton);
        QTRY_VERIFY(list()->delegate()->bookMenu()->isVisible());
        clickAction(list()->delegate()->bookMenu(), item);
    }

    static int value(const QString &text)
    {
        QSqlQuery query(QSqlDatabase::database(QStringLiteral("check")));
        query.exec(text);
        return query.next() ? query.value(0).toInt() : -1;
    }

    TestHttp api() const
    {
        TestHttp h(m_server.baseUrl());
        h.setToken(m_token);
        h.setUniqueCode(QStringLiteral("observer000000000000000000000002"));
        return h;
    }

    QJsonObject serverBook(const QString &name) const
    {
        for (const QJsonValue &v : api().get("/books/booksList").content().toArray())
            if (v.toObject().value("book_name").toString() == name)
                return v.toObject();
        return QJsonObject();
    }

    // Presses the sync button and waits until the pass and its display ended.
    bool syncByButton()
    {
        QTest::mouseClick(shelf()->top()->syncButton(), Qt::LeftButton);
        return QTest::qWaitFor(
            [this] {
                return CUiManager::instance()->syncRunning() == 0 && shelf()->top()->syncLabel()->isHidden();
            },
            30000);
    }

    bool online() { return m_server.restart() && CQuorvinHttp::instance()->setBaseUrl(m_server.baseUrl()); }

    void loadCategories()
    {
        const QJsonObject cate = TestHttp(m_server.baseUrl()).get("/books/getCate").object();
        auto convert = [](const QJsonArray &nodes, int channel) {
            QVector<T_Category> out;
            for (const QJsonValue &v : nodes) {
                const QJsonObject o = v.toObject();
                T_Category c;
                c.cateId = o.value("cate_id").toInt();
                c.cateName = o.value("cate_name").toString();
                c.channelType = channel;
                c.fId = channel;
                for (const QJsonValue &s : o.value("children").toArray()) {
                    T_Category sub;
                    sub.cateId = s.toObject().value("cate_id").toInt();
                    sub.cateName = s.toObject().value("cate_name").toString();
                    sub.fId = c.cateId;
                    c.children.append(sub);
                }
                out.append(c);
            }
            return out;
        };
        m_session.categories.male = convert(cate.value("male").toArray(), 1);
        m_session.categories.female = convert(cate.value("female").toArray(), 2);
    }

    QString writeManuscript(const QString &name, int chapters, const char *codec, int &words)
    {
        const QString path = m_files.filePath(name);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            return QString();
        file.write(QTextCodec::codecForName(codec)->fromUnicode(manuscript(chapters, words)));
        return path;
    }

    int bookRow(const QString &name) const
    {
        for (int row = 0; row < model()->count(); ++row)
            if (model()->index(row).data().value<BookShelf_Book>().bookName == name)
                return row;
        return -1;
    }

private slots:
    void initTestCase();
    void cleanupTestCase();
    void createDescribeDeleteThroughTheGrid();
    void importWithProgressAndRefusal();
    void syncButtonShowsTwoSecondsThenTheTip();
    void statisticsPageDrawsThePushedValues();
    void feedbackPageSubmitsToTheServer();
    void screenshots();
};

void TstBookshelfXvfb::initTestCase()
{
    QVERIFY(m_files.isValid());
    m_session.author.authorName = QStringLiteral("林间写字人");
    m_session.author.style = StyleLight;
    QVERIFY(m_author.start());
    m_app = m_author.app();
    m_token = m_author.token();
    m_uid = m_author.uid();
    QVERIFY(m_app->layBuiltData());
    QVERIFY(m_translator.load(":/res/client.qm"));
    QCoreApplication::installTranslator(&m_translator);
    loadCategories();
    CJobManager::instance();
    CUiManager::instance()->showMain();
    QVERIFY(window());
    QVERIFY(QTest::qWaitForWindowExposed(window()));
}

void TstBookshelfXvfb::cleanupTestCase()
{
    m_author.finish();
}

void TstBookshelfXvfb::createDescribeDeleteThroughTheGrid()
{
    // An author without books sees the add tile alone; clicking it opens the add menu.
    QCOMPARE(model()->rowCount(), 1);
    clickBook(0);
    QTRY_VERIFY(list()->delegate()->addMenu()->isVisible());
    QVERIFY(!list()->delegate()->bookMenu()->isVisible());
    list()->delegate()->addMenu()->close();

    // Create: a name and the third system cover.
    const QString name = QStringLiteral("山海旧事");
    QString chosenCover;
    onModal<Dialog_CreateBook>([&](Dialog_CreateBook *dialog) {
        typeText(dialog->lineEdit(), name);
        QListView *covers = dialog->listView();
        QVERIFY(covers->model()->rowCount() >= 12);
        const QModelIndex third = covers->model()->index(2, 0);
        QTest::mouseClick(covers->viewport(), Qt::LeftButton, {}, covers->visualRect(third).center());
        chosenCover = dialog->coverPath();
        QTest::mouseClick(dialog->confirmButton(), Qt::LeftButton);
    });
    addMenu(QStringLiteral("新建书籍"));
    QTRY_COMPARE(model()->count(), 1);
    QVERIFY(chosenCover.endsWith(QLatin1String("cover_03.png")));
    T_Book *book = m_session.books.first();
    QCOMPARE(book->bookName, name);
    QCOMPARE(model()->index(0).data().value<BookShelf_Book>().bookName, name);
    QVERIFY(book->localCover.contains(QLatin1String("/data/bookImg/")));
    QCOMPARE(value(QStringLiteral("select count(*) from tb_job where jobType = 8 and localBookId = %1")
                       .arg(book->localId)),
             1);
    QVERIFY(syncByButton());
    QTRY_VERIFY_WITH_TIMEOUT(book->bookId > 0, 20000);
    QTRY_VERIFY_WITH_TIMEOUT(value("select count(*) from tb_job") == 0, 20000);
    QCOMPARE(serverBook(name).value("book_name").toString(), name);

    // Book information: name, channel, categories, cover and introduction.
    const QString renamed = QStringLiteral("山海旧事·续");
    const QString intro = QStringLiteral("少年离开海边的小镇，沿着旧地图走进群山，寻找失踪多年的父亲。");
    QImage custom(240, 320, QImage::Format_RGB32);
    custom.fill(QColor("#7A4EAB"));
    const QString customPath = m_files.filePath("custom.png");
    QVERIFY(custom.save(customPath));
    int chosenCate = 0;
    int chosenFid = 0;
    onModal<Dialog_BookInfo>([&](Dialog_BookInfo *dialog) {
        dialog->setFileChooser([&] { return customPath; });
        dialog->lineEdit()->selectAll();
        typeText(dialog->lineEdit(), renamed);
        QTest::mouseClick(dialog->radioWomen(), Qt::LeftButton);
        QComboBox *primary = dialog->primaryCombo(2);
        QComboBox *sub = dialog->subCombo(2);
        QVERIFY(primary->isVisible());
        QTest::keyClick(primary, Qt::Key_Down);
        QTest::keyClick(sub, Qt::Key_Down);
        chosenFid = primary->currentData().toInt();
        chosenCate = sub->currentData().toInt();
        QTest::mouseClick(dialog->customCoverButton(), Qt::LeftButton);
        dialog->textEdit()->setFocus();
        typeText(dialog->textEdit(), intro);
        QTest::mouseClick(dialog->confirmButton(), Qt::LeftButton);
    });
    bookMenu(0, QStringLiteral("书籍信息"));
    QTRY_COMPARE(book->bookName, renamed);
    QCOMPARE(book->channelType, 2);
    QCOMPARE(book->cateFid, chosenFid);
    QCOMPARE(book->cateId, chosenCate);
    QVERIFY(chosenCate > chosenFid * 100);
    QCOMPARE(book->intro, intro);
    QVERIFY(book->localCover.endsWith(QLatin1String(".png")));
    QCOMPARE(QImage(book->localCover).pixel(5, 5), custom.pixel(5, 5));
    QCOMPARE(model()->index(0).data().value<BookShelf_Book>().bookName, renamed);
    QVERIFY(syncByButton());
    QTRY_VERIFY_WITH_TIMEOUT(value("select count(*) from tb_job") == 0, 20000);
    QCOMPARE(serverBook(renamed).value("book_id").toInt(), book->bookId);
    const QJsonObject onServer =
        api().get("/books/bookinfo", {{"book_id", QString::number(book->bookId)}}).object();
    QCOMPARE(onServer.value("channel_type").toInt(), 2);
    QCOMPARE(onServer.value("cate_id").toInt(), chosenCate);
    QCOMPARE(onServer.value("intro").toString(), intro);
    QVERIFY(!onServer.value("cover").toString().isEmpty());

    // Delete: Escape and cancel keep the book, confirming removes it.
    onModal<ZtMessageBox>([](ZtMessageBox *box) { QTest::keyClick(box, Qt::Key_Escape); });
    bookMenu(0, QStringLiteral("删除"));
    QTest::qWait(200);
    QCOMPARE(model()->count(), 1);
    onModal<ZtMessageBox>([](ZtMessageBox *box) {
        QVERIFY(box->textLabel()->text().contains(QStringLiteral("《山海旧事·续》")));
        QTest::mouseClick(box->buttons().at(1), Qt::LeftButton);
    });
    bookMenu(0, QStringLiteral("删除"));
    QTest::qWait(200);
    QCOMPARE(model()->count(), 1);
    onModal<ZtMessageBox>([](ZtMessageBox *box) { QTest::mouseClick(box->buttons().at(0), Qt::LeftButton); });
    bookMenu(0, QStringLiteral("删除"));
    QTRY_COMPARE(model()->count(), 0);
    QVERIFY(m_session.books.isEmpty());
    QCOMPARE(model()->rowCount(), 1);
    QTRY_VERIFY_WITH_TIMEOUT(value("select count(*) from tb_job") == 0, 20000);
    QTRY_VERIFY_WITH_TIMEOUT(serverBook(renamed).isEmpty(), 20000);
}

void TstBookshelfXvfb::importWithProgressAndRefusal()
{
    int utf8Words = 0;
    int gbWords = 0;
    const QString utf8 = writeManuscript(QStringLiteral("北境长歌.txt"), 45, "UTF-8", utf8Words);
    const QString gb = writeManuscript(QStringLiteral("南城旧梦.txt"), 3, "GB18030", gbWords);
    QVERIFY(!utf8.isEmpty() && !gb.isEmpty());

    // Offline, so the book stays half imported until the batches reach the server.
    m_server.stop();
    QList<int> steps;
    // Every tip shown: an outage notice may follow the import's own tip.
    QStringList tips;
    QObject listening; // the connections end with this function
    connect(CUiManager::instance(), &CUiManager::sig_TipShown, &listening,
            [&](const QString &text) { tips << text; });
    const auto tipWith = [&](const QString &part) {
        for (const QString &tip : qAsConst(tips))
            if (tip.contains(part))
                return tip;
        return QString();
    };
    connect(model(), &QAbstractItemModel::dataChanged, &listening, [&](const QModelIndex &from) {
        const BookShelf_Book b = from.data().value<BookShelf_Book>();
        if (b.isImporting && (steps.isEmpty() || steps.last() != b.stepDone))
            steps << b.stepDone;
    });
    list()->setFileChooser([&] { return utf8; });
    addMenu(QStringLiteral("导入"));
    // A second import asked for at once (before any event is handled) is
    // refused with the tip.
    list()->setFileChooser([&] { return gb; });
    for (QAction *action : list()->delegate()->addMenu()->actions())
        if (action->text() == QStringLiteral("导入"))
            action->trigger();
    QCOMPARE(tipText(), QStringLiteral("书籍导入中，请稍候..."));

    QTRY_VERIFY_WITH_TIMEOUT(bookRow(QStringLiteral("北境长歌")) == 0, 20000);
    QTRY_VERIFY_WITH_TIMEOUT(!tipWith(QStringLiteral("45")).isEmpty(), 20000);
    BookShelf_Book shown = model()->index(0).data().value<BookShelf_Book>();
    QVERIFY(shown.isImporting);
    QCOMPARE(CBookListDelegate::captionOf(shown), QStringLiteral("导入中..."));
    QCOMPARE(shown.stepTotal, 6);
    QCOMPARE(shown.stepDone, 3);
    QCOMPARE(steps, (QList<int>{1, 2, 3})); // the bar grows batch by batch
    QCOMPARE(shown.wordNum, utf8Words);

    // While importing it cannot be opened; the book menu still opens.
    QSignalSpy opened(list()->delegate(), &CBookListDelegate::sig_open);
    clickBook(0);
    QTest::qWait(100);
    QCOMPARE(opened.count(), 0);
    QCOMPARE(window()->stack()->currentIndex(), 0);
    clickBook(0, Qt::RightButton);
    QTRY_VERIFY(list()->delegate()->bookMenu()->isVisible());
    list()->delegate()->bookMenu()->close();

    // Back online, the batches go and the import ends.
    QVERIFY(online());
    QVERIFY(syncByButton());
    QTRY_VERIFY_WITH_TIMEOUT(!model()->index(0).data().value<BookShelf_Book>().isImporting, 30000);
    QTRY_VERIFY_WITH_TIMEOUT(value("select count(*) from tb_job") == 0, 30000);
    QCOMPARE(serverBook(QStringLiteral("北境长歌")).value("book_name").toString(),
             QStringLiteral("北境长歌"));

    // The GB18030 manuscript, now that no import runs.
    addMenu(QStringLiteral("导入"));
    QTRY_VERIFY_WITH_TIMEOUT(bookRow(QStringLiteral("南城旧梦")) == 0, 20000);
    QTRY_VERIFY_WITH_TIMEOUT(!tipWith(QStringLiteral("南城旧梦")).isEmpty(), 20000);
    QVERIFY(tipWith(QStringLiteral("南城旧梦")).contains(QStringLiteral("3")));
    QCOMPARE(model()->index(0).data().value<BookShelf_Book>().wordNum, gbWords);
    QCOMPARE(m_session.books.first()->chapterList.first()->name, QStringLiteral("第1章 远方1"));
    QVERIFY(syncByButton());
    QTRY_VERIFY_WITH_TIMEOUT(value("select count(*) from tb_job") == 0, 30000);
}

void TstBookshelfXvfb::syncButtonShowsTwoSecondsThenTheTip()
{
    Widget_Bookshelf_Top *top = shelf()->top();
    QElapsedTimer clock;
    clock.start();
    QTest::mouseClick(top->syncButton(), Qt::LeftButton);
    QVERIFY(top->syncLabel()->isVisible());
    QVERIFY(!top->syncButton()->isVisible());
    QTRY_VERIFY_WITH_TIMEOUT(CUiManager::instance()->syncRunning() == 0, 20000);
    QVERIFY(top->syncLabel()->isVisible() || clock.elapsed() >= 2000);
    QTRY_VERIFY_WITH_TIMEOUT(top->syncLabel()->isHidden(), 20000);
    QVERIFY2(clock.elapsed() >= 1990, qPrintable(QString::number(clock.elapsed())));
    QVERIFY(top->syncButton()->isVisible());
    QCOMPARE(tipText(), QStringLiteral("同步成功"));

    // Against a stopped server the pass fails, the animation ends and says so.
    m_server.stop();
    QTest::mouseClick(top->syncButton(), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(top->syncLabel()->isHidden(), 30000);
    // With what failed and what to do.
    QVERIFY2(tipText().startsWith(QStringLiteral("同步失败：无法连接服务器")), qPrintable(tipText()));
    QCOMPARE(CUiManager::instance()->syncRunning(), 0);
    QVERIFY(online());
}

void TstBookshelfXvfb::statisticsPageDrawsThePushedValues()
{
    const QDate today = QDate::currentDate();
    QSqlQuery insert(QSqlDatabase::database(QStringLiteral("check")));
    const struct
    {
        int daysAgo, seconds, words, speed;
    } rows[] = {{0, 1500, 2345, 5628}, {2, 600, 800, 4800}, {5, 3600, 4100, 4100}};
    for (const auto &r : rows)
        QVERIFY(
            insert.exec(QStringLiteral("insert into tb_statistics(uid,date,writeTime,wordCount,writeSpeed) "
                                       "values(%1,'%2',%3,%4,%5)")
                            .arg(m_uid)
                            .arg(today.addDays(-r.daysAgo).toString("yyyy-MM-dd"))
                            .arg(r.seconds)
                            .arg(r.words)
                            .arg(r.speed)));
    const QJsonObject expected =
        QJsonDocument::fromJson(CJobManager::instance()->statisticsJson().toUtf8()).object();

    QTest::mouseClick(shelf()->navigation()->button(1), Qt::LeftButton);
    Widget_PersonalData *page = shelf()->content()->personalData();
    QVERIFY(page);
    QCOMPARE(shelf()->content()->currentWidget(), page);
    QSignalSpy pushed(page, &Widget_PersonalData::sig_dataPushed);
    QVERIFY(pushed.wait(20000));
    QCOMPARE(pushed.first().first().toBool(), true);
    QTRY_VERIFY(runJs(page->view(), "window.quorvinPushed || 0").toInt() >= 1);
    auto chart = [&](const QString &key) {
        return runJs(page->view(),
                     QStringLiteral("JSON.stringify(quorvinCharts.%1.data.datasets[0].data)").arg(key))
            .toString();
    };
    auto numbers = [](const QJsonArray &list) {
        QStringList out;
        for (const QJsonValue &v : list)
            out << v.toString();
        return QStringLiteral("[%1]").arg(out.join(','));
    };
    QCOMPARE(chart("words"), numbers(expected.value("wordData").toArray()));
    QCOMPARE(chart("time"), numbers(expected.value("writeTimeData").toArray()));
    QCOMPARE(chart("speed"), numbers(expected.value("speedData").toArray()));
    QVERIFY(chart("words").endsWith(QLatin1String(",2345]")));
    QCOMPARE(runJs(page->view(), "quorvinCharts.words.data.labels.length").toInt(), 7);
    QCOMPARE(runJs(page->view(), "quorvinTheme").toInt(), 1);
    QCOMPARE(runJs(page->view(), "document.getElementById('sum_word').firstChild.textContent").toString(),
             QString::number(2345 + 800 + 4100));

    // Another theme: the page is loaded again with it, then given the data.
    pushed.clear();
    QTest::mouseClick(shelf()->top()->styleButton(), Qt::LeftButton);
    QVERIFY(pushed.wait(20000));
    QCOMPARE(page->view()->url().query(), QStringLiteral("theme=2"));
    QCOMPARE(runJs(page->view(), "quorvinTheme").toInt(), 2);
    QCOMPARE(runJs(page->view(), "document.body.className").toString(), QStringLiteral("dark"));
    QCOMPARE(chart("words"), numbers(expected.value("wordData").toArray()));
    QTest::mouseClick(shelf()->top()->styleButton(), Qt::LeftButton);
    QVERIFY(pushed.wait(20000));
    QCOMPARE(page->view()->url().query(), QStringLiteral("theme=1"));

    // Shown again with the same theme: only the data goes in, no reload.
    QTest::mouseClick(shelf()->navigation()->button(0), Qt::LeftButton);
    QCOMPARE(shelf()->content()->currentIndex(), 0);
    pushed.clear();
    const int before = runJs(page->view(), "window.quorvinPushed").toInt();
    QTest::mouseClick(shelf()->navigation()->button(1), Qt::LeftButton);
    QTRY_COMPARE(runJs(page->view(), "window.quorvinPushed").toInt(), before + 1);
    QCOMPARE(pushed.count(), 0);
    QTest::mouseClick(shelf()->navigation()->button(0), Qt::LeftButton);
}

void TstBookshelfXvfb::feedbackPageSubmitsToTheServer()
{
    QTest::mouseClick(shelf()->navigation()->button(2), Qt::LeftButton);
    Widget_Feedback *page = shelf()->content()->feedback();
    QVERIFY(page);
    QSignalSpy passed(page, &Widget_Feedback::sig_themePassed);
    QVERIFY(passed.wait(20000));
    QVERIFY(page->view()->url().toString().startsWith(m_server.baseUrl() + "/webView/feedback.html?"));
    QCOMPARE(runJs(page->view(), "authorToken").toString(), m_token);

    const QString text = QStringLiteral("希望书架能按分类筛选。");
    runJs(page->view(), QStringLiteral("document.getElementById('content').value = '%1';"
                                       "document.getElementById('send').click(); true")
                            .arg(text));
    QTRY_COMPARE_WITH_TIMEOUT(runJs(page->view(), "document.getElementById('note').textContent").toString(),
                              QStringLiteral("感谢您的反馈！"), 20000);
    {
        QSqlDatabase server = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("server"));
        server.setDatabaseName(m_server.dataDir() + "/server.db");
        QVERIFY(server.open());
        QSqlQuery q(server);
        QVERIFY(q.exec(QStringLiteral("select uid, content from feedback order by id desc limit 1")));
        QVERIFY(q.next());
        QCOMPARE(q.value(0).toLongLong(), m_uid);
        QCOMPARE(q.value(1).toString(), text);
    }
    QSqlDatabase::removeDatabase(QStringLiteral("server"));

    // Shown again: the theme goes in again without a reload.
    QTest::mouseClick(shelf()->navigation()->button(0), Qt::LeftButton);
    passed.clear();
    QTest::mouseClick(shelf()->navigation()->button(2), Qt::LeftButton);
    QVERIFY(passed.wait(10000));
    QCOMPARE(runJs(page->view(), "document.getElementById('note').textContent").toString(),
             QStringLiteral("感谢您的反馈！"));
    QTest::mouseClick(shelf()->navigation()->button(0), Qt::LeftButton);
}

void TstBookshelfXvfb::screenshots()
{
    const QString dir = qEnvironmentVariable("QUORVIN_SCREENSHOT_DIR");
    if (dir.isEmpty())
        QSKIP("QUORVIN_SCREENSHOT_DIR not set");
    window()->move(0, 0);
    auto shoot = [&](const QString &file) {
        QTest::qWait(600);
        // The window as it stands on the X screen, without its shadow margin.
        const QRect r(window()->stack()->mapToGlobal(QPoint(0, 0)), window()->stack()->size());
        const QString crop =
            QStringLiteral("%1x%2+%3+%4").arg(r.width()).arg(r.height()).arg(r.x()).arg(r.y());
        QVERIFY(QProcess::execute("import", {"-window", "root", "-crop", crop, dir + "/" + file}) == 0);
    };
    // A week of writing for the statistics page.
    QSqlQuery insert(QSqlDatabase::database(QStringLiteral("check")));
    QVERIFY(insert.exec(QStringLiteral("delete from tb_statistics")));
    const int week[] = {1820, 3240, 0, 2650, 4100, 2980, 3560};
    for (int i = 0; i < 7; ++i)
        QVERIFY2(
            insert.exec(QStringLiteral("insert into tb_statistics(uid,date,writeTime,wordCount,writeSpeed) "
                                       "values(%1,'%2',%3,%4,%5)")
                            .arg(m_uid)
                            .arg(QDate::currentDate().addDays(i - 6).toString("yyyy-MM-dd"))
                            .arg(week[i] * 11 / 10)
                            .arg(week[i])
                            .arg(week[i] ? 3000 + i * 150 : 0)),
            qPrintable(insert.lastError().text()));
    // A few books with covers, one of them half imported (offline).
    const QStringList names = {QStringLiteral("星河尽头"), QStringLiteral("长安夜雨"),
                               QStringLiteral("竹林听风")};
    for (int i = 0; i < names.size(); ++i) {
        TC_Books_AddBook req;
        req.bookName = names.at(i);
        req.localCover =
            m_app->path() + QStringLiteral("/data/cover/cover_%1.png").arg(i * 3 + 4, 2, 10, QChar('0'));
        QVERIFY(CJobManager::instance()->booksAddBook(req));
    }
    QVERIFY(syncByButton());
    int words = 0;
    const QString path = writeManuscript(QStringLiteral("雪落无声.txt"), 60, "UTF-8", words);
    m_server.stop();
    list()->setFileChooser([&] { return path; });
    addMenu(QStringLiteral("导入"));
    QTRY_VERIFY_WITH_TIMEOUT(
        bookRow(QStringLiteral("雪落无声")) == 0 && !CUiManager::instance()->importRunning(), 20000);
    window()->tips()->hide();
    for (int style : {StyleLight, StyleDark}) {
        if (m_session.author.style != style)
            QTest::mouseClick(shelf()->top()->styleButton(), Qt::LeftButton);
        const QString suffix = style == StyleDark ? "dark" : "light";
        window()->tips()->hide();
        shoot(QStringLiteral("bookshelf-%1.png").arg(suffix));

        onModal<Dialog_CreateBook>([&](Dialog_CreateBook *dialog) {
            typeText(dialog->lineEdit(), QStringLiteral("新的故事"));
            QListView *covers = dialog->listView();
            QTest::mouseClick(covers->viewport(), Qt::LeftButton, {},
                              covers->visualRect(covers->model()->index(4, 0)).center());
            dialog->move(window()->geometry().center() - dialog->rect().center());
            shoot(QStringLiteral("create-book-%1.png").arg(suffix));
            dialog->reject();
        });
        addMenu(QStringLiteral("新建书籍"));
        QTest::qWait(300);

        onModal<Dialog_BookInfo>([&](Dialog_BookInfo *dialog) {
            QTest::mouseClick(dialog->radioWomen(), Qt::LeftButton);
            dialog->textEdit()->setFocus();
            typeText(dialog->textEdit(), QStringLiteral("雨夜的长安城里，一位说书人与一名少年捕快，"
                                                        "循着一桩旧案走进了大唐最深的秘密。"));
            dialog->move(window()->geometry().center() - dialog->rect().center());
            shoot(QStringLiteral("book-info-%1.png").arg(suffix));
            dialog->reject();
        });
        bookMenu(bookRow(QStringLiteral("长安夜雨")), QStringLiteral("书籍信息"));
        QTest::qWait(300);

        QTest::mouseClick(shelf()->navigation()->button(1), Qt::LeftButton);
        QTest::qWait(1500);
        shoot(QStringLiteral("statistics-%1.png").arg(suffix));
        QTest::mouseClick(shelf()->navigation()->button(0), Qt::LeftButton);
    }
    QVERIFY(online());
}

QUORVIN_TEST_MAIN(TstBookshelfXvfb)
#include "tst_bookshelf_xvfb.moc"
