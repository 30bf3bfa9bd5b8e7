#include "widget_recyclebin.h"

#include "chapterlistdelegate.h"
#include "chapterlistmodel.h"
#include "creationclock.h"
#include "db/cquorvindb.h"
#include "db/records.h"
#include "manager/cbookjobmanager.h"
#include "manager/cjobmanager.h"
#include "manager/cuimanager.h"
#include "ui/popupframe.h"
#include "ui/ztmessagebox.h"

#include <QCursor>
#include <QDateTime>
#include <QDebug>
#include <QHBoxLayout>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QPushButton>
#include <QTextEdit>
#include <QTextFrame>
#include <QVBoxLayout>

namespace {

const qint64 kDaySeconds = 24 * 60 * 60;

// The text as the editor shows it: lines joined, blank ones dropped.
QString joinedLines(const QString &content)
{
    QStringList lines = content.split(QRegExp(QStringLiteral("[\\r\\n]")), Qt::SkipEmptyParts);
    return lines.join(QLatin1Char('\n'));
}

} // namespace

Widget_RecycleBin::Widget_RecycleBin(QWidget *parent) : QDialog(parent)
{
    setObjectName("Widget_RecycleBin");
    setWindowTitle(QStringLiteral("章节回收站"));
    setAccessibleName(QStringLiteral("章节回收站"));
    QWidget *bg = PopupFrame::build(this, &m_close);
    m_close->setAccessibleName(QStringLiteral("关闭"));
    disconnect(m_close, nullptr, this, nullptr);
    connect(m_close, &QPushButton::clicked, this, &Widget_RecycleBin::on_btn_close_clicked);

    auto *column = new QVBoxLayout(bg);
    column->setContentsMargins(24, 16, 16, 20);
    auto *titleRow = new QHBoxLayout;
    auto *title = new QLabel(QStringLiteral("章节回收站"), bg);
    title->setObjectName("CommonWidgetTitle");
    titleRow->addWidget(title);
    titleRow->addStretch(1);
    titleRow->addWidget(m_close, 0, Qt::AlignTop);
    column->addLayout(titleRow);
    column->addSpacing(12);

    auto *body = new QHBoxLayout;
    m_list = new QListView(bg);
    m_list->setObjectName("recycle_listview");
    m_list->setAccessibleName(QStringLiteral("回收站中的章节"));
    m_list->setFixedWidth(180);
    m_list->setSpacing(0);
    m_list->setFrameShape(QFrame::NoFrame);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // The rows sit on the popup's own background, in either theme.
    m_list->setStyleSheet(
        QStringLiteral("QListView#recycle_listview { background: transparent; border: none; }"));
    m_list->viewport()->setAutoFillBackground(false);
    m_model = new ChapterListModel(this);
    m_list->setModel(m_model);
    m_delegate = new ChapterListDelegate(ChapterListDelegate::ModeRecycle, m_list);
    m_list->setItemDelegate(m_delegate);
    body->addWidget(m_list);

    auto *details = new QVBoxLayout;
    auto *labels = new QHBoxLayout;
    m_creatTime = new QLabel(bg);
    m_creatTime->setObjectName("label_creatTime");
    m_wordCount = new QLabel(bg);
    m_wordCount->setObjectName("label_wordCount");
    m_dateTime = new QLabel(bg);
    m_dateTime->setObjectName("label_DateTime");
    labels->addWidget(m_creatTime);
    labels->addSpacing(16);
    labels->addWidget(m_wordCount);
    labels->addStretch(1);
    labels->addWidget(m_dateTime);
    details->addLayout(labels);
    m_text = new QTextEdit(bg);
    m_text->setObjectName("textEdit_recycle");
    m_text->setAccessibleName(QStringLiteral("章节内容"));
    m_text->setReadOnly(true);
    m_text->setStyleSheet(QStringLiteral("QTextEdit#textEdit_recycle { font-size: 14px; }"));
    m_text->document()->rootFrame()->setFrameFormat([this] {
        QTextFrameFormat format = m_text->document()->rootFrame()->frameFormat();
        format.setMargin(12);
        return format;
    }());
    details->addWidget(m_text, 1);
    body->addLayout(details, 1);
    column->addLayout(body, 1);

    m_menu = new QMenu(this);
    m_menu->setObjectName("Widget_RecycleBin_Menu");
    m_menu->setWindowFlags(m_menu->windowFlags() | Qt::FramelessWindowHint | Qt::NoDropShadowWindowHint);
    m_menu->setFixedWidth(136);
    QAction *remove = m_menu->addAction(tr("Delete"));
    QAction *recover = m_menu->addAction(tr("Recover"));
    m_menu->addSeparator();
    QAction *removeAll = m_menu->addAction(tr("Delete All"));
    QAction *recoverAll = m_menu->addAction(tr("Recover All"));
    connect(remove, &QAction::triggered, this, &Widget_RecycleBin::deleteCurrent);
    connect(recover, &QAction::triggered, this, &Widget_RecycleBin::recoverCurrent);
    connect(removeAll, &QAction::triggered, this, &Widget_RecycleBin::confirmDeleteAll);
    connect(recoverAll, &QAction::triggered, this, &Widget_RecycleBin::recoverAll);

    connect(m_delegate, &ChapterListDelegate::sig_onMousePressedByLeftBtn, this,
            &Widget_RecycleBin::onMousePressedByLeftBtn);
    connect(m_delegate, &ChapterListDelegate::sig_onMousePressedByRightBtn, this,
            &Widget_RecycleBin::onMousePressedByRightBtn);
    // Chapters may leave or enter the bin meanwhile (a sync, another page),
    // and the book itself may go.
    connect(CUiManager::instance(), &CUiManager::sig_ChapterListChanged, this, [this](T_Book *book) {
        if (book == m_book && isVisible())
            refresh();
    });
    connect(CUiManager::instance(), &CUiManager::sig_BookListChanged, this, [this] {
        if (m_book && !T_SessionData::instance().books.contains(m_book)) {
            m_book = nullptr;
            on_btn_close_clicked();
        }
    });
    resize(760 + 2 * layout()->contentsMargins().left(), 520 + 2 * layout()->contentsMargins().top());
}

