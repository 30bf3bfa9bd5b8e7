#include "sensitivewordmatcher.h"

#include <QDebug>
#include <QFile>
#include <QTextStream>
#include <algorithm>

namespace {

const QChar kSeparator(0x3001); // 、

QString firstCharacter(const QString &word)
{
    if (word.size() >= 2 && word.at(0).isHighSurrogate() && word.at(1).isLowSurrogate())
        return word.left(2);
    return word.left(1);
}

} // namespace

void SensitiveWordMatcher::sync(const QString &regularText, const QString &customText)
{
    if (!m_synced || regularText != m_regularText)
        setRegularList(regularText);
    if (!m_synced || customText != m_customText)
        setCustomList(customText);
    m_synced = true;
}

void SensitiveWordMatcher::setRegularList(const QString &text)
{
    m_regularText = text;
    m_regular.clear();
    const QStringList parts = text.split(kSeparator, Qt::SkipEmptyParts);
    for (const QString &part : parts) {
        const QString word = part.trimmed();
        if (word.isEmpty())
            continue;
        m_regular[firstCharacter(word)].append(word);
    }
    m_builtMode = -1;
}

void SensitiveWordMatcher::setCustomList(const QString &text)
{
    m_customText = text;
    m_custom = text.split(kSeparator, Qt::SkipEmptyParts);
    m_builtMode = -1;
}

void SensitiveWordMatcher::buildAutomaton()
{
    m_words.clear();
    if (m_builtMode & Regular)
        for (auto it = m_regular.cbegin(); it != m_regular.cend(); ++it)
            m_words += it.value();
    if (m_builtMode & Custom)
        m_words += m_custom;

    int units = 0;
    for (const QString &word : qAsConst(m_words))
        units += word.size();
    m_nodes.clear();
    m_edges.clear();
    m_outputs.clear();
    m_nodes.reserve(units + 1);
    m_edges.reserve(units);
    m_nodes.append(Node());
    QVector<ushort> unitOf(1, 0); // the code unit on the edge into each node
    QVector<int> parentOf(1, 0);
    QVector<int> firstWord(1, -1); // words ending at a node, linked through nextWord
    QVector<int> nextWord(m_words.size(), -1);
    unitOf.reserve(units + 1);
    parentOf.reserve(units + 1);
    firstWord.reserve(units + 1);
    for (int w = 0; w < m_words.size(); ++w) {
        const QString &word = m_words.at(w);
        if (word.isEmpty())
            continue;
        int node = 0;
        for (const QChar c : word) {
            const quint64 key = (quint64(node) << 16) | c.unicode();
            auto edge = m_edges.constFind(key);
            if (edge != m_edges.cend()) {
                node = edge.value();
                continue;
            }
            Node next;
            next.depth = m_nodes.at(node).depth + 1;
            m_nodes.append(next);
            unitOf.append(c.unicode());
            parentOf.append(node);
            firstWord.append(-1);
            const int created = m_nodes.size() - 1;
            m_edges.insert(key, created);
            node = created;
        }
        nextWord[w] = firstWord.at(node);
        firstWord[node] = w;
    }

    // Nodes by depth, so that a node's parent and every shorter suffix
    // have their fail links when its own is computed: the longest proper
    // suffix of its string that is also a prefix of some word.
    int maxDepth = 0;
    for (const Node &node : qAsConst(m_nodes))
        maxDepth = qMax(maxDepth, node.depth);
    QVector<int> byDepth(maxDepth + 2, 0);
    for (const Node &node : qAsConst(m_nodes))
        ++byDepth[node.depth + 1];
    for (int d = 1; d < byDepth.size(); ++d)
        byDepth[d] += byDepth[d - 1];
    QVector<int> order(m_nodes.size());
    for (int node = 0; node < m_nodes.size(); ++node)
        order[byDepth[m_nodes.at(node).depth]++] = node;
    for (int node : qAsConst(order)) {
        if (m_nodes.at(node).depth < 2)
            continue;
        const quint64 unit = unitOf.at(node);
        int fail = m_nodes.at(parentOf.at(node)).fail;
        int target = 0;
        for (;;) {
            auto edge = m_edges.constFind((quint64(fail) << 16) | unit);
            if (edge != m_edges.cend()) {
                target = edge.value();
                break;
            }
            if (fail == 0)
                break;
            fail = m_nodes.at(fail).fail;
        }
        m_nodes[node].fail = target;
    }
    for (int node : qAsConst(order)) {
        if (node == 0)
            continue;
        const int fail = m_nodes.at(node).fail;
        m_nodes[node].outputLink = firstWord.at(fail) < 0 ? m_nodes.at(fail).outputLink : fail;
    }
    for (int node = 0; node < m_nodes.size(); ++node) {
        if (firstWord.at(node) < 0)
            continue;
        m_nodes[node].firstOutput = m_outputs.size();
        for (int w = firstWord.at(node); w >= 0; w = nextWord.at(w))
            m_outputs.append(w);
        m_nodes[node].outputCount = m_outputs.size() - m_nodes.at(node).firstOutput;
    }
}

