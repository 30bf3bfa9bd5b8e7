#pragma once

#include <QStyledItemDelegate>

class QAbstractItemView;

// Draws the rows of the chapter list (mode 6) and of the recycle bin's list
// (mode 7), edits a chapter name in place (mode 6 only) and reports mouse
// presses on live rows.
class ChapterListDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    enum Mode
    {
        ModeChapters = 6,
        ModeRecycle = 7,
    };
    static const int kMaxNameLength = 15;

    ChapterListDelegate(int mode, QAbstractItemView *view);

    int mode() const { return m_mode; }
    // The name as a row shows it: cut with "..." past the mode's length.
    static QString shownName(const QString &name, int mode);

    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;
    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                          const QModelIndex &index) const override;
    void setEditorData(QWidget *editor, const QModelIndex &index) const override;
    void setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const override;
    void updateEditorGeometry(QWidget *editor, const QStyleOptionViewItem &option,
                              const QModelIndex &index) const override;
    void destroyEditor(QWidget *editor, const QModelIndex &index) const override;

signals:
    void sig_onMousePressedByLeftBtn(int localChapterId);
    void sig_onMousePressedByRightBtn(int localChapterId, int row);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    int m_mode;
    QAbstractItemView *m_view;
};
