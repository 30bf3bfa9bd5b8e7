// Find and replace on the open chapter, driven through the dialog's real
// fields and buttons against the real store: matches without overlaps and
// case-sensitive, stepping with wrap-around, replacing the current match
// with the later highlights kept on their words, replacing all after the
// question, and what clears the highlight.
#include "db/cquorvindb.h"
#include "manager/cjobmanager.h"
#include "remote/cquorvinhttp.h"
#include "testappdir.h"
#include "testmain.h"
#include "ui/creation/creation_textedit.h"
#include "ui/creation/dialog_search.h"
#include "ui/creation/widget_creation.h"
#include "ui/creation/widget_creation_content.h"
#include "ui/ztmessagebox.h"

#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QTcpServer>

namespace {

// Types into a field as the author does: Latin letters as key presses,
// Chinese through the input method's commits.
void typeInto(QWidget *field, const QString &text)
{
    for (const QChar c : text) {
        if (c.unicode() < 0x80) {
            QTest::keyClick(field, c.toLatin1());
        } else {
            QInputMethodEvent event;
            event.setCommitString(QString(c));
            QApplication::sendEvent(field, &event);
        }
    }
}

// Clicks button `index` of the next message box and records its text.
QTimer *answerNextBox(int index, QString *text)
{
    auto *poll = new QTimer;
    poll->setInterval(20);
    QObject::connect(poll, &QTimer::timeout, [poll, index, text] {
        auto *box = qobject_cast<ZtMessageBox *>(QApplication::activeModalWidget());
        if (!box)
            return;
        poll->stop();
        *text = box->textLabel()->text();
        QTest::mouseClick(box->buttons().at(index), Qt::LeftButton);
    });
    poll->start();
    return poll;
}

} // namespace

class TestFindReplace : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void findsWithoutOverlapAndCase_data();
    void findsWithoutOverlapAndCase();
    void stepsWrapAround();
    void replacingCurrentKeepsLaterHighlights_data();
    void replacingCurrentKeepsLaterHighlights();
    void replaceAllAsksAndDeletes();
    void replaceAllCancelledChangesNothing();
    void clearingTheFieldSearchesNothing();
    void typingAndClosingClearTheHighlight();
    void controlFOpensTheDialog();
    void randomStepsAndReplacesAgainstAModel_data();
    void randomStepsAndReplacesAgainstAModel();

private:
    void openText(const QString &text);
    void typeSearch(const QString &text);
    // The text under each search highlight, the current one marked by "*".
    QStringList highlighted() const;
    QString stored() const;

    TestAppDir m_app;
    Widget_Creation *m_page = nullptr;
    Widget_Creation_Content *m_content = nullptr;
    Creation_TextEdit *m_edit = nullptr;
    Dialog_Search *m_dialog = nullptr;
    T_Book *m_book = nullptr;
    T_SessionData &m_session = T_SessionData::instance();
};

void TestFindReplace::initTestCase()
{
    QVERIFY(m_app.isValid());
    QVERIFY(CQuorvinDb::instance()->init());
    QSqlDatabase check = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("check"));
    check.setDatabaseName(m_app.dbFile());
    QVERIFY(check.open());
    m_session.author.uid = 78;
    m_session.user.uid = 78;
    QVERIFY(CQuorvinDb::instance()->insertUser(m_session.author, m_session.user));
    // No server here: the jobs stay queued, sent to a loopback port where
    // nothing listens.
    QTcpServer probe;
    QVERIFY(probe.listen(QHostAddress::LocalHost));
    const QString dead = QStringLiteral("http://127.0.0.1:%1").arg(probe.serverPort());
    probe.close();
    QVERIFY(CQuorvinHttp::instance()->setBaseUrl(dead));
}

void TestFindReplace::init()
{
    m_session.user = T_User();
    m_session.user.uid = 78;
    m_page = new Widget_Creation;
    m_page->resize(1200, 800);
    m_page->show();
    m_page->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_page));
    m_content = m_page->content();
    m_edit = m_content->editor();
    m_dialog = m_content->searchDialog();
    QVERIFY(m_dialog);
    QVERIFY(!m_dialog->isVisible());
}

void TestFindReplace::cleanup()
{
    m_content->closeChapter();
    delete m_page;
    m_page = nullptr;
}

