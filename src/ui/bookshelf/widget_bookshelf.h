#pragma once

#include <QWidget>

class QButtonGroup;
class QLabel;
class QPushButton;
class CZtHeadButton;
class Widget_BookShelfList;
class Widget_Bookshelf_Content;
class Widget_Bookshelf_Top;
struct T_Book;

// The bookshelf page (page 0 of the main window): the left column with the
// author and the three navigation buttons, the top bar, and the content
// stack of the bookshelf pages.
class Widget_Bookshelf : public QWidget
{
    Q_OBJECT
public:
    explicit Widget_Bookshelf(QWidget *parent = nullptr);

    // Fills the page from the signed-in author's session: name, head image
    // and the grid of books.
    void loadData();
    void setUser();
    void loadUserHeadImg(const QString &path = QString());
    void onWindowStateChanged(Qt::WindowStates state);
    void onStyleChanged(int style);
    void startSync();
    void endSync(bool ok, const QString &why = QString(), bool tell = true);
    // Shows page n of the content stack and keeps the two button groups right.
    void showPage(int page);

    // The book list changed (see CUiManager).
    void addBook(T_Book *book, int row, bool isImport);
    void removeBook(int row, int localBookId);
    void refreshBook(T_Book *book);
    void refreshBooks();

    QPushButton *maximiseButton() const;
    Widget_Bookshelf_Top *top() const { return m_top; }
    Widget_Bookshelf_Content *content() const { return m_content; }
    Widget_BookShelfList *bookList() const;
    QButtonGroup *navigation() const { return m_nav; }
    CZtHeadButton *headButton() const { return m_btnHeadImg; }
    QLabel *nameLabel() const { return m_labelName; }

protected:
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    QWidget *buildLeft();

    Widget_Bookshelf_Top *m_top = nullptr;
    Widget_Bookshelf_Content *m_content = nullptr;
    QButtonGroup *m_nav = nullptr;
    CZtHeadButton *m_btnHeadImg = nullptr;
    QLabel *m_labelName = nullptr;
};
