#include "widget_creation_left.h"

#include "chapterlistdelegate.h"
#include "chapterlistmodel.h"
#include "creationclock.h"
#include "db/cquorvindb.h"
#include "db/records.h"
#include "manager/cbookjobmanager.h"
#include "manager/cjobmanager.h"
#include "manager/cuimanager.h"
#include "ui/bookshelf/widget_booklistpreview.h"
#include "ui/framelesshelper.h"
#include "ui/ztmessagebox.h"
#include "widget_recyclebin.h"

#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QMouseEvent>
#include <QPropertyAnimation>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>
#include <QVBoxLayout>
#include <QWidgetAction>

namespace {

const int kPanelWidth = 220;
const int kCreateCooldownMs = 300;
const int kSlideMs = 200;
const int kPreviewFillMs = 500;
const int kBottomHeight = 48;
const int kHeadHeight = 48;

QPushButton *panelButton(QWidget *parent, const char *name, const QString &tip)
{
    auto *button = new QPushButton(parent);
    button->setObjectName(QLatin1String(name));
    button->setToolTip(tip);
    button->setFixedSize(28, 28);
    button->setCursor(Qt::PointingHandCursor);
    button->setFocusPolicy(Qt::TabFocus); // reached by Tab, never taken by a click
    return button;
}

} // namespace

Widget_Creation_Left::Widget_Creation_Left(QWidget *parent) : QWidget(parent)
{
    setObjectName("Widget_Creation_Left");
    setAttribute(Qt::WA_StyledBackground);
    setFixedWidth(kPanelWidth);
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    auto *head = new QWidget(this);
    head->setObjectName("Widget_Creation_Left_Head");
    head->setFixedHeight(kHeadHeight);
    auto *headRow = new QHBoxLayout(head);
    headRow->setContentsMargins(20, 0, 12, 0);
    m_bookName = new QLabel(head);
    m_bookName->setObjectName("lb_bookName");
    m_btnPreview = panelButton(head, "btnPreview", tr("My books"));
    m_btnPreview->setCheckable(true);
    headRow->addWidget(m_bookName, 1);
    headRow->addWidget(m_btnPreview);
    column->addWidget(head);

    m_list = new QListView(this);
    m_list->setObjectName("listView");
    m_list->setFrameShape(QFrame::NoFrame);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_list->setUniformItemSizes(true);
    m_list->setAccessibleName(tr("Chapters"));
    m_list->installEventFilter(this);
    m_model = new ChapterListModel(this);
    m_delegate = new ChapterListDelegate(ChapterListDelegate::ModeChapters, m_list);
    m_list->setModel(m_model);
    m_list->setItemDelegate(m_delegate);
    column->addWidget(m_list, 1);

    m_bottom = new QWidget(this);
    m_bottom->setObjectName("Widget_Creation_Left_Bottom");
    m_bottom->setAttribute(Qt::WA_StyledBackground);
    m_bottom->setFixedHeight(kBottomHeight);
    auto *bottomRow = new QHBoxLayout(m_bottom);
    bottomRow->setContentsMargins(16, 0, 16, 0);
    m_btnAsc = panelButton(m_bottom, "btn_creation_chapter_asc", tr("Reverse order"));
    m_btnAsc->setCheckable(true);
    m_btnRecycle = panelButton(m_bottom, "btn_creation_recycle", tr("Recycle bin"));
    m_btnCreate = new QPushButton(tr("New chapter"), m_bottom);
    m_btnCreate->setObjectName("btn_creation_chapter_create");
    m_btnCreate->setCursor(Qt::PointingHandCursor);
    m_btnCreate->setFocusPolicy(Qt::TabFocus); // reached by Tab, never taken by a click
    m_btnCreate->setFixedHeight(30);
    bottomRow->addWidget(m_btnAsc);
    bottomRow->addWidget(m_btnRecycle);
    bottomRow->addStretch(1);
    bottomRow->addWidget(m_btnCreate);
    column->addWidget(m_bottom);

    // The author's books as covers, as on the bookshelf; a click opens one.
    m_preview = new Widget_BookListPreview(this);
    m_preview->setAttribute(Qt::WA_StyledBackground);
    m_preview->hide();
    m_previewAnimation = new QPropertyAnimation(m_preview, "pos", this);
    m_previewAnimation->setDuration(kSlideMs);
    connect(m_previewAnimation, &QPropertyAnimation::finished, this, [this] {
        if (!m_btnPreview->isChecked())
            m_preview->hide();
    });

    buildMenu();

    connect(m_btnAsc, &QPushButton::clicked, this,
            &Widget_Creation_Left::on_btn_creation_chapter_asc_clicked);
    connect(m_btnRecycle, &QPushButton::clicked, this,
            &Widget_Creation_Left::on_btn_creation_recycle_clicked);
    connect(m_btnCreate, &QPushButton::clicked, this,
            &Widget_Creation_Left::on_btn_creation_chapter_create_clicked);
    connect(m_delegate, &ChapterListDelegate::sig_onMousePressedByLeftBtn, this,
            &Widget_Creation_Left::on_listViewPressedByLeftBtn);
    connect(m_delegate, &ChapterListDelegate::sig_onMousePressedByRightBtn, this,
            &Widget_Creation_Left::on_listViewPressedByRightBtn);
    connect(m_model, &ChapterListModel::sig_renamed, this, &Widget_Creation_Left::sig_chapterRenamed);
    connect(m_btnPreview, &QPushButton::toggled, this, [this](bool shown) {
        m_previewAnimation->stop();
        // The head stays in sight, so its button can slide the overlay out again.
        m_preview->setGeometry(0, shown ? height() : kHeadHeight, width(),
                               height() - kHeadHeight - kBottomHeight);
        m_preview->show();
        m_preview->raise();
        m_previewAnimation->setStartValue(m_preview->pos());
        m_previewAnimation->setEndValue(QPoint(0, shown ? kHeadHeight : height()));
        m_previewAnimation->start();
        if (shown)
            QTimer::singleShot(kPreviewFillMs, this, &Widget_Creation_Left::fillPreview);
    });
    connect(CUiManager::instance(), &CUiManager::sig_ChapterListChanged, this, [this](T_Book *book) {
        if (book == m_book)
            scheduleRebuild();
    });
}

