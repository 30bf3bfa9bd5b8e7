#include "widget_storewarning.h"

#include "db/cstorehealth.h"

#include <QHBoxLayout>
#include <QLabel>

Widget_StoreWarning::Widget_StoreWarning(QWidget *parent) : QFrame(parent)
{
    setObjectName(QStringLiteral("Widget_StoreWarning"));
    setAttribute(Qt::WA_StyledBackground);
    setAccessibleName(tr("Storage warning"));
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(16, 8, 16, 8);
    row->setSpacing(8);
    m_icon = new QLabel(QStringLiteral("!"), this);
    m_icon->setObjectName(QStringLiteral("lb_storeWarningIcon"));
    m_icon->setFixedSize(20, 20);
    m_icon->setAlignment(Qt::AlignCenter);
    m_icon->setAccessibleName(tr("Warning"));
    row->addWidget(m_icon, 0, Qt::AlignTop);
    m_text = new QLabel(this);
    m_text->setObjectName(QStringLiteral("lb_storeWarning"));
    m_text->setWordWrap(true);
    m_text->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_text->setAccessibleName(tr("Storage warning"));
    row->addWidget(m_text, 1);

    CStoreHealth *health = CStoreHealth::instance();
    connect(health, &CStoreHealth::sig_Changed, this, &Widget_StoreWarning::onHealthChanged);
    onHealthChanged(health->isFailing(), health->message());
}

void Widget_StoreWarning::onHealthChanged(bool failing, const QString &message)
{
    m_text->setText(message);
    setVisible(failing);
}
