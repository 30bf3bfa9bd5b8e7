#include "crandomnamedelegate.h"

#include "db/records.h"
#include "manager/cqssmanager.h"
#include "ui/float_tips.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QClipboard>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>

namespace {
const int kTipMilliseconds = 1200;
} // namespace

CRandomNameDelegate::CRandomNameDelegate(QObject *parent) : QStyledItemDelegate(parent), m_tip(new Float_Tips)
{
    m_tip->setWindowFlags(Qt::ToolTip | Qt::FramelessWindowHint);
    m_tip->setText(tr("Copyed"));
    m_tip->hide();
}

CRandomNameDelegate::~CRandomNameDelegate()
{
    delete m_tip;
}

void CRandomNameDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                                const QModelIndex &index) const
{
    const bool dark = T_SessionData::instance().author.style == StyleDark;
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    if (option.state & QStyle::State_Selected)
        painter->fillRect(option.rect, QColor(dark ? "#272B2F" : "#E1ECF9"));
    QFont font(QStringLiteral("Microsoft YaHei"));
    font.setPixelSize(14);
    painter->setFont(font);
    painter->setPen(QColor(dark ? "#FFFFFF" : "#333333"));
    painter->drawText(option.rect, Qt::AlignCenter, index.data(Qt::DisplayRole).toString());
    painter->restore();
}

QSize CRandomNameDelegate::sizeHint(const QStyleOptionViewItem &, const QModelIndex &) const
{
    return QSize(130, 28);
}

bool CRandomNameDelegate::editorEvent(QEvent *event, QAbstractItemModel *model,
                                      const QStyleOptionViewItem &option, const QModelIndex &index)
{
    if (event->type() == QEvent::MouseButtonPress && index.isValid()) {
        const QString name = index.data(Qt::DisplayRole).toString();
        QApplication::clipboard()->setText(name);
        const auto *view = qobject_cast<const QAbstractItemView *>(option.widget);
        QPoint at(option.rect.left() + 22, option.rect.top());
        if (view)
            at = view->viewport()->mapToGlobal(at);
        m_tip->setText(tr("Copyed"));
        m_tip->adjustSize();
        m_tip->move(at.x(), at.y() - m_tip->height());
        m_tip->show();
        m_tip->raise();
        QTimer::singleShot(kTipMilliseconds, m_tip, &QWidget::hide);
    }
    return QStyledItemDelegate::editorEvent(event, model, option, index);
}