void TestFindReplace::openText(const QString &text)
{
    TC_Books_AddBook req;
    req.bookName = QStringLiteral("查找");
    m_book = CJobManager::instance()->booksAddBook(req);
    QVERIFY(m_book);
    T_Chapter *chapter = m_book->chapterList.first();
    chapter->content = text;
    chapter->isContentLoaded = true;
    m_page->openBook(m_book);
    m_content->creationTimer()->stop();
    QCOMPARE(m_edit->toPlainText(), text);
    m_dialog->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_dialog));
}

void TestFindReplace::typeSearch(const QString &text)
{
    m_dialog->activateWindow();
    m_dialog->searchEdit()->setFocus();
    typeInto(m_dialog->searchEdit(), text);
}

QStringList TestFindReplace::highlighted() const
{
    QStringList out;
    for (const QTextEdit::ExtraSelection &s : m_edit->extraSelections()) {
        const QColor background = s.format.background().color();
        if (background == QColor(52, 112, 255))
            out << QLatin1Char('*') + s.cursor.selectedText();
        else if (background == QColor(188, 208, 255))
            out << s.cursor.selectedText();
    }
    return out;
}

QString TestFindReplace::stored() const
{
    QSqlQuery q(QSqlDatabase::database(QStringLiteral("check")));
    q.exec(QStringLiteral("select content from tb_chapter where localId = %1")
               .arg(m_content->chapter()->localId));
    return q.next() ? q.value(0).toString() : QStringLiteral("<none>");
}

void TestFindReplace::findsWithoutOverlapAndCase_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("search");
    QTest::addColumn<QList<int>>("ends");
    QTest::newRow("no overlaps") << "aaaa"
                                 << "aa" << QList<int>{2, 4};
    QTest::newRow("case-sensitive") << "li Li LI"
                                    << "Li" << QList<int>{5};
    QTest::newRow("across paragraphs")
        << QStringLiteral("他说\n他笑") << QStringLiteral("他") << QList<int>{1, 4};
    QTest::newRow("none") << QStringLiteral("雨夜") << QStringLiteral("晴") << QList<int>{};
}

void TestFindReplace::findsWithoutOverlapAndCase()
{
    QFETCH(QString, text);
    QFETCH(QString, search);
    QFETCH(QList<int>, ends);
    openText(text);
    QSignalSpy commands(m_dialog, &Dialog_Search::sig_sreach_btn);
    typeSearch(search);
    QCOMPARE(commands.last().at(0).value<Widget_Sreach_Btn>(), Sreach_Search);
    QCOMPARE(m_content->searchMatches(), ends);
    QStringList expected;
    for (int i = 0; i < ends.size(); ++i)
        expected << (i == 0 ? QStringLiteral("*") : QString()) + search;
    QCOMPARE(highlighted(), expected);
    if (!ends.isEmpty())
        QCOMPARE(m_edit->textCursor().position(), ends.first());
    QCOMPARE(m_dialog->matchLabel()->text().isEmpty(), false);
}

void TestFindReplace::stepsWrapAround()
{
    openText(QStringLiteral("风，风，风"));
    typeSearch(QStringLiteral("风"));
    QCOMPARE(m_content->searchMatches(), (QList<int>{1, 3, 5}));
    QTest::mouseClick(m_dialog->previousButton(), Qt::LeftButton);
    QCOMPARE(m_content->searchIndex(), 2); // from the first back to the last
    QCOMPARE(m_edit->textCursor().position(), 5);
    QCOMPARE(highlighted(), (QStringList{"风", "风", "*风"}));
    QTest::mouseClick(m_dialog->nextButton(), Qt::LeftButton);
    QCOMPARE(m_content->searchIndex(), 0); // from the last on to the first
    QTest::mouseClick(m_dialog->nextButton(), Qt::LeftButton);
    QCOMPARE(m_content->searchIndex(), 1);
    QCOMPARE(m_edit->textCursor().position(), 3);
    QCOMPARE(highlighted(), (QStringList{"风", "*风", "风"}));
    QCOMPARE(m_edit->toPlainText(), QStringLiteral("风，风，风"));
}

void TestFindReplace::replacingCurrentKeepsLaterHighlights_data()
{
    QTest::addColumn<QString>("replacement");
    QTest::newRow("longer") << QStringLiteral("小花猫");
    QTest::newRow("shorter") << QString();
    QTest::newRow("holding the search text") << QStringLiteral("猫猫");
}

