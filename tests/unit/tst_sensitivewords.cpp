// The sensitive-word matcher: the hits of its one-pass search against the
// direct nested search over the lists, the splitting of the two lists, the
// pinyin table built from the Unicode Han database and the rewrites.

#include "manager/sensitivewordmatcher.h"
#include "testmain.h"

#include <QRandomGenerator>

namespace {

const QString kSep = QStringLiteral("、");

// The check as defined: every regular key (in key order) whose character
// occurs in the text, every word of it, every occurrence from the start,
// the next search one character after a hit; then the custom words.
QVector<SensitiveHit> definitionHits(const SensitiveWordMatcher &lists, const QString &text, int mode)
{
    QVector<SensitiveHit> hits;
    auto search = [&](const QString &word) {
        for (int from = 0;;) {
            const int at = text.indexOf(word, from, Qt::CaseSensitive);
            if (at < 0)
                break;
            hits.append(SensitiveHit{at, int(word.size()), word});
            from = at + 1;
        }
    };
    if (mode & SensitiveWordMatcher::Regular) {
        const auto &regular = lists.regularWords();
        for (auto it = regular.cbegin(); it != regular.cend(); ++it)
            if (text.contains(it.key()))
                for (const QString &word : it.value())
                    search(word);
    }
    if (mode & SensitiveWordMatcher::Custom)
        for (const QString &word : lists.customWords())
            if (!word.isEmpty())
                search(word);
    return hits;
}

QString describe(const QVector<SensitiveHit> &hits)
{
    QStringList parts;
    for (const SensitiveHit &hit : hits)
        parts << QStringLiteral("%1:%2").arg(hit.position).arg(hit.word);
    return parts.join(QLatin1Char(' '));
}

QString randomWord(QRandomGenerator &random, const QStringList &alphabet, int maxLength)
{
    QString word;
    const int length = 1 + random.bounded(maxLength);
    for (int i = 0; i < length; ++i)
        word += alphabet.at(random.bounded(alphabet.size()));
    return word;
}

} // namespace

class TestSensitiveWords : public QObject
{
    Q_OBJECT

private slots:
    void check_data();
    void check();
    void customListIsNotTrimmed();
    void matchesDefinitionOnRandomInput_data();
    void matchesDefinitionOnRandomInput();
    void pinyinTable_data();
    void pinyinTable();
    void replacement_data();
    void replacement();
    void rewrite_data();
    void rewrite();
};

void TestSensitiveWords::check_data()
{
    QTest::addColumn<QString>("regular");
    QTest::addColumn<QString>("custom");
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("hits");

    QTest::newRow("both boxes unchecked") << "仙侠"
                                          << "魔" << 0 << "仙侠与魔"
                                          << "";
    QTest::newRow("overlapping hits") << ""
                                      << "哈哈" << 2 << "哈哈哈"
                                      << "0:哈哈 1:哈哈";
    QTest::newRow("regular only") << "仙侠、魔头"
                                  << "仙" << 1 << "仙侠魔头"
                                  << "0:仙侠 2:魔头";
    QTest::newRow("custom only") << "仙侠"
                                 << "仙" << 2 << "仙侠仙"
                                 << "0:仙 2:仙";
    QTest::newRow("regular before custom, both counted") << "仙侠"
                                                         << "仙侠" << 3 << "仙侠"
                                                         << "0:仙侠 0:仙侠";
    QTest::newRow("regular keys in character order, words in list order") << "魔头、仙侠、仙"
                                                                          << "" << 1 << "魔头仙侠"
                                                                          << "2:仙侠 2:仙 0:魔头";
    QTest::newRow("regular words are trimmed") << " 仙侠 、、"
                                               << "" << 1 << "仙侠"
                                               << "0:仙侠";
    QTest::newRow("case sensitive") << ""
                                    << "abc" << 2 << "ABC abc"
                                    << "4:abc";
    QTest::newRow("no word of the first character") << "仙侠"
                                                    << "" << 1 << "侠仙"
                                                    << "";
    QTest::newRow("empty text") << "仙侠"
                                << "魔" << 3 << ""
                                << "";
    QTest::newRow("a word that is a suffix of another") << ""
                                                        << "仙侠、侠" << 2 << "仙侠侠"
                                                        << "0:仙侠 1:侠 2:侠";
    QTest::newRow("beyond the basic plane") << "𠀀𠀁"
                                            << "" << 1 << "a𠀀𠀁"
                                            << "1:𠀀𠀁";
}

void TestSensitiveWords::check()
{
    QFETCH(QString, regular);
    QFETCH(QString, custom);
    QFETCH(int, mode);
    QFETCH(QString, text);
    QFETCH(QString, hits);
    SensitiveWordMatcher matcher;
    matcher.setRegularList(regular);
    matcher.setCustomList(custom);
    const int count = matcher.check(text, mode);
    QCOMPARE(describe(matcher.hits()), hits);
    QCOMPARE(count, matcher.hits().size());
}

void TestSensitiveWords::customListIsNotTrimmed()
{
    SensitiveWordMatcher matcher;
    matcher.setCustomList(QStringLiteral("仙侠、 、魔"));
    QCOMPARE(matcher.customWords(), QStringList({"仙侠", " ", "魔"}));
    QCOMPARE(matcher.customText(), QStringLiteral("仙侠、 、魔"));
    QCOMPARE(matcher.check(QStringLiteral("仙侠 魔"), SensitiveWordMatcher::Custom), 3);
    QCOMPARE(describe(matcher.hits()), QStringLiteral("0:仙侠 2:  3:魔"));

    matcher.setRegularList(QStringLiteral("仙侠、 、魔"));
    QCOMPARE(matcher.regularWords().size(), 2);
    QCOMPARE(matcher.check(QStringLiteral("仙侠 魔"), SensitiveWordMatcher::Regular), 2);
}

