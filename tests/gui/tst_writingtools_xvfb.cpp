// The sensitive-word check, the name panel and the recycle bin on the real
// creation page, on a real X server, against the real store and the
// companion server: checks and rewrites through the panel's buttons (words
// that are also markup names included), the author's own list reaching the
// server, names drawn from the server's lists and copied by a click, and
// chapters recovered and purged from the bin, locally and on the server.
// With QUORVIN_SCREENSHOT_DIR set, the screens as the author sees them.
#include "db/cquorvindb.h"
#include "manager/cjobmanager.h"
#include "manager/cqssmanager.h"
#include "manager/csystemmanager.h"
#include "manager/cuimanager.h"
#include "signedinauthor.h"
#include "testmain.h"
#include "ui/creation/chapterlistmodel.h"
#include "ui/creation/creation_textedit.h"
#include "ui/creation/creationclock.h"
#include "ui/creation/random/crandomnamedelegate.h"
#include "ui/creation/random/widget_randomname.h"
#include "ui/creation/widget_creation.h"
#include "ui/creation/widget_creation_content.h"
#include "ui/creation/widget_creation_left.h"
#include "ui/creation/widget_recyclebin.h"
#include "ui/creation/widget_sensitivewords.h"
#include "ui/float_tips.h"
#include "ui/widget_clienttips.h"
#include "ui/ztmessagebox.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QJsonArray>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QSet>
#include <QSqlQuery>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QTimer>
#include <QTranslator>
#include <QX11Info>

namespace {

const QString kUniqueCode = QStringLiteral("c00d0000000000000000000000000028");
const qint64 kDay = 24 * 60 * 60;

void pressRow(QListView *list, int row, Qt::MouseButton button = Qt::LeftButton)
{
    const QPoint pos = list->visualRect(list->model()->index(row, 0)).center();
    QMouseEvent press(QEvent::MouseButtonPress, pos, list->viewport()->mapToGlobal(pos), button, button,
                      Qt::NoModifier);
    QApplication::sendEvent(list->viewport(), &press);
    QMouseEvent release(QEvent::MouseButtonRelease, pos, list->viewport()->mapToGlobal(pos), button,
                        Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(list->viewport(), &release);
}

QAction *menuAction(QMenu *menu, const QString &text)
{
    for (QAction *action : menu->actions())
        if (action->text() == text)
            return action;
    return nullptr;
}

// Clicks button `index` of the next message box once it shows.
void answerNextBox(int index)
{
    auto *poll = new QTimer;
    poll->setInterval(20);
    QObject::connect(poll, &QTimer::timeout, [poll, index] {
        auto *box = qobject_cast<ZtMessageBox *>(QApplication::activeModalWidget());
        if (!box)
            return;
        poll->stop();
        poll->deleteLater();
        QTest::mouseClick(box->buttons().at(index), Qt::LeftButton);
    });
    poll->start();
}

} // namespace

class TstWritingToolsXvfb : public QObject
{
    Q_OBJECT

private:
    SignedInAuthor m_author{QStringLiteral("13700000128"), kUniqueCode};
    int m_now = 1800000000;
    T_SessionData &m_session = T_SessionData::instance();
    T_Book *m_book = nullptr;
    Widget_Creation *m_page = nullptr;
    QTranslator m_translator;

    Widget_Creation_Content *content() const { return m_page->content(); }
    Creation_TextEdit *editor() const { return content()->editor(); }

    static QString sqlText(const QString &text)
    {
        QSqlQuery query(QSqlDatabase::database(QStringLiteral("check")));
        query.exec(text);
        return query.next() ? query.value(0).toString() : QStringLiteral("<none>");
    }

    // The open chapter's text as the store holds it after a save.
    QString storedText()
    {
        content()->saveChapter();
        return sqlText(QStringLiteral("select content from tb_chapter where localId = %1")
                           .arg(content()->chapter()->localId));
    }

    void setText(const QString &text)
    {
        editor()->selectAll();
        editor()->insertPlainText(text);
    }

    Widget_SensitiveWords *openSensitivePanel()
    {
        QKeyEvent f5(QEvent::KeyPress, Qt::Key_F5, Qt::NoModifier);
        content()->creation_hotKeyPress(&f5);
        return content()->sensitivePanel();
    }

