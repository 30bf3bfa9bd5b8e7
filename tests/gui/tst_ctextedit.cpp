// The bounded text field: the counter follows the text, and text past the
// maximum is cut just before the cursor, wherever it was typed or pasted.
#include "testmain.h"
#include "ui/ctextedit.h"

#include <QClipboard>
#include <QLabel>

class TstCTextEdit : public QObject
{
    Q_OBJECT
private slots:
    void counterStartsAtZero()
    {
        CTextEdit edit;
        QCOMPARE(edit.maxLength(), 500);
        QCOMPARE(edit.counter()->text(), QStringLiteral("0/500"));
        edit.setMaxLength(20);
        QCOMPARE(edit.counter()->text(), QStringLiteral("0/20"));
    }

    void surplusIsCutBeforeTheCursor_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<int>("cursorAt");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("after");
        QTest::addColumn<int>("cursorAfter");
        QTest::addColumn<bool>("paste");
        QTest::newRow("typed at the end") << "abcdefgh" << 8 << "xyz"
                                          << "abcdefghxy" << 10 << false;
        QTest::newRow("pasted in the middle") << "abcdefgh" << 2 << "XYZW"
                                              << "abXYcdefgh" << 4 << true;
        QTest::newRow("chinese at the start")
            << QStringLiteral("一二三四五六七八九") << 0 << QStringLiteral("甲乙")
            << QStringLiteral("甲一二三四五六七八九") << 1 << true;
        QTest::newRow("exactly full") << "abcdefg" << 7 << "hij"
                                      << "abcdefghij" << 10 << false;
    }

    void surplusIsCutBeforeTheCursor()
    {
        QFETCH(QString, before);
        QFETCH(int, cursorAt);
        QFETCH(QString, typed);
        QFETCH(QString, after);
        QFETCH(int, cursorAfter);
        QFETCH(bool, paste);
        CTextEdit edit;
        edit.setMaxLength(10);
        edit.setPlainText(before);
        edit.show();
        QVERIFY(QTest::qWaitForWindowExposed(&edit));
        QTextCursor cursor = edit.textCursor();
        cursor.setPosition(cursorAt);
        edit.setTextCursor(cursor);
        // A paste arrives as one insertion, typing as key presses: try both.
        if (paste) {
            QApplication::clipboard()->setText(typed);
            edit.paste();
        } else {
            QTest::keyClicks(&edit, typed);
        }
        QCOMPARE(edit.toPlainText(), after);
        QCOMPARE(edit.textCursor().position(), cursorAfter);
        QCOMPARE(edit.counter()->text(), QStringLiteral("%1/10").arg(after.size()));
    }

    void loweringTheMaximumCutsTheText()
    {
        CTextEdit edit;
        edit.setPlainText(QStringLiteral("0123456789"));
        edit.setMaxLength(4);
        QCOMPARE(edit.toPlainText().size(), 4);
        QCOMPARE(edit.counter()->text(), QStringLiteral("4/4"));
    }
};

QUORVIN_TEST_MAIN(TstCTextEdit)
#include "tst_ctextedit.moc"
