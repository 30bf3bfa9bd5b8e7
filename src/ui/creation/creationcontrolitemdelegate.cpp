#include "creationcontrolitemdelegate.h"

#include "creationcontrolitemmodel.h"
#include "manager/cqssmanager.h"
#include "manager/cuimanager.h"

#include <QAbstractItemView>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

namespace {

constexpr int kIconSize = 20;

T_ItemData *itemOf(const QModelIndex &index)
{
    return static_cast<T_ItemData *>(index.data(CreationControlItemModel::ItemRole).value<void *>());
}

bool isDark()
{
    return CQssManager::instance()->getStyle() == StyleDark;
}

} // namespace

CreationControlItemDelegate::CreationControlItemDelegate(int panel, QAbstractItemView *view)
    : QStyledItemDelegate(view), m_panel(panel), m_view(view)
{
    view->setMouseTracking(true);
    view->viewport()->installEventFilter(this);
}

QColor CreationControlItemDelegate::textColour(const T_ItemData &item)
{
    if (!item.enabled)
        return QColor("#999999");
    if (item.checked)
        return QColor("#3470FF");
    return QColor(isDark() ? "#9A9FAA" : "#525252");
}

QSize CreationControlItemDelegate::sizeHint(const QStyleOptionViewItem &option,
                                            const QModelIndex &index) const
{
    Q_UNUSED(index)
    const int height = m_panel == T_ItemData::PanelTools ? 29 : 32;
    Q_UNUSED(option)
    return QSize(100, height);
}

void CreationControlItemDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                                        const QModelIndex &index) const
{
    const T_ItemData *item = itemOf(index);
    if (!item || item->kind == T_ItemData::KindEmpty)
        return;
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    const QRect r = option.rect.adjusted(4, 0, -4, 0);
    if (item->hovered && item->enabled) {
        QPainterPath bg;
        bg.addRoundedRect(r, 4, 4);
        painter->fillPath(bg, QColor(isDark() ? "#363B43" : "#F0F3FA"));
    }

    QFont font("Microsoft YaHei");
    font.setPixelSize(14);
    painter->setFont(font);
    painter->setPen(textColour(*item));
    const int iconTop = r.top() + (r.height() - kIconSize) / 2;
    int textLeft = r.left() + 12;
    const QPixmap &icon = item->state == 2 && !item->altIcon.isNull() ? item->altIcon : item->icon;

    switch (item->kind) {
    case T_ItemData::KindFocus:
    case T_ItemData::KindFontSize:
    case T_ItemData::KindFontFamily:
        // List rows: the mark of the chosen row on the right.
        if (item->checked && !icon.isNull())
            painter->drawPixmap(QRect(r.right() - 12 - kIconSize, iconTop, kIconSize, kIconSize), icon);
        break;
    default:
        if (!icon.isNull()) {
            painter->setOpacity(item->enabled ? 1.0 : 0.45);
            painter->drawPixmap(QRect(textLeft, iconTop, kIconSize, kIconSize), icon);
            painter->setOpacity(1.0);
        }
        textLeft += kIconSize + 10;
        break;
    }

    const QString text = item->state == 2 && !item->altLabel.isEmpty() ? item->altLabel : item->label;
    QRect textRect(textLeft, r.top(), r.right() - textLeft - 8, r.height());
    if (item->kind == T_ItemData::KindFontFamily) {
        // Each family shown in its own face.
        QFont face(item->label);
        face.setPixelSize(14);
        painter->setFont(face);
    }
    const QFontMetrics fm(painter->font());
    if (!item->shortcut.isEmpty() &&
        (item->kind == T_ItemData::KindTool || item->kind == T_ItemData::KindFormatToggle)) {
        QFont small = painter->font();
        small.setPixelSize(12);
        painter->save();
        painter->setFont(small);
        painter->setPen(QColor(isDark() ? "#616161" : "#9E9E9E"));
        painter->drawText(textRect, Qt::AlignRight | Qt::AlignVCenter, item->shortcut);
        painter->restore();
        textRect.setRight(textRect.right() - QFontMetrics(small).horizontalAdvance(item->shortcut) - 8);
    }
    if (item->kind == T_ItemData::KindFormatValue) {
        // A value row opens a list beside the panel: a small chevron says so.
        const int cx = r.right() - 14, cy = r.center().y();
        QPen pen(QColor(isDark() ? "#9A9FAA" : "#9E9E9E"), 1.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
        painter->save();
        painter->setPen(pen);
        painter->drawPolyline(QPolygon({QPoint(cx - 2, cy - 4), QPoint(cx + 2, cy), QPoint(cx - 2, cy + 4)}));
        painter->restore();
        textRect.setRight(cx - 10);
    }
    if (item->kind == T_ItemData::KindFocus || item->kind == T_ItemData::KindFontSize ||
        item->kind == T_ItemData::KindFontFamily)
        textRect.setRight(r.right() - 16 - kIconSize);
    painter->drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter,
                      fm.elidedText(text, Qt::ElideRight, textRect.width()));
    painter->restore();
}

T_ItemData *CreationControlItemDelegate::itemAt(const QPoint &pos) const
{
    const QModelIndex index = m_view->indexAt(pos);
    return index.isValid() ? itemOf(index) : nullptr;
}

void CreationControlItemDelegate::setHovered(T_ItemData *item)
{
    if (item == m_hovered)
        return;
    if (m_hovered)
        m_hovered->hovered = 0;
    m_hovered = item;
    if (m_hovered)
        m_hovered->hovered = 1;
    m_view->viewport()->update();
}

bool CreationControlItemDelegate::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_view->viewport())
        return QStyledItemDelegate::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() != Qt::LeftButton)
            return true;
        T_ItemData *item = itemAt(mouse->pos());
        if (!item || !item->enabled || item->kind == T_ItemData::KindEmpty)
            return true;
        const bool closes = item->closesPanel;
        QWidget *window = m_view->window();
        emit sig_CreationBtnPress(item);
        emit CUiManager::instance()->sig_Creation_Btn_Press(item);
        if (closes && window)
            window->close();
        return true;
    }
    case QEvent::MouseMove: {
        auto *mouse = static_cast<QMouseEvent *>(event);
        T_ItemData *item = itemAt(mouse->pos());
        setHovered(item);
        if (item && m_panel == T_ItemData::PanelFormat)
            emit sig_EnterItem(item);
        return false;
    }
    case QEvent::Leave:
        setHovered(nullptr);
        return false;
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseButtonRelease:
        return true;
    default:
        return false;
    }
}
