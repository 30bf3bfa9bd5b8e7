#include "widget_creation_top.h"

#include "ctabbutton.h"
#include "manager/cuimanager.h"
#include "platform/power.h"
#include "ui/ztmessagebox.h"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QPushButton>

namespace {

QPushButton *barButton(QWidget *parent, const char *name, const QString &tip)
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

Widget_Creation_Top::Widget_Creation_Top(QWidget *parent) : QWidget(parent)
{
    setObjectName("Widget_Creation_Top");
    setAttribute(Qt::WA_StyledBackground);
    setFixedHeight(48);
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(12, 6, 12, 6);
    row->setSpacing(6);
    m_tabLayout = new QHBoxLayout;
    m_tabLayout->setContentsMargins(0, 0, 0, 0);
    m_tabLayout->setSpacing(0);
    row->addLayout(m_tabLayout);
    row->addStretch(1);

    m_tabGroup = new QButtonGroup(this);
    m_tabGroup->setExclusive(true);
    for (int i = 0; i < kTabCount; ++i) {
        auto *tab = new CTabButton(this);
        tab->setObjectName(QStringLiteral("tabbutton_%1").arg(i + 1));
        tab->hide();
        m_tabs.append(tab);
        m_tabGroup->addButton(tab, i);
        connect(tab, &CTabButton::sig_close, this, &Widget_Creation_Top::onTabBtnClose);
    }

    connect(m_tabGroup, &QButtonGroup::idPressed, this, [this](int id) {
        auto *tab = static_cast<CTabButton *>(m_tabGroup->button(id));
        setCurrent(tab);
        emit sig_tabChapter(tab->localId());
    });

    m_btnSetup1 = barButton(this, "btn_creation_setup1", tr("Tools"));
    m_btnSetup1->setCheckable(true);
    m_line1 = new QWidget(this);
    m_line1->setObjectName("widget_line_1");
    m_line1->setAttribute(Qt::WA_StyledBackground);
    m_line1->setFixedSize(1, 16);
    m_btnFullscreen = barButton(this, "btn_fullscreen", tr("Full screen"));
    m_btnFullscreen->setCheckable(true);
    m_btnReboot = barButton(this, "btnReboot", tr("Power"));
    m_btnReboot->hide();
    m_btnMin = barButton(this, "btn_min", tr("Minimize"));
    m_btnMax = barButton(this, "btn_max", tr("Maximize"));
    m_btnMax->setCheckable(true);
    m_btnClose = barButton(this, "btn_creation_close", tr("Back to the bookshelf"));
    const QList<QWidget *> buttons = {m_btnSetup1, m_btnFullscreen, m_btnReboot, m_line1,
                                      m_btnMin,    m_btnMax,        m_btnClose};
    for (QWidget *w : buttons)
        row->addWidget(w);

    connect(m_btnSetup1, &QPushButton::clicked, this, &Widget_Creation_Top::on_btn_creation_setup1_clicked);
    connect(m_btnFullscreen, &QPushButton::clicked, this, &Widget_Creation_Top::on_btn_fullscreen_clicked);
    connect(m_btnReboot, &QPushButton::clicked, this, &Widget_Creation_Top::on_btnReboot_clicked);
    connect(m_btnMin, &QPushButton::clicked, this, &Widget_Creation_Top::on_btn_min_clicked);
    connect(m_btnMax, &QPushButton::clicked, this, &Widget_Creation_Top::on_btn_max_clicked);
    connect(m_btnClose, &QPushButton::clicked, this, &Widget_Creation_Top::on_btn_creation_close_clicked);
}

QList<CTabButton *> Widget_Creation_Top::visibleTabs() const
{
    QList<CTabButton *> list;
    for (CTabButton *tab : m_tabs)
        if (m_tabLayout->indexOf(tab) >= 0)
            list.append(tab);
    return list;
}

int Widget_Creation_Top::currentChapterId() const
{
    return m_current ? m_current->localId() : 0;
}

CTabButton *Widget_Creation_Top::tabShowing(int localChapterId) const
{
    for (CTabButton *tab : visibleTabs())
        if (tab->localId() == localChapterId)
            return tab;
    return nullptr;
}

void Widget_Creation_Top::setCurrent(CTabButton *tab)
{
    m_current = tab;
    // An exclusive group keeps its checked button: with no current tab
    // every tab is unchecked by hand.
    m_tabGroup->setExclusive(tab != nullptr);
    for (CTabButton *t : m_tabs)
        t->setCurrent(t == tab);
    refreshLines();
}

void Widget_Creation_Top::refreshLines()
{
    const QList<CTabButton *> shown = visibleTabs();
    const int at = shown.indexOf(m_current);
    for (int i = 0; i < shown.size(); ++i)
        shown.at(i)->setLineVisible(!(i == at || i == at - 1));
}

bool Widget_Creation_Top::openInCurrentTab(int localChapterId, const QString &name)
{
    if (!m_current || m_tabLayout->indexOf(m_current) < 0) {
        CTabButton *first = m_tabs.first();
        m_tabLayout->insertWidget(0, first);
        first->show();
        first->setChapter(localChapterId, name);
        setCurrent(first);
        return true;
    }
    if (CTabButton *present = tabShowing(localChapterId)) {
        setCurrent(present);
        return true;
    }
    m_current->setChapter(localChapterId, name);
    setCurrent(m_current);
    return true;
}

bool Widget_Creation_Top::openInNewTab(int localChapterId, const QString &name)
{
    if (CTabButton *present = tabShowing(localChapterId)) {
        setCurrent(present);
        return true;
    }
    const QList<CTabButton *> shown = visibleTabs();
    if (shown.size() >= kTabCount)
        return false;
    CTabButton *free = nullptr;
    for (CTabButton *tab : m_tabs)
        if (!shown.contains(tab)) {
            free = tab;
            break;
        }
    if (!free)
        return false;
    m_tabs.removeOne(free);
    m_tabs.insert(shown.size(), free);
    m_tabLayout->insertWidget(shown.size(), free);
    free->show();
    free->setChapter(localChapterId, name);
    setCurrent(free);
    return true;
}

void Widget_Creation_Top::renameTab(int localChapterId, const QString &name)
{
    for (CTabButton *tab : visibleTabs())
        if (tab->localId() == localChapterId)
            tab->setChapter(localChapterId, name);
}

void Widget_Creation_Top::forgetChapter(int localChapterId)
{
    for (CTabButton *tab : visibleTabs()) {
        if (tab->localId() != localChapterId)
            continue;
        if (visibleTabs().size() > 1 && tab != m_current) {
            m_tabLayout->removeWidget(tab);
            tab->hide();
            m_tabs.removeOne(tab);
            m_tabs.append(tab);
        }
    }
    refreshLines();
}

void Widget_Creation_Top::closeAllTabs()
{
    for (CTabButton *tab : m_tabs) {
        m_tabLayout->removeWidget(tab);
        tab->hide();
        tab->setChapter(0, QString());
    }
    setCurrent(nullptr);
}

void Widget_Creation_Top::onTabBtnClose()
{
    closeTab(qobject_cast<CTabButton *>(sender()));
}

void Widget_Creation_Top::closeTab(CTabButton *tab)
{
    const QList<CTabButton *> shown = visibleTabs();
    if (!tab || shown.size() <= 1 || !shown.contains(tab))
        return;
    const int at = shown.indexOf(tab);
    m_tabLayout->removeWidget(tab);
    tab->hide();
    m_tabs.removeOne(tab);
    m_tabs.append(tab);
    if (tab != m_current) {
        refreshLines();
        return;
    }
    const QList<CTabButton *> left = visibleTabs();
    CTabButton *next = at < left.size() ? left.at(at) : left.at(at - 1);
    setCurrent(next);
    emit sig_tabChapter(next->localId());
}

void Widget_Creation_Top::updateButtons(Qt::WindowStates state, bool locked)
{
    const bool full = state & Qt::WindowFullScreen;
    const QList<QWidget *> windowButtons = {m_btnSetup1, m_line1, m_btnMin, m_btnMax, m_btnClose};
    for (QWidget *w : windowButtons)
        w->setVisible(!full);
    m_btnFullscreen->setChecked(full);
    m_btnMax->setChecked(state & Qt::WindowMaximized);
    m_btnFullscreen->setVisible(!locked);
    m_btnReboot->setVisible(locked);
    if (locked) {
        m_btnSetup1->show();
        m_btnClose->show();
    }
}

void Widget_Creation_Top::on_btn_creation_close_clicked()
{
    emit sig_saveRequested();
    emit sig_creation_close();
}

void Widget_Creation_Top::on_btn_max_clicked()
{
    CUiManager::instance()->toggleMaximized();
}

void Widget_Creation_Top::on_btn_min_clicked()
{
    CUiManager::instance()->showMinimized();
}

void Widget_Creation_Top::on_btn_creation_setup1_clicked()
{
    emit sig_creation_setup1_clicked(m_btnSetup1->isChecked());
}

void Widget_Creation_Top::on_btn_fullscreen_clicked()
{
    CUiManager *ui = CUiManager::instance();
    ui->setWindowFullScreen(!ui->isFullScreen());
}

void Widget_Creation_Top::on_btnReboot_clicked()
{
    emit sig_saveRequested();
    ZtMessageBox box(1, QStringLiteral("关机选项"),
                     QStringLiteral("请选择对应操作（重启后仍将进入小黑屋模式）"), this);
    box.setObjectName("Dialog_Power");
    box.addButton(QStringLiteral("关机"));
    box.addButton(QStringLiteral("重启"));
    box.addButton(QStringLiteral("睡眠"));
    CUiManager::instance()->centreOn(&box);
    const int choice = box.exec();
    if (choice == 0)
        Platform::requestPower(Platform::PowerAction::Shutdown);
    else if (choice == 1)
        Platform::requestPower(Platform::PowerAction::Restart);
    else if (choice == 2)
        Platform::requestPower(Platform::PowerAction::Sleep);
}
