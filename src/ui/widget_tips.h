#pragma once

#include <QWidget>

class QLabel;

// A tip centred on its parent that hides itself after a delay.
class widget_tips : public QWidget
{
    Q_OBJECT
public:
    explicit widget_tips(QWidget *parent = nullptr, int hideDelayMs = 2000);

    void setText(const QString &text);
    void setHideDelay(int ms) { m_hideDelayMs = ms; }
    int hideDelay() const { return m_hideDelayMs; }
    QLabel *label() const { return m_label; }

protected:
    void showEvent(QShowEvent *event) override;

private:
    void centreOnParent();

    QLabel *m_label = nullptr;
    int m_hideDelayMs;
    int m_generation = 0;
};
