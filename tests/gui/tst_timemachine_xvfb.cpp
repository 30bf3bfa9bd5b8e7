// The time machine against the real store and the companion server, on a
// real X display: the ten newest snapshots newest first, the coloured
// comparison built from the chapter's own text (escaped), restore and its
// undo (the chapter's text on the server, the open editor, the book's word
// count), snapshots kept after a refusal, the colours' hint, and with
// QUORVIN_SCREENSHOT_DIR set the screenshots of the time machine and of find
// and replace in both themes.
#include "db/cquorvindb.h"
#include "manager/cjobmanager.h"
#include "manager/cqssmanager.h"
#include "manager/cuimanager.h"
#include "signedinauthor.h"
#include "testmain.h"
#include "ui/creation/creation_textedit.h"
#include "ui/creation/dialog_search.h"
#include "ui/creation/timemachine/dialog_timemachine.h"
#include "ui/creation/timemachine/widget_comparehint.h"
#include "ui/creation/widget_creation.h"
#include "ui/creation/widget_creation_content.h"
#include "ui/creation/widget_creation_left.h"

#include <QAction>
#include <QInputMethodEvent>
#include <QJsonArray>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QSqlError>
#include <QSqlQuery>
#include <QTextBlock>
#include <QTextEdit>
#include <QTranslator>
#include <QX11Info>

namespace {

const QString kUniqueCode = QStringLiteral("c00d0000000000000000000000000027");

// Chinese reaches a field through the input method's commit.
void commit(QWidget *field, const QString &text)
{
    QInputMethodEvent event;
    event.setCommitString(text);
    QApplication::sendEvent(field, &event);
}

} // namespace

class TstTimeMachineXvfb : public QObject
{
    Q_OBJECT

private:
    SignedInAuthor m_author{QStringLiteral("13700000127"), kUniqueCode};
    T_SessionData &m_session = T_SessionData::instance();
    QTranslator m_translator;
    Widget_Creation *m_page = nullptr;

    Widget_Creation_Content *content() const { return m_page->content(); }

    static QString sqlText(const QString &text)
    {
        QSqlQuery query(QSqlDatabase::database(QStringLiteral("check")));
        query.exec(text);
        return query.next() ? query.value(0).toString() : QStringLiteral("<none>");
    }

    // A book on the server whose first chapter holds `text`, open in the editor.
    T_Chapter *chapterWith(const QString &bookName, const QString &text)
    {
        T_Book *book = SignedInAuthor::onlineBook(bookName);
        if (!book)
            return nullptr;
        m_page = SignedInAuthor::openCreation(book);
        if (!m_page ||
            !QTest::qWaitFor([&] { return content()->chapter() == book->chapterList.first(); }, 5000))
            return nullptr;
        content()->creationTimer()->stop();
        content()->editor()->setPlainText(text);
        content()->saveChapter();
        return book->chapterList.first();
    }

    // Stores a snapshot of `chapter` as the editor does, at `time`.
    static void addSnapshot(const T_Chapter *chapter, const QString &text, int time, int bladeId = 0)
    {
        QSqlQuery q(QSqlDatabase::database(QStringLiteral("check")));
        q.prepare(
            QStringLiteral("insert into tb_contentblade(uid,localBookId,localChapterId,bookId,chapterId,"
                           "bladeId,content,wordCount,createTime) values(?,?,?,?,?,?,?,?,?)"));
        for (const QVariant &v :
             {QVariant(T_SessionData::instance().author.uid), QVariant(chapter->localBookId),
              QVariant(chapter->localId), QVariant(chapter->bookId), QVariant(chapter->chapterId),
              QVariant(bladeId), QVariant(text), QVariant(text.size()), QVariant(time)})
            q.addBindValue(v);
        QVERIFY2(q.exec(), qPrintable(q.lastError().text()));
    }

