// The web engine side of CWebView, built as a module of its own that the
// client loads when it shows its first web page.
#include "ui/webviewbackend.h"

#include <QWebEnginePage>
#include <QWebEngineView>

namespace {

class EngineBackend : public WebViewBackend
{
public:
    explicit EngineBackend(QWidget *parent) : m_view(new QWebEngineView(parent)) {}

    QWidget *widget() override { return m_view; }
    void load(const QUrl &url) override { m_view->load(url); }
    QUrl url() const override { return m_view->url(); }
    void runJavaScript(const QString &script, const std::function<void(const QVariant &)> &done) override
    {
        if (done)
            m_view->page()->runJavaScript(script, done);
        else
            m_view->page()->runJavaScript(script);
    }
    void setBackgroundColor(const QColor &color) override { m_view->page()->setBackgroundColor(color); }

private:
    QWebEngineView *m_view; // owned by its parent widget
};

} // namespace

extern "C" Q_DECL_EXPORT WebViewBackend *quorvinCreateWebView(QWidget *parent)
{
    return new EngineBackend(parent);
}
