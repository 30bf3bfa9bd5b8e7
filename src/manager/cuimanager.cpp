#include "cuimanager.h"

#include "db/cquorvindb.h"
#include "db/records.h"
#include "mainwindow.h"
#include "manager/cqssmanager.h"
#include "manager/crecoveryjournal.h"
#include "platform/autostart.h"
#include "platform/topmost.h"
#include "ui/accessiblenames.h"
#include "ui/bookshelf/dialog_userinfo.h"
#include "ui/bookshelf/widget_bookshelf.h"
#include "ui/creation/widget_creation.h"
#include "ui/dpiadapter.h"
#include "ui/login/dialog_loginmain.h"
#include "ui/windowplacement.h"

#include <QApplication>
#include <QCursor>
#include <QDebug>
#include <QDesktopWidget>
#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QLayout>
#include <QRegularExpression>
#include <QScreen>
#include <QStackedWidget>
#include <QSystemTrayIcon>
#include <QTimer>

namespace {

const int kShadowMargin = 14;
const int kDismissDelayMs = 500;
const int kLockTipDelayMs = 500;
const double kCreationGrowth = 1.25;

// `size` made no larger than the screen's free `area`.
QSize fitted(const QSize &size, const QRect &area)
{
    return area.isValid() ? size.boundedTo(area.size()) : size;
}

} // namespace

CUiManager::CUiManager(QObject *parent)
    : QObject(parent), m_db(CQuorvinDb::instance()), m_session(T_SessionData::instance()),
      m_qss(CQssManager::instance())
{
    m_loginFactory = [] { return new Dialog_LoginMain; };
    WindowPlacement::DialogPlacer::install();
    AccessibleNames::install();
}

CUiManager *CUiManager::instance()
{
    static CUiManager *manager = new CUiManager;
    return manager;
}

void CUiManager::setPages(Widget_Bookshelf *bookshelf, Widget_Creation *creation)
{
    m_bookshelf = bookshelf;
    m_creation = creation;
}

MainWindow *CUiManager::mainWindow() const
{
    return m_mainWindow;
}

QDialog *CUiManager::loginDialog() const
{
    return m_login;
}

Widget_Bookshelf *CUiManager::bookshelf() const
{
    return m_bookshelf;
}

Widget_Creation *CUiManager::creation() const
{
    return m_creation;
}

void CUiManager::dismissLater(QWidget *widget)
{
    if (!widget)
        return;
    widget->hide();
    QTimer::singleShot(kDismissDelayMs, widget, &QObject::deleteLater);
}

void CUiManager::showMain()
{
    if (m_login) {
        dismissLater(m_login);
        m_login = nullptr;
    }
    if (!m_mainWindow)
        m_mainWindow = new MainWindow;
    MainWindow *w = m_mainWindow;
    if (m_bookshelf)
        m_bookshelf->loadData();
    const QRect screen = QApplication::primaryScreen()->availableGeometry();
    w->setGeometry(WindowPlacement::centredInside(fitted(DPIAdapter::instance()->defaultWindowSize(), screen),
                                                  screen.center(), screen));
    w->stack()->setCurrentIndex(0);

    const int style = m_session.author.style > 0 ? m_session.author.style : StyleLight;
    m_qss->setStyle(style);
    if (m_bookshelf)
        m_bookshelf->onStyleChanged(style);

    if (!isLocked()) {
        if (m_session.author.windowSize == 0) {
            setMargin(kShadowMargin);
            w->showNormal();
        } else {
            setMargin(0);
            w->showMaximized();
        }
        return;
    }
    // Closed or restarted while a writing lock ran: the lock resumes.
    w->show();
    setPowerboot(true);
    setWindowFullScreen(true);
    Platform::setTopmost(w, true);
    showLockTipLater(true);
}

