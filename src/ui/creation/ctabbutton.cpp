#include "ctabbutton.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QStyle>
#include <QStyleOption>

namespace {

const int kNameLength = 10;

} // namespace

CTabButton::CTabButton(QWidget *parent) : QAbstractButton(parent)
{
    setObjectName("CTabButton");
    setAttribute(Qt::WA_StyledBackground);
    setCheckable(true);
    setFocusPolicy(Qt::TabFocus); // reached by Tab, never taken by a click
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
    m_close->setToolTip(tr("Close tab"));
    m_close->setFocusPolicy(Qt::TabFocus); // reached by Tab, never taken by a click
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
    setText(name);
    m_text->setText(name.size() > kNameLength ? name.left(kNameLength) + QStringLiteral("...") : name);
    setToolTip(name);
}

void CTabButton::setCurrent(bool current)
{
    m_current = current;
    setChecked(current);
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

void CTabButton::paintEvent(QPaintEvent *event)
{
    Q_UNUSED(event)
    // The look is the style sheet's; the name and the close button are children.
    QStyleOption option;
    option.initFrom(this);
    QPainter painter(this);
    style()->drawPrimitive(QStyle::PE_Widget, &option, &painter, this);
}