int SensitiveWordMatcher::check(const QString &text, int mode)
{
    m_hits.clear();
    mode &= Regular | Custom;
    if (mode == 0)
        return 0;
    if (m_builtMode != mode) {
        m_builtMode = mode;
        buildAutomaton();
    }
    if (m_words.isEmpty())
        return 0;

    // Every hit goes to its word's bucket; scanning left to right keeps each
    // bucket in position order, and the buckets are in list order.
    QVector<QVector<int>> starts(m_words.size());
    int total = 0;
    int node = 0;
    const QChar *data = text.constData();
    for (int i = 0; i < text.size(); ++i) {
        const quint64 unit = data[i].unicode();
        for (;;) {
            auto edge = m_edges.constFind((quint64(node) << 16) | unit);
            if (edge != m_edges.cend()) {
                node = edge.value();
                break;
            }
            if (node == 0)
                break;
            node = m_nodes.at(node).fail;
        }
        for (int out = m_nodes.at(node).firstOutput >= 0 ? node : m_nodes.at(node).outputLink; out > 0;
             out = m_nodes.at(out).outputLink) {
            const Node &ending = m_nodes.at(out);
            for (int k = 0; k < ending.outputCount; ++k) {
                const int w = m_outputs.at(ending.firstOutput + k);
                starts[w].append(i - ending.depth + 1);
                ++total;
            }
        }
    }
    m_hits.reserve(total);
    for (int w = 0; w < starts.size(); ++w) {
        const QString &word = m_words.at(w);
        for (int start : qAsConst(starts.at(w)))
            m_hits.append(SensitiveHit{start, int(word.size()), word});
    }
    return m_hits.size();
}

bool SensitiveWordMatcher::loadPinyinTable(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return false;
    m_pinyinTable.clear();
    m_pinyin.clear();
    QTextStream in(&file);
    in.setCodec("UTF-8");
    while (!in.atEnd()) {
        const QStringList fields = in.readLine().split(QLatin1Char(','));
        if (fields.size() < 2)
            continue;
        QVector<uint> codes;
        codes.reserve(fields.size() - 1);
        for (int i = 1; i < fields.size(); ++i) {
            bool ok = false;
            const uint code = fields.at(i).trimmed().toUInt(&ok, 16);
            if (!ok)
                continue;
            codes.append(code);
            if (!m_pinyin.contains(code))
                m_pinyin.insert(code, fields.at(0));
        }
        m_pinyinTable.append(qMakePair(fields.at(0), codes));
    }
    m_pinyinLoaded = true;
    return true;
}

void SensitiveWordMatcher::ensurePinyin()
{
    if (m_pinyinLoaded)
        return;
    if (!loadPinyinTable(QStringLiteral(":/res/txt/pinyin.txt"))) {
        qWarning() << "the pinyin table cannot be read: pinyin rewrites drop the characters";
        m_pinyinLoaded = true;
    }
}

QString SensitiveWordMatcher::pinyin(uint codePoint)
{
    ensurePinyin();
    return m_pinyin.value(codePoint);
}

QString SensitiveWordMatcher::replacement(const QString &word, int mode)
{
    const QVector<uint> codes = word.toUcs4();
    QString out;
    switch (mode) {
    case Pinyin:
        for (uint code : codes)
            out += pinyin(code);
        break;
    case Asterisks:
        out.fill(QLatin1Char('*'), codes.size());
        break;
    case Hyphens:
        for (int i = 0; i < codes.size(); ++i) {
            if (i > 0)
                out += QLatin1Char('-');
            out += QString::fromUcs4(&codes.at(i), 1);
        }
        break;
    default:
        out = word;
        break;
    }
    return out;
}

QVector<QPair<int, int>> SensitiveWordMatcher::mergedStretches(const QVector<SensitiveHit> &hits)
{
    QVector<QPair<int, int>> spans;
    spans.reserve(hits.size());
    for (const SensitiveHit &hit : hits)
        if (!hit.word.isEmpty() && hit.length > 0)
            spans.append(qMakePair(hit.position, hit.position + hit.length));
    std::sort(spans.begin(), spans.end());
    QVector<QPair<int, int>> merged;
    for (const auto &span : qAsConst(spans)) {
        if (!merged.isEmpty() && span.first < merged.last().second)
            merged.last().second = qMax(merged.last().second, span.second);
        else
            merged.append(span);
    }
    return merged;
}

QString SensitiveWordMatcher::rewrite(const QString &text, const QVector<SensitiveHit> &hits, int mode,
                                      int *firstEnd)
{
    const QVector<QPair<int, int>> spans = mergedStretches(hits);
    QString out = text;
    int end = -1;
    for (int i = spans.size() - 1; i >= 0; --i) {
        const int start = spans.at(i).first;
        const int length = qMin(spans.at(i).second, int(out.size())) - start;
        if (start < 0 || length <= 0)
            continue;
        const QString replaced = replacement(out.mid(start, length), mode);
        out.replace(start, length, replaced);
        end = start + replaced.size();
    }
    if (firstEnd)
        *firstEnd = end;
    return out;
}
