// quorvin-coverbake COVERDIR FRAMEDIR
//
// Draws the system covers offered for new books (COVERDIR/cover_NN.png,
// 240 x 320, painted here from shapes and gradients) and the frames of the
// synchronisation animation (FRAMEDIR/{light,dark}/frame_NN.png), which the
// build joins into an animated GIF.
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QRandomGenerator>
#include <QtMath>
#include <cstdio>
#include <functional>

namespace {

const int kW = 240;
const int kH = 320;

void sky(QPainter &p, const QColor &top, const QColor &bottom)
{
    QLinearGradient g(0, 0, 0, kH);
    g.setColorAt(0, top);
    g.setColorAt(1, bottom);
    p.fillRect(0, 0, kW, kH, g);
}

// A ridge of hills through the given heights, filled to the bottom.
void ridge(QPainter &p, const QColor &colour, int base, int amplitude, quint32 seed, int steps = 7)
{
    QRandomGenerator rng(seed);
    QPainterPath path(QPointF(0, kH));
    path.lineTo(0, base);
    const qreal dx = qreal(kW) / steps;
    for (int i = 1; i <= steps; ++i) {
        const qreal y = base - rng.bounded(amplitude) + amplitude / 2;
        path.quadTo(QPointF(dx * (i - 0.5), y - amplitude / 2), QPointF(dx * i, y));
    }
    path.lineTo(kW, kH);
    path.closeSubpath();
    p.fillPath(path, colour);
}

void stars(QPainter &p, int count, quint32 seed, int maxY, const QColor &colour)
{
    QRandomGenerator rng(seed);
    p.setPen(Qt::NoPen);
    for (int i = 0; i < count; ++i) {
        QColor c = colour;
        c.setAlpha(80 + rng.bounded(170));
        p.setBrush(c);
        const qreal r = 0.6 + rng.bounded(1.6);
        p.drawEllipse(QPointF(rng.bounded(kW), rng.bounded(maxY)), r, r);
    }
}

void glow(QPainter &p, const QPointF &centre, qreal radius, const QColor &colour)
{
    QRadialGradient g(centre, radius);
    QColor inner = colour;
    QColor outer = colour;
    outer.setAlpha(0);
    g.setColorAt(0, inner);
    g.setColorAt(1, outer);
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawEllipse(centre, radius, radius);
}

void nightMountains(QPainter &p)
{
    sky(p, QColor("#0F1B3D"), QColor("#3B4F8C"));
    stars(p, 70, 11, 170, Qt::white);
    glow(p, QPointF(170, 80), 60, QColor(255, 244, 214, 90));
    p.setBrush(QColor("#FFF4D6"));
    p.drawEllipse(QPointF(170, 80), 22, 22);
    ridge(p, QColor("#2C3C6E"), 200, 60, 3);
    ridge(p, QColor("#1E2A52"), 240, 50, 5);
    ridge(p, QColor("#121B38"), 280, 30, 9);
}

void sunsetSea(QPainter &p)
{
    sky(p, QColor("#FF9A6B"), QColor("#FFD3A5"));
    glow(p, QPointF(120, 190), 90, QColor(255, 240, 200, 160));
    p.setBrush(QColor("#FFF1D0"));
    p.drawEllipse(QPointF(120, 190), 34, 34);
    p.fillRect(0, 200, kW, kH - 200, QColor("#4A6FA5"));
    p.setPen(QPen(QColor(255, 236, 200, 170), 2, Qt::SolidLine, Qt::RoundCap));
    QRandomGenerator rng(21);
    for (int y = 212; y < kH; y += 12) {
        const int w = 20 + rng.bounded(60);
        const int x = 120 - w / 2 + rng.bounded(30) - 15;
        p.drawLine(x, y, x + w, y);
    }
}

void bamboo(QPainter &p)
{
    sky(p, QColor("#E6F2E1"), QColor("#B9D8B0"));
    QRandomGenerator rng(31);
    for (int i = 0; i < 7; ++i) {
        const int x = 15 + i * 33 + rng.bounded(10);
        const int w = 7 + rng.bounded(6);
        QColor c = QColor("#3E7D4A").lighter(90 + rng.bounded(40));
        p.fillRect(x, 0, w, kH, c);
        for (int y = rng.bounded(60); y < kH; y += 55 + rng.bounded(20))
            p.fillRect(x - 1, y, w + 2, 3, c.darker(130));
        p.setPen(Qt::NoPen);
        p.setBrush(c.lighter(110));
        for (int k = 0; k < 2; ++k) {
            const int ly = 40 + rng.bounded(220);
            QPainterPath leaf(QPointF(x + w, ly));
            leaf.quadTo(QPointF(x + w + 20, ly - 14), QPointF(x + w + 40, ly - 6));
            leaf.quadTo(QPointF(x + w + 20, ly + 2), QPointF(x + w, ly));
            p.drawPath(leaf);
        }
    }
}

void galaxy(QPainter &p)
{
    sky(p, QColor("#1A0F33"), QColor("#3D1F5C"));
    glow(p, QPointF(80, 120), 140, QColor(160, 90, 220, 70));
    stars(p, 140, 41, kH, QColor("#F2E8FF"));
    p.setBrush(QColor("#E89B6A"));
    p.drawEllipse(QPointF(150, 210), 34, 34);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(255, 220, 190, 200), 3));
    p.save();
    p.translate(150, 210);
    p.rotate(-18);
    p.drawEllipse(QPointF(0, 0), 62, 14);
    p.restore();
}

