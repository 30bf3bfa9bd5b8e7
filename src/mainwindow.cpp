#include "mainwindow.h"

#include "db/records.h"
#include "manager/cuimanager.h"
#include "qxt/qxtglobalshortcut.h"
#include "ui/bookshelf/widget_bookshelf.h"
#include "ui/creation/widget_creation.h"
#include "ui/dialog_devpanel.h"
#include "ui/framelesshelper.h"
#include "ui/widget_clienttips.h"
#include "ui/widget_storewarning.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDebug>
#include <QDesktopWidget>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>
#include <QStackedWidget>
#include <QSystemTrayIcon>

namespace {

const int kTipsFadeMs = 1000;
const int kTipsTop = 66;

} // namespace

MainWindow::MainWindow(QWidget *parent)
    : QMainWindow(parent), m_ui(CUiManager::instance()), m_session(T_SessionData::instance())
{
    buildForm();
    m_ui->setPages(m_bookshelf, m_creation);
    m_translucent = FramelessHelper::prepareWindow(this);
    if (!m_translucent)
        setShadowMargin(0);
    setMouseTracking(true);
    setWindowTitle(tr("Quorvin Writing"));
    setWindowIcon(QIcon(":/res/skin/light/main/iquorvin.ico"));
    m_frameless = new FramelessHelper(this);
    m_frameless->activateOn(this);
    m_frameless->setWidgetMovable(true);
    m_frameless->setWidgetResizable(true);

    m_tips = new Widget_ClientTips(this);
    m_tips->hide();

    QFontDatabase::addApplicationFont(":/res/fonts/PINGFANG REGULAR.TTF");
    QFont font("Microsoft YaHei");
    font.setPointSize(12);
    QApplication::setFont(font);

    buildTray();
    buildShortcuts();
}

MainWindow::~MainWindow()
{
    // The tray's parent is the desktop: it must not outlive the window it restores.
    delete m_tray;
    delete m_trayMenu;
}

void MainWindow::buildForm()
{
    auto *central = new QWidget(this);
    central->setObjectName("MainWindow_Central");
    central->setMouseTracking(true);
    m_centralLayout = new QHBoxLayout(central);
    m_centralLayout->setContentsMargins(14, 14, 14, 14);
    m_centralLayout->setSpacing(0);
    m_stack = new QStackedWidget(central);
    m_stack->setObjectName("stackedWidget");
    m_bookshelf = new Widget_Bookshelf(m_stack);
    m_creation = new Widget_Creation(m_stack);
    m_stack->addWidget(m_bookshelf);
    m_stack->addWidget(m_creation);
    // Above the pages, the warning while the local files cannot be written.
    auto *column = new QVBoxLayout;
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    m_storeWarning = new Widget_StoreWarning(central);
    column->addWidget(m_storeWarning);
    column->addWidget(m_stack, 1);
    m_centralLayout->addLayout(column);
    setCentralWidget(central);
    setMinimumSize(800, 500);
}

void MainWindow::buildTray()
{
    m_tray = new QSystemTrayIcon(QIcon(":/res/skin/light/main/iquorvin.ico"), QApplication::desktop());
    m_tray->setToolTip(tr("Quorvin Writing"));
    m_trayMenu = new QMenu;
    m_trayMenu->setObjectName("MainWindow_TrayMenu");
    m_trayMenu->setWindowFlags(m_trayMenu->windowFlags() | Qt::FramelessWindowHint | Qt::Popup |
                               Qt::NoDropShadowWindowHint);
    FramelessHelper::prepareWindow(m_trayMenu);
    QAction *restore = m_trayMenu->addAction(tr("Main Client"));
    QAction *quit = m_trayMenu->addAction(tr("Quick"));
    connect(restore, &QAction::triggered, this, &MainWindow::restoreFromTray);
    connect(quit, &QAction::triggered, this, &MainWindow::quitFromTray);
    m_tray->setContextMenu(m_trayMenu);
    connect(m_tray, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick)
            restoreFromTray();
    });
    m_tray->show();
}

