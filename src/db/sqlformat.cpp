#include "sqlformat.h"

#include <QVector>

SqlArg::SqlArg(int value) : m_formatted(QString::number(value)) {}

SqlArg::SqlArg(qint64 value) : m_formatted(QString::number(value)) {}

SqlArg::SqlArg(double value) : m_formatted(QString::number(value, 'g', 6)) {}

SqlArg::SqlArg(float value) : SqlArg(static_cast<double>(value)) {}

SqlArg::SqlArg(const QString &text) : m_formatted(sqlEscape(text)) {}

SqlArg SqlArg::raw(const QString &name)
{
    SqlArg arg;
    arg.m_formatted = name;
    return arg;
}

QString sqlEscape(const QString &text)
{
    // QString::replace scans left to right and continues after each
    // inserted pair, so every quote is doubled exactly once.
    if (!text.contains(QLatin1Char('\'')))
        return text; // shared, not copied
    QString out = text;
    out.replace(QLatin1Char('\''), QLatin1String("''"));
    return out;
}

namespace {

bool isDigit(const QString &s, int pos)
{
    return pos < s.size() && s.at(pos) >= QLatin1Char('0') && s.at(pos) <= QLatin1Char('9');
}

int digitAt(const QString &s, int pos)
{
    return s.at(pos).unicode() - '0';
}

// The number of the marker at `pos` (just after '%') and its length in
// digits, or 0 when no value of `count` is named there.
int markerAt(const QString &templ, int pos, int count, int *digits)
{
    if (!isDigit(templ, pos))
        return 0;
    if (isDigit(templ, pos + 1)) {
        const int two = digitAt(templ, pos) * 10 + digitAt(templ, pos + 1);
        if (two >= 1 && two <= count) {
            *digits = 2;
            return two;
        }
    }
    const int one = digitAt(templ, pos);
    if (one >= 1 && one <= count) {
        *digits = 1;
        return one;
    }
    return 0;
}

} // namespace

QString sqlFormat(const QString &templ, std::initializer_list<SqlArg> args)
{
    const SqlArg *values = args.begin();
    const int count = int(args.size());
    int total = templ.size();
    for (const SqlArg &arg : args)
        total += arg.formatted().size();
    QString out;
    out.reserve(total);

    int copyFrom = 0;
    int pos = templ.indexOf(QLatin1Char('%'));
    while (pos >= 0) {
        int digits = 0;
        const int marker = markerAt(templ, pos + 1, count, &digits);
        if (marker > 0) {
            out.append(templ.midRef(copyFrom, pos - copyFrom));
            out.append(values[marker - 1].formatted());
            copyFrom = pos + 1 + digits;
            pos = templ.indexOf(QLatin1Char('%'), copyFrom);
        } else {
            pos = templ.indexOf(QLatin1Char('%'), pos + 1);
        }
    }
    out.append(templ.midRef(copyFrom));
    return out;
}
