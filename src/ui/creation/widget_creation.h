#pragma once

#include <QPointer>
#include <QWidget>

class QHBoxLayout;
class QParallelAnimationGroup;
class QPropertyAnimation;
class QPushButton;
class QVBoxLayout;
class Widget_Creation_Content;
class Widget_Creation_Left;
class Widget_Creation_Plane1;
class Widget_Creation_Top;
struct T_Book;
struct T_Chapter;

// The creation page (page 1 of the main window): the chapter list on the
// left, the tabs and window buttons on top, the editor below them. In full
// screen the list and the top bar float over the editor and slide in when
// the pointer reaches the window's left or top edge.
class Widget_Creation : public QWidget
{
    Q_OBJECT
public:
    explicit Widget_Creation(QWidget *parent = nullptr);

    void openBook(T_Book *book);
    // The main window went back to the bookshelf.
    void onBookshelfShown();
    void onWindowStateChanged(Qt::WindowStates state);

    // Opens a chapter of the open book in the current tab or a new one.
    bool openChapter(int localChapterId, bool newTab = false);
    void renameTab(int localChapterId, const QString &name);
    void exportCurrentChapter();
    // Opens the chapter's time machine (modal) after saving the editor; a
    // restored version of the open chapter is shown in the editor at once.
    void openTimeMachine(int localChapterId);
    // Saves and closes the chapter in every tab that shows it.
    void onChapterLeaving(int localChapterId);
    // The open book is about to be freed (deleted here or elsewhere): the
    // page shows no book any more.
    void forgetBook(T_Book *book);

    T_Book *book() const { return m_book; }
    Widget_Creation_Left *left() const { return m_left; }
    Widget_Creation_Top *top() const { return m_top; }
    Widget_Creation_Content *content() const { return m_content; }
    // The tools panel, once opened.
    Widget_Creation_Plane1 *toolsPanel() const;
    QPushButton *pinButton() const { return m_btnLockLeft; }
    bool isTopShown() const { return m_topShown; }
    bool isLeftShown() const { return m_leftShown; }
    bool isFullScreenLayout() const { return m_fullScreen; }

signals:
    void sig_setBook(T_Book *book);

public slots:
    void on_creation_setup1_clicked(bool isChecked);
    void on_creation_setup2_clicked();
    void on_creation_setup3_clicked();
    void on_creation_close();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    // Hidden (boss key, tray, back to the bookshelf): the tools panel goes
    // with the page, as the format and focus panels do.
    void hideEvent(QHideEvent *event) override;

private:
    void enterFullScreen();
    void leaveFullScreen();
    void slideTop(bool in);
    void slideLeft(bool in);
    void onPointerMoved(const QPoint &pos);
    void placePin();
    bool handleKey(QKeyEvent *event);
    void onChapterDeleted(int localChapterId, int neighbour);

    T_Book *m_book = nullptr;
    Widget_Creation_Left *m_left = nullptr;
    Widget_Creation_Top *m_top = nullptr;
    Widget_Creation_Content *m_content = nullptr;
    QPointer<Widget_Creation_Plane1> m_plane1;
    QHBoxLayout *m_row = nullptr;
    QVBoxLayout *m_column = nullptr;
    QPushButton *m_btnLockLeft = nullptr;
    QPropertyAnimation *m_topAnimation = nullptr;
    QPropertyAnimation *m_leftAnimation = nullptr;
    QPropertyAnimation *m_pinAnimation = nullptr;
    QParallelAnimationGroup *m_leftGroup = nullptr;
    bool m_fullScreen = false;
    bool m_topShown = true;
    bool m_leftShown = true;
    bool m_leftPinned = true;
    bool m_pinRemembered = true;
};
