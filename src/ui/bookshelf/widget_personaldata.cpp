#include "widget_personaldata.h"

#include "apppaths.h"
#include "manager/cjobmanager.h"
#include "ui/cwebview.h"

#include <QDebug>
#include <QUrl>
#include <QUrlQuery>
#include <QVBoxLayout>

Widget_PersonalData::Widget_PersonalData(QWidget *parent) : QWidget(parent), m_view(new CWebView(this))
{
    setObjectName(QStringLiteral("Widget_PersonalData"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_view);
    // No white flash before the page paints its own background.
    m_view->setBackgroundColor(Qt::transparent);
    connect(m_view, &CWebView::loadFinished, this, &Widget_PersonalData::onLoadFinished);
}

QString Widget_PersonalData::pagePath()
{
    return AppPaths::dataDir() + QStringLiteral("/h5/statistics.html");
}

void Widget_PersonalData::showStatistics(int theme)
{
    loadPersionData(pagePath(), theme, CJobManager::instance()->statisticsJson());
}

void Widget_PersonalData::push(const QString &json)
{
    m_view->runJavaScript(QStringLiteral("getDataFromQt(%1)").arg(json));
}

void Widget_PersonalData::loadPersionData(const QString &url, int theme, const QString &json)
{
    if (m_theme == theme) {
        push(json);
        qDebug() << "PersionData" << json;
    } else {
        QUrl address = QUrl::fromLocalFile(url);
        address.setQuery(QStringLiteral("theme=%1").arg(theme));
        m_view->load(address);
    }
    m_json = json;
    m_theme = theme;
}

void Widget_PersonalData::onLoadFinished(bool ok)
{
    if (!ok) {
        qWarning() << "loadError" << m_view->url();
        emit sig_dataPushed(false);
        return;
    }
    push(m_json);
    qDebug() << "onLoadFinished PersionData";
    emit sig_dataPushed(true);
}
