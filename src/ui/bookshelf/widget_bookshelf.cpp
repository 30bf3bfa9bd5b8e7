#include "widget_bookshelf.h"

#include "cztheadbutton.h"
#include "db/records.h"
#include "manager/cjobmanager.h"
#include "manager/cqssmanager.h"
#include "manager/cuimanager.h"
#include "manager/cuserjobmanager.h"
#include "widget_bookshelf_content.h"
#include "widget_bookshelf_top.h"
#include "widget_bookshelflist.h"

#include <QButtonGroup>
#include <QDebug>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QMimeData>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

const int kHeadSize = 80;

} // namespace

Widget_Bookshelf::Widget_Bookshelf(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("Widget_Bookshelf"));
    setAttribute(Qt::WA_StyledBackground);
    setAcceptDrops(true);
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    row->addWidget(buildLeft());

    auto *right = new QWidget(this);
    right->setObjectName(QStringLiteral("Widget_Bookshelf_Right"));
    right->setAttribute(Qt::WA_StyledBackground);
    auto *column = new QVBoxLayout(right);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    m_top = new Widget_Bookshelf_Top(right);
    m_content = new Widget_Bookshelf_Content(right);
    column->addWidget(m_top);
    column->addWidget(m_content, 1);
    row->addWidget(right, 1);
    connect(m_top, &Widget_Bookshelf_Top::sig_showPage, this, &Widget_Bookshelf::showPage);
    // A profile edit, or the profile the server sends, shows at once.
    connect(CUserJobManager::instance(), &CUserJobManager::sig_AuthorChanged, this,
            &Widget_Bookshelf::setUser);
}

QWidget *Widget_Bookshelf::buildLeft()
{
    auto *left = new QWidget(this);
    left->setObjectName(QStringLiteral("Widget_Bookshelf_Left"));
    left->setAttribute(Qt::WA_StyledBackground);
    left->setFixedWidth(200);
    auto *column = new QVBoxLayout(left);
    column->setContentsMargins(20, 36, 20, 24);
    column->setSpacing(8);

    m_btnHeadImg = new CZtHeadButton(left);
    m_btnHeadImg->setObjectName(QStringLiteral("btnHeadImg"));
    m_btnHeadImg->setHeadSize(kHeadSize);
    m_btnHeadImg->setCursor(Qt::PointingHandCursor);
    m_btnHeadImg->setFocusPolicy(Qt::TabFocus); // reached by Tab, never taken by a click
    m_btnHeadImg->setToolTip(tr("Personal information"));
    connect(m_btnHeadImg, &QPushButton::clicked, this, [] { CUiManager::instance()->showUserInfo(); });
    m_labelName = new QLabel(left);
    m_labelName->setObjectName(QStringLiteral("labelName"));
    m_labelName->setAlignment(Qt::AlignCenter);
    column->addWidget(m_btnHeadImg, 0, Qt::AlignHCenter);
    column->addSpacing(4);
    column->addWidget(m_labelName);
    column->addSpacing(28);

    m_nav = new QButtonGroup(this);
    const struct
    {
        const char *name;
        const char *text;
        int id;
    } buttons[] = {
        {"btnBookShelf", "写作台", 0}, {"btnUserInfo", "个人数据", 1}, {"btnFeedback", "意见反馈", 2}};
    for (const auto &b : buttons) {
        auto *button = new QPushButton(QString::fromUtf8(b.text), left);
        button->setObjectName(QLatin1String(b.name));
        button->setCheckable(true);
        button->setFocusPolicy(Qt::TabFocus); // reached by Tab, never taken by a click
        button->setCursor(Qt::PointingHandCursor);
        button->setFixedHeight(40);
        button->setProperty("nav", true);
        m_nav->addButton(button, b.id);
        column->addWidget(button);
    }
    m_nav->button(0)->setChecked(true);
    connect(m_nav, &QButtonGroup::idPressed, this, [this](int id) {
        m_nav->setExclusive(true);
        showPage(id == 0 ? 0 : id + 1);
    });
    column->addStretch(1);
    return left;
}

