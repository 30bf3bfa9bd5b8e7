#pragma once

#include <QHash>
#include <QPixmap>
#include <QPoint>
#include <QStyledItemDelegate>

class QLabel;
class QMenu;
class QWidgetAction;
struct BookShelf_Book;
class QListView;

// Paints the books of CBookListModel (grid or compact) and turns clicks on
// a cover into the page's signals: open, information and delete through the
// book menu, create and import through the add menu of the last tile.
// Scaled covers are kept, so repainting (scrolling) reads no file again.
class CBookListDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    CBookListDelegate(int mode, QListView *view);

    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;
    bool editorEvent(QEvent *event, QAbstractItemModel *model, const QStyleOptionViewItem &option,
                     const QModelIndex &index) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

    // The keyboard's way to a tile (Return, Space; the menu key or Shift+F10
    // for `menu`): opens the book or pops up its menu, or the add menu on
    // the add tile, at the tile. True when the index was a tile.
    bool activate(const QModelIndex &index, bool menu);

    QMenu *bookMenu() const { return m_bookMenu; }
    QMenu *addMenu() const { return m_addMenu; }
    int hoverRow() const { return m_hover ? m_hoverRow : -1; }

    static QRect coverRect(int mode, const QRect &item);
    static QRect hitRect(int mode, const QRect &item);
    // A cover file scaled to `size`, read once; null when it does not load.
    static QPixmap cover(const QString &path, const QSize &size);
    // What the grid writes under a cover: the state while busy, else the name.
    static QString captionOf(const BookShelf_Book &book);
    static int coverLoads() { return s_coverLoads; }
    static void forgetCovers();

signals:
    void sig_open(int localBookId);
    void sig_info(int localBookId, int index);
    void sig_delete(int localBookId, QString bookName, int index);
    void sig_create();
    void sig_import();

private:
    void paintGrid(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const;
    void paintCompact(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const;
    void buildMenus(QWidget *parent);
    void repaintRow(int row);
    static QMenu *popupMenu(QWidget *parent, const QString &name);

    int m_mode;
    QListView *m_view;
    int m_pressed = -1;
    bool m_hover = false;
    int m_hoverRow = -1;
    QPoint m_pos;
    QPixmap m_darkShade;
    QMenu *m_bookMenu = nullptr;
    QMenu *m_addMenu = nullptr;
    QLabel *m_deleteLabel = nullptr;
    QWidgetAction *m_deleteAction = nullptr;

    static QHash<QString, QPixmap> s_covers;
    static int s_coverLoads;
};
