#pragma once

#include <QRect>

class CreationControlItemDelegate;
class CreationControlItemModel;
class QListView;
class QWidget;

// The frame the creation tool panels share: a rounded background (with the
// soft shadow where translucent windows work, opaque and without margin
// where they do not) holding the panel's list of rows.
struct CreationPanelFrame
{
    QWidget *background = nullptr;
    QListView *list = nullptr;
    CreationControlItemModel *model = nullptr;
    CreationControlItemDelegate *delegate = nullptr;
    int margin = 0; // shadow margin around the background

    // Lays the frame into `window` for `panel`, with `spacing` between rows.
    void build(QWidget *window, int panel, int spacing);
    // Sizes the window so the list shows `rows` rows (at most `maxRows`).
    void fitRows(QWidget *window, int width, int maxRows = 0);
    // The background's rectangle on the screen.
    QRect visibleGeometry(const QWidget *window) const;
    // Moves `window` so that its background's top-left lands on `topLeft`.
    void moveBackgroundTo(QWidget *window, const QPoint &topLeft) const;
};
