#pragma once

#include <QWidget>

class QLabel;

// A plain floating tip: a label the caller places and shows.
class Float_Tips : public QWidget
{
    Q_OBJECT
public:
    explicit Float_Tips(QWidget *parent = nullptr);

    void setText(const QString &text);
    QString text() const;

private:
    QLabel *m_label = nullptr;
};
