#include "creationpanelframe.h"

#include "creationcontrolitemdelegate.h"
#include "creationcontrolitemmodel.h"
#include "db/records.h"
#include "manager/cqssmanager.h"
#include "platform/translucency.h"

#include <QListView>
#include <QVBoxLayout>

namespace {

constexpr int kShadowMargin = 20;
constexpr int kPadding = 6;

} // namespace

void CreationPanelFrame::build(QWidget *window, int panel, int spacing)
{
    const bool translucent = Platform::translucentWindowsWork();
    window->setAttribute(Qt::WA_TranslucentBackground, translucent);
    window->setProperty("opaqueFrame", !translucent);
    margin = translucent ? kShadowMargin : 0;

    auto *outer = new QVBoxLayout(window);
    outer->setContentsMargins(margin, margin, margin, margin);
    background = new QWidget(window);
    background->setObjectName("Widget_Creation_PlaneBg");
    background->setAttribute(Qt::WA_StyledBackground);
    if (translucent)
        CQssManager::setShadow(background);
    else
        background->setStyleSheet(
            QStringLiteral("#Widget_Creation_PlaneBg { border-radius: 0px; }")); // no black corners
    outer->addWidget(background);

    auto *inner = new QVBoxLayout(background);
    inner->setContentsMargins(0, kPadding, 0, kPadding);
    inner->setSpacing(0);
    list = new QListView(background);
    list->setObjectName("Widget_Creation_PlaneList");
    list->setFrameShape(QFrame::NoFrame);
    list->setSpacing(spacing);
    list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setSelectionMode(QAbstractItemView::NoSelection);
    list->setFocusPolicy(Qt::NoFocus);
    list->setUniformItemSizes(true);
    inner->addWidget(list);

    model = new CreationControlItemModel(panel, T_SessionData::instance().user, window);
    list->setModel(model);
    delegate = new CreationControlItemDelegate(panel, list);
    list->setItemDelegate(delegate);
}

void CreationPanelFrame::fitRows(QWidget *window, int width, int maxRows)
{
    const int count = model->rowCount();
    const int shown = maxRows > 0 ? qMin(count, maxRows) : count;
    const int rowHeight = list->sizeHintForRow(0) > 0 ? list->sizeHintForRow(0) : 32;
    // The list puts its spacing on both sides of every row.
    const int pitch = rowHeight + 2 * list->spacing();
    const int listHeight = shown * pitch;
    list->setVerticalScrollBarPolicy(shown < count ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
    window->setFixedSize(width + 2 * margin, listHeight + 2 * kPadding + 2 * margin);
}

QRect CreationPanelFrame::visibleGeometry(const QWidget *window) const
{
    return QRect(window->mapToGlobal(QPoint(margin, margin)), window->size() - QSize(2 * margin, 2 * margin));
}

void CreationPanelFrame::moveBackgroundTo(QWidget *window, const QPoint &topLeft) const
{
    window->move(topLeft - QPoint(margin, margin));
}
