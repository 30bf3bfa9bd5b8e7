// quorvin-settings FILE GROUP KEY VALUE: writes one value into an INI file.
#include <QCoreApplication>
#include <QSettings>
#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 5) {
        std::fprintf(stderr, "usage: quorvin-settings FILE GROUP KEY VALUE\n");
        return 2;
    }
    QSettings settings(args[1], QSettings::IniFormat);
    settings.beginGroup(args[2]);
    settings.setValue(args[3], args[4]);
    settings.endGroup();
    settings.sync();
    return settings.status() == QSettings::NoError ? 0 : 1;
}
