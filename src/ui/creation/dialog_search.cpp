#include "dialog_search.h"

#include "ui/popupframe.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QPushButton *button(const QString &text, const char *name, QWidget *parent, int width = 92)
{
    auto *b = new QPushButton(text, parent);
    b->setObjectName(name);
    b->setAccessibleName(text);
    b->setFixedSize(width, 30);
    b->setCursor(Qt::PointingHandCursor);
    b->setAutoDefault(false);
    return b;
}

} // namespace

Dialog_Search::Dialog_Search(QWidget *parent) : QDialog(parent)
{
    setObjectName("Dialog_Search");
    setWindowTitle(QStringLiteral("查找替换"));
    setAccessibleName(QStringLiteral("查找替换"));
    QWidget *bg = PopupFrame::build(this, &m_btnClose);
    m_btnClose->setAccessibleName(tr("Close"));
    // The frame's own close button would only hide the dialog: it clears too.
    disconnect(m_btnClose, nullptr, this, nullptr);
    connect(m_btnClose, &QPushButton::clicked, this, &Dialog_Search::closeWithClear);

    auto *column = new QVBoxLayout(bg);
    column->setContentsMargins(24, 16, 16, 20);
    column->setSpacing(12);
    auto *titleRow = new QHBoxLayout;
    auto *title = new QLabel(QStringLiteral("查找替换"), bg);
    title->setObjectName("CommonLabelTitle");
    titleRow->addWidget(title);
    titleRow->addStretch(1);
    titleRow->addWidget(m_btnClose, 0, Qt::AlignTop);
    column->addLayout(titleRow);

    auto *grid = new QGridLayout;
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(10);
    m_lineEditSearch = new QLineEdit(bg);
    m_lineEditSearch->setObjectName("lineEditSearch");
    m_lineEditSearch->setPlaceholderText(tr("Please enter your search"));
    m_lineEditSearch->setAccessibleName(tr("Text to find"));
    m_lineEditSearch->setFixedHeight(32);
    m_btnLeft = button(QStringLiteral("上一个"), "btnLeft", bg, 64);
    m_btnRight = button(QStringLiteral("下一个"), "btnRight", bg, 64);
    m_lineEditReplace = new QLineEdit(bg);
    m_lineEditReplace->setObjectName("lineEditReplace");
    m_lineEditReplace->setPlaceholderText(tr("Please enter a replacement"));
    m_lineEditReplace->setAccessibleName(tr("Replacement"));
    m_lineEditReplace->setFixedHeight(32);
    m_btnReplaceCur = button(QStringLiteral("替换当前"), "btnReplaceCur", bg, 64);
    m_btnReplaceAll = button(QStringLiteral("替换全部"), "btnReplaceAll", bg, 64);
    grid->addWidget(m_lineEditSearch, 0, 0);
    grid->addWidget(m_btnLeft, 0, 1);
    grid->addWidget(m_btnRight, 0, 2);
    grid->addWidget(m_lineEditReplace, 1, 0);
    grid->addWidget(m_btnReplaceCur, 1, 1);
    grid->addWidget(m_btnReplaceAll, 1, 2);
    grid->setColumnMinimumWidth(0, 240);
    column->addLayout(grid);

    m_matches = new QLabel(bg);
    m_matches->setObjectName("lb_matches");
    m_matches->setMinimumHeight(18);
    column->addWidget(m_matches);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    m_btnUndo = button(QStringLiteral("撤销"), "btnUndo", bg);
    m_btnUndo->hide();
    m_btnCancel = button(QStringLiteral("取消"), "btnCancel", bg);
    m_btnConfirm = button(QStringLiteral("确认"), "btnConfirm", bg);
    buttons->addWidget(m_btnUndo);
    buttons->addWidget(m_btnCancel);
    buttons->addSpacing(12);
    buttons->addWidget(m_btnConfirm);
    column->addLayout(buttons);

    // Only the author's edits search; an empty field leaves the highlight.
    connect(m_lineEditSearch, &QLineEdit::textEdited, this, [this](const QString &text) {
        if (!text.isEmpty())
            emit sig_sreach_btn(Sreach_Search, text);
        else
            setMatchInfo(0, 0, false);
    });
    connect(m_lineEditSearch, &QLineEdit::returnPressed, this,
            [this] { emit sig_sreach_btn(Sreach_Next, QStringLiteral("3")); });
    connect(m_btnLeft, &QPushButton::clicked, this,
            [this] { emit sig_sreach_btn(Sreach_Previous, QStringLiteral("2")); });
    connect(m_btnRight, &QPushButton::clicked, this,
            [this] { emit sig_sreach_btn(Sreach_Next, QStringLiteral("3")); });
    connect(m_btnReplaceCur, &QPushButton::clicked, this,
            [this] { emit sig_sreach_btn(Sreach_ReplaceCur, m_lineEditReplace->text()); });
    connect(m_btnReplaceAll, &QPushButton::clicked, this,
            [this] { emit sig_sreach_btn(Sreach_ReplaceAll, m_lineEditReplace->text()); });
    connect(m_btnConfirm, &QPushButton::clicked, this, &Dialog_Search::closeWithClear);
    connect(m_btnCancel, &QPushButton::clicked, this, &Dialog_Search::closeWithClear);
    adjustSize();
    setFixedSize(sizeHint());
}

void Dialog_Search::setMatchInfo(int current, int total, bool searched)
{
    if (!searched)
        m_matches->clear();
    else if (total == 0)
        m_matches->setText(tr("No match"));
    else
        m_matches->setText(tr("Match %1 of %2").arg(current).arg(total));
}

void Dialog_Search::reject()
{
    closeWithClear();
}

void Dialog_Search::closeWithClear()
{
    emit sig_sreach_btn(Sreach_Close, QString());
    hide();
    setResult(QDialog::Rejected);
}
