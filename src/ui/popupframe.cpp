#include "popupframe.h"

#include "framelesshelper.h"
#include "manager/cqssmanager.h"

#include <QDialog>
#include <QPushButton>
#include <QVBoxLayout>

namespace PopupFrame {

QWidget *build(QDialog *dialog, QPushButton **closeButton)
{
    dialog->setAttribute(Qt::WA_TranslucentBackground);
    dialog->setWindowFlags(dialog->windowFlags() | Qt::FramelessWindowHint);
    auto *frameless = new FramelessHelper(dialog);
    frameless->activateOn(dialog);
    frameless->setWidgetResizable(false);

    auto *outer = new QVBoxLayout(dialog);
    outer->setContentsMargins(20, 20, 20, 20);
    auto *bg = new QWidget(dialog);
    bg->setObjectName("CommonWidgetBg");
    bg->setAttribute(Qt::WA_StyledBackground);
    CQssManager::setShadow(bg);
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
