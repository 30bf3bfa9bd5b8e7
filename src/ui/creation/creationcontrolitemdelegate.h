#pragma once

#include "titemdata.h"

#include <QStyledItemDelegate>

class QAbstractItemView;

// Draws the rows of a creation tool panel and turns the mouse on the
// panel's list into commands: a press on a row is broadcast through the UI
// manager (and closes the panel unless the row keeps it open), a move over
// a row of the format panel reports the row.
class CreationControlItemDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    CreationControlItemDelegate(int panel, QAbstractItemView *view);

    int panel() const { return m_panel; }
    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

    // Row text colours of the current theme.
    static QColor textColour(const T_ItemData &item);

signals:
    void sig_CreationBtnPress(T_ItemData *pItem);
    void sig_EnterItem(T_ItemData *pItem);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    T_ItemData *itemAt(const QPoint &pos) const;
    void setHovered(T_ItemData *item);

    int m_panel;
    QAbstractItemView *m_view;
    T_ItemData *m_hovered = nullptr;
};
