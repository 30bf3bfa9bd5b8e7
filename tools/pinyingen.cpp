// Writes the pinyin table of the sensitive-word check from the Unicode Han
// database's Mandarin readings (Unihan_Readings.txt on standard input): one
// line per syllable, the syllable without tone marks ("ü" written "v")
// followed by the code points that read so, "xian,0x4ed9,0x5148,...".
// A character with several readings is listed under its first one.

#include <QFile>
#include <QMap>
#include <QString>
#include <QTextStream>
#include <cstdio>

namespace {

QString toneless(const QString &reading)
{
    static const QString marked = QString::fromUtf8("āáǎàēéěèīíǐìōóǒòūúǔùǖǘǚǜüńňǹḿ");
    static const char plain[] = "aaaaeeeeiiiioooouuuuvvvvvnnnm";
    QString out;
    for (const QChar c : reading) {
        const int at = marked.indexOf(c);
        if (at >= 0)
            out += QLatin1Char(plain[at]);
        else if (c.isLetter() && c.unicode() < 0x80)
            out += c.toLower();
    }
    return out;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: pinyingen OUTPUT < Unihan_Readings.txt\n");
        return 2;
    }
    QFile input;
    if (!input.open(stdin, QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read standard input\n");
        return 1;
    }
    QMap<QString, QMap<uint, bool>> bySyllable;
    int characters = 0;
    while (!input.atEnd()) {
        const QString line = QString::fromUtf8(input.readLine()).trimmed();
        if (!line.startsWith(QLatin1String("U+")))
            continue;
        const QStringList fields = line.split(QLatin1Char('\t'));
        if (fields.size() < 3 || fields.at(1) != QLatin1String("kMandarin"))
            continue;
        bool ok = false;
        const uint code = fields.at(0).mid(2).toUInt(&ok, 16);
        const QString syllable = toneless(fields.at(2).split(QLatin1Char(' ')).value(0));
        if (!ok || syllable.isEmpty())
            continue;
        bySyllable[syllable].insert(code, true);
        ++characters;
    }
    if (characters == 0) {
        std::fprintf(stderr, "no kMandarin readings in the input\n");
        return 1;
    }
    QFile output(QString::fromLocal8Bit(argv[1]));
    if (!output.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    QTextStream out(&output);
    for (auto it = bySyllable.cbegin(); it != bySyllable.cend(); ++it) {
        out << it.key();
        for (auto code = it.value().cbegin(); code != it.value().cend(); ++code)
            out << ",0x" << QString::number(code.key(), 16);
        out << '\n';
    }
    return out.status() == QTextStream::Ok ? 0 : 1;
}
