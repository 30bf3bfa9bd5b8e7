#include "widget_randomname.h"

#include "crandomnamedelegate.h"
#include "db/records.h"
#include "manager/cjobmanager.h"
#include "manager/cqssmanager.h"

#include <QButtonGroup>
#include <QDebug>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QRadioButton>
#include <QStringListModel>
#include <QVBoxLayout>

namespace {

const int kNameCount = 20;
const int kKindChinese = 1;

QPushButton *makeButton(const QString &text, const char *name, QWidget *parent, int width = 92)
{
    auto *button = new QPushButton(text, parent);
    button->setObjectName(name);
    button->setAccessibleName(text);
    button->setFixedSize(width, 30);
    button->setCursor(Qt::PointingHandCursor);
    return button;
}

QLabel *rowLabel(const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName("lb_row");
    label->setFixedWidth(48);
    return label;
}

} // namespace

Widget_RandomName::Widget_RandomName(QWidget *parent) : QWidget(parent)
{
    setObjectName("Widget_RandomName");
    setAccessibleName(QStringLiteral("随机取名"));
    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    auto *bg = new QWidget(this);
    bg->setObjectName("CommonWidgetBg");
    bg->setAttribute(Qt::WA_StyledBackground);
    outer->addWidget(bg);
    auto *column = new QVBoxLayout(bg);
    column->setContentsMargins(24, 16, 16, 20);
    column->setSpacing(10);

    auto *titleRow = new QHBoxLayout;
    auto *title = new QLabel(QStringLiteral("随机取名"), bg);
    title->setObjectName("CommonWidgetTitle");
    titleRow->addWidget(title);
    titleRow->addStretch(1);
    m_btnClose = new QPushButton(bg);
    m_btnClose->setObjectName("btn_close_popup");
    m_btnClose->setAccessibleName(QStringLiteral("关闭"));
    m_btnClose->setFixedSize(16, 16);
    m_btnClose->setCursor(Qt::PointingHandCursor);
    titleRow->addWidget(m_btnClose, 0, Qt::AlignTop);
    column->addLayout(titleRow);

    m_btnName = new QPushButton(QStringLiteral("人名"), bg);
    m_btnName->setObjectName("btnName");
    m_btnName->setAccessibleName(QStringLiteral("人名"));
    m_btnName->setCheckable(true);
    m_btnName->setChecked(true);
    m_btnName->setFlat(true);
    m_btnName->setIconSize(QSize(16, 16));
    m_btnName->setStyleSheet(
        QStringLiteral("QPushButton#btnName { border: none; background: transparent; "
                       "font-size: 14px; font-weight: bold; text-align: left; padding: 0; }"));
    column->addWidget(m_btnName, 0, Qt::AlignLeft);

    m_widgetName = new QWidget(bg);
    m_widgetName->setObjectName("widgetName");
    auto *kindRow = new QHBoxLayout(m_widgetName);
    kindRow->setContentsMargins(0, 0, 0, 0);
    m_kind = new QButtonGroup(this);
    const QList<QPair<QString, int>> kinds{
        {QStringLiteral("中国人名"), 1}, {QStringLiteral("西方人名"), 4}, {QStringLiteral("日本人名"), 2}};
    const char *kindNames[] = {"btnChineseName", "btnEnglishName", "btnJapanesName"};
    for (int i = 0; i < kinds.size(); ++i) {
        QPushButton *button = makeButton(kinds.at(i).first, kindNames[i], m_widgetName, 88);
        button->setCheckable(true);
        button->setProperty("kindButton", true);
        m_kind->addButton(button, kinds.at(i).second);
        kindRow->addWidget(button);
    }
    m_kind->button(kKindChinese)->setChecked(true);
    m_widgetName->setStyleSheet(
        QStringLiteral("QPushButton:checked { background: #3470FF; border-color: #3470FF; "
                       "color: #FFFFFF; }"));
    kindRow->addStretch(1);
    column->addWidget(m_widgetName);

    auto *surnameRow = new QHBoxLayout;
    surnameRow->addWidget(rowLabel(QStringLiteral("姓氏"), bg));
    m_lineEdit = new QLineEdit(bg);
    m_lineEdit->setObjectName("lineEdit");
    m_lineEdit->setAccessibleName(QStringLiteral("姓氏"));
    m_lineEdit->setPlaceholderText(QStringLiteral("留空则随机"));
    m_lineEdit->setMaxLength(6);
    m_lineEdit->setFixedHeight(30);
    surnameRow->addWidget(m_lineEdit, 1);
    m_btnSurname = makeButton(QStringLiteral("随机姓氏"), "btnSurname", bg);
    m_btnSurname->hide();
    surnameRow->addWidget(m_btnSurname);
    column->addLayout(surnameRow);

    m_widgetFamily = new QWidget(bg);
    m_widgetFamily->setObjectName("widgetFamily");
    auto *familyRow = new QHBoxLayout(m_widgetFamily);
    familyRow->setContentsMargins(48 + familyRow->spacing(), 0, 0, 0);
    m_btnSingle = makeButton(QStringLiteral("随机单姓"), "btnSingle", m_widgetFamily);
    m_btnDouble = makeButton(QStringLiteral("随机复姓"), "btnDouble", m_widgetFamily);
    familyRow->addWidget(m_btnSingle);
    familyRow->addWidget(m_btnDouble);
    familyRow->addStretch(1);
    column->addWidget(m_widgetFamily);

    auto *genderRow = new QHBoxLayout;
    genderRow->addWidget(rowLabel(QStringLiteral("性别"), bg));
    m_man = new QRadioButton(QStringLiteral("男"), bg);
    m_man->setObjectName("radioButton_man");
    m_women = new QRadioButton(QStringLiteral("女"), bg);
    m_women->setObjectName("radioButton_women");
    m_man->setChecked(true);
    genderRow->addWidget(m_man);
    genderRow->addSpacing(16);
    genderRow->addWidget(m_women);
    genderRow->addStretch(1);
    column->addLayout(genderRow);

    m_widgetNumber = new QWidget(bg);
    m_widgetNumber->setObjectName("widgetNumber");
    auto *lengthRow = new QHBoxLayout(m_widgetNumber);
    lengthRow->setContentsMargins(0, 0, 0, 0);
    lengthRow->addWidget(rowLabel(QStringLiteral("字数"), m_widgetNumber));
    m_length = new QButtonGroup(this);
    const QList<QPair<QString, int>> lengths{
        {QStringLiteral("不限"), 3}, {QStringLiteral("一字"), 1}, {QStringLiteral("两字"), 2}};
    const char *lengthNames[] = {"radioButton_unlimited", "radioButton_one", "radioButton_two"};
    for (int i = 0; i < lengths.size(); ++i) {
        auto *button = new QRadioButton(lengths.at(i).first, m_widgetNumber);
        button->setObjectName(lengthNames[i]);
        m_length->addButton(button, lengths.at(i).second);
        lengthRow->addWidget(button);
        lengthRow->addSpacing(8);
    }
    m_length->button(3)->setChecked(true);
    lengthRow->addStretch(1);
    column->addWidget(m_widgetNumber);

    m_model = new QStringListModel(this);
    m_list = new QListView(bg);
    m_list->setObjectName("listView");
    m_list->setAccessibleName(QStringLiteral("候选人名，点击复制"));
    m_list->setModel(m_model);
    m_delegate = new CRandomNameDelegate(m_list);
    m_list->setItemDelegate(m_delegate);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setViewMode(QListView::IconMode);
    m_list->setFlow(QListView::LeftToRight);
    m_list->setWrapping(true);
    m_list->setResizeMode(QListView::Adjust);
    m_list->setMovement(QListView::Static);
    m_list->setSpacing(10);
    m_list->setMinimumHeight(280);
    m_list->setFrameShape(QFrame::NoFrame);
    // The names sit on the panel's own background, in either theme.
    m_list->setStyleSheet(QStringLiteral("QListView#listView { background: transparent; border: none; }"));
    m_list->viewport()->setAutoFillBackground(false);
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_list->setCursor(Qt::PointingHandCursor);
    column->addWidget(m_list, 1);

    auto *tip = new QLabel(QStringLiteral("点击人名即可复制"), bg);
    tip->setObjectName("lb_hint");
    column->addWidget(tip);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    m_btnCancel = makeButton(QStringLiteral("取消"), "btnCancel", bg);
    m_btnConfirm = makeButton(QStringLiteral("随机生成"), "btnConfirm", bg);
    buttons->addWidget(m_btnCancel);
    buttons->addSpacing(12);
    buttons->addWidget(m_btnConfirm);
    column->addLayout(buttons);

    connect(m_btnClose, &QPushButton::clicked, this, &QWidget::hide);
    connect(m_btnCancel, &QPushButton::clicked, this, &QWidget::hide);
    connect(m_btnConfirm, &QPushButton::clicked, this, &Widget_RandomName::generate);
    connect(m_kind, &QButtonGroup::idClicked, this, &Widget_RandomName::onKindClicked);
    connect(m_btnName, &QPushButton::toggled, this, &Widget_RandomName::onNameHeaderToggled);
    connect(m_btnSurname, &QPushButton::clicked, this,
            [this] { setSurnameFrom(m_kind->checkedId(), 3, "All--------"); });
    connect(m_btnSingle, &QPushButton::clicked, this,
            [this] { setSurnameFrom(kKindChinese, 1, "Single--------"); });
    connect(m_btnDouble, &QPushButton::clicked, this,
            [this] { setSurnameFrom(kKindChinese, 2, "Double--------"); });

    setFixedSize(500, 660);
    updateArrow();
    generate();
    hide();
}

