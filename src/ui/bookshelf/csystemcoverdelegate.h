#pragma once

#include <QPixmap>
#include <QSize>
#include <QStyledItemDelegate>

class QListView;

// Paints the system covers offered by the book dialogs: each item's text is
// a cover file, drawn at the set size with a selection frame and tick.
class CSystemCoverDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    explicit CSystemCoverDelegate(QListView *view);

    void setCoverSize(int width, int height) { m_coverSize = QSize(width, height); }
    void setIconSize(int width, int height) { m_iconSize = QSize(width, height); }

    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;

private:
    QSize m_coverSize{72, 96};
    QSize m_iconSize{20, 20};
    QPixmap m_shade;
    QPixmap m_selected;
    QPixmap m_iconDark;
    QPixmap m_iconLight;
};
