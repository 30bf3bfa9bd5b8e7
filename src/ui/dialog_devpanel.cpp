#include "dialog_devpanel.h"

#include "apppaths.h"
#include "db/cquorvindb.h"
#include "db/records.h"
#include "manager/cjobmanager.h"
#include "manager/cuimanager.h"
#include "popupframe.h"
#include "remote/cquorvinhttp.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>

Dialog_DevPanel::Dialog_DevPanel(QWidget *parent) : QDialog(parent), m_timer(new QTimer(this))
{
    setObjectName("Dialog_DevPanel");
    setWindowTitle(tr("Developer panel"));
    QPushButton *close = nullptr;
    QWidget *bg = PopupFrame::build(this, &close);

    auto *column = new QVBoxLayout(bg);
    column->setContentsMargins(24, 16, 16, 24);
    auto *titleRow = new QHBoxLayout;
    auto *title = new QLabel(tr("Developer panel"), bg);
    title->setObjectName("CommonWidgetTitle");
    titleRow->addWidget(title);
    titleRow->addStretch(1);
    titleRow->addWidget(close);
    column->addLayout(titleRow);
    column->addSpacing(12);

    auto *form = new QFormLayout;
    form->setHorizontalSpacing(16);
    form->setVerticalSpacing(8);
    for (const auto &fact : facts()) {
        auto *caption = new QLabel(fact.first, bg);
        caption->setObjectName("Dialog_DevPanel_Caption");
        auto *value = new QLabel(bg);
        value->setObjectName("Dialog_DevPanel_Value");
        value->setTextInteractionFlags(Qt::TextSelectableByMouse);
        form->addRow(caption, value);
        m_values << value;
    }
    column->addLayout(form);
    column->addSpacing(16);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    auto *logs = new QPushButton(tr("Open log folder"), bg);
    logs->setObjectName("btnCancel");
    logs->setFixedSize(120, 32);
    connect(logs, &QPushButton::clicked, this,
            [] { QDesktopServices::openUrl(QUrl::fromLocalFile(AppPaths::logsDir())); });
    auto *sync = new QPushButton(tr("Sync now"), bg);
    sync->setObjectName("btnConfirm");
    sync->setFixedSize(120, 32);
    connect(sync, &QPushButton::clicked, this, [this] {
        CJobManager::instance()->checkUserJob();
        refresh();
    });
    buttons->addWidget(logs);
    buttons->addSpacing(12);
    buttons->addWidget(sync);
    column->addLayout(buttons);

    m_timer->setInterval(1000);
    connect(m_timer, &QTimer::timeout, this, &Dialog_DevPanel::refresh);
    refresh();
    resize(560, 360);
}

QList<QPair<QString, QString>> Dialog_DevPanel::facts() const
{
    const T_SessionData &session = T_SessionData::instance();
    const int uid = session.author.uid;
    const QString version = QCoreApplication::applicationVersion();
    return {
        {tr("Version"), version.isEmpty() ? QStringLiteral("-") : version},
        {tr("Data folder"), QDir::toNativeSeparators(AppPaths::dataDir())},
        {tr("Log folder"), QDir::toNativeSeparators(AppPaths::logsDir())},
        {tr("Server"), CQuorvinHttp::instance()->baseUrl()},
        {tr("Author"), uid > 0 ? QString::number(uid) : tr("Not signed in")},
        {tr("Queued changes"),
         uid > 0 ? QString::number(CQuorvinDb::instance()->countJobs(uid)) : QStringLiteral("-")},
        {tr("Sync"), CUiManager::instance()->syncRunning() ? tr("Running") : tr("Idle")},
    };
}

void Dialog_DevPanel::refresh()
{
    const auto all = facts();
    for (int i = 0; i < all.size() && i < m_values.size(); ++i)
        m_values.at(i)->setText(all.at(i).second);
}

void Dialog_DevPanel::showEvent(QShowEvent *event)
{
    refresh();
    m_timer->start();
    QDialog::showEvent(event);
}

void Dialog_DevPanel::hideEvent(QHideEvent *event)
{
    m_timer->stop();
    QDialog::hideEvent(event);
}
