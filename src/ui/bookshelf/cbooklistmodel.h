#pragma once

#include <QAbstractListModel>
#include <QMetaType>
#include <QString>

struct T_Book;
struct T_SessionData;

// What the model hands the painter for one book.
struct BookShelf_Book
{
    int localBookId = 0;
    int wordNum = 0;
    QString bookName;
    QString localCover;
    bool isSyncing = false;
    bool isImporting = false;
    int stepTotal = 0;
    int stepDone = 0;
};
Q_DECLARE_METATYPE(BookShelf_Book)

// Mirrors the signed-in author's book list row for row; it holds no books
// of its own. The book jobs change the shared list first, then the model
// announces the rows: `count` is what the view has been told, so between
// the two steps the view never reads a row it does not know about.
//
// Mode 0 is the bookshelf grid, whose extra last row is the add-book tile;
// mode 1 the compact list of the creation page.
class CBookListModel : public QAbstractListModel
{
    Q_OBJECT
public:
    enum Mode
    {
        Grid = 0,
        Compact = 1
    };

    explicit CBookListModel(int mode, QObject *parent = nullptr);

    int mode() const { return m_mode; }
    int count() const { return m_count; }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    bool insertRows(int row, int count, const QModelIndex &parent = QModelIndex()) override;
    bool removeRows(int row, int count, const QModelIndex &parent = QModelIndex()) override;

    // One book was put into the shared list at `row`.
    void insertBook(int row);
    // The book that stood at `row` was taken out of the shared list.
    void removeBook(int row);
    void refresh(int row, int n = 1);
    // The book at `row` was just updated: it moves to the front of the shared
    // list and of the grid (the shelf shows the latest update first).
    void moveToFront(int row);
    void clear();
    // Announces the whole shared list again.
    void reload();

    // The row of the book with that local id, or -1.
    int rowOf(int localBookId) const;
    // What a screen reader says for a tile: the book's name, size and state,
    // or what the add tile does.
    QString accessibleText(const QModelIndex &index) const;
    bool isAddTile(const QModelIndex &index) const;

private:
    int m_mode;
    int m_count = 0;
    T_SessionData &m_session;
};
