#include "creation_textedit.h"

#include "creationclock.h"
#include "db/records.h"
#include "editrepaintlimiter.h"
#include "manager/cuimanager.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLocale>
#include <QMimeData>
#include <QPaintEvent>
#include <QPainter>
#include <QSoundEffect>
#include <QTimer>

namespace {

const int kPairDelayMs = 50;

// Key-down codes that are not typing: F1-F9, F11, F12, Ctrl, the Windows
// and menu keys and the arrows.
bool isIgnoredKey(int code)
{
    if (code >= 59 && code <= 67)
        return true;
    switch (code) {
    case 87:
    case 88:
    case 29:
    case 285:
    case 347:
    case 348:
    case 349:
    case 328:
    case 331:
    case 333:
    case 336:
        return true;
    default:
        return false;
    }
}

QSoundEffect *makeSound(const char *name)
{
    auto *effect = new QSoundEffect;
    effect->setSource(QUrl(QStringLiteral("qrc:/res/sound/creation/%1").arg(QLatin1String(name))));
    return effect;
}

} // namespace

Creation_TextEdit::Creation_TextEdit(QWidget *parent) : QTextEdit(parent)
{
    setObjectName("Creation_TextEdit");
    setAccessibleName(tr("Chapter text"));
    setAcceptRichText(false);
    setContextMenuPolicy(Qt::NoContextMenu);
    setFrameShape(QFrame::NoFrame);
    installEventFilter(this);
    // The page fills its own background, once: left to the style sheet, every
    // keystroke would also repaint the frame and the widgets behind the page.
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    new CEditRepaintLimiter(this);
}

void Creation_TextEdit::setPageFont(const QFont &font)
{
    m_hasPageFont = true;
    m_pageFont = font;
    if (this->font() != font)
        setFont(font);
    if (document()->defaultFont() != font)
        document()->setDefaultFont(font);
}

void Creation_TextEdit::changeEvent(QEvent *event)
{
    QTextEdit::changeEvent(event);
    if (m_hasPageFont &&
        (event->type() == QEvent::FontChange || event->type() == QEvent::ApplicationFontChange) &&
        document()->defaultFont() != m_pageFont)
        document()->setDefaultFont(m_pageFont);
}

void Creation_TextEdit::paintEvent(QPaintEvent *event)
{
    {
        QPainter painter(viewport());
        const QBrush page = viewport()->palette().brush(QPalette::Base);
        for (const QRect &part : event->region())
            painter.fillRect(part, page);
    }
    QTextEdit::paintEvent(event);
}

bool Creation_TextEdit::isCountedKey(int keyCode)
{
    return keyCode != 0 && !isIgnoredKey(keyCode);
}

Creation_TextEdit::Sound Creation_TextEdit::soundFor(int keyCode)
{
    if (!isCountedKey(keyCode))
        return SoundNone;
    switch (keyCode) {
    case 14:
    case 338:
    case 16398:
    case 16722:
        return SoundDelete;
    case 28:
    case 284:
    case 16412:
        return SoundEnter;
    default:
        return SoundWriting;
    }
}

void Creation_TextEdit::playSound(Sound sound)
{
    T_SessionData &session = T_SessionData::instance();
    if (!session.soundsLoaded) {
        session.soundWriting = makeSound("writing.wav");
        session.soundDelete = makeSound("delete.wav");
        session.soundEnter = makeSound("enter.wav");
        session.soundsLoaded = true;
    }
    QSoundEffect *effect = sound == SoundDelete  ? session.soundDelete
                           : sound == SoundEnter ? session.soundEnter
                                                 : session.soundWriting;
    // Without an audio device the effect never loads and stays quiet.
    if (effect && effect->status() != QSoundEffect::Error)
        effect->play();
}

void Creation_TextEdit::on_GlobalKeyPressWin(int keyCode)
{
    if (!m_focused || !isCountedKey(keyCode))
        return;
    T_SessionData &session = T_SessionData::instance();
    T_WritingSession &writing = session.writingSession;
    writing.started = true;
    writing.typing = true;
    writing.lastKeyTime = CreationClock::monotonic();
    if (session.user.isSound == 0)
        return;
    const Sound sound = soundFor(keyCode);
    playSound(sound);
    emit sig_soundPlayed(sound);
}

