// The QR image writer: what it draws reads back with a standard QR reader
// (zbarimg), modules are whole pixels where the size allows, and the
// image keeps the size asked for.
#include "QvQRCodeWriter/qvqrcodewriter.h"
#include "testmain.h"

#include <QPainter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

class TstQrCodeWriter : public QObject
{
    Q_OBJECT

private:
    // What zbarimg reads from `image`, which gets the white quiet zone
    // readers expect around it first.
    static QString decode(const QImage &image, const QString &folder)
    {
        QImage framed(image.size() + QSize(80, 80), QImage::Format_RGB32);
        framed.fill(Qt::white);
        QPainter(&framed).drawImage(40, 40, image);
        const QString file = folder + "/qr.png";
        if (!framed.save(file))
            return QString();
        QProcess zbar;
        zbar.start("zbarimg", {"--quiet", "--raw", file});
        if (!zbar.waitForFinished(30000) || zbar.exitCode() != 0)
            return QString();
        QString text = QString::fromUtf8(zbar.readAllStandardOutput());
        if (text.endsWith('\n'))
            text.chop(1);
        return text;
    }

private slots:
    void decodesBack_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("side");
        QTest::newRow("short ascii") << "Quorvin" << 200;
        QTest::newRow("url with query")
            << "http://127.0.0.1:8080/wx/login?s=0123456789abcdef0123456789abcdef&theme=2&from=client" << 300;
        QTest::newRow("chinese") << QString::fromUtf8("每天写一点，故事就会长大") << 240;
    }

    void decodesBack()
    {
        if (QStandardPaths::findExecutable("zbarimg").isEmpty())
            QFAIL("zbarimg is missing (Debian package zbar-tools, installed by scripts/setup)");
        QFETCH(QString, text);
        QFETCH(int, side);
        QTemporaryDir dir;
        const QImage image = QvQRCodeWriter::makeQRcode(text, QSize(side, side), Qt::black);
        QCOMPARE(image.size(), QSize(side, side));
        QCOMPARE(decode(image, dir.path()), text);
    }

    // Ten letters need version 2 at level H: 25 modules, 8 pixels each in
    // 200. (Digits would go into the denser numeric mode.)
    void twentyFiveModulesTakeEightPixels()
    {
        const QImage image = QvQRCodeWriter::makeQRcode("abcdefghij", QSize(200, 200), Qt::black);
        const QRgb dark = qRgb(0, 0, 0);
        const QRgb light = qRgb(255, 255, 255);
        // The finder pattern of the top-left corner: 7 dark modules, then
        // the light separator.
        QCOMPARE(image.pixel(0, 0), dark);
        QCOMPARE(image.pixel(55, 0), dark);
        QCOMPARE(image.pixel(56, 0), light);
        QCOMPARE(image.pixel(0, 55), dark);
        QCOMPARE(image.pixel(0, 56), light);
        QCOMPARE(image.pixel(8, 8), light);   // the light ring inside
        QCOMPARE(image.pixel(16, 16), dark);  // the dark centre
        QCOMPARE(image.pixel(199, 0), dark);  // the top-right finder reaches the edge
        QCOMPARE(image.pixel(140, 0), light); // its separator, module 17
        QCOMPARE(image.pixel(144, 0), dark);
    }

    void colourAndWideImage()
    {
        // A wide image draws the code over its height and leaves the rest white.
        const QImage image = QvQRCodeWriter::makeQRcode("abcdefghij", QSize(400, 200), QColor("#3470FF"));
        QCOMPARE(image.pixel(0, 0), QColor("#3470FF").rgb());
        QCOMPARE(image.pixel(399, 0), qRgb(255, 255, 255));
    }
};

QUORVIN_TEST_MAIN(TstQrCodeWriter)
#include "tst_qrcodewriter.moc"
