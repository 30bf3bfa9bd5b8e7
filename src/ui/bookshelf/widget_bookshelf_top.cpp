#include "widget_bookshelf_top.h"

#include "widget_bookshelf_content.h"

#include "db/records.h"
#include "manager/cjobmanager.h"
#include "manager/cqssmanager.h"
#include "manager/cuimanager.h"

#include <QButtonGroup>
#include <QDateTime>
#include <QDebug>
#include <QHBoxLayout>
#include <QLabel>
#include <QMovie>
#include <QPushButton>

namespace {

QPushButton *topButton(const QString &name, const QString &tip, QWidget *parent, bool checkable = false)
{
    auto *button = new QPushButton(parent);
    button->setObjectName(name);
    button->setToolTip(tip);
    button->setFixedSize(28, 28);
    button->setCursor(Qt::PointingHandCursor);
    button->setFocusPolicy(Qt::TabFocus); // reached by Tab, never taken by a click
    button->setCheckable(checkable);
    return button;
}

} // namespace

Widget_Bookshelf_Top::Widget_Bookshelf_Top(QWidget *parent)
    : QWidget(parent), m_clock([] { return QDateTime::currentMSecsSinceEpoch(); })
{
    setObjectName(QStringLiteral("Widget_Bookshelf_TopBar"));
    setAttribute(Qt::WA_StyledBackground);
    setFixedHeight(56);
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(24, 0, 16, 0);
    row->setSpacing(8);
    m_title = new QLabel(tr("My Bookshelf"), this);
    m_title->setObjectName(QStringLiteral("Widget_Bookshelf_Title"));
    row->addWidget(m_title);
    row->addStretch(1);

    m_btnSyn = topButton(QStringLiteral("btn_syn"), tr("Synchronize now"), this);
    m_labelSync = new QLabel(this);
    m_labelSync->setObjectName(QStringLiteral("labelSync"));
    m_labelSync->setFixedSize(28, 28);
    m_labelSync->setAlignment(Qt::AlignCenter);
    m_labelSync->hide();
    m_btnMemo = topButton(QStringLiteral("btn_memo"), tr("Memos"), this, true);
    m_btnStyle = topButton(QStringLiteral("btn_style"), tr("Switch theme"), this, true);
    m_btnSetup = topButton(QStringLiteral("btn_setup"), tr("Settings"), this, true);
    m_btnMin = topButton(QStringLiteral("btn_min"), tr("Minimise"), this);
    m_btnMax = topButton(QStringLiteral("btn_max"), tr("Maximise"), this, true);
    m_btnClose = topButton(QStringLiteral("btn_close"), tr("Close"), this);
    auto *separator = new QWidget(this);
    separator->setObjectName(QStringLiteral("Widget_Bookshelf_TopSeparator"));
    separator->setAttribute(Qt::WA_StyledBackground);
    separator->setFixedSize(1, 16);
    for (QWidget *w : std::initializer_list<QWidget *>{m_btnSyn, m_labelSync, m_btnMemo, m_btnStyle,
                                                       m_btnSetup, separator, m_btnMin, m_btnMax, m_btnClose})
        row->addWidget(w, 0, Qt::AlignVCenter);

    m_group = new QButtonGroup(this);
    m_group->addButton(m_btnSetup, 1);

    CUiManager *ui = CUiManager::instance();
    // The coordinator starts the display when it starts the pass.
    connect(m_btnSyn, &QPushButton::clicked, this, [] { CJobManager::instance()->checkUserJob(); });
    connect(m_btnStyle, &QPushButton::clicked, this, [ui] { ui->toggleTheme(); });
    connect(m_btnSetup, &QPushButton::clicked, this, [this] {
        m_group->setExclusive(true);
        emit sig_showPage(1);
    });
    // The memo list arrives with the memo pages; until then the button only toggles.
    connect(m_btnMin, &QPushButton::clicked, this, [ui] {
        if (!ui->isLocked())
            ui->showMinimized();
    });
    connect(m_btnMax, &QPushButton::clicked, this, [this, ui] {
        if (ui->isLocked()) {
            m_btnMax->setChecked(true);
            return;
        }
        ui->toggleMaximized();
    });
    connect(m_btnClose, &QPushButton::clicked, ui, &CUiManager::requestClose);

    m_endTimer.setSingleShot(true);
    connect(&m_endTimer, &QTimer::timeout, this, &Widget_Bookshelf_Top::finishSynchronization);
    playAnimation(CQssManager::instance()->getStyle());
}