bool Creation_TextEdit::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == this && event->type() == QEvent::KeyPress &&
        leavesByKeyboard(static_cast<QKeyEvent *>(event)))
        return true;
    if (watched == this && !isReadOnly()) {
        if (event->type() == QEvent::KeyPress) {
            auto *key = static_cast<QKeyEvent *>(event);
            if (insertsText(key->text()) && refusesTyping(key->text().size()))
                return true;
            pairForKey(key);
        } else if (event->type() == QEvent::InputMethod) {
            auto *input = static_cast<QInputMethodEvent *>(event);
            if (!input->commitString().isEmpty() && refusesTyping(input->commitString().size())) {
                // The composition goes on; only the text it commits is kept out.
                QInputMethodEvent kept(input->preeditString(), input->attributes());
                inputMethodEvent(&kept);
                return true;
            }
            pairForCommit(input->commitString());
        }
    }
    return QTextEdit::eventFilter(watched, event);
}

bool Creation_TextEdit::insertsText(const QString &text)
{
    if (text.isEmpty())
        return false;
    const QChar first = text.at(0);
    return first == QLatin1Char('\r') || first == QLatin1Char('\n') || first == QLatin1Char('\t') ||
           (first.unicode() >= 0x20 && first.unicode() != 0x7F);
}

int Creation_TextEdit::plainLength() const
{
    // Paragraph separators count as the line breaks of the plain text; the
    // document's own last one does not.
    return document()->characterCount() - 1;
}

int Creation_TextEdit::room() const
{
    const QTextCursor cursor = textCursor();
    return kMaxLength - (plainLength() - (cursor.selectionEnd() - cursor.selectionStart()));
}

bool Creation_TextEdit::refusesTyping(int adding)
{
    if (adding <= room())
        return false;
    CUiManager::instance()->showTips(
        tr("This chapter holds the most a chapter can: %1 characters. Start a new "
           "chapter to go on writing.")
            .arg(QLocale().toString(kMaxLength)),
        0);
    return true;
}

void Creation_TextEdit::insertFromMimeData(const QMimeData *source)
{
    if (isReadOnly() || !source || !source->hasText())
        return;
    QString text = source->text();
    if (text.isEmpty())
        return;
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    const int free = room();
    if (text.size() > free) {
        // A paste goes in whole or not at all: half a passage is worse than none.
        const QLocale locale;
        CUiManager::instance()->showTips(
            tr("Not pasted: the text has %1 characters and this chapter has room for %2 more, %3 too many "
               "(a chapter holds at most %4). Paste a shorter part, or start a new chapter.")
                .arg(locale.toString(text.size()), locale.toString(qMax(0, free)),
                     locale.toString(text.size() - qMax(0, free)), locale.toString(kMaxLength)),
            0);
        return;
    }
    QTextCursor cursor = textCursor();
    cursor.insertText(text);
    setTextCursor(cursor);
    ensureCursorVisible();
}

bool Creation_TextEdit::leavesByKeyboard(const QKeyEvent *event)
{
    // Tab is text here; Ctrl+Tab and Ctrl+Shift+Tab move on to the page's
    // other controls, as in any text field that takes tabs.
    const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
    if (event->key() == Qt::Key_Tab && mods == Qt::ControlModifier)
        return QWidget::focusNextPrevChild(true);
    if ((event->key() == Qt::Key_Backtab || event->key() == Qt::Key_Tab) &&
        mods == (Qt::ControlModifier | Qt::ShiftModifier))
        return QWidget::focusNextPrevChild(false);
    return false;
}

void Creation_TextEdit::pairForKey(const QKeyEvent *event)
{
    const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
    if (mods == Qt::NoModifier) {
        if (event->key() == Qt::Key_Apostrophe)
            m_insertAfter = QStringLiteral("'");
        else if (event->key() == Qt::Key_BracketLeft)
            m_insertAfter = QStringLiteral("]");
    } else if (mods == Qt::ShiftModifier) {
        switch (event->key()) {
        case Qt::Key_QuoteDbl:
            m_insertAfter = QStringLiteral("\"");
            break;
        case Qt::Key_ParenLeft:
            m_insertAfter = QStringLiteral(")");
            break;
        case Qt::Key_Less:
            m_insertAfter = QStringLiteral(">");
            break;
        case Qt::Key_BraceLeft:
            m_insertAfter = QStringLiteral("}");
            break;
        default:
            break;
        }
    }
    schedulePairs();
}