void MainWindow::buildShortcuts()
{
    m_bossKey = new QxtGlobalShortcut(this);
    const QString keys =
        m_session.user.hideKey.isEmpty() ? QStringLiteral("Ctrl+Shift+N") : m_session.user.hideKey;
    const bool ok = m_bossKey->setShortcut(QKeySequence::fromString(keys, QKeySequence::PortableText));
    qDebug() << "setShortcut:" << keys << ok;
    connect(m_bossKey, &QxtGlobalShortcut::activated, this, &MainWindow::toggleHidden);

    m_unlockKey = new QxtGlobalShortcut(this);
    const bool unlockOk = m_unlockKey->setShortcut(QKeySequence("Ctrl+Shift+0"));
    qDebug() << "setShortcut:"
             << "Ctrl+Shift+0" << unlockOk;
    connect(m_unlockKey, &QxtGlobalShortcut::activated, this, [this] {
        if (m_ui->isLocked())
            m_ui->setLock(false);
    });

    m_devPanelKey = new QxtGlobalShortcut(this);
    const bool panelOk = m_devPanelKey->setShortcut(QKeySequence("Ctrl+Shift+9"));
    qDebug() << "setShortcut:"
             << "Ctrl+Shift+9" << panelOk;
    connect(m_devPanelKey, &QxtGlobalShortcut::activated, this, &MainWindow::showDevPanel);
}

Dialog_DevPanel *MainWindow::devPanel() const
{
    return m_devPanel.data();
}

void MainWindow::showDevPanel()
{
    if (!m_devPanel)
        m_devPanel = new Dialog_DevPanel(this);
    m_ui->centreOn(m_devPanel, this);
    m_devPanel->show();
    m_devPanel->raise();
    m_devPanel->activateWindow();
}

bool MainWindow::setBoosKey(const QString &keys)
{
    if (!m_bossKey)
        return false;
    const bool ok = m_bossKey->setShortcut(QKeySequence::fromString(keys, QKeySequence::PortableText));
    qDebug() << "setShortcut:" << keys << ok;
    return ok;
}

void MainWindow::showTips(const QString &text, int type)
{
    m_tips->showTips(text, type, kTipsFadeMs);
    placeTips();
}

void MainWindow::setShadowMargin(int margin)
{
    // An opaque window has no shadow to make room for.
    if (!m_translucent)
        margin = 0;
    m_centralLayout->setContentsMargins(margin, margin, margin, margin);
    update();
}

int MainWindow::shadowMargin() const
{
    return m_centralLayout->contentsMargins().left();
}

void MainWindow::restoreFromTray()
{
    setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    show();
    activateWindow();
    raise();
}

void MainWindow::quitFromTray()
{
    if (m_ui->isLocked()) {
        restoreFromTray();
        m_ui->showTips(tr("Currently locked"), 0);
        return;
    }
    m_ui->quitApplication();
}

void MainWindow::toggleHidden()
{
    if (isVisible()) {
        hide();
        m_tray->hide();
    } else {
        restoreFromTray();
        m_tray->show();
    }
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    if (m_ui->isLocked()) {
        m_ui->showTips(tr("Currently locked"), 0);
        event->ignore();
        return;
    }
    if (m_session.user.isTray == 1) {
        m_ui->closeToTray();
        event->ignore();
        return;
    }
    // Closed from outside (the task bar, the window manager): everything is
    // saved first, and the author is asked while text could not be.
    m_ui->saveWork();
    if (!m_ui->confirmQuitWithUnsaved()) {
        event->ignore();
        return;
    }
    QMainWindow::closeEvent(event);
}

void MainWindow::changeEvent(QEvent *event)
{
    QMainWindow::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange)
        return;
    const Qt::WindowStates state = windowState();
    const bool big = state & (Qt::WindowMaximized | Qt::WindowFullScreen);
    m_frameless->setWidgetMovable(!big);
    m_frameless->setWidgetResizable(!big);
    if (big)
        setShadowMargin(0);
    m_bookshelf->onWindowStateChanged(state);
    m_creation->onWindowStateChanged(state);
}

void MainWindow::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    placeTips();
}

void MainWindow::placeTips()
{
    m_tips->move((width() - m_tips->width()) / 2, kTipsTop);
}

void MainWindow::paintEvent(QPaintEvent *event)
{
    QMainWindow::paintEvent(event);
    const int margin = shadowMargin();
    if (margin <= 0)
        return;
    // A soft shadow in the margin, drawn as rings of fading black.
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRect inner = rect().adjusted(margin, margin, -margin, -margin);
    for (int i = 0; i < margin; ++i) {
        const qreal alpha = 30.0 * (1.0 - qreal(i) / margin) * (1.0 - qreal(i) / margin);
        painter.setPen(QColor(0, 0, 0, int(alpha)));
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(QRectF(inner).adjusted(-i - 0.5, -i - 0.5, i + 0.5, i + 0.5), 4 + i, 4 + i);
    }
}
