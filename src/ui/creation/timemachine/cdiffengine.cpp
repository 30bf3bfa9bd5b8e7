#include "cdiffengine.h"

#include <QHash>
#include <QStringList>

#include <algorithm>
#include <chrono>
#include <stdexcept>
#include <vector>

namespace {

// Whitespace as the clean-up's boundary scores count it: the ASCII blanks and
// the Unicode spaces, the ideographic space included.
bool isBlank(QChar c)
{
    const ushort u = c.unicode();
    switch (u) {
    case 0x0009:
    case 0x000A:
    case 0x000B:
    case 0x000C:
    case 0x000D:
    case 0x0020:
    case 0x00A0:
    case 0x1680:
    case 0x2028:
    case 0x2029:
    case 0x202F:
    case 0x205F:
    case 0x3000:
    case 0xFEFF:
        return true;
    default:
        return u >= 0x2000 && u <= 0x200A;
    }
}

bool isAsciiAlphaNumeric(QChar c)
{
    const ushort u = c.unicode();
    return (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || (u >= '0' && u <= '9');
}

bool isLineBreak(QChar c)
{
    return c == QLatin1Char('\n') || c == QLatin1Char('\r');
}

// "\n\n" or "\n\r\n" at the end of the text.
bool endsWithBlankLine(const QString &s)
{
    return s.endsWith(QLatin1String("\n\n")) || s.endsWith(QLatin1String("\n\r\n"));
}

// Two line feeds, each optionally after a carriage return, at the start.
bool startsWithBlankLine(const QString &s)
{
    int i = 0;
    for (int n = 0; n < 2; ++n) {
        if (i < s.size() && s.at(i) == QLatin1Char('\r'))
            ++i;
        if (i >= s.size() || s.at(i) != QLatin1Char('\n'))
            return false;
        ++i;
    }
    return true;
}

} // namespace

qint64 CDiffEngine::nowMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

CDiffEngine::Diffs CDiffEngine::diff_main(const QString &text1, const QString &text2, bool checklines) const
{
    qint64 deadline = NoDeadline;
    if (Diff_Timeout > 0)
        deadline = nowMs() + qint64(double(Diff_Timeout) * 1000.0);
    return diff_main(text1, text2, checklines, deadline);
}

CDiffEngine::Diffs CDiffEngine::diff_main(const QString &text1, const QString &text2, bool checklines,
                                          qint64 deadline) const
{
    if (text1.isNull() || text2.isNull())
        throw std::invalid_argument("Null inputs. (diff_main)");

    Diffs diffs;
    if (text1 == text2) {
        if (!text1.isEmpty())
            diffs.append(Diff(EQUAL, text1));
        return diffs;
    }

    const int prefixLength = diff_commonPrefix(text1, text2);
    const QString prefix = text1.left(prefixLength);
    QString middle1 = text1.mid(prefixLength);
    QString middle2 = text2.mid(prefixLength);

    const int suffixLength = diff_commonSuffix(middle1, middle2);
    const QString suffix = middle1.right(suffixLength);
    middle1.chop(suffixLength);
    middle2.chop(suffixLength);

    diffs = diff_compute(middle1, middle2, checklines, deadline);
    if (!prefix.isEmpty())
        diffs.prepend(Diff(EQUAL, prefix));
    if (!suffix.isEmpty())
        diffs.append(Diff(EQUAL, suffix));
    diff_cleanupMerge(diffs);
    return diffs;
}

CDiffEngine::Diffs CDiffEngine::diff_compute(const QString &text1, const QString &text2, bool checklines,
                                             qint64 deadline) const
{
    Diffs diffs;
    if (text1.isEmpty()) {
        diffs.append(Diff(INSERT, text2));
        return diffs;
    }
    if (text2.isEmpty()) {
        diffs.append(Diff(DELETE, text1));
        return diffs;
    }

    const bool firstLonger = text1.size() > text2.size();
    const QString &longtext = firstLonger ? text1 : text2;
    const QString &shorttext = firstLonger ? text2 : text1;
    const int i = longtext.indexOf(shorttext);
    if (i != -1) {
        // The shorter text lies inside the longer one.
        const Operation op = firstLonger ? DELETE : INSERT;
        diffs.append(Diff(op, longtext.left(i)));
        diffs.append(Diff(EQUAL, shorttext));
        diffs.append(Diff(op, longtext.mid(i + shorttext.size())));
        return diffs;
    }
    if (shorttext.size() == 1) {
        // One character that is not in the other text: no equality possible.
        diffs.append(Diff(DELETE, text1));
        diffs.append(Diff(INSERT, text2));
        return diffs;
    }

    const QStringList hm = diff_halfMatch(text1, text2);
    if (hm.size() == 5) {
        Diffs diffsA = diff_main(hm.at(0), hm.at(2), checklines, deadline);
        const Diffs diffsB = diff_main(hm.at(1), hm.at(3), checklines, deadline);
        diffsA.append(Diff(EQUAL, hm.at(4)));
        diffsA.append(diffsB);
        return diffsA;
    }

    if (checklines && text1.size() > 100 && text2.size() > 100)
        return diff_lineMode(text1, text2, deadline);
    return diff_bisect(text1, text2, deadline);
}

CDiffEngine::Diffs CDiffEngine::diff_lineMode(QString text1, QString text2, qint64 deadline) const
{
    // Each distinct line becomes one character; index 0 stays unused.
    QStringList lineArray;
    QHash<QString, int> lineHash;
    lineArray.append(QString());
    // The first text may take at most 40,000 codes so the second keeps room.
    text1 = diff_linesToCharsMunge(text1, lineArray, lineHash, 40000);
    text2 = diff_linesToCharsMunge(text2, lineArray, lineHash, 65535);

    Diffs diffs = diff_main(text1, text2, false, deadline);
    diff_charsToLines(diffs, lineArray);
    diff_cleanupSemantic(diffs);

    // Compare every run of replaced lines again, character by character.
    diffs.append(Diff(EQUAL, QString()));
    int pointer = 0;
    int countDelete = 0;
    int countInsert = 0;
    QString textDelete;
    QString textInsert;
    while (pointer < diffs.size()) {
        const Diff &d = diffs.at(pointer);
        switch (d.operation) {
        case INSERT:
            ++countInsert;
            textInsert += d.text;
            break;
        case DELETE:
            ++countDelete;
            textDelete += d.text;
            break;
        case EQUAL:
            if (countDelete >= 1 && countInsert >= 1) {
                const int start = pointer - countDelete - countInsert;
                diffs.erase(diffs.begin() + start, diffs.begin() + pointer);
                pointer = start;
                const Diffs sub = diff_main(textDelete, textInsert, false, deadline);
                for (int j = sub.size() - 1; j >= 0; --j)
                    diffs.insert(pointer, sub.at(j));
                pointer += sub.size();
            }
            countInsert = 0;
            countDelete = 0;
            textDelete.clear();
            textInsert.clear();
            break;
        }
        ++pointer;
    }
    diffs.removeLast();
    return diffs;
}

QString CDiffEngine::diff_linesToCharsMunge(const QString &text, QStringList &lineArray,
                                            QHash<QString, int> &lineHash, int maxLines)
{
    QString chars;
    int lineStart = 0;
    int lineEnd = -1;
    while (lineEnd < text.size() - 1) {
        lineEnd = text.indexOf(QLatin1Char('\n'), lineStart);
        if (lineEnd == -1)
            lineEnd = text.size() - 1;
        QString line = text.mid(lineStart, lineEnd + 1 - lineStart);
        const auto found = lineHash.constFind(line);
        if (found != lineHash.constEnd()) {
            chars += QChar(ushort(found.value()));
        } else {
            if (lineArray.size() == maxLines) {
                // Out of codes: the rest of the text is one last line.
                line = text.mid(lineStart);
                lineEnd = text.size();
            }
            chars += QChar(ushort(lineArray.size()));
            lineHash.insert(line, lineArray.size());
            lineArray.append(line);
        }
        lineStart = lineEnd + 1;
    }
    return chars;
}

void CDiffEngine::diff_charsToLines(Diffs &diffs, const QStringList &lineArray)
{
    for (Diff &d : diffs) {
        QString text;
        for (const QChar c : qAsConst(d.text))
            text += lineArray.at(c.unicode());
        d.text = text;
    }
}

CDiffEngine::Diffs CDiffEngine::diff_bisect(const QString &text1, const QString &text2, qint64 deadline) const
{
    const int length1 = text1.size();
    const int length2 = text2.size();
    const int maxD = (length1 + length2 + 1) / 2;
    const int vOffset = maxD;
    const int vLength = 2 * maxD;
    std::vector<int> v1(size_t(vLength) + 2, -1);
    std::vector<int> v2(size_t(vLength) + 2, -1);
    v1[size_t(vOffset) + 1] = 0;
    v2[size_t(vOffset) + 1] = 0;
    const int delta = length1 - length2;
    // With an odd delta the forward path meets the reverse one; with an even
    // one the reverse path meets the forward one.
    const bool front = (delta % 2 != 0);
    int k1start = 0;
    int k1end = 0;
    int k2start = 0;
    int k2end = 0;
    const QChar *s1 = text1.constData();
    const QChar *s2 = text2.constData();

    for (int d = 0; d < maxD; ++d) {
        if (deadline != NoDeadline && nowMs() > deadline)
            break;

        for (int k1 = -d + k1start; k1 <= d - k1end; k1 += 2) {
            const int k1Offset = vOffset + k1;
            int x1;
            if (k1 == -d || (k1 != d && v1[size_t(k1Offset - 1)] < v1[size_t(k1Offset + 1)]))
                x1 = v1[size_t(k1Offset + 1)];
            else
                x1 = v1[size_t(k1Offset - 1)] + 1;
            int y1 = x1 - k1;
            while (x1 < length1 && y1 < length2 && s1[x1] == s2[y1]) {
                ++x1;
                ++y1;
            }
            v1[size_t(k1Offset)] = x1;
            if (x1 > length1) {
                k1end += 2; // ran off the right of the graph
            } else if (y1 > length2) {
                k1start += 2; // ran off the bottom of the graph
            } else if (front) {
                const int k2Offset = vOffset + delta - k1;
                if (k2Offset >= 0 && k2Offset < vLength && v2[size_t(k2Offset)] != -1) {
                    const int x2 = length1 - v2[size_t(k2Offset)];
                    if (x1 >= x2)
                        return diff_bisectSplit(text1, text2, x1, y1, deadline);
                }
            }
        }

        for (int k2 = -d + k2start; k2 <= d - k2end; k2 += 2) {
            const int k2Offset = vOffset + k2;
            int x2;
            if (k2 == -d || (k2 != d && v2[size_t(k2Offset - 1)] < v2[size_t(k2Offset + 1)]))
                x2 = v2[size_t(k2Offset + 1)];
            else
                x2 = v2[size_t(k2Offset - 1)] + 1;
            int y2 = x2 - k2;
            while (x2 < length1 && y2 < length2 && s1[length1 - x2 - 1] == s2[length2 - y2 - 1]) {
                ++x2;
                ++y2;
            }
            v2[size_t(k2Offset)] = x2;
            if (x2 > length1) {
                k2end += 2;
            } else if (y2 > length2) {
                k2start += 2;
            } else if (!front) {
                const int k1Offset = vOffset + delta - k2;
                if (k1Offset >= 0 && k1Offset < vLength && v1[size_t(k1Offset)] != -1) {
                    const int x1 = v1[size_t(k1Offset)];
                    const int y1 = vOffset + x1 - k1Offset;
                    if (x1 >= length1 - x2)
                        return diff_bisectSplit(text1, text2, x1, y1, deadline);
                }
            }
        }
    }

    // Out of time, or nothing in common worth a walk.
    Diffs diffs;
    diffs.append(Diff(DELETE, text1));
    diffs.append(Diff(INSERT, text2));
    return diffs;
}

CDiffEngine::Diffs CDiffEngine::diff_bisectSplit(const QString &text1, const QString &text2, int x, int y,
                                                 qint64 deadline) const
{
    Diffs diffs = diff_main(text1.left(x), text2.left(y), false, deadline);
    diffs.append(diff_main(text1.mid(x), text2.mid(y), false, deadline));
    return diffs;
}

QStringList CDiffEngine::diff_halfMatch(const QString &text1, const QString &text2) const
{
    if (Diff_Timeout <= 0)
        return {};
    const bool firstLonger = text1.size() > text2.size();
    const QString &longtext = firstLonger ? text1 : text2;
    const QString &shorttext = firstLonger ? text2 : text1;
    if (longtext.size() < 4 || shorttext.size() * 2 < longtext.size())
        return {};

    // Seeds from the second and the third quarter of the longer text.
    const QStringList hm1 = diff_halfMatchI(longtext, shorttext, (longtext.size() + 3) / 4);
    const QStringList hm2 = diff_halfMatchI(longtext, shorttext, (longtext.size() + 1) / 2);
    QStringList hm;
    if (hm1.isEmpty() && hm2.isEmpty())
        return {};
    if (hm2.isEmpty())
        hm = hm1;
    else if (hm1.isEmpty())
        hm = hm2;
    else
        hm = hm1.at(4).size() > hm2.at(4).size() ? hm1 : hm2;

    if (firstLonger)
        return hm;
    return {hm.at(2), hm.at(3), hm.at(0), hm.at(1), hm.at(4)};
}

QStringList CDiffEngine::diff_halfMatchI(const QString &longtext, const QString &shorttext, int i)
{
    const QString seed = longtext.mid(i, longtext.size() / 4);
    int j = -1;
    QString bestCommon;
    QString bestLongA;
    QString bestLongB;
    QString bestShortA;
    QString bestShortB;
    while ((j = shorttext.indexOf(seed, j + 1)) != -1) {
        const int prefixLength = diff_commonPrefix(longtext.mid(i), shorttext.mid(j));
        const int suffixLength = diff_commonSuffix(longtext.left(i), shorttext.left(j));
        if (bestCommon.size() < suffixLength + prefixLength) {
            bestCommon = shorttext.mid(j - suffixLength, suffixLength + prefixLength);
            bestLongA = longtext.left(i - suffixLength);
            bestLongB = longtext.mid(i + prefixLength);
            bestShortA = shorttext.left(j - suffixLength);
            bestShortB = shorttext.mid(j + prefixLength);
        }
    }
    if (bestCommon.size() * 2 >= longtext.size())
        return {bestLongA, bestLongB, bestShortA, bestShortB, bestCommon};
    return {};
}

int CDiffEngine::diff_commonPrefix(const QString &text1, const QString &text2)
{
    const int n = std::min(text1.size(), text2.size());
    const QChar *a = text1.constData();
    const QChar *b = text2.constData();
    int i = 0;
    while (i < n && a[i] == b[i])
        ++i;
    return i;
}

int CDiffEngine::diff_commonSuffix(const QString &text1, const QString &text2)
{
    const int length1 = text1.size();
    const int length2 = text2.size();
    const int n = std::min(length1, length2);
    const QChar *a = text1.constData();
    const QChar *b = text2.constData();
    int i = 0;
    while (i < n && a[length1 - 1 - i] == b[length2 - 1 - i])
        ++i;
    return i;
}

int CDiffEngine::diff_commonOverlap(const QString &text1In, const QString &text2In)
{
    const int length1 = text1In.size();
    const int length2 = text2In.size();
    if (length1 == 0 || length2 == 0)
        return 0;
    // Only the end of text1 and the start of text2 can overlap.
    const QString text1 = length1 > length2 ? text1In.right(length2) : text1In;
    const QString text2 = length1 < length2 ? text2In.left(length1) : text2In;
    const int textLength = std::min(length1, length2);
    if (text1 == text2)
        return textLength;

    int best = 0;
    int length = 1;
    while (true) {
        const QString pattern = text1.right(length);
        const int found = text2.indexOf(pattern);
        if (found == -1)
            return best;
        length += found;
        if (found == 0 || text1.right(length) == text2.left(length)) {
            best = length;
            ++length;
        }
    }
}

void CDiffEngine::diff_cleanupMerge(Diffs &diffs)
{
    diffs.append(Diff(EQUAL, QString())); // a sentinel that ends the last run
    int pointer = 0;
    int countDelete = 0;
    int countInsert = 0;
    QString textDelete;
    QString textInsert;
    while (pointer < diffs.size()) {
        switch (diffs.at(pointer).operation) {
        case INSERT:
            ++countInsert;
            textInsert += diffs.at(pointer).text;
            ++pointer;
            break;
        case DELETE:
            ++countDelete;
            textDelete += diffs.at(pointer).text;
            ++pointer;
            break;
        case EQUAL:
            if (countDelete + countInsert > 1) {
                if (countDelete != 0 && countInsert != 0) {
                    int common = diff_commonPrefix(textInsert, textDelete);
                    if (common != 0) {
                        const int before = pointer - countDelete - countInsert - 1;
                        if (before >= 0) {
                            if (diffs.at(before).operation != EQUAL)
                                throw std::logic_error("Previous diff should have been an equality.");
                            diffs[before].text += textInsert.left(common);
                        } else {
                            diffs.prepend(Diff(EQUAL, textInsert.left(common)));
                            ++pointer;
                        }
                        textInsert = textInsert.mid(common);
                        textDelete = textDelete.mid(common);
                    }
                    common = diff_commonSuffix(textInsert, textDelete);
                    if (common != 0) {
                        diffs[pointer].text = textInsert.right(common) + diffs.at(pointer).text;
                        textInsert.chop(common);
                        textDelete.chop(common);
                    }
                }
                pointer -= countDelete + countInsert;
                diffs.erase(diffs.begin() + pointer, diffs.begin() + pointer + countDelete + countInsert);
                if (!textDelete.isEmpty()) {
                    diffs.insert(pointer, Diff(DELETE, textDelete));
                    ++pointer;
                }
                if (!textInsert.isEmpty()) {
                    diffs.insert(pointer, Diff(INSERT, textInsert));
                    ++pointer;
                }
                ++pointer;
            } else if (pointer != 0 && diffs.at(pointer - 1).operation == EQUAL) {
                diffs[pointer - 1].text += diffs.at(pointer).text;
                diffs.removeAt(pointer);
            } else {
                ++pointer;
            }
            countInsert = 0;
            countDelete = 0;
            textDelete.clear();
            textInsert.clear();
            break;
        }
    }
    if (diffs.last().text.isEmpty())
        diffs.removeLast();

    // A single edit between two equalities slides over one of them when the
    // edit ends with it (left) or starts with it (right): A<ins>BA</ins>C
    // becomes <ins>AB</ins>AC.
    bool changes = false;
    pointer = 1;
    while (pointer < diffs.size() - 1) {
        if (diffs.at(pointer - 1).operation == EQUAL && diffs.at(pointer + 1).operation == EQUAL) {
            const QString prev = diffs.at(pointer - 1).text;
            const QString next = diffs.at(pointer + 1).text;
            const QString edit = diffs.at(pointer).text;
            if (edit.endsWith(prev)) {
                diffs[pointer].text = prev + edit.left(edit.size() - prev.size());
                diffs[pointer + 1].text = prev + next;
                diffs.removeAt(pointer - 1);
                changes = true;
            } else if (edit.startsWith(next)) {
                diffs[pointer - 1].text = prev + next;
                diffs[pointer].text = edit.mid(next.size()) + next;
                diffs.removeAt(pointer + 1);
                changes = true;
            }
        }
        ++pointer;
    }
    if (changes)
        diff_cleanupMerge(diffs);
}

void CDiffEngine::diff_cleanupSemantic(Diffs &diffs)
{
    bool changes = false;
    // Indexes of the equalities seen, as a stack whose counter may run below
    // zero: popping the equality before an only one leaves the next push at a
    // negative slot, and a counter not above zero restarts the scan.
    QHash<int, int> equalities;
    int equalitiesLength = 0;
    QString lastEquality;
    bool haveLastEquality = false;
    int pointer = 0;
    int insertions1 = 0; // lengths of the edits before the last equality
    int deletions1 = 0;
    int insertions2 = 0; // and after it
    int deletions2 = 0;
    while (pointer < diffs.size()) {
        const Diff &d = diffs.at(pointer);
        if (d.operation == EQUAL) {
            equalities.insert(equalitiesLength++, pointer);
            insertions1 = insertions2;
            deletions1 = deletions2;
            insertions2 = 0;
            deletions2 = 0;
            lastEquality = d.text;
            haveLastEquality = true;
        } else {
            if (d.operation == INSERT)
                insertions2 += d.text.size();
            else
                deletions2 += d.text.size();
            if (haveLastEquality && !lastEquality.isEmpty() &&
                lastEquality.size() <= std::max(insertions1, deletions1) &&
                lastEquality.size() <= std::max(insertions2, deletions2)) {
                // The equality is no longer than the edits on both sides:
                // make it a deletion and an insertion.
                const int at = equalities.value(equalitiesLength - 1);
                diffs.insert(at, Diff(DELETE, lastEquality));
                diffs[at + 1].operation = INSERT;
                // Drop the equality just replaced and look again from the
                // one before it, which may now be short too.
                equalitiesLength -= 2;
                pointer = equalitiesLength > 0 ? equalities.value(equalitiesLength - 1) : -1;
                insertions1 = 0;
                deletions1 = 0;
                insertions2 = 0;
                deletions2 = 0;
                lastEquality.clear();
                haveLastEquality = false;
                changes = true;
            }
        }
        ++pointer;
    }
    if (changes)
        diff_cleanupMerge(diffs);
    diff_cleanupSemanticLossless(diffs);

    // Where a deletion and an insertion overlap by at least half of either,
    // keep the overlap as an equality between them.
    pointer = 1;
    while (pointer < diffs.size()) {
        if (diffs.at(pointer - 1).operation == DELETE && diffs.at(pointer).operation == INSERT) {
            const QString deletion = diffs.at(pointer - 1).text;
            const QString insertion = diffs.at(pointer).text;
            const int overlap1 = diff_commonOverlap(deletion, insertion);
            const int overlap2 = diff_commonOverlap(insertion, deletion);
            if (overlap1 >= overlap2) {
                if (overlap1 * 2 >= deletion.size() || overlap1 * 2 >= insertion.size()) {
                    diffs.insert(pointer, Diff(EQUAL, insertion.left(overlap1)));
                    diffs[pointer - 1].text = deletion.left(deletion.size() - overlap1);
                    diffs[pointer + 1].text = insertion.mid(overlap1);
                    ++pointer;
                }
            } else if (overlap2 * 2 >= deletion.size() || overlap2 * 2 >= insertion.size()) {
                diffs.insert(pointer, Diff(EQUAL, deletion.left(overlap2)));
                diffs[pointer - 1] = Diff(INSERT, insertion.left(insertion.size() - overlap2));
                diffs[pointer + 1] = Diff(DELETE, deletion.mid(overlap2));
                ++pointer;
            }
            ++pointer;
        }
        ++pointer;
    }
}

int CDiffEngine::diff_cleanupSemanticScore(const QString &one, const QString &two)
{
    if (one.isEmpty() || two.isEmpty())
        return 6; // the edge of the text is the best place
    const QChar char1 = one.at(one.size() - 1);
    const QChar char2 = two.at(0);
    const bool nonAlphaNumeric1 = !isAsciiAlphaNumeric(char1);
    const bool nonAlphaNumeric2 = !isAsciiAlphaNumeric(char2);
    const bool whitespace1 = nonAlphaNumeric1 && isBlank(char1);
    const bool whitespace2 = nonAlphaNumeric2 && isBlank(char2);
    const bool lineBreak1 = whitespace1 && isLineBreak(char1);
    const bool lineBreak2 = whitespace2 && isLineBreak(char2);
    const bool blankLine1 = lineBreak1 && endsWithBlankLine(one);
    const bool blankLine2 = lineBreak2 && startsWithBlankLine(two);
    if (blankLine1 || blankLine2)
        return 5;
    if (lineBreak1 || lineBreak2)
        return 4;
    if (nonAlphaNumeric1 && !whitespace1 && whitespace2)
        return 3; // end of a sentence
    if (whitespace1 || whitespace2)
        return 2;
    if (nonAlphaNumeric1 || nonAlphaNumeric2)
        return 1;
    return 0;
}

void CDiffEngine::diff_cleanupSemanticLossless(Diffs &diffs)
{
    int pointer = 1;
    while (pointer < diffs.size() - 1) {
        if (diffs.at(pointer - 1).operation == EQUAL && diffs.at(pointer + 1).operation == EQUAL) {
            QString equality1 = diffs.at(pointer - 1).text;
            QString edit = diffs.at(pointer).text;
            QString equality2 = diffs.at(pointer + 1).text;

            // Shift the edit as far left as it goes.
            const int commonOffset = diff_commonSuffix(equality1, edit);
            if (commonOffset != 0) {
                const QString common = edit.right(commonOffset);
                equality1.chop(commonOffset);
                edit = common + edit.left(edit.size() - commonOffset);
                equality2 = common + equality2;
            }

            // Then step right, keeping the place with the best boundaries.
            QString bestEquality1 = equality1;
            QString bestEdit = edit;
            QString bestEquality2 = equality2;
            int bestScore =
                diff_cleanupSemanticScore(equality1, edit) + diff_cleanupSemanticScore(edit, equality2);
            while (!edit.isEmpty() && !equality2.isEmpty() && edit.at(0) == equality2.at(0)) {
                equality1 += edit.at(0);
                edit = edit.mid(1) + equality2.at(0);
                equality2.remove(0, 1);
                const int score =
                    diff_cleanupSemanticScore(equality1, edit) + diff_cleanupSemanticScore(edit, equality2);
                // >= favours the rightmost of equal places.
                if (score >= bestScore) {
                    bestScore = score;
                    bestEquality1 = equality1;
                    bestEdit = edit;
                    bestEquality2 = equality2;
                }
            }

            if (diffs.at(pointer - 1).text != bestEquality1) {
                if (!bestEquality1.isEmpty()) {
                    diffs[pointer - 1].text = bestEquality1;
                } else {
                    diffs.removeAt(pointer - 1);
                    --pointer;
                }
                diffs[pointer].text = bestEdit;
                if (!bestEquality2.isEmpty()) {
                    diffs[pointer + 1].text = bestEquality2;
                } else {
                    diffs.removeAt(pointer + 1);
                    --pointer;
                }
            }
        }
        ++pointer;
    }
}

QString CDiffEngine::diff_text1(const Diffs &diffs)
{
    QString text;
    for (const Diff &d : diffs)
        if (d.operation != INSERT)
            text += d.text;
    return text;
}

QString CDiffEngine::diff_text2(const Diffs &diffs)
{
    QString text;
    for (const Diff &d : diffs)
        if (d.operation != DELETE)
            text += d.text;
    return text;
}