void Creation_TextEdit::pairForCommit(const QString &commit)
{
    if (commit.isEmpty())
        return;
    // The Chinese marks come from the translation; the literal stands in
    // where no translation is installed.
    auto mark = [](const char *source, const char *fallback) {
        const QString text = tr(source);
        return text == QLatin1String(source) ? QString::fromUtf8(fallback) : text;
    };
    struct Pair
    {
        QString typed;
        QString after;
        QString before;
    };
    const Pair pairs[] = {
        {mark(QT_TR_NOOP("<"), "《"), mark(QT_TR_NOOP(">"), "》"), QString()},
        {mark(QT_TR_NOOP("("), "（"), mark(QT_TR_NOOP(")"), "）"), QString()},
        {mark(QT_TR_NOOP("["), "【"), mark(QT_TR_NOOP("]"), "】"), QString()},
        {mark(QT_TR_NOOP("doubleLeft"), "“"), mark(QT_TR_NOOP("doubleRight"), "”"), QString()},
        {mark(QT_TR_NOOP("singleLeft"), "‘"), mark(QT_TR_NOOP("singleRight"), "’"), QString()},
        {QStringLiteral("{"), QStringLiteral("}"), QString()},
        {mark(QT_TR_NOOP("doubleRight"), "”"), QString(), mark(QT_TR_NOOP("doubleLeft"), "“")},
        {mark(QT_TR_NOOP("singleRight"), "’"), QString(), mark(QT_TR_NOOP("singleLeft"), "‘")},
    };
    for (const Pair &pair : pairs) {
        if (commit != pair.typed)
            continue;
        m_insertAfter = pair.after;
        m_insertBefore = pair.before;
        break;
    }
    schedulePairs();
}

void Creation_TextEdit::schedulePairs()
{
    if (!m_insertAfter.isEmpty())
        QTimer::singleShot(kPairDelayMs, this, &Creation_TextEdit::autoPunctuation);
    if (!m_insertBefore.isEmpty())
        QTimer::singleShot(kPairDelayMs, this, &Creation_TextEdit::autoFrontPunctuation);
}

void Creation_TextEdit::autoPunctuation()
{
    if (m_insertAfter.isEmpty())
        return;
    QTextCursor cursor = textCursor();
    if (m_insertAfter.size() > room()) {
        m_insertAfter.clear();
        return;
    }
    cursor.insertText(m_insertAfter);
    m_insertAfter.clear();
    cursor.setPosition(qMax(0, cursor.position() - 1));
    setTextCursor(cursor);
}

void Creation_TextEdit::autoFrontPunctuation()
{
    if (m_insertBefore.isEmpty())
        return;
    QTextCursor cursor = textCursor();
    if (m_insertBefore.size() > room()) {
        m_insertBefore.clear();
        return;
    }
    cursor.setPosition(qMax(0, cursor.position() - 1));
    cursor.insertText(m_insertBefore);
    m_insertBefore.clear();
    setTextCursor(cursor);
}

void Creation_TextEdit::focusInEvent(QFocusEvent *event)
{
    m_focused = true;
    QTextEdit::focusInEvent(event);
}

void Creation_TextEdit::focusOutEvent(QFocusEvent *event)
{
    m_focused = false;
    QTextEdit::focusOutEvent(event);
}

bool Creation_TextEdit::canInsertFromMimeData(const QMimeData *source) const
{
    return source->hasText();
}

void Creation_TextEdit::dragEnterEvent(QDragEnterEvent *event)
{
    if (event->mimeData()->hasText())
        event->acceptProposedAction();
    else
        event->ignore();
}

void Creation_TextEdit::dragMoveEvent(QDragMoveEvent *event)
{
    if (event->mimeData()->hasText())
        event->acceptProposedAction();
    else
        event->ignore();
}

void Creation_TextEdit::dropEvent(QDropEvent *event)
{
    // A drop never inserts text: it carries the local id of a memo whose card
    // is to be pinned here.
    bool ok = false;
    const int localMemoId = event->mimeData()->text().trimmed().toInt(&ok);
    bool known = false;
    for (const T_Memo *memo : T_SessionData::instance().memos)
        known = known || (ok && memo->localId == localMemoId);
    if (known)
        event->acceptProposedAction();
    else
        event->ignore();
}