void CUiManager::showLogin()
{
    if (m_mainWindow) {
        dismissLater(m_mainWindow);
        m_mainWindow = nullptr;
    }
    // The dialog is built under the author's theme (light before anyone
    // signed in), never on the toolkit's bare look.
    if (m_qss->getStyle() == StyleNone)
        m_qss->setStyle(m_session.author.style > 0 ? m_session.author.style : StyleLight);
    if (!m_login)
        m_login = m_loginFactory();
    if (m_login)
        m_login->show();
}

void CUiManager::showUserInfo()
{
    Dialog_UserInfo dialog(m_mainWindow);
    dialog.adjustSize();
    if (m_mainWindow)
        centreOn(&dialog, m_mainWindow);
    dialog.exec();
}

void CUiManager::closeWindows()
{
    delete m_mainWindow;
    delete m_login;
}

void CUiManager::closeMemoWindows()
{
    // The memo list and the floating memo cards close here once they exist.
}

void CUiManager::showBookshelf()
{
    closeMemoWindows();
    if (!m_mainWindow || m_mainWindow->isHidden())
        return;
    m_mainWindow->stack()->setCurrentIndex(0);
    if (m_creation)
        m_creation->onBookshelfShown();
    resizeForPage(0);
}

void CUiManager::showCreation(T_Book *book)
{
    closeMemoWindows();
    if (!m_mainWindow || m_mainWindow->isHidden())
        return;
    m_mainWindow->stack()->setCurrentIndex(1);
    if (m_creation)
        m_creation->openBook(book);
    resizeForPage(1);
}

void CUiManager::resizeForPage(int page)
{
    MainWindow *w = m_mainWindow;
    if (!w || w->isMaximized() || w->isFullScreen())
        return;
    // The window keeps its vertical centre: the creation page grows by a
    // quarter of the base height, half of it upwards.
    const QSize base = DPIAdapter::instance()->defaultWindowSize();
    const QRect old = w->geometry();
    const QRect area = WindowPlacement::availableAt(old.center());
    // Never taller or wider than the screen's free area, and kept inside it.
    const QSize size = fitted(
        QSize(base.width(), page == 1 ? qRound(base.height() * kCreationGrowth) : base.height()), area);
    w->setGeometry(
        WindowPlacement::centredInside(size, QPoint(old.left() + size.width() / 2, old.center().y()), area));
}

void CUiManager::setMargin(int margin)
{
    if (m_mainWindow)
        m_mainWindow->setShadowMargin(margin);
}

void CUiManager::toggleMaximized()
{
    MainWindow *w = m_mainWindow;
    if (!w)
        return;
    m_session.author.windowSize = m_session.author.windowSize ? 0 : 1;
    if (w->isMaximized()) {
        setMargin(kShadowMargin);
        w->showNormal();
        const QSize base = DPIAdapter::instance()->defaultWindowSize();
        const int height =
            w->stack()->currentIndex() == 1 ? qRound(base.height() * kCreationGrowth) : base.height();
        // Centred on the screen it was maximised on, wherever the system
        // would have put it back.
        const QScreen *screen = w->screen() ? w->screen() : QApplication::primaryScreen();
        const QRect area = screen ? screen->availableGeometry() : QRect();
        QRect normal(QPoint(), fitted(QSize(base.width(), height), area));
        if (screen)
            normal.moveCenter(area.center());
        w->setGeometry(normal);
    } else {
        setMargin(0);
        w->showMaximized();
    }
}

void CUiManager::showMinimized()
{
    if (m_mainWindow)
        m_mainWindow->showMinimized();
}

void CUiManager::bringToFront()
{
    QWidget *window = QApplication::activeModalWidget();
    if (!window && m_login && m_login->isVisible())
        window = m_login;
    if (!window)
        window = m_mainWindow;
    if (!window)
        return;
    qDebug() << "another start on this data folder: the window comes forward";
    if (window->isMinimized())
        window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
    if (!window->isVisible())
        window->show();
    window->raise();
    window->activateWindow();
}

