#pragma once

#include <QTimer>
#include <QWidget>
#include <functional>

class QButtonGroup;
class QLabel;
class QMovie;
class QPushButton;

// The bookshelf's top bar: synchronise (with its animation shown for at
// least two seconds, then the result tip), memo list, theme, settings and
// the window buttons.
class Widget_Bookshelf_Top : public QWidget
{
    Q_OBJECT
public:
    explicit Widget_Bookshelf_Top(QWidget *parent = nullptr);

    void startSynchronization();
    // `why`: what failed, shown with the failure; `tell` false shows no tip.
    void endSynchronization(bool ok, const QString &why = QString(), bool tell = true);
    // The step that ends the display, run again until two seconds have passed.
    void finishSynchronization();
    void onStyleChanged(int style);
    void onWindowStateChanged(Qt::WindowStates state);

    // Milliseconds since the epoch; tests set their own.
    void setClock(std::function<qint64()> clock) { m_clock = std::move(clock); }
    static constexpr int kMinimumSyncMs = 2000;

    QPushButton *syncButton() const { return m_btnSyn; }
    QLabel *syncLabel() const { return m_labelSync; }
    // The title names the page shown below the bar (a page of the content stack).
    void setPageTitle(int page);
    QString pageTitle() const;
    QPushButton *memoButton() const { return m_btnMemo; }
    QPushButton *styleButton() const { return m_btnStyle; }
    QPushButton *setupButton() const { return m_btnSetup; }
    QPushButton *maximiseButton() const { return m_btnMax; }
    QButtonGroup *group() const { return m_group; }
    QTimer *syncEndTimer() { return &m_endTimer; }

signals:
    void sig_showPage(int page);

private:
    void playAnimation(int style);

    QPushButton *m_btnSyn;
    QLabel *m_labelSync;
    QLabel *m_title;
    QMovie *m_movie = nullptr;
    QPushButton *m_btnMemo;
    QPushButton *m_btnStyle;
    QPushButton *m_btnSetup;
    QPushButton *m_btnMin;
    QPushButton *m_btnMax;
    QPushButton *m_btnClose;
    QButtonGroup *m_group;
    QTimer m_endTimer;
    bool m_pendingOk = false;
    QString m_pendingWhy;
    bool m_pendingTell = true;
    std::function<qint64()> m_clock;
};