QPushButton *Widget_Bookshelf::maximiseButton() const
{
    return m_top->maximiseButton();
}

Widget_BookShelfList *Widget_Bookshelf::bookList() const
{
    return m_content->bookList();
}

void Widget_Bookshelf::showPage(int page)
{
    if (!m_content->showPage(page)) {
        // A page that does not exist yet: the button that asked stays unchecked.
        if (page == Widget_Bookshelf_Content::PageSettings) {
            m_top->group()->setExclusive(false);
            m_top->setupButton()->setChecked(false);
            m_top->group()->setExclusive(true);
        }
        return;
    }
    m_top->setPageTitle(page);
    // The left column owns pages 0, 2 and 3, the top bar page 1: showing one
    // side's page unchecks the other side's button.
    QButtonGroup *other = page == Widget_Bookshelf_Content::PageSettings ? m_nav : m_top->group();
    if (QAbstractButton *checked = other->checkedButton()) {
        other->setExclusive(false);
        checked->setChecked(false);
        other->setExclusive(true);
    }
    if (page != Widget_Bookshelf_Content::PageSettings) {
        QAbstractButton *own = m_nav->button(page == 0 ? 0 : page - 1);
        if (own && !own->isChecked())
            own->setChecked(true);
    }
}

void Widget_Bookshelf::loadData()
{
    setUser();
    bookList()->initData();
}

void Widget_Bookshelf::setUser()
{
    const QString name = T_SessionData::instance().author.authorName;
    m_labelName->setText(name);
    m_labelName->setToolTip(name);
    loadUserHeadImg();
}

void Widget_Bookshelf::loadUserHeadImg(const QString &given)
{
    QString path = given;
    const TS_Author_Info &author = T_SessionData::instance().author;
    if (path.isEmpty() && !author.headImgUrl.isEmpty())
        path = author.localHeadImg;
    if (QPixmap(path).isNull()) {
        // The session holds the new theme before the style sheet follows.
        const bool dark = author.style == StyleDark;
        path = dark ? QStringLiteral(":/res/skin/dark/left/icon_head_def.png")
                    : QStringLiteral(":/res/skin/light/left/icon_head_def.png");
    }
    qDebug() << "loadUserHeadImg" << path;
    m_btnHeadImg->setHeadSize(kHeadSize);
    m_btnHeadImg->setHeadImage(path);
}

void Widget_Bookshelf::onWindowStateChanged(Qt::WindowStates state)
{
    m_top->onWindowStateChanged(state);
}

void Widget_Bookshelf::onStyleChanged(int style)
{
    m_top->onStyleChanged(style);
    m_content->onStyleChanged(style);
    loadUserHeadImg();
    bookList()->refreshAll();
}

void Widget_Bookshelf::startSync()
{
    m_top->startSynchronization();
}

void Widget_Bookshelf::endSync(bool ok, const QString &why, bool tell)
{
    m_top->endSynchronization(ok, why, tell);
    bookList()->refreshAll();
}

void Widget_Bookshelf::addBook(T_Book *book, int row, bool isImport)
{
    bookList()->addBook(book, row, isImport);
}

void Widget_Bookshelf::removeBook(int row, int localBookId)
{
    bookList()->removeBook(row, localBookId);
}

void Widget_Bookshelf::refreshBook(T_Book *book)
{
    const int row = T_SessionData::instance().books.indexOf(book);
    if (row >= 0)
        bookList()->refreshBook(row);
}

void Widget_Bookshelf::refreshBooks()
{
    bookList()->initData();
}

void Widget_Bookshelf::dragEnterEvent(QDragEnterEvent *event)
{
    if (event->mimeData()->hasText())
        event->acceptProposedAction();
}

void Widget_Bookshelf::dropEvent(QDropEvent *event)
{
    // Memos dropped here open as floating cards once the memo pages exist.
    event->acceptProposedAction();
}
