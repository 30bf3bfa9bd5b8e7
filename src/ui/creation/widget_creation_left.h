#pragma once

#include <QWidget>

class QKeyEvent;

class QAction;
class QLabel;
class QListView;
class QMenu;
class QPropertyAnimation;
class QPushButton;
class ChapterListDelegate;
class ChapterListModel;
class Widget_BookListPreview;
class Widget_RecycleBin;
struct T_Book;
struct T_Chapter;

// The left panel of the creation page: the book's name, its chapter list
// with the context menu, sort, recycle bin and create buttons, and the
// preview of the author's books that slides over the list.
class Widget_Creation_Left : public QWidget
{
    Q_OBJECT
public:
    explicit Widget_Creation_Left(QWidget *parent = nullptr);

    // Shows the book; returns the chapter to open first (or none).
    T_Chapter *showBook(T_Book *book);
    T_Book *book() const { return m_book; }
    // Selects the chapter's row (no signal).
    void selectChapter(int localChapterId);
    int currentChapterId() const { return m_currentId; }
    // Rebuilds the rows and reselects the current chapter.
    void rebuild();
    void renameRow(int localChapterId);
    void hidePreview();

    QListView *listView() const { return m_list; }
    ChapterListModel *model() const { return m_model; }
    QMenu *menu() const { return m_menu; }
    QAction *previousAction() const { return m_actPrevious; }
    QAction *nextAction() const { return m_actNext; }
    QPushButton *createButton() const { return m_btnCreate; }
    QPushButton *sortButton() const { return m_btnAsc; }
    QPushButton *previewButton() const { return m_btnPreview; }
    Widget_BookListPreview *preview() const { return m_preview; }
    // The recycle bin, once opened.
    Widget_RecycleBin *recycleBin() const { return m_recycleBin; }

    // The steps behind the menu entries (the menu calls these).
    bool createChapter();
    bool moveChapter(int direction);
    // Asks first; true when the chapter was deleted.
    bool deleteChapter();
    bool removeChapter(int localChapterId);

public slots:
    void on_setBook(T_Book *book);
    void on_btn_creation_chapter_asc_clicked();
    void on_btn_creation_recycle_clicked();
    void on_btn_creation_chapter_create_clicked();
    void on_listViewPressedByLeftBtn(int localChapterId);
    void on_listViewPressedByRightBtn(int localChapterId, int row);
    void onRecyclePaint();

signals:
    // Open the chapter in the current tab, or in a new one.
    void sig_openChapter(int localChapterId, bool newTab);
    void sig_exportChapter(int localChapterId);
    void sig_chapterRenamed(int localChapterId, const QString &name);
    // The chapter is about to go to the recycle bin (its text is saved now).
    void sig_chapterDeleting(int localChapterId);
    // The chapter went to the recycle bin; `neighbour` opens instead (0: none).
    void sig_chapterDeleted(int localChapterId, int neighbour);
    // The menu asks for the chapter's time machine.
    void sig_timeMachine(int localChapterId);

protected:
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool onListKey(QKeyEvent *key);
    void buildMenu();
    void scheduleRebuild();
    void fillPreview();
    void setCurrent(int localChapterId);
    void openRecycleBin();

    T_Book *m_book = nullptr;
    int m_currentId = 0;
    bool m_rebuildPending = false;
    QLabel *m_bookName = nullptr;
    QPushButton *m_btnPreview = nullptr;
    QListView *m_list = nullptr;
    ChapterListModel *m_model = nullptr;
    ChapterListDelegate *m_delegate = nullptr;
    QWidget *m_bottom = nullptr;
    QPushButton *m_btnAsc = nullptr;
    QPushButton *m_btnRecycle = nullptr;
    QPushButton *m_btnCreate = nullptr;
    QMenu *m_menu = nullptr;
    QAction *m_actPrevious = nullptr;
    QAction *m_actNext = nullptr;
    QLabel *m_deleteItem = nullptr;
    Widget_BookListPreview *m_preview = nullptr;
    Widget_RecycleBin *m_recycleBin = nullptr;
    QPropertyAnimation *m_previewAnimation = nullptr;
};
