#pragma once

#include <QMap>
#include <QObject>
#include <QSize>
#include <QString>

// Chooses the display scale before the application object exists, notices a
// changed system scale (which restarts the application object), and gives
// the main window its size for the current screen.
class DPIAdapter : public QObject
{
    Q_OBJECT
public:
    // What initApp does for a settings file.
    struct ScaleChoice
    {
        enum Kind
        {
            None,        // no stored scale: the toolkit's default behaviour
            AutoHighDpi, // large enough: the toolkit scales by itself
            Factor,      // a fixed QT_SCALE_FACTOR
        };
        Kind kind = None;
        double factor = 0.0;
    };

    static DPIAdapter *instance();

    // Applies the stored scale; runs before the application object exists.
    static void initApp(const char *programPath);
    // True when the system scale changed and the application must restart.
    static bool checkDpi();

    // The pieces of the two above, for a given settings file.
    static ScaleChoice chooseScale(const QString &settingsFile);
    static double repairFactor(int physicalHeight, double storedScale);
    static QString formatFactor(double factor);
    static bool checkDpiWith(const QString &settingsFile, double systemScale, const QSize &physicalSize);

    QSize defaultWindowSize() const;
    QSize windowSizeFor(const QSize &logicalScreenSize) const;

private:
    explicit DPIAdapter(QObject *parent = nullptr);

    QMap<QString, QSize> m_resolutions;
};
