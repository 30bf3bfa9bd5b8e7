#pragma once

#include "creationpanelframe.h"
#include "ui/widget_autoclose.h"

#include <QPointer>

class Widget_Creation_Plane2_1;
struct T_ItemData;

// The format panel: font size and family (each opening a pop-out list),
// bold, italic, underline, separator, cut, copy, paste, find and the
// centred column. Stays on top beside the editor and hides, together with
// its pop-out, when another window becomes active.
class Widget_Creation_Plane2 : public Widget_AutoClose
{
    Q_OBJECT
public:
    explicit Widget_Creation_Plane2(QWidget *parent = nullptr);

    CreationControlItemModel *model() const { return m_frame.model; }
    QListView *list() const { return m_frame.list; }
    QRect visibleGeometry() const { return m_frame.visibleGeometry(this); }
    // The pop-out list, created on the first hover of the size or family row.
    Widget_Creation_Plane2_1 *popout() const { return m_popout; }

    // Shows the panel at the lower right of `page`, the visible area of the
    // main window (and keeps it there while the page moves or is resized).
    void showFor(QWidget *page);
    // Right edge 3 px inside the page's right edge, bottom 76 px
    // above its bottom.
    void place();
    // Marks and labels as the author's settings stand.
    void syncWithSettings();

public slots:
    void on_EnterItem(T_ItemData *pItem);
    void on_Creation_Btn_Press(T_ItemData *pItem);
    void on_Plane2_1_hide();

signals:
    void sig_EnterItem(T_ItemData *pItem);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void openPopout(int code);

    CreationPanelFrame m_frame;
    QPointer<QWidget> m_anchor;
    Widget_Creation_Plane2_1 *m_popout = nullptr;
    int m_hoveredCode = 0;
};