    Widget_RandomName *openNamePanel()
    {
        QKeyEvent f3(QEvent::KeyPress, Qt::Key_F3, Qt::NoModifier);
        content()->creation_hotKeyPress(&f3);
        return content()->randomNamePanel();
    }

    // The author's own list typed into the panel and saved.
    void saveCustomList(Widget_SensitiveWords *panel, const QString &words)
    {
        QTest::mouseClick(panel->editButton(), Qt::LeftButton);
        QVERIFY(!panel->customField()->isReadOnly());
        panel->customField()->selectAll();
        panel->customField()->insertPlainText(words);
        QTest::mouseClick(panel->saveButton(), Qt::LeftButton);
        QVERIFY(panel->customField()->isReadOnly());
        QVERIFY(panel->editButton()->isVisible());
    }

    T_Chapter *newChapter(const QString &name)
    {
        TC_Chapter_Create req;
        req.localBookId = m_book->localId;
        req.bookId = m_book->bookId;
        req.chapterName = name;
        int order = 0;
        for (const T_Chapter *c : m_book->chapterList + m_book->recycleList)
            order = qMax(order, c->orderNum);
        req.order_num = order + 1;
        req.update_time = m_now + req.order_num;
        if (!CJobManager::instance()->chapterCreate(req))
            return nullptr;
        return findChapter(req.localChapterId);
    }

    T_Chapter *findChapter(int localChapterId) const
    {
        for (T_Chapter *c : m_book->chapterList + m_book->recycleList)
            if (c->localId == localChapterId)
                return c;
        return nullptr;
    }

    bool recycle(T_Chapter *chapter)
    {
        TC_Chapter_Recycle req;
        req.localBookId = chapter->localBookId;
        req.localChapterId = chapter->localId;
        req.status = 0;
        req.update_time = m_now;
        return CJobManager::instance()->chapterRecycle(req);
    }

    // chapter id -> status on the server (absent: deleted there).
    QMap<qint64, int> serverChapters()
    {
        const QJsonArray menu =
            m_author.api(QStringLiteral("f00d0000000000000000000000000028"))
                .get(QStringLiteral("/chapter/chapterMenu"), {{"book_id", QString::number(m_book->bookId)}})
                .object()
                .value("menu")
                .toArray();
        QMap<qint64, int> out;
        for (const QJsonValue &v : menu)
            out.insert(v.toObject().value("chapter_id").toVariant().toLongLong(),
                       v.toObject().value("status").toInt());
        return out;
    }

    Widget_RecycleBin *openBin()
    {
        m_page->left()->on_btn_creation_recycle_clicked();
        Widget_RecycleBin *bin = m_page->left()->recycleBin();
        if (!bin || !QTest::qWaitForWindowExposed(bin))
            return nullptr;
        return bin;
    }

    void shoot(const QString &name, const QRect &area)
    {
        const QString dir = qEnvironmentVariable("QUORVIN_SCREENSHOT_DIR");
        if (dir.isEmpty())
            return;
        // A sync toast of the saves above would stand over the panels.
        for (QWidget *tip : QApplication::allWidgets())
            if (qobject_cast<Widget_ClientTips *>(tip))
                tip->hide();
        QTest::qWait(300);
        QTemporaryDir tmp;
        const QString whole = tmp.filePath("root.png");
        QCOMPARE(QProcess::execute("import", {"-window", "root", whole}), 0);
        QImage screen(whole);
        QVERIFY(!screen.isNull());
        QVERIFY(
            screen.copy(area.adjusted(-16, -16, 16, 16).intersected(screen.rect())).save(dir + "/" + name));
    }

private slots:
    void initTestCase()
    {
        QVERIFY(QX11Info::isPlatformX11());
        QVERIFY(m_translator.load(":/res/client.qm"));
        QCoreApplication::installTranslator(&m_translator);
        m_session.author.style = StyleLight;
        m_session.user.isSound = 0;
        m_session.user.isFocusing = 0;
        m_session.user.isCenter = 1;
        m_session.user.fontSize = 16;
        m_session.user.fontFamily = QStringLiteral("Noto Sans CJK SC");
        QVERIFY(m_author.start());
        CreationClock::setSource([this] { return m_now; });
        // The reference data of the server: the public word list, the name
        // lists (their answers reach the system manager through the coordinator).
        CJobManager::instance();
        CSystemManager::instance()->checkSysData(m_session.synData);
        QTRY_VERIFY_WITH_TIMEOUT(!m_session.publicSensitiveWords.isEmpty(), 20000);
        QTRY_COMPARE_WITH_TIMEOUT(SignedInAuthor::value("select count(*) from tb_people"), 12, 20000);

        m_book = SignedInAuthor::onlineBook(QStringLiteral("灯下集"));
        QVERIFY(m_book);
        m_page = SignedInAuthor::openCreation(m_book);
        QVERIFY(m_page);
        QTRY_COMPARE(content()->chapter(), m_book->chapterList.first());
        content()->creationTimer()->stop();
        QTRY_VERIFY(!editor()->isReadOnly());
    }

