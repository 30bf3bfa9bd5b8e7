#pragma once

#include <QColor>
#include <QString>
#include <QUrl>
#include <QVariant>
#include <functional>

class QWidget;

// What the client asks of a web view. The module that links the web engine
// implements it, so the engine (about a third of the memory at start) is
// loaded only when the first page is shown.
class WebViewBackend
{
public:
    virtual ~WebViewBackend() = default;
    // The view to lay out; it emits loadFinished(bool).
    virtual QWidget *widget() = 0;
    virtual void load(const QUrl &url) = 0;
    virtual QUrl url() const = 0;
    virtual void runJavaScript(const QString &script, const std::function<void(const QVariant &)> &done) = 0;
    virtual void setBackgroundColor(const QColor &color) = 0;
};

// The module's one entry point: a view (a child of `parent`) and its backend,
// which the caller deletes before the view.
extern "C" {
using CreateWebViewFunction = WebViewBackend *(*)(QWidget *parent);
}
#define QUORVIN_WEBVIEW_ENTRY "quorvinCreateWebView"
