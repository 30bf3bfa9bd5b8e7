#include "testmain.h"
#include "ui/creation/timemachine/cdiffengine.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <random>
#include <stdexcept>

using Diff = CDiffEngine::Diff;
using Diffs = CDiffEngine::Diffs;
Q_DECLARE_METATYPE(Diffs)

namespace {

QString show(const Diffs &diffs)
{
    static const char *names[] = {"DELETE", "INSERT", "EQUAL"};
    QStringList parts;
    for (const Diff &d : diffs)
        parts << QStringLiteral("%1(%2)").arg(QLatin1String(names[d.operation]), d.text);
    return parts.join(QLatin1Char(' '));
}

} // namespace

class TestDiffEngine : public QObject
{
    Q_OBJECT
private slots:
    void reference_data();
    void reference();
    void edges_data();
    void edges();
    void lineModeOnlyAboveHundred();
    void passedDeadline_data();
    void passedDeadline();
    void nullInputs();
    void randomWithTimeLimit();
    void settings();
};

// Pairs with the differences the published library's reference
// implementation returns for them (tests/unit/data/make_diff_reference.js).
void TestDiffEngine::reference_data()
{
    QTest::addColumn<QString>("text1");
    QTest::addColumn<QString>("text2");
    QTest::addColumn<double>("timeout");
    QTest::addColumn<bool>("checklines");
    QTest::addColumn<Diffs>("expected");

    QFile file(QStringLiteral(QUORVIN_TEST_DATA "/diff_reference.json"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QJsonArray cases = QJsonDocument::fromJson(file.readAll()).array();
    QVERIFY(cases.size() > 300);
    int n = 0;
    for (const QJsonValue &value : cases) {
        const QJsonObject c = value.toObject();
        Diffs expected;
        for (const QJsonValue &d : c.value("diffs").toArray()) {
            const QJsonArray pair = d.toArray();
            expected.append(Diff(CDiffEngine::Operation(pair.at(0).toInt()), pair.at(1).toString()));
        }
        // toString() of an empty JSON string is an empty, not a null, text.
        QTest::addRow("%d", n++) << c.value("a").toString(QStringLiteral(""))
                                 << c.value("b").toString(QStringLiteral("")) << c.value("timeout").toDouble()
                                 << c.value("checklines").toBool() << expected;
    }
}

void TestDiffEngine::reference()
{
    QFETCH(QString, text1);
    QFETCH(QString, text2);
    QFETCH(double, timeout);
    QFETCH(bool, checklines);
    QFETCH(Diffs, expected);

    CDiffEngine engine;
    engine.Diff_Timeout = float(timeout);
    const Diffs diffs = engine.diff_main(text1, text2, checklines);
    QCOMPARE(show(diffs), show(expected));
    QCOMPARE(CDiffEngine::diff_text1(diffs), text1);
    QCOMPARE(CDiffEngine::diff_text2(diffs), text2);
}

void TestDiffEngine::edges_data()
{
    QTest::addColumn<QString>("text1");
    QTest::addColumn<QString>("text2");
    QTest::addColumn<Diffs>("expected");

    const QString chapter = QStringLiteral("第一章\n他推开门，屋里没有人。\n");
    QTest::newRow("equal") << chapter << chapter << Diffs{Diff(CDiffEngine::EQUAL, chapter)};
    QTest::newRow("both empty") << QString("") << QString("") << Diffs{};
    QTest::newRow("last character removed")
        << chapter << chapter.left(chapter.size() - 1)
        << Diffs{Diff(CDiffEngine::EQUAL, chapter.left(chapter.size() - 1)), Diff(CDiffEngine::DELETE, "\n")};
    QTest::newRow("first empty") << QString("") << chapter << Diffs{Diff(CDiffEngine::INSERT, chapter)};
    QTest::newRow("second empty") << chapter << QString("") << Diffs{Diff(CDiffEngine::DELETE, chapter)};
    // A surrogate pair is two code units; the high one is shared here.
    QTest::newRow("surrogate pairs") << QString::fromUtf8("a\xF0\x9F\x98\x80")
                                     << QString::fromUtf8("a\xF0\x9F\x98\x81")
                                     << Diffs{Diff(CDiffEngine::EQUAL,
                                                   QString::fromUtf8("a\xF0\x9F\x98\x80").left(2)),
                                              Diff(CDiffEngine::DELETE, QString(QChar(0xDE00))),
                                              Diff(CDiffEngine::INSERT, QString(QChar(0xDE01)))};
}

void TestDiffEngine::edges()
{
    QFETCH(QString, text1);
    QFETCH(QString, text2);
    QFETCH(Diffs, expected);
    for (const bool checklines : {false, true}) {
        CDiffEngine engine;
        QCOMPARE(show(engine.diff_main(text1, text2, checklines)), show(expected));
    }
}

// Line mode compares whole lines first and then only the changed runs, so
// for this pair it gives another (coarser) result than a walk over the
// characters. Without their common prefix and suffix the texts are 101
// characters long; one character less in a common line and line mode is
// left out.
void TestDiffEngine::lineModeOnlyAboveHundred()
{
    const QString a =
        QStringLiteral("bbccbcccbbcaaca\nccaabaacabacbccab\ncbcaabbcaaa\nbcbcbbccaaa\ncbacaabbac\n"
                       "abcaccaabbbbcba\nbbaabacaccabccaa\ncabbbaaccb\n");
    const QString b =
        QStringLiteral("bbccbcccbbccaca\nccaabaacabacbccab\ncbcaabbcaaa\nbcbcbbccaac\ncbacaabbac\n"
                       "abcaccaabbbacba\nabaabacaccabccaa\ncabbbaaccc\n");
    const int common = CDiffEngine::diff_commonPrefix(a, b) + CDiffEngine::diff_commonSuffix(a, b);
    QCOMPARE(a.size() - common, 101);
    QCOMPARE(b.size() - common, 101);
    CDiffEngine engine;
    engine.Diff_Timeout = 0;
    const Diffs lines = engine.diff_main(a, b, true);
    QVERIFY2(show(lines) != show(engine.diff_main(a, b, false)), qPrintable(show(lines)));
    QCOMPARE(CDiffEngine::diff_text1(lines), a);
    QCOMPARE(CDiffEngine::diff_text2(lines), b);

    const QString shortA =
        QString(a).replace(QStringLiteral("cbcaabbcaaa\n"), QStringLiteral("cbcaabbcaa\n"));
    const QString shortB =
        QString(b).replace(QStringLiteral("cbcaabbcaaa\n"), QStringLiteral("cbcaabbcaa\n"));
    QCOMPARE(shortA.size() - common, 100);
    QCOMPARE(show(engine.diff_main(shortA, shortB, true)), show(engine.diff_main(shortA, shortB, false)));
}

void TestDiffEngine::passedDeadline_data()
{
    QTest::addColumn<QString>("text1");
    QTest::addColumn<QString>("text2");
    QTest::addColumn<bool>("checklines");
    QTest::addColumn<Diffs>("expected");

    QTest::newRow("characters") << QStringLiteral("前言abcdef后记") << QStringLiteral("前言fedcba后记")
                                << false
                                << Diffs{
                                       Diff(CDiffEngine::EQUAL, "前言"), Diff(CDiffEngine::DELETE, "abcdef"),
                                       Diff(CDiffEngine::INSERT, "fedcba"), Diff(CDiffEngine::EQUAL, "后记")};
    // The changed runs differ at both ends, so nothing of them is common.
    const QString a = QStringLiteral("他说走吧\n").repeated(25);
    const QString b = QStringLiteral("她答好的\n").repeated(25);
    QTest::newRow("lines") << "开头\n" + a + "结尾"
                           << "开头\n" + b + "结尾" << true
                           << Diffs{Diff(CDiffEngine::EQUAL, "开头\n"),
                                    Diff(CDiffEngine::DELETE, a.chopped(1)),
                                    Diff(CDiffEngine::INSERT, b.chopped(1)),
                                    Diff(CDiffEngine::EQUAL, "\n结尾")};
}

void TestDiffEngine::passedDeadline()
{
    QFETCH(QString, text1);
    QFETCH(QString, text2);
    QFETCH(bool, checklines);
    QFETCH(Diffs, expected);
    CDiffEngine engine;
    engine.Diff_Timeout = 0; // no half-match: only the deadline decides
    QCOMPARE(show(engine.diff_main(text1, text2, checklines, CDiffEngine::nowMs() - 1)), show(expected));
}

void TestDiffEngine::nullInputs()
{
    CDiffEngine engine;
    for (const auto &pair : {qMakePair(QString(), QString("a")), qMakePair(QString("a"), QString())}) {
        try {
            engine.diff_main(pair.first, pair.second);
            QFAIL("a null text was taken");
        } catch (const std::invalid_argument &e) {
            QCOMPARE(QString::fromLatin1(e.what()), QStringLiteral("Null inputs. (diff_main)"));
        }
    }
    QCOMPARE(engine.diff_main(QString(""), QString("")).size(), 0);
}

// With a time limit the engine may take the half-match and stop early; the
// result must still rebuild both texts exactly.
void TestDiffEngine::randomWithTimeLimit()
{
    const QString alphabet = QStringLiteral("的一是了我不人在，。\nab ");
    for (const unsigned seed : {1u, 7u, 42u, 2026u, 99991u}) {
        std::mt19937 rng(seed);
        auto pick = [&](int n) { return int(rng() % unsigned(n)); };
        for (int round = 0; round < 60; ++round) {
            QString a(QLatin1String("")); // empty, never null
            const int length = pick(400);
            for (int i = 0; i < length; ++i)
                a += alphabet.at(pick(alphabet.size()));
            QString b = a;
            for (int e = pick(12); e > 0; --e) {
                const int at = pick(b.size() + 1);
                const int len = 1 + pick(30);
                QString insert;
                for (int i = pick(30); i > 0; --i)
                    insert += alphabet.at(pick(alphabet.size()));
                b = b.left(at) + insert + b.mid(at + (pick(2) ? len : 0));
            }
            CDiffEngine engine;
            const Diffs diffs = engine.diff_main(a, b, round % 2 == 0);
            const QByteArray where = QStringLiteral("seed %1 round %2").arg(seed).arg(round).toUtf8();
            QVERIFY2(CDiffEngine::diff_text1(diffs) == a, where.constData());
            QVERIFY2(CDiffEngine::diff_text2(diffs) == b, where.constData());
        }
    }
}

void TestDiffEngine::settings()
{
    const CDiffEngine engine;
    QCOMPARE(engine.Diff_Timeout, 1.0f);
    QCOMPARE(engine.Diff_EditCost, short(4));
    QCOMPARE(engine.Match_Threshold, 0.5f);
    QCOMPARE(engine.Match_Distance, 1000);
    QCOMPARE(engine.Patch_DeleteThreshold, 0.5f);
    QCOMPARE(engine.Patch_Margin, short(4));
    QCOMPARE(engine.Match_MaxBits, short(32));
}

QUORVIN_TEST_MAIN(TestDiffEngine)
#include "tst_diffengine.moc"
