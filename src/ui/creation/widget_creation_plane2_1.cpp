#include "widget_creation_plane2_1.h"

#include "creationcontrolitemmodel.h"
#include "db/records.h"

#include <QListView>

namespace {

constexpr int kSizeWidth = 132;
constexpr int kFamilyWidth = 236;
constexpr int kFamilyRows = 9; // more scroll

} // namespace

Widget_Creation_Plane2_1::Widget_Creation_Plane2_1(QWidget *parent) : Widget_AutoClose(parent)
{
    setObjectName("Widget_Creation_Plane2_1");
    setAttribute(Qt::WA_ShowWithoutActivating);
    m_frame.build(this, T_ItemData::PanelSizeList, 4);
    m_sizes = m_frame.model;
    m_families =
        new CreationControlItemModel(T_ItemData::PanelFamilyList, T_SessionData::instance().user, this);
    setPanel(T_ItemData::PanelSizeList, QString());
}

CreationControlItemModel *Widget_Creation_Plane2_1::model() const
{
    return m_panel == T_ItemData::PanelFamilyList ? m_families : m_sizes;
}

void Widget_Creation_Plane2_1::setPanel(int panel, const QString &current)
{
    m_panel = panel == T_ItemData::PanelFamilyList ? panel : T_ItemData::PanelSizeList;
    m_frame.model = model();
    if (m_frame.list->model() != m_frame.model)
        m_frame.list->setModel(m_frame.model);
    if (!current.isEmpty())
        m_frame.model->markCheckedLabel(current);
    const bool families = m_panel == T_ItemData::PanelFamilyList;
    m_frame.fitRows(this, families ? kFamilyWidth : kSizeWidth, families ? kFamilyRows : 0);
    const int checked = [this] {
        for (int row = 0; row < m_frame.model->rowCount(); ++row) {
            if (m_frame.model->item(row)->checked)
                return row;
        }
        return 0;
    }();
    m_frame.list->scrollTo(m_frame.model->index(checked), QAbstractItemView::PositionAtCenter);
}

void Widget_Creation_Plane2_1::showEvent(QShowEvent *event)
{
    m_sizes->reloadIcons();
    m_families->reloadIcons();
    Widget_AutoClose::showEvent(event);
}

void Widget_Creation_Plane2_1::leaveEvent(QEvent *event)
{
    Widget_AutoClose::leaveEvent(event);
    emit sig_Plane2_1_hide();
}
