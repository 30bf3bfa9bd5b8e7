#pragma once

#include "creationpanelframe.h"

#include <QPointer>
#include <QWidget>

struct T_ItemData;

// The focus-mode panel: off, line by line, paragraph by paragraph. A popup
// at the lower right of the editor; the current mode carries the mark.
class Widget_Creation_Plane3 : public QWidget
{
    Q_OBJECT
public:
    explicit Widget_Creation_Plane3(QWidget *parent = nullptr);

    CreationControlItemModel *model() const { return m_frame.model; }
    QListView *list() const { return m_frame.list; }
    QRect visibleGeometry() const { return m_frame.visibleGeometry(this); }

    // Right edge 3 px inside `page`'s right edge, bottom 120 px
    // above its bottom.
    void showFor(QWidget *page);

public slots:
    void on_Creation_Btn_Press(T_ItemData *pItem);

protected:
    void showEvent(QShowEvent *event) override;

private:
    CreationPanelFrame m_frame;
};
