#include "chapterlistdelegate.h"

#include "chapterlistmodel.h"
#include "db/records.h"
#include "manager/cqssmanager.h"
#include "manager/cuimanager.h"
#include "ui/nametext.h"

#include <QAbstractItemView>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>

ChapterListDelegate::ChapterListDelegate(int mode, QAbstractItemView *view)
    : QStyledItemDelegate(view), m_mode(mode), m_view(view)
{
    view->viewport()->installEventFilter(this);
}

QString ChapterListDelegate::shownName(const QString &name, int mode)
{
    const int limit = mode == ModeRecycle ? 7 : 11;
    const int keep = mode == ModeRecycle ? 6 : 10;
    return name.size() >= limit ? name.left(keep) + QStringLiteral("...") : name;
}

QSize ChapterListDelegate::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    Q_UNUSED(option)
    Q_UNUSED(index)
    return m_mode == ModeChapters || m_mode == ModeRecycle ? QSize(180, 36) : QSize(10, 10);
}

void ChapterListDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                                const QModelIndex &index) const
{
    const auto *item = index.data(Qt::DisplayRole).value<T_ChapterListItem *>();
    if (!item)
        return;
    const bool dark = T_SessionData::instance().author.style == StyleDark;
    const bool current = option.state & QStyle::State_Selected;
    QColor colour;
    if (m_mode == ModeRecycle)
        colour = current ? QColor("#3470FF") : QColor(dark ? "#5D6066" : "#525252");
    else
        colour = current ? QColor(dark ? "#FFFFFF" : "#333333") : QColor(dark ? "#616161" : "#9E9E9E");
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    const QRect row = option.rect;
    if (current && m_mode == ModeChapters) {
        painter->fillRect(QRect(row.left(), row.top(), row.width(), row.height()),
                          QColor(dark ? "#2C3036" : "#F4F7FF"));
        painter->fillRect(QRect(row.left(), row.top(), 2, row.height()), QColor("#3470FF"));
    }
    QFont font(QStringLiteral("Microsoft Yahei"));
    font.setPixelSize(14);
    font.setWeight(QFont::Normal);
    painter->setFont(font);
    painter->setPen(colour);
    painter->drawText(QPoint(row.left() + 22, row.top() + 23), shownName(item->name, m_mode));
    painter->restore();
}

QWidget *ChapterListDelegate::createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                                           const QModelIndex &index) const
{
    Q_UNUSED(option)
    Q_UNUSED(index)
    if (m_mode != ModeChapters)
        return nullptr;
    auto *edit = new QLineEdit(parent);
    edit->setObjectName("ChapterListDelegate_Editor");
    NameText::limit(edit, kMaxNameLength);
    CUiManager::instance()->setRenaming(true);
    return edit;
}

void ChapterListDelegate::setEditorData(QWidget *editor, const QModelIndex &index) const
{
    auto *edit = qobject_cast<QLineEdit *>(editor);
    if (!edit)
        return;
    edit->setText(index.data(Qt::EditRole).toString());
    edit->selectAll();
    edit->setFocus();
}

void ChapterListDelegate::setModelData(QWidget *editor, QAbstractItemModel *model,
                                       const QModelIndex &index) const
{
    if (auto *edit = qobject_cast<QLineEdit *>(editor))
        model->setData(index, edit->text(), Qt::EditRole);
}

void ChapterListDelegate::updateEditorGeometry(QWidget *editor, const QStyleOptionViewItem &option,
                                               const QModelIndex &index) const
{
    Q_UNUSED(index)
    editor->setGeometry(option.rect.adjusted(14, 4, -8, -4));
}

void ChapterListDelegate::destroyEditor(QWidget *editor, const QModelIndex &index) const
{
    CUiManager::instance()->setRenaming(false);
    QStyledItemDelegate::destroyEditor(editor, index);
}

bool ChapterListDelegate::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_view->viewport() && event->type() == QEvent::MouseButtonPress) {
        auto *mouse = static_cast<QMouseEvent *>(event);
        const QModelIndex index = m_view->indexAt(mouse->pos());
        const auto *item =
            index.isValid() ? index.data(Qt::DisplayRole).value<T_ChapterListItem *>() : nullptr;
        if (item && item->localChapterId > 0) {
            if (mouse->button() == Qt::LeftButton)
                emit sig_onMousePressedByLeftBtn(item->localChapterId);
            else if (mouse->button() == Qt::RightButton)
                emit sig_onMousePressedByRightBtn(item->localChapterId, index.row());
        }
    }
    return QStyledItemDelegate::eventFilter(watched, event);
}