    void cleanupTestCase()
    {
        CreationClock::setSource({});
        QCoreApplication::removeTranslator(&m_translator);
        m_author.finish();
    }

    // Each row: the author's own words, the boxes, the chapter's text, the
    // option chosen on the result page; the count shown and the text stored.
    void checkAndRewrite_data()
    {
        QTest::addColumn<QString>("custom");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("option");
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("stored");

        QTest::newRow("both boxes unchecked") << "仙侠" << 0 << "仙侠与赌博" << 3 << 0 << "仙侠与赌博";
        QTest::newRow("words that are markup names")
            << "span、font、color、p、style、br、b" << 2 << "p在span里，font的color与style，br之后b" << 3 << 9
            << "*在****里，****的*****与*****，**之后*";
        QTest::newRow("pinyin of both lists") << "仙侠、魔" << 3 << "仙侠赌博魔" << 2 << 3 << "xianxiadubomo";
        QTest::newRow("overlapping hits, hyphens") << "哈哈" << 2 << "哈哈哈" << 4 << 2 << "哈-哈-哈";
        QTest::newRow("blank custom word") << "仙侠、 、魔" << 2 << "仙侠 魔" << 3 << 3 << "****";
        QTest::newRow("highlight keeps the text") << "魔" << 2 << "魔在魔中" << 1 << 2 << "魔在魔中";
    }
    void checkAndRewrite()
    {
        QFETCH(QString, custom);
        QFETCH(int, status);
        QFETCH(QString, text);
        QFETCH(int, option);
        QFETCH(int, count);
        QFETCH(QString, stored);

        setText(text);
        Widget_SensitiveWords *panel = openSensitivePanel();
        QVERIFY(panel && panel->isVisible());
        QCOMPARE(panel->pages()->currentIndex(), 0);
        saveCustomList(panel, custom);
        if (panel->regularBox()->isChecked() != bool(status & 1))
            QTest::mouseClick(panel->regularBox(), Qt::LeftButton);
        if (panel->customBox()->isChecked() != bool(status & 2))
            QTest::mouseClick(panel->customBox(), Qt::LeftButton);
        QCOMPARE(m_session.user.sensitiveStatus, status);
        QTest::mouseClick(panel->checkButton(), Qt::LeftButton);
        QCOMPARE(panel->pages()->currentIndex(), 1);
        QCOMPARE(panel->resultLabel()->text(), count > 0
                                                   ? QStringLiteral("本次检测，共发现%1处敏感词！").arg(count)
                                                   : QStringLiteral("本次检测，未发现敏感词！"));
        QCOMPARE(m_session.sensitiveMatcher.hits().size(), count);
        QVERIFY(panel->optionGroup()->button(1)->isChecked());
        QTest::mouseClick(panel->optionGroup()->button(option), Qt::LeftButton);
        QTest::mouseClick(panel->confirmButton(), Qt::LeftButton);
        QCOMPARE(panel->pages()->currentIndex(), 0);
        QCOMPARE(editor()->toPlainText(), stored);
        QCOMPARE(storedText(), stored);
        if (option == 1) {
            QCOMPARE(content()->sensitiveHighlight().size(), count);
            QTest::keyClick(editor(), Qt::Key_Right);
            QVERIFY(content()->sensitiveHighlight().isEmpty());
        }
        // A rewrite is one step back for the author.
        if (option > 1 && count > 0) {
            editor()->undo();
            QCOMPARE(editor()->toPlainText(), text);
        }
        panel->hide();
    }

