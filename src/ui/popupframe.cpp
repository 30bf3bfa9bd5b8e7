#include "popupframe.h"

#include "framelesshelper.h"
#include "manager/cqssmanager.h"

#include <QDialog>
#include <QPushButton>
#include <QVBoxLayout>

namespace PopupFrame {

namespace {
const int kShadowMargin = 20;
} // namespace

QWidget *build(QDialog *dialog, QPushButton **closeButton)
{
    // Without a compositing manager the transparent margin would be black:
    // the frame is then opaque, without margin and shadow.
    const bool translucent = FramelessHelper::prepareWindow(dialog);
    dialog->setWindowFlags(dialog->windowFlags() | Qt::FramelessWindowHint);
    auto *frameless = new FramelessHelper(dialog);
    frameless->activateOn(dialog);
    frameless->setWidgetResizable(false);

    auto *outer = new QVBoxLayout(dialog);
    const int margin = translucent ? kShadowMargin : 0;
    outer->setContentsMargins(margin, margin, margin, margin);
    auto *bg = new QWidget(dialog);
    bg->setObjectName("CommonWidgetBg");
    bg->setAttribute(Qt::WA_StyledBackground);
    if (translucent)
        CQssManager::setShadow(bg);
    outer->addWidget(bg);

    auto *close = new QPushButton(bg);
    close->setObjectName("btn_close_popup");
    close->setToolTip(QObject::tr("Close"));
    close->setFixedSize(16, 16);
    close->setCursor(Qt::PointingHandCursor);
    QObject::connect(close, &QPushButton::clicked, dialog, &QWidget::close);
    if (closeButton)
        *closeButton = close;
    return bg;
}

} // namespace PopupFrame
