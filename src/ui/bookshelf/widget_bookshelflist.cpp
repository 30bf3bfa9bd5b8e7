#include "widget_bookshelflist.h"

#include "apppaths.h"
#include "cbooklistdelegate.h"
#include "cbooklistmodel.h"
#include "db/cquorvindb.h"
#include "db/records.h"
#include "dialog_bookinfo.h"
#include "dialog_createbook.h"
#include "manager/cbookjobmanager.h"
#include "manager/cjobmanager.h"
#include "manager/cuimanager.h"
#include "ui/ztmessagebox.h"

#include <QDebug>
#include <QDir>
#include <QFileDialog>
#include <QKeyEvent>
#include <QListView>
#include <QStringListModel>
#include <QVBoxLayout>

Widget_BookShelfList::Widget_BookShelfList(QWidget *parent)
    : QWidget(parent), m_listView(new QListView(this)),
      m_model(new CBookListModel(CBookListModel::Grid, this)),
      m_delegate(new CBookListDelegate(CBookListModel::Grid, m_listView)),
      m_covers(new QStringListModel(this))
{
    setObjectName(QStringLiteral("Widget_BookShelfList"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 16, 8, 0);
    layout->addWidget(m_listView);

    m_listView->setObjectName(QStringLiteral("listView"));
    m_listView->setStyleSheet(QStringLiteral("#listView\n{\nborder: none;\nbackground: transparent;\n}\n\n"));
    m_listView->setViewMode(QListView::IconMode);
    m_listView->setFlow(QListView::LeftToRight);
    m_listView->setWrapping(true);
    m_listView->setResizeMode(QListView::Adjust);
    m_listView->setMovement(QListView::Static);
    m_listView->setUniformItemSizes(true);
    m_listView->setSelectionMode(QAbstractItemView::NoSelection);
    m_listView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Reached by Tab (a click keeps the focus where it is).
    m_listView->setFocusPolicy(Qt::TabFocus);
    m_listView->setAccessibleName(tr("Books"));
    m_listView->installEventFilter(this);
    m_listView->setMouseTracking(true);
    m_listView->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    m_listView->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_listView->setSpacing(18);
    m_listView->setModel(m_model);
    m_listView->setItemDelegate(m_delegate);
    m_listView->viewport()->installEventFilter(m_delegate);

    connect(m_delegate, &CBookListDelegate::sig_open, this, &Widget_BookShelfList::onOpen);
    connect(m_delegate, &CBookListDelegate::sig_info, this, &Widget_BookShelfList::onInfo);
    connect(m_delegate, &CBookListDelegate::sig_delete, this, &Widget_BookShelfList::onDelete);
    connect(m_delegate, &CBookListDelegate::sig_create, this, &Widget_BookShelfList::onCreate);
    connect(m_delegate, &CBookListDelegate::sig_import, this, &Widget_BookShelfList::onImport);

    m_chooseFile = [this] {
        return QFileDialog::getOpenFileName(this, QStringLiteral("请选择导入的书籍"), QString(),
                                            QStringLiteral("*.txt"));
    };
    loadSystemCovers();
}

bool Widget_BookShelfList::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_listView)
        return QWidget::eventFilter(watched, event);
    if (event->type() == QEvent::FocusIn && !m_listView->currentIndex().isValid() && m_model->rowCount() > 0)
        m_listView->setCurrentIndex(m_model->index(0));
    if (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut)
        m_listView->viewport()->update();
    if (event->type() != QEvent::KeyPress)
        return false;
    const auto *key = static_cast<QKeyEvent *>(event);
    const bool open =
        key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter || key->key() == Qt::Key_Space;
    const bool menu =
        key->key() == Qt::Key_Menu || (key->key() == Qt::Key_F10 && key->modifiers() == Qt::ShiftModifier);
    if (key->key() == Qt::Key_Delete) {
        const QModelIndex index = m_listView->currentIndex();
        const BookShelf_Book book = index.data(Qt::DisplayRole).value<BookShelf_Book>();
        if (book.localBookId > 0)
            onDelete(book.localBookId, book.bookName, index.row());
        return true;
    }
    if (!open && !menu)
        return false;
    m_delegate->activate(m_listView->currentIndex(), menu);
    return true;
}