    void customListReachesTheServer()
    {
        Widget_SensitiveWords *panel = openSensitivePanel();
        saveCustomList(panel, QStringLiteral("青冥、 、剑匣"));
        QCOMPARE(m_session.authorSensitiveWords, QStringLiteral("青冥、 、剑匣"));
        QCOMPARE(sqlText(QStringLiteral("select words from tb_sensitive_words where type = 2 and uid = %1")
                             .arg(m_author.uid())),
                 QStringLiteral("青冥、 、剑匣"));
        // Edits since the last replay are one job with the latest words.
        QVERIFY(SignedInAuthor::value(QStringLiteral("select count(*) from tb_job where jobType = 30")) <= 1);
        QVERIFY(SignedInAuthor::replay());
        const QJsonObject words =
            m_author.api(QStringLiteral("f00d0000000000000000000000000028"))
                .post(QStringLiteral("/sensitive/getSensitive"), {{"sensitive_type", "2"}})
                .object();
        QCOMPARE(words.value("sensitiveWords").toString(), QStringLiteral("青冥、 、剑匣"));
        // Cancel puts the stored words back.
        QTest::mouseClick(panel->editButton(), Qt::LeftButton);
        panel->customField()->setPlainText(QStringLiteral("未保存"));
        QTest::mouseClick(panel->cancelEditButton(), Qt::LeftButton);
        QCOMPARE(panel->customField()->toPlainText(), QStringLiteral("青冥、 、剑匣"));
        QVERIFY(panel->customField()->isReadOnly());
        panel->hide();
    }

    // Words saved offline are newer than the server's: a fetch of the
    // server's list answered meanwhile does not replace them, and they reach
    // the server once it is back.
    void offlineWordsOutliveAFetch()
    {
        QVERIFY(m_author.goOffline());
        Widget_SensitiveWords *panel = openSensitivePanel();
        saveCustomList(panel, QStringLiteral("离线词、旧梦"));
        panel->hide();
        QCOMPARE(SignedInAuthor::value(QStringLiteral("select count(*) from tb_job where jobType = 30")), 1);
        T_Http_C route;
        route.jobType = JobType_SensitiveFetch;
        route.uid = int(m_author.uid());
        CSystemManager::instance()->asynBack(
            route, R"({"code":200,"msg":"","server_time":1800000000,)"
                   R"("content":{"version":9,"sensitiveWords":"服务器旧词","sensitive_type":2}})");
        QCOMPARE(m_session.authorSensitiveWords, QStringLiteral("离线词、旧梦"));
        QCOMPARE(sqlText(QStringLiteral("select words from tb_sensitive_words where type = 2 and uid = %1")
                             .arg(m_author.uid())),
                 QStringLiteral("离线词、旧梦"));
        // The pass that met the closed server ends first.
        QTRY_COMPARE_WITH_TIMEOUT(CUiManager::instance()->syncRunning(), 0, 20000);
        QVERIFY(m_author.goOnline());
        QVERIFY(SignedInAuthor::replay());
        const QJsonObject words =
            m_author.api(QStringLiteral("f00d0000000000000000000000000028"))
                .post(QStringLiteral("/sensitive/getSensitive"), {{"sensitive_type", "2"}})
                .object();
        QCOMPARE(words.value("sensitiveWords").toString(), QStringLiteral("离线词、旧梦"));
    }

