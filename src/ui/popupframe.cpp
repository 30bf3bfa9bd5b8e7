#include "popupframe.h"

#include "framelesshelper.h"
#include "manager/cqssmanager.h"
#include "platform/translucency.h"

#include <QDialog>
#include <QPushButton>
#include <QVBoxLayout>

namespace PopupFrame {

QWidget *build(QDialog *dialog, QPushButton **closeButton)
{
    // Without a compositing manager the transparent margin would be black:
    // the frame is then opaque, without margin and shadow.
    const bool translucent = Platform::translucentWindowsWork();
    dialog->setAttribute(Qt::WA_TranslucentBackground, translucent);
    dialog->setWindowFlags(dialog->windowFlags() | Qt::FramelessWindowHint);
    auto *frameless = new FramelessHelper(dialog);
    frameless->activateOn(dialog);
    frameless->setWidgetResizable(false);

    auto *outer = new QVBoxLayout(dialog);
    const int margin = translucent ? 20 : 0;
    outer->setContentsMargins(margin, margin, margin, margin);
    auto *bg = new QWidget(dialog);
    bg->setObjectName("CommonWidgetBg");
    bg->setAttribute(Qt::WA_StyledBackground);
    if (translucent)
        CQssManager::setShadow(bg);
    else
        bg->setStyleSheet(QStringLiteral("#CommonWidgetBg { border-radius: 0px; }")); // no black corners
    outer->addWidget(bg);

    auto *close = new QPushButton(bg);
    close->setObjectName("btn_close_popup");
    close->setFixedSize(16, 16);
    close->setCursor(Qt::PointingHandCursor);
    QObject::connect(close, &QPushButton::clicked, dialog, &QWidget::close);
    if (closeButton)
        *closeButton = close;
    return bg;
}

} // namespace PopupFrame
