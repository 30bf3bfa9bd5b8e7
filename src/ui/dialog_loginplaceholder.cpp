#include "dialog_loginplaceholder.h"

#include "framelesshelper.h"
#include "manager/cqssmanager.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

Dialog_LoginPlaceholder::Dialog_LoginPlaceholder(QWidget *parent) : QDialog(parent)
{
    setObjectName("Dialog_LoginPlaceholder");
    setAttribute(Qt::WA_TranslucentBackground);
    setWindowTitle(tr("Quorvin Writing"));
    auto *frameless = new FramelessHelper(this);
    frameless->activateOn(this);
    frameless->setWidgetResizable(false);

    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(20, 20, 20, 20);
    auto *bg = new QWidget(this);
    bg->setObjectName("CommonWidgetBg");
    bg->setAttribute(Qt::WA_StyledBackground);
    CQssManager::setShadow(bg);
    outer->addWidget(bg);

    auto *column = new QVBoxLayout(bg);
    column->setContentsMargins(32, 16, 16, 32);
    auto *titleRow = new QHBoxLayout;
    titleRow->addStretch(1);
    auto *close = new QPushButton(bg);
    close->setObjectName("btn_close_popup");
    close->setFixedSize(16, 16);
    close->setCursor(Qt::PointingHandCursor);
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    titleRow->addWidget(close);
    column->addLayout(titleRow);

    auto *logo = new QLabel(bg);
    logo->setFixedSize(64, 64);
    logo->setScaledContents(true);
    logo->setPixmap(QPixmap(":/res/skin/light/main/logo.png"));
    auto *title = new QLabel(tr("Quorvin Writing"), bg);
    title->setObjectName("CommonWidgetTitle");
    auto *text = new QLabel(tr("Signing in is not available in this version yet."), bg);
    text->setObjectName("Dialog_LoginPlaceholder_Text");
    column->addWidget(logo, 0, Qt::AlignHCenter);
    column->addSpacing(12);
    column->addWidget(title, 0, Qt::AlignHCenter);
    column->addSpacing(8);
    column->addWidget(text, 0, Qt::AlignHCenter);
    column->setContentsMargins(32, 16, 32, 32);
    resize(420, 320);
}
