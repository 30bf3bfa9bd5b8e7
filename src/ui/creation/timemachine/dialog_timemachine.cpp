#include "dialog_timemachine.h"

#include "db/cquorvindb.h"
#include "manager/cbookjobmanager.h"
#include "manager/cjobmanager.h"
#include "manager/cqssmanager.h"
#include "manager/cuimanager.h"
#include "ui/popupframe.h"
#include "widget_comparehint.h"

#include <QDateTime>
#include <QDebug>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QListView>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTextEdit>
#include <QVBoxLayout>

namespace {

// Paragraphs of both panes: 12-pixel text, 24-pixel lines, 24-pixel indent.
constexpr int kFontSize = 12;
constexpr int kLineHeight = 24;
constexpr int kIndent = 24;

QString escaped(const QString &text)
{
    QString out = text.toHtmlEscaped();
    out.replace(QLatin1Char('\''), QLatin1String("&#39;"));
    return out;
}

QLabel *heading(const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName("lb_heading");
    return label;
}

QTextEdit *pane(const char *name, const QString &accessible, QWidget *parent)
{
    auto *edit = new QTextEdit(parent);
    edit->setObjectName(name);
    edit->setReadOnly(true);
    edit->setAccessibleName(accessible);
    edit->setMinimumWidth(300);
    return edit;
}

} // namespace

Dialog_TimeMachine::Dialog_TimeMachine(T_Chapter *chapter, QWidget *parent)
    : QDialog(parent), m_localBookId(chapter ? chapter->localBookId : 0),
      m_localChapterId(chapter ? chapter->localId : 0)
{
    setObjectName("Dialog_TimeMachine");
    setModal(true);
    setWindowTitle(QStringLiteral("时光机"));
    setAccessibleName(QStringLiteral("时光机"));
    QWidget *bg = PopupFrame::build(this, &m_btnClose);
    m_btnClose->setAccessibleName(tr("Close"));

    auto *column = new QVBoxLayout(bg);
    column->setContentsMargins(24, 16, 16, 24);
    column->setSpacing(12);
    auto *titleRow = new QHBoxLayout;
    auto *title = new QLabel(QStringLiteral("时光机"), bg);
    title->setObjectName("CommonLabelTitle");
    titleRow->addWidget(title);
    titleRow->addStretch(1);
    titleRow->addWidget(m_btnClose, 0, Qt::AlignTop);
    column->addLayout(titleRow);

    auto *body = new QHBoxLayout;
    body->setSpacing(16);
    column->addLayout(body, 1);

    // Versions
    auto *left = new QVBoxLayout;
    m_count = new QLabel(bg);
    m_count->setObjectName("lb_count");
    m_count->setFixedHeight(36);
    m_list = new QListView(bg);
    m_list->setObjectName("listView_blade");
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setFixedWidth(230);
    m_list->setAccessibleName(tr("Versions of the chapter"));
    m_model = new QStandardItemModel(this);
    m_list->setModel(m_model);
    left->addWidget(m_count);
    left->addWidget(m_list, 1);
    body->addLayout(left);

    // The snapshot
    auto *middle = new QVBoxLayout;
    auto *middleHead = new QHBoxLayout;
    middleHead->setContentsMargins(0, 0, 0, 0);
    middleHead->addWidget(heading(QStringLiteral("历史版本"), bg));
    middleHead->addStretch(1);
    m_btnRestore = new QPushButton(QStringLiteral("恢复此版本"), bg);
    m_btnRestore->setObjectName("btnRestore");
    m_btnRestore->setProperty("primary", true);
    m_btnRestore->setCursor(Qt::PointingHandCursor);
    m_btnRestore->setAccessibleName(QStringLiteral("恢复此版本"));
    middleHead->addWidget(m_btnRestore);
    auto *middleHeadBox = new QWidget(bg);
    middleHeadBox->setFixedHeight(36);
    middleHeadBox->setLayout(middleHead);
    middle->addWidget(middleHeadBox);
    m_bladePane = pane("text_blade_content", tr("Text of the version"), bg);
    middle->addWidget(m_bladePane, 1);
    body->addLayout(middle, 1);

    // The comparison
    auto *right = new QVBoxLayout;
    auto *rightHead = new QHBoxLayout;
    rightHead->setContentsMargins(0, 0, 0, 0);
    rightHead->addWidget(heading(QStringLiteral("对比版本"), bg));
    m_btnTips = new QPushButton(bg);
    m_btnTips->setObjectName("btnTips");
    m_btnTips->setText(QStringLiteral("?"));
    m_btnTips->setFixedSize(20, 20);
    m_btnTips->setAccessibleName(tr("What the colours mean"));
    m_btnTips->installEventFilter(this);
    rightHead->addWidget(m_btnTips);
    rightHead->addStretch(1);
    auto *rightHeadBox = new QWidget(bg);
    rightHeadBox->setFixedHeight(36);
    rightHeadBox->setLayout(rightHead);
    right->addWidget(rightHeadBox);
    m_comparePane = pane("text_blade_current_content", tr("Current text compared with the version"), bg);
    right->addWidget(m_comparePane, 1);
    body->addLayout(right, 1);

    m_hint = new Widget_CompareHint(this);
    m_hint->hide();

    connect(m_list->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex &current) {
                if (current.isValid())
                    onRowSelected(current.row());
            });
    connect(m_btnRestore, &QPushButton::clicked, this, [this] { restoreSelected(); });
    resize(1100, 680);
    loadBlades();
}

