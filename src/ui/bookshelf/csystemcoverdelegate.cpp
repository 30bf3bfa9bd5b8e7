#include "csystemcoverdelegate.h"

#include "cbooklistdelegate.h"
#include "db/records.h"
#include "manager/cqssmanager.h"

#include <QListView>
#include <QPainter>

CSystemCoverDelegate::CSystemCoverDelegate(QListView *view)
    : QStyledItemDelegate(view), m_shade(QStringLiteral(":/res/skin/dark/bookshelf/cover_shade.png")),
      m_selected(QStringLiteral(":/res/skin/dark/bookshelf/cover_selected.png")),
      m_iconDark(QStringLiteral(":/res/skin/dark/bookshelf/cover_selected_icon.png")),
      m_iconLight(QStringLiteral(":/res/skin/light/bookshelf/cover_selected_icon.png"))
{
}

QSize CSystemCoverDelegate::sizeHint(const QStyleOptionViewItem &, const QModelIndex &) const
{
    return m_coverSize;
}

void CSystemCoverDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                                 const QModelIndex &index) const
{
    if (!index.isValid())
        return;
    const QRect item(option.rect.topLeft(), m_coverSize);
    const QPixmap cover = CBookListDelegate::cover(index.data(Qt::DisplayRole).toString(), m_coverSize);
    if (cover.isNull())
        return;
    painter->save();
    QFont font(QStringLiteral("Microsoft YaHei"));
    font.setPixelSize(14);
    painter->setFont(font);
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setRenderHint(QPainter::SmoothPixmapTransform);
    const bool dark = CQssManager::instance()->getStyle() == StyleDark;
    painter->drawPixmap(item, cover);
    if (dark)
        painter->drawPixmap(item, m_shade);
    if (option.state & QStyle::State_Selected) {
        painter->drawPixmap(item, m_selected);
        const QPixmap &icon = dark ? m_iconDark : m_iconLight;
        QRect iconRect(QPoint(), m_iconSize);
        iconRect.moveCenter(item.center());
        painter->drawPixmap(iconRect, icon);
    }
    painter->restore();
}