void TestSensitiveWords::matchesDefinitionOnRandomInput_data()
{
    QTest::addColumn<quint32>("seed");
    for (quint32 seed : {1u, 7u, 42u, 1234u, 99991u, 20261211u})
        QTest::newRow(qPrintable(QString::number(seed))) << seed;
}

void TestSensitiveWords::matchesDefinitionOnRandomInput()
{
    QFETCH(quint32, seed);
    QRandomGenerator random(seed);
    // A small alphabet makes overlaps, shared prefixes and suffixes common.
    const QStringList alphabet{"仙", "侠", "魔", "哈", "a", "b", " ", "𠀀"};
    SensitiveWordMatcher matcher;
    for (int round = 0; round < 60; ++round) {
        QStringList regular, custom;
        for (int i = random.bounded(12); i > 0; --i)
            regular << (random.bounded(6) == 0 ? QString() : randomWord(random, alphabet, 4));
        for (int i = random.bounded(8); i > 0; --i)
            custom << (random.bounded(6) == 0 ? QString() : randomWord(random, alphabet, 3));
        QString text;
        for (int i = random.bounded(200); i > 0; --i)
            text += alphabet.at(random.bounded(alphabet.size()));
        matcher.setRegularList(regular.join(kSep));
        matcher.setCustomList(custom.join(kSep));
        const int mode = random.bounded(4);
        matcher.check(text, mode);
        const QVector<SensitiveHit> expected = definitionHits(matcher, text, mode);
        if (matcher.hits() != expected)
            QFAIL(qPrintable(QStringLiteral("round %1, mode %2, text \"%3\"\ngot      %4\nexpected %5")
                                 .arg(round)
                                 .arg(mode)
                                 .arg(text, describe(matcher.hits()), describe(expected))));
    }
}

void TestSensitiveWords::pinyinTable_data()
{
    QTest::addColumn<QString>("character");
    QTest::addColumn<QString>("pinyin");
    QTest::newRow("仙") << "仙"
                        << "xian";
    QTest::newRow("侠") << "侠"
                        << "xia";
    QTest::newRow("ü as v") << "绿"
                            << "lv";
    QTest::newRow("女") << "女"
                        << "nv";
    QTest::newRow("first reading") << "中"
                                   << "zhong";
    QTest::newRow("no reading") << "a"
                                << "";
}

void TestSensitiveWords::pinyinTable()
{
    QFETCH(QString, character);
    QFETCH(QString, pinyin);
    SensitiveWordMatcher matcher;
    QCOMPARE(matcher.pinyin(character.toUcs4().value(0)), pinyin);
}

void TestSensitiveWords::replacement_data()
{
    QTest::addColumn<QString>("word");
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("replaced");
    QTest::newRow("pinyin") << "仙侠" << 2 << "xianxia";
    QTest::newRow("pinyin drops what has none") << "仙a侠" << 2 << "xianxia";
    QTest::newRow("asterisks") << "仙侠" << 3 << "**";
    QTest::newRow("asterisks count whole characters") << "𠀀仙" << 3 << "**";
    QTest::newRow("hyphens") << "仙侠" << 4 << "仙-侠";
    QTest::newRow("hyphens keep pairs whole") << "𠀀仙" << 4 << "𠀀-仙";
    QTest::newRow("one character") << "魔" << 4 << "魔";
}

void TestSensitiveWords::replacement()
{
    QFETCH(QString, word);
    QFETCH(int, mode);
    QFETCH(QString, replaced);
    SensitiveWordMatcher matcher;
    QCOMPARE(matcher.replacement(word, mode), replaced);
}

void TestSensitiveWords::rewrite_data()
{
    QTest::addColumn<QString>("custom");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("rewritten");
    QTest::addColumn<int>("firstEnd");

    QTest::newRow("words that are markup names")
        << "span、font、color、p、style、class"
        << "p与span，font的color" << 3 << "*与****，****的*****" << 1;
    QTest::newRow("overlapping hits merge") << "哈哈"
                                            << "哈哈哈！" << 4 << "哈-哈-哈！" << 5;
    QTest::newRow("adjacent hits stay apart") << "仙侠、魔"
                                              << "仙侠魔" << 4 << "仙-侠魔" << 3;
    QTest::newRow("pinyin from last to first") << "仙侠、魔"
                                               << "魔与仙侠" << 2 << "mo与xianxia" << 2;
    QTest::newRow("no hits") << "仙侠"
                             << "平安" << 3 << "平安" << -1;
}

void TestSensitiveWords::rewrite()
{
    QFETCH(QString, custom);
    QFETCH(QString, text);
    QFETCH(int, mode);
    QFETCH(QString, rewritten);
    QFETCH(int, firstEnd);
    SensitiveWordMatcher matcher;
    matcher.setCustomList(custom);
    matcher.check(text, SensitiveWordMatcher::Custom);
    int end = 0;
    QCOMPARE(matcher.rewrite(text, matcher.hits(), mode, &end), rewritten);
    QCOMPARE(end, firstEnd);
}

QUORVIN_TEST_MAIN(TestSensitiveWords)
#include "tst_sensitivewords.moc"
