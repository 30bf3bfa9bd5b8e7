#pragma once

#include <QPixmap>
#include <QString>

// One row of a creation tool panel: a button with the action code that the
// editor carries out when the row is clicked.
struct T_ItemData
{
    // Row kinds.
    enum Kind
    {
        KindTool = 1,
        KindFormatValue = 2,
        KindFormatToggle = 3,
        KindFontSize = 4,
        KindFontFamily = 5,
        KindFocus = 6,
        KindEmpty = 101,
    };
    // Panel numbers.
    enum Panel
    {
        PanelTools = 1,
        PanelFormat = 2,
        PanelFocus = 3,
        PanelSizeList = 4,
        PanelFamilyList = 5,
    };

    int kind = KindTool;
    QString label;    // shown for state 1
    QString altLabel; // shown for state 2
    QString shortcut; // hot-key text beside the label, or a list row's value
    QPixmap icon;     // icon for state 1
    QPixmap altIcon;  // icon for state 2 (optional)
    int hovered = 0;
    int code = 0;
    bool closesPanel = true;
    bool enabled = true;
    bool checked = false;
    int panel = PanelTools;
    int state = 1;
};
