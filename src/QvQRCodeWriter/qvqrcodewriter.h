#pragma once

#include <QColor>
#include <QImage>
#include <QSize>
#include <QString>

// Turns a text into a QR code image: dark modules in `color` on white,
// stretched over the image's shorter side, with no quiet zone beyond what
// that leaves. A text that cannot be encoded gives a plain white image.
class QvQRCodeWriter
{
public:
    static QImage makeQRcode(const QString &text, const QSize &size, const QColor &color = Qt::black);
};