void Widget_Creation_Left::buildMenu()
{
    m_menu = new QMenu(this);
    m_menu->setObjectName("Widget_Creation_Left_Menu");
    m_menu->setWindowFlags(m_menu->windowFlags() | Qt::FramelessWindowHint | Qt::NoDropShadowWindowHint);
    FramelessHelper::prepareWindow(m_menu);
    m_menu->setFixedWidth(136);
    QAction *open = m_menu->addAction(tr("Open Tag"));
    QAction *create = m_menu->addAction(tr("Create Chapter"));
    QAction *rename = m_menu->addAction(tr("Rename Chapter"));
    QAction *exportAction = m_menu->addAction(tr("Export Chapter"));
    QAction *timeMachine = m_menu->addAction(tr("Time Machine"));
    m_menu->addSeparator();
    m_actPrevious = m_menu->addAction(tr("Previous Chapter"));
    m_actNext = m_menu->addAction(tr("Next Chapter"));
    m_menu->addSeparator();
    auto *remove = new QWidgetAction(m_menu);
    m_deleteItem = new QLabel(tr("Delete Chapter"), m_menu);
    m_deleteItem->setObjectName("menuItem");
    m_deleteItem->installEventFilter(this);
    remove->setDefaultWidget(m_deleteItem);
    m_menu->addAction(remove);

    connect(open, &QAction::triggered, this, [this] { emit sig_openChapter(m_currentId, true); });
    connect(create, &QAction::triggered, this, &Widget_Creation_Left::createChapter);
    connect(rename, &QAction::triggered, this, [this] { renameRow(m_currentId); });
    connect(exportAction, &QAction::triggered, this, [this] { emit sig_exportChapter(m_currentId); });
    connect(timeMachine, &QAction::triggered, this, [this] { emit sig_timeMachine(m_currentId); });
    connect(m_actPrevious, &QAction::triggered, this, [this] { moveChapter(1); });
    connect(m_actNext, &QAction::triggered, this, [this] { moveChapter(2); });
    connect(remove, &QAction::triggered, this, &Widget_Creation_Left::deleteChapter);
}

bool Widget_Creation_Left::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_deleteItem && event->type() == QEvent::MouseButtonRelease) {
        m_menu->hide();
        // The question is asked once the menu is gone.
        QTimer::singleShot(0, this, &Widget_Creation_Left::deleteChapter);
        return true;
    }
    if (watched == m_list && event->type() == QEvent::KeyPress)
        return onListKey(static_cast<QKeyEvent *>(event));
    return QWidget::eventFilter(watched, event);
}

