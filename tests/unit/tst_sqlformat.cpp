#include "db/sqlformat.h"
#include "testmain.h"

class TestSqlFormat : public QObject
{
    Q_OBJECT
private slots:
    void textValues_data();
    void textValues();
    void numbers_data();
    void numbers();
    void markers();
};

void TestSqlFormat::textValues_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    QTest::newRow("plain") << "abc"
                           << "abc";
    QTest::newRow("quote") << "it's"
                           << "it''s";
    QTest::newRow("two quotes") << "''"
                                << "''''";
    QTest::newRow("markers stay") << "%1 %2 %10 %%"
                                  << "%1 %2 %10 %%";
    QTest::newRow("marker and quote") << "'%1'"
                                      << "''%1''";
    QTest::newRow("backslash and crlf") << "a\\b\r\nc"
                                        << "a\\b\r\nc";
    QTest::newRow("emoji") << QString::fromUtf8("\xF0\x9F\x98\x80'")
                           << QString::fromUtf8("\xF0\x9F\x98\x80''");
}

// Each text is put between the values of two later markers: a value that
// holds markers must not pick up the values that follow it.
void TestSqlFormat::textValues()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);
    const QString sql = sqlFormat(QStringLiteral("a='%1',b=%2,c='%3',d=%10,e=%11"),
                                  {text, 2, QStringLiteral("x"), 4, 5, 6, 7, 8, 9, 10, 11});
    QCOMPARE(sql, QStringLiteral("a='%1',b=2,c='x',d=10,e=11").arg(expected));
}

void TestSqlFormat::numbers_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("expected");
    QTest::newRow("half") << 1.5 << "1.5";
    QTest::newRow("quarter") << 0.25 << "0.25";
    QTest::newRow("million") << 1e6 << "1e+06";
    QTest::newRow("six digits") << 3.14159265 << "3.14159";
    QTest::newRow("whole") << 100.0 << "100";
    QTest::newRow("negative") << -2.5 << "-2.5";
}

void TestSqlFormat::numbers()
{
    QFETCH(double, value);
    QFETCH(QString, expected);
    QCOMPARE(sqlFormat(QStringLiteral("x = %1"), {value}), QStringLiteral("x = ") + expected);
    QCOMPARE(sqlFormat(QStringLiteral("%1"), {float(value)}), expected);
    QCOMPARE(sqlFormat(QStringLiteral("%1,%2"), {-7, qint64(1) << 40}), QStringLiteral("-7,1099511627776"));
}

void TestSqlFormat::markers()
{
    // With fewer than ten values "%10" is marker 1 followed by a digit.
    QCOMPARE(sqlFormat(QStringLiteral("%10"), {7}), QStringLiteral("70"));
    // Unknown markers and lone percent signs stay as written.
    QCOMPARE(sqlFormat(QStringLiteral("%0 %3 % %%1 100%"), {5}), QStringLiteral("%0 %3 % %5 100%"));
    QCOMPARE(sqlFormat(QStringLiteral("delete from %1 where %2 = %3;"),
                       {SqlArg::raw(QStringLiteral("tb_job")), SqlArg::raw(QStringLiteral("jobId")), 3}),
             QStringLiteral("delete from tb_job where jobId = 3;"));
    // A marker used twice gets its value twice; the same value is escaped once each time.
    QCOMPARE(sqlFormat(QStringLiteral("'%1' '%1'"), {QStringLiteral("a'b")}),
             QStringLiteral("'a''b' 'a''b'"));
}

QUORVIN_TEST_MAIN(TestSqlFormat)
#include "tst_sqlformat.moc"
