#pragma once

#include <QMainWindow>
#include <QPointer>

class QHBoxLayout;
class QMenu;
class QStackedWidget;
class QSystemTrayIcon;
class CUiManager;
class Dialog_DevPanel;
class FramelessHelper;
class QxtGlobalShortcut;
class Widget_Bookshelf;
class Widget_ClientTips;
class Widget_StoreWarning;
class Widget_Creation;
struct T_SessionData;

// The one main window: frameless and translucent, with a shadow margin
// around a stack of the bookshelf (page 0) and the creation page (page 1);
// the tray icon and the global shortcuts live with it.
class MainWindow : public QMainWindow
{
    Q_OBJECT
public:
    explicit MainWindow(QWidget *parent = nullptr);
    ~MainWindow() override;

    // Sets the boss key from its portable text; false when the system refuses it.
    bool setBoosKey(const QString &keys);
    void showTips(const QString &text, int type);

    void setShadowMargin(int margin);
    int shadowMargin() const;

    QStackedWidget *stack() const { return m_stack; }
    QSystemTrayIcon *trayIcon() const { return m_tray; }
    QMenu *trayMenu() const { return m_trayMenu; }
    Widget_ClientTips *tips() const { return m_tips; }
    Widget_StoreWarning *storeWarning() const { return m_storeWarning; }
    FramelessHelper *frameless() const { return m_frameless; }
    QxtGlobalShortcut *bossKey() const { return m_bossKey; }
    QxtGlobalShortcut *unlockKey() const { return m_unlockKey; }
    QxtGlobalShortcut *devPanelKey() const { return m_devPanelKey; }

    // What Ctrl+Shift+9 opens: one developer panel, centred on the window.
    void showDevPanel();
    Dialog_DevPanel *devPanel() const;

    // What the tray's two actions and the boss key do.
    void restoreFromTray();
    void quitFromTray();
    void toggleHidden();

protected:
    void closeEvent(QCloseEvent *event) override;
    void changeEvent(QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void buildForm();
    void buildTray();
    void buildShortcuts();
    void placeTips();

    QHBoxLayout *m_centralLayout = nullptr;
    QStackedWidget *m_stack = nullptr;
    Widget_Bookshelf *m_bookshelf = nullptr;
    Widget_Creation *m_creation = nullptr;
    CUiManager *m_ui;
    T_SessionData &m_session;
    FramelessHelper *m_frameless = nullptr;
    bool m_translucent = true; // false: opaque, no shadow margin
    QSystemTrayIcon *m_tray = nullptr;
    QMenu *m_trayMenu = nullptr;
    QxtGlobalShortcut *m_bossKey = nullptr;
    QxtGlobalShortcut *m_unlockKey = nullptr;
    QxtGlobalShortcut *m_devPanelKey = nullptr;
    QPointer<Dialog_DevPanel> m_devPanel;
    Widget_ClientTips *m_tips = nullptr;
    Widget_StoreWarning *m_storeWarning = nullptr;
};
