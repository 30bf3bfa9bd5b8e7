#pragma once

#include <QHash>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QVector>

// One place of the text where a listed word occurs.
struct SensitiveHit
{
    int position = 0; // index of the first character in the plain text
    int length = 0;
    QString word;

    bool operator==(const SensitiveHit &other) const
    {
        return position == other.position && length == other.length && word == other.word;
    }
};

// The two sensitive-word lists of the author (the regular one the server
// delivers and the author's own), the pinyin table and the hits of the last
// check. The lists are searched in one pass over the text; the hits come
// out grouped by word in list order (the regular words by their first
// character, then the custom words), each word's hits by position, and
// hits may overlap.
class SensitiveWordMatcher
{
public:
    enum Mode
    {
        Regular = 1,
        Custom = 2,
    };
    enum Rewrite
    {
        Highlight = 1,
        Pinyin = 2,
        Asterisks = 3,
        Hyphens = 4,
    };

    // Words separated by "、"; empty parts dropped, each word trimmed.
    void setRegularList(const QString &text);
    // Words separated by "、"; empty parts dropped, words kept as typed
    // (a blank word is searched too).
    void setCustomList(const QString &text);
    QString customText() const { return m_customText; }
    // Takes both lists as stored, rebuilding only what changed.
    void sync(const QString &regularText, const QString &customText);
    QStringList customWords() const { return m_custom; }
    // Regular words grouped by their first character, in character order.
    const QMap<QString, QStringList> &regularWords() const { return m_regular; }

    // Finds every hit of the lists chosen by `mode` (Regular | Custom) and
    // keeps them; returns their number.
    int check(const QString &text, int mode);
    const QVector<SensitiveHit> &hits() const { return m_hits; }
    void clearHits() { m_hits.clear(); }

    // The syllable of a character ("xian" for 仙, "lv" for 绿), empty when it
    // has none. The table is read from the resource on first use.
    QString pinyin(uint codePoint);
    // The replacement of `word` for a rewrite mode: the pinyin of each
    // character, one "*" per character, or the characters joined by "-".
    QString replacement(const QString &word, int mode);
    // `text` with every hit rewritten, from the last to the first;
    // overlapping hits are merged into one stretch, rewritten as a whole.
    // `firstEnd` receives where the first rewritten stretch ends in the new
    // text (-1 without hits).
    QString rewrite(const QString &text, const QVector<SensitiveHit> &hits, int mode,
                    int *firstEnd = nullptr);
    // The stretches a rewrite replaces: hits sorted by position, overlapping
    // ones merged (start, end pairs; empty words left out).
    static QVector<QPair<int, int>> mergedStretches(const QVector<SensitiveHit> &hits);

    // Reads a table in the resource's format ("xian,0x4ed9,0x5148" lines);
    // false when the file cannot be read.
    bool loadPinyinTable(const QString &path);

private:
    void ensurePinyin();
    void buildAutomaton();

    QMap<QString, QStringList> m_regular;
    QString m_regularText;
    bool m_synced = false;
    QString m_customText;
    QStringList m_custom;
    QVector<SensitiveHit> m_hits;
    QVector<QPair<QString, QVector<uint>>> m_pinyinTable;
    QHash<uint, QString> m_pinyin;
    bool m_pinyinLoaded = false;

    // The search automaton over the words of the last mode, rebuilt when a
    // list or the mode changes.
    struct Node
    {
        int fail = 0;
        int outputLink = -1;  // nearest node on the fail chain that ends words
        int firstOutput = -1; // index into m_outputs, -1 when no word ends here
        int outputCount = 0;
        int depth = 0;
    };
    QVector<Node> m_nodes;
    QHash<quint64, int> m_edges; // (node << 16 | code unit) -> node
    QVector<int> m_outputs;      // word indexes ending at each node, grouped by node
    QStringList m_words;         // the searched words in hit order
    int m_builtMode = -1;
};
