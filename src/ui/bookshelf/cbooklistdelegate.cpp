#include "cbooklistdelegate.h"

#include "cbooklistmodel.h"
#include "db/records.h"
#include "manager/cqssmanager.h"
#include "ui/framelesshelper.h"

#include <QAbstractItemView>
#include <QCursor>
#include <QHelpEvent>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QWidgetAction>

namespace {

const QSize kGridItem(150, 230);
const QSize kCompactItem(126, 198);
const QSize kGridCover(120, 160);
const QSize kCompactCover(126, 168);
const int kMaxCachedCovers = 1024;

bool isDark()
{
    return CQssManager::instance()->getStyle() == StyleDark;
}

QString skin(const char *file)
{
    return QStringLiteral(":/res/skin/%1/bookshelf/%2")
        .arg(isDark() ? QStringLiteral("dark") : QStringLiteral("light"), QLatin1String(file));
}

QFont pixelFont(int pixels)
{
    QFont font(QStringLiteral("Microsoft YaHei"));
    font.setPixelSize(pixels);
    return font;
}

} // namespace

QHash<QString, QPixmap> CBookListDelegate::s_covers;
int CBookListDelegate::s_coverLoads = 0;

CBookListDelegate::CBookListDelegate(int mode, QListView *view)
    : QStyledItemDelegate(view), m_mode(mode), m_view(view)
{
    m_darkShade = cover(QStringLiteral(":/res/skin/dark/bookshelf/book_def_shade.png"), kGridCover);
    buildMenus(view);
}

QMenu *CBookListDelegate::popupMenu(QWidget *parent, const QString &name)
{
    auto *menu = new QMenu(parent);
    menu->setObjectName(name);
    menu->setWindowFlags(Qt::Popup | Qt::FramelessWindowHint | Qt::NoDropShadowWindowHint);
    // Translucent (rounded corners) only where a compositor blends it;
    // otherwise opaque with square corners, never black ones.
    FramelessHelper::prepareWindow(menu);
    return menu;
}

void CBookListDelegate::buildMenus(QWidget *parent)
{
    m_bookMenu = popupMenu(parent, QStringLiteral("bookMenu"));
    QAction *open = m_bookMenu->addAction(tr("Open"));
    QAction *info = m_bookMenu->addAction(tr("BookInfo"));
    m_bookMenu->addSeparator();
    auto *remove = new QWidgetAction(m_bookMenu);
    auto *label = new QLabel(tr("Delete"));
    label->setObjectName(QStringLiteral("menuItem"));
    remove->setDefaultWidget(label);
    // A widget item is not triggered by the menu itself: its label does it.
    label->installEventFilter(this);
    m_deleteLabel = label;
    m_deleteAction = remove;
    remove->setText(tr("Delete"));
    m_bookMenu->addAction(remove);
    connect(open, &QAction::triggered, this,
            [this] { emit sig_open(m_bookMenu->property("localBookId").toInt()); });
    connect(info, &QAction::triggered, this, [this] {
        emit sig_info(m_bookMenu->property("localBookId").toInt(), m_bookMenu->property("index").toInt());
    });
    connect(remove, &QAction::triggered, this, [this] {
        emit sig_delete(m_bookMenu->property("localBookId").toInt(),
                        m_bookMenu->property("bookName").toString(), m_bookMenu->property("index").toInt());
    });
    connect(m_bookMenu, &QMenu::aboutToHide, this, [this] {
        const int row = m_hoverRow;
        m_hover = false;
        m_hoverRow = -1;
        repaintRow(row);
    });

    m_addMenu = popupMenu(parent, QStringLiteral("addMenu"));
    connect(m_addMenu->addAction(tr("Create")), &QAction::triggered, this, &CBookListDelegate::sig_create);
    connect(m_addMenu->addAction(tr("Import")), &QAction::triggered, this, &CBookListDelegate::sig_import);
}

QRect CBookListDelegate::coverRect(int mode, const QRect &item)
{
    if (mode == CBookListModel::Compact)
        return QRect(item.topLeft(), kCompactCover);
    return QRect(item.left() + 15, item.top() + 10, kGridCover.width(), kGridCover.height());
}

QRect CBookListDelegate::hitRect(int mode, const QRect &item)
{
    // The compact list answers on its whole cover.
    if (mode == CBookListModel::Compact)
        return coverRect(mode, item);
    return QRect(item.left() + 15, item.top() + 10, kGridCover.width(), kGridCover.height());
}

QPixmap CBookListDelegate::cover(const QString &path, const QSize &size)
{
    if (path.isEmpty())
        return QPixmap();
    const QString key = QStringLiteral("%1|%2x%3").arg(path).arg(size.width()).arg(size.height());
    auto found = s_covers.constFind(key);
    if (found != s_covers.constEnd())
        return found.value();
    ++s_coverLoads;
    QPixmap pixmap;
    if (!pixmap.load(path))
        return QPixmap();
    pixmap = pixmap.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    if (s_covers.size() >= kMaxCachedCovers)
        s_covers.clear();
    s_covers.insert(key, pixmap);
    return pixmap;
}

