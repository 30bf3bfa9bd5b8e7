#pragma once

#include <QAbstractButton>

class QLabel;
class QPushButton;

// One chapter tab of the creation page's top bar: the chapter's name, a
// close button and a separator line on its right. The button's text is the
// chapter's full name; the current tab is the checked one.
class CTabButton : public QAbstractButton
{
    Q_OBJECT
public:
    explicit CTabButton(QWidget *parent = nullptr);

    int localId() const { return m_localId; }
    void setChapter(int localId, const QString &name);
    void setCurrent(bool current);
    bool isCurrent() const { return m_current; }
    void setLineVisible(bool visible);
    bool isLineVisible() const;
    QPushButton *closeButton() const { return m_close; }

signals:
    void sig_close();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    int m_localId = 0;
    bool m_current = false;
    QLabel *m_text = nullptr;
    QPushButton *m_close = nullptr;
    QWidget *m_line = nullptr;
};