Dialog_TimeMachine::~Dialog_TimeMachine() = default;

T_Chapter *Dialog_TimeMachine::chapter() const
{
    CBookJobManager *books = CBookJobManager::instance();
    return CBookJobManager::findChapter(books->findBook(m_localBookId), m_localChapterId);
}

bool Dialog_TimeMachine::isDarkTheme()
{
    return CQssManager::instance()->getStyle() == StyleDark;
}

// Red and blue as the comparison has always shown them; in the dark theme
// the same hues, lightened to stay readable on the dark page.
QString Dialog_TimeMachine::deletedColour(bool dark)
{
    return dark ? QStringLiteral("#ff6b6b") : QStringLiteral("#ff0000");
}

QString Dialog_TimeMachine::insertedColour(bool dark)
{
    return dark ? QStringLiteral("#6f9bff") : QStringLiteral("#0000ff");
}

QString Dialog_TimeMachine::bladeLabel(const T_ContentBlade &blade)
{
    const QString time =
        QDateTime::fromSecsSinceEpoch(blade.createTime).toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
    if (blade.bladeId == CQuorvinDb::kKeptHereBladeId)
        return tr("%1 (kept here)").arg(time);
    return time;
}

void Dialog_TimeMachine::loadBlades()
{
    m_blades.clear();
    m_model->clear();
    m_row = -1;
    if (m_localChapterId < 1 || !CQuorvinDb::instance()->getContentBlades(m_localChapterId, m_blades)) {
        qWarning() << "cannot read the snapshots of the chapter";
        m_blades.clear();
    }
    for (const T_ContentBlade &blade : qAsConst(m_blades)) {
        auto *item = new QStandardItem(bladeLabel(blade));
        if (blade.bladeId == CQuorvinDb::kKeptHereBladeId)
            item->setToolTip(tr("The server refused this save; the text is kept only on this machine"));
        item->setData(item->text(), Qt::AccessibleTextRole);
        m_model->appendRow(item);
    }
    updateCount(m_blades.isEmpty() ? -1 : 0);
}

void Dialog_TimeMachine::updateCount(int row)
{
    m_count->setText(tr("Version List(%1/%2)").arg(row + 1).arg(m_blades.size()));
    m_btnRestore->setEnabled(row >= 0);
}

void Dialog_TimeMachine::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (m_shownOnce)
        return;
    m_shownOnce = true;
    if (!m_blades.isEmpty())
        m_list->setCurrentIndex(m_model->index(0, 0)); // shows row 0
}

void Dialog_TimeMachine::onRowSelected(int row)
{
    updateCount(row);
    showBlade(row);
}

QList<Dialog_TimeMachine::Line> Dialog_TimeMachine::comparisonLines(const CDiffEngine::Diffs &diffs)
{
    // One paragraph per line of the texts: a line break inside a difference
    // ends its run and starts it again on the next line. Lines without text
    // (blank lines) are left out.
    QList<Line> lines;
    Line line;
    for (const CDiffEngine::Diff &diff : diffs) {
        const QStringList pieces = diff.text.split(QLatin1Char('\n'));
        for (int i = 0; i < pieces.size(); ++i) {
            if (i > 0) {
                if (!line.isEmpty())
                    lines << line;
                line.clear();
            }
            QString piece = pieces.at(i);
            piece.remove(QLatin1Char('\r'));
            if (!piece.isEmpty())
                line.append(qMakePair(int(diff.operation), piece));
        }
    }
    if (!line.isEmpty())
        lines << line;
    return lines;
}