void CBookListDelegate::forgetCovers()
{
    s_covers.clear();
}

QString CBookListDelegate::captionOf(const BookShelf_Book &book)
{
    if (book.isSyncing)
        return tr("Synchronous");
    if (book.isImporting)
        return tr("Importing");
    return book.bookName;
}

QSize CBookListDelegate::sizeHint(const QStyleOptionViewItem &, const QModelIndex &) const
{
    return m_mode == CBookListModel::Compact ? kCompactItem : kGridItem;
}

void CBookListDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                              const QModelIndex &index) const
{
    QStyleOptionViewItem base = option;
    base.state &= ~(QStyle::State_Selected | QStyle::State_HasFocus | QStyle::State_MouseOver);
    QStyledItemDelegate::paint(painter, base, QModelIndex());
    if (!index.isValid())
        return;
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setRenderHint(QPainter::SmoothPixmapTransform);
    if (m_mode == CBookListModel::Compact)
        paintCompact(painter, option, index);
    else
        paintGrid(painter, option, index);
    painter->restore();
}

void CBookListDelegate::paintGrid(QPainter *painter, const QStyleOptionViewItem &option,
                                  const QModelIndex &index) const
{
    const bool dark = isDark();
    const QColor nameColour(dark ? "#FFFFFF" : "#424242");
    const QColor countColour("#7782A1");
    const QRect item = option.rect;
    const QRect coverArea = coverRect(CBookListModel::Grid, item);

    // The tile under the mouse, or the keyboard's current tile while the grid has the focus.
    const bool keyboardCurrent = m_view->hasFocus() && m_view->currentIndex() == index;
    if ((m_hover && m_hoverRow == index.row()) || keyboardCurrent)
        painter->drawPixmap(QRect(item.topLeft(), QSize(150, 190)),
                            cover(skin("book_shade.png"), QSize(150, 190)));

    const auto *model = qobject_cast<const CBookListModel *>(index.model());
    if (model && model->isAddTile(index)) {
        painter->drawPixmap(coverArea, cover(skin("book_add.png"), kGridCover));
        return;
    }
    const QVariant value = index.data(Qt::DisplayRole);
    if (!value.canConvert<BookShelf_Book>())
        return;
    const BookShelf_Book book = value.value<BookShelf_Book>();

    QPixmap pixmap = cover(book.localCover, kGridCover);
    if (pixmap.isNull())
        pixmap = cover(skin("book_def.png"), kGridCover);
    painter->drawPixmap(coverArea, pixmap);
    if (dark)
        painter->drawPixmap(coverArea, m_darkShade);

    const QString caption = captionOf(book);

    if (book.isSyncing || book.isImporting) {
        const QRect track(item.left() + 31, item.top() + 126, 88, 6);
        QPainterPath path;
        path.addRoundedRect(track, 2, 2);
        painter->fillPath(path, QColor("#C7C7C7"));
        const int width = book.stepTotal > 0 ? int(double(book.stepDone) / book.stepTotal * 88) : 0;
        if (width > 0)
            painter->fillRect(QRect(track.left(), track.top() + 1, qMin(width, 88), 4), QColor("#0A84FF"));
    }

    const QRect captionRect(coverArea.left(), coverArea.bottom() + 1 + 12, 120, 23);
    painter->setFont(pixelFont(17));
    painter->setPen(nameColour);
    painter->drawText(captionRect, Qt::AlignLeft | Qt::AlignTop,
                      painter->fontMetrics().elidedText(caption, Qt::ElideRight, 120));

    const QRect countRect(coverArea.left(), captionRect.bottom() + 1 + 4, 120, 20);
    painter->setFont(pixelFont(15));
    painter->setPen(countColour);
    painter->drawText(countRect, Qt::AlignLeft | Qt::AlignTop, QString::number(book.wordNum) + tr("Num"));
}

void CBookListDelegate::paintCompact(QPainter *painter, const QStyleOptionViewItem &option,
                                     const QModelIndex &index) const
{
    const QVariant value = index.data(Qt::DisplayRole);
    if (!value.canConvert<BookShelf_Book>())
        return;
    const BookShelf_Book book = value.value<BookShelf_Book>();
    const bool dark = isDark();
    const QRect coverArea = coverRect(CBookListModel::Compact, option.rect);
    QPixmap pixmap = cover(book.localCover, kCompactCover);
    if (pixmap.isNull())
        pixmap = cover(skin("book_def.png"), kCompactCover);
    painter->drawPixmap(coverArea, pixmap);

    // The first colour frames the cover, the second writes the name; the
    // book open in the creation page is named in the accent.
    painter->setPen(QColor(dark ? "#282828" : "#D8D8D8"));
    painter->drawRect(coverArea.adjusted(0, 0, -1, -1));
    const bool current = book.localBookId == T_SessionData::instance().user.localBookId;
    const QColor nameColour(current ? "#0A84FF" : "#616161");
    const QRect nameRect(coverArea.left(), coverArea.bottom() + 1 + 8, 126, 22);
    painter->setFont(pixelFont(16));
    painter->setPen(nameColour);
    painter->drawText(nameRect, Qt::AlignLeft | Qt::AlignTop,
                      painter->fontMetrics().elidedText(book.bookName, Qt::ElideRight, 126));
}

