#include "nametext.h"

#include <QLineEdit>
#include <QTextBoundaryFinder>

#include <memory>

namespace NameText {

int length(const QString &text)
{
    int count = 0;
    for (int i = 0; i < text.size(); ++i) {
        if (text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            ++i;
        ++count;
    }
    return count;
}

QString cut(const QString &text, int max)
{
    if (length(text) <= max)
        return text;
    // The last boundary between characters the author sees that keeps the
    // count within `max`.
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    int end = 0;
    for (int at = finder.toNextBoundary(); at > 0; at = finder.toNextBoundary()) {
        if (length(text.left(at)) > max)
            break;
        end = at;
    }
    return text.left(end);
}

bool isBlank(const QString &text)
{
    for (const QChar c : text)
        if (!c.isSpace() && c != QChar(0x200B) && c != QChar(0xFEFF))
            return false;
    return true;
}

void limit(QLineEdit *edit, int max)
{
    // Room for every character to be a pair of halves; `cut` keeps the count.
    edit->setMaxLength(max * 2);
    auto last = std::make_shared<QString>(edit->text());
    QObject::connect(edit, &QLineEdit::textChanged, edit, [edit, max, last](const QString &text) {
        if (length(text) <= max) {
            *last = text;
            return;
        }
        // What was typed or pasted is cut to the room left; the rest stays.
        const int cursor = edit->cursorPosition();
        const int added = text.size() - last->size();
        QString kept;
        int keptCursor = 0;
        if (added > 0 && cursor >= added && text.left(cursor - added) == last->left(cursor - added) &&
            text.mid(cursor) == last->mid(cursor - added)) {
            const QString before = text.left(cursor - added);
            const QString after = text.mid(cursor);
            const QString fitted =
                cut(text.mid(cursor - added, added), qMax(0, max - length(before) - length(after)));
            kept = before + fitted + after;
            keptCursor = before.size() + fitted.size();
        } else {
            kept = cut(text, max);
            keptCursor = qMin(cursor, kept.size());
        }
        *last = kept;
        edit->setText(kept);
        edit->setCursorPosition(keptCursor);
    });
}

} // namespace NameText
