#pragma once

#include <QList>
#include <QMetaType>
#include <QStringListModel>

struct T_Book;
struct T_Chapter;

// One row of the chapter list (or of the recycle bin's list).
struct T_ChapterListItem
{
    int localBookId = 0;
    int localChapterId = 0; // rows whose id is not above 0 are inert
    QString name;
};
Q_DECLARE_METATYPE(T_ChapterListItem *)

// The chapters of one book as list rows, in the order the book's sort flag
// asks for. The display data of a row is its T_ChapterListItem; editing a
// row renames the chapter.
class ChapterListModel : public QStringListModel
{
    Q_OBJECT
public:
    explicit ChapterListModel(QObject *parent = nullptr);
    ~ChapterListModel() override;

    // Rebuilds the rows from the book's live chapters (or its recycled ones).
    void reload(const T_Book *book, bool recycled = false);
    // The chapters in row order.
    static QList<T_Chapter *> ordered(const T_Book *book, bool recycled = false);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

    T_ChapterListItem *item(int row) const;
    int rowOf(int localChapterId) const;
    int sortDesc() const { return m_sortDesc; }

signals:
    // A row was renamed (its rename is queued).
    void sig_renamed(int localChapterId, const QString &name);

private:
    void freeItems();

    QList<T_ChapterListItem *> m_items;
    int m_rows = 0;
    int m_sortDesc = 0;
};
