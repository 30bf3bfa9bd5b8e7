// The name generator against the real store: which lists a choice draws
// from, lists weighted by their length (a statistical check over a fixed
// seed), fixed and drawn surnames, and nothing drawn from empty lists.

#include "db/cquorvindb.h"
#include "db/records.h"
#include "manager/csystemmanager.h"
#include "testappdir.h"
#include "testmain.h"

#include <QSet>

namespace {

QStringList numbered(const QString &stem, int count)
{
    QStringList out;
    for (int i = 0; i < count; ++i)
        out << stem + QChar(0x4E00 + i);
    return out;
}

} // namespace

class TestRandomNames : public QObject
{
    Q_OBJECT

private:
    TestAppDir m_app;
    T_SessionData &m_session = T_SessionData::instance();
    CSystemManager *m_system = nullptr;
    // type -> names stored for it
    QMap<int, QStringList> m_lists;

    bool store(const QMap<int, QStringList> &lists)
    {
        QMap<int, QString> texts;
        for (auto it = lists.cbegin(); it != lists.cend(); ++it)
            texts.insert(it.key(), it.value().join(QLatin1Char(',')));
        m_session.nameCache.clear();
        return CQuorvinDb::instance()->saveNames(texts, 1);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_app.isValid());
        QVERIFY(CQuorvinDb::instance()->init());
        m_system = CSystemManager::instance();
        // One-character given names are single characters, two-character
        // ones pairs; every list has its own stem, so a name tells its list.
        m_lists = {{1, numbered("", 40)},   {2, {"欧阳", "上官", "司马"}},
                   {3, numbered("", 10)},   {4, numbered("", 12)},
                   {5, numbered("男", 30)}, {6, numbered("女", 20)},
                   {7, {"佐藤", "铃木"}},   {8, {"太郎"}},
                   {9, {"美咲", "结衣"}},   {10, {"史密斯", "布朗"}},
                   {11, {"亚瑟", "亨利"}},  {12, {"艾米丽"}}};
        for (int type = 3; type <= 6; ++type)
            for (QString &name : m_lists[type])
                name.prepend(type == 3 || type == 5 ? QStringLiteral("M") : QStringLiteral("F"));
        QVERIFY(store(m_lists));
    }

    void typesOfAChoice_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("gender");
        QTest::addColumn<int>("length");
        QTest::addColumn<int>("surnameChoice");
        QTest::addColumn<QVector<int>>("given");
        QTest::addColumn<QVector<int>>("surnames");
        QTest::newRow("Chinese male, any length")
            << 1 << 1 << 3 << 3 << QVector<int>{3, 5} << QVector<int>{1, 2};
        QTest::newRow("Chinese female, two") << 1 << 2 << 2 << 1 << QVector<int>{6} << QVector<int>{1};
        QTest::newRow("Chinese both, one") << 1 << 3 << 1 << 2 << QVector<int>{3, 4} << QVector<int>{2};
        QTest::newRow("Japanese male") << 2 << 1 << 3 << 3 << QVector<int>{8} << QVector<int>{7};
        QTest::newRow("Western female") << 4 << 2 << 1 << 3 << QVector<int>{12} << QVector<int>{10};
        QTest::newRow("no gender") << 1 << 0 << 3 << 3 << QVector<int>{} << QVector<int>{1, 2};
    }
    void typesOfAChoice()
    {
        QFETCH(int, kind);
        QFETCH(int, gender);
        QFETCH(int, length);
        QFETCH(int, surnameChoice);
        QFETCH(QVector<int>, given);
        QFETCH(QVector<int>, surnames);
        QCOMPARE(CSystemManager::givenNameTypes(kind, gender, length), given);
        QCOMPARE(CSystemManager::surnameTypes(kind, surnameChoice), surnames);
    }

    // Types 3 (10 names) and 5 (30 names): a two-character given name is
    // drawn three times as often. 6000 draws put the share of type 3 at
    // 0.25 with a standard deviation of 0.0056; 0.03 either side is more
    // than five of them.
    void listsAreWeightedByTheirLength()
    {
        m_system->setRandomSeed(20261211);
        QStringList out;
        m_system->randomNames(1, 1, 3, 3, out, 6000, QStringLiteral("欧阳"));
        QCOMPARE(out.size(), 6000);
        const QSet<QString> three(m_lists[3].cbegin(), m_lists[3].cend());
        const QSet<QString> five(m_lists[5].cbegin(), m_lists[5].cend());
        int fromThree = 0;
        for (const QString &name : qAsConst(out)) {
            QVERIFY2(name.startsWith(QStringLiteral("欧阳")), qPrintable(name));
            const QString given = name.mid(2);
            QVERIFY2(three.contains(given) || five.contains(given), qPrintable(name));
            fromThree += three.contains(given) ? 1 : 0;
        }
        const double share = double(fromThree) / out.size();
        QVERIFY2(qAbs(share - 0.25) < 0.03, qPrintable(QString::number(share)));
    }

    void drawnSurnamesPrefixEachName()
    {
        m_system->setRandomSeed(7);
        QStringList out;
        m_system->randomNames(1, 2, 2, 2, out, 20, QString());
        QCOMPARE(out.size(), 20);
        for (const QString &name : qAsConst(out)) {
            QVERIFY2(m_lists[2].contains(name.left(2)), qPrintable(name));
            QVERIFY2(m_lists[6].contains(name.mid(2)), qPrintable(name));
        }
        m_system->randomNames(2, 1, 3, 3, out, 5, QString());
        for (const QString &name : qAsConst(out))
            QVERIFY2(m_lists[7].contains(name.left(2)) && name.endsWith(QStringLiteral("太郎")),
                     qPrintable(name));
        m_system->randomNames(4, 2, 3, 3, out, 5, QString());
        for (const QString &name : qAsConst(out))
            QVERIFY2(name == QStringLiteral("艾米丽·史密斯") || name == QStringLiteral("艾米丽·布朗"),
                     qPrintable(name));
        m_system->randomSurnames(1, 1, out, 3);
        QCOMPARE(out.size(), 3);
        for (const QString &name : qAsConst(out))
            QVERIFY(m_lists[1].contains(name));
    }

    void emptyListsDrawNothing()
    {
        QVERIFY(store({}));
        QStringList out{"left over"};
        m_system->randomNames(1, 1, 3, 3, out, 20, QString());
        QVERIFY(out.isEmpty());
        m_system->randomNames(1, 1, 3, 3, out, 20, QStringLiteral("欧阳"));
        QVERIFY(out.isEmpty());
        m_system->randomSurnames(4, 3, out, 1);
        QVERIFY(out.isEmpty());
        QVERIFY(store(m_lists));
    }
};

QUORVIN_TEST_MAIN(TestRandomNames)
#include "tst_randomnames.moc"
