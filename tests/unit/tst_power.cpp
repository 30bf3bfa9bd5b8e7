#include "platform/power.h"
#include "platform/systemscale.h"
#include "testmain.h"

class TestPower : public QObject
{
    Q_OBJECT
private slots:
    void powerCommands_data();
    void powerCommands();
    void systemScaleIsPositive();
};

void TestPower::powerCommands_data()
{
    QTest::addColumn<int>("action");
    QTest::addColumn<QString>("verb");
    QTest::newRow("shutdown") << int(Platform::PowerAction::Shutdown) << "poweroff";
    QTest::newRow("restart") << int(Platform::PowerAction::Restart) << "reboot";
    QTest::newRow("sleep") << int(Platform::PowerAction::Sleep) << "suspend";
}

void TestPower::powerCommands()
{
    QFETCH(int, action);
    QFETCH(QString, verb);
    QString program;
    QStringList arguments;
    Platform::setCommandRunner([&](const QString &p, const QStringList &a) {
        program = p;
        arguments = a;
        return false;
    });
    QVERIFY(!Platform::requestPower(Platform::PowerAction(action)));
    QCOMPARE(program, QString("systemctl"));
    QCOMPARE(arguments, QStringList{verb});
}

void TestPower::systemScaleIsPositive()
{
    QVERIFY(Platform::systemScale() > 0.0);
}

QUORVIN_TEST_MAIN(TestPower)
#include "tst_power.moc"
