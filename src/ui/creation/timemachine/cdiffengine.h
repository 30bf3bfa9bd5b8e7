#ifndef CDIFFENGINE_H
#define CDIFFENGINE_H

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <limits>

// The difference between two texts, as the time machine shows it: Myers' O(ND)
// walk with its middle-snake bisection, the common prefix and suffix cut off
// first, a few special cases, a half-match speed-up when a time limit is set,
// a line-by-line first pass for long texts and the merge and semantic
// clean-ups. Texts are compared by UTF-16 code unit. The engine keeps no state
// other than its settings and runs on the calling thread.
class CDiffEngine
{
public:
    enum Operation
    {
        DELETE = 0,
        INSERT = 1,
        EQUAL = 2
    };

    struct Diff
    {
        Operation operation = EQUAL;
        QString text;

        Diff() = default;
        Diff(Operation op, const QString &t) : operation(op), text(t) {}
        bool operator==(const Diff &other) const
        {
            return operation == other.operation && text == other.text;
        }
        bool operator!=(const Diff &other) const { return !(*this == other); }
    };
    using Diffs = QList<Diff>;

    // No deadline: the walk runs to the end.
    static constexpr qint64 NoDeadline = std::numeric_limits<qint64>::max();

    // Seconds a comparison may take; 0 or less means no limit (and no
    // half-match, which may give a result that is not the shortest).
    float Diff_Timeout = 1.0f;
    // Carried with their usual values; the comparison does not use them.
    short Diff_EditCost = 4;
    float Match_Threshold = 0.5f;
    int Match_Distance = 1000;
    float Patch_DeleteThreshold = 0.5f;
    short Patch_Margin = 4;
    short Match_MaxBits = 32;

    // The differences that turn text1 into text2. A null text (as opposed to
    // an empty one) throws std::invalid_argument.
    Diffs diff_main(const QString &text1, const QString &text2, bool checklines = true) const;
    // The same with an explicit deadline on nowMs()'s clock.
    Diffs diff_main(const QString &text1, const QString &text2, bool checklines, qint64 deadline) const;

    // Milliseconds of the monotonic clock the deadline is measured on.
    static qint64 nowMs();

    // Joins neighbours of one kind, moves common parts of neighbouring
    // deletions and insertions into the equalities, drops empty differences
    // and slides single edits over an equality where that removes it.
    static void diff_cleanupMerge(Diffs &diffs);
    // Removes short equalities that split larger edits, then shifts edits to
    // word and line boundaries and extracts overlaps between deletions and
    // insertions.
    static void diff_cleanupSemantic(Diffs &diffs);
    static void diff_cleanupSemanticLossless(Diffs &diffs);

    static int diff_commonPrefix(const QString &text1, const QString &text2);
    static int diff_commonSuffix(const QString &text1, const QString &text2);
    static int diff_commonOverlap(const QString &text1, const QString &text2);

    // text1 and text2 rebuilt from a list of differences.
    static QString diff_text1(const Diffs &diffs);
    static QString diff_text2(const Diffs &diffs);

private:
    Diffs diff_compute(const QString &text1, const QString &text2, bool checklines, qint64 deadline) const;
    Diffs diff_lineMode(QString text1, QString text2, qint64 deadline) const;
    Diffs diff_bisect(const QString &text1, const QString &text2, qint64 deadline) const;
    Diffs diff_bisectSplit(const QString &text1, const QString &text2, int x, int y, qint64 deadline) const;
    // Five texts (the long text's two ends, the short text's two ends, the
    // common middle) or an empty list when no half-match is worth taking.
    QStringList diff_halfMatch(const QString &text1, const QString &text2) const;
    static QStringList diff_halfMatchI(const QString &longtext, const QString &shorttext, int i);
    static QString diff_linesToCharsMunge(const QString &text, QStringList &lineArray,
                                          QHash<QString, int> &lineHash, int maxLines);
    static void diff_charsToLines(Diffs &diffs, const QStringList &lineArray);
    static int diff_cleanupSemanticScore(const QString &one, const QString &two);
};

#endif // CDIFFENGINE_H
