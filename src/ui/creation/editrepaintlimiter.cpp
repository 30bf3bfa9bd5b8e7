#include "editrepaintlimiter.h"

#include <QTextBlock>
#include <QTextDocument>
#include <QTextEdit>
#include <QTextLayout>

namespace {

bool runsLeftToRight(const QString &text)
{
    for (const QChar c : text) {
        switch (c.direction()) {
        case QChar::DirR:
        case QChar::DirAL:
        case QChar::DirRLE:
        case QChar::DirRLO:
        case QChar::DirRLI:
            return false;
        default:
            break;
        }
    }
    return true;
}

QVector<int> lineStarts(const QTextLayout *layout)
{
    QVector<int> starts;
    starts.reserve(layout->lineCount());
    for (int i = 0; i < layout->lineCount(); ++i)
        starts << layout->lineAt(i).textStart();
    return starts;
}

} // namespace

CEditRepaintLimiter::CEditRepaintLimiter(QTextEdit *edit) : QObject(edit), m_doc(edit->document())
{
    // The editor's text control is the child that forwards the layout's
    // repaint requests to the view.
    for (QObject *child : edit->children()) {
        if (child->inherits("QWidgetTextControl")) {
            m_control = child;
            break;
        }
    }
    connect(m_doc, &QTextDocument::contentsChange, this, &CEditRepaintLimiter::onContentsChange);
    // The layout's request follows the change within the same edit; one
    // that never came must not trim a later, unrelated request.
    connect(m_doc, &QTextDocument::contentsChanged, this, [this] { m_pending = false; });
    connect(m_doc, &QTextDocument::documentLayoutChanged, this, &CEditRepaintLimiter::attach);
    attach();
}

void CEditRepaintLimiter::attach()
{
    if (m_layout)
        disconnect(m_layout, nullptr, this, nullptr);
    m_layout = nullptr;
    m_last = Paragraph();
    QAbstractTextDocumentLayout *layout = m_doc->documentLayout();
    if (!m_control || !layout)
        return;
    // Only once the control no longer takes the requests itself may they be
    // taken here; otherwise everything stays as it was.
    if (!QObject::disconnect(layout, SIGNAL(update(QRectF)), m_control, SIGNAL(updateRequest(QRectF))))
        return;
    m_layout = layout;
    m_blockCount = m_doc->blockCount();
    connect(layout, &QAbstractTextDocumentLayout::update, this, &CEditRepaintLimiter::onLayoutUpdate);
}

void CEditRepaintLimiter::onContentsChange(int position, int removed, int added)
{
    const int count = m_doc->blockCount();
    const QTextBlock block = m_doc->findBlock(position);
    // Inside one paragraph: no paragraph came or went, and the added text
    // ends before the paragraph's end.
    m_pending = m_layout && count == m_blockCount && block.isValid() &&
                position + added < block.position() + block.length();
    m_blockCount = count;
    m_position = position;
    m_removed = removed;
    m_added = added;
    m_block = block.blockNumber();
}

void CEditRepaintLimiter::onLayoutUpdate(const QRectF &rect)
{
    const bool edited = m_pending;
    m_pending = false;
    const QTextBlock block = edited ? m_doc->findBlockByNumber(m_block) : QTextBlock();
    const QTextLayout *layout = block.isValid() ? block.layout() : nullptr;
    if (!layout || layout->lineCount() == 0 || !rect.isValid()) {
        // A layout pass of its own (a resize, a format, a large edit) may
        // have changed any paragraph's lines.
        m_last = Paragraph();
        m_blockCount = m_doc->blockCount();
        forward(rect);
        return;
    }
    Paragraph now;
    now.number = m_block;
    now.height = m_layout->blockBoundingRect(block).height();
    now.lineStarts = lineStarts(layout);
    const QVector<QRectF> parts =
        m_last.number == m_block ? changedParts(rect, block, now) : QVector<QRectF>();
    if (parts.isEmpty())
        forward(rect);
    for (const QRectF &part : parts)
        forward(part);
    keepShaping(block);
    m_last = now;
}

QVector<QRectF> CEditRepaintLimiter::changedParts(const QRectF &rect, const QTextBlock &block,
                                                  const Paragraph &now) const
{
    const QTextLayout *layout = block.layout();
    const QVector<int> &before = m_last.lineStarts;
    const QVector<int> &after = now.lineStarts;
    const int at = m_position - block.position();
    const int delta = m_added - m_removed;
    // Where a line that began at `start` before the edit begins now if the
    // edit did not move it; -1 inside the removed text.
    auto moved = [&](int start) {
        return start <= at ? start : start >= at + m_removed ? start + delta : -1;
    };

    const int editLine = layout->lineForTextPosition(at).lineNumber();
    const int editEndLine = layout->lineForTextPosition(at + m_added).lineNumber();
    if (editLine < 0 || editEndLine < 0)
        return {};
    // The first line that begins elsewhere than before: the one above it
    // lost or gained text at its end.
    int first = editLine + 1;
    for (int i = 0; i <= editLine; ++i) {
        if (i >= before.size() || before.at(i) != after.at(i)) {
            first = qMax(0, i - 1);
            break;
        }
    }
    // Below the edit nothing changed when the paragraph kept its height and
    // every later line begins where its text went.
    const bool sameHeight = qFuzzyCompare(m_last.height, now.height) && before.size() == after.size();
    bool tailKept = sameHeight;
    for (int i = editEndLine + 1; tailKept && i < after.size(); ++i)
        tailKept = moved(before.at(i)) == after.at(i);

    const qreal top = layout->position().y();
    auto lineTop = [&](int i) { return top + layout->lineAt(i).y(); };
    auto lineBottom = [&](int i) { return top + layout->lineAt(i).rect().bottom(); };
    const qreal bottom = tailKept     ? lineBottom(editEndLine)
                         : sameHeight ? lineBottom(after.size() - 1)
                                      : rect.bottom();

    QVector<QRectF> parts;
    auto add = [&](qreal left, qreal y0, qreal y1) {
        const QRectF part = QRectF(QPointF(left, y0), QPointF(rect.right(), y1)).intersected(rect);
        if (part.isValid())
            parts << part;
    };
    if (first <= editLine) {
        add(rect.left(), lineTop(first), bottom);
        return parts;
    }
    // The edit's own line begins where it did: what stands left of the
    // character before the edit is as it was.
    const QTextLine line = layout->lineAt(editLine);
    qreal left = rect.left();
    if (runsLeftToRight(block.text())) {
        int from = qMax(line.textStart(), at - 1);
        left = layout->position().x() + line.cursorToX(&from) - 1;
    }
    add(left, lineTop(editLine), lineBottom(editLine));
    if (bottom > lineBottom(editLine))
        add(rect.left(), lineBottom(editLine), bottom);
    return parts;
}

void CEditRepaintLimiter::keepShaping(const QTextBlock &block)
{
    // The paragraph being typed in keeps its shaped text between its layout
    // and its painting, instead of shaping it again for the caret and for
    // each painted line.
    if (m_last.number >= 0 && m_last.number != block.blockNumber()) {
        const QTextBlock previous = m_doc->findBlockByNumber(m_last.number);
        if (previous.isValid() && previous.layout())
            previous.layout()->setCacheEnabled(false);
    }
    block.layout()->setCacheEnabled(true);
}

void CEditRepaintLimiter::forward(const QRectF &rect)
{
    if (m_control)
        QMetaObject::invokeMethod(m_control, "updateRequest", Qt::DirectConnection, Q_ARG(QRectF, rect));
}
