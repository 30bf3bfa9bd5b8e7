#pragma once

#include <QList>
#include <QWidget>

class QButtonGroup;
class QHBoxLayout;
class QPushButton;
class CTabButton;

// The top bar of the creation page: up to five chapter tabs and the window
// buttons (tools, full screen, power while locked, minimise, maximise, close).
class Widget_Creation_Top : public QWidget
{
    Q_OBJECT
public:
    static const int kTabCount = 5;

    explicit Widget_Creation_Top(QWidget *parent = nullptr);

    // Tabs. Each returns whether the chapter is now shown by the current tab.
    bool openInCurrentTab(int localChapterId, const QString &name);
    bool openInNewTab(int localChapterId, const QString &name);
    void renameTab(int localChapterId, const QString &name);
    // Takes a chapter out of every tab (it was deleted).
    void forgetChapter(int localChapterId);
    void closeAllTabs();
    // Hides a tab as its close button does; the next one becomes current.
    void closeTab(CTabButton *tab);
    CTabButton *currentTab() const { return m_current; }
    int currentChapterId() const;
    QList<CTabButton *> visibleTabs() const;
    QList<CTabButton *> tabs() const { return m_tabs; }
    // Numbers the five tabs 0 to 4 and keeps one of them checked.
    QButtonGroup *tabGroup() const { return m_tabGroup; }

    // Shows the buttons that fit the window state and the lock.
    void updateButtons(Qt::WindowStates state, bool locked);

    QPushButton *setupButton() const { return m_btnSetup1; }
    QPushButton *fullScreenButton() const { return m_btnFullscreen; }
    QPushButton *rebootButton() const { return m_btnReboot; }

public slots:
    void on_btn_creation_close_clicked();
    void on_btn_max_clicked();
    void on_btn_min_clicked();
    void on_btn_creation_setup1_clicked();
    void on_btn_fullscreen_clicked();
    void on_btnReboot_clicked();
    void onTabBtnClose();

signals:
    void sig_creation_setup1_clicked(bool bChecked);
    void sig_creation_setup2_clicked();
    void sig_creation_close();
    // A tab became current by the author's hand: open its chapter.
    void sig_tabChapter(int localChapterId);
    // Asked before the power dialog acts: save what is open.
    void sig_saveRequested();

private:
    void setCurrent(CTabButton *tab);
    CTabButton *tabShowing(int localChapterId) const;
    void refreshLines();

    QHBoxLayout *m_tabLayout = nullptr;
    QList<CTabButton *> m_tabs; // in tab order; hidden ones at the end
    QButtonGroup *m_tabGroup = nullptr;
    CTabButton *m_current = nullptr;
    QPushButton *m_btnSetup1 = nullptr;
    QWidget *m_line1 = nullptr;
    QPushButton *m_btnFullscreen = nullptr;
    QPushButton *m_btnReboot = nullptr;
    QPushButton *m_btnMin = nullptr;
    QPushButton *m_btnMax = nullptr;
    QPushButton *m_btnClose = nullptr;
};