    static void clickRow(Dialog_TimeMachine &dialog, int row)
    {
        QListView *list = dialog.listView();
        const QRect rect = list->visualRect(list->model()->index(row, 0));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect.center());
    }

    static bool coloured(const QString &html)
    {
        return html.contains(QLatin1String("color:#ff0000")) ||
               html.contains(QLatin1String("color:#0000ff")) ||
               html.contains(QLatin1String("color:#ff6b6b")) || html.contains(QLatin1String("color:#6f9bff"));
    }

    QString serverText(const T_Chapter *chapter) const
    {
        const TestHttpReply reply =
            m_author.api(QStringLiteral("c00d00000000000000000000000000ff"))
                .get(QStringLiteral("/chapter/timeMachine"),
                     {{QStringLiteral("book_id"), QString::number(chapter->bookId)},
                      {QStringLiteral("chapter_id"), QString::number(chapter->chapterId)}});
        return reply.object()
            .value(QStringLiteral("origin"))
            .toObject()
            .value(QStringLiteral("content"))
            .toString();
    }

    void shoot(QWidget *window, const QString &name)
    {
        const QString dir = qEnvironmentVariable("QUORVIN_SCREENSHOT_DIR");
        if (dir.isEmpty())
            return;
        QTest::qWait(300);
        const QImage screen = QGuiApplication::primaryScreen()->grabWindow(0).toImage();
        const QRect around = window->frameGeometry().adjusted(-16, -16, 16, 16);
        QVERIFY(screen.copy(around.intersected(screen.rect())).save(dir + "/" + name));
    }

