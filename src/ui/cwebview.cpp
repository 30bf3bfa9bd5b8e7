#include "cwebview.h"

#include "ui/webviewbackend.h"

#include <QCoreApplication>
#include <QDebug>
#include <QLabel>
#include <QLibrary>
#include <QTimer>
#include <QVBoxLayout>

namespace {

// The module beside the executable; a build tree keeps it in its bin folder
// (tests and benchmarks run from elsewhere in the tree).
CreateWebViewFunction loadModule()
{
    QStringList places{QCoreApplication::applicationDirPath()};
#ifdef QUORVIN_WEBVIEW_BUILD_DIR
    places << QStringLiteral(QUORVIN_WEBVIEW_BUILD_DIR);
#endif
    for (const QString &dir : places) {
        QLibrary module(dir + QStringLiteral("/quorvin_webview"));
        if (!module.load())
            continue;
        if (auto create = reinterpret_cast<CreateWebViewFunction>(module.resolve(QUORVIN_WEBVIEW_ENTRY)))
            return create; // the module stays loaded for the rest of the process
        qWarning() << "web view module without its entry point:" << module.fileName();
    }
    qWarning() << "web view module not found in" << places;
    return nullptr;
}

CreateWebViewFunction createFunction()
{
    static const CreateWebViewFunction create = loadModule();
    return create;
}

} // namespace

CWebView::CWebView(QWidget *parent) : QWidget(parent)
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    if (CreateWebViewFunction create = createFunction())
        m_backend = create(this);
    if (m_backend) {
        QWidget *view = m_backend->widget();
        view->setContextMenuPolicy(Qt::NoContextMenu);
        layout->addWidget(view);
        connect(view, SIGNAL(loadFinished(bool)), this, SIGNAL(loadFinished(bool)));
        return;
    }
    auto *missing = new QLabel(tr("This page cannot be shown."), this);
    missing->setObjectName(QStringLiteral("CWebView_Missing"));
    missing->setAlignment(Qt::AlignCenter);
    layout->addWidget(missing);
}

CWebView::~CWebView()
{
    // The view itself is a child widget, deleted after this.
    delete m_backend;
}

void CWebView::load(const QUrl &url)
{
    m_url = url;
    if (m_backend)
        m_backend->load(url);
    else
        QTimer::singleShot(0, this, [this] { emit loadFinished(false); });
}

QUrl CWebView::url() const
{
    return m_backend ? m_backend->url() : m_url;
}

void CWebView::runJavaScript(const QString &script, const std::function<void(const QVariant &)> &done)
{
    if (m_backend)
        m_backend->runJavaScript(script, done);
    else if (done)
        QTimer::singleShot(0, this, [done] { done(QVariant()); });
}

void CWebView::setBackgroundColor(const QColor &color)
{
    if (m_backend)
        m_backend->setBackgroundColor(color);
}
