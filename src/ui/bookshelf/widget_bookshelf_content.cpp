#include "widget_bookshelf_content.h"

#include "db/records.h"
#include "manager/cqssmanager.h"
#include "widget_bookshelflist.h"
#include "widget_feedback.h"
#include "widget_personaldata.h"

Widget_Bookshelf_Content::Widget_Bookshelf_Content(QWidget *parent)
    : QStackedWidget(parent), m_bookList(new Widget_BookShelfList(this))
{
    setObjectName(QStringLiteral("Widget_Bookshelf_Content"));
    addWidget(m_bookList);
    setCurrentWidget(m_bookList);
}

int Widget_Bookshelf_Content::theme() const
{
    const int style = T_SessionData::instance().author.style;
    return style == StyleDark ? StyleDark : StyleLight;
}

bool Widget_Bookshelf_Content::showPage(int page)
{
    switch (page) {
    case PageBooks:
        setCurrentWidget(m_bookList);
        break;
    case PageSettings:
        if (!m_settings && m_settingsFactory) {
            m_settings = m_settingsFactory(this);
            addWidget(m_settings);
        }
        if (!m_settings)
            return false;
        setCurrentWidget(m_settings);
        break;
    case PagePersonalData:
        if (!m_personalData) {
            m_personalData = new Widget_PersonalData(this);
            addWidget(m_personalData);
        }
        setCurrentWidget(m_personalData);
        m_personalData->showStatistics(theme());
        break;
    case PageFeedback:
        if (!m_feedback) {
            m_feedback = new Widget_Feedback(this);
            addWidget(m_feedback);
        }
        setCurrentWidget(m_feedback);
        m_feedback->showPage(theme());
        break;
    default:
        return false;
    }
    m_current = page;
    return true;
}

void Widget_Bookshelf_Content::onStyleChanged(int style)
{
    if (m_current == PagePersonalData && m_personalData)
        m_personalData->showStatistics(style == StyleDark ? StyleDark : StyleLight);
    else if (m_current == PageFeedback && m_feedback && m_feedback->isLoaded())
        m_feedback->passTheme(style == StyleDark ? StyleDark : StyleLight);
}