void blossoms(QPainter &p)
{
    sky(p, QColor("#FFF0F3"), QColor("#F9C9D4"));
    p.setPen(QPen(QColor("#6B3F3F"), 6, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(0, 90, 120, 130);
    p.drawLine(120, 130, 200, 110);
    p.setPen(QPen(QColor("#6B3F3F"), 3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(80, 117, 110, 170);
    QRandomGenerator rng(51);
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 60; ++i) {
        QColor c(i % 3 ? "#F28AA5" : "#FFFFFF");
        c.setAlpha(150 + rng.bounded(100));
        p.setBrush(c);
        const qreal r = 3 + rng.bounded(5);
        const qreal x = rng.bounded(kW);
        const qreal y = i < 35 ? 80 + rng.bounded(100) : rng.bounded(kH);
        p.drawEllipse(QPointF(x, y), r, r * 0.8);
    }
}

void skyline(QPainter &p)
{
    sky(p, QColor("#23395B"), QColor("#E07A5F"));
    QRandomGenerator rng(61);
    int x = -5;
    while (x < kW) {
        const int w = 22 + rng.bounded(26);
        const int h = 80 + rng.bounded(140);
        p.fillRect(x, kH - h, w, h, QColor("#1B2238"));
        for (int wy = kH - h + 8; wy < kH - 8; wy += 12)
            for (int wx = x + 5; wx < x + w - 5; wx += 8)
                if (rng.bounded(3) == 0)
                    p.fillRect(wx, wy, 4, 6, QColor("#FFD27A"));
        x += w + 2;
    }
}

void dunes(QPainter &p)
{
    sky(p, QColor("#F6E7C1"), QColor("#F2C57C"));
    p.setBrush(QColor("#FFF8E6"));
    p.setPen(Qt::NoPen);
    p.drawEllipse(QPointF(60, 70), 24, 24);
    ridge(p, QColor("#E3A857"), 190, 70, 71, 3);
    ridge(p, QColor("#C98A3C"), 240, 60, 73, 3);
    ridge(p, QColor("#A86B2D"), 290, 40, 79, 3);
}

void forest(QPainter &p)
{
    sky(p, QColor("#CFE3DA"), QColor("#7FA896"));
    QRandomGenerator rng(81);
    for (int layer = 0; layer < 3; ++layer) {
        const QColor c = QColor("#2F5D50").darker(100 + layer * 30);
        const int base = 200 + layer * 45;
        for (int i = 0; i < 9; ++i) {
            const int x = rng.bounded(kW + 20) - 10;
            const int h = 70 + rng.bounded(60);
            const int w = 26 + rng.bounded(14);
            QPolygonF tree;
            tree << QPointF(x, base - h) << QPointF(x + w / 2.0, base) << QPointF(x - w / 2.0, base);
            p.setBrush(c);
            p.setPen(Qt::NoPen);
            p.drawPolygon(tree);
        }
        p.fillRect(0, base, kW, kH - base, c);
        p.fillRect(0, base - 20, kW, 20, QColor(230, 240, 235, 50));
    }
}

void snow(QPainter &p)
{
    sky(p, QColor("#DDE9F5"), QColor("#F7FAFD"));
    ridge(p, QColor("#C3D5EA"), 210, 60, 91, 4);
    ridge(p, QColor("#FFFFFF"), 260, 40, 93, 4);
    stars(p, 90, 97, kH, QColor("#8EA9C8"));
}

void rings(QPainter &p)
{
    sky(p, QColor("#0E5E6F"), QColor("#3A8891"));
    p.setBrush(Qt::NoBrush);
    for (int i = 0; i < 9; ++i) {
        p.setPen(QPen(QColor(255, 255, 255, 40 + i * 15), 2));
        p.drawEllipse(QPointF(170, 230), 20 + i * 16, 20 + i * 16);
    }
    p.setPen(Qt::NoPen);
    p.setBrush(QColor("#F2C14E"));
    p.drawEllipse(QPointF(170, 230), 16, 16);
}

void inkWash(QPainter &p)
{
    sky(p, QColor("#F4F1EA"), QColor("#E8E2D4"));
    QRandomGenerator rng(111);
    for (int i = 0; i < 5; ++i) {
        QColor c(40, 40, 40, 40 + i * 25);
        const int base = 150 + i * 30;
        ridge(p, c, base, 80 - i * 10, 113 + quint32(i), 4);
    }
    p.setPen(Qt::NoPen);
    p.setBrush(QColor("#B23A2E"));
    p.drawEllipse(QPointF(185, 60), 14, 14);
    Q_UNUSED(rng)
}

void lanterns(QPainter &p)
{
    sky(p, QColor("#5A0E12"), QColor("#9C2A20"));
    QRandomGenerator rng(121);
    for (int i = 0; i < 6; ++i) {
        const qreal x = 30 + i * 36 + rng.bounded(10);
        const qreal y = 60 + rng.bounded(180);
        p.setPen(QPen(QColor("#E8C07A"), 1));
        p.drawLine(QPointF(x, 0), QPointF(x, y - 18));
        glow(p, QPointF(x, y), 34, QColor(255, 190, 90, 90));
        p.setPen(Qt::NoPen);
        p.setBrush(QColor("#E8432E"));
        p.drawEllipse(QPointF(x, y), 16, 19);
        p.setBrush(QColor("#E8C07A"));
        p.drawRect(QRectF(x - 7, y - 21, 14, 4));
        p.drawRect(QRectF(x - 7, y + 17, 14, 4));
    }
}

void drawCover(int index, const std::function<void(QPainter &)> &art, const QString &dir)
{
    QImage image(kW, kH, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    art(p);
    // A bound spine on the left edge, the same on every cover.
    QLinearGradient spine(0, 0, 10, 0);
    spine.setColorAt(0, QColor(0, 0, 0, 70));
    spine.setColorAt(1, QColor(0, 0, 0, 0));
    p.fillRect(0, 0, 10, kH, spine);
    p.end();
    image.save(QDir(dir).filePath(QStringLiteral("cover_%1.png").arg(index, 2, 10, QLatin1Char('0'))));
}

// Two arrows chasing each other round a circle, one frame of `count`.
void drawSyncFrame(int frame, int count, const QColor &colour, const QString &file)
{
    QImage image(40, 40, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.translate(20, 20);
    p.rotate(360.0 * frame / count);
    p.setPen(QPen(colour, 3.5, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    for (int half = 0; half < 2; ++half) {
        p.drawArc(QRectF(-13, -13, 26, 26), (half * 180 + 20) * 16, 130 * 16);
        const qreal a = qDegreesToRadians(half * 180.0 + 150);
        const QPointF tip(13 * qCos(a), -13 * qSin(a));
        const QPointF dir(-qSin(a), -qCos(a));
        const QPointF side(qCos(a), -qSin(a));
        QPolygonF head;
        head << tip + dir * 5 << tip + side * 4.5 << tip - side * 4.5;
        p.setBrush(colour);
        p.setPen(Qt::NoPen);
        p.drawPolygon(head);
        p.setPen(QPen(colour, 3.5, Qt::SolidLine, Qt::RoundCap));
        p.setBrush(Qt::NoBrush);
    }
    p.end();
    image.save(file);
}

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 3) {
        std::fprintf(stderr, "usage: quorvin-coverbake COVERDIR FRAMEDIR\n");
        return 2;
    }
    QDir().mkpath(args[1]);
    const std::function<void(QPainter &)> covers[] = {nightMountains, sunsetSea, bamboo,  galaxy,
                                                      blossoms,       skyline,   dunes,   forest,
                                                      snow,           rings,     inkWash, lanterns};
    int index = 0;
    for (const auto &art : covers)
        drawCover(++index, art, args[1]);

    const int frames = 12;
    const struct
    {
        const char *theme;
        const char *colour;
    } themes[] = {{"light", "#3470FF"}, {"dark", "#5B8CFF"}};
    for (const auto &theme : themes) {
        const QString dir = QDir(args[2]).filePath(QString::fromLatin1(theme.theme));
        QDir().mkpath(dir);
        for (int i = 0; i < frames; ++i)
            drawSyncFrame(i, frames, QColor(theme.colour),
                          QDir(dir).filePath(QStringLiteral("frame_%1.png").arg(i, 2, 10, QLatin1Char('0'))));
    }
    return 0;
}
