#pragma once

#include <QString>

class QLineEdit;

// Names the author gives (chapters, books, the nickname) are measured in
// whole characters and cut only between them: never half an emoji, never a
// lone accent or half a flag.
namespace NameText {

// Characters (code points) of `text`.
int length(const QString &text);
// `text` cut to at most `max` characters, at the end of a whole character
// as the author sees it.
QString cut(const QString &text, int max);
// Empty or nothing but blanks (full-width ones included).
bool isBlank(const QString &text);
// Keeps `edit` at `max` characters by `cut` instead of the line edit's own
// limit, which counts halves of emoji.
void limit(QLineEdit *edit, int max);

} // namespace NameText