void Widget_Bookshelf_Top::setPageTitle(int page)
{
    switch (page) {
    case Widget_Bookshelf_Content::PageSettings:
        m_title->setText(tr("Settings"));
        break;
    case Widget_Bookshelf_Content::PagePersonalData:
        m_title->setText(QStringLiteral("个人数据"));
        break;
    case Widget_Bookshelf_Content::PageFeedback:
        m_title->setText(QStringLiteral("意见反馈"));
        break;
    default:
        m_title->setText(tr("My Bookshelf"));
        break;
    }
}

QString Widget_Bookshelf_Top::pageTitle() const
{
    return m_title->text();
}

void Widget_Bookshelf_Top::playAnimation(int style)
{
    const bool dark = style == StyleDark;
    delete m_movie;
    m_movie = new QMovie(dark ? QStringLiteral(":/res/skin/dark/top/gif_sync.gif")
                              : QStringLiteral(":/res/skin/light/top/gif_sync.gif"),
                         QByteArray(), this);
    m_movie->setScaledSize(QSize(20, 20));
    m_labelSync->setMovie(m_movie);
    if (m_labelSync->isVisible())
        m_movie->start();
}

void Widget_Bookshelf_Top::startSynchronization()
{
    if (!m_labelSync->isHidden())
        return;
    m_endTimer.stop();
    m_btnSyn->hide();
    m_labelSync->show();
    m_movie->start();
    m_labelSync->setProperty("msec", m_clock());
}

void Widget_Bookshelf_Top::endSynchronization(bool ok, const QString &why, bool tell)
{
    // A quiet end never cancels a result still waiting to be told.
    if (!tell && m_endTimer.isActive())
        return;
    m_pendingOk = ok;
    m_pendingWhy = why;
    m_pendingTell = tell;
    finishSynchronization();
}

void Widget_Bookshelf_Top::finishSynchronization()
{
    if (m_labelSync->isHidden())
        return;
    const qint64 elapsed = m_clock() - m_labelSync->property("msec").toLongLong();
    qDebug() << "sync display elapsed" << elapsed;
    if (elapsed < kMinimumSyncMs) {
        m_endTimer.start(int(kMinimumSyncMs - elapsed));
        return;
    }
    m_movie->stop();
    m_labelSync->hide();
    m_btnSyn->show();
    CUiManager *ui = CUiManager::instance();
    if (!m_pendingTell)
        return;
    if (m_pendingOk)
        ui->showTips(tr("Synchronous success"), 1);
    else if (m_pendingWhy.isEmpty())
        ui->showTips(tr("Synchronization failure"), 0);
    else
        ui->showTips(tr("Synchronization failed: %1 What you wrote is kept on this computer and sent "
                        "by itself when the server answers.")
                         .arg(m_pendingWhy),
                     0);
}

void Widget_Bookshelf_Top::onStyleChanged(int style)
{
    m_btnStyle->setChecked(style == StyleDark);
    m_btnStyle->setToolTip(style == StyleDark ? tr("Switch to the light theme")
                                              : tr("Switch to the dark theme"));
    playAnimation(style);
}

void Widget_Bookshelf_Top::onWindowStateChanged(Qt::WindowStates state)
{
    const bool big = state & (Qt::WindowMaximized | Qt::WindowFullScreen);
    m_btnMax->setChecked(big || CUiManager::instance()->isLocked());
    m_btnMax->setToolTip(big ? tr("Restore") : tr("Maximise"));
}
