#pragma once

#include <QWidget>
#include <functional>

class QListView;
class QStringListModel;
class CBookListDelegate;
class CBookListModel;
struct T_Book;

// Page 0 of the bookshelf: the grid of the author's books with the add-book
// tile, and what its menus lead to (create, import, information, delete).
class Widget_BookShelfList : public QWidget
{
    Q_OBJECT
public:
    explicit Widget_BookShelfList(QWidget *parent = nullptr);

    // Rebuilds the grid from the shared book list.
    void initData();
    // The book jobs put a book into the shared list at `row` (always 0).
    void addBook(T_Book *book, int row, bool isImport);
    // The book that stood at `row` of the shared list was taken out.
    void removeBook(int row, int localBookId);
    void refreshBook(int row);
    void refreshAll();
    // The system covers found in data/cover, shared by the book dialogs.
    QStringListModel *coverModel() const { return m_covers; }
    void loadSystemCovers();

    QListView *listView() const { return m_listView; }
    CBookListModel *model() const { return m_model; }
    CBookListDelegate *delegate() const { return m_delegate; }

    // Where the import asks for its file; tests answer in place of the dialog.
    void setFileChooser(std::function<QString()> chooser) { m_chooseFile = std::move(chooser); }

public slots:
    void onOpen(int localBookId);
    void onInfo(int localBookId, int index);
    void onDelete(int localBookId, const QString &bookName, int index);
    void onCreate();
    void onImport();

protected:
    // The keyboard on the grid: arrows move between tiles, Return or Space
    // opens, the menu key or Shift+F10 shows the tile's menu.
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QListView *m_listView;
    CBookListModel *m_model;
    CBookListDelegate *m_delegate;
    QStringListModel *m_covers;
    std::function<QString()> m_chooseFile;
};
