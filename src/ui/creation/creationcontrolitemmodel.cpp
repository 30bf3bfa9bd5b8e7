#include "creationcontrolitemmodel.h"

#include "db/records.h"
#include "manager/cqssmanager.h"

#include <QFontDatabase>
#include <QRegularExpression>

namespace {

T_ItemData *makeItem(int kind, int panel, int code, const QString &label, const QString &shortcut = QString())
{
    auto *item = new T_ItemData;
    item->kind = kind;
    item->panel = panel;
    item->code = code;
    item->label = label;
    item->shortcut = shortcut;
    return item;
}

QString sizeLabel(int size)
{
    return QStringLiteral("%1号").arg(size);
}

} // namespace

CreationControlItemModel::CreationControlItemModel(int panel, const T_User &user, QObject *parent)
    : QStringListModel(parent), m_panel(panel)
{
    build(user);
    QStringList labels;
    for (const T_ItemData *item : qAsConst(m_items))
        labels << item->label;
    setStringList(labels);
    reloadIcons();
}

CreationControlItemModel::~CreationControlItemModel()
{
    qDeleteAll(m_items);
}

void CreationControlItemModel::append(T_ItemData *item, const QString &iconName, const QString &altIconName)
{
    m_items.append(item);
    m_iconNames.append(iconName);
    m_altIconNames.append(altIconName);
}

void CreationControlItemModel::build(const T_User &user)
{
    using K = T_ItemData;
    switch (m_panel) {
    case K::PanelTools: {
        const struct
        {
            const char *label;
            const char *altLabel;
            const char *shortcut;
            int code;
            const char *icon;
            const char *altIcon;
        } rows[] = {
            {"导出", "", "F1", 2, "plane1/export", ""},
            {"导入", "", "F2", 3, "plane1/import", ""},
            {"随机取名", "", "F3", 4, "plane1/name", ""},
            {"一键排版", "", "F4", 5, "plane1/order", ""},
            {"敏感词", "", "F5", 6, "plane1/sensitive", ""},
            {"夜间模式", "日间模式", "F6", 7, "plane1/dark", "plane1/light"},
            {"小黑屋", "", "F7", 8, "plane1/lock", ""},
            {"打字音效", "", "F8", 9, "plane1/sound", "plane1/sound2"},
            {"便签", "", "F9", 10, "plane1/memo", ""},
        };
        for (const auto &r : rows) {
            T_ItemData *item = makeItem(K::KindTool, m_panel, r.code, QString::fromUtf8(r.label),
                                        QString::fromLatin1(r.shortcut));
            item->altLabel = QString::fromUtf8(r.altLabel);
            append(item, QString::fromLatin1(r.icon), QString::fromLatin1(r.altIcon));
        }
        break;
    }
    case K::PanelFormat: {
        T_ItemData *size = makeItem(K::KindFormatValue, m_panel, 20, sizeLabel(user.fontSize));
        size->closesPanel = false;
        append(size, QStringLiteral("plane2/size"));
        T_ItemData *family = makeItem(K::KindFormatValue, m_panel, 21, user.fontFamily);
        family->closesPanel = false;
        append(family);
        const struct
        {
            const char *label;
            const char *shortcut;
            int code;
            const char *icon;
        } rows[] = {
            {"粗体", "Ctrl+F1", 22, "plane2/blod"},        {"斜体", "Ctrl+F2", 23, "plane2/Italics"},
            {"下划线", "Ctrl+F3", 24, "plane2/underline"}, {"分割线", "Ctrl+F4", 13, "plane2/line"},
            {"剪贴", "Ctrl+X", 14, "plane2/cut"},          {"复制", "Ctrl+C", 15, "plane2/copy"},
            {"粘贴", "Ctrl+V", 16, "plane2/paste"},        {"搜索", "Ctrl+F", 17, "plane2/search"},
        };
        for (const auto &r : rows)
            append(makeItem(K::KindFormatToggle, m_panel, r.code, QString::fromUtf8(r.label),
                            QString::fromLatin1(r.shortcut)),
                   QString::fromLatin1(r.icon));
        T_ItemData *centre =
            makeItem(K::KindFormatToggle, m_panel, 18, QStringLiteral("文字铺满"), QStringLiteral("Ctrl+F6"));
        centre->altLabel = QStringLiteral("文字居中");
        append(centre, QStringLiteral("plane2/word1"), QStringLiteral("plane2/word2"));
        break;
    }
    case K::PanelFocus:
        append(makeItem(K::KindFocus, m_panel, 26, QStringLiteral("无")), QStringLiteral("plane2/select"));
        append(makeItem(K::KindFocus, m_panel, 27, QStringLiteral("行聚焦")),
               QStringLiteral("plane2/select"));
        append(makeItem(K::KindFocus, m_panel, 28, QStringLiteral("段聚焦")),
               QStringLiteral("plane2/select"));
        break;
    case K::PanelSizeList:
        for (int size : fontSizes())
            append(makeItem(K::KindFontSize, m_panel, 29, sizeLabel(size), QString::number(size)),
                   QStringLiteral("plane2/select"));
        break;
    case K::PanelFamilyList:
        for (const QString &family : chineseFontFamilies())
            append(makeItem(K::KindFontFamily, m_panel, 30, family, family), QStringLiteral("plane2/select"));
        break;
    default:
        break;
    }
    syncWithSettings(user);
}

