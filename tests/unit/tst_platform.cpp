#include "platform/power.h"
#include "platform/systemscale.h"
#include "testmain.h"

class TestPlatform : public QObject
{
    Q_OBJECT
private slots:
    void powerCommands_data();
    void powerCommands();
    void systemScaleIsPositive();
};

void TestPlatform::powerCommands_data()
{
    QTest::addColumn<int>("action");
    QTest::addColumn<QString>("verb");
    QTest::newRow("shutdown") << int(Platform::PowerAction::Shutdown) << "poweroff";
    QTest::newRow("restart") << int(Platform::PowerAction::Restart) << "reboot";
    QTest::newRow("sleep") << int(Platform::PowerAction::Sleep) << "suspend";
}

void TestPlatform::powerCommands()
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

void TestPlatform::systemScaleIsPositive()
{
    QVERIFY(Platform::systemScale() > 0.0);
}

QUORVIN_TEST_MAIN(TestPlatform)
#include "tst_platform.moc"