int Widget_RecycleBin::daysLeft(qint64 recycledAt, qint64 now)
{
    const qint64 left = recycledAt + kKeepDays * kDaySeconds - now;
    if (left <= 0)
        return 0;
    return int((left + kDaySeconds - 1) / kDaySeconds);
}

void Widget_RecycleBin::setBook(T_Book *book)
{
    m_book = book;
    clearDetails();
    reloadList();
    const QList<T_Chapter *> chapters = ChapterListModel::ordered(m_book, true);
    if (!chapters.isEmpty()) {
        showDetails(chapters.first());
        m_list->setCurrentIndex(m_model->index(0));
    }
}

void Widget_RecycleBin::refresh()
{
    if (m_chapter && !m_book->recycleList.contains(m_chapter))
        clearDetails();
    reloadList();
    if (m_chapter)
        m_list->setCurrentIndex(m_model->index(m_model->rowOf(m_chapter->localId)));
}

void Widget_RecycleBin::reloadList()
{
    m_model->reload(m_book, true);
}

void Widget_RecycleBin::clearDetails()
{
    m_chapter = nullptr;
    m_creatTime->clear();
    m_wordCount->clear();
    m_dateTime->clear();
    m_text->clear();
}

void Widget_RecycleBin::showDetails(T_Chapter *chapter)
{
    if (!chapter)
        return;
    m_chapter = chapter;
    if (!chapter->isContentLoaded && !CQuorvinDb::instance()->ensureChapterContent(*chapter))
        qWarning() << "cannot read the text of recycled chapter" << chapter->localId;
    m_creatTime->setText(
        tr("creatTime:%1")
            .arg(QDateTime::fromSecsSinceEpoch(chapter->createTime).toString("yyyy-MM-dd hh:mm:ss")));
    // Counted as everywhere else: every character that is not a blank or a line break.
    m_wordCount->setText(tr("%1wordCount").arg(CUiManager::countWords(chapter->content)));
    m_dateTime->setText(tr("lastDay:%1").arg(daysLeft(chapter->updateTime, CreationClock::now())));
    m_text->setPlainText(joinedLines(chapter->content));
}

void Widget_RecycleBin::on_btn_close_clicked()
{
    clearDetails();
    m_model->reload(nullptr, true);
    close();
}

void Widget_RecycleBin::onMousePressedByLeftBtn(int localChapterId)
{
    showDetails(CBookJobManager::findChapter(m_book, localChapterId));
}

void Widget_RecycleBin::onMousePressedByRightBtn(int localChapterId, int row)
{
    T_Chapter *chapter = CBookJobManager::findChapter(m_book, localChapterId);
    if (!chapter)
        return;
    showDetails(chapter);
    m_list->setCurrentIndex(m_model->index(row));
    QPoint at = QCursor::pos();
    CUiManager *ui = CUiManager::instance();
    const int windowBottom = ui->windowPos().y() + ui->windowHeight();
    if (ui->windowHeight() > 0 && at.y() + m_menu->sizeHint().height() > windowBottom)
        at.ry() -= m_menu->sizeHint().height();
    m_menu->popup(at);
}

