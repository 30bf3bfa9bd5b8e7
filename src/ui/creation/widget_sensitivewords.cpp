#include "widget_sensitivewords.h"

#include "db/records.h"
#include "manager/cjobmanager.h"
#include "manager/cuimanager.h"
#include "widget_creation_content.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDebug>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace {

QPushButton *makeButton(const QString &text, const char *name, QWidget *parent)
{
    auto *button = new QPushButton(text, parent);
    button->setObjectName(name);
    button->setAccessibleName(text);
    button->setFixedSize(92, 30);
    button->setCursor(Qt::PointingHandCursor);
    return button;
}

} // namespace

Widget_SensitiveWords::Widget_SensitiveWords(Widget_Creation_Content *content)
    : QWidget(content), m_content(content)
{
    setObjectName("Widget_SensitiveWords");
    setAccessibleName(QStringLiteral("敏感词检测"));
    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    auto *bg = new QWidget(this);
    bg->setObjectName("CommonWidgetBg");
    bg->setAttribute(Qt::WA_StyledBackground);
    outer->addWidget(bg);

    auto *column = new QVBoxLayout(bg);
    column->setContentsMargins(24, 16, 16, 20);
    auto *titleRow = new QHBoxLayout;
    auto *title = new QLabel(QStringLiteral("敏感词检测"), bg);
    title->setObjectName("CommonWidgetTitle");
    titleRow->addWidget(title);
    titleRow->addStretch(1);
    m_close = new QPushButton(bg);
    m_close->setObjectName("btn_close_popup");
    m_close->setAccessibleName(QStringLiteral("关闭"));
    m_close->setFixedSize(16, 16);
    m_close->setCursor(Qt::PointingHandCursor);
    titleRow->addWidget(m_close, 0, Qt::AlignTop);
    column->addLayout(titleRow);
    column->addSpacing(12);

    m_pages = new QStackedWidget(bg);
    m_pages->addWidget(buildSettingsPage());
    m_pages->addWidget(buildResultPage());
    column->addWidget(m_pages, 1);

    connect(m_close, &QPushButton::clicked, this, &QWidget::hide);
    setFixedSize(440, 430);
    hide();
}

QWidget *Widget_SensitiveWords::buildSettingsPage()
{
    auto *page = new QWidget;
    auto *column = new QVBoxLayout(page);
    column->setContentsMargins(0, 0, 8, 0);
    column->setSpacing(10);
    auto *note = new QLabel(QStringLiteral("说明：可自定义添加敏感词之间“、”分隔"), page);
    note->setObjectName("lb_note");
    note->setWordWrap(true);
    column->addWidget(note);

    auto *boxes = new QHBoxLayout;
    m_regular = new QCheckBox(QStringLiteral("常规词库"), page);
    m_regular->setObjectName("checkBox_regular");
    m_custom = new QCheckBox(QStringLiteral("自定义词库"), page);
    m_custom->setObjectName("checkBox_custom");
    boxes->addWidget(m_regular);
    boxes->addSpacing(24);
    boxes->addWidget(m_custom);
    boxes->addStretch(1);
    column->addLayout(boxes);

    m_customField = new QPlainTextEdit(page);
    m_customField->setObjectName("textEdit_custom");
    m_customField->setAccessibleName(QStringLiteral("自定义敏感词"));
    m_customField->setPlaceholderText(QStringLiteral("例如：仙侠、魔头"));
    m_customField->setReadOnly(true);
    column->addWidget(m_customField, 1);

    auto *editRow = new QHBoxLayout;
    editRow->addStretch(1);
    m_edit = makeButton(QStringLiteral("编辑"), "btnCancel", page);
    m_edit->setObjectName("btnEdit");
    m_cancelEdit = makeButton(QStringLiteral("取消"), "btnCancel", page);
    m_cancelEdit->setObjectName("btnCancelEdit");
    m_save = makeButton(QStringLiteral("保存"), "btnSave", page);
    editRow->addWidget(m_edit);
    editRow->addWidget(m_cancelEdit);
    editRow->addSpacing(8);
    editRow->addWidget(m_save);
    column->addLayout(editRow);
    column->addSpacing(8);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    m_cancel = makeButton(QStringLiteral("取消"), "btnCancel", page);
    m_check = makeButton(QStringLiteral("检测"), "btnConfirm", page);
    m_check->setDefault(true);
    buttons->addWidget(m_cancel);
    buttons->addSpacing(12);
    buttons->addWidget(m_check);
    column->addLayout(buttons);

    connect(m_regular, &QCheckBox::toggled, this, &Widget_SensitiveWords::onModeToggled);
    connect(m_custom, &QCheckBox::toggled, this, &Widget_SensitiveWords::onModeToggled);
    connect(m_edit, &QPushButton::clicked, this, [this] {
        setEditing(true);
        m_customField->setFocus();
    });
    connect(m_cancelEdit, &QPushButton::clicked, this, [this] {
        m_customField->setPlainText(T_SessionData::instance().authorSensitiveWords);
        setEditing(false);
    });
    connect(m_save, &QPushButton::clicked, this, &Widget_SensitiveWords::onSave);
    connect(m_check, &QPushButton::clicked, this, &Widget_SensitiveWords::onCheck);
    connect(m_cancel, &QPushButton::clicked, this, &QWidget::hide);
    return page;
}

