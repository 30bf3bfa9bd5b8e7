#include "widget_creation.h"

#include "db/records.h"
#include "manager/cbookjobmanager.h"
#include "manager/cuimanager.h"
#include "ui/creation/creation_textedit.h"
#include "ui/creation/ctabbutton.h"
#include "ui/creation/timemachine/dialog_timemachine.h"
#include "ui/creation/widget_creation_content.h"
#include "ui/creation/widget_creation_left.h"
#include "ui/creation/widget_creation_plane1.h"
#include "ui/creation/widget_creation_top.h"

#include <QApplication>
#include <QCursor>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QParallelAnimationGroup>
#include <QPropertyAnimation>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

const int kSlideMs = 200;
const int kTopBand = 10;
const int kLeftBand = 20;
const int kPinFromBottom = 100;
const int kPinAreaWidth = 44;
const int kPinAreaFromBottom = 140;
const int kPinAreaHeight = 100;

bool isHotKey(const QKeyEvent *event)
{
    const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
    const int key = event->key();
    if (mods == Qt::NoModifier)
        return key >= Qt::Key_F1 && key <= Qt::Key_F9;
    if (mods == Qt::ControlModifier)
        return key == Qt::Key_F1 || key == Qt::Key_F2 || key == Qt::Key_F3 || key == Qt::Key_F4 ||
               key == Qt::Key_F6 || key == Qt::Key_F;
    return false;
}

} // namespace

Widget_Creation::Widget_Creation(QWidget *parent) : QWidget(parent)
{
    setObjectName("Widget_Creation");
    setAttribute(Qt::WA_StyledBackground);
    setMouseTracking(true);
    m_row = new QHBoxLayout(this);
    m_row->setContentsMargins(0, 0, 0, 0);
    m_row->setSpacing(0);
    m_left = new Widget_Creation_Left(this);
    m_top = new Widget_Creation_Top(this);
    m_content = new Widget_Creation_Content(this);
    m_column = new QVBoxLayout;
    m_column->setContentsMargins(0, 0, 0, 0);
    m_column->setSpacing(0);
    m_column->addWidget(m_top);
    m_column->addWidget(m_content, 1);
    m_row->addWidget(m_left);
    m_row->addLayout(m_column, 1);

    m_btnLockLeft = new QPushButton(this);
    m_btnLockLeft->setObjectName("btnLockLeft");
    m_btnLockLeft->setToolTip(tr("Pin the chapter list"));
    m_btnLockLeft->setFixedSize(24, 24);
    m_btnLockLeft->setCheckable(true);
    m_btnLockLeft->setChecked(true);
    m_btnLockLeft->setFocusPolicy(Qt::TabFocus); // reached by Tab, never taken by a click
    m_btnLockLeft->hide();

    m_topAnimation = new QPropertyAnimation(m_top, "geometry", this);
    m_topAnimation->setDuration(kSlideMs);
    m_leftAnimation = new QPropertyAnimation(m_left, "geometry", this);
    m_leftAnimation->setDuration(kSlideMs);
    m_pinAnimation = new QPropertyAnimation(m_btnLockLeft, "geometry", this);
    m_pinAnimation->setDuration(kSlideMs);
    m_leftGroup = new QParallelAnimationGroup(this);
    m_leftGroup->addAnimation(m_leftAnimation);
    m_leftGroup->addAnimation(m_pinAnimation);

    connect(this, &Widget_Creation::sig_setBook, m_left, &Widget_Creation_Left::on_setBook);
    connect(m_left, &Widget_Creation_Left::sig_openChapter, this,
            [this](int id, bool newTab) { openChapter(id, newTab); });
    connect(m_left, &Widget_Creation_Left::sig_chapterRenamed, this, &Widget_Creation::renameTab);
    connect(m_left, &Widget_Creation_Left::sig_chapterDeleting, this, [this](int id) {
        T_Chapter *open = m_content->chapter();
        if (open && open->localId == id) {
            m_content->saveChapter();
            m_content->clearChapter();
        }
    });
    connect(m_left, &Widget_Creation_Left::sig_chapterDeleted, this, &Widget_Creation::onChapterDeleted);
    connect(CUiManager::instance(), &CUiManager::sig_ChapterLeaving, this,
            &Widget_Creation::onChapterLeaving);
    connect(m_left, &Widget_Creation_Left::sig_exportChapter, this, [this](int id) {
        m_content->exportChapter(m_book ? CBookJobManager::findChapter(m_book, id) : nullptr);
    });
    connect(m_left, &Widget_Creation_Left::sig_timeMachine, this, &Widget_Creation::openTimeMachine);
    connect(m_top, &Widget_Creation_Top::sig_tabChapter, this, [this](int id) { openChapter(id, false); });
    connect(m_top, &Widget_Creation_Top::sig_creation_setup1_clicked, this,
            &Widget_Creation::on_creation_setup1_clicked);
    connect(m_top, &Widget_Creation_Top::sig_creation_close, this, &Widget_Creation::on_creation_close);
    connect(m_top, &Widget_Creation_Top::sig_saveRequested, m_content, [this] { m_content->saveChapter(); });
    connect(m_content, &Widget_Creation_Content::sig_full_editing, this, [this] {
        if (m_fullScreen)
            slideTop(false);
    });
    connect(m_btnLockLeft, &QPushButton::toggled, this, [this](bool pinned) { m_leftPinned = pinned; });
    qApp->installEventFilter(this);
}

