// The chapter editor lays out Chinese and plain Latin text without the
// font's shaping rules (the costly part of laying out a long chapter), and
// turns them on for a chapter that holds text needing them (emoji sequences,
// flags, combining marks), whether it was loaded, typed or pasted.
#include "db/cquorvindb.h"
#include "manager/cjobmanager.h"
#include "manager/cuimanager.h"
#include "testappdir.h"
#include "testmain.h"
#include "ui/creation/creation_textedit.h"
#include "ui/creation/widget_creation_content.h"

#include <QFile>
#include <QTextDocument>

class TstEditorShaping : public QObject
{
    Q_OBJECT

private:
    TestAppDir m_app;
    Widget_Creation_Content *m_content = nullptr;
    T_Book *m_book = nullptr;

    T_Chapter *chapterWith(const QString &text)
    {
        auto *chapter = new T_Chapter;
        chapter->localId = m_book->chapterList.size() + 1000;
        chapter->content = text;
        chapter->isContentLoaded = true;
        m_book->chapterList << chapter;
        return chapter;
    }

    bool shaped() const
    {
        return !(m_content->editor()->document()->defaultFont().styleStrategy() & QFont::PreferNoShaping);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_app.isValid());
        QVERIFY(CQuorvinDb::instance()->init());
        T_SessionData &session = T_SessionData::instance();
        session.author.uid = 9;
        session.user.uid = 9;
        QVERIFY(CQuorvinDb::instance()->insertUser(session.author, session.user));
        TC_Books_AddBook req;
        req.bookName = QStringLiteral("字形");
        m_book = CJobManager::instance()->booksAddBook(req);
        QVERIFY(m_book);
        m_content = new Widget_Creation_Content;
        m_content->resize(1000, 700);
        m_content->show();
    }

    void cleanupTestCase() { delete m_content; }

    void shapingFollowsTheText_data()
    {
        QTest::addColumn<QString>("loaded");
        QTest::addColumn<bool>("shapedOnLoad");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("shapedAfterTyping");

        const QString family = QString::fromUtf8("👨\u200D👩\u200D👧");
        QTest::newRow("Chinese and Latin text") << QString::fromUtf8("第一章 Hello\n夜色沉沉。") << false
                                                << QString::fromUtf8("灯火 fin") << false;
        QTest::newRow("an emoji sequence typed")
            << QString::fromUtf8("夜色沉沉。") << false << family << true;
        QTest::newRow("a flag pasted")
            << QString::fromUtf8("夜色") << false << QString::fromUtf8("🇨🇳") << true;
        QTest::newRow("a combining mark loaded")
            << QString::fromUtf8("Cafe\u0301 夜色") << true << QString::fromUtf8("灯") << true;
        QTest::newRow("a lone emoji needs nothing")
            << QString::fromUtf8("夜色") << false << QString::fromUtf8("😀") << false;
    }

    void shapingFollowsTheText()
    {
        QFETCH(QString, loaded);
        QFETCH(bool, shapedOnLoad);
        QFETCH(QString, typed);
        QFETCH(bool, shapedAfterTyping);

        QVERIFY(m_content->openChapter(m_book, chapterWith(loaded)));
        QCOMPARE(shaped(), shapedOnLoad);
        m_content->editor()->moveCursor(QTextCursor::End);
        m_content->editor()->textCursor().insertText(typed);
        QTRY_COMPARE(shaped(), shapedAfterTyping);
        QTest::qWait(20);
        QCOMPARE(shaped(), shapedAfterTyping);
        // The word count stays exact through the change of font.
        QCOMPARE(m_content->wordCount(), CUiManager::countWords(m_content->editor()->toPlainText()));
    }

    void themeSwitchKeepsTheAuthorsFont()
    {
        QFile light(QStringLiteral(":/res/qss/light.qss"));
        QFile dark(QStringLiteral(":/res/qss/dark.qss"));
        QVERIFY(light.open(QIODevice::ReadOnly) && dark.open(QIODevice::ReadOnly));
        qApp->setStyleSheet(QString::fromUtf8(light.readAll()));
        T_SessionData::instance().user.fontSize = 20;
        QVERIFY(m_content->openChapter(m_book, chapterWith(QString::fromUtf8("夜色沉沉。"))));
        const QFont font = m_content->editor()->document()->defaultFont();
        QCOMPARE(font.pointSize(), 20);
        // The sheets set a small font on every widget.
        qApp->setStyleSheet(QString::fromUtf8(dark.readAll()));
        QCoreApplication::processEvents();
        QCOMPARE(m_content->editor()->document()->defaultFont(), font);
        qApp->setStyleSheet(QString());
    }
};

QUORVIN_TEST_MAIN(TstEditorShaping)
#include "tst_editorshaping.moc"