    void namesOfThreeKinds()
    {
        // The server's twelve lists arrived whole: hundreds of distinct
        // names each (the compound surnames are fewer: about a hundred).
        for (int type = 1; type <= 12; ++type) {
            QStringList names;
            QVERIFY(CQuorvinDb::instance()->getNames(type, names));
            QVERIFY2(names.size() >= (type == 2 ? 90 : 160), qPrintable(QString::number(type)));
            QCOMPARE(QSet<QString>(names.cbegin(), names.cend()).size(), names.size());
        }
        Widget_RandomName *panel = openNamePanel();
        QVERIFY(panel && panel->isVisible());
        QCOMPARE(panel->names().size(), 20);
        QVERIFY(panel->familyRow()->isVisible());
        QVERIFY(!panel->surnameButton()->isVisible());

        QTest::mouseClick(panel->doubleButton(), Qt::LeftButton);
        QCOMPARE(panel->surnameEdit()->text().size(), 2);
        QTest::mouseClick(panel->singleButton(), Qt::LeftButton);
        QCOMPARE(panel->surnameEdit()->text().size(), 1);

        panel->surnameEdit()->clear();
        // Typed through an input method, as Chinese is.
        QInputMethodEvent commit;
        commit.setCommitString(QStringLiteral("欧阳"));
        QApplication::sendEvent(panel->surnameEdit(), &commit);
        QCOMPARE(panel->surnameEdit()->text(), QStringLiteral("欧阳"));
        QTest::mouseClick(panel->lengthGroup()->button(1), Qt::LeftButton);
        QTest::mouseClick(panel->femaleButton(), Qt::LeftButton);
        QTest::mouseClick(panel->confirmButton(), Qt::LeftButton);
        QCOMPARE(panel->names().size(), 20);
        for (const QString &name : panel->names()) {
            QVERIFY2(name.startsWith(QStringLiteral("欧阳")), qPrintable(name));
            QCOMPARE(name.size(), 3);
        }

        // A click copies exactly that name and shows the tip.
        QListView *list = panel->listView();
        const QString third = panel->names().at(2);
        QApplication::clipboard()->clear();
        pressRow(list, 2);
        QCOMPARE(QApplication::clipboard()->text(), third);
        QVERIFY(panel->delegate()->tip()->isVisible());
        QCOMPARE(panel->delegate()->tip()->text(), QStringLiteral("已复制"));

        QTest::mouseClick(panel->kindGroup()->button(4), Qt::LeftButton);
        QVERIFY(panel->surnameEdit()->text().isEmpty());
        QVERIFY(!panel->familyRow()->isVisible());
        QVERIFY(!panel->lengthRow()->isVisible());
        QVERIFY(panel->surnameButton()->isVisible());
        QCOMPARE(panel->names().size(), 20);
        for (const QString &name : panel->names())
            QVERIFY2(name.contains(QStringLiteral("·")), qPrintable(name));
        QTest::mouseClick(panel->surnameButton(), Qt::LeftButton);
        QVERIFY(!panel->surnameEdit()->text().isEmpty());

        QTest::mouseClick(panel->kindGroup()->button(2), Qt::LeftButton);
        QCOMPARE(panel->names().size(), 20);
        QTest::mouseClick(panel->nameHeader(), Qt::LeftButton);
        QVERIFY(!panel->kindRow()->isVisible());
        QTest::mouseClick(panel->nameHeader(), Qt::LeftButton);
        QVERIFY(panel->kindRow()->isVisible());
        QTest::mouseClick(panel->kindGroup()->button(1), Qt::LeftButton);
        QTest::mouseClick(panel->cancelButton(), Qt::LeftButton);
        QVERIFY(!panel->isVisible());
    }

    void daysLeft_data()
    {
        QTest::addColumn<qint64>("elapsed");
        QTest::addColumn<int>("days");
        QTest::newRow("just recycled") << qint64(0) << 30;
        QTest::newRow("5 days 12 hours left") << qint64(24 * kDay + 12 * 3600) << 6;
        QTest::newRow("one second left") << qint64(30 * kDay - 1) << 1;
        QTest::newRow("time is up") << qint64(30 * kDay) << 0;
        QTest::newRow("long past") << qint64(90 * kDay) << 0;
        QTest::newRow("clock behind the recycling") << qint64(-kDay) << 31;
    }
    void daysLeft()
    {
        QFETCH(qint64, elapsed);
        QFETCH(int, days);
        QCOMPARE(Widget_RecycleBin::daysLeft(1800000000, 1800000000 + elapsed), days);
    }

