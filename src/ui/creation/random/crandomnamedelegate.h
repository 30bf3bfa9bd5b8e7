#pragma once

#include <QStyledItemDelegate>

class Float_Tips;

// Draws one suggested name centred in its cell and copies it to the
// clipboard when it is pressed, with a short "已复制" tip above it.
class CRandomNameDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    explicit CRandomNameDelegate(QObject *parent = nullptr);
    ~CRandomNameDelegate() override;

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    bool editorEvent(QEvent *event, QAbstractItemModel *model, const QStyleOptionViewItem &option,
                     const QModelIndex &index) override;

    Float_Tips *tip() const { return m_tip; }

private:
    Float_Tips *m_tip;
};
