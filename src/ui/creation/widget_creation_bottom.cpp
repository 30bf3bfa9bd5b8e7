#include "widget_creation_bottom.h"

#include "db/records.h"
#include "remote/chttputil.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

namespace {

constexpr int kSpeedWindow = 20;
constexpr int kFloatWidth = 200;
constexpr int kFloatHeight = 24;
constexpr int kFloatRight = 40;
constexpr int kFloatTop = 60;
constexpr int kFloatGap = 12;

const QString kDateTimeFormat = QStringLiteral("yyyy-MM-dd hh:mm:ss");

} // namespace

Widget_Creation_Bottom::Widget_Creation_Bottom(QWidget *parent)
    : QWidget(parent), m_clock([] { return QDateTime::currentDateTime(); })
{
    setObjectName("Widget_Creation_Bottom");
    setAttribute(Qt::WA_StyledBackground);
    setFixedHeight(36);
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(16, 0, 16, 0);
    row->setSpacing(16);

    auto *indicators = new QHBoxLayout;
    indicators->setSpacing(4);
    row->addLayout(indicators);
    auto indicator = [this, indicators](const char *name, const QString &tip) {
        auto *button = new QPushButton(this);
        button->setObjectName(name);
        button->setCheckable(true);
        button->setChecked(true);
        button->setFocusPolicy(Qt::TabFocus); // reached by Tab, never taken by a click
        button->setAttribute(Qt::WA_TransparentForMouseEvents);
        button->setFixedSize(18, 18);
        button->setToolTip(tip);
        indicators->addWidget(button);
        return button;
    };
    m_write = indicator("btn_write", tr("Typing"));
    m_free = indicator("btn_free", tr("Idle"));

    m_wordCount = addLabel("lb_wordCount", 96);
    m_speed = addLabel("lb_speed", 136);
    m_writeTime = addLabel("lb_writeTime", 120);
    m_freeTime = addLabel("lb_freeTime", 120);
    m_money = addLabel("lb_money", 110);
    m_setMoney = new QPushButton(QStringLiteral("稿费设置"), this);
    m_setMoney->setObjectName("btn_setMoney");
    m_setMoney->setCursor(Qt::PointingHandCursor);
    m_setMoney->setFocusPolicy(Qt::TabFocus); // reached by Tab, never taken by a click
    row->addWidget(m_setMoney);
    row->addStretch(1);
    m_dateTime = addLabel("lb_dateTime", 140);
    m_dateTime->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    connect(m_setMoney, &QPushButton::clicked, this, &Widget_Creation_Bottom::on_btn_setMoney_clicked);

    updateStatus(false);
    m_write->setChecked(true);
    m_free->setChecked(true);
}

QLabel *Widget_Creation_Bottom::addLabel(const char *name, int minWidth)
{
    auto *label = new QLabel(this);
    label->setObjectName(name);
    label->setMinimumWidth(minWidth);
    layout()->addWidget(label);
    return label;
}

void Widget_Creation_Bottom::setClock(Clock clock)
{
    m_clock = std::move(clock);
}

QString Widget_Creation_Bottom::speedText(const T_WritingSession &session)
{
    if (session.speed < 1)
        return QStringLiteral("计算速度中:%1秒").arg(kSpeedWindow - session.windowTicks);
    return QStringLiteral("输入速度: %1字/时").arg(session.speed);
}

QString Widget_Creation_Bottom::durationText(qint64 seconds)
{
    return HttpUtil::durationText(seconds);
}

QString Widget_Creation_Bottom::moneyText(int words, double ratePerThousand)
{
    // The 0.005 is single precision on purpose: a little under half a fen,
    // so that an exact 1.00 stays 1.00 while 43.2075 shows 43.20.
    constexpr float kHalfFen = 0.005f;
    double amount = words * ratePerThousand / 1000.0;
    if (amount >= kHalfFen)
        amount -= kHalfFen;
    return QString::asprintf("%.2f", amount);
}

void Widget_Creation_Bottom::updateStatus(bool typing)
{
    const T_SessionData &session = T_SessionData::instance();
    const T_WritingSession &writing = session.writingSession;
    const QString speed = speedText(writing);
    const QString now = m_clock().toString(kDateTimeFormat);
    m_wordCount->setText(QStringLiteral("本章字数: %1").arg(writing.currentWordCount));
    m_speed->setText(speed);
    m_writeTime->setText(QStringLiteral("输入时间 %1").arg(durationText(writing.writeSeconds)));
    m_freeTime->setText(QStringLiteral("偷闲时间 %1").arg(durationText(writing.freeSeconds)));
    m_money->setText(
        QStringLiteral("本章稿费: %1元").arg(moneyText(writing.currentWordCount, session.money)));
    m_dateTime->setText(now);
    m_write->setChecked(!typing);
    m_free->setChecked(typing);
    if (m_floatClock)
        m_floatClock->setText(now);
    if (m_floatSpeed)
        m_floatSpeed->setText(speed);
}

void Widget_Creation_Bottom::on_btn_setMoney_clicked()
{
    emit sig_openSetMoneyDlg();
}

void Widget_Creation_Bottom::attachFloatingLabels(QWidget *area)
{
    if (m_floatArea)
        m_floatArea->removeEventFilter(this);
    delete m_floatClock;
    delete m_floatSpeed;
    m_floatArea = area;
    if (!area)
        return;
    auto make = [area] {
        auto *label = new QLabel(area);
        label->setObjectName("labelStatus");
        label->setFixedSize(kFloatWidth, kFloatHeight);
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        label->setAttribute(Qt::WA_TransparentForMouseEvents);
        label->hide();
        return label;
    };
    m_floatClock = make();
    m_floatSpeed = make();
    area->installEventFilter(this);
    placeFloatingLabels();
    setFullScreen(m_fullScreen);
}

void Widget_Creation_Bottom::setFullScreen(bool on)
{
    m_fullScreen = on;
    setVisible(!on);
    for (QLabel *label : {m_floatClock.data(), m_floatSpeed.data()}) {
        if (!label)
            continue;
        label->setVisible(on);
        if (on)
            label->raise();
    }
    placeFloatingLabels();
}

void Widget_Creation_Bottom::placeFloatingLabels()
{
    if (!m_floatArea || !m_floatClock || !m_floatSpeed)
        return;
    const int x = m_floatArea->width() - kFloatRight - kFloatWidth;
    m_floatClock->move(x, kFloatTop);
    m_floatSpeed->move(x, kFloatTop + kFloatHeight + kFloatGap);
}

bool Widget_Creation_Bottom::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_floatArea && event->type() == QEvent::Resize)
        placeFloatingLabels();
    return QWidget::eventFilter(watched, event);
}
