#include "ztmessagebox.h"

#include "framelesshelper.h"

#include <QCloseEvent>
#include <QGraphicsDropShadowEffect>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QString iconPath(int type)
{
    switch (type) {
    case 1:
    case 4:
        return QStringLiteral(":/img/icon_info");
    case 2:
        return QStringLiteral(":/img/icon_warning");
    case 3:
        return QStringLiteral(":/img/icon_error");
    default:
        return QString();
    }
}

void giveShadow(QWidget *widget)
{
    auto *shadow = new QGraphicsDropShadowEffect(widget);
    shadow->setOffset(0, 0);
    shadow->setColor(QColor(0, 0, 0, 42));
    shadow->setBlurRadius(20);
    widget->setGraphicsEffect(shadow);
}

} // namespace

ZtMessageBox::ZtMessageBox(int type, const QString &title, const QString &text, QWidget *parent)
    : QDialog(parent)
{
    setObjectName("ZtMessageBox");
    const bool translucent = FramelessHelper::prepareWindow(this);
    setWindowFlags(windowFlags() | Qt::Tool);
    m_frameless = new FramelessHelper(this);
    m_frameless->activateOn(this);
    m_frameless->setWidgetMovable(true);
    m_frameless->setWidgetResizable(false);

    auto *outer = new QVBoxLayout(this);
    const int margin = translucent ? 20 : 0;
    outer->setContentsMargins(margin, margin, margin, margin);
    auto *bg = new QWidget(this);
    bg->setObjectName("CommonWidgetBg");
    bg->setAttribute(Qt::WA_StyledBackground);
    if (translucent)
        giveShadow(bg);
    outer->addWidget(bg);

    auto *column = new QVBoxLayout(bg);
    column->setContentsMargins(24, 16, 16, 24);
    column->setSpacing(16);

    auto *titleRow = new QHBoxLayout;
    titleRow->setSpacing(8);
    m_icon = new QLabel(bg);
    m_icon->setObjectName("ZtMessageBox_Icon");
    m_icon->setFixedSize(24, 24);
    m_icon->setScaledContents(true);
    const QString path = iconPath(type);
    if (!path.isEmpty())
        m_icon->setPixmap(QPixmap(path));
    m_icon->setVisible(!m_icon->pixmap(Qt::ReturnByValue).isNull());
    m_title = new QLabel(title, bg);
    m_title->setObjectName("CommonWidgetTitle");
    auto *close = new QPushButton(bg);
    close->setObjectName("btn_close_popup");
    close->setToolTip(tr("Close"));
    close->setFixedSize(16, 16);
    close->setCursor(Qt::PointingHandCursor);
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    titleRow->addWidget(m_icon);
    titleRow->addWidget(m_title, 1);
    titleRow->addWidget(close, 0, Qt::AlignTop);
    column->addLayout(titleRow);

    m_text = new QLabel(text, bg);
    m_text->setObjectName("ZtMessageBox_Text");
    m_text->setWordWrap(true);
    m_text->setMinimumWidth(300);
    m_text->setContentsMargins(32, 0, 8, 0);
    column->addWidget(m_text);

    m_buttonRow = new QHBoxLayout;
    m_buttonRow->setSpacing(16);
    m_buttonRow->addStretch(1);
    column->addSpacing(8);
    column->addLayout(m_buttonRow);
    setWindowTitle(title);
}

QString ZtMessageBox::standardText(ZtStandardButton button)
{
    switch (button) {
    case Ok:
        return tr("OK");
    case Save:
        return tr("Save");
    case SaveAll:
        return tr("Save All");
    case Open:
        return tr("Open");
    case Yes:
        return tr("Yes");
    case YesToAll:
        return tr("Yes to All");
    case No:
        return tr("No");
    case NoToAll:
        return tr("No to All");
    case Abort:
        return tr("Abort");
    case Retry:
        return tr("Retry");
    case Ignore:
        return tr("Ignore");
    case Close:
        return tr("Close");
    case Cancel:
        return tr("Cancel");
    case Discard:
        return tr("Discard");
    case Help:
        return tr("Help");
    case Apply:
        return tr("Apply");
    case Reset:
        return tr("Reset");
    case RestoreDefaults:
        return tr("Restore Defaults");
    default:
        return QString();
    }
}

