#include "placeholdercolour.h"

#include <QApplication>
#include <QEvent>
#include <QLineEdit>
#include <QPointer>
#include <QStyle>
#include <QTextEdit>

namespace {

const char kEmpty[] = "empty";
const char kFollowed[] = "placeholderFollowed";

bool isEmpty(const QWidget *field)
{
    if (const auto *line = qobject_cast<const QLineEdit *>(field))
        return line->text().isEmpty();
    if (const auto *text = qobject_cast<const QTextEdit *>(field))
        return text->document()->isEmpty();
    return false;
}

bool hasPlaceholder(const QWidget *field)
{
    if (const auto *line = qobject_cast<const QLineEdit *>(field))
        return !line->placeholderText().isEmpty();
    if (const auto *text = qobject_cast<const QTextEdit *>(field))
        return !text->placeholderText().isEmpty();
    return false;
}

// Sets the property; the style is applied again only when the value changes
// on a field that is already polished.
void mark(QWidget *field)
{
    const bool empty = isEmpty(field);
    const QVariant old = field->property(kEmpty);
    if (old.isValid() && old.toBool() == empty)
        return;
    field->setProperty(kEmpty, empty);
    if (field->testAttribute(Qt::WA_WState_Polished)) {
        field->style()->unpolish(field);
        field->style()->polish(field);
        field->update();
    }
}

} // namespace

void PlaceholderColour::install()
{
    static QPointer<PlaceholderColour> filter;
    if (filter || !qApp)
        return;
    filter = new PlaceholderColour(qApp);
    qApp->installEventFilter(filter);
}

void PlaceholderColour::follow(QWidget *field)
{
    if (!field || !hasPlaceholder(field))
        return;
    if (!field->property(kFollowed).toBool()) {
        field->setProperty(kFollowed, true);
        if (auto *line = qobject_cast<QLineEdit *>(field))
            QObject::connect(line, &QLineEdit::textChanged, line, [line] { mark(line); });
        else if (auto *text = qobject_cast<QTextEdit *>(field))
            QObject::connect(text, &QTextEdit::textChanged, text, [text] { mark(text); });
    }
    mark(field);
}

bool PlaceholderColour::eventFilter(QObject *watched, QEvent *event)
{
    // Polish reaches the filter before the widget hands itself to the style,
    // so a field is marked before its first styling.
    if (event->type() == QEvent::Polish && watched->isWidgetType())
        follow(static_cast<QWidget *>(watched));
    return QObject::eventFilter(watched, event);
}
