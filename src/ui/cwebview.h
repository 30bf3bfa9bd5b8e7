#pragma once

#include <QUrl>
#include <QVariant>
#include <QWidget>
#include <functional>

class WebViewBackend;

// A web page inside a widget. The web engine lives in a module of its own
// (quorvin_webview, beside the executable) loaded by the first CWebView:
// windows without a web page never load it. Without the module the view
// says that the page cannot be shown, and every load finishes unsuccessfully.
class CWebView : public QWidget
{
    Q_OBJECT
public:
    explicit CWebView(QWidget *parent = nullptr);
    ~CWebView() override;

    bool hasEngine() const { return m_backend != nullptr; }
    void load(const QUrl &url);
    QUrl url() const;
    // Runs `script` in the page; `done` gets its result (in the GUI thread).
    void runJavaScript(const QString &script, const std::function<void(const QVariant &)> &done = {});
    void setBackgroundColor(const QColor &color);

signals:
    void loadFinished(bool ok);

private:
    WebViewBackend *m_backend = nullptr;
    QUrl m_url;
};