QPushButton *ZtMessageBox::appendButton(const QString &caption)
{
    auto *button = new QPushButton(caption, this);
    button->setCursor(Qt::PointingHandCursor);
    button->setFixedSize(92, 30);
    const bool negative = caption == tr("No") || caption == tr("Cancel") || caption == tr("Discard");
    button->setObjectName(negative ? "btnCancel" : "btnConfirm");
    button->setAutoDefault(false);
    connect(button, &QPushButton::clicked, this, &ZtMessageBox::onButtonClicked);
    m_buttons.append(button);
    m_buttonRow->addWidget(button);
    return button;
}

QPushButton *ZtMessageBox::addButton(ZtStandardButton button)
{
    const QString caption = standardText(button);
    if (caption.isEmpty())
        return nullptr;
    QPushButton *pushButton = appendButton(caption);
    m_standard.insert(pushButton, button);
    return pushButton;
}

QPushButton *ZtMessageBox::addButton(const QString &text)
{
    return appendButton(text);
}

void ZtMessageBox::setDefaultButton(QPushButton *button)
{
    if (!button || !m_buttons.contains(button))
        return;
    for (QPushButton *b : qAsConst(m_buttons))
        b->setDefault(b == button);
    button->setFocus();
}

void ZtMessageBox::onButtonClicked()
{
    auto *button = qobject_cast<QPushButton *>(sender());
    if (m_standard.contains(button))
        done(m_standard.value(button));
    else if (m_buttons.contains(button))
        done(m_buttons.indexOf(button));
    else
        done(-1);
}

void ZtMessageBox::reject()
{
    done(-1);
}

void ZtMessageBox::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        done(Escape);
        return;
    }
    QDialog::keyPressEvent(event);
}

void ZtMessageBox::closeEvent(QCloseEvent *event)
{
    event->accept();
    if (isVisible())
        done(Escape);
}

int ZtMessageBox::question(QWidget *parent, const QString &title, const QString &text,
                           ZtStandardButtons buttons, ZtStandardButton defaultButton)
{
    return standard(1, parent, title, text, buttons, defaultButton);
}

int ZtMessageBox::warning(QWidget *parent, const QString &title, const QString &text,
                          ZtStandardButtons buttons, ZtStandardButton defaultButton)
{
    return standard(2, parent, title, text, buttons, defaultButton);
}

int ZtMessageBox::critical(QWidget *parent, const QString &title, const QString &text,
                           ZtStandardButtons buttons, ZtStandardButton defaultButton)
{
    return standard(3, parent, title, text, buttons, defaultButton);
}

int ZtMessageBox::standard(int type, QWidget *parent, const QString &title, const QString &text,
                           ZtStandardButtons buttons, ZtStandardButton defaultButton)
{
    ZtMessageBox box(type, title, text, parent);
    for (uint value = FirstButton; value < 0x8000001u; value <<= 1) {
        if (!(buttons & ZtStandardButton(value)))
            continue;
        QPushButton *button = box.addButton(ZtStandardButton(value));
        if (value == uint(defaultButton))
            box.setDefaultButton(button);
    }
    return box.exec();
}

int ZtMessageBox::question(QWidget *parent, const QString &title, const QString &text,
                           const QString &button0Text, const QString &button1Text, int defaultButtonNumber)
{
    ZtMessageBox box(1, title, text, parent);
    box.addButton(button0Text);
    box.addButton(button1Text);
    box.setDefaultButton(box.buttons().value(defaultButtonNumber));
    return box.exec();
}