QStringList Widget_RandomName::names() const
{
    return m_model->stringList();
}

void Widget_RandomName::generate()
{
    const int kind = m_kind->checkedId();
    const int gender = m_man->isChecked() ? 1 : 2;
    const int length = kind == kKindChinese ? m_length->checkedId() : 3;
    QStringList out;
    CJobManager::instance()->randomNames(kind, gender, 3, length, out, kNameCount, m_lineEdit->text());
    m_model->setStringList(out);
}

void Widget_RandomName::onKindClicked(int id)
{
    const bool chinese = id == kKindChinese;
    m_widgetFamily->setVisible(chinese);
    m_widgetNumber->setVisible(chinese);
    m_btnSurname->setVisible(!chinese);
    m_lineEdit->clear();
    generate();
}

void Widget_RandomName::onNameHeaderToggled(bool checked)
{
    m_widgetName->setVisible(checked);
    updateArrow();
}

void Widget_RandomName::setSurnameFrom(int kind, int surnameChoice, const char *logTag)
{
    m_lineEdit->clear();
    QStringList out;
    CJobManager::instance()->randomSurnames(kind, surnameChoice, out, 1);
    qDebug() << logTag << out;
    m_lineEdit->setText(out.value(0));
}

void Widget_RandomName::updateArrow()
{
    const bool light = T_SessionData::instance().author.style == StyleLight;
    const QString theme = light ? QStringLiteral("light") : QStringLiteral("dark");
    const QString arrow =
        m_btnName->isChecked() ? QStringLiteral("arrow_down") : QStringLiteral("arrow_left");
    m_btnName->setIcon(QIcon(QStringLiteral(":/res/skin/%1/creation/%2.png").arg(theme, arrow)));
}

void Widget_RandomName::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::StyleChange)
        updateArrow();
}
