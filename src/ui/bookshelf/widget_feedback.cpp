#include "widget_feedback.h"

#include "db/records.h"
#include "remote/cquorvinhttp.h"
#include "ui/cwebview.h"

#include <QDateTime>
#include <QDebug>
#include <QLabel>
#include <QVBoxLayout>

Widget_Feedback::Widget_Feedback(QWidget *parent)
    : QWidget(parent), m_view(new CWebView(this)), m_failure(new QLabel(this))
{
    setObjectName(QStringLiteral("Widget_Feedback"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_view);
    m_failure->setObjectName(QStringLiteral("labelLoadFailed"));
    m_failure->setAlignment(Qt::AlignCenter);
    m_failure->setWordWrap(true);
    m_failure->setText(
        tr("The feedback page could not be loaded. Check the network, then open this page again."));
    m_failure->hide();
    layout->addWidget(m_failure);
    m_view->setBackgroundColor(Qt::transparent);
    connect(m_view, &CWebView::loadFinished, this, [this](bool ok) {
        if (!ok) {
            qWarning() << "loadError" << m_view->url();
            // The next showing tries again instead of keeping a blank page.
            m_requested = false;
            m_loaded = false;
            m_view->hide();
            m_failure->show();
            return;
        }
        m_failure->hide();
        m_view->show();
        m_loaded = true;
        passTheme(m_theme);
    });
}

void Widget_Feedback::showPage(int theme)
{
    m_theme = theme;
    if (!m_requested) {
        m_requested = true;
        // The time in the query keeps a cached copy from being shown.
        const QString url =
            CQuorvinHttp::instance()->baseUrl() +
            QStringLiteral("/webView/feedback.html?%1").arg(QDateTime::currentSecsSinceEpoch());
        m_view->load(QUrl(url));
        return;
    }
    if (m_loaded)
        passTheme(theme);
}

void Widget_Feedback::passTheme(int theme)
{
    m_theme = theme;
    QString token = T_SessionData::instance().author.token;
    token.replace(QLatin1Char('\\'), QStringLiteral("\\\\"))
        .replace(QLatin1Char('\''), QStringLiteral("\\'"));
    m_view->runJavaScript(QStringLiteral("getTheme(%1,'%2')").arg(theme).arg(token),
                          [this](const QVariant &) { emit sig_themePassed(); });
}