void CUiManager::requestClose()
{
    if (!m_mainWindow)
        return;
    if (isLocked()) {
        showTips(tr("Currently locked"), 0);
        return;
    }
    if (m_session.user.isTray == 1) {
        closeToTray();
        return;
    }
    quitApplication();
}

bool CUiManager::isTrayAvailable() const
{
    return m_trayProbe ? m_trayProbe() : QSystemTrayIcon::isSystemTrayAvailable();
}

void CUiManager::closeToTray()
{
    if (!m_mainWindow)
        return;
    // A hidden window without a tray icon could come back only by the boss key.
    if (isTrayAvailable())
        m_mainWindow->hide();
    else
        m_mainWindow->showMinimized();
}

void CUiManager::quitApplication()
{
    saveAll();
    if (!confirmQuitWithUnsaved())
        return;
    QApplication::quit();
}

void CUiManager::saveWork()
{
    emit sig_SaveAll();
    // What the store could not take is in the journal before anything ends.
    CRecoveryJournal::instance()->flush();
}

void CUiManager::saveAll()
{
    saveWork();
    if (m_session.author.uid != 0 && !m_db->updateUser(m_session.author))
        qWarning() << "could not write the author record:" << m_db->lastError();
}

bool CUiManager::isLocked() const
{
    return m_session.user.lockType != 0;
}

void CUiManager::showLockTipLater(bool locked)
{
    if (!m_mainWindow)
        return;
    const QString text = locked ? tr("Client opens locked") : tr("Client close locked");
    // The tip belongs to this window: it is dropped when the window goes first.
    MainWindow *w = m_mainWindow;
    QTimer::singleShot(kLockTipDelayMs, w, [w, text] { w->showTips(text, 2); });
}

void CUiManager::setLock(bool on)
{
    MainWindow *w = m_mainWindow;
    if (!w)
        return;
    if (on) {
        setPowerboot(true);
        setWindowFullScreen(true);
        Platform::setTopmost(w, true);
    } else {
        if (m_session.user.isAutoOpen == 0)
            setPowerboot(false);
        setWindowFullScreen(false);
        Platform::setTopmost(w, false);
    }
    showLockTipLater(on);
}

void CUiManager::setPowerboot(bool on)
{
    const QFileInfo program(QApplication::applicationFilePath());
    const QString name = program.completeBaseName();
    const QString path = QDir::toNativeSeparators(program.absoluteFilePath());
    const bool ok = Platform::setAutostart(name, path, on);
    qDebug() << "setReg" << name << path << on << Platform::autostartEntryPath(name) << ok;
}

void CUiManager::setWindowFullScreen(bool on)
{
    MainWindow *w = m_mainWindow;
    if (!w)
        return;
    const Qt::WindowStates state = w->windowState();
    w->showNormal();
    Qt::WindowStates next;
    if (on) {
        setMargin(0);
        next = state == Qt::WindowMaximized ? (Qt::WindowMaximized | Qt::WindowFullScreen)
                                            : Qt::WindowFullScreen;
    } else {
        setMargin(state & Qt::WindowMaximized ? 0 : kShadowMargin);
        next = state & ~Qt::WindowFullScreen;
    }
    w->setWindowState(next);
    qDebug() << "setWindowFullScreen" << on << next;
}

void CUiManager::toggleTheme()
{
    m_session.author.style = m_session.author.style == StyleLight ? StyleDark : StyleLight;
    m_qss->setStyle(m_session.author.style);
    if (m_bookshelf)
        m_bookshelf->onStyleChanged(m_session.author.style);
}

void CUiManager::showTips(const QString &text, int type)
{
    emit sig_TipShown(text, type);
    if (m_mainWindow)
        m_mainWindow->showTips(text, type);
}

bool CUiManager::isBookshelfShown() const
{
    return m_mainWindow && m_mainWindow->stack()->currentIndex() == 0;
}

bool CUiManager::isFullScreen() const
{
    return m_mainWindow && m_mainWindow->isFullScreen();
}