T_Chapter *Widget_RecycleBin::neighbourOf(const T_Chapter *chapter) const
{
    const QList<T_Chapter *> chapters = ChapterListModel::ordered(m_book, true);
    const int at = chapters.indexOf(const_cast<T_Chapter *>(chapter));
    if (at < 0)
        return nullptr;
    if (at + 1 < chapters.size())
        return chapters.at(at + 1);
    return at > 0 ? chapters.at(at - 1) : nullptr;
}

bool Widget_RecycleBin::recycleJob(T_Chapter *chapter, int status)
{
    TC_Chapter_Recycle req;
    req.localBookId = chapter->localBookId;
    req.localChapterId = chapter->localId;
    req.status = status;
    req.update_time = CreationClock::now();
    return CJobManager::instance()->chapterRecycle(req);
}

bool Widget_RecycleBin::deleteJob(T_Chapter *chapter)
{
    TC_Chapter_Del req;
    req.localBookId = chapter->localBookId;
    req.localChapterId = chapter->localId;
    req.update_time = CreationClock::now();
    return CJobManager::instance()->chapterDelete(req);
}

void Widget_RecycleBin::afterRemoval(T_Chapter *neighbour)
{
    reloadList();
    if (neighbour) {
        m_list->setCurrentIndex(m_model->index(m_model->rowOf(neighbour->localId)));
        showDetails(neighbour);
    }
    m_list->viewport()->update();
    emit sig_Replain();
}

bool Widget_RecycleBin::deleteCurrent()
{
    T_Chapter *chapter = m_chapter;
    clearDetails();
    if (!chapter || !m_book)
        return false;
    T_Chapter *neighbour = neighbourOf(chapter);
    if (!deleteJob(chapter)) {
        showDetails(chapter);
        CUiManager::instance()->showTips(QStringLiteral("章节未能删除：本地数据库写入失败，请稍后重试"), 0);
        return false;
    }
    afterRemoval(neighbour);
    return true;
}

bool Widget_RecycleBin::recoverCurrent()
{
    T_Chapter *chapter = m_chapter;
    clearDetails();
    if (!chapter || !m_book)
        return false;
    T_Chapter *neighbour = neighbourOf(chapter);
    if (!recycleJob(chapter, 1)) {
        showDetails(chapter);
        CUiManager::instance()->showTips(QStringLiteral("章节未能恢复：本地数据库写入失败，请稍后重试"), 0);
        return false;
    }
    afterRemoval(neighbour);
    return true;
}

bool Widget_RecycleBin::confirmDeleteAll()
{
    const int count = ChapterListModel::ordered(m_book, true).size();
    if (count == 0)
        return false;
    // Nothing brings these chapters back: the author says so first.
    const int answer = ZtMessageBox::question(
        this, QStringLiteral("全部删除"),
        QStringLiteral("确认要彻底删除回收站中的全部 %1 章吗？\n\n删除后无法恢复。").arg(count),
        ZtMessageBox::standardText(ZtMessageBox::Cancel), ZtMessageBox::standardText(ZtMessageBox::Ok), 0);
    if (answer != 1)
        return false;
    deleteAll();
    return true;
}

void Widget_RecycleBin::deleteAll()
{
    clearDetails();
    if (!m_book)
        return;
    // Always the first of the shrinking list; one the store refuses stays
    // in the bin, and the rest are still tried.
    QList<T_Chapter *> left = ChapterListModel::ordered(m_book, true);
    bool failed = false;
    for (T_Chapter *chapter : left)
        failed |= !deleteJob(chapter);
    reloadList();
    if (failed)
        CUiManager::instance()->showTips(QStringLiteral("部分章节未能删除：本地数据库写入失败，请稍后重试"),
                                         0);
    emit sig_Replain();
}

void Widget_RecycleBin::recoverAll()
{
    clearDetails();
    if (!m_book)
        return;
    QList<T_Chapter *> left = ChapterListModel::ordered(m_book, true);
    bool failed = false;
    for (T_Chapter *chapter : left)
        failed |= !recycleJob(chapter, 1);
    reloadList();
    if (failed)
        CUiManager::instance()->showTips(QStringLiteral("部分章节未能恢复：本地数据库写入失败，请稍后重试"),
                                         0);
    emit sig_Replain();
}