private slots:
    void initTestCase()
    {
        QVERIFY(QX11Info::isPlatformX11());
        QVERIFY(m_translator.load(":/res/client.qm"));
        QCoreApplication::installTranslator(&m_translator);
        m_session.author.style = StyleLight;
        m_session.user.isSound = 0;
        m_session.user.fontFamily = QStringLiteral("Noto Sans CJK SC");
        QVERIFY(m_author.start());
    }

    void cleanupTestCase()
    {
        QCoreApplication::removeTranslator(&m_translator);
        m_author.finish();
    }

    void listsTheTenNewestNewestFirst()
    {
        T_Chapter *chapter = chapterWith(QStringLiteral("十四版"), QStringLiteral("现在的文字"));
        QVERIFY(chapter);
        for (int i = 0; i < 14; ++i)
            addSnapshot(chapter, QStringLiteral("第%1版").arg(i), 1700000000 + i * 60);
        Dialog_TimeMachine dialog(chapter, m_page->window());
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QCOMPARE(dialog.countLabel()->text(), QStringLiteral("版本列表（1/10）"));
        QCOMPARE(dialog.blades().size(), 10);
        for (int row = 0; row < 10; ++row)
            QCOMPARE(dialog.blades().at(row).content, QStringLiteral("第%1版").arg(13 - row));
        QCOMPARE(dialog.selectedRow(), 0);
        QCOMPARE(dialog.listView()->model()->index(0, 0).data().toString(),
                 QDateTime::fromSecsSinceEpoch(1700000000 + 13 * 60).toString("yyyy-MM-dd hh:mm:ss"));
        QCOMPARE(dialog.bladePane()->toPlainText(), QStringLiteral("第13版"));
        clickRow(dialog, 3);
        QCOMPARE(dialog.countLabel()->text(), QStringLiteral("版本列表（4/10）"));
        QCOMPARE(dialog.bladePane()->toPlainText(), QStringLiteral("第10版"));
        // Deleted since: the snapshot's "第10版"; added: "现在的文字".
        QVERIFY(dialog.comparisonHtmlShown().contains(
            QStringLiteral("<span style='color:#ff0000;'>第10版</span>")));
        QVERIFY(dialog.comparisonHtmlShown().contains(
            QStringLiteral("<span style='color:#0000ff;'>现在的文字</span>")));
        for (QWidget *w : dialog.findChildren<QWidget *>())
            if ((qobject_cast<QPushButton *>(w) || qobject_cast<QTextEdit *>(w) ||
                 qobject_cast<QListView *>(w)) &&
                w->isVisibleTo(&dialog))
                QVERIFY2(!w->accessibleName().isEmpty(), qPrintable(w->objectName()));
    }

    void noSnapshotsShowsZeroOfZero()
    {
        T_Chapter *chapter = chapterWith(QStringLiteral("无版本"), QStringLiteral("正文"));
        QVERIFY(chapter);
        Dialog_TimeMachine dialog(chapter, m_page->window());
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QCOMPARE(dialog.countLabel()->text(), QStringLiteral("版本列表（0/0）"));
        QVERIFY(dialog.bladePane()->toPlainText().isEmpty());
        QVERIFY(dialog.comparisonPane()->toPlainText().isEmpty());
        QVERIFY(!dialog.restoreButton()->isEnabled());
        QVERIFY(!dialog.restoreSelected());
    }

    void chapterTextIsNeverMarkup()
    {
        const QString now = QStringLiteral("他写下<b>粗</b>与&amp;，还有<script>alert(1)</script>。");
        T_Chapter *chapter = chapterWith(QStringLiteral("标记"), now);
        QVERIFY(chapter);
        addSnapshot(chapter, QStringLiteral("他写下<b>细</b>与&lt;\"引号\"'单'"), 1700000000);
        Dialog_TimeMachine dialog(chapter, m_page->window());
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        const QString html = dialog.comparisonHtmlShown();
        QVERIFY2(!html.contains(QLatin1String("<b>")) && !html.contains(QLatin1String("<script>")),
                 qPrintable(html));
        QVERIFY(html.contains(QLatin1String("&lt;script&gt;")));
        QVERIFY(html.contains(QLatin1String("&quot;")));
        QVERIFY(html.contains(QLatin1String("&#39;")));
        // Both panes show the texts exactly as written.
        QCOMPARE(dialog.bladePane()->toPlainText(), QStringLiteral("他写下<b>细</b>与&lt;\"引号\"'单'"));
        // Read back from the pane: what is not red is the current text,
        // what is not blue the snapshot's, character for character.
        QString current;
        QString snapshot;
        QTextDocument *doc = dialog.comparisonPane()->document();
        for (QTextBlock block = doc->begin(); block.isValid(); block = block.next())
            for (auto it = block.begin(); !it.atEnd(); ++it) {
                const QColor colour = it.fragment().charFormat().foreground().color();
                if (colour != QColor("#ff0000"))
                    current += it.fragment().text();
                if (colour != QColor("#0000ff"))
                    snapshot += it.fragment().text();
            }
        QCOMPARE(current, now);
        QCOMPARE(snapshot, QStringLiteral("他写下<b>细</b>与&lt;\"引号\"'单'"));
    }

    void blankLinesMakeNoEmptyParagraphs()
    {
        T_Chapter *chapter = chapterWith(QStringLiteral("空行"), QStringLiteral("甲\n乙"));
        QVERIFY(chapter);
        addSnapshot(chapter, QStringLiteral("\n甲\n\n\r\n乙\n\n"), 1700000000);
        Dialog_TimeMachine dialog(chapter, m_page->window());
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QTextDocument *doc = dialog.bladePane()->document();
        QCOMPARE(doc->blockCount(), 2);
        for (QTextBlock b = doc->begin(); b.isValid(); b = b.next())
            QVERIFY(!b.text().isEmpty());
        QVERIFY(!dialog.comparisonHtmlShown().contains(QLatin1String("'></p>")));
    }

    // Restore through the button, then undo it from the snapshot the restore
    // kept; both reach the store, the server, the editor and the book.
    void restoreAndUndoTheRestore()
    {
        const QString current = QStringLiteral("雨停了。\n她推开窗，河面上漂着桂花。");
        const QString old = QStringLiteral("雨停了。\n他推开门。");
        T_Chapter *chapter = chapterWith(QStringLiteral("恢复"), current);
        QVERIFY(chapter);
        T_Book *book = m_page->book();
        addSnapshot(chapter, old, 1700000000);
        QVERIFY(SignedInAuthor::replay());
        QCOMPARE(serverText(chapter), current);

        Dialog_TimeMachine dialog(chapter, m_page->window());
        connect(&dialog, &Dialog_TimeMachine::sig_restored, m_page, [this](int id) {
            if (content()->chapter() && content()->chapter()->localId == id)
                content()->openChapter(m_page->book(), content()->chapter());
        });
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QVERIFY(coloured(dialog.comparisonHtmlShown()));
        QTest::mouseClick(dialog.restoreButton(), Qt::LeftButton);

        QCOMPARE(chapter->content, old);
        QCOMPARE(
            sqlText(
                QStringLiteral("select content from tb_chapter where localId = %1").arg(chapter->localId)),
            old);
        QCOMPARE(content()->editor()->toPlainText(), old);
        QCOMPARE(chapter->wordCount, CUiManager::countWords(old));
        QCOMPARE(book->wordNum, CUiManager::countWords(old));
        QCOMPARE(sqlText(QStringLiteral("select wordNum from tb_book where localId = %1").arg(book->localId))
                     .toInt(),
                 CUiManager::countWords(old));
        // The replaced text is the newest version; the restored one stays
        // selected and shows no difference any more.
        QCOMPARE(dialog.blades().size(), 2);
        QCOMPARE(dialog.blades().first().content, current);
        QCOMPARE(dialog.blades().at(dialog.selectedRow()).content, old);
        QVERIFY2(!coloured(dialog.comparisonHtmlShown()), qPrintable(dialog.comparisonHtmlShown()));
        QVERIFY(SignedInAuthor::replay());
        QCOMPARE(serverText(chapter), old);

        // Taken by mistake: the text before it comes back from the top row.
        clickRow(dialog, 0);
        QCOMPARE(dialog.selectedRow(), 0);
        QVERIFY(coloured(dialog.comparisonHtmlShown()));
        QTest::mouseClick(dialog.restoreButton(), Qt::LeftButton);
        QCOMPARE(chapter->content, current);
        QCOMPARE(content()->editor()->toPlainText(), current);
        QCOMPARE(book->wordNum, CUiManager::countWords(current));
        QVERIFY(!coloured(dialog.comparisonHtmlShown()));
        QCOMPARE(dialog.blades().size(), 3);
        QVERIFY(SignedInAuthor::replay());
        QCOMPARE(serverText(chapter), current);
        // Every text of the way is still on the server's list of versions.
        const TestHttpReply list =
            m_author.api(QStringLiteral("c00d00000000000000000000000000ff"))
                .get(QStringLiteral("/chapter/timeMachine"),
                     {{QStringLiteral("book_id"), QString::number(chapter->bookId)},
                      {QStringLiteral("chapter_id"), QString::number(chapter->chapterId)}});
        QStringList texts;
        for (const QJsonValue &v : list.object().value(QStringLiteral("blade")).toArray())
            texts << v.toObject().value(QStringLiteral("content")).toString();
        QVERIFY2(texts.contains(current) && texts.contains(old), qPrintable(texts.join(" | ")));
    }

    void refusedTextsAreListedAndMarked()
    {
        T_Chapter *chapter = chapterWith(QStringLiteral("拒收"), QStringLiteral("服务器上的文字"));
        QVERIFY(chapter);
        QVERIFY(CQuorvinDb::instance()->keepContentBladeHere(
            m_session.author.uid, chapter->localBookId, chapter->localId, chapter->bookId, chapter->chapterId,
            QStringLiteral("本机写下却被拒收的文字")));
        Dialog_TimeMachine dialog(chapter, m_page->window());
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QCOMPARE(dialog.blades().size(), 1);
        const QString label = dialog.listView()->model()->index(0, 0).data().toString();
        QVERIFY2(label.contains(QStringLiteral("仅存本机")), qPrintable(label));
        QVERIFY(!dialog.listView()->model()->index(0, 0).data(Qt::ToolTipRole).toString().isEmpty());
        QVERIFY(coloured(dialog.comparisonHtmlShown()));
        QVERIFY(dialog.restoreSelected());
        QCOMPARE(chapter->content, QStringLiteral("本机写下却被拒收的文字"));
    }

    // A sync or the recycle bin may take the chapter away while the dialog
    // is open: then nothing is shown or restored, and nothing breaks.
    void chapterGoneMeanwhile()
    {
        T_Chapter *chapter = chapterWith(QStringLiteral("删除"), QStringLiteral("文字"));
        QVERIFY(chapter);
        addSnapshot(chapter, QStringLiteral("旧文字"), 1700000000);
        addSnapshot(chapter, QStringLiteral("更旧的文字"), 1690000000);
        Dialog_TimeMachine dialog(chapter, m_page->window());
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        const QString shown = dialog.comparisonHtmlShown();
        content()->clearChapter();
        T_Http_C ids;
        ids.localBookId = chapter->localBookId;
        ids.localChapterId = chapter->localId;
        TC_Chapter_Recycle recycle;
        static_cast<T_Http_C &>(recycle) = ids;
        recycle.status = 0;
        QVERIFY(CJobManager::instance()->chapterRecycle(recycle));
        TC_Chapter_Del del;
        static_cast<T_Http_C &>(del) = ids;
        QVERIFY(CJobManager::instance()->chapterDelete(del));
        clickRow(dialog, 1);
        QCOMPARE(dialog.comparisonHtmlShown(), shown);
        QVERIFY(!dialog.restoreSelected());
    }

    void hintFollowsThePointer()
    {
        T_Chapter *chapter = chapterWith(QStringLiteral("提示"), QStringLiteral("文字"));
        QVERIFY(chapter);
        Dialog_TimeMachine dialog(chapter, m_page->window());
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        QTest::mouseMove(dialog.tipsButton());
        QTRY_VERIFY(dialog.hint()->isVisible());
        const QPoint corner = dialog.tipsButton()->mapToGlobal(QPoint(dialog.tipsButton()->width(), 0));
        QCOMPARE(dialog.hint()->pos(), corner + QPoint(6, -16));
        const QStringList texts = [&] {
            QStringList out;
            for (QLabel *l : dialog.hint()->findChildren<QLabel *>())
                if (!l->text().isEmpty())
                    out << l->text();
            return out;
        }();
        QCOMPARE(texts, (QStringList{QStringLiteral("红色为历史版本相比删除部分"),
                                     QStringLiteral("蓝色为历史版本相比增加部分")}));
        QTest::mouseMove(dialog.listView());
        QTRY_VERIFY(!dialog.hint()->isVisible());
    }

    // The chapter list's menu opens the time machine of the chapter under
    // the pointer, after saving what the editor holds; a restore there shows
    // in the editor at once.
    void chapterMenuOpensIt()
    {
        T_Chapter *chapter = chapterWith(QStringLiteral("菜单"), QStringLiteral("旧的"));
        QVERIFY(chapter);
        addSnapshot(chapter, QStringLiteral("旧的"), 1700000000);
        content()->editor()->moveCursor(QTextCursor::End);
        content()->editor()->insertPlainText(QStringLiteral("新的"));
        QString shownText;
        QTimer poll;
        poll.setInterval(50);
        connect(&poll, &QTimer::timeout, [&] {
            auto *dialog = qobject_cast<Dialog_TimeMachine *>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            poll.stop();
            shownText = dialog->comparisonPane()->toPlainText();
            QTest::mouseClick(dialog->restoreButton(), Qt::LeftButton);
            dialog->close();
        });
        poll.start();
        QAction *action = nullptr;
        for (QAction *a : m_page->left()->menu()->actions())
            if (a->text() == QStringLiteral("时光机"))
                action = a;
        QVERIFY(action);
        m_page->left()->selectChapter(chapter->localId);
        m_page->left()->on_listViewPressedByRightBtn(chapter->localId, 0);
        QMenu *menu = m_page->left()->menu();
        QVERIFY(QTest::qWaitForWindowExposed(menu));
        QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(action).center());
        QTRY_VERIFY(!poll.isActive());
        QVERIFY2(shownText.contains(QStringLiteral("旧的新的")), qPrintable(shownText));
        // The text typed before was saved and kept as a version; the
        // restored one is in the store and in the editor.
        QCOMPARE(
            sqlText(QStringLiteral("select content from tb_contentblade where localChapterId = %1 order by "
                                   "localId desc limit 1")
                        .arg(chapter->localId)),
            QStringLiteral("旧的新的"));
        QCOMPARE(
            sqlText(
                QStringLiteral("select content from tb_chapter where localId = %1").arg(chapter->localId)),
            QStringLiteral("旧的"));
        QCOMPARE(content()->editor()->toPlainText(), QStringLiteral("旧的"));
        QCOMPARE(content()->wordCount(), 2);
    }

    void screenshots()
    {
        if (qEnvironmentVariable("QUORVIN_SCREENSHOT_DIR").isEmpty())
            QSKIP("QUORVIN_SCREENSHOT_DIR not set");
        const QString now = QStringLiteral(
            "雨停的时候，镇上的灯一盏一盏亮起来。\n她把信纸压在砚台下，推开窗，看见河面上漂着去年的桂花。\n"
            "远处有人在唱歌，歌声顺着水飘过来。\n她想起那年冬天，父亲在码头上等船。");
        const QString before =
            QStringLiteral("雨停的时候，镇上的灯亮起来。\n她把信压在砚台下，推开门，看见河面上漂着桂花。\n"
                           "她想起那年冬天，父亲在码头上等她。");
        T_Chapter *chapter = chapterWith(QStringLiteral("夜航船"), now);
        QVERIFY(chapter);
        for (int i = 0; i < 4; ++i)
            addSnapshot(chapter, before, 1765400000 + i * 1800);
        for (int style : {int(StyleLight), int(StyleDark)}) {
            const QString theme = style == StyleDark ? "dark" : "light";
            if (m_session.author.style != style)
                CUiManager::instance()->toggleTheme();
            content()->recolour();
            {
                Dialog_TimeMachine dialog(chapter, m_page->window());
                dialog.show();
                QVERIFY(QTest::qWaitForWindowExposed(&dialog));
                dialog.move(m_page->window()->geometry().center() - dialog.rect().center());
                QTest::mouseMove(dialog.listView());
                shoot(&dialog, QStringLiteral("timemachine-%1.png").arg(theme));
                QTest::mouseMove(dialog.tipsButton());
                QTRY_VERIFY(dialog.hint()->isVisible());
                shoot(&dialog, QStringLiteral("timemachine-hint-%1.png").arg(theme));
                dialog.close();
            }
            m_session.user.isFocusing = 0;
            m_session.user.fontSize = 16;
            content()->openChapter(m_page->book(), chapter);
            content()->onCreationTimer(); // the status line counts the words
            content()->on_sreach_btn(Sreach_Close, QString());
            Dialog_Search *search = content()->searchDialog();
            search->show();
            search->move(m_page->window()->geometry().center() + QPoint(120, -220));
            QVERIFY(QTest::qWaitForWindowExposed(search));
            search->searchEdit()->clear();
            search->replaceEdit()->clear();
            search->activateWindow();
            commit(search->searchEdit(), QStringLiteral("的"));
            commit(search->replaceEdit(), QStringLiteral("我"));
            QTest::mouseClick(search->nextButton(), Qt::LeftButton);
            shoot(m_page->window(), QStringLiteral("findreplace-%1.png").arg(theme));
            QTest::mouseClick(search->closeButton(), Qt::LeftButton);
        }
        if (m_session.author.style != StyleLight)
            CUiManager::instance()->toggleTheme();
    }
};

QUORVIN_TEST_MAIN(TstTimeMachineXvfb)
#include "tst_timemachine_xvfb.moc"
