#pragma once

#include <QStackedWidget>
#include <functional>

class Widget_BookShelfList;
class Widget_Feedback;
class Widget_PersonalData;

// The bookshelf pages: 0 the grid, 1 settings, 2 personal data, 3 feedback.
// Pages other than the grid are created on first use.
class Widget_Bookshelf_Content : public QStackedWidget
{
    Q_OBJECT
public:
    enum Page
    {
        PageBooks = 0,
        PageSettings = 1,
        PagePersonalData = 2,
        PageFeedback = 3
    };

    explicit Widget_Bookshelf_Content(QWidget *parent = nullptr);

    // False when the number names no page (or the page does not exist yet).
    bool showPage(int page);
    int currentPage() const { return m_current; }
    // The theme changed: the shown web page follows it.
    void onStyleChanged(int style);

    // Builds the settings page; until one is given, page 1 cannot be shown.
    void setSettingsFactory(std::function<QWidget *(QWidget *)> factory)
    {
        m_settingsFactory = std::move(factory);
    }

    Widget_BookShelfList *bookList() const { return m_bookList; }
    Widget_PersonalData *personalData() const { return m_personalData; }
    Widget_Feedback *feedback() const { return m_feedback; }

private:
    int theme() const;

    Widget_BookShelfList *m_bookList;
    QWidget *m_settings = nullptr;
    Widget_PersonalData *m_personalData = nullptr;
    Widget_Feedback *m_feedback = nullptr;
    int m_current = PageBooks;
    std::function<QWidget *(QWidget *)> m_settingsFactory;
};