void Widget_Creation::openBook(T_Book *book)
{
    if (m_content->chapter())
        m_content->closeChapter();
    m_book = book;
    T_SessionData::instance().user.localBookId = book ? book->localId : 0;
    m_left->hidePreview();
    m_top->closeAllTabs();
    T_Chapter *chosen = m_left->showBook(book);
    if (chosen)
        openChapter(chosen->localId, false);
}

bool Widget_Creation::openChapter(int localChapterId, bool newTab)
{
    T_Chapter *chapter = m_book ? CBookJobManager::findChapter(m_book, localChapterId) : nullptr;
    if (!chapter)
        return false;
    const bool shown = newTab ? m_top->openInNewTab(chapter->localId, chapter->name)
                              : m_top->openInCurrentTab(chapter->localId, chapter->name);
    if (!shown)
        return false;
    m_left->selectChapter(chapter->localId);
    if (m_content->chapter() == chapter)
        return true;
    return m_content->openChapter(m_book, chapter);
}

void Widget_Creation::renameTab(int localChapterId, const QString &name)
{
    m_top->renameTab(localChapterId, name);
}

void Widget_Creation::openTimeMachine(int localChapterId)
{
    T_Chapter *chapter = m_book ? CBookJobManager::findChapter(m_book, localChapterId) : nullptr;
    if (!chapter)
        return;
    // The comparison is with the text as typed, not as last saved.
    if (m_content->chapter())
        m_content->saveChapter();
    Dialog_TimeMachine dialog(chapter, this);
    connect(&dialog, &Dialog_TimeMachine::sig_restored, this, [this](int id) {
        T_Chapter *open = m_content->chapter();
        if (open && open->localId == id)
            m_content->openChapter(m_book, open);
    });
    dialog.exec();
}

void Widget_Creation::exportCurrentChapter()
{
    m_content->exportChapter();
}

void Widget_Creation::onChapterDeleted(int localChapterId, int neighbour)
{
    m_top->forgetChapter(localChapterId);
    if (neighbour > 0) {
        openChapter(neighbour, false);
    } else {
        m_content->clearChapter();
        m_top->closeAllTabs();
    }
}

void Widget_Creation::onChapterLeaving(int localChapterId)
{
    // Here or on another machine: no tab may keep a chapter that is in the
    // recycle bin or gone, or typing there would land in it.
    const T_Chapter *open = m_content->chapter();
    const bool showing = open && open->localId == localChapterId;
    if (showing) {
        m_content->saveChapter();
        m_content->clearChapter();
    }
    m_top->forgetChapter(localChapterId);
    // The chapter list's own delete has cleared the editor already and
    // opens the neighbour in the current tab itself.
    CTabButton *current = m_top->currentTab();
    if (!showing || !current || current->localId() != localChapterId)
        return;
    if (m_top->visibleTabs().size() > 1)
        m_top->closeTab(current); // opens the tab beside it
    else
        m_top->closeAllTabs();
}

void Widget_Creation::forgetBook(T_Book *book)
{
    if (!book || book != m_book)
        return;
    if (m_content->chapter()) {
        m_content->saveChapter();
        m_content->clearChapter();
    }
    m_top->closeAllTabs();
    m_left->hidePreview();
    m_left->showBook(nullptr);
    m_book = nullptr;
    T_SessionData::instance().user.localBookId = 0;
}

void Widget_Creation::onBookshelfShown()
{
    if (m_content->chapter())
        m_content->closeChapter();
    m_left->hidePreview();
}

Widget_Creation_Plane1 *Widget_Creation::toolsPanel() const
{
    return m_plane1;
}

void Widget_Creation::on_creation_setup1_clicked(bool isChecked)
{
    Q_UNUSED(isChecked)
    if (!m_plane1)
        m_plane1 = new Widget_Creation_Plane1(this);
    m_plane1->showBelow(m_top->setupButton());
}

void Widget_Creation::hideEvent(QHideEvent *event)
{
    if (m_plane1)
        m_plane1->hide();
    QWidget::hideEvent(event);
}

void Widget_Creation::on_creation_setup2_clicked()
{
    m_content->on_btn_creation_setup2_clicked();
}

void Widget_Creation::on_creation_setup3_clicked()
{
    m_content->on_btn_creation_setup3_clicked();
}

