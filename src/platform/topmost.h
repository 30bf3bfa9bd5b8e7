#pragma once

class QWidget;

namespace Platform {

// Keeps a top-level window above the others (on) or lets it go (off).
void setTopmost(QWidget *window, bool on);
bool isTopmost(const QWidget *window);

} // namespace Platform