QWidget *Widget_SensitiveWords::buildResultPage()
{
    auto *page = new QWidget;
    auto *column = new QVBoxLayout(page);
    column->setContentsMargins(0, 0, 8, 0);
    column->setSpacing(12);
    m_result = new QLabel(page);
    m_result->setObjectName("lb_result");
    m_result->setWordWrap(true);
    m_result->setStyleSheet(QStringLiteral("QLabel#lb_result { font-size: 15px; font-weight: bold; }"));
    column->addWidget(m_result);
    column->addSpacing(4);

    m_options = new QButtonGroup(page);
    const QStringList texts{QStringLiteral("不修改敏感词，仅文字内容高亮显示"),
                            QStringLiteral("替换为汉语拼音全拼，如“仙侠”替换为“xianxia”"),
                            QStringLiteral("将敏感词替换为“*”，如“仙侠”替换为“**”"),
                            QStringLiteral("将敏感词中间加“-”显示“仙-侠”")};
    for (int i = 0; i < texts.size(); ++i) {
        auto *option = new QRadioButton(texts.at(i), page);
        option->setObjectName(QStringLiteral("radioButton_%1").arg(i + 1));
        m_options->addButton(option, i + 1);
        column->addWidget(option);
    }
    column->addStretch(1);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    m_back = makeButton(QStringLiteral("取消"), "btnCancel", page);
    m_back->setObjectName("btnBack");
    m_confirm = makeButton(QStringLiteral("确认"), "btnConfirm", page);
    buttons->addWidget(m_back);
    buttons->addSpacing(12);
    buttons->addWidget(m_confirm);
    column->addLayout(buttons);

    connect(m_back, &QPushButton::clicked, this, [this] { m_pages->setCurrentIndex(0); });
    connect(m_confirm, &QPushButton::clicked, this, &Widget_SensitiveWords::onConfirm);
    return page;
}

void Widget_SensitiveWords::showPanel()
{
    T_SessionData &session = T_SessionData::instance();
    m_options->button(1)->setChecked(true);
    const QSignalBlocker blockRegular(m_regular);
    const QSignalBlocker blockCustom(m_custom);
    m_regular->setChecked(session.user.sensitiveStatus & 1);
    m_custom->setChecked(session.user.sensitiveStatus & 2);
    m_customField->setPlainText(session.authorSensitiveWords);
    setEditing(false);
    m_pages->setCurrentIndex(0);
    show();
    raise();
}

void Widget_SensitiveWords::setEditing(bool editing)
{
    m_customField->setReadOnly(!editing);
    m_edit->setVisible(!editing);
    m_save->setVisible(editing);
    m_cancelEdit->setVisible(editing);
}

void Widget_SensitiveWords::onModeToggled()
{
    int &status = T_SessionData::instance().user.sensitiveStatus;
    status = (m_regular->isChecked() ? 1 : 0) | (m_custom->isChecked() ? 2 : 0);
}

void Widget_SensitiveWords::onSave()
{
    const QString words = m_customField->toPlainText();
    if (!CJobManager::instance()->sensitiveEditCustom(words)) {
        CUiManager::instance()->showTips(QStringLiteral("自定义敏感词未能保存，请稍后重试"), 0);
        return;
    }
    setEditing(false);
}

void Widget_SensitiveWords::onCheck()
{
    T_SessionData &session = T_SessionData::instance();
    SensitiveWordMatcher &matcher = session.sensitiveMatcher;
    matcher.sync(session.publicSensitiveWords, session.authorSensitiveWords);
    const int count = matcher.check(m_content->currentText(), session.user.sensitiveStatus);
    qDebug() << "Sensitive Count:" << count;
    m_result->setText(count > 0 ? tr("In this test, a total of %1 sensitive word was found!").arg(count)
                                : tr("No sensitive words were found in this test!"));
    m_options->button(1)->setChecked(true);
    m_pages->setCurrentIndex(1);
}

void Widget_SensitiveWords::onConfirm()
{
    m_content->applySensitiveAction(m_options->checkedId());
    m_pages->setCurrentIndex(0);
}
