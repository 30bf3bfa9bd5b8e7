#include "widget_comparehint.h"

#include "dialog_timemachine.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

Widget_CompareHint::Widget_CompareHint(QWidget *parent)
    : QWidget(parent, Qt::ToolTip | Qt::FramelessWindowHint)
{
    setObjectName("Widget_CompareHint");
    setAttribute(Qt::WA_StyledBackground);
    setAttribute(Qt::WA_ShowWithoutActivating);
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(12, 10, 12, 10);
    column->setSpacing(6);
    const bool dark = Dialog_TimeMachine::isDarkTheme();
    auto line = [&](const QString &colour, const QString &text, const char *name) {
        auto *row = new QHBoxLayout;
        row->setSpacing(8);
        auto *sample = new QLabel(this);
        sample->setFixedSize(12, 12);
        sample->setStyleSheet(QStringLiteral("background:%1;border-radius:2px;").arg(colour));
        auto *label = new QLabel(text, this);
        label->setObjectName(name);
        label->setStyleSheet(QStringLiteral("color:%1;").arg(colour));
        row->addWidget(sample);
        row->addWidget(label);
        row->addStretch(1);
        column->addLayout(row);
    };
    line(Dialog_TimeMachine::deletedColour(dark), tr("Red is the deleted section"), "lb_hint_deleted");
    line(Dialog_TimeMachine::insertedColour(dark), tr("Blue is a new section"), "lb_hint_inserted");
    setAccessibleName(tr("Colours of the comparison"));
    adjustSize();
}

void Widget_CompareHint::showBeside(QWidget *anchor)
{
    if (!anchor)
        return;
    const QPoint corner = anchor->mapToGlobal(QPoint(anchor->width(), 0));
    move(corner.x() + 6, corner.y() - 16);
    show();
    raise();
}