void Widget_BookShelfList::loadSystemCovers()
{
    const QDir folder(AppPaths::dataDir() + QStringLiteral("/cover"));
    QStringList paths;
    for (const QString &name : folder.entryList(QDir::Files, QDir::Name))
        paths << folder.filePath(name);
    m_covers->setStringList(paths);
    qDebug() << "system cover count:" << paths.size();
}

void Widget_BookShelfList::initData()
{
    m_model->clear();
    const int n = T_SessionData::instance().books.size();
    qDebug() << "bookCount:" << n;
    if (n > 0)
        m_model->insertRows(0, n);
}

void Widget_BookShelfList::addBook(T_Book *book, int row, bool isImport)
{
    qDebug() << "addBook" << (book ? book->bookName : QString()) << row << isImport;
    m_model->insertBook(row);
}

void Widget_BookShelfList::removeBook(int row, int localBookId)
{
    qDebug() << "removeBook" << localBookId << row;
    m_model->removeBook(row);
}

void Widget_BookShelfList::refreshBook(int row)
{
    m_model->refresh(row);
}

void Widget_BookShelfList::refreshAll()
{
    if (m_model->count() != T_SessionData::instance().books.size())
        m_model->reload();
    else
        m_model->refresh(0, m_model->count());
}

void Widget_BookShelfList::onOpen(int localBookId)
{
    T_Book *book = CBookJobManager::instance()->findBook(localBookId);
    if (book)
        CUiManager::instance()->showCreation(book);
}

void Widget_BookShelfList::onInfo(int localBookId, int index)
{
    T_Book *book = CBookJobManager::instance()->findBook(localBookId);
    if (!book)
        return;
    Dialog_BookInfo dialog(window());
    dialog.setCovers(m_covers);
    dialog.loadBookInfo(book);
    CUiManager::instance()->centreOn(&dialog, window());
    if (dialog.exec() != QDialog::Accepted)
        return;
    // The edit made it the latest updated book: first on the shelf, as it
    // will be after a restart.
    const int row = m_model->rowOf(localBookId);
    m_model->moveToFront(row >= 0 ? row : index);
}

void Widget_BookShelfList::onDelete(int localBookId, const QString &bookName, int index)
{
    Q_UNUSED(index)
    const int choice = ZtMessageBox::question(
        window(), tr("Confirm"), tr("Are you sure to delete %1?").arg(bookName), tr("OK"), tr("Cancel"), 0);
    if (choice != 0)
        return;
    TC_Books_Delete req;
    req.localBookId = localBookId;
    req.update_time = CQuorvinDb::instance()->currentTime();
    req.jobType = JobType_BookDelete;
    if (!CJobManager::instance()->booksDelete(req))
        CUiManager::instance()->showTips(tr("Failed to delete book"), 0);
}

void Widget_BookShelfList::onCreate()
{
    Dialog_CreateBook dialog(window());
    dialog.setCovers(m_covers);
    CUiManager::instance()->centreOn(&dialog, window());
    if (dialog.exec() != QDialog::Accepted)
        return;
    TC_Books_AddBook req;
    req.jobType = JobType_BookAdd;
    req.bookName = dialog.bookName();
    req.localCover = dialog.coverPath();
    req.createTime = CQuorvinDb::instance()->currentTime();
    req.update_time = req.createTime;
    if (!CJobManager::instance()->booksAddBook(req))
        CUiManager::instance()->showTips(tr("Failed to add book"), 0);
}

void Widget_BookShelfList::onImport()
{
    if (CUiManager::instance()->importRunning()) {
        CUiManager::instance()->showTips(tr("importing book"), 2);
        return;
    }
    const QString path = m_chooseFile ? m_chooseFile() : QString();
    if (path.isEmpty())
        return;
    TC_Books_AddBook req;
    req.jobType = JobType_BookImport;
    req.filePath = path;
    req.createTime = CQuorvinDb::instance()->currentTime();
    req.update_time = req.createTime;
    CJobManager::instance()->booksImport(req);
}