void Widget_Creation::on_creation_close()
{
    m_left->hidePreview();
    m_content->closeChapter();
    CUiManager::instance()->showBookshelf();
}

void Widget_Creation::onWindowStateChanged(Qt::WindowStates state)
{
    m_top->updateButtons(state, CUiManager::instance()->isLocked());
    const bool full = state & Qt::WindowFullScreen;
    if (full && !m_fullScreen)
        enterFullScreen();
    else if (!full && m_fullScreen)
        leaveFullScreen();
}

// ---- Full screen ------------------------------------------------------------------

void Widget_Creation::enterFullScreen()
{
    m_fullScreen = true;
    m_pinRemembered = m_btnLockLeft->isChecked();
    m_row->removeWidget(m_left);
    m_column->removeWidget(m_top);
    m_topShown = false;
    m_leftShown = m_leftPinned;
    m_top->setGeometry(0, -m_top->height(), width(), m_top->height());
    m_left->setGeometry(m_leftShown ? 0 : -m_left->width(), 0, m_left->width(), height());
    m_top->raise();
    m_left->raise();
    m_btnLockLeft->show();
    m_btnLockLeft->raise();
    placePin();
    m_content->setFullScreenMode(true);
}

void Widget_Creation::leaveFullScreen()
{
    m_fullScreen = false;
    m_topAnimation->stop();
    m_leftGroup->stop();
    m_column->insertWidget(0, m_top);
    m_row->insertWidget(0, m_left);
    m_topShown = true;
    m_leftShown = true;
    m_btnLockLeft->hide();
    m_btnLockLeft->setChecked(m_pinRemembered);
    m_content->setFullScreenMode(false);
}

void Widget_Creation::slideTop(bool in)
{
    if (!m_fullScreen || m_topShown == in)
        return;
    m_topShown = in;
    m_topAnimation->stop();
    m_topAnimation->setStartValue(m_top->geometry());
    m_topAnimation->setEndValue(QRect(0, in ? 0 : -m_top->height(), width(), m_top->height()));
    m_top->raise();
    m_topAnimation->start();
}

void Widget_Creation::slideLeft(bool in)
{
    if (!m_fullScreen || m_leftShown == in)
        return;
    m_leftShown = in;
    m_leftGroup->stop();
    const int w = m_left->width();
    m_leftAnimation->setStartValue(m_left->geometry());
    m_leftAnimation->setEndValue(QRect(in ? 0 : -w, 0, w, height()));
    m_pinAnimation->setStartValue(m_btnLockLeft->geometry());
    m_pinAnimation->setEndValue(QRect(in ? w : 0, height() - kPinFromBottom, 24, 24));
    m_left->raise();
    m_btnLockLeft->raise();
    m_leftGroup->start();
}

void Widget_Creation::placePin()
{
    m_btnLockLeft->setGeometry(m_leftShown ? m_left->width() : 0, height() - kPinFromBottom, 24, 24);
}

void Widget_Creation::onPointerMoved(const QPoint &pos)
{
    if (!rect().contains(pos))
        return;
    const QRect pinArea(0, height() - kPinAreaFromBottom, kPinAreaWidth, kPinAreaHeight);
    if (pos.y() < kTopBand && pos.x() >= (m_leftShown ? m_left->width() : 0))
        slideTop(true);
    if (!m_leftShown && pos.x() < kLeftBand && pos.y() >= kTopBand && !pinArea.contains(pos))
        slideLeft(true);
    else if (m_leftShown && !m_leftPinned && pos.x() > m_left->width() + m_btnLockLeft->width())
        slideLeft(false);
}

void Widget_Creation::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    if (!m_fullScreen)
        return;
    m_top->setGeometry(0, m_topShown ? 0 : -m_top->height(), width(), m_top->height());
    m_left->setGeometry(m_leftShown ? 0 : -m_left->width(), 0, m_left->width(), height());
    placePin();
}

bool Widget_Creation::handleKey(QKeyEvent *event)
{
    if (m_fullScreen && event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        if (!CUiManager::instance()->isLocked())
            CUiManager::instance()->setWindowFullScreen(false);
        return true;
    }
    if (!isHotKey(event))
        return false;
    emit CUiManager::instance()->sig_Creation_HotKey_Press(event);
    return true;
}

bool Widget_Creation::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    if (type != QEvent::KeyPress && type != QEvent::MouseMove)
        return QWidget::eventFilter(watched, event);
    if (!isVisible() || !watched->isWidgetType() || !isAncestorOf(static_cast<QWidget *>(watched)))
        return QWidget::eventFilter(watched, event);
    if (type == QEvent::KeyPress) {
        if (handleKey(static_cast<QKeyEvent *>(event)))
            return true;
    } else if (m_fullScreen) {
        onPointerMoved(mapFromGlobal(QCursor::pos()));
    }
    return QWidget::eventFilter(watched, event);
}
