#include "dialog_createbook.h"

#include "bookdialogparts.h"
#include "ui/nametext.h"
#include "ui/popupframe.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QStringListModel>
#include <QVBoxLayout>

Dialog_CreateBook::Dialog_CreateBook(QWidget *parent)
    : QDialog(parent), m_lineEdit(nullptr), m_listView(nullptr), m_btnConfirm(nullptr), m_btnCancel(nullptr)
{
    setObjectName(QStringLiteral("Dialog_CreateBook"));
    setWindowTitle(QStringLiteral("创建书籍"));
    QWidget *bg = PopupFrame::build(this, &m_btnClose);
    // The dialog keeps the size its fields ask for.
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    connect(m_btnClose, &QPushButton::clicked, this, &QDialog::reject);

    auto *column = new QVBoxLayout(bg);
    column->setContentsMargins(28, 20, 20, 24);
    column->setSpacing(10);
    auto *titleRow = new QHBoxLayout;
    auto *title = new QLabel(QStringLiteral("创建书籍"), bg);
    title->setObjectName(QStringLiteral("CommonWidgetTitle"));
    titleRow->addWidget(title);
    titleRow->addStretch(1);
    titleRow->addWidget(m_btnClose, 0, Qt::AlignTop);
    column->addLayout(titleRow);
    column->addSpacing(6);

    column->addWidget(BookDialogParts::fieldLabel(tr("Book Name"), bg));
    m_lineEdit = new QLineEdit(bg);
    m_lineEdit->setObjectName(QStringLiteral("lineEdit"));
    m_lineEdit->setPlaceholderText(tr("Please enter book name"));
    NameText::limit(m_lineEdit, BookDialogParts::kNameMaxLength);
    m_lineEdit->setFixedHeight(36);
    column->addWidget(m_lineEdit);
    column->addSpacing(6);

    column->addWidget(BookDialogParts::fieldLabel(QStringLiteral("选择封面"), bg));
    m_listView = BookDialogParts::coverList(bg);
    m_listView->setFixedSize(6 * 88 + 18, 2 * 112 + 8);
    column->addWidget(m_listView);
    column->addSpacing(8);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    m_btnCancel = new QPushButton(QStringLiteral("取消"), bg);
    m_btnCancel->setObjectName(QStringLiteral("btnCancel"));
    m_btnConfirm = new QPushButton(QStringLiteral("确定"), bg);
    m_btnConfirm->setObjectName(QStringLiteral("btnConfirm"));
    for (QPushButton *b : {m_btnCancel, m_btnConfirm}) {
        b->setFixedSize(92, 30);
        b->setCursor(Qt::PointingHandCursor);
        buttons->addWidget(b);
    }
    column->addLayout(buttons);

    m_btnConfirm->setEnabled(false);
    m_btnConfirm->setDefault(true);
    connect(m_lineEdit, &QLineEdit::textChanged, this,
            [this](const QString &text) { m_btnConfirm->setEnabled(!NameText::isBlank(text)); });
    connect(m_btnConfirm, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    m_lineEdit->setFocus();
}

void Dialog_CreateBook::setCovers(QStringListModel *covers)
{
    m_listView->setModel(covers);
}

QString Dialog_CreateBook::bookName() const
{
    return m_lineEdit->text().trimmed();
}

QString Dialog_CreateBook::coverPath() const
{
    const QModelIndex current = m_listView->currentIndex();
    if (!current.isValid() || !m_listView->selectionModel() ||
        !m_listView->selectionModel()->isSelected(current))
        return QString();
    return current.data(Qt::DisplayRole).toString();
}