void CBookListDelegate::repaintRow(int row)
{
    if (row < 0 || !m_view || !m_view->model())
        return;
    m_view->update(m_view->model()->index(row, 0));
}

bool CBookListDelegate::editorEvent(QEvent *event, QAbstractItemModel *model,
                                    const QStyleOptionViewItem &option, const QModelIndex &index)
{
    if (!index.isValid() || !qobject_cast<QListView *>(parent()))
        return QStyledItemDelegate::editorEvent(event, model, option, index);
    const QEvent::Type type = event->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonRelease && type != QEvent::MouseMove &&
        type != QEvent::MouseButtonDblClick)
        return QStyledItemDelegate::editorEvent(event, model, option, index);
    auto *mouse = static_cast<QMouseEvent *>(event);
    m_pos = mouse->pos();
    m_view->viewport()->unsetCursor();
    if (!hitRect(m_mode, option.rect).contains(m_pos))
        return false;

    if (type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick) {
        m_pressed = 1;
        m_view->viewport()->setCursor(Qt::PointingHandCursor);
        return true;
    }
    if (type == QEvent::MouseMove) {
        m_pressed = 0;
        m_view->viewport()->setCursor(Qt::PointingHandCursor);
        return true;
    }
    m_pressed = -1;
    const auto *books = qobject_cast<const CBookListModel *>(model);
    const BookShelf_Book book = index.data(Qt::DisplayRole).value<BookShelf_Book>();
    const bool busy = book.isSyncing || book.isImporting;
    if (m_mode == CBookListModel::Compact) {
        if (mouse->button() == Qt::LeftButton && book.localBookId > 0 && !busy)
            emit sig_open(book.localBookId);
        return true;
    }
    if (books && books->isAddTile(index)) {
        m_addMenu->popup(mouse->globalPos());
        return true;
    }
    if (book.localBookId < 1)
        return true;
    if (mouse->button() == Qt::LeftButton) {
        if (!busy)
            emit sig_open(book.localBookId);
        return true;
    }
    m_bookMenu->setProperty("localBookId", book.localBookId);
    m_bookMenu->setProperty("index", index.row());
    m_bookMenu->setProperty("bookName", book.bookName);
    m_bookMenu->popup(mouse->globalPos());
    return true;
}

bool CBookListDelegate::activate(const QModelIndex &index, bool menu)
{
    if (!index.isValid())
        return false;
    const auto *books = qobject_cast<const CBookListModel *>(index.model());
    const QRect cover = coverRect(m_mode, m_view->visualRect(index));
    const QPoint at = m_view->viewport()->mapToGlobal(cover.center());
    if (m_mode != CBookListModel::Compact && books && books->isAddTile(index)) {
        m_addMenu->popup(at);
        m_addMenu->setActiveAction(m_addMenu->actions().value(0));
        return true;
    }
    const BookShelf_Book book = index.data(Qt::DisplayRole).value<BookShelf_Book>();
    if (book.localBookId < 1)
        return false;
    if (!menu || m_mode == CBookListModel::Compact) {
        if (!book.isSyncing && !book.isImporting)
            emit sig_open(book.localBookId);
        return true;
    }
    m_bookMenu->setProperty("localBookId", book.localBookId);
    m_bookMenu->setProperty("index", index.row());
    m_bookMenu->setProperty("bookName", book.bookName);
    m_bookMenu->popup(at);
    m_bookMenu->setActiveAction(m_bookMenu->actions().value(0));
    return true;
}

bool CBookListDelegate::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_deleteLabel && event->type() == QEvent::MouseButtonRelease) {
        m_bookMenu->close();
        m_deleteAction->trigger();
        return true;
    }
    if (m_view && watched == m_view->viewport()) {
        if (event->type() == QEvent::MouseMove) {
            const QPoint pos = static_cast<QMouseEvent *>(event)->pos();
            const QModelIndex index = m_view->indexAt(pos);
            const int before = m_hover ? m_hoverRow : -1;
            if (index.isValid()) {
                const bool inside = hitRect(m_mode, m_view->visualRect(index)).contains(pos);
                m_hover = inside;
                m_hoverRow = inside ? index.row() : -1;
                if (!inside)
                    m_view->viewport()->unsetCursor();
            } else {
                m_view->viewport()->unsetCursor();
                m_pressed = -1;
                m_hoverRow = -1;
                m_hover = false;
            }
            const int after = m_hover ? m_hoverRow : -1;
            if (before != after) {
                repaintRow(before);
                repaintRow(after);
            }
        } else if (event->type() == QEvent::Leave) {
            m_pressed = -1;
            if (!m_bookMenu->isVisible()) {
                const int row = m_hoverRow;
                m_hover = false;
                m_hoverRow = -1;
                repaintRow(row);
            }
        }
    }
    return QStyledItemDelegate::eventFilter(watched, event);
}
