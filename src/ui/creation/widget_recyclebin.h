#pragma once

#include <QDialog>

class QLabel;
class QListView;
class QMenu;
class QPushButton;
class QTextEdit;
class ChapterListDelegate;
class ChapterListModel;
struct T_Book;
struct T_Chapter;

// The recycle bin of one book: its recycled chapters, the selected one's
// text (read-only) with its creation time, length and days left, and a
// menu to recover chapters or delete them for good, one or all at once.
class Widget_RecycleBin : public QDialog
{
    Q_OBJECT
public:
    static const int kKeepDays = 30;

    explicit Widget_RecycleBin(QWidget *parent = nullptr);

    // Fills the window for `book`: its recycled chapters, the first one shown.
    void setBook(T_Book *book);
    T_Book *book() const { return m_book; }
    T_Chapter *currentChapter() const { return m_chapter; }

    // Whole days a chapter recycled at `recycledAt` has left at `now`,
    // rounded up, never below 0.
    static int daysLeft(qint64 recycledAt, qint64 now);

    // The menu's steps on the chapter shown (false when there is none or
    // the store refused).
    bool deleteCurrent();
    bool recoverCurrent();
    void deleteAll();
    // The menu's "Delete All": asks first, as nothing brings them back.
    bool confirmDeleteAll();
    void recoverAll();

    QListView *listView() const { return m_list; }
    ChapterListModel *model() const { return m_model; }
    QMenu *menu() const { return m_menu; }
    QLabel *createTimeLabel() const { return m_creatTime; }
    QLabel *wordCountLabel() const { return m_wordCount; }
    QLabel *daysLeftLabel() const { return m_dateTime; }
    QTextEdit *textView() const { return m_text; }
    QPushButton *closeButton() const { return m_close; }

public slots:
    void on_btn_close_clicked();
    void onMousePressedByLeftBtn(int localChapterId);
    void onMousePressedByRightBtn(int localChapterId, int row);

signals:
    // Chapters left or entered the book's lists: the chapter list rebuilds.
    void sig_Replain();

private:
    void showDetails(T_Chapter *chapter);
    void clearDetails();
    void reloadList();
    // The list again from the book; the details go when their chapter left.
    void refresh();
    // The chapter to show after `chapter` leaves the list: the next one, or
    // the previous one when it was the last.
    T_Chapter *neighbourOf(const T_Chapter *chapter) const;
    bool recycleJob(T_Chapter *chapter, int status);
    bool deleteJob(T_Chapter *chapter);
    void afterRemoval(T_Chapter *neighbour);

    T_Book *m_book = nullptr;
    T_Chapter *m_chapter = nullptr;
    QListView *m_list = nullptr;
    ChapterListModel *m_model = nullptr;
    ChapterListDelegate *m_delegate = nullptr;
    QLabel *m_creatTime = nullptr;
    QLabel *m_wordCount = nullptr;
    QLabel *m_dateTime = nullptr;
    QTextEdit *m_text = nullptr;
    QPushButton *m_close = nullptr;
    QMenu *m_menu = nullptr;
};
