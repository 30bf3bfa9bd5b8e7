#include "widget_tips.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QTimer>

widget_tips::widget_tips(QWidget *parent, int hideDelayMs) : QWidget(parent), m_hideDelayMs(hideDelayMs)
{
    setObjectName("widget_tips");
    setAttribute(Qt::WA_StyledBackground);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(20, 10, 20, 10);
    m_label = new QLabel(this);
    m_label->setObjectName("widget_tips_text");
    m_label->setAlignment(Qt::AlignCenter);
    layout->addWidget(m_label);
    hide();
}

void widget_tips::setText(const QString &text)
{
    m_label->setText(text);
    adjustSize();
    raise();
    show();
    centreOnParent();
    // Only the newest text hides the tip: an older timer finds a newer generation.
    const int generation = ++m_generation;
    QTimer::singleShot(m_hideDelayMs, this, [this, generation] {
        if (generation == m_generation)
            hide();
    });
}

void widget_tips::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    centreOnParent();
}

void widget_tips::centreOnParent()
{
    QWidget *parent = parentWidget();
    if (!parent)
        return;
    const QPoint centre = isWindow() ? parent->mapToGlobal(parent->rect().center()) : parent->rect().center();
    move(centre - rect().center());
}
