// Names are measured and cut in whole characters: an emoji, a flag, a
// letter with its accent is never cut in half (a lone half was stored as
// "?"), and a name of blanks only is no name.
#include "testmain.h"
#include "ui/nametext.h"

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>

class TestNameText : public QObject
{
    Q_OBJECT

private slots:
    void cutInWholeCharacters_data();
    void cutInWholeCharacters();
    void blanks_data();
    void blanks();
    void lineEditKeepsWholeCharacters_data();
    void lineEditKeepsWholeCharacters();
};

void TestNameText::cutInWholeCharacters_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("max");
    QTest::addColumn<QString>("kept");
    QTest::newRow("fits") << QStringLiteral("一二三😀") << 4 << QStringLiteral("一二三😀");
    QTest::newRow("emoji past the end") << QStringLiteral("一二三四😀") << 4 << QStringLiteral("一二三四");
    QTest::newRow("emoji at the cut") << QStringLiteral("一二三😀四") << 4 << QStringLiteral("一二三😀");
    QTest::newRow("skin tone") << QStringLiteral("abc👍🏽") << 4 << QStringLiteral("abc");
    QTest::newRow("flag") << QStringLiteral("一二三🇨🇳") << 4 << QStringLiteral("一二三");
    QTest::newRow("joined family") << QStringLiteral("家👨‍👩‍👧") << 3 << QStringLiteral("家");
    QTest::newRow("accent") << QStringLiteral("cafe\u0301") << 4 << QStringLiteral("caf");
    QTest::newRow("nothing fits") << QStringLiteral("😀") << 0 << QString();
}

void TestNameText::cutInWholeCharacters()
{
    QFETCH(QString, name);
    QFETCH(int, max);
    QFETCH(QString, kept);
    const QString cut = NameText::cut(name, max);
    QCOMPARE(cut, kept);
    QVERIFY(NameText::length(cut) <= max);
    QVERIFY(cut.isEmpty() || !cut.at(cut.size() - 1).isHighSurrogate());
}

void TestNameText::blanks_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("blank");
    QTest::newRow("empty") << QString() << true;
    QTest::newRow("spaces") << QStringLiteral("   ") << true;
    QTest::newRow("full-width spaces") << QStringLiteral("\u3000\u3000") << true;
    QTest::newRow("zero-width space") << QStringLiteral("\u200B ") << true;
    QTest::newRow("tab and break") << QStringLiteral("\t\n") << true;
    QTest::newRow("a word between blanks") << QStringLiteral(" 书 ") << false;
    QTest::newRow("an emoji") << QStringLiteral("😀") << false;
}

void TestNameText::blanks()
{
    QFETCH(QString, name);
    QFETCH(bool, blank);
    QCOMPARE(NameText::isBlank(name), blank);
}

void TestNameText::lineEditKeepsWholeCharacters_data()
{
    QTest::addColumn<QString>("start");
    QTest::addColumn<int>("cursor");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("paste");
    QTest::addColumn<QString>("result");
    QTest::newRow("emoji typed into the last place")
        << QStringLiteral("一二三四") << 4 << QStringLiteral("😀") << false << QStringLiteral("一二三四😀");
    QTest::newRow("emoji typed past the end")
        << QStringLiteral("一二三四五") << 5 << QStringLiteral("😀") << false << QStringLiteral("一二三四五");
    QTest::newRow("paste cut to the room left")
        << QStringLiteral("一四") << 1 << QStringLiteral("😀😀😀😀") << true << QStringLiteral("一😀😀😀四");
    QTest::newRow("paste of flags") << QStringLiteral("一二") << 2 << QStringLiteral("🇨🇳🇨🇳") << true
                                    << QStringLiteral("一二🇨🇳");
}

void TestNameText::lineEditKeepsWholeCharacters()
{
    QFETCH(QString, start);
    QFETCH(int, cursor);
    QFETCH(QString, typed);
    QFETCH(bool, paste);
    QFETCH(QString, result);
    QLineEdit edit;
    NameText::limit(&edit, 5);
    edit.setText(start);
    edit.show();
    QVERIFY(QTest::qWaitForWindowExposed(&edit));
    edit.setCursorPosition(cursor);
    if (paste) {
        QApplication::clipboard()->setText(typed);
        QTest::keyClick(&edit, Qt::Key_V, Qt::ControlModifier);
    } else {
        QTest::sendKeyEvent(QTest::Click, &edit, Qt::Key_unknown, typed, Qt::NoModifier);
    }
    QCOMPARE(edit.text(), result);
    QVERIFY(NameText::length(edit.text()) <= 5);
}

QUORVIN_TEST_MAIN(TestNameText)
#include "tst_nametext.moc"
