#pragma once

#include <QDateTime>
#include <QPointer>
#include <QWidget>
#include <functional>

#include <QLabel>
class QPushButton;
struct T_WritingSession;

// The status line under the editor: the chapter's word count, the writing
// speed, typing and idle time, what the chapter earns and the clock, with
// two indicators for typing and idling and the remuneration button. In full
// screen the line hides and the clock and speed float at the editor's top
// right instead.
class Widget_Creation_Bottom : public QWidget
{
    Q_OBJECT
public:
    using Clock = std::function<QDateTime()>;

    explicit Widget_Creation_Bottom(QWidget *parent = nullptr);

    // The clock shown (the local time by default); tests pass their own.
    void setClock(Clock clock);

    // Refreshes every label from the session record; `typing` chooses the
    // lit indicator.
    void updateStatus(bool typing);

    // Creates the floating labels over `area` (the editor) for full screen.
    void attachFloatingLabels(QWidget *area);
    // Full screen hides the line and shows the floating labels.
    void setFullScreen(bool on);
    bool isFullScreen() const { return m_fullScreen; }

    // Texts of the labels.
    static QString speedText(const T_WritingSession &session);
    static QString durationText(qint64 seconds);
    // The chapter's earnings, cut (not rounded) to the fen: `words` at
    // `ratePerThousand` yuan per thousand words, "%.2f".
    static QString moneyText(int words, double ratePerThousand);

    QLabel *wordCountLabel() const { return m_wordCount; }
    QLabel *speedLabel() const { return m_speed; }
    QLabel *writeTimeLabel() const { return m_writeTime; }
    QLabel *freeTimeLabel() const { return m_freeTime; }
    QLabel *moneyLabel() const { return m_money; }
    QLabel *dateTimeLabel() const { return m_dateTime; }
    QPushButton *writeButton() const { return m_write; }
    QPushButton *freeButton() const { return m_free; }
    QPushButton *setMoneyButton() const { return m_setMoney; }
    QLabel *floatingClock() const { return m_floatClock; }
    QLabel *floatingSpeed() const { return m_floatSpeed; }

signals:
    void sig_openSetMoneyDlg();

public slots:
    void on_btn_setMoney_clicked();
    // The editor's one-second tick.
    void onCreationTick(bool typing) { updateStatus(typing); }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QLabel *addLabel(const char *name, int minWidth);
    void placeFloatingLabels();

    Clock m_clock;
    bool m_fullScreen = false;
    QLabel *m_wordCount = nullptr;
    QLabel *m_speed = nullptr;
    QLabel *m_writeTime = nullptr;
    QLabel *m_freeTime = nullptr;
    QLabel *m_money = nullptr;
    QLabel *m_dateTime = nullptr;
    QPushButton *m_write = nullptr;
    QPushButton *m_free = nullptr;
    QPushButton *m_setMoney = nullptr;
    QPointer<QWidget> m_floatArea;
    QPointer<QLabel> m_floatClock;
    QPointer<QLabel> m_floatSpeed;
};
