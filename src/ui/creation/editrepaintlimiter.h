#pragma once

#include <QAbstractTextDocumentLayout>
#include <QObject>
#include <QPointer>
#include <QVector>

class QRectF;
class QTextBlock;
class QTextDocument;
class QTextEdit;

// Keeps the repaint after a keystroke to what the keystroke changed.
//
// After an edit the text layout asks to repaint the whole edited paragraph
// and, when that paragraph is the last one, everything below it down to the
// bottom of the view: in a long paragraph at the end of a chapter, most of
// the page on every key. The limiter sits between the layout and the editor.
// For an edit inside one paragraph it compares the paragraph's lines with
// those it had before the edit and asks to repaint only the lines that
// changed; on the line of the edit itself, only from the character before
// the edit to the right, as long as the paragraph runs left to right. Any
// other request passes unchanged, and so does the first edit of a paragraph
// whose earlier lines are not known.
class CEditRepaintLimiter : public QObject
{
    Q_OBJECT
public:
    explicit CEditRepaintLimiter(QTextEdit *edit);

    // Whether the limiter stands between the layout and the editor (false
    // when the editor's text control could not be found).
    bool isActive() const { return m_layout != nullptr; }

private:
    struct Paragraph
    {
        int number = -1; // -1: unknown since the last layout pass of its own
        qreal height = 0;
        QVector<int> lineStarts;
    };

    void attach();
    void onContentsChange(int position, int removed, int added);
    void onLayoutUpdate(const QRectF &rect);
    // The parts of `rect` that the pending edit changed, in document coordinates.
    QVector<QRectF> changedParts(const QRectF &rect, const QTextBlock &block, const Paragraph &now) const;
    void forward(const QRectF &rect);
    void keepShaping(const QTextBlock &block);

    QTextDocument *m_doc = nullptr;
    QPointer<QObject> m_control;
    QPointer<QAbstractTextDocumentLayout> m_layout;

    int m_blockCount = 0;
    // The edit whose layout request comes next, when it stayed in one paragraph.
    bool m_pending = false;
    int m_position = 0;
    int m_removed = 0;
    int m_added = 0;
    int m_block = -1;
    // The paragraph last edited, as its layout left it.
    Paragraph m_last;
};
