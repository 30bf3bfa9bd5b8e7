#pragma once

#include <QWidget>

class CWebView;

// Page 2 of the bookshelf: the local statistics page, which draws the JSON
// it is handed through getDataFromQt(json). The page is loaded again only
// when the theme changed; otherwise it is only given new data.
class Widget_PersonalData : public QWidget
{
    Q_OBJECT
public:
    explicit Widget_PersonalData(QWidget *parent = nullptr);

    void loadPersionData(const QString &url, int theme, const QString &json);
    // Builds the page's path and asks the coordinator for the statistics.
    void showStatistics(int theme);
    static QString pagePath();

    CWebView *view() const { return m_view; }
    int loadedTheme() const { return m_theme; }

signals:
    // A load ended and the data went in (tests wait for it).
    void sig_dataPushed(bool ok);

public slots:
    void onLoadFinished(bool ok);

private:
    void push(const QString &json);

    CWebView *m_view;
    int m_theme = 0;
    QString m_json;
};