    void recycleBin()
    {
        Widget_RecycleBin *bin = openBin();
        QVERIFY(bin);
        // Nothing recycled yet: empty list, empty details.
        QCOMPARE(bin->model()->rowCount(), 0);
        QVERIFY(bin->createTimeLabel()->text().isEmpty());
        QVERIFY(bin->textView()->toPlainText().isEmpty());
        bin->closeButton()->click();
        QVERIFY(!bin->isVisible());

        T_Chapter *a = newChapter(QStringLiteral("第2章 山雨"));
        T_Chapter *b = newChapter(QStringLiteral("第3章 夜航"));
        T_Chapter *c = newChapter(QStringLiteral("第4章 归舟"));
        QVERIFY(a && b && c);
        CQuorvinDb::instance()->setChapterContent(a->localId, QStringLiteral("山雨欲来\n\n风满楼"), 7);
        a->isContentLoaded = false;
        QVERIFY(SignedInAuthor::replay());
        QVERIFY(recycle(a) && recycle(b) && recycle(c));
        const int live = m_book->chapterList.size();

        // 5 days and 12 hours left for every chapter.
        m_now += int(24 * kDay + 12 * 3600);
        bin = openBin();
        QCOMPARE(bin->model()->rowCount(), 3);
        QCOMPARE(bin->currentChapter(), a);
        QCOMPARE(bin->daysLeftLabel()->text(), QStringLiteral("剩余 : 6天"));
        QCOMPARE(bin->wordCountLabel()->text(), QStringLiteral("7 字"));
        QCOMPARE(bin->textView()->toPlainText(), QStringLiteral("山雨欲来\n风满楼"));
        QVERIFY(bin->createTimeLabel()->text().startsWith(QStringLiteral("创建时间 : ")));

        // Right click on the second row, then recover it: the third shows.
        pressRow(bin->listView(), 1, Qt::RightButton);
        QCOMPARE(bin->currentChapter(), b);
        QTRY_VERIFY(bin->menu()->isVisible());
        QAction *recover = menuAction(bin->menu(), QStringLiteral("恢复"));
        QVERIFY(recover);
        bin->menu()->hide();
        recover->trigger();
        QCOMPARE(bin->model()->rowCount(), 2);
        QCOMPARE(bin->currentChapter(), c);
        QVERIFY(m_book->chapterList.contains(b));
        QCOMPARE(m_page->left()->model()->rowCount(), live + 1);

        // Delete the last row: the one before it shows.
        pressRow(bin->listView(), 1);
        QCOMPARE(bin->currentChapter(), c);
        const int purged = c->localId; // the chapter's record goes with it
        QVERIFY(bin->deleteCurrent());
        QCOMPARE(bin->currentChapter(), a);
        QCOMPARE(SignedInAuthor::value(
                     QStringLiteral("select count(*) from tb_chapter where localId = %1").arg(purged)),
                 0);

        // Recovering the last one leaves the details empty and the chapter
        // back in the list.
        QVERIFY(bin->recoverCurrent());
        QCOMPARE(bin->model()->rowCount(), 0);
        QVERIFY(bin->currentChapter() == nullptr);
        QVERIFY(bin->textView()->toPlainText().isEmpty());
        QVERIFY(bin->daysLeftLabel()->text().isEmpty());
        QCOMPARE(m_page->left()->model()->rowCount(), live + 2);
        QVERIFY(m_page->left()->model()->rowOf(a->localId) >= 0);
        bin->closeButton()->click();
    }

