#pragma once

class QDialog;
class QPushButton;
class QWidget;

namespace PopupFrame {

// Lays the frame the program's small popups share into `dialog`: translucent
// and frameless (movable, not resizable), a shadowed "CommonWidgetBg" inside
// a 20-pixel margin (opaque and without margin or shadow where translucent
// windows cannot be drawn, see FramelessHelper::prepareWindow), and a 16-pixel "btn_close_popup" button that
// closes the dialog, for the caller's title row. Returns the background, which the caller gives its layout.
QWidget *build(QDialog *dialog, QPushButton **closeButton);

} // namespace PopupFrame
