#include "cqssmanager.h"

#include "ui/placeholdercolour.h"

#include <QApplication>
#include <QDebug>
#include <QFile>
#include <QGraphicsDropShadowEffect>
#include <QImage>
#include <QWidget>

CQssManager::CQssManager(QObject *parent) : QObject(parent) {}

CQssManager *CQssManager::instance()
{
    static CQssManager *manager = new CQssManager;
    return manager;
}

void CQssManager::setQssStyle(StyleType type, const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        qWarning() << "can not open file : " + path;
        return;
    }
    QByteArray bytes = file.readAll();
    const int zero = bytes.indexOf('\0');
    if (zero >= 0)
        bytes.truncate(zero);
    file.close();
    m_styles.insert(type, QString::fromLatin1(bytes));
}

void CQssManager::setStyle(int type)
{
    if (m_styles.isEmpty() || type == m_currentStyle)
        return;
    const auto it = m_styles.constFind(StyleType(type));
    if (it == m_styles.constEnd())
        return;
    m_currentStyle = type;
    PlaceholderColour::install();
    qApp->setStyleSheet(it.value());
}

void CQssManager::setButtonStyle(QWidget *widget, const QString &imagePath, int states, int scale)
{
    const QImage image(imagePath);
    if (!widget || image.isNull())
        return;
    if (states < 1 || states > 4)
        states = 4;
    if (scale < 1)
        scale = 1;
    const int s = image.width() / states;
    const int h = image.height();
    if (s < 1 || h < 1)
        return;
    widget->setFixedSize(s / scale, h / scale);

    const QString selector = QString::fromLatin1(widget->metaObject()->className());
    const int w = image.width();
    auto slice = [&](const char *pattern, int i) {
        return QString::fromLatin1(pattern).arg(selector, imagePath, QString::number(w - (i + 1) * s),
                                                QString::number(i * s));
    };
    QString qss = QString("%1 { min-width: %2px; max-width: %2px; min-height: %3px; max-height: %3px; }")
                      .arg(selector, QString::number(s / scale), QString::number(h / scale));
    qss += slice("%1 {border-image: url(%2) 0 %3 0 %4} \n", 0);
    if (states >= 2)
        qss += slice("%1:hover, %1:checked:hover {border-image: url(%2) 0 %3 0 %4} \n", 1);
    if (states >= 3)
        qss += slice("%1:pressed, %1:checked:pressed, %1:checked {border-image: url(%2) 0 %3 0 %4} \n", 2);
    if (states == 4)
        qss += slice("%1:disabled {border-image: url(%2) 0 %3 0 %4} \n", 3);
    widget->setStyleSheet(qss);
}

void CQssManager::setShadow(QWidget *widget)
{
    if (!widget)
        return;
    auto *shadow = new QGraphicsDropShadowEffect(widget);
    shadow->setOffset(0, 0);
    shadow->setColor(QColor(0, 0, 0, 60));
    shadow->setBlurRadius(20);
    widget->setGraphicsEffect(shadow);
}
