#pragma once

#include <QWidget>

class CWebView;
class QLabel;

// Page 3 of the bookshelf: the server's feedback page, told the theme and
// the author's token through getTheme(theme, token) after every load and
// on every showing.
class Widget_Feedback : public QWidget
{
    Q_OBJECT
public:
    explicit Widget_Feedback(QWidget *parent = nullptr);

    // Loads the page on first use (and again after a load that failed), then
    // only passes the theme again.
    void showPage(int theme);
    void passTheme(int theme);
    CWebView *view() const { return m_view; }
    bool isLoaded() const { return m_loaded; }
    // The note shown in place of a page that could not be loaded.
    QLabel *failureNote() const { return m_failure; }

signals:
    void sig_themePassed();

private:
    CWebView *m_view;
    QLabel *m_failure;
    bool m_requested = false;
    bool m_loaded = false;
    int m_theme = 1;
};
