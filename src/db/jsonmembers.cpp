#include "jsonmembers.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QVector>

namespace {

struct Member
{
    QString key;
    int valueStart = 0;
    int valueLength = 0;
};

// A scanner over the text of one JSON object; positions are indexes into it.
class ObjectScanner
{
public:
    explicit ObjectScanner(const QString &text) : m_text(text), m_data(text.constData()), m_size(text.size())
    {
    }

    // The members of the object in their order, or false when the text is
    // not one well-formed object with plain (unescaped) keys.
    bool members(QVector<Member> &out)
    {
        int pos = skipBlanks(0);
        if (pos >= m_size || m_data[pos] != QLatin1Char('{'))
            return false;
        pos = skipBlanks(pos + 1);
        if (pos < m_size && m_data[pos] == QLatin1Char('}'))
            return skipBlanks(pos + 1) == m_size;
        while (pos < m_size) {
            Member member;
            const int keyEnd = skipString(pos);
            if (keyEnd < 0 || m_text.midRef(pos + 1, keyEnd - pos - 2).contains(QLatin1Char('\\')))
                return false;
            member.key = m_text.mid(pos + 1, keyEnd - pos - 2);
            pos = skipBlanks(keyEnd);
            if (pos >= m_size || m_data[pos] != QLatin1Char(':'))
                return false;
            member.valueStart = skipBlanks(pos + 1);
            const int valueEnd = skipValue(member.valueStart);
            if (valueEnd < 0)
                return false;
            member.valueLength = valueEnd - member.valueStart;
            out.append(member);
            pos = skipBlanks(valueEnd);
            if (pos >= m_size)
                return false;
            if (m_data[pos] == QLatin1Char('}'))
                return skipBlanks(pos + 1) == m_size;
            if (m_data[pos] != QLatin1Char(','))
                return false;
            pos = skipBlanks(pos + 1);
        }
        return false;
    }

private:
    int skipBlanks(int pos) const
    {
        while (pos < m_size && (m_data[pos] == QLatin1Char(' ') || m_data[pos] == QLatin1Char('\n') ||
                                m_data[pos] == QLatin1Char('\r') || m_data[pos] == QLatin1Char('\t')))
            ++pos;
        return pos;
    }

    // `pos` at the opening quote; returns the position after the closing one.
    int skipString(int pos) const
    {
        if (pos >= m_size || m_data[pos] != QLatin1Char('"'))
            return -1;
        for (++pos; pos < m_size; ++pos) {
            const ushort c = m_data[pos].unicode();
            if (c == '\\')
                ++pos;
            else if (c == '"')
                return pos + 1;
        }
        return -1;
    }

    int skipValue(int pos) const
    {
        if (pos >= m_size)
            return -1;
        const ushort first = m_data[pos].unicode();
        if (first == '"')
            return skipString(pos);
        if (first == '{' || first == '[')
            return skipNested(pos);
        const int start = pos;
        while (pos < m_size) {
            const ushort c = m_data[pos].unicode();
            if (c == ',' || c == '}' || c == ']' || c == ' ' || c == '\n' || c == '\r' || c == '\t')
                break;
            ++pos;
        }
        return pos > start ? pos : -1;
    }

    int skipNested(int pos) const
    {
        int depth = 0;
        while (pos < m_size) {
            const ushort c = m_data[pos].unicode();
            if (c == '"') {
                pos = skipString(pos);
                if (pos < 0)
                    return -1;
                continue;
            }
            if (c == '{' || c == '[')
                ++depth;
            else if ((c == '}' || c == ']') && --depth == 0)
                return pos + 1;
            ++pos;
        }
        return -1;
    }

    const QString &m_text;
    const QChar *m_data;
    int m_size;
};

void appendQuoted(QString &out, const QString &text)
{
    static const char hex[] = "0123456789abcdef";
    out += QLatin1Char('"');
    int copyFrom = 0;
    const int size = text.size();
    const QChar *data = text.constData();
    for (int i = 0; i < size; ++i) {
        const ushort c = data[i].unicode();
        if (c >= 0x20 && c != '"' && c != '\\')
            continue;
        out.append(data + copyFrom, i - copyFrom);
        copyFrom = i + 1;
        switch (c) {
        case '"':
            out += QLatin1String("\\\"");
            break;
        case '\\':
            out += QLatin1String("\\\\");
            break;
        case '\n':
            out += QLatin1String("\\n");
            break;
        case '\r':
            out += QLatin1String("\\r");
            break;
        case '\t':
            out += QLatin1String("\\t");
            break;
        case '\b':
            out += QLatin1String("\\b");
            break;
        case '\f':
            out += QLatin1String("\\f");
            break;
        default:
            out += QLatin1String("\\u00");
            out += QLatin1Char(hex[c >> 4]);
            out += QLatin1Char(hex[c & 0xf]);
        }
    }
    out.append(data + copyFrom, size - copyFrom);
    out += QLatin1Char('"');
}

void appendMember(QString &out, const QString &key, const QStringRef &valueText)
{
    if (out.size() > 1)
        out += QLatin1Char(',');
    appendQuoted(out, key);
    out += QLatin1Char(':');
    out += valueText;
}

} // namespace

QString jsonString(const QString &text)
{
    QString out;
    out.reserve(text.size() + 16);
    appendQuoted(out, text);
    return out;
}

JsonMembers jsonMembers(const QJsonObject &object, const QStringList &keys)
{
    JsonMembers members;
    for (const QString &key : keys) {
        const auto it = object.constFind(key);
        if (it == object.constEnd())
            continue;
        const QJsonValue value = it.value();
        if (value.isString()) {
            members.append({key, jsonString(value.toString())});
        } else {
            const QByteArray array = QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact);
            members.append({key, QString::fromUtf8(array.mid(1, array.size() - 2))});
        }
    }
    return members;
}

QString jsonObjectText(const JsonMembers &members)
{
    QString out(QLatin1Char('{'));
    for (const auto &member : members)
        appendMember(out, member.first, QStringRef(&member.second));
    out += QLatin1Char('}');
    return out;
}

QString mergeJsonMembers(const QString &waiting, const JsonMembers &changes)
{
    QVector<Member> members;
    if (!ObjectScanner(waiting).members(members))
        members.clear();
    auto isChanged = [&](const QString &key) {
        for (const auto &change : changes) {
            if (change.first == key)
                return true;
        }
        return false;
    };

    int size = waiting.size() + 2;
    for (const auto &change : changes)
        size += change.first.size() + change.second.size() + 4;
    QString out(QLatin1Char('{'));
    out.reserve(size);
    for (const Member &member : qAsConst(members)) {
        if (!isChanged(member.key))
            appendMember(out, member.key, waiting.midRef(member.valueStart, member.valueLength));
    }
    for (const auto &change : changes)
        appendMember(out, change.first, QStringRef(&change.second));
    out += QLatin1Char('}');
    return out;
}
