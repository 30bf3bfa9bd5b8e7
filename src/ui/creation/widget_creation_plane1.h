#pragma once

#include "creationpanelframe.h"

#include <QWidget>

// The tools panel of the creation page: export, import, names, typesetting,
// sensitive words, theme, writing lock, typing sounds and memos. A popup
// that closes on any click outside it or on a row.
class Widget_Creation_Plane1 : public QWidget
{
    Q_OBJECT
public:
    explicit Widget_Creation_Plane1(QWidget *parent = nullptr);

    CreationControlItemModel *model() const { return m_frame.model; }
    QListView *list() const { return m_frame.list; }
    QRect visibleGeometry() const { return m_frame.visibleGeometry(this); }

    // Opens below the top bar's tools button, right edges in line, kept on
    // the button's screen.
    void showBelow(QWidget *button);

protected:
    void showEvent(QShowEvent *event) override;

private:
    CreationPanelFrame m_frame;
};
