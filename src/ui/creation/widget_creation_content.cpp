#include "widget_creation_content.h"

#include "creation_textedit.h"
#include "creationclock.h"
#include "db/cquorvindb.h"
#include "db/cstorehealth.h"
#include "db/records.h"
#include "dialog_remuneration.h"
#include "manager/cbookjobmanager.h"
#include "manager/cjobmanager.h"
#include "manager/cqssmanager.h"
#include "manager/crecoveryjournal.h"
#include "manager/cuimanager.h"
#include "random/widget_randomname.h"
#include "titemdata.h"
#include "ui/ztmessagebox.h"
#include "widget_creation_bottom.h"
#include "widget_creation_plane2.h"
#include "widget_creation_plane3.h"
#include "widget_sensitivewords.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QClipboard>
#include <QDebug>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLocale>
#include <QPushButton>
#include <QRegularExpression>
#include <QSaveFile>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <QTextFrame>
#include <QTextLayout>
#include <QTimer>
#include <QVBoxLayout>

namespace {

const int kTickMs = 1000;
const int kAutoSaveChanges = 300;
const int kTypingGapSeconds = 3;
const int kIdleLimit = 301;
const int kSpeedWindow = 20;
const int kSpeedScale = 180; // words in 20 seconds to words per hour
const int kBestSpeedLimit = 18000;
const int kLockSpeedLimit = 15600;
const int kTypingSaveSeconds = 10;
const int kMinFontSize = 12;
const int kColumnWidth = 820;
const int kMarginTopBottom = 12;
const int kMarginSide = 108;
const int kRebuildThreshold = 4096;
const int kPlaceDelayMs = 100;
// What is typed reaches the recovery journal this long after the change
// (its thread then writes it within a few milliseconds): well inside a second.
const int kJournalDelayMs = 250;

const QColor kTextLight(33, 33, 33);
const QColor kTextDark(33, 204, 71);
const QColor kDimLight(195, 196, 199);
const QColor kDimDark(15, 94, 33);
const QColor kPageLight(0xFF, 0xFF, 0xFF);
const QColor kPageDark(0x1F, 0x21, 0x25);

bool isWordChar(QChar c)
{
    switch (c.unicode()) {
    case ' ':
    case '\n':
    case '\r':
    case 0x00A0: // shown as a blank in the plain text
    case 0x2028:
    case 0x2029:
        return false;
    default:
        return true;
    }
}

int countWordChars(const QStringRef &text)
{
    int n = 0;
    for (const QChar c : text)
        n += isWordChar(c) ? 1 : 0;
    return n;
}

// Characters that only show right through the font's shaping rules, even in
// Chinese or Latin text: joiners and variation selectors of emoji and
// ideographs, flags, skin tones, keycaps and combining marks.
bool needsShaping(uint u)
{
    return u == 0x200C || u == 0x200D || u == 0x20E3 || (u >= 0xFE00 && u <= 0xFE0F) ||
           (u >= 0x1F1E6 && u <= 0x1F1FF) || (u >= 0x1F3FB && u <= 0x1F3FF) ||
           (u >= 0xE0100 && u <= 0xE01EF) || QChar::isMark(u);
}

bool needsShaping(const QStringRef &text)
{
    for (int i = 0; i < text.size(); ++i) {
        uint u = text.at(i).unicode();
        if (QChar::isHighSurrogate(u) && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            u = QChar::surrogateToUcs4(ushort(u), text.at(++i).unicode());
        if (needsShaping(u))
            return true;
    }
    return false;
}

QString separatorLine()
{
    return QStringLiteral("\n--------------------------------------\n");
}

} // namespace

Widget_Creation_Content::Widget_Creation_Content(QWidget *parent)
    : QWidget(parent), m_session(T_SessionData::instance())
{
    setObjectName("Widget_Creation_Content");
    setAttribute(Qt::WA_StyledBackground);
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    m_edit = new Creation_TextEdit(this);
    m_edit->setReadOnly(true);
    column->addWidget(m_edit, 1);

    m_bottomSlot = new QWidget(this);
    m_bottomSlot->setObjectName("Widget_Creation_BottomSlot");
    auto *slotLayout = new QVBoxLayout(m_bottomSlot);
    slotLayout->setContentsMargins(0, 0, 0, 0);
    slotLayout->setSpacing(0);
    column->addWidget(m_bottomSlot);
    m_bottom = new Widget_Creation_Bottom(m_bottomSlot);
    slotLayout->addWidget(m_bottom);
    m_bottom->attachFloatingLabels(this);

    m_btnSetup2 = new QPushButton(this);
    m_btnSetup2->setObjectName("btn_creation_setup2");
    m_btnSetup2->setToolTip(tr("Format"));
    m_btnSetup3 = new QPushButton(this);
    m_btnSetup3->setObjectName("btn_creation_setup3");
    m_btnSetup3->setToolTip(tr("Focus mode"));
    for (QPushButton *button : {m_btnSetup2, m_btnSetup3}) {
        button->setFixedSize(36, 36);
        button->setCursor(Qt::PointingHandCursor);
        button->setFocusPolicy(Qt::TabFocus); // reached by Tab, never taken by a click
        button->raise();
    }

    m_timer = new QTimer(this);
    m_timer->setInterval(kTickMs);
    m_placeTimer = new QTimer(this);
    m_placeTimer->setSingleShot(true);
    m_placeTimer->setInterval(kPlaceDelayMs);
    m_journalTimer = new QTimer(this);
    m_journalTimer->setSingleShot(true);
    m_journalTimer->setInterval(kJournalDelayMs);
    connect(m_journalTimer, &QTimer::timeout, this, &Widget_Creation_Content::writeJournal);

    connect(m_edit, &QTextEdit::cursorPositionChanged, this, &Widget_Creation_Content::onCurrentLine);
    connect(m_edit, &QTextEdit::textChanged, this, &Widget_Creation_Content::onTextChanged);
    connect(m_edit->verticalScrollBar(), &QScrollBar::rangeChanged, this,
            &Widget_Creation_Content::onTextScrollBarRangeChanged);
    connect(m_edit->document(), &QTextDocument::contentsChange, this,
            &Widget_Creation_Content::onContentsChange);
    connect(m_btnSetup2, &QPushButton::clicked, this,
            &Widget_Creation_Content::on_btn_creation_setup2_clicked);
    connect(m_btnSetup3, &QPushButton::clicked, this,
            &Widget_Creation_Content::on_btn_creation_setup3_clicked);
    CUiManager *ui = CUiManager::instance();
    connect(ui, &CUiManager::sig_Creation_Btn_Press, this, &Widget_Creation_Content::creation_btnPress);
    connect(ui, &CUiManager::sig_Creation_HotKey_Press, this, &Widget_Creation_Content::creation_hotKeyPress);
    connect(ui, &CUiManager::sig_GlobalKeyPress_Win, m_edit, &Creation_TextEdit::on_GlobalKeyPressWin);
    m_searchDialog = new Dialog_Search(this);
    m_searchDialog->hide();
    connect(m_searchDialog, &Dialog_Search::sig_sreach_btn, this, &Widget_Creation_Content::on_sreach_btn);
    // A quit by signal or by the session manager saves the open chapter first.
    connect(ui, &CUiManager::sig_SaveAll, this, [this] {
        saveChapter();
        if (m_dirty)
            writeJournal();
    });
    // The store failed to take a save: it is tried again every few seconds,
    // whether or not the author types.
    CRecoveryJournal *journal = CRecoveryJournal::instance();
    connect(CStoreHealth::instance(), &CStoreHealth::sig_Retry, this, [this, journal] {
        if (!m_dirty || !m_chapter)
            return;
        if (journal->lastWriteFailed(m_chapter->localId))
            writeJournal();
        saveChapter();
    });
    // The program ended without its quit handlers (the X server went away).
    journal->setLastChance([this] { return journalEntry(); });
    // The server's text of the open chapter came in (another machine's, or
    // the server's own after it refused ours): shown when nothing was typed
    // here since the last save, so that no later save sends the old text.
    connect(ui, &CUiManager::sig_ChapterTextReplaced, this,
            [this](T_Chapter *chapter, const QString &previous) {
                if (chapter == m_chapter && currentText() == previous) {
                    loadText(chapter->content);
                    m_base = chapter->content;
                }
            });
    connect(m_timer, &QTimer::timeout, this, &Widget_Creation_Content::onCreationTimer);
    connect(m_placeTimer, &QTimer::timeout, this, &Widget_Creation_Content::placeFloatingButtons);
    connect(this, &Widget_Creation_Content::sig_CreationTick, m_bottom,
            &Widget_Creation_Bottom::onCreationTick);
    connect(m_bottom, &Widget_Creation_Bottom::sig_openSetMoneyDlg, this,
            &Widget_Creation_Content::on_OpenSetMoneyDlg);

    m_edit->installEventFilter(this);
    m_edit->viewport()->installEventFilter(this);
    qApp->installEventFilter(this);
    recountAll();
    recolour();
}

Widget_Creation_Content::~Widget_Creation_Content()
{
    CRecoveryJournal::instance()->setLastChance(nullptr);
    qApp->removeEventFilter(this);
}

bool Widget_Creation_Content::isDark() const
{
    return m_session.author.style == StyleDark;
}

QString Widget_Creation_Content::currentText() const
{
    return m_edit->toPlainText();
}

// ---- Opening, loading, saving ----------------------------------------------

bool Widget_Creation_Content::openChapter(T_Book *book, T_Chapter *chapter)
{
    if (!book || !chapter)
        return false;
    if (!chapter->isContentLoaded && !CQuorvinDb::instance()->ensureChapterContent(*chapter)) {
        qWarning() << "could not read the text of chapter" << chapter->localId;
        saveChapter();
        clearChapter();
        return false;
    }
    if (m_chapter && m_chapter != chapter) {
        saveChapter();
        // Not taken by the store: the journal keeps it until it is.
        if (m_dirty)
            writeJournal();
    }
    m_journalTimer->stop();
    m_dirty = false;
    m_chapter = chapter;
    m_book = book;
    // Text typed here that the store never got (a kill, a failing disk)
    // comes back from the chapter's journal.
    const QString text = CRecoveryJournal::instance()->recoverChapter(book, chapter);
    resetSession();
    m_session.user.localChapterId = chapter->localId;
    m_session.money = book->money;
    m_edit->setReadOnly(false);
    // The text is shown at once: a key typed before it appears would land in
    // the previous chapter's text under the new chapter's name.
    m_base = chapter->content;
    loadText(text);
    if (text != m_base) {
        // The journal's text the store could not take yet: shown, and saved
        // by the retries.
        m_chapter->content = m_base;
        m_dirty = true;
        CStoreHealth::instance()->setUnsaved(unsavedKey(), true);
    }
    m_lastSaveTime = CreationClock::monotonic();
    m_ready = true;
    if (!m_timer->isActive())
        m_timer->start();
    return true;
}

void Widget_Creation_Content::resetSession()
{
    T_WritingSession &w = m_session.writingSession;
    w.typing = false;
    w.started = false;
    w.idleSeconds = 0;
    w.windowWords = 0;
    w.changeCounter = 0;
    w.currentWordCount = m_chapter ? m_chapter->wordCount : 0;
    m_savedIdle = false;
}

void Widget_Creation_Content::loadText(const QString &text)
{
    static const QRegularExpression breaks(QStringLiteral("[\r\n]"));
    const QString joined = text.split(breaks, Qt::SkipEmptyParts).join('\n');
    m_loading = true;
    m_needsShaping = needsShaping(QStringRef(&joined));
    QTextDocument *doc = m_edit->document();
    doc->setUndoRedoEnabled(false);
    m_edit->clear();
    // The font and the paragraph format go in first, so the text is laid
    // out once, already formatted.
    applyFont();
    applyMargins();
    recolour();
    QTextCursor cursor(doc);
    cursor.setBlockFormat(paragraphFormat());
    cursor.insertText(joined);
    doc->setUndoRedoEnabled(true);
    m_loading = false;
    if (m_chapter) {
        m_chapter->content = joined == QLatin1String("|") ? QString() : joined;
        m_chapter->wordCount = m_words;
        m_session.writingSession.currentWordCount = m_words;
    }
    clearSearchHighlight();
    if (!CUiManager::instance()->isRenaming())
        m_edit->setFocus();
    m_edit->moveCursor(QTextCursor::End);
    m_edit->verticalScrollBar()->setValue(m_edit->verticalScrollBar()->maximum());
    m_focusKey = -1;
    onCurrentLine();
}

void Widget_Creation_Content::clearChapter()
{
    if (m_chapter && m_dirty)
        writeJournal();
    m_journalTimer->stop();
    m_dirty = false;
    m_ready = false;
    m_chapter = nullptr;
    m_book = nullptr;
    m_session.user.localChapterId = 0;
    m_loading = true;
    m_edit->clear();
    m_loading = false;
    m_edit->setReadOnly(true);
    m_hitSelections.clear();
    m_focusSelections.clear();
    clearSearchHighlight();
}

void Widget_Creation_Content::closeChapter()
{
    saveChapter();
    m_timer->stop();
    if (m_sensitive)
        m_sensitive->hide();
    if (m_randomName)
        m_randomName->hide();
    if (m_book)
        CQuorvinDb::instance()->updateBook(*m_book);
    clearChapter();
}

bool Widget_Creation_Content::saveChapter(bool force)
{
    if (!m_chapter || !m_book)
        return false;
    m_lastSaveTime = CreationClock::monotonic();
    const QString text = m_edit->toPlainText();
    if (!force && text == m_chapter->content) {
        if (m_dirty)
            markSaved(text);
        return false;
    }
    CQuorvinDb *db = CQuorvinDb::instance();
    if (CUiManager::instance()->isLocked())
        db->updateLock(m_session.user);
    CJobManager *jobs = CJobManager::instance();
    jobs->saveDayStatistics();
    m_book->lastEditChapterId = m_chapter->localId;
    TC_Chapter_Edit req;
    req.localBookId = m_book->localId;
    req.bookId = m_book->bookId;
    req.localChapterId = m_chapter->localId;
    req.chapterId = m_chapter->chapterId;
    req.content = text;
    req.update_time = CreationClock::now(); // the server's clock, not the monotonic one
    if (!jobs->chapterSaveContent(req)) {
        qWarning() << "could not save chapter" << m_chapter->localId;
        // The text stays in the editor and goes to the journal now; the
        // warning stays and the save is tried again until it is taken.
        m_dirty = true;
        writeJournal();
        CStoreHealth::instance()->setUnsaved(unsavedKey(), true);
        return false;
    }
    markSaved(text);
    m_book->lastEditChapterId = m_chapter->localId;
    db->setLastEditChapter(m_book->localId, m_chapter->localId);
    db->updateBook(*m_book);
    emit sig_ChapterSaved(m_chapter->localId);
    return true;
}

void Widget_Creation_Content::markSaved(const QString &text)
{
    m_base = text;
    if (m_edit->toPlainText() == text) {
        m_dirty = false;
        m_journalTimer->stop();
    }
    CRecoveryJournal::instance()->discard(m_chapter->localId, text);
    CStoreHealth::instance()->setUnsaved(unsavedKey(), false);
}

QString Widget_Creation_Content::unsavedKey() const
{
    return m_chapter ? CRecoveryJournal::unsavedKey(m_chapter->localId) : QString();
}

bool Widget_Creation_Content::hasUnsavedText() const
{
    return m_chapter && m_dirty && m_edit->toPlainText() != m_chapter->content;
}

CRecoveryJournal::T_Entry Widget_Creation_Content::journalEntry() const
{
    CRecoveryJournal::T_Entry entry;
    if (!m_chapter || !m_book || !m_dirty)
        return entry;
    entry.uid = m_session.user.uid;
    entry.localBookId = m_book->localId;
    entry.localChapterId = m_chapter->localId;
    entry.base = m_base;
    // The characters as they stand, shared rather than copied: the
    // journal's thread makes the plain text of them.
    entry.text = m_shadow;
    entry.fromDocument = true;
    return entry;
}

void Widget_Creation_Content::writeJournal()
{
    m_journalTimer->stop();
    if (!m_journalEnabled)
        return;
    const CRecoveryJournal::T_Entry entry = journalEntry();
    if (entry.localChapterId > 0)
        CRecoveryJournal::instance()->write(entry);
}

void Widget_Creation_Content::queueSnapshot(const QString &text, bool later)
{
    TC_Chapter_ContentBlade req;
    req.localBookId = m_book->localId;
    req.bookId = m_book->bookId;
    req.localChapterId = m_chapter->localId;
    req.chapterId = m_chapter->chapterId;
    req.content = text;
    req.chapterName = m_chapter->name;
    req.createTime = CreationClock::now();
    req.update_time = req.createTime;
    if (req.localBookId < 1 || req.localChapterId < 1)
        return;
    if (!later) {
        CJobManager::instance()->chapterContentBlade(req);
        return;
    }
    // The chapter was just written; writing its snapshot in the next turn of
    // the event loop halves the pause a long chapter's save makes in typing.
    QTimer::singleShot(0, CJobManager::instance(),
                       [req]() mutable { CJobManager::instance()->chapterContentBlade(req); });
}

// ---- Word count and text changes --------------------------------------------

void Widget_Creation_Content::recountAll()
{
    QTextDocument *doc = m_edit->document();
    m_shadow.clear();
    m_shadow.reserve(doc->characterCount());
    for (QTextBlock block = doc->begin(); block.isValid(); block = block.next()) {
        m_shadow += block.text();
        m_shadow += QChar(QChar::ParagraphSeparator);
    }
    m_words = countWordChars(QStringRef(&m_shadow));
    if (!m_loading)
        noteShapedText(QStringRef(&m_shadow));
}

void Widget_Creation_Content::noteShapedText(const QStringRef &text)
{
    if (m_needsShaping || !needsShaping(text))
        return;
    m_needsShaping = true;
    // The font changes once the edit under way is laid out.
    QTimer::singleShot(0, this, [this] { applyFont(); });
}

void Widget_Creation_Content::onContentsChange(int position, int removed, int added)
{
    QTextDocument *doc = m_edit->document();
    if (position < 0 || position + removed > m_shadow.size() || added > kRebuildThreshold) {
        recountAll();
        return;
    }
    QString inserted;
    inserted.reserve(added);
    for (int i = 0; i < added; ++i)
        inserted += doc->characterAt(position + i);
    m_words += countWordChars(QStringRef(&inserted)) - countWordChars(m_shadow.midRef(position, removed));
    noteShapedText(QStringRef(&inserted));
    m_shadow.replace(position, removed, inserted);
    if (m_shadow.size() != doc->characterCount())
        recountAll();
}

void Widget_Creation_Content::onTextChanged()
{
    if (!m_chapter || !m_ready || m_loading)
        return;
    m_dirty = true;
    m_savedIdle = false;
    if (!m_journalTimer->isActive())
        m_journalTimer->start();
    T_WritingSession &w = m_session.writingSession;
    const int n = m_words;
    const int d = n - m_chapter->wordCount;
    w.changeCounter += qAbs(d);
    if (w.changeCounter >= kAutoSaveChanges) {
        saveChapter();
        const QString text = m_edit->toPlainText();
        // With an empty text the counter stays, so each further change saves.
        if (!text.isEmpty()) {
            queueSnapshot(text, true);
            w.changeCounter = 0;
        }
    }
    if (d > 0) {
        w.windowWords += d;
        m_session.todayStatistics.wordCount += d;
        T_User &user = m_session.user;
        if (user.lockType == 1 && w.speed >= 1 && w.speed < kLockSpeedLimit) {
            user.writeWords += d;
            if (user.writeWords >= user.lockWords)
                finishLock();
        }
    }
    m_chapter->wordCount = n;
    w.currentWordCount = n;
    if (m_edit->textCursor().atEnd())
        m_edit->verticalScrollBar()->setValue(m_lastScrollMax);
}

void Widget_Creation_Content::onTextScrollBarRangeChanged(int min, int max)
{
    Q_UNUSED(min)
    m_lastScrollMax = max;
}

void Widget_Creation_Content::finishLock()
{
    T_User &user = m_session.user;
    user.lockType = 0;
    user.lockWords = 0;
    user.lockTime = 0;
    user.writeWords = 0;
    user.writeTime = 0;
    CQuorvinDb::instance()->updateLock(user);
    CUiManager::instance()->setLock(false);
}

// ---- The writing timer ---------------------------------------------------------

void Widget_Creation_Content::onCreationTimer()
{
    if (!m_chapter)
        return;
    const int now = CreationClock::monotonic();
    T_WritingSession &w = m_session.writingSession;
    T_DayStatistics &day = m_session.todayStatistics;
    if (!w.typing) {
        // Idle time stops growing after a while; the saves never stop.
        if (w.started && w.idleSeconds < kIdleLimit) {
            ++w.freeSeconds;
            ++w.idleSeconds;
        }
        if (m_dirty && !m_savedIdle) {
            saveChapter();
            m_savedIdle = true;
        }
    } else if (now - w.lastKeyTime < kTypingGapSeconds) {
        ++w.writeSeconds;
        ++day.writeTime;
        day.dirty = true;
        m_savedIdle = false;
        T_User &user = m_session.user;
        if (user.lockType == 2 && w.speed < kLockSpeedLimit) {
            ++user.writeTime;
            if (user.writeTime >= user.lockTime * 60)
                finishLock();
        }
        // A long spell of typing is saved every few seconds, so a crash
        // loses little of it.
        if (now - m_lastSaveTime >= kTypingSaveSeconds)
            saveChapter();
    } else {
        w.typing = false;
    }
    if (w.started)
        updateSpeedWindow();
    emit sig_CreationTick(w.typing);
}

void Widget_Creation_Content::updateSpeedWindow()
{
    T_WritingSession &w = m_session.writingSession;
    if (++w.windowTicks < kSpeedWindow)
        return;
    w.windowTicks = 0;
    int s = w.windowWords * kSpeedScale;
    if (w.speed > 0)
        s = (s + w.speed) / 2;
    w.speed = s;
    T_DayStatistics &day = m_session.todayStatistics;
    if (s <= kBestSpeedLimit && s > day.writeSpeed)
        day.writeSpeed = s;
    w.windowWords = 0;
}

// ---- Formatting -----------------------------------------------------------------

void Widget_Creation_Content::applyFont()
{
    T_User &user = m_session.user;
    user.fontSize = qMax(kMinFontSize, user.fontSize);
    m_font = QFont(user.fontFamily);
    m_font.setPointSize(user.fontSize);
    m_font.setWeight(user.isBlod ? 75 : 50);
    m_font.setItalic(user.isItalics != 0);
    m_font.setUnderline(user.isUnderLine != 0);
    // Chinese and plain Latin text need no shaping rules: without them a
    // chapter lays out in about half the time, on opening and on each key.
    // Text that needs them (emoji sequences, combining marks) gets them.
    m_font.setStyleStrategy(m_needsShaping ? QFont::PreferDefault : QFont::PreferNoShaping);
    // The character formats of the text stay empty: every character takes
    // the document's font, so the author's font is one cheap setting.
    m_edit->setPageFont(m_font);
}

QTextBlockFormat Widget_Creation_Content::paragraphFormat() const
{
    const int size = m_session.user.fontSize;
    QTextBlockFormat block;
    block.setLineHeight(size, QTextBlockFormat::LineDistanceHeight);
    block.setTopMargin(size);
    block.setTextIndent(2.8 * size);
    return block;
}

void Widget_Creation_Content::applyFormat()
{
    QScrollBar *bar = m_edit->verticalScrollBar();
    const int scroll = bar->value();
    applyFont();
    QTextCursor all(m_edit->document());
    all.select(QTextCursor::Document);
    all.mergeBlockFormat(paragraphFormat());
    m_edit->setCurrentCharFormat(QTextCharFormat());
    applyMargins();
    recolour();
    bar->setValue(scroll);
}

void Widget_Creation_Content::applyMargins()
{
    const T_User &user = m_session.user;
    qreal side = kMarginSide;
    qreal topBottom = kMarginTopBottom;
    if (user.isFocusing || user.isCenter)
        side = qMax<qreal>(kMarginTopBottom, (m_edit->width() - kColumnWidth) / 2);
    if (user.isFocusing)
        topBottom = m_edit->height() / 2;
    QTextFrame *root = m_edit->document()->rootFrame();
    QTextFrameFormat format = root->frameFormat();
    if (format.leftMargin() == side && format.topMargin() == topBottom && format.rightMargin() == side &&
        format.bottomMargin() == topBottom)
        return;
    format.setLeftMargin(side);
    format.setRightMargin(side);
    format.setTopMargin(topBottom);
    format.setBottomMargin(topBottom);
    root->setFrameFormat(format);
}

QMargins Widget_Creation_Content::pageMargins() const
{
    const QTextFrameFormat format = m_edit->document()->rootFrame()->frameFormat();
    return QMargins(qRound(format.leftMargin()), qRound(format.topMargin()), qRound(format.rightMargin()),
                    qRound(format.bottomMargin()));
}

void Widget_Creation_Content::recolour()
{
    const bool dark = isDark();
    const bool focusing = m_session.user.isFocusing != 0;
    const QColor text = focusing ? (dark ? kDimDark : kDimLight) : (dark ? kTextDark : kTextLight);
    QPalette palette = m_edit->palette();
    palette.setColor(QPalette::Text, text);
    palette.setColor(QPalette::HighlightedText, text);
    palette.setColor(QPalette::Base, dark ? kPageDark : kPageLight);
    palette.setColor(QPalette::Window, dark ? kPageDark : kPageLight);
    palette.setColor(QPalette::Highlight, dark ? QColor(0x2E, 0x4A, 0x80) : QColor(0xCC, 0xDB, 0xFF));
    m_edit->setPalette(palette);
    m_edit->viewport()->setPalette(palette);
    // The application's sheet styles every text field; the page keeps its own colours.
    const QString sheet =
        QStringLiteral("#Creation_TextEdit { color: %1; background: %2; border: none; "
                       "border-radius: 0; selection-background-color: %3; selection-color: %1; }")
            .arg(text.name(), palette.color(QPalette::Base).name(),
                 palette.color(QPalette::Highlight).name());
    if (m_edit->styleSheet() != sheet)
        m_edit->setStyleSheet(sheet);
    onCurrentLine();
}

void Widget_Creation_Content::onCurrentLine()
{
    const T_User &user = m_session.user;
    if (!user.isFocusing || !m_chapter) {
        m_focusKey = -1;
        if (!m_focusSelections.isEmpty()) {
            m_focusSelections.clear();
            applySelections();
        }
        return;
    }
    QTextCursor cursor = m_edit->textCursor();
    const QTextBlock block = cursor.block();
    int line = 0;
    if (user.isFocusLine && block.layout() && block.layout()->lineCount() > 0)
        line = block.layout()->lineForTextPosition(cursor.positionInBlock()).lineNumber();
    QTextEdit::ExtraSelection focus;
    focus.cursor = cursor;
    focus.cursor.clearSelection();
    if (user.isFocusLine) {
        focus.cursor.movePosition(QTextCursor::StartOfLine);
        focus.cursor.movePosition(QTextCursor::EndOfLine, QTextCursor::KeepAnchor);
    } else {
        focus.cursor.movePosition(QTextCursor::StartOfBlock);
        focus.cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    }
    // Typing along the same line keeps the selection as long as it still
    // covers the whole line: text typed into an empty line or in front of
    // the selection falls outside the old one and needs a new selection.
    const qint64 key =
        (qint64(block.blockNumber()) << 20) + (line << 2) + (user.isFocusLine ? 1 : 0) + (isDark() ? 2 : 0);
    const QList<QTextEdit::ExtraSelection> &shown = m_focusSelections;
    if (key == m_focusKey && shown.size() == 1 &&
        shown.first().cursor.selectionStart() == focus.cursor.selectionStart() &&
        shown.first().cursor.selectionEnd() == focus.cursor.selectionEnd())
        return;
    m_focusKey = key;
    focus.format.setForeground(isDark() ? kTextDark : kTextLight);
    m_focusSelections = {focus};
    applySelections();
}

// ---- Commands and hot keys ------------------------------------------------------

void Widget_Creation_Content::creation_btnPress(T_ItemData *pItem)
{
    if (!pItem)
        return;
    const QString value = pItem->shortcut.isEmpty() ? pItem->label : pItem->shortcut;
    runCommand(pItem->code, value);
}

void Widget_Creation_Content::runCommand(int code, const QString &value)
{
    QTextCursor cursor = m_edit->textCursor();
    const int position = cursor.position();
    const int anchor = cursor.anchor();
    cursor.beginEditBlock();
    T_User &user = m_session.user;
    switch (code) {
    case 2:
        exportChapter();
        break;
    case 3:
        importChapter();
        break;
    case 4:
        showRandomNames();
        break;
    case 5:
        if (m_chapter) {
            saveChapter();
            loadText(m_chapter->content);
        }
        break;
    case 6:
        clearSearchHighlight();
        showSensitiveWords();
        break;
    case 7:
        switchTheme();
        break;
    case 8:
        if (CUiManager::instance()->isLocked())
            CUiManager::instance()->showTips(tr("Currently locked"), 0);
        else
            openLockDialog();
        break;
    case 9:
        toggleSound(false);
        break;
    case 10:
        showMemoList();
        break;
    case 13:
        if (!m_edit->isReadOnly())
            cursor.insertText(separatorLine());
        break;
    case 14:
        if (cursor.hasSelection() && !m_edit->isReadOnly()) {
            QApplication::clipboard()->setText(cursor.selection().toPlainText());
            cursor.removeSelectedText();
        }
        break;
    case 15:
        if (cursor.hasSelection())
            QApplication::clipboard()->setText(cursor.selection().toPlainText());
        break;
    case 16: {
        const QString text = QApplication::clipboard()->text();
        if (!text.isEmpty() && !m_edit->isReadOnly())
            cursor.insertText(text);
        break;
    }
    case 17:
        showFindDialog();
        break;
    case 18:
        if (!user.isFocusing) {
            user.isCenter = user.isCenter ? 0 : 1;
            applyMargins();
        }
        break;
    case 22:
        user.isBlod = user.isBlod ? 0 : 1;
        applyFormat();
        break;
    case 23:
        user.isItalics = user.isItalics ? 0 : 1;
        applyFormat();
        break;
    case 24:
        user.isUnderLine = user.isUnderLine ? 0 : 1;
        applyFormat();
        break;
    case 26:
        user.isFocusing = 0;
        recolour();
        applyMargins();
        break;
    case 27:
    case 28:
        user.isFocusing = 1;
        user.isFocusLine = code == 27 ? 1 : 0;
        applyMargins();
        recolour();
        break;
    case 29: {
        static const QRegularExpression digits(QStringLiteral("\\d+"));
        const int size = digits.match(value).captured().toInt();
        if (size > 0) {
            user.fontSize = qMax(kMinFontSize, size);
            applyFormat();
        }
        break;
    }
    case 30:
        if (!value.isEmpty()) {
            user.fontFamily = value;
            applyFormat();
        }
        break;
    default:
        break;
    }
    cursor.endEditBlock();
    if (code == 13 || code == 14 || code == 16 || code == 3 || code == 5) {
        // The text changed: the cursor stays where the edit left it.
    } else if (m_chapter) {
        QTextCursor back = m_edit->textCursor();
        const int end = m_edit->document()->characterCount() - 1;
        back.setPosition(qMin(anchor, end));
        back.setPosition(qMin(position, end), QTextCursor::KeepAnchor);
        m_edit->setTextCursor(back);
    }
    m_edit->setFocus();
}

void Widget_Creation_Content::switchTheme()
{
    CUiManager::instance()->toggleTheme();
    recolour();
}

void Widget_Creation_Content::toggleSound(bool showTip)
{
    T_User &user = m_session.user;
    user.isSound = user.isSound ? 0 : 1;
    if (showTip)
        CUiManager::instance()->showTips(user.isSound ? tr("sound open") : tr("sound close"), 1);
}

void Widget_Creation_Content::creation_hotKeyPress(QKeyEvent *evt)
{
    if (!evt)
        return;
    const bool ctrl = evt->modifiers() & Qt::ControlModifier;
    // The format panel's marks follow what the keys changed.
    struct MarksInStep
    {
        QPointer<Widget_Creation_Plane2> panel;
        ~MarksInStep()
        {
            if (panel)
                panel->syncWithSettings();
        }
    } marks{m_plane2};
    if (ctrl) {
        switch (evt->key()) {
        case Qt::Key_F1:
            runCommand(22, QString());
            break;
        case Qt::Key_F2:
            runCommand(23, QString());
            break;
        case Qt::Key_F3:
            runCommand(24, QString());
            break;
        case Qt::Key_F4:
            runCommand(13, QString());
            break;
        case Qt::Key_F6:
            runCommand(18, QString());
            break;
        case Qt::Key_F:
            runCommand(17, QString());
            break;
        default:
            break;
        }
        return;
    }
    switch (evt->key()) {
    case Qt::Key_F1:
        runCommand(2, QString());
        break;
    case Qt::Key_F2:
        runCommand(3, QString());
        break;
    case Qt::Key_F3:
        runCommand(4, QString());
        break;
    case Qt::Key_F4:
        runCommand(5, QString());
        break;
    case Qt::Key_F5:
        runCommand(6, QString());
        break;
    case Qt::Key_F6:
        switchTheme();
        applyFormat();
        break;
    case Qt::Key_F7:
        runCommand(8, QString());
        break;
    case Qt::Key_F8:
        toggleSound(true);
        break;
    case Qt::Key_F9:
        runCommand(10, QString());
        break;
    default:
        break;
    }
}

void Widget_Creation_Content::on_EnterItem(T_ItemData *pItem)
{
    // The pop-out lists of sizes and families belong to the format panel,
    // which reacts to the hovered code.
    m_hoverCode = pItem ? pItem->code : 0;
}

void Widget_Creation_Content::on_Plane2_1_hide()
{
    m_hoverCode = 0;
    if (m_plane2)
        m_plane2->on_Plane2_1_hide();
}

Widget_Creation_Plane2 *Widget_Creation_Content::formatPanel() const
{
    return m_plane2;
}

Widget_Creation_Plane3 *Widget_Creation_Content::focusPanel() const
{
    return m_plane3;
}

void Widget_Creation_Content::on_btn_creation_setup2_clicked()
{
    if (!m_plane2) {
        m_plane2 = new Widget_Creation_Plane2(this);
        connect(m_plane2, &Widget_Creation_Plane2::sig_EnterItem, this,
                &Widget_Creation_Content::on_EnterItem);
    }
    // The content area's right and bottom edges are the page's.
    m_plane2->showFor(this);
}

void Widget_Creation_Content::on_btn_creation_setup3_clicked()
{
    if (!m_plane3)
        m_plane3 = new Widget_Creation_Plane3(this);
    m_plane3->showFor(this);
}

void Widget_Creation_Content::on_OpenSetMoneyDlg()
{
    if (!m_book)
        return;
    if (Dialog_Remuneration::editRate(this, m_book))
        m_bottom->updateStatus(m_session.writingSession.typing);
}

// ---- Export and import --------------------------------------------------------

void Widget_Creation_Content::exportChapter(T_Chapter *chapter)
{
    if (!chapter)
        chapter = m_chapter;
    if (!chapter) {
        ZtMessageBox::warning(this, QStringLiteral("导出无效"), QStringLiteral("请先选择需要导出的章节!"));
        return;
    }
    saveChapter();
    const QString name =
        chapter->name.trimmed().isEmpty() ? QStringLiteral("保存章节") : chapter->name.trimmed();
    const QString path =
        QFileDialog::getSaveFileName(this, QStringLiteral("请选择保存章节的位置"),
                                     name + QStringLiteral(".txt"), QStringLiteral("Text File(*.txt)"));
    if (!path.isEmpty())
        exportChapterTo(path, chapter);
}

bool Widget_Creation_Content::exportChapterTo(const QString &path, T_Chapter *chapter)
{
    if (!chapter)
        chapter = m_chapter;
    if (!chapter || (!chapter->isContentLoaded && !CQuorvinDb::instance()->ensureChapterContent(*chapter)))
        return false;
    if (chapter == m_chapter)
        saveChapter();
    // The file is replaced only once the whole text is written.
    QSaveFile file(path);
    bool ok = file.open(QIODevice::WriteOnly);
    if (ok) {
        file.write(chapter->content.toUtf8());
        ok = file.commit();
    }
    if (!ok)
        ZtMessageBox::critical(this, QStringLiteral("创建文件出错"),
                               QStringLiteral("创建文件出错，请检查软件的系统权限！"));
    return ok;
}

void Widget_Creation_Content::importChapter()
{
    if (!m_chapter) {
        ZtMessageBox::warning(this, QStringLiteral("导入无效"), QStringLiteral("请先选择需要导入的章节!"));
        return;
    }
    const QString path = QFileDialog::getOpenFileName(this, QStringLiteral("导入章节"), QStringLiteral("."),
                                                      QStringLiteral("Text File (*.txt)"));
    if (!path.isEmpty())
        importChapterFrom(path);
}

bool Widget_Creation_Content::importChapterFrom(const QString &path)
{
    if (!m_chapter)
        return false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        ZtMessageBox::critical(this, QStringLiteral("错误"), QStringLiteral("打开文件失败!"));
        return false;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        ZtMessageBox::critical(this, QStringLiteral("错误"), QStringLiteral("读取文件失败!"));
        return false;
    }
    QString text;
    if (!CBookJobManager::decodeManuscript(bytes, text)) {
        ZtMessageBox::question(
            this, tr("Not imported"),
            tr("\"%1\" is not a text file (it holds binary data): the chapter was not changed.\n"
               "Choose a .txt file saved as UTF-8 or GB18030.")
                .arg(QFileInfo(path).fileName()));
        return false;
    }
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    if (text.size() > kMaxChapterLength) {
        const QLocale locale;
        ZtMessageBox::question(
            this, tr("Not imported"),
            tr("\"%1\" has %2 characters, %3 more than a chapter can hold (%4): the chapter "
               "was not changed.\nSplit the file into several chapters and import them one "
               "by one.")
                .arg(QFileInfo(path).fileName(), locale.toString(text.size()),
                     locale.toString(text.size() - kMaxChapterLength), locale.toString(kMaxChapterLength)));
        return false;
    }
    if (text.trimmed().isEmpty() && !m_edit->toPlainText().trimmed().isEmpty() &&
        ZtMessageBox::question(this, tr("Empty file"),
                               tr("\"%1\" is empty: importing it leaves this chapter without a word (the "
                                  "present text stays in the time machine). Import it anyway?")
                                   .arg(QFileInfo(path).fileName()),
                               ZtMessageBox::standardText(ZtMessageBox::Cancel), tr("Empty the chapter"),
                               0) != 1)
        return false;
    saveChapter();
    // The replaced text stays restorable from the time machine.
    if (!m_chapter->content.isEmpty())
        queueSnapshot(m_chapter->content);
    const int previous = m_chapter->content.size();
    m_chapter->isContentLoaded = true;
    m_session.writingSession = T_WritingSession();
    m_session.writingSession.currentWordCount = previous;
    m_savedIdle = false;
    loadText(text);
    return saveChapter(true);
}

