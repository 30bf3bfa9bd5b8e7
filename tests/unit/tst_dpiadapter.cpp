#include "testappdir.h"
#include "testmain.h"
#include "ui/dpiadapter.h"

#include <QSettings>

class TestDpiAdapter : public QObject
{
    Q_OBJECT
private slots:
    void chooseScale_data();
    void chooseScale();
    void checkDpi_data();
    void checkDpi();
    void checkDpiThenChooseScaleSettles();
    void unwritableSettingsNeverRestart();
    void windowSize_data();
    void windowSize();
};

using Choice = DPIAdapter::ScaleChoice;

void TestDpiAdapter::chooseScale_data()
{
    QTest::addColumn<QByteArray>("settings");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("factor");

    QTest::newRow("no file contents") << QByteArray() << int(Choice::None) << "";
    QTest::newRow("no dpiScale") << QByteArray("[system]\nrheight=1080\n") << int(Choice::None) << "";
    QTest::newRow("non-numeric dpiScale")
        << QByteArray("[system]\ndpiScale=abc\nrheight=1080\n") << int(Choice::None) << "";
    QTest::newRow("zero dpiScale") << QByteArray("[system]\ndpiScale=0\nrheight=1080\n") << int(Choice::None)
                                   << "";
    QTest::newRow("binary garbage") << QByteArray("\x00\xff\xfe[[[\n=\n", 10) << int(Choice::None) << "";
    QTest::newRow("1080 at 150% -> 1.25")
        << QByteArray("[system]\ndpiScale=1.5\nrheight=1080\n") << int(Choice::Factor) << "1.25";
    QTest::newRow("2160 at 150% -> automatic")
        << QByteArray("[system]\ndpiScale=1.5\nrheight=2160\n") << int(Choice::AutoHighDpi) << "";
    QTest::newRow("1661 at 225% -> 1.75")
        << QByteArray("[system]\ndpiScale=2.25\nrheight=1661\n") << int(Choice::Factor) << "1.75";
    QTest::newRow("1662 at 225% -> 2")
        << QByteArray("[system]\ndpiScale=2.25\nrheight=1662\n") << int(Choice::Factor) << "2";
    QTest::newRow("2000 at 300% -> 2.25")
        << QByteArray("[system]\ndpiScale=3\nrheight=2000\n") << int(Choice::Factor) << "2.25";
    QTest::newRow("900 at 125% -> 1")
        << QByteArray("[system]\ndpiScale=1.25\nrheight=900\n") << int(Choice::Factor) << "1";
    QTest::newRow("830 at 125% keeps stored")
        << QByteArray("[system]\ndpiScale=1.25\nrheight=830\n") << int(Choice::Factor) << "1.25";
    QTest::newRow("768 at 175% keeps stored")
        << QByteArray("[system]\ndpiScale=1.75\nrheight=768\n") << int(Choice::Factor) << "1.75";
    QTest::newRow("no rheight keeps stored")
        << QByteArray("[system]\ndpiScale=1.5\n") << int(Choice::Factor) << "1.5";
}

void TestDpiAdapter::chooseScale()
{
    QFETCH(QByteArray, settings);
    QFETCH(int, kind);
    QFETCH(QString, factor);
    TestAppDir dir;
    dir.writeSettings(settings);
    const Choice choice = DPIAdapter::chooseScale(dir.settingsFile());
    QCOMPARE(int(choice.kind), kind);
    if (!factor.isEmpty())
        QCOMPARE(DPIAdapter::formatFactor(choice.factor), factor);
}

void TestDpiAdapter::checkDpi_data()
{
    QTest::addColumn<QByteArray>("settings");
    QTest::addColumn<double>("system");
    QTest::addColumn<bool>("restart");
    QTest::addColumn<QString>("storedAfter");

    QTest::newRow("100% never restarts, whatever is stored")
        << QByteArray("[system]\ndpiScale=2\nrwidth=1\nrheight=1\n") << 1.0 << false << "2";
    QTest::newRow("first start at 150%") << QByteArray() << 1.5 << true << "1.5";
    QTest::newRow("unchanged 150%") << QByteArray("[system]\ndpiScale=1.5\n") << 1.5 << false << "1.5";
    QTest::newRow("changed 150% -> 200%") << QByteArray("[system]\ndpiScale=1.5\n") << 2.0 << true << "2";
    QTest::newRow("non-numeric stored is repaired")
        << QByteArray("[system]\ndpiScale=x\n") << 1.25 << true << "1.25";
    QTest::newRow("below 100%") << QByteArray() << 0.75 << false << "";
}

void TestDpiAdapter::checkDpi()
{
    QFETCH(QByteArray, settings);
    QFETCH(double, system);
    QFETCH(bool, restart);
    QFETCH(QString, storedAfter);
    TestAppDir dir;
    dir.writeSettings(settings);
    QCOMPARE(DPIAdapter::checkDpiWith(dir.settingsFile(), system, QSize(2880, 1620)), restart);
    QSettings after(dir.settingsFile(), QSettings::IniFormat);
    QCOMPARE(after.value("system/dpiScale").toString(), storedAfter);
    if (restart) {
        QCOMPARE(after.value("system/rwidth").toInt(), 2880);
        QCOMPARE(after.value("system/rheight").toInt(), 1620);
    }
}

void TestDpiAdapter::checkDpiThenChooseScaleSettles()
{
    // First start at 150% on a 1920x1080 screen: one restart, then 1.25, then calm.
    TestAppDir dir;
    dir.writeSettings(QByteArray());
    QVERIFY(DPIAdapter::checkDpiWith(dir.settingsFile(), 1.5, QSize(1920, 1080)));
    const Choice second = DPIAdapter::chooseScale(dir.settingsFile());
    QCOMPARE(int(second.kind), int(Choice::Factor));
    QCOMPARE(DPIAdapter::formatFactor(second.factor), QString("1.25"));
    QVERIFY(!DPIAdapter::checkDpiWith(dir.settingsFile(), 1.5, QSize(1920, 1080)));
}

void TestDpiAdapter::unwritableSettingsNeverRestart()
{
    // A settings file that cannot be written would otherwise restart forever
    // (a folder stands in for it: even root cannot write a folder as a file).
    TestAppDir dir;
    QVERIFY(!DPIAdapter::checkDpiWith(dir.path() + "/data/config", 1.5, QSize(1920, 1080)));
}

void TestDpiAdapter::windowSize_data()
{
    QTest::addColumn<QSize>("screen");
    QTest::addColumn<QSize>("window");
    QTest::newRow("1920x1080") << QSize(1920, 1080) << QSize(1208, 692);
    QTest::newRow("1440x900") << QSize(1440, 900) << QSize(1090, 626);
    QTest::newRow("1366x768") << QSize(1366, 768) << QSize(1022, 558);
    QTest::newRow("1280x720") << QSize(1280, 720) << QSize(913, 526);
    QTest::newRow("1280x600") << QSize(1280, 600) << QSize(795, 460);
    QTest::newRow("not in the table") << QSize(2560, 1440) << QSize(1208, 692);
}

void TestDpiAdapter::windowSize()
{
    QFETCH(QSize, screen);
    QFETCH(QSize, window);
    QCOMPARE(DPIAdapter::instance()->windowSizeFor(screen), window);
}

QUORVIN_TEST_MAIN(TestDpiAdapter)
#include "tst_dpiadapter.moc"