void CreationControlItemModel::syncWithSettings(const T_User &user)
{
    using K = T_ItemData;
    switch (m_panel) {
    case K::PanelTools:
        setState(7, CQssManager::instance()->getStyle() == StyleDark ? 2 : 1);
        setState(9, user.isSound ? 1 : 2);
        break;
    case K::PanelFormat:
        setLabel(20, sizeLabel(user.fontSize));
        setLabel(21, user.fontFamily);
        if (T_ItemData *bold = itemByCode(22))
            bold->checked = user.isBlod;
        if (T_ItemData *italic = itemByCode(23))
            italic->checked = user.isItalics;
        if (T_ItemData *underline = itemByCode(24))
            underline->checked = user.isUnderLine;
        setState(18, user.isCenter ? 1 : 2);
        setEnabled(18, !user.isFocusing);
        break;
    case K::PanelFocus:
        markChecked(!user.isFocusing ? 26 : (user.isFocusLine ? 27 : 28));
        break;
    case K::PanelSizeList:
        markCheckedLabel(sizeLabel(user.fontSize));
        break;
    case K::PanelFamilyList:
        markCheckedLabel(user.fontFamily);
        break;
    default:
        break;
    }
    if (!m_items.isEmpty())
        emit dataChanged(index(0), index(m_items.size() - 1));
}

QVariant CreationControlItemModel::data(const QModelIndex &idx, int role) const
{
    if (role == ItemRole) {
        T_ItemData *it = item(idx.row());
        return it ? QVariant::fromValue(static_cast<void *>(it)) : QVariant();
    }
    if (role == Qt::DisplayRole) {
        const T_ItemData *it = item(idx.row());
        if (it)
            return it->state == 2 && !it->altLabel.isEmpty() ? it->altLabel : it->label;
    }
    return QStringListModel::data(idx, role);
}

T_ItemData *CreationControlItemModel::item(int row) const
{
    return row >= 0 && row < m_items.size() ? m_items.at(row) : nullptr;
}

int CreationControlItemModel::findRowByCode(int code) const
{
    for (int row = 0; row < m_items.size(); ++row) {
        if (m_items.at(row)->code == code)
            return row;
    }
    return -1;
}

T_ItemData *CreationControlItemModel::itemByCode(int code) const
{
    return item(findRowByCode(code));
}

void CreationControlItemModel::changed(int row)
{
    if (row >= 0 && row < m_items.size())
        emit dataChanged(index(row), index(row));
}

void CreationControlItemModel::toggleChecked(int code)
{
    const int row = findRowByCode(code);
    if (row < 0)
        return;
    m_items[row]->checked = !m_items[row]->checked;
    changed(row);
}

void CreationControlItemModel::markChecked(int code)
{
    for (int row = 0; row < m_items.size(); ++row) {
        const bool on = m_items.at(row)->code == code;
        if (m_items.at(row)->checked != on) {
            m_items[row]->checked = on;
            changed(row);
        }
    }
}

void CreationControlItemModel::markCheckedLabel(const QString &label)
{
    bool found = false;
    for (int row = 0; row < m_items.size(); ++row) {
        const bool on = !found && m_items.at(row)->label == label;
        found = found || on;
        if (m_items.at(row)->checked != on) {
            m_items[row]->checked = on;
            changed(row);
        }
    }
}

void CreationControlItemModel::setLabel(int code, const QString &label)
{
    const int row = findRowByCode(code);
    if (row < 0 || m_items.at(row)->label == label)
        return;
    m_items[row]->label = label;
    setData(index(row), label);
    changed(row);
}

void CreationControlItemModel::setEnabled(int code, bool enabled)
{
    const int row = findRowByCode(code);
    if (row < 0)
        return;
    m_items[row]->enabled = enabled;
    changed(row);
}

void CreationControlItemModel::setState(int code, int state)
{
    const int row = findRowByCode(code);
    if (row < 0)
        return;
    m_items[row]->state = state == 2 ? 2 : 1;
    changed(row);
}

void CreationControlItemModel::reloadIcons()
{
    for (int row = 0; row < m_items.size(); ++row) {
        T_ItemData *it = m_items.at(row);
        it->icon = m_iconNames.at(row).isEmpty() ? QPixmap() : QPixmap(iconPath(m_iconNames.at(row)));
        it->altIcon =
            m_altIconNames.at(row).isEmpty() ? QPixmap() : QPixmap(iconPath(m_altIconNames.at(row)));
    }
    if (!m_items.isEmpty())
        emit dataChanged(index(0), index(m_items.size() - 1));
}

QString CreationControlItemModel::iconPath(const QString &name)
{
    const bool dark = CQssManager::instance()->getStyle() == StyleDark;
    return QStringLiteral(":/res/skin/%1/creation/%2.png").arg(dark ? "dark" : "light", name);
}

QList<int> CreationControlItemModel::fontSizes()
{
    return {12, 14, 16, 18, 20, 22};
}

QStringList CreationControlItemModel::chineseFontFamilies()
{
    // Chinese faces often carry Latin names here ("Noto Serif CJK SC"), so
    // the writing system decides; a Chinese name only moves a face forward.
    static const QRegularExpression chinese(QStringLiteral("[\\x{4e00}-\\x{9fa5}]"));
    QStringList named, latin;
    const QStringList families = QFontDatabase().families(QFontDatabase::SimplifiedChinese);
    for (const QString &family : families) {
        if (QFontDatabase().isPrivateFamily(family))
            continue;
        (family.contains(chinese) ? named : latin).append(family);
    }
    return named + latin;
}
