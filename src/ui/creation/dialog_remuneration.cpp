#include "dialog_remuneration.h"

#include "db/cquorvindb.h"
#include "db/records.h"
#include "ui/popupframe.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

namespace {

// The lower bound is single precision on purpose: 0.01 itself lies just
// above it and is accepted.
constexpr float kMinRate = 0.01f;
constexpr double kMaxRate = 10000.0;

} // namespace

Dialog_Remuneration::Dialog_Remuneration(QWidget *parent) : QDialog(parent)
{
    setObjectName("Dialog_Remuneration");
    setModal(true);
    setWindowTitle(QStringLiteral("稿费设置"));
    QWidget *bg = PopupFrame::build(this, &m_close);
    connect(m_close, &QPushButton::clicked, this, &QDialog::reject);

    auto *column = new QVBoxLayout(bg);
    column->setContentsMargins(24, 16, 16, 24);
    auto *titleRow = new QHBoxLayout;
    auto *title = new QLabel(QStringLiteral("稿费设置"), bg);
    title->setObjectName("CommonWidgetTitle");
    titleRow->addWidget(title);
    titleRow->addStretch(1);
    titleRow->addWidget(m_close, 0, Qt::AlignTop);
    column->addLayout(titleRow);
    column->addSpacing(20);

    auto *fieldRow = new QHBoxLayout;
    fieldRow->setContentsMargins(0, 0, 8, 0);
    m_edit = new QLineEdit(bg);
    m_edit->setObjectName("lineEdit");
    m_edit->setFixedHeight(36);
    m_edit->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9.]+$")), m_edit));
    auto *unit = new QLabel(QStringLiteral("元/千字"), bg);
    unit->setObjectName("lb_unit");
    fieldRow->addWidget(m_edit, 1);
    fieldRow->addWidget(unit);
    column->addLayout(fieldRow);

    m_error = new QLabel(bg);
    m_error->setObjectName("lb_error");
    m_error->setStyleSheet(QStringLiteral("color: rgb(255, 0, 0);"));
    m_error->setMinimumHeight(24);
    column->addWidget(m_error);
    column->addSpacing(8);

    auto *buttons = new QHBoxLayout;
    buttons->setContentsMargins(0, 0, 8, 0);
    buttons->addStretch(1);
    m_cancel = new QPushButton(QStringLiteral("取消"), bg);
    m_cancel->setObjectName("btnCancel");
    m_cancel->setFixedSize(92, 30);
    m_confirm = new QPushButton(QStringLiteral("确认"), bg);
    m_confirm->setObjectName("btnConfirm");
    m_confirm->setFixedSize(92, 30);
    m_confirm->setEnabled(false);
    m_confirm->setDefault(true);
    buttons->addWidget(m_cancel);
    buttons->addSpacing(12);
    buttons->addWidget(m_confirm);
    column->addLayout(buttons);

    connect(m_edit, &QLineEdit::textChanged, this, &Dialog_Remuneration::onTextChanged);
    connect(m_confirm, &QPushButton::clicked, this, &Dialog_Remuneration::onConfirm);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_edit, &QLineEdit::returnPressed, this, [this] {
        if (m_confirm->isEnabled())
            onConfirm();
    });
    setFixedWidth(380 + 2 * layout()->contentsMargins().left());
}

void Dialog_Remuneration::setRate(double rate)
{
    m_edit->setText(QString::number(rate, 'f', 2));
}

double Dialog_Remuneration::rate() const
{
    return m_edit->text().toDouble();
}

bool Dialog_Remuneration::isValidRate(double rate)
{
    return rate > kMinRate && rate <= kMaxRate;
}

void Dialog_Remuneration::onTextChanged(const QString &text)
{
    m_confirm->setEnabled(!text.isEmpty());
    m_error->clear();
}

void Dialog_Remuneration::onConfirm()
{
    if (isValidRate(rate())) {
        accept();
        return;
    }
    m_error->setText(QStringLiteral("稿费设置范围:0.01元 - 10000元"));
}

bool Dialog_Remuneration::editRate(QWidget *parent, T_Book *book)
{
    if (!book)
        return false;
    Dialog_Remuneration dialog(parent);
    dialog.setRate(book->money);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    const double value = dialog.rate();
    book->money = value;
    T_SessionData::instance().money = value;
    return CQuorvinDb::instance()->setBookMoney(book->localId, value);
}
