#pragma once

#include "creationpanelframe.h"
#include "ui/widget_autoclose.h"

// The pop-out list beside the format panel: the font sizes (panel 4) or the
// font families (panel 5). Hides itself when the pointer leaves it.
class Widget_Creation_Plane2_1 : public Widget_AutoClose
{
    Q_OBJECT
public:
    explicit Widget_Creation_Plane2_1(QWidget *parent = nullptr);

    // Shows the rows of panel 4 or 5, the row labelled `current` checked.
    void setPanel(int panel, const QString &current);
    int panel() const { return m_panel; }
    CreationControlItemModel *model() const;
    QListView *list() const { return m_frame.list; }
    QRect visibleGeometry() const { return m_frame.visibleGeometry(this); }
    void moveBackgroundTo(const QPoint &topLeft) { m_frame.moveBackgroundTo(this, topLeft); }

signals:
    void sig_Plane2_1_hide();

protected:
    void leaveEvent(QEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    CreationPanelFrame m_frame;
    CreationControlItemModel *m_sizes = nullptr;
    CreationControlItemModel *m_families = nullptr;
    int m_panel = 0;
};
