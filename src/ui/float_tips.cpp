#include "float_tips.h"

#include <QHBoxLayout>
#include <QLabel>

Float_Tips::Float_Tips(QWidget *parent) : QWidget(parent)
{
    setObjectName("Float_Tips");
    setAttribute(Qt::WA_StyledBackground);
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(12, 6, 12, 6);
    m_label = new QLabel(this);
    m_label->setObjectName("Float_Tips_Text");
    layout->addWidget(m_label);
}

void Float_Tips::setText(const QString &text)
{
    m_label->setText(text);
    adjustSize();
}

QString Float_Tips::text() const
{
    return m_label->text();
}