bool Widget_Creation_Left::onListKey(QKeyEvent *key)
{
    // The keyboard's ways to what a click on a row does: Return opens the
    // chapter, the menu key or Shift+F10 shows its menu at the row, Delete
    // asks to move it to the recycle bin.
    const QModelIndex index = m_list->currentIndex();
    T_ChapterListItem *item = index.isValid() ? m_model->item(index.row()) : nullptr;
    if (!item || item->localChapterId < 1)
        return false;
    switch (key->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        on_listViewPressedByLeftBtn(item->localChapterId);
        return true;
    case Qt::Key_F10:
        if (key->modifiers() != Qt::ShiftModifier)
            return false;
        Q_FALLTHROUGH();
    case Qt::Key_Menu:
        on_listViewPressedByRightBtn(item->localChapterId, index.row());
        m_menu->move(m_list->viewport()->mapToGlobal(m_list->visualRect(index).center()));
        m_menu->setActiveAction(m_menu->actions().value(0));
        return true;
    case Qt::Key_Delete:
        m_currentId = item->localChapterId;
        deleteChapter();
        return true;
    default:
        return false;
    }
}

void Widget_Creation_Left::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    if (m_preview->isVisible())
        m_preview->setGeometry(0, m_btnPreview->isChecked() ? kHeadHeight : height(), width(),
                               height() - kHeadHeight - kBottomHeight);
}

void Widget_Creation_Left::on_setBook(T_Book *book)
{
    showBook(book);
}

T_Chapter *Widget_Creation_Left::showBook(T_Book *book)
{
    m_book = book;
    m_currentId = 0;
    if (!book) {
        m_bookName->clear();
        m_model->reload(nullptr);
        return nullptr;
    }
    if (!book->isChaptersLoaded && !CQuorvinDb::instance()->getChapters(*book))
        qWarning() << "could not read the chapters of book" << book->localId;
    T_Chapter *chosen = nullptr;
    if (book->lastEditChapterId < 1)
        chosen = book->chapterList.isEmpty() ? nullptr : book->chapterList.last();
    else
        chosen = CBookJobManager::findChapter(book, book->lastEditChapterId);
    m_btnAsc->setChecked(book->chapterSortDesc == 1);
    m_bookName->setText(book->bookName);
    m_model->reload(book);
    if (chosen)
        setCurrent(chosen->localId);
    return chosen;
}

void Widget_Creation_Left::setCurrent(int localChapterId)
{
    m_currentId = localChapterId;
    selectChapter(localChapterId);
}

void Widget_Creation_Left::selectChapter(int localChapterId)
{
    m_currentId = localChapterId;
    const int row = m_model->rowOf(localChapterId);
    if (row < 0) {
        m_list->clearSelection();
        return;
    }
    const QModelIndex index = m_model->index(row);
    m_list->setCurrentIndex(index);
    m_list->scrollTo(index);
}

void Widget_Creation_Left::scheduleRebuild()
{
    if (m_rebuildPending)
        return;
    m_rebuildPending = true;
    QTimer::singleShot(0, this, [this] {
        m_rebuildPending = false;
        // A rebuild would close the name being edited; the edit's own end
        // brings the list up to date.
        if (CUiManager::instance()->isRenaming())
            scheduleRebuild();
        else
            rebuild();
    });
}

void Widget_Creation_Left::rebuild()
{
    m_model->reload(m_book);
    selectChapter(m_currentId);
}

void Widget_Creation_Left::openRecycleBin()
{
    if (!m_book)
        return;
    if (!m_recycleBin) {
        m_recycleBin = new Widget_RecycleBin(window());
        connect(m_recycleBin, &Widget_RecycleBin::sig_Replain, this, &Widget_Creation_Left::onRecyclePaint);
    }
    m_recycleBin->setBook(m_book);
    const QRect frame = window()->frameGeometry();
    m_recycleBin->move(frame.center() - m_recycleBin->rect().center());
    m_recycleBin->show();
    m_recycleBin->raise();
    m_recycleBin->activateWindow();
}

void Widget_Creation_Left::onRecyclePaint()
{
    rebuild();
}

void Widget_Creation_Left::on_btn_creation_chapter_asc_clicked()
{
    if (!m_book)
        return;
    m_book->chapterSortDesc = m_btnAsc->isChecked() ? 1 : 0;
    rebuild();
}

void Widget_Creation_Left::on_btn_creation_recycle_clicked()
{
    openRecycleBin();
}

void Widget_Creation_Left::on_btn_creation_chapter_create_clicked()
{
    createChapter();
}

void Widget_Creation_Left::on_listViewPressedByLeftBtn(int localChapterId)
{
    if (!m_book || !CBookJobManager::findChapter(m_book, localChapterId))
        return;
    m_currentId = localChapterId;
    emit sig_openChapter(localChapterId, false);
}

