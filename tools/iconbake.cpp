// quorvin-iconbake MANIFEST SVGDIR OUTDIR
//
// Renders the SVG icons named in MANIFEST into PNG (or ICO) files below
// OUTDIR and writes OUTDIR/icons.qrc listing them under the prefix "/".
//
// Manifest lines: <svg> <output path> <states> <size>
//   output path  may contain {theme}: the icon is then rendered once per
//                theme (light, dark) with that theme's colours
//   states       1 to 4: a sprite of that many looks side by side, in the
//                order normal, hover, pressed, disabled
//   size         the size of one look, "24" or "92x30"
// Icons use "currentColor" where the theme's colour belongs.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <QTextStream>
#include <cstdio>

namespace {

struct Palette
{
    const char *name;
    const char *normal;
    const char *hover;
    const char *disabled;
};

const Palette kPalettes[] = {
    {"light", "#666666", "#3470FF", "#9E9E9E"},
    {"dark", "#B9BFCC", "#3470FF", "#616161"},
};

QString colourOfState(const Palette &p, int state)
{
    switch (state) {
    case 1:
    case 2:
        return p.hover;
    case 3:
        return p.disabled;
    default:
        return p.normal;
    }
}

bool renderLook(QPainter &painter, const QByteArray &svg, const QString &colour, const QRect &target,
                qreal opacity)
{
    QByteArray coloured = svg;
    coloured.replace("currentColor", colour.toLatin1());
    QSvgRenderer renderer(coloured);
    if (!renderer.isValid())
        return false;
    painter.setOpacity(opacity);
    renderer.render(&painter, target);
    painter.setOpacity(1.0);
    return true;
}

QSize parseSize(const QString &text)
{
    const QStringList parts = text.split('x');
    if (parts.size() == 2)
        return QSize(parts[0].toInt(), parts[1].toInt());
    return QSize(text.toInt(), text.toInt());
}

bool bake(const QByteArray &svg, const Palette &palette, int states, const QSize &look, const QString &out)
{
    QImage image(look.width() * states, look.height(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    for (int i = 0; i < states; ++i) {
        const QRect target(i * look.width(), 0, look.width(), look.height());
        const qreal opacity = (i == 2) ? 0.8 : 1.0;
        if (!renderLook(painter, svg, colourOfState(palette, i), target, opacity))
            return false;
    }
    painter.end();
    QDir().mkpath(QFileInfo(out).absolutePath());
    const QString suffix = QFileInfo(out).suffix().toLower();
    const char *format = suffix == "ico" ? "ico" : "png";
    return image.save(out, format);
}

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 4) {
        std::fprintf(stderr, "usage: quorvin-iconbake MANIFEST SVGDIR OUTDIR\n");
        return 2;
    }
    QFile manifest(args[1]);
    if (!manifest.open(QIODevice::ReadOnly | QIODevice::Text)) {
        std::fprintf(stderr, "iconbake: cannot read %s\n", qPrintable(args[1]));
        return 1;
    }
    const QDir svgDir(args[2]);
    const QDir outDir(args[3]);
    QStringList outputs;
    int lineNo = 0;
    while (!manifest.atEnd()) {
        ++lineNo;
        const QString line = QString::fromUtf8(manifest.readLine()).trimmed();
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        const QStringList f = line.split(QRegExp("\\s+"));
        if (f.size() != 4) {
            std::fprintf(stderr, "iconbake: line %d: expected 4 fields\n", lineNo);
            return 1;
        }
        QFile svgFile(svgDir.filePath(f[0]));
        if (!svgFile.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "iconbake: line %d: cannot read %s\n", lineNo, qPrintable(f[0]));
            return 1;
        }
        const QByteArray svg = svgFile.readAll();
        const int states = qBound(1, f[2].toInt(), 4);
        const QSize look = parseSize(f[3]);
        const bool themed = f[1].contains("{theme}");
        for (const Palette &palette : kPalettes) {
            QString rel = f[1];
            rel.replace("{theme}", palette.name);
            if (!bake(svg, palette, states, look, outDir.filePath(rel))) {
                std::fprintf(stderr, "iconbake: line %d: cannot render %s\n", lineNo, qPrintable(rel));
                return 1;
            }
            outputs << rel;
            if (!themed)
                break;
        }
    }
    QFile qrc(outDir.filePath("icons.qrc"));
    if (!qrc.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text))
        return 1;
    QTextStream ts(&qrc);
    ts << "<RCC>\n  <qresource prefix=\"/\">\n";
    for (const QString &rel : qAsConst(outputs))
        ts << "    <file>" << rel << "</file>\n";
    ts << "  </qresource>\n</RCC>\n";
    return 0;
}