void TestFindReplace::replacingCurrentKeepsLaterHighlights()
{
    QFETCH(QString, replacement);
    openText(QStringLiteral("猫和猫和猫"));
    typeSearch(QStringLiteral("猫"));
    QTest::mouseClick(m_dialog->nextButton(), Qt::LeftButton); // the second
    typeInto(m_dialog->replaceEdit(), replacement);
    QTest::mouseClick(m_dialog->replaceCurrentButton(), Qt::LeftButton);
    QCOMPARE(m_edit->toPlainText(), QStringLiteral("猫和%1和猫").arg(replacement));
    // The later match is now current and still lies on its word.
    QCOMPARE(highlighted(), (QStringList{"猫", "*猫"}));
    QCOMPARE(m_content->searchIndex(), 1);

    QTest::mouseClick(m_dialog->replaceCurrentButton(), Qt::LeftButton);
    QCOMPARE(m_edit->toPlainText(), QStringLiteral("猫和%1和%1").arg(replacement));
    QCOMPARE(highlighted(), (QStringList{"*猫"}));
    QTest::mouseClick(m_dialog->replaceCurrentButton(), Qt::LeftButton);
    QCOMPARE(m_edit->toPlainText(), QStringLiteral("%1和%1和%1").arg(replacement));
    QCOMPARE(highlighted(), QStringList());
    // Further clicks have nothing to replace.
    QTest::mouseClick(m_dialog->replaceCurrentButton(), Qt::LeftButton);
    QCOMPARE(m_edit->toPlainText(), QStringLiteral("%1和%1和%1").arg(replacement));
}

void TestFindReplace::replaceAllAsksAndDeletes()
{
    openText(QStringLiteral("嗯，好的。\n嗯，走吧。嗯"));
    typeSearch(QStringLiteral("嗯"));
    QString question;
    QScopedPointer<QTimer> answer(answerNextBox(0, &question));
    QTest::mouseClick(m_dialog->replaceAllButton(), Qt::LeftButton);
    QCOMPARE(question, QStringLiteral("您确定将所有的 嗯 替换为 空 吗？"));
    QCOMPARE(m_edit->toPlainText(), QStringLiteral("，好的。\n，走吧。"));
    QCOMPARE(highlighted(), QStringList());
    QCOMPARE(stored(), QStringLiteral("，好的。\n，走吧。"));
    // One step back brings every occurrence back.
    m_edit->undo();
    QCOMPARE(m_edit->toPlainText(), QStringLiteral("嗯，好的。\n嗯，走吧。嗯"));
}

void TestFindReplace::replaceAllCancelledChangesNothing()
{
    openText(QStringLiteral("<b>甲</b>甲"));
    typeSearch(QStringLiteral("甲"));
    typeInto(m_dialog->replaceEdit(), QStringLiteral("<i>"));
    QString question;
    QScopedPointer<QTimer> answer(answerNextBox(1, &question));
    QTest::mouseClick(m_dialog->replaceAllButton(), Qt::LeftButton);
    QCOMPARE(question, QStringLiteral("您确定将所有的 甲 替换为 <i> 吗？"));
    QCOMPARE(m_edit->toPlainText(), QStringLiteral("<b>甲</b>甲"));

    // Taken as text, never as markup.
    QScopedPointer<QTimer> yes(answerNextBox(0, &question));
    QTest::mouseClick(m_dialog->replaceAllButton(), Qt::LeftButton);
    QCOMPARE(m_edit->toPlainText(), QStringLiteral("<b><i></b><i>"));
}

void TestFindReplace::clearingTheFieldSearchesNothing()
{
    openText(QStringLiteral("灯火灯火"));
    typeSearch(QStringLiteral("灯"));
    QCOMPARE(highlighted(), (QStringList{"*灯", "灯"}));
    QSignalSpy commands(m_dialog, &Dialog_Search::sig_sreach_btn);
    m_dialog->searchEdit()->selectAll();
    QTest::keyClick(m_dialog->searchEdit(), Qt::Key_Backspace);
    QVERIFY(m_dialog->searchEdit()->text().isEmpty());
    QCOMPARE(commands.count(), 0);
    // The old highlight stays until the dialog closes or the author types.
    QCOMPARE(highlighted(), (QStringList{"*灯", "灯"}));
}

