#include "dpiadapter.h"

#include "apppaths.h"
#include "platform/systemscale.h"

#include <QCoreApplication>
#include <QDebug>
#include <QGuiApplication>
#include <QScreen>
#include <QSettings>
#include <cmath>

namespace {

const double kMinLogicalHeight = 830.0;
const QSize kShadowMargin(28, 28);

// The stored scale, or 0 when it is missing or not a positive number.
double storedScale(QSettings &settings)
{
    if (!settings.childKeys().contains("dpiScale"))
        return 0.0;
    bool ok = false;
    const double s = settings.value("dpiScale").toDouble(&ok);
    return (ok && s > 0.0) ? s : 0.0;
}

bool g_factorSetByUs = false;

} // namespace

DPIAdapter::DPIAdapter(QObject *parent) : QObject(parent)
{
    const QSize large(1180, 664), medium(1062, 598), small(994, 530);
    for (const char *key : {"1920_1080", "1680_1050", "1280_1024", "1280_960"})
        m_resolutions.insert(key, large);
    for (const char *key : {"1600_900", "1440_900", "1440_1050"})
        m_resolutions.insert(key, medium);
    for (const char *key : {"1366_768", "1360_768", "1280_800", "1280_768", "1152_864", "1024_768"})
        m_resolutions.insert(key, small);
    m_resolutions.insert("1280_720", QSize(885, 498));
    m_resolutions.insert("1280_600", QSize(767, 432));
}

DPIAdapter *DPIAdapter::instance()
{
    static DPIAdapter *adapter = new DPIAdapter;
    return adapter;
}

double DPIAdapter::repairFactor(int h, double s)
{
    if (h / 2.25 > kMinLogicalHeight)
        return 2.25;
    if (h >= 1662)
        return 2.0;
    if (h / 1.75 > kMinLogicalHeight)
        return 1.75;
    if (h / 1.5 > kMinLogicalHeight)
        return 1.5;
    if (h / 1.25 > kMinLogicalHeight)
        return 1.25;
    if (h > kMinLogicalHeight)
        return 1.0;
    return s;
}

QString DPIAdapter::formatFactor(double factor)
{
    return QString::number(factor, 'g', 6);
}

DPIAdapter::ScaleChoice DPIAdapter::chooseScale(const QString &settingsFile)
{
    ScaleChoice choice;
    QSettings settings(settingsFile, QSettings::IniFormat);
    settings.beginGroup("system");
    const double s = storedScale(settings);
    if (s <= 0.0)
        return choice;
    const int h = settings.value("rheight").toInt();
    if (h / s >= kMinLogicalHeight) {
        qDebug() << "default scale:" << s << h / s;
        choice.kind = ScaleChoice::AutoHighDpi;
        return choice;
    }
    choice.kind = ScaleChoice::Factor;
    choice.factor = repairFactor(h, s);
    qDebug() << "repair scale:" << choice.factor << "height:" << h / choice.factor;
    return choice;
}

void DPIAdapter::initApp(const char *programPath)
{
    const QString dir = AppPaths::appDirBeforeApplication(programPath);
    const ScaleChoice choice = chooseScale(dir + "/data/config/setting.ini");
    // A factor left by an earlier pass must not outlive a new choice.
    if (g_factorSetByUs && choice.kind != ScaleChoice::Factor) {
        qunsetenv("QT_SCALE_FACTOR");
        g_factorSetByUs = false;
    }
    switch (choice.kind) {
    case ScaleChoice::None:
        break;
    case ScaleChoice::AutoHighDpi:
        QCoreApplication::setAttribute(Qt::AA_EnableHighDpiScaling);
        break;
    case ScaleChoice::Factor:
        qputenv("QT_SCALE_FACTOR", formatFactor(choice.factor).toLatin1());
        g_factorSetByUs = true;
        break;
    }
}

bool DPIAdapter::checkDpiWith(const QString &settingsFile, double system, const QSize &physical)
{
    QSettings settings(settingsFile, QSettings::IniFormat);
    settings.beginGroup("system");
    double stored = storedScale(settings);
    if (stored <= 0.0)
        stored = 1.0;
    qDebug() << "checkDpi--------" << system << stored << system * 96.0;
    if (!(system > 1.0) || qFuzzyCompare(system, stored))
        return false;
    if (settings.value("rwidth", 0).toInt() != physical.width()) {
        settings.setValue("rwidth", physical.width());
        settings.setValue("rheight", physical.height());
    }
    settings.setValue("dpiScale", system);
    settings.endGroup();
    settings.sync();
    // A file that cannot be written would restart the program forever.
    if (settings.status() != QSettings::NoError) {
        qWarning() << "checkDpi: cannot write" << settingsFile << "; keeping the current scale";
        return false;
    }
    return true;
}

bool DPIAdapter::checkDpi()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    QSize physical;
    if (screen) {
        const qreal ratio = screen->devicePixelRatio();
        physical = QSize(int(std::lround(screen->size().width() * ratio)),
                         int(std::lround(screen->size().height() * ratio)));
    }
    return checkDpiWith(AppPaths::settingsFile(), Platform::systemScale(), physical);
}

QSize DPIAdapter::windowSizeFor(const QSize &logical) const
{
    const QString key = QString("%1_%2").arg(logical.width()).arg(logical.height());
    return m_resolutions.value(key, QSize(1180, 664)) + kShadowMargin;
}

QSize DPIAdapter::defaultWindowSize() const
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    return windowSizeFor(screen ? screen->size() : QSize());
}