QPoint CUiManager::windowPos() const
{
    return m_mainWindow ? m_mainWindow->pos() : QPoint();
}

int CUiManager::windowWidth() const
{
    return m_mainWindow ? m_mainWindow->width() : 0;
}

int CUiManager::windowHeight() const
{
    return m_mainWindow ? m_mainWindow->height() : 0;
}

Qt::WindowStates CUiManager::windowState() const
{
    return m_mainWindow ? m_mainWindow->windowState() : Qt::WindowNoState;
}

void CUiManager::setSyncRunning(int running)
{
    m_syncRunning = running;
    if (running && m_bookshelf)
        m_bookshelf->startSync();
}

void CUiManager::onSyncEnded(bool ok, const QString &why, bool tell)
{
    m_syncRunning = 0;
    if (m_bookshelf)
        m_bookshelf->endSync(ok, why, tell);
}

void CUiManager::addBook(T_Book *book, int row, bool isImport)
{
    if (m_bookshelf)
        m_bookshelf->addBook(book, row, isImport);
    emit sig_BookListChanged();
}

void CUiManager::removeBook(int row, T_Book *book)
{
    // The book open on the creation page is let go before it is freed; the
    // author goes back to the bookshelf.
    if (m_creation && book && m_creation->book() == book) {
        m_creation->forgetBook(book);
        if (!isBookshelfShown())
            showBookshelf();
    }
    if (m_bookshelf)
        m_bookshelf->removeBook(row, book ? book->localId : 0);
    emit sig_BookListChanged();
}

void CUiManager::onBookListChanged()
{
    if (m_bookshelf)
        m_bookshelf->refreshBooks();
    emit sig_BookListChanged();
}

void CUiManager::onBookChanged(T_Book *book)
{
    if (m_bookshelf)
        m_bookshelf->refreshBook(book);
    emit sig_BookChanged(book);
}

void CUiManager::onChapterListChanged(T_Book *book)
{
    emit sig_ChapterListChanged(book);
}

void CUiManager::onChapterLeaving(int localChapterId)
{
    emit sig_ChapterLeaving(localChapterId);
}

void CUiManager::onChapterTextReplaced(T_Chapter *chapter, const QString &previous)
{
    emit sig_ChapterTextReplaced(chapter, previous);
}

int CUiManager::countWords(const QString &text)
{
    int count = 0;
    for (const QChar c : text)
        if (c != ' ' && c != '\n' && c != '\r')
            ++count;
    return count;
}

void CUiManager::toHtml(const QString &text, QString &html, int lineHeight, int indent, int fontSize)
{
    static const QRegularExpression breaks("[\r\n]");
    const QStringList paragraphs = text.split(breaks, Qt::SkipEmptyParts);
    const QString open = QString("<p style='line-height:%1px;text-indent:%2px;font-size:%3px;'>")
                             .arg(lineHeight)
                             .arg(indent)
                             .arg(fontSize);
    html = "<html><body style=''>";
    // A paragraph is text, never markup: "<", ">" and "&" in a chapter stay as written.
    for (const QString &paragraph : paragraphs)
        html += open + paragraph.toHtmlEscaped() + "</p>";
    html += "</body></html>";
}

void CUiManager::centreOn(QWidget *widget, QWidget *over) const
{
    WindowPlacement::centre(widget, over ? over : static_cast<QWidget *>(m_mainWindow.data()));
}

void CUiManager::placeAtCursor(QWidget *widget, bool keepBelow) const
{
    if (!widget)
        return;
    QPoint pos = QCursor::pos();
    if (!keepBelow && m_mainWindow) {
        const QRect frame = m_mainWindow->frameGeometry();
        if (pos.y() + widget->height() > frame.bottom())
            pos.ry() -= widget->height();
    }
    widget->move(pos);
}

void CUiManager::showDbError(const QString &text) const
{
    qWarning() << text;
}
