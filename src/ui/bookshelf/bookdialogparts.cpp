#include "bookdialogparts.h"

#include "csystemcoverdelegate.h"

#include <QLabel>
#include <QListView>

namespace BookDialogParts {

QListView *coverList(QWidget *parent)
{
    auto *list = new QListView(parent);
    list->setObjectName(QStringLiteral("listView"));
    list->setViewMode(QListView::IconMode);
    list->setFlow(QListView::LeftToRight);
    list->setWrapping(true);
    list->setResizeMode(QListView::Adjust);
    list->setMovement(QListView::Static);
    list->setUniformItemSizes(true);
    list->setSpacing(8);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    list->setCursor(Qt::PointingHandCursor);
    auto *delegate = new CSystemCoverDelegate(list);
    delegate->setCoverSize(72, 96);
    delegate->setIconSize(20, 20);
    list->setItemDelegate(delegate);
    return list;
}

QLabel *fieldLabel(const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(QStringLiteral("BookDialogLabel"));
    return label;
}

} // namespace BookDialogParts
