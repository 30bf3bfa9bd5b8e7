#include "manager/cqssmanager.h"
#include "testmain.h"

#include <QPushButton>
#include <QTemporaryDir>

class TestQssManager : public QObject
{
    Q_OBJECT
private slots:
    void sheetsRegisteredFromResources();
    void setStyleAppliesOnceAndIgnoresUnknown();
    void buttonStyle_data();
    void buttonStyle();
};

void TestQssManager::sheetsRegisteredFromResources()
{
    CQssManager *qss = CQssManager::instance();
    qss->setQssStyle(StyleLight, ":/res/qss/light.qss");
    qss->setQssStyle(StyleDark, ":/res/qss/dark.qss");
    qss->setQssStyle(StyleType(3), ":/res/qss/missing.qss");
    QVERIFY(qss->styleSheet(StyleLight).contains("Microsoft YaHei"));
    QVERIFY(qss->styleSheet(StyleLight).contains(":/res/skin/light/"));
    QVERIFY(qss->styleSheet(StyleDark).contains(":/res/skin/dark/"));
    QVERIFY(!qss->styleSheet(StyleDark).contains(":/res/skin/light/"));
    QVERIFY(qss->styleSheet(3).isEmpty());
}

void TestQssManager::setStyleAppliesOnceAndIgnoresUnknown()
{
    CQssManager *qss = CQssManager::instance();
    qss->setStyle(StyleLight);
    QCOMPARE(qss->getStyle(), 1);
    QCOMPARE(qApp->styleSheet(), qss->styleSheet(StyleLight));

    // A second setStyle(1) must not set the sheet again: a marker survives.
    qApp->setStyleSheet("/* marker */");
    qss->setStyle(StyleLight);
    QCOMPARE(qApp->styleSheet(), QString("/* marker */"));

    qss->setStyle(3);
    QCOMPARE(qss->getStyle(), 1);
    QCOMPARE(qApp->styleSheet(), QString("/* marker */"));

    qss->setStyle(StyleDark);
    QCOMPARE(qss->getStyle(), 2);
    QCOMPARE(qApp->styleSheet(), qss->styleSheet(StyleDark));
}

void TestQssManager::buttonStyle_data()
{
    QTest::addColumn<QSize>("image");
    QTest::addColumn<int>("states");
    QTest::addColumn<int>("scale");
    QTest::addColumn<QSize>("fixed");
    QTest::addColumn<QStringList>("present");
    QTest::addColumn<QStringList>("absent");

    QTest::newRow("4 states")
        << QSize(400, 40) << 4 << 1 << QSize(100, 40)
        << QStringList{"QPushButton:hover, QPushButton:checked:hover {border-image: url(%1) 0 200 0 100}",
                       "QPushButton {border-image: url(%1) 0 300 0 0}",
                       "QPushButton:disabled {border-image: url(%1) 0 0 0 300}"}
        << QStringList{};
    QTest::newRow("2 states") << QSize(200, 40) << 2 << 1 << QSize(100, 40)
                              << QStringList{"QPushButton:hover"} << QStringList{":pressed", ":disabled"};
    QTest::newRow("states out of range count as 4")
        << QSize(400, 40) << 9 << 2 << QSize(50, 20) << QStringList{":disabled", "min-width: 50px"}
        << QStringList{};
}

void TestQssManager::buttonStyle()
{
    QFETCH(QSize, image);
    QFETCH(int, states);
    QFETCH(int, scale);
    QFETCH(QSize, fixed);
    QFETCH(QStringList, present);
    QFETCH(QStringList, absent);

    QTemporaryDir dir;
    // A path with "%1" in it must reach the rule unchanged.
    const QString path = dir.path() + "/sprite%1.png";
    QImage sprite(image, QImage::Format_ARGB32);
    sprite.fill(Qt::red);
    QVERIFY(sprite.save(path));

    QPushButton button;
    CQssManager::setButtonStyle(&button, path, states, scale);
    QCOMPARE(button.minimumSize(), fixed);
    QCOMPARE(button.maximumSize(), fixed);
    for (QString expected : present)
        QVERIFY2(button.styleSheet().contains(expected.replace("%1", path)), qPrintable(button.styleSheet()));
    for (const QString &unexpected : absent)
        QVERIFY(!button.styleSheet().contains(unexpected));
}

QUORVIN_TEST_MAIN(TestQssManager)
#include "tst_qssmanager.moc"