// ---- Events ----------------------------------------------------------------------

bool Widget_Creation_Content::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::InputMethod:
        if (watched == m_edit) {
            clearSearchHighlight();
            clearSensitiveHighlight();
            if (m_fullScreen) {
                m_btnSetup2->hide();
                m_btnSetup3->hide();
                m_edit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
                m_edit->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
                emit sig_full_editing();
            }
        }
        break;
    case QEvent::MouseButtonPress:
        if (watched->isWidgetType() && isAncestorOf(static_cast<QWidget *>(watched))) {
            m_btnSetup2->show();
            m_btnSetup3->show();
            m_edit->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
            m_edit->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
        }
        break;
    case QEvent::FocusIn:
        if (watched == m_edit && m_chapter && m_chapter->content.isEmpty())
            applyFormat();
        break;
    case QEvent::FocusOut:
        if (watched == m_edit)
            saveChapter();
        break;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

void Widget_Creation_Content::setFullScreenMode(bool on)
{
    m_fullScreen = on;
    m_bottom->setFullScreen(on);
    if (!on) {
        m_btnSetup2->show();
        m_btnSetup3->show();
        m_edit->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
        m_edit->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    }
    m_placeTimer->start();
}

void Widget_Creation_Content::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    applyMargins();
    m_placeTimer->start();
    placeToolPanels();
}

void Widget_Creation_Content::placeFloatingButtons()
{
    const QRect area = m_edit->geometry();
    m_btnSetup2->move(area.right() + 1 - 62, area.bottom() + 1 - 82);
    m_btnSetup3->move(area.right() + 1 - 62, area.bottom() + 1 - 38);
    m_btnSetup2->raise();
    m_btnSetup3->raise();
}

void Widget_Creation_Content::hideEvent(QHideEvent *event)
{
    // Hidden by the boss key, the tray or a page switch: keep what was typed.
    saveChapter();
    if (m_plane2)
        m_plane2->hide();
    if (m_plane3)
        m_plane3->hide();
    QWidget::hideEvent(event);
}

void Widget_Creation_Content::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::StyleChange)
        recolour();
}
