#include "qvqrcodewriter.h"

#include <QDebug>
#include <QPainter>
#include <qrencode.h>

QImage QvQRCodeWriter::makeQRcode(const QString &text, const QSize &size, const QColor &color)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(QColor("#000000"));
    QPainter painter;
    if (!painter.begin(&image)) {
        qWarning() << "ZtQRCodeWriter::makeQRcode: error";
        return image;
    }
    const QByteArray utf8 = text.toUtf8();
    QRcode *code = QRcode_encodeString(utf8.constData(), 1, QR_ECLEVEL_H, QR_MODE_8, 1);
    painter.fillRect(image.rect(), QColor("#ffffff"));
    if (!code) {
        qWarning() << "ZtQRCodeWriter::makeQRcode: empty qrcode";
        return image;
    }
    const int modules = qMax(code->width, 1);
    const int extent = image.width() / qMax(image.height(), 1) <= 1 ? image.width() : image.height();
    const qreal side = qreal(extent) / modules;
    painter.setPen(Qt::NoPen);
    painter.setBrush(color);
    for (int row = 0; row < modules; ++row) {
        const unsigned char *line = code->data + row * modules;
        for (int column = 0; column < modules; ++column) {
            if (line[column] & 1)
                painter.drawRect(QRectF(column * side, row * side, side, side));
        }
    }
    QRcode_free(code);
    return image;
}
