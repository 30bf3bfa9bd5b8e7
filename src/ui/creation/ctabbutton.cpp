#include "ctabbutton.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QStyle>

namespace {

const int kNameLength = 10;

} // namespace

CTabButton::CTabButton(QWidget *parent) : QWidget(parent)
{
    setObjectName("CTabButton");
    setAttribute(Qt::WA_StyledBackground);
    setFixedSize(168, 36);
    setCursor(Qt::PointingHandCursor);
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(14, 0, 0, 0);
    row->setSpacing(4);
    m_text = new QLabel(this);
    m_text->setObjectName("CTabButton_Text");
    m_close = new QPushButton(this);
    m_close->setObjectName("CTabButton_Close");
    m_close->setFixedSize(18, 18);
    m_close->setFocusPolicy(Qt::NoFocus);
    m_line = new QWidget(this);
    m_line->setObjectName("CTabButton_Line");
    m_line->setAttribute(Qt::WA_StyledBackground);
    m_line->setFixedSize(1, 16);
    row->addWidget(m_text, 1);
    row->addWidget(m_close);
    row->addSpacing(8);
    row->addWidget(m_line);
    connect(m_close, &QPushButton::clicked, this, &CTabButton::sig_close);
}

void CTabButton::setChapter(int localId, const QString &name)
{
    m_localId = localId;
    m_name = name;
    m_text->setText(name.size() > kNameLength ? name.left(kNameLength) + QStringLiteral("...") : name);
    setToolTip(name);
}

QString CTabButton::text() const
{
    return m_name;
}

void CTabButton::setCurrent(bool current)
{
    m_current = current;
    setProperty("current", current);
    style()->unpolish(this);
    style()->polish(this);
    m_text->style()->unpolish(m_text);
    m_text->style()->polish(m_text);
}

void CTabButton::setLineVisible(bool visible)
{
    m_line->setVisible(visible);
}

bool CTabButton::isLineVisible() const
{
    return !m_line->isHidden();
}

void CTabButton::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        emit sig_pressed();
    QWidget::mousePressEvent(event);
}
