#include "widget_bookshelf.h"

#include "db/records.h"
#include "manager/cuimanager.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QPushButton *windowButton(const QString &name, const QString &tip, QWidget *parent)
{
    auto *button = new QPushButton(parent);
    button->setObjectName(name);
    button->setToolTip(tip);
    button->setFixedSize(28, 28);
    button->setCursor(Qt::PointingHandCursor);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

} // namespace

Widget_Bookshelf::Widget_Bookshelf(QWidget *parent) : QWidget(parent)
{
    setObjectName("Widget_Bookshelf");
    setAttribute(Qt::WA_StyledBackground);
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    row->addWidget(buildLeft());

    auto *right = new QWidget(this);
    right->setObjectName("Widget_Bookshelf_Right");
    right->setAttribute(Qt::WA_StyledBackground);
    auto *column = new QVBoxLayout(right);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(buildTop());
    column->addWidget(buildEmptyShelf(), 1);
    row->addWidget(right, 1);
}

QWidget *Widget_Bookshelf::buildLeft()
{
    auto *left = new QWidget(this);
    left->setObjectName("Widget_Bookshelf_Left");
    left->setAttribute(Qt::WA_StyledBackground);
    left->setFixedWidth(200);
    auto *column = new QVBoxLayout(left);
    column->setContentsMargins(24, 32, 24, 24);
    column->setSpacing(8);

    auto *logo = new QLabel(left);
    logo->setObjectName("Widget_Bookshelf_Logo");
    logo->setFixedSize(48, 48);
    logo->setPixmap(QPixmap(":/res/skin/light/main/logo.png"));
    logo->setScaledContents(true);
    auto *name = new QLabel(tr("Quorvin Writing"), left);
    name->setObjectName("Widget_Bookshelf_AppName");
    m_authorName = new QLabel(left);
    m_authorName->setObjectName("Widget_Bookshelf_Author");
    column->addWidget(logo, 0, Qt::AlignHCenter);
    column->addSpacing(8);
    column->addWidget(name, 0, Qt::AlignHCenter);
    column->addWidget(m_authorName, 0, Qt::AlignHCenter);
    column->addSpacing(24);

    auto *shelf = new QPushButton(tr("Bookshelf"), left);
    shelf->setObjectName("Widget_Bookshelf_Nav");
    shelf->setCheckable(true);
    shelf->setChecked(true);
    shelf->setFocusPolicy(Qt::NoFocus);
    column->addWidget(shelf);
    column->addStretch(1);
    return left;
}

QWidget *Widget_Bookshelf::buildTop()
{
    auto *top = new QWidget(this);
    top->setObjectName("Widget_Bookshelf_TopBar");
    top->setAttribute(Qt::WA_StyledBackground);
    top->setFixedHeight(56);
    auto *row = new QHBoxLayout(top);
    row->setContentsMargins(24, 0, 16, 0);
    row->setSpacing(8);
    auto *title = new QLabel(tr("My Bookshelf"), top);
    title->setObjectName("Widget_Bookshelf_Title");
    row->addWidget(title);
    row->addStretch(1);

    CUiManager *ui = CUiManager::instance();
    m_btnStyle = windowButton("btn_style", tr("Switch theme"), top);
    auto *btnMin = windowButton("btn_min", tr("Minimise"), top);
    m_btnMax = windowButton("btn_max", tr("Maximise"), top);
    m_btnMax->setCheckable(true);
    auto *btnClose = windowButton("btn_close", tr("Close"), top);
    connect(m_btnStyle, &QPushButton::clicked, ui, &CUiManager::toggleTheme);
    connect(btnMin, &QPushButton::clicked, ui, &CUiManager::showMinimized);
    connect(m_btnMax, &QPushButton::clicked, ui, &CUiManager::toggleMaximized);
    connect(btnClose, &QPushButton::clicked, ui, &CUiManager::requestClose);
    for (QPushButton *b : {m_btnStyle, btnMin, m_btnMax, btnClose})
        row->addWidget(b);
    return top;
}

QWidget *Widget_Bookshelf::buildEmptyShelf()
{
    auto *shelf = new QWidget(this);
    shelf->setObjectName("Widget_Bookshelf_Shelf");
    shelf->setAttribute(Qt::WA_StyledBackground);
    auto *column = new QVBoxLayout(shelf);
    column->setSpacing(12);
    column->addStretch(1);
    auto *picture = new QLabel(shelf);
    picture->setObjectName("Widget_Bookshelf_EmptyPicture");
    picture->setFixedSize(96, 96);
    auto *text = new QLabel(tr("No books on the shelf yet"), shelf);
    text->setObjectName("Widget_Bookshelf_EmptyText");
    auto *hint = new QLabel(tr("Create a book or import a text file to start writing"), shelf);
    hint->setObjectName("Widget_Bookshelf_EmptyHint");
    column->addWidget(picture, 0, Qt::AlignHCenter);
    column->addWidget(text, 0, Qt::AlignHCenter);
    column->addWidget(hint, 0, Qt::AlignHCenter);
    column->addStretch(2);
    return shelf;
}

void Widget_Bookshelf::loadData()
{
    const QString name = T_SessionData::instance().author.authorName;
    m_authorName->setText(name);
    m_authorName->setVisible(!name.isEmpty());
}

void Widget_Bookshelf::onWindowStateChanged(Qt::WindowStates state)
{
    const bool big = state & (Qt::WindowMaximized | Qt::WindowFullScreen);
    m_btnMax->setChecked(big);
    m_btnMax->setToolTip(big ? tr("Restore") : tr("Maximise"));
}

void Widget_Bookshelf::onStyleChanged(int style)
{
    m_btnStyle->setToolTip(style == 2 ? tr("Switch to the light theme") : tr("Switch to the dark theme"));
}

void Widget_Bookshelf::startSync()
{
    m_syncing = true;
}

void Widget_Bookshelf::endSync(bool ok)
{
    Q_UNUSED(ok)
    m_syncing = false;
}
