#pragma once

#include "titemdata.h"

#include <QList>
#include <QStringListModel>

struct T_User;

// The rows of one creation tool panel. The model owns its T_ItemData
// records; the view reaches a row's record through ItemRole.
class CreationControlItemModel : public QStringListModel
{
    Q_OBJECT
public:
    enum Roles
    {
        ItemRole = Qt::UserRole + 1, // T_ItemData* of the row
    };

    // Builds the rows of `panel` (T_ItemData::Panel) from the author's
    // settings and the current theme.
    CreationControlItemModel(int panel, const T_User &user, QObject *parent = nullptr);
    ~CreationControlItemModel() override;

    int panel() const { return m_panel; }
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

    T_ItemData *item(int row) const;
    T_ItemData *itemByCode(int code) const;
    // -1 when no row carries the code.
    int findRowByCode(int code) const;
    // Turns `checked` of the row with the code over.
    void toggleChecked(int code);
    // Marks the row with the code as the only checked one.
    void markChecked(int code);
    // Marks the first row whose label equals `label` as the only checked one.
    void markCheckedLabel(const QString &label);
    void setLabel(int code, const QString &label);
    void setEnabled(int code, bool enabled);
    void setState(int code, int state);
    // Brings the rows' marks in line with the author's settings and the theme.
    void syncWithSettings(const T_User &user);
    // Picks the icons of the current theme again.
    void reloadIcons();

    // The font families offered for Chinese text: every family the font
    // database lists for Simplified Chinese, those with a Chinese name first.
    static QStringList chineseFontFamilies();
    // The sizes of the font-size list.
    static QList<int> fontSizes();
    // ":/res/skin/<theme>/creation/<name>.png" for the current theme.
    static QString iconPath(const QString &name);

private:
    void build(const T_User &user);
    void append(T_ItemData *item, const QString &iconName = QString(),
                const QString &altIconName = QString());
    void changed(int row);

    int m_panel;
    QList<T_ItemData *> m_items;
    QStringList m_iconNames;    // per row, "plane1/export"
    QStringList m_altIconNames; // per row, may be empty
};