QString Dialog_TimeMachine::comparisonHtml(const CDiffEngine::Diffs &diffs, bool dark)
{
    const QString deleted = QStringLiteral("<span style='color:%1;'>").arg(deletedColour(dark));
    const QString inserted = QStringLiteral("<span style='color:%1;'>").arg(insertedColour(dark));
    const QString paragraph = QStringLiteral("<p style='line-height:%1px;text-indent:%2px;font-size:%3px;'>")
                                  .arg(kLineHeight)
                                  .arg(kIndent)
                                  .arg(kFontSize);
    QString html = QStringLiteral("<html><body style=''>");
    for (const Line &line : comparisonLines(diffs)) {
        html += paragraph;
        for (const auto &run : line) {
            html += run.first == CDiffEngine::DELETE   ? deleted
                    : run.first == CDiffEngine::INSERT ? inserted
                                                       : QStringLiteral("<span>");
            // The chapter's own text is never markup.
            html += escaped(run.second);
            html += QLatin1String("</span>");
        }
        html += QLatin1String("</p>");
    }
    html += QLatin1String("</body></html>");
    return html;
}

void Dialog_TimeMachine::showBlade(int row)
{
    T_Chapter *current = chapter();
    if (!current || row < 0 || row >= m_blades.size())
        return;
    m_row = row;
    if (!current->isContentLoaded && !CQuorvinDb::instance()->ensureChapterContent(*current))
        qWarning() << "cannot read the text of the chapter" << current->localId;
    const T_ContentBlade &blade = m_blades.at(row);
    CDiffEngine engine;
    const CDiffEngine::Diffs diffs = engine.diff_main(blade.content, current->content, true);
    m_lastComparison = comparisonHtml(diffs, isDarkTheme());
    QString bladeHtml;
    CUiManager::toHtml(blade.content, bladeHtml, kLineHeight, kIndent, kFontSize);
    m_bladePane->setHtml(bladeHtml);
    m_comparePane->setHtml(m_lastComparison);
    qDebug() << "time machine comparison of chapter" << current->localId << "snapshot" << blade.localId
             << "in" << diffs.size() << "parts";
}

bool Dialog_TimeMachine::restoreSelected()
{
    T_Chapter *target = chapter();
    if (!target || m_row < 0 || m_row >= m_blades.size())
        return false;
    const T_ContentBlade blade = m_blades.at(m_row);
    T_Book *book = CBookJobManager::instance()->findBook(target->localBookId);
    CQuorvinDb *db = CQuorvinDb::instance();
    if (!book || (!target->isContentLoaded && !db->ensureChapterContent(*target))) {
        CUiManager::instance()->showTips(tr("The chapter's text cannot be read; nothing was restored"), 0);
        return false;
    }
    CJobManager *jobs = CJobManager::instance();
    if (target->content != blade.content) {
        // The text being replaced is kept first, so this restore can be undone.
        TC_Chapter_ContentBlade keep;
        keep.localBookId = book->localId;
        keep.bookId = book->bookId;
        keep.localChapterId = target->localId;
        keep.chapterId = target->chapterId;
        keep.content = target->content;
        keep.chapterName = target->name;
        // The server keeps one snapshot of a chapter per second: this one
        // must not share its second with the newest one.
        keep.createTime = db->currentTime();
        for (const T_ContentBlade &b : qAsConst(m_blades))
            keep.createTime = qMax(keep.createTime, b.createTime + 1);
        keep.update_time = keep.createTime;
        if (!jobs->chapterContentBlade(keep)) {
            CUiManager::instance()->showTips(tr("The current text could not be kept as a version; nothing "
                                                "was restored. Check the disk and "
                                                "try again"),
                                             0);
            return false;
        }
        TC_Chapter_Edit edit;
        edit.localBookId = book->localId;
        edit.bookId = book->bookId;
        edit.localChapterId = target->localId;
        edit.chapterId = target->chapterId;
        edit.content = blade.content;
        edit.update_time = db->currentTime();
        if (!jobs->chapterSaveContent(edit)) {
            CUiManager::instance()->showTips(tr("The version could not be saved as the chapter's text; the "
                                                "chapter is unchanged. Check the "
                                                "disk and try again"),
                                             0);
            return false;
        }
        // The book's word count follows its chapters (the save recounted it).
        if (!db->updateBook(*book))
            qWarning() << "cannot store the word count of book" << book->localId;
    }
    emit sig_restored(target->localId);

    // The list now starts with the text just replaced; the restored version
    // stays selected and shows no difference any more.
    loadBlades();
    int row = 0;
    for (int i = 0; i < m_blades.size(); ++i)
        if (m_blades.at(i).localId == blade.localId)
            row = i;
    if (!m_blades.isEmpty())
        m_list->setCurrentIndex(m_model->index(row, 0)); // shows it
    CUiManager::instance()->showTips(
        tr("Version restored; the replaced text is the newest version in the list"), 1);
    return true;
}

bool Dialog_TimeMachine::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_btnTips) {
        if (event->type() == QEvent::Enter)
            m_hint->showBeside(m_btnTips);
        else if (event->type() == QEvent::Leave || event->type() == QEvent::Hide)
            m_hint->hide();
    }
    return QDialog::eventFilter(watched, event);
}
