// The platform layer's pure parts: key-down codes as the typing sounds
// expect them, modifier bits, and the autostart entry.
#include "platform/autostart.h"
#include "platform/globalhotkey.h"
#include "testmain.h"

#include <QSettings>
#include <QTemporaryDir>

class TestPlatform : public QObject
{
    Q_OBJECT
private slots:
    void keyDownCodes_data();
    void keyDownCodes();
    void modifiers();
    void autostartEntry();
};

void TestPlatform::keyDownCodes_data()
{
    QTest::addColumn<quint32>("xKeycode");
    QTest::addColumn<bool>("repeat");
    QTest::addColumn<int>("code");

    // X key codes are Linux input codes + 8.
    QTest::newRow("A") << 38u << false << 0x1E;
    QTest::newRow("A held") << 38u << true << (0x1E | 0x4000);
    QTest::newRow("Enter") << 36u << false << 0x1C;
    QTest::newRow("Backspace") << 22u << false << 0x0E;
    QTest::newRow("F1") << 67u << false << 59;
    QTest::newRow("F12") << 96u << false << 88;
    QTest::newRow("left Ctrl") << 37u << false << 29;
    QTest::newRow("right Ctrl") << 105u << false << 285;
    QTest::newRow("Up") << 111u << false << 328;
    QTest::newRow("Left") << 113u << false << 331;
    QTest::newRow("Right") << 114u << false << 333;
    QTest::newRow("Down") << 116u << false << 336;
    QTest::newRow("Delete") << 119u << false << (0x53 | 0x100);
    QTest::newRow("keypad Enter") << 104u << false << (0x1C | 0x100);
    QTest::newRow("left Windows") << 133u << false << 347;
    QTest::newRow("right Windows") << 134u << false << 348;
    QTest::newRow("menu") << 135u << false << 349;
    QTest::newRow("no key") << 0u << false << 0;
    QTest::newRow("unknown media key") << 180u << false << 0;
}

void TestPlatform::keyDownCodes()
{
    QFETCH(quint32, xKeycode);
    QFETCH(bool, repeat);
    QFETCH(int, code);
    QCOMPARE(Platform::keyDownCode(xKeycode, repeat), code);
}

void TestPlatform::modifiers()
{
    QCOMPARE(Platform::nativeModifiers(Qt::NoModifier), 0u);
    const quint32 all = Platform::nativeModifiers(Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier |
                                                  Qt::MetaModifier);
    QCOMPARE(all,
             Platform::nativeModifiers(Qt::ShiftModifier) | Platform::nativeModifiers(Qt::ControlModifier) |
                 Platform::nativeModifiers(Qt::AltModifier) | Platform::nativeModifiers(Qt::MetaModifier));
    QCOMPARE(Platform::nativeModifiers(Qt::KeypadModifier), 0u);
    // Without an X display no key can be grabbed.
    QVERIFY(!Platform::registerHotKey(Platform::nativeKeycode(Qt::Key_N), all));
}

void TestPlatform::autostartEntry()
{
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
    const QString program = config.path() + "/my apps/quorvin \"beta\"";
    const QString path = Platform::autostartEntryPath("quorvin");
    QCOMPARE(path, config.path() + "/autostart/quorvin.desktop");

    QVERIFY(Platform::setAutostart("quorvin", program, true));
    QVERIFY(Platform::hasAutostart("quorvin"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(file.readAll());
    QVERIFY(text.startsWith("[Desktop Entry]\n"));
    QVERIFY2(text.contains("Exec=\"" + config.path() + "/my apps/quorvin \\\\\"beta\\\\\"\"\n"),
             qPrintable(text));
    QVERIFY(text.contains("Type=Application\n"));

    QVERIFY(Platform::setAutostart("quorvin", program, false));
    QVERIFY(!Platform::hasAutostart("quorvin"));
    QVERIFY(Platform::setAutostart("quorvin", program, false)); // removing twice is fine
}

QUORVIN_TEST_MAIN(TestPlatform)
#include "tst_platform.moc"