void Widget_Creation_Left::on_listViewPressedByRightBtn(int localChapterId, int row)
{
    if (!m_book || !CBookJobManager::findChapter(m_book, localChapterId))
        return;
    m_currentId = localChapterId;
    m_actPrevious->setEnabled(row > 0);
    m_actNext->setEnabled(row < m_model->rowCount() - 1);
    m_menu->adjustSize();
    QPoint at = QCursor::pos();
    CUiManager *ui = CUiManager::instance();
    const int windowBottom = ui->windowPos().y() + ui->windowHeight();
    if (ui->windowHeight() > 0 && at.y() + m_menu->sizeHint().height() > windowBottom)
        at.ry() -= m_menu->sizeHint().height();
    m_menu->popup(at);
}

void Widget_Creation_Left::renameRow(int localChapterId)
{
    const int row = m_model->rowOf(localChapterId);
    if (row < 0)
        return;
    const QModelIndex index = m_model->index(row);
    m_list->setCurrentIndex(index);
    m_list->edit(index);
}

bool Widget_Creation_Left::createChapter()
{
    if (!m_book)
        return false;
    m_btnCreate->setEnabled(false);
    int highest = 0;
    for (const T_Chapter *chapter : m_book->chapterList)
        highest = qMax(highest, chapter->orderNum);
    TC_Chapter_Create req;
    req.localBookId = m_book->localId;
    req.bookId = m_book->bookId;
    req.order_num = highest + 1;
    req.chapterName =
        m_book->chapterList.isEmpty() ? QStringLiteral("第1章 ") : QStringLiteral("第%1章 ").arg(highest + 1);
    req.update_time = CreationClock::now() + req.order_num;
    const bool ok = CJobManager::instance()->chapterCreate(req);
    QTimer::singleShot(kCreateCooldownMs, m_btnCreate, [this] { m_btnCreate->setEnabled(true); });
    if (!ok)
        return false;
    rebuild();
    const int id = req.localChapterId;
    setCurrent(id);
    if (m_book->chapterSortDesc)
        m_list->scrollToTop();
    else
        m_list->scrollToBottom();
    m_list->setFocus();
    emit sig_openChapter(id, false);
    m_book->lastEditChapterId = id;
    CQuorvinDb::instance()->setLastEditChapter(m_book->localId, id);
    renameRow(id);
    return true;
}

bool Widget_Creation_Left::moveChapter(int direction)
{
    if (!m_book || m_currentId < 1)
        return false;
    TC_Chapter_Move req;
    req.localBookId = m_book->localId;
    req.localChapterId = m_currentId;
    req.direction = direction;
    req.update_time = CreationClock::now();
    // In the reversed list the row above is the next chapter.
    if (m_book->chapterSortDesc)
        req.direction = direction == 1 ? 2 : 1;
    if (!CJobManager::instance()->chapterMove(req))
        return false;
    rebuild();
    return true;
}

bool Widget_Creation_Left::deleteChapter()
{
    if (!m_book || m_currentId < 1)
        return false;
    const int answer = ZtMessageBox::question(
        this, QStringLiteral("删除章节"),
        QStringLiteral("确认要删除本章吗？\n\n删除后在章节回收站中仍然可以看到。"),
        ZtMessageBox::standardText(ZtMessageBox::Cancel), ZtMessageBox::standardText(ZtMessageBox::Ok), 1);
    if (answer != 1)
        return false;
    return removeChapter(m_currentId);
}

bool Widget_Creation_Left::removeChapter(int localChapterId)
{
    const int row = m_model->rowOf(localChapterId);
    if (!m_book || row < 0)
        return false;
    int neighbour = 0;
    if (row < m_model->rowCount() - 1)
        neighbour = m_model->item(row + 1)->localChapterId;
    else if (row > 0)
        neighbour = m_model->item(row - 1)->localChapterId;
    emit sig_chapterDeleting(localChapterId);
    TC_Chapter_Recycle req;
    req.localBookId = m_book->localId;
    req.localChapterId = localChapterId;
    req.status = 0;
    req.update_time = CreationClock::now();
    if (!CJobManager::instance()->chapterRecycle(req))
        return false;
    m_book->lastEditChapterId = neighbour;
    CQuorvinDb::instance()->setLastEditChapter(m_book->localId, neighbour);
    m_currentId = neighbour;
    rebuild();
    emit sig_chapterDeleted(localChapterId, neighbour);
    CQuorvinDb::instance()->updateBook(*m_book);
    return true;
}

void Widget_Creation_Left::hidePreview()
{
    m_btnPreview->setChecked(false);
}

void Widget_Creation_Left::fillPreview()
{
    if (m_btnPreview->isChecked())
        m_preview->reload();
}
