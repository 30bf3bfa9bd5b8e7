#include "ctextedit.h"

#include <QLabel>
#include <QScrollBar>
#include <QTextCursor>

namespace {

const int kCounterWidth = 100;
const int kCounterHeight = 26;

} // namespace

CTextEdit::CTextEdit(QWidget *parent) : QTextEdit(parent), m_counter(new QLabel(this))
{
    setAcceptRichText(false);
    m_counter->setObjectName(QStringLiteral("CTextEdit_Counter"));
    m_counter->setFixedSize(kCounterWidth, kCounterHeight);
    m_counter->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_counter->setStyleSheet(QStringLiteral("font-family: Microsoft YaHei; font-size: 12px;color: #999999;"));
    m_counter->setAttribute(Qt::WA_TransparentForMouseEvents);
    // The counter sits over the last line: keep the text clear of it.
    setViewportMargins(0, 0, 0, kCounterHeight);
    connect(this, &QTextEdit::textChanged, this, &CTextEdit::onTextChanged);
    updateCounter(0);
    placeCounter();
}

void CTextEdit::setMaxLength(int maxLength)
{
    m_maxLength = qMax(0, maxLength);
    onTextChanged();
}

void CTextEdit::onTextChanged()
{
    if (m_trimming)
        return;
    int length = toPlainText().length();
    const int surplus = length - m_maxLength;
    if (surplus > 0) {
        m_trimming = true;
        QTextCursor cursor = textCursor();
        const int end = cursor.position();
        const int start = qMax(0, end - surplus);
        cursor.setPosition(start);
        cursor.setPosition(end, QTextCursor::KeepAnchor);
        cursor.removeSelectedText();
        // Still too long (the cursor stood near the start): cut the tail.
        const int rest = toPlainText().length() - m_maxLength;
        if (rest > 0) {
            QTextCursor tail(document());
            tail.movePosition(QTextCursor::End);
            tail.movePosition(QTextCursor::Left, QTextCursor::KeepAnchor, rest);
            tail.removeSelectedText();
        }
        cursor.setPosition(qMin(start, toPlainText().length()));
        setTextCursor(cursor);
        m_trimming = false;
        length = toPlainText().length();
    }
    updateCounter(length);
}

void CTextEdit::updateCounter(int length)
{
    m_counter->setText(QStringLiteral("%1/%2").arg(length).arg(m_maxLength));
}

void CTextEdit::placeCounter()
{
    const QRect area = rect().adjusted(frameWidth(), frameWidth(), -frameWidth(), -frameWidth());
    int right = area.right();
    if (verticalScrollBar()->isVisible())
        right -= verticalScrollBar()->width();
    m_counter->move(right - kCounterWidth - 6, area.bottom() - kCounterHeight + 1);
    m_counter->raise();
}

void CTextEdit::resizeEvent(QResizeEvent *event)
{
    QTextEdit::resizeEvent(event);
    placeCounter();
}