void TestFindReplace::typingAndClosingClearTheHighlight()
{
    openText(QStringLiteral("灯火灯火"));
    typeSearch(QStringLiteral("火"));
    QCOMPARE(highlighted().size(), 2);
    m_page->activateWindow();
    m_edit->setFocus();
    QTest::keyClick(m_edit, Qt::Key_End);
    QCOMPARE(highlighted(), QStringList());
    QVERIFY(!m_content->isSearchHighlighted());

    // Next searches again once the text moved on.
    QTest::mouseClick(m_dialog->nextButton(), Qt::LeftButton);
    QCOMPARE(highlighted(), (QStringList{"*火", "火"}));

    QSignalSpy commands(m_dialog, &Dialog_Search::sig_sreach_btn);
    QTest::mouseClick(m_dialog->closeButton(), Qt::LeftButton);
    QCOMPARE(commands.count(), 1);
    QCOMPARE(commands.first().at(0).value<Widget_Sreach_Btn>(), Sreach_Close);
    QVERIFY(!m_dialog->isVisible());
    QCOMPARE(highlighted(), QStringList());

    for (QPushButton *button : {m_dialog->confirmButton(), m_dialog->cancelButton()}) {
        m_dialog->show();
        m_dialog->searchEdit()->selectAll();
        typeSearch(QStringLiteral("灯"));
        QCOMPARE(highlighted().size(), 2);
        QTest::mouseClick(button, Qt::LeftButton);
        QVERIFY(!m_dialog->isVisible());
        QCOMPARE(highlighted(), QStringList());
    }
}

void TestFindReplace::controlFOpensTheDialog()
{
    openText(QStringLiteral("甲乙"));
    m_dialog->hide();
    m_page->activateWindow();
    m_edit->setFocus();
    QVERIFY(QTest::qWaitForWindowActive(m_page));
    QTest::keyClick(m_edit, Qt::Key_F, Qt::ControlModifier);
    QTRY_VERIFY(m_dialog->isVisible());
    QCOMPARE(m_dialog->windowTitle(), QStringLiteral("查找替换"));
    for (QWidget *w : m_dialog->findChildren<QWidget *>())
        if ((qobject_cast<QPushButton *>(w) || qobject_cast<QLineEdit *>(w)) && w->isVisibleTo(m_dialog))
            QVERIFY2(!w->accessibleName().isEmpty(), qPrintable(w->objectName()));
}

void TestFindReplace::randomStepsAndReplacesAgainstAModel_data()
{
    QTest::addColumn<quint32>("seed");
    for (quint32 seed : {3u, 17u, 256u, 4099u, 65537u})
        QTest::newRow(qPrintable(QString::number(seed))) << seed;
}

// Steps and replacements in any order: the editor's text and the highlights
// follow a plain model in which each match is a position in a string.
void TestFindReplace::randomStepsAndReplacesAgainstAModel()
{
    QFETCH(quint32, seed);
    QRandomGenerator random(seed);
    const QString alphabet = QStringLiteral("ab猫a");
    QString text;
    for (int i = 0, n = 20 + random.bounded(40); i < n; ++i)
        text += alphabet.at(random.bounded(alphabet.size()));
    const QString search = random.bounded(2) ? QStringLiteral("a") : QStringLiteral("ab");
    openText(text);
    typeSearch(search);

    QList<int> starts; // the model: where each remaining match begins
    for (int at = text.indexOf(search); at != -1; at = text.indexOf(search, at + search.size()))
        starts << at;
    int current = 0;
    const QStringList replacements = {QString(), QStringLiteral("x"), QStringLiteral("猫猫猫"),
                                      search + search};
    for (int step = 0; step < 40 && !starts.isEmpty(); ++step) {
        const int op = random.bounded(3);
        if (op == 0) {
            QTest::mouseClick(m_dialog->nextButton(), Qt::LeftButton);
            current = (current + 1) % starts.size();
        } else if (op == 1) {
            QTest::mouseClick(m_dialog->previousButton(), Qt::LeftButton);
            current = (current + starts.size() - 1) % starts.size();
        } else {
            const QString r = replacements.at(random.bounded(replacements.size()));
            m_dialog->replaceEdit()->setText(r);
            QTest::mouseClick(m_dialog->replaceCurrentButton(), Qt::LeftButton);
            text.replace(starts.at(current), search.size(), r);
            for (int i = current + 1; i < starts.size(); ++i)
                starts[i] += r.size() - search.size();
            starts.removeAt(current);
            if (current >= starts.size())
                current = 0;
        }
        QCOMPARE(m_edit->toPlainText(), text);
        QStringList expected;
        for (int i = 0; i < starts.size(); ++i) {
            QCOMPARE(text.mid(starts.at(i), search.size()), search);
            expected << (i == current ? QStringLiteral("*") : QString()) + search;
        }
        QCOMPARE(highlighted(), expected);
        if (!starts.isEmpty())
            QCOMPARE(m_edit->textCursor().position(), starts.at(current) + search.size());
    }
}

QUORVIN_TEST_MAIN(TestFindReplace)
#include "tst_findreplace.moc"
