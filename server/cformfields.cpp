#include "cformfields.h"

#include <QTextCodec>

namespace {

int hexValue(char ch)
{
    if (ch >= '0' && ch <= '9')
        return ch - '0';
    if (ch >= 'a' && ch <= 'f')
        return ch - 'a' + 10;
    if (ch >= 'A' && ch <= 'F')
        return ch - 'A' + 10;
    return -1;
}

// Percent-decodes [begin, end) into `out`; with `strict`, false for a
// broken escape, bytes that are not UTF-8 or a NUL character.
bool decode(const char *begin, const char *end, bool strict, QString &out)
{
    QByteArray bytes;
    bytes.reserve(static_cast<int>(end - begin));
    for (const char *p = begin; p < end; ++p) {
        if (*p != '%') {
            bytes += *p;
            continue;
        }
        const int high = p + 2 < end ? hexValue(p[1]) : -1;
        const int low = p + 2 < end ? hexValue(p[2]) : -1;
        if (high < 0 || low < 0) {
            if (strict)
                return false;
            bytes += *p;
            continue;
        }
        bytes += static_cast<char>(high * 16 + low);
        p += 2;
    }
    if (!strict) {
        out = QString::fromUtf8(bytes);
        return true;
    }
    if (bytes.contains('\0'))
        return false;
    QTextCodec::ConverterState state;
    out = QTextCodec::codecForMib(106)->toUnicode(bytes.constData(), bytes.size(), &state);
    return state.invalidChars == 0 && state.remainingChars == 0;
}

CFormFields::Result parseForm(const char *data, size_t size, bool strict, QHash<QString, QString> &out)
{
    const char *const end = data + size;
    // Counted first, so that a refused text leaves `out` as it was.
    int fields = 0;
    for (const char *p = data; p < end;) {
        const char *amp = static_cast<const char *>(memchr(p, '&', static_cast<size_t>(end - p)));
        const char *stop = amp ? amp : end;
        if (stop > p && ++fields > CFormFields::kMaxFields)
            return CFormFields::Form_TooMany;
        p = stop + 1;
    }
    QHash<QString, QString> read;
    for (const char *p = data; p < end;) {
        const char *amp = static_cast<const char *>(memchr(p, '&', static_cast<size_t>(end - p)));
        const char *stop = amp ? amp : end;
        if (stop > p) {
            const char *eq = static_cast<const char *>(memchr(p, '=', static_cast<size_t>(stop - p)));
            QString key, value;
            if (!decode(p, eq ? eq : stop, strict, key) || (eq && !decode(eq + 1, stop, strict, value)))
                return CFormFields::Form_Broken;
            read.insert(key, value);
        }
        p = stop + 1;
    }
    for (auto it = read.constBegin(); it != read.constEnd(); ++it)
        out.insert(it.key(), it.value());
    return CFormFields::Form_Ok;
}

} // namespace

namespace CFormFields {

Result parse(const char *data, size_t size, QHash<QString, QString> &out)
{
    return parseForm(data, size, true, out);
}

Result parseLenient(const char *data, size_t size, QHash<QString, QString> &out)
{
    return parseForm(data, size, false, out);
}

Result parseIds(const QString &text, int max, QList<qint64> &out)
{
    const QChar *p = text.constData();
    const QChar *const end = p + text.size();
    while (p < end) {
        while (p < end && (*p == QLatin1Char(',') || *p == QLatin1Char(' ')))
            ++p;
        if (p == end)
            break;
        qint64 value = 0;
        int digits = 0;
        for (; p < end && p->isDigit() && p->unicode() < 128; ++p, ++digits) {
            if (digits >= 18)
                return Form_Broken;
            value = value * 10 + (p->unicode() - '0');
        }
        while (p < end && *p == QLatin1Char(' '))
            ++p;
        if (digits == 0 || value < 1 || (p < end && *p != QLatin1Char(',')))
            return Form_Broken;
        if (out.size() >= max)
            return Form_TooMany;
        out << value;
    }
    return Form_Ok;
}

} // namespace CFormFields
