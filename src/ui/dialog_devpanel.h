#pragma once

#include <QDialog>

class QLabel;
class QTimer;

// The developer panel (Ctrl+Shift+9): where this copy keeps its data and
// logs, which server it talks to, who is signed in, how many changes wait
// in the queue and whether a replay runs; with buttons to replay now and to
// open the log folder. Refreshed every second while shown.
class Dialog_DevPanel : public QDialog
{
    Q_OBJECT
public:
    explicit Dialog_DevPanel(QWidget *parent = nullptr);

    // The facts shown, in order, as (caption, value); public for tests.
    QList<QPair<QString, QString>> facts() const;

public slots:
    void refresh();

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    QList<QLabel *> m_values;
    QTimer *m_timer;
};
