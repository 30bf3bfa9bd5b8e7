#include "chapterlistmodel.h"

#include "creationclock.h"
#include "db/records.h"
#include "manager/cjobmanager.h"
#include "manager/cuimanager.h"
#include "ui/nametext.h"

#include <algorithm>

ChapterListModel::ChapterListModel(QObject *parent) : QStringListModel(parent) {}

ChapterListModel::~ChapterListModel()
{
    freeItems();
}

void ChapterListModel::freeItems()
{
    qDeleteAll(m_items);
    m_items.clear();
    m_rows = 0;
}

QList<T_Chapter *> ChapterListModel::ordered(const T_Book *book, bool recycled)
{
    if (!book)
        return {};
    QList<T_Chapter *> list = recycled ? book->recycleList : book->chapterList;
    if (book->chapterSortDesc)
        std::reverse(list.begin(), list.end());
    return list;
}

void ChapterListModel::reload(const T_Book *book, bool recycled)
{
    beginResetModel();
    freeItems();
    setStringList({});
    m_sortDesc = book ? book->chapterSortDesc : 0;
    for (const T_Chapter *chapter : ordered(book, recycled)) {
        auto *item = new T_ChapterListItem;
        item->localBookId = chapter->localBookId;
        item->localChapterId = chapter->localId;
        item->name = chapter->name;
        m_items.append(item);
        ++m_rows;
    }
    endResetModel();
}

int ChapterListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_items.size();
}

T_ChapterListItem *ChapterListModel::item(int row) const
{
    return row >= 0 && row < m_items.size() ? m_items.at(row) : nullptr;
}

int ChapterListModel::rowOf(int localChapterId) const
{
    for (int row = 0; row < m_items.size(); ++row)
        if (m_items.at(row)->localChapterId == localChapterId)
            return row;
    return -1;
}

QVariant ChapterListModel::data(const QModelIndex &index, int role) const
{
    T_ChapterListItem *row = index.isValid() ? item(index.row()) : nullptr;
    if (!row)
        return QVariant();
    if (role == Qt::DisplayRole)
        return QVariant::fromValue(row);
    if (role == Qt::EditRole || role == Qt::ToolTipRole || role == Qt::AccessibleTextRole)
        return row->name;
    return QVariant();
}

Qt::ItemFlags ChapterListModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable;
}

bool ChapterListModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    CUiManager::instance()->setRenaming(false);
    T_ChapterListItem *row = index.isValid() ? item(index.row()) : nullptr;
    if (role != Qt::EditRole || !row)
        return false;
    const QString name = value.toString();
    if (name == row->name)
        return false;
    if (NameText::isBlank(name)) {
        CUiManager::instance()->showTips(tr("A chapter name cannot be only blanks: the name was kept"), 0);
        return false;
    }
    TC_Chapter_Edit req;
    req.localBookId = row->localBookId;
    req.localChapterId = row->localChapterId;
    req.chapterName = name;
    req.update_time = CreationClock::now();
    if (!CJobManager::instance()->chapterRename(req))
        return false;
    row->name = name;
    emit dataChanged(index, index);
    emit sig_renamed(row->localChapterId, name);
    return true;
}
