#include "widget_creation.h"

#include "db/records.h"
#include "manager/cuimanager.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

Widget_Creation::Widget_Creation(QWidget *parent) : QWidget(parent)
{
    setObjectName("Widget_Creation");
    setAttribute(Qt::WA_StyledBackground);
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    auto *top = new QWidget(this);
    top->setObjectName("Widget_Creation_TopBar");
    top->setAttribute(Qt::WA_StyledBackground);
    top->setFixedHeight(56);
    auto *row = new QHBoxLayout(top);
    row->setContentsMargins(16, 0, 16, 0);
    auto *back = new QPushButton(top);
    back->setObjectName("btn_back");
    back->setToolTip(tr("Back to the bookshelf"));
    back->setFixedSize(28, 28);
    back->setCursor(Qt::PointingHandCursor);
    connect(back, &QPushButton::clicked, CUiManager::instance(), &CUiManager::showBookshelf);
    m_bookName = new QLabel(top);
    m_bookName->setObjectName("Widget_Creation_BookName");
    row->addWidget(back);
    row->addWidget(m_bookName, 1);
    column->addWidget(top);

    auto *content = new QLabel(tr("Choose a chapter to start writing"), this);
    content->setObjectName("Widget_Creation_Empty");
    content->setAlignment(Qt::AlignCenter);
    column->addWidget(content, 1);
}

void Widget_Creation::openBook(T_Book *book)
{
    m_book = book;
    m_bookName->setText(book ? book->bookName : QString());
}

void Widget_Creation::onBookshelfShown() {}

void Widget_Creation::onWindowStateChanged(Qt::WindowStates state)
{
    Q_UNUSED(state)
}
