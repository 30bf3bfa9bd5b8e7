#include "dialog_loginplaceholder.h"

#include "popupframe.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

Dialog_LoginPlaceholder::Dialog_LoginPlaceholder(QWidget *parent) : QDialog(parent)
{
    setObjectName("Dialog_LoginPlaceholder");
    setWindowTitle(tr("Quorvin Writing"));
    QPushButton *close = nullptr;
    QWidget *bg = PopupFrame::build(this, &close);

    auto *column = new QVBoxLayout(bg);
    column->setContentsMargins(32, 16, 16, 32);
    auto *titleRow = new QHBoxLayout;
    titleRow->addStretch(1);
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
