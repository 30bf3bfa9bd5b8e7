#pragma once

#include <QObject>
#include <QRect>

class QWidget;

// Where the program's windows open: centred on the window they belong to,
// after their layout has given them their size, and always inside the
// available area of the screen (never under its edge or under a panel).
namespace WindowPlacement {

// The rectangle of `size` centred on `centre` and then moved into
// `available`; a window larger than the area keeps its top-left corner in it.
QRect centredInside(const QSize &size, const QPoint &centre, const QRect &available);

// Lets `widget`'s layout size it (unless it was given a size), then centres
// it on `over` (a window or a widget inside one) and keeps it on screen.
void centre(QWidget *widget, QWidget *over);

// The available area of the screen that shows `point` (the primary screen
// when none does).
QRect availableAt(const QPoint &point);

// An application-wide filter: every modal dialog is centred on its parent's
// window the moment it is shown, whoever opened it (the program's own
// dialogs, the file dialogs, message boxes).
class DialogPlacer : public QObject
{
    Q_OBJECT
public:
    explicit DialogPlacer(QObject *parent = nullptr);
    // Installs one placer on the application (again is harmless).
    static void install();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
};

} // namespace WindowPlacement
