#include "apptranslations.h"

#include <QCoreApplication>
#include <QDebug>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace {

bool install(QCoreApplication *app, const QString &name, const QString &dir)
{
    auto *translator = new QTranslator(app);
    if (!translator->load(QLocale(QLocale::Chinese, QLocale::China), name, QStringLiteral("_"), dir)) {
        qWarning() << "translation not found:" << name << "in" << dir;
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}

} // namespace

bool installAppTranslations(QCoreApplication *app)
{
    const QString qtDir = QLibraryInfo::location(QLibraryInfo::TranslationsPath);
    // "qt" pulls in the module catalogues (base, multimedia, ...) it lists.
    if (!install(app, QStringLiteral("qt"), qtDir))
        install(app, QStringLiteral("qtbase"), qtDir);
    auto *own = new QTranslator(app);
    if (!own->load(QStringLiteral(":/res/client.qm"))) {
        qWarning() << "translation not found: :/res/client.qm";
        delete own;
        return false;
    }
    // Installed last, so the program's own texts win.
    return QCoreApplication::installTranslator(own);
}
