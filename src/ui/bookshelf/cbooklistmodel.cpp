#include "cbooklistmodel.h"

#include "db/records.h"

CBookListModel::CBookListModel(int mode, QObject *parent)
    : QAbstractListModel(parent), m_mode(mode), m_session(T_SessionData::instance())
{
    qRegisterMetaType<BookShelf_Book>("BookShelf_Book");
}

int CBookListModel::rowCount(const QModelIndex &parent) const
{
    if (parent.isValid())
        return 0;
    return m_mode == Grid ? m_count + 1 : m_count;
}

QVariant CBookListModel::data(const QModelIndex &index, int role) const
{
    if (role == Qt::AccessibleTextRole)
        return accessibleText(index);
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= m_session.books.size() ||
        index.row() >= m_count)
        return QVariant();
    const T_Book *book = m_session.books.at(index.row());
    BookShelf_Book value;
    value.localBookId = book->localId;
    value.wordNum = book->wordNum;
    value.bookName = book->bookName;
    value.localCover = book->localCover;
    value.isSyncing = book->isSyncing;
    value.isImporting = book->isImporting;
    value.stepTotal = book->stepTotal;
    value.stepDone = book->stepDone;
    return QVariant::fromValue(value);
}

bool CBookListModel::insertRows(int row, int count, const QModelIndex &parent)
{
    if (parent.isValid() || count < 1 || row < 0 || row > m_count)
        return false;
    beginInsertRows(QModelIndex(), row, row + count - 1);
    m_count += count;
    endInsertRows();
    return true;
}

bool CBookListModel::removeRows(int row, int count, const QModelIndex &parent)
{
    if (parent.isValid() || count < 1 || row < 0 || row + count > m_count)
        return false;
    beginRemoveRows(QModelIndex(), row, row + count - 1);
    m_count -= count;
    endRemoveRows();
    return true;
}

void CBookListModel::insertBook(int row)
{
    insertRows(qBound(0, row, m_count), 1);
    // Whatever went before, the rows shown are the shared list's.
    if (m_count != m_session.books.size())
        reload();
}

void CBookListModel::removeBook(int row)
{
    if (!removeRows(row, 1) || m_count != m_session.books.size())
        reload();
}

void CBookListModel::refresh(int row, int n)
{
    if (row < 0 || n < 1 || row >= m_count)
        return;
    emit dataChanged(index(row), index(qMin(row + n, m_count) - 1));
}

void CBookListModel::clear()
{
    beginResetModel();
    m_count = 0;
    endResetModel();
}

void CBookListModel::reload()
{
    beginResetModel();
    m_count = m_session.books.size();
    endResetModel();
}

int CBookListModel::rowOf(int localBookId) const
{
    for (int row = 0; row < m_count && row < m_session.books.size(); ++row)
        if (m_session.books.at(row)->localId == localBookId)
            return row;
    return -1;
}

bool CBookListModel::isAddTile(const QModelIndex &index) const
{
    return m_mode == Grid && index.isValid() && index.row() == m_count;
}

void CBookListModel::moveToFront(int row)
{
    auto &books = m_session.books;
    if (row <= 0 || row >= books.size() || row >= m_count) {
        refresh(row);
        return;
    }
    beginMoveRows(QModelIndex(), row, row, QModelIndex(), 0);
    books.move(row, 0);
    endMoveRows();
    refresh(0);
}

QString CBookListModel::accessibleText(const QModelIndex &index) const
{
    if (!index.isValid())
        return QString();
    if (isAddTile(index))
        return tr("Add a book: create or import");
    if (index.row() >= m_session.books.size() || index.row() >= m_count)
        return QString();
    const T_Book *book = m_session.books.at(index.row());
    QString text = tr("%1, %2 characters").arg(book->bookName).arg(book->wordNum);
    if (book->isSyncing)
        text += tr(", synchronising");
    else if (book->isImporting)
        text += tr(", importing");
    return text;
}