    void allAtOnceReachTheServer()
    {
        QList<T_Chapter *> made;
        for (const QString &name : {QStringLiteral("第5章 一"), QStringLiteral("第6章 二"),
                                    QStringLiteral("第7章 三"), QStringLiteral("第8章 四")})
            made << newChapter(name);
        QVERIFY(SignedInAuthor::replay());
        for (T_Chapter *chapter : made)
            QVERIFY(chapter && chapter->chapterId > 0 && recycle(chapter));
        const QList<qint64> ids{made.at(0)->chapterId, made.at(1)->chapterId, made.at(2)->chapterId,
                                made.at(3)->chapterId};

        // Recover all: every chapter live again, here and on the server.
        Widget_RecycleBin *bin = openBin();
        QCOMPARE(bin->model()->rowCount(), 4);
        QSignalSpy replain(bin, &Widget_RecycleBin::sig_Replain);
        menuAction(bin->menu(), QStringLiteral("全部恢复"))->trigger();
        QCOMPARE(replain.count(), 1);
        QCOMPARE(bin->model()->rowCount(), 0);
        QVERIFY(m_book->recycleList.isEmpty());
        QVERIFY(SignedInAuthor::replay());
        QMap<qint64, int> server = serverChapters();
        for (qint64 id : ids)
            QCOMPARE(server.value(id, -1), 1);

        // Delete all: gone here and on the server.
        for (T_Chapter *chapter : made)
            QVERIFY(recycle(chapter));
        bin = openBin();
        QCOMPARE(bin->model()->rowCount(), 4);
        // Asked first: cancelling keeps every chapter.
        answerNextBox(0);
        menuAction(bin->menu(), QStringLiteral("全部删除"))->trigger();
        QCOMPARE(bin->model()->rowCount(), 4);
        QCOMPARE(m_book->recycleList.size(), 4);
        answerNextBox(1);
        menuAction(bin->menu(), QStringLiteral("全部删除"))->trigger();
        QCOMPARE(bin->model()->rowCount(), 0);
        QVERIFY(m_book->recycleList.isEmpty());
        QCOMPARE(SignedInAuthor::value(QStringLiteral("select count(*) from tb_chapter where status = 0")),
                 0);
        QVERIFY(SignedInAuthor::replay());
        server = serverChapters();
        for (qint64 id : ids)
            QVERIFY2(!server.contains(id) || server.value(id) == -1, qPrintable(QString::number(id)));
        bin->closeButton()->click();
    }

    void screenshots()
    {
        if (qEnvironmentVariable("QUORVIN_SCREENSHOT_DIR").isEmpty())
            QSKIP("QUORVIN_SCREENSHOT_DIR not set");
        const QString text = QStringLiteral(
            "雨停的时候，镇上的灯一盏一盏亮起来。说书人讲到仙侠斗法，满座喝彩，有人低声说起城东的赌场。\n"
            "她把信纸压在砚台下，推开窗，看见河面上漂着去年的桂花。远处的魔音一阵紧似一阵。");
        T_Chapter *recycled = newChapter(QStringLiteral("第9章 旧信"));
        CQuorvinDb::instance()->setChapterContent(recycled->localId, text, text.size());
        recycled->isContentLoaded = false;
        QVERIFY(recycle(recycled));
        m_now += int(3 * kDay);
        for (int style : {int(StyleLight), int(StyleDark)}) {
            const QString theme = style == StyleDark ? "dark" : "light";
            if (m_session.author.style != style)
                CUiManager::instance()->toggleTheme();
            content()->recolour();
            content()->applyFormat();
            setText(text);
            const QRect window = m_page->window()->frameGeometry();

            Widget_SensitiveWords *panel = openSensitivePanel();
            saveCustomList(panel, QStringLiteral("仙侠、魔"));
            ++m_now;
            content()->onCreationTimer();
            // The sync the save starts, and its toast, are over first.
            QVERIFY(SignedInAuthor::waitIdle());
            QTest::qWait(2600);
            if (!panel->regularBox()->isChecked())
                QTest::mouseClick(panel->regularBox(), Qt::LeftButton);
            if (!panel->customBox()->isChecked())
                QTest::mouseClick(panel->customBox(), Qt::LeftButton);
            shoot(QStringLiteral("sensitive-settings-%1.png").arg(theme), window);
            QTest::mouseClick(panel->checkButton(), Qt::LeftButton);
            shoot(QStringLiteral("sensitive-result-%1.png").arg(theme), window);
            QTest::mouseClick(panel->confirmButton(), Qt::LeftButton);
            panel->hide();
            QVERIFY(SignedInAuthor::waitIdle());
            QTest::qWait(2600);
            shoot(QStringLiteral("sensitive-highlight-%1.png").arg(theme), window);
            QTest::keyClick(editor(), Qt::Key_End);

            Widget_RandomName *names = openNamePanel();
            names->update();
            shoot(QStringLiteral("names-%1.png").arg(theme), window);
            names->hide();

            Widget_RecycleBin *bin = openBin();
            shoot(QStringLiteral("recycle-bin-%1.png").arg(theme), window);
            bin->closeButton()->click();
        }
        if (m_session.author.style != StyleLight)
            CUiManager::instance()->toggleTheme();
    }
};

QUORVIN_TEST_MAIN(TstWritingToolsXvfb)
#include "tst_writingtools_xvfb.moc"
