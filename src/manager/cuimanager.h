#pragma once

#include <QObject>
#include <QPoint>
#include <QPointer>
#include <functional>

class QDialog;
class QKeyEvent;
class QWidget;
class CQuorvinDb;
class CQssManager;
class MainWindow;
class Widget_Bookshelf;
class Widget_Creation;
struct T_Book;
struct T_Chapter;
struct T_ItemData;
struct T_SessionData;

// The one way the coordinator and the pages reach the windows: the main
// window or the login dialog, page switching and sizing, closing, the
// window side of the writing lock, and the signals that fan keyboard and
// tool-panel events out to the editor.
class CUiManager : public QObject
{
    Q_OBJECT
public:
    static CUiManager *instance();

    void setPages(Widget_Bookshelf *bookshelf, Widget_Creation *creation);
    MainWindow *mainWindow() const;
    QDialog *loginDialog() const;
    Widget_Bookshelf *bookshelf() const;
    Widget_Creation *creation() const;

    // Builds the login dialog (Dialog_LoginMain unless a test sets another).
    void setLoginFactory(std::function<QDialog *()> factory) { m_loginFactory = std::move(factory); }

    void showMain();
    void showLogin();
    // Opens the author's profile (Dialog_UserInfo) modally over the main
    // window; returns when it is closed.
    void showUserInfo();
    void showBookshelf();
    void showCreation(T_Book *book);
    void toggleMaximized();
    void showMinimized();
    // Another start on the same data folder: the window the author works in
    // (a dialog over it first) comes back from the tray or the task bar.
    void bringToFront();
    void requestClose();
    // Where the author closes into the tray: hides the main window when a
    // system tray exists to bring it back from, else minimises it.
    void closeToTray();
    bool isTrayAvailable() const;
    // Decides whether a tray exists instead of the system (tests).
    void setTrayProbe(std::function<bool()> probe) { m_trayProbe = std::move(probe); }
    bool isLocked() const;
    void setLock(bool on);
    void setPowerboot(bool on);
    void setWindowFullScreen(bool on);
    void toggleTheme();
    // Shows a toast in the main window (types of Widget_ClientTips).
    void showTips(const QString &text, int type = 1);

    bool isBookshelfShown() const;
    bool isFullScreen() const;
    QPoint windowPos() const;
    int windowWidth() const;
    int windowHeight() const;
    Qt::WindowStates windowState() const;

    // Synchronisation: set by the coordinator when it starts, cleared here.
    int syncRunning() const { return m_syncRunning; }
    void setSyncRunning(int running);
    // A replay pass ended; `why` says what failed. `tell` false keeps the
    // result quiet (a retry that failed again for a reason already told).
    void onSyncEnded(bool ok, const QString &why = QString(), bool tell = true);
    // Set while a book import runs (GUI thread only).
    bool importRunning() const { return m_importRunning; }
    void setImportRunning(bool running) { m_importRunning = running; }
    // Set while a chapter name is edited in place in the chapter list.
    bool isRenaming() const { return m_renaming; }
    void setRenaming(bool renaming) { m_renaming = renaming; }

    // The book jobs changed the shared book list: a book was put in at `row`
    // (always 0), or the book that stood at `row` was taken out.
    void addBook(T_Book *book, int row, bool isImport);
    void removeBook(int row, T_Book *book);
    // The book list or one book changed: the pages that show them redraw.
    void onBookListChanged();
    void onBookChanged(T_Book *book);
    void onChapterListChanged(T_Book *book);
    // A chapter is about to go to the recycle bin or be deleted: whatever
    // shows it saves its text and lets it go while it is still there.
    void onChapterLeaving(int localChapterId);
    // The server's text replaced the chapter's stored text `previous`.
    void onChapterTextReplaced(T_Chapter *chapter, const QString &previous);

    static int countWords(const QString &text);
    static void toHtml(const QString &text, QString &html, int lineHeight, int indent, int fontSize);
    void centreOn(QWidget *widget, QWidget *over = nullptr) const;
    void placeAtCursor(QWidget *widget, bool keepBelow) const;
    void showDbError(const QString &text) const;

    // Writes the author record (theme and window size) and ends the program;
    // while text could not be written to the store, asks first (below).
    void quitApplication();
    // False when the author chose to go back to writing: the store did not
    // take the open chapter's text, and the author is offered to save it
    // as a text file before the program ends.
    bool confirmQuitWithUnsaved();
    // Asks for the path of that text file (a file dialog unless a test sets another).
    void setSaveFileChooser(std::function<QString(QWidget *, const QString &)> chooser)
    {
        m_saveFileChooser = std::move(chooser);
    }
    // Asks every open page to save its work (sig_SaveAll) and writes the
    // author record (theme, window size).
    void saveAll();
    // Only the first half of saveAll: the open pages' work.
    void saveWork();
    // Closes the main window and the login dialog at once (end of a pass).
    void closeWindows();

signals:
    void sig_Creation_Btn_Press(T_ItemData *pItem);
    void sig_Creation_HotKey_Press(QKeyEvent *evt);
    void sig_GlobalKeyPress_Win(int keyCode);
    void sig_BookListChanged();
    void sig_BookChanged(T_Book *book);
    void sig_ChapterListChanged(T_Book *book);
    void sig_ChapterLeaving(int localChapterId);
    // An open editor that still shows `previous` shows the chapter's new text.
    void sig_ChapterTextReplaced(T_Chapter *chapter, const QString &previous);
    // Every tip shown (or asked for before the main window exists).
    void sig_TipShown(const QString &text, int type);
    // Emitted before the program quits, by any road (the close button, a
    // session logout or SIGTERM, the session manager): whatever holds
    // unsaved work (the open editor) saves it now, through the coordinator,
    // in a direct connection. Settings, theme and window state follow.
    void sig_SaveAll();

private:
    explicit CUiManager(QObject *parent = nullptr);

    void dismissLater(QWidget *widget);
    void resizeForPage(int page);
    void setMargin(int margin);
    void closeMemoWindows();
    void showLockTipLater(bool locked);

    int m_syncRunning = 0;
    bool m_importRunning = false;
    bool m_renaming = false;
    CQuorvinDb *m_db;
    T_SessionData &m_session;
    CQssManager *m_qss;
    QPointer<MainWindow> m_mainWindow;
    QPointer<QDialog> m_login;
    QPointer<Widget_Bookshelf> m_bookshelf;
    QPointer<Widget_Creation> m_creation;
    std::function<QDialog *()> m_loginFactory;
    std::function<bool()> m_trayProbe;
    std::function<QString(QWidget *, const QString &)> m_saveFileChooser;
};
