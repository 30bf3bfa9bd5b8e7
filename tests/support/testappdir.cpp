#include "testappdir.h"

#include "apppaths.h"

#include <QDir>
#include <QFile>

TestAppDir::TestAppDir()
{
    if (!m_dir.isValid())
        return;
    QDir root(m_dir.path());
    for (const char *sub :
         {"data/db", "data/config", "data/img", "data/banner", "data/bookImg", "data/cover", "data/h5"})
        root.mkpath(sub);
    m_valid = QFile::copy(QStringLiteral(QUORVIN_FRESH_DB), dbFile());
    QFile::setPermissions(dbFile(), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    // A closed loopback port until a test names its server: no test ever
    // reaches for the built-in address beyond this machine.
    writeSettings("[system]\n[server]\nbaseUrl=http://127.0.0.1:9\n");
    AppPaths::setAppDirOverride(m_dir.path());
}

TestAppDir::~TestAppDir()
{
    AppPaths::setAppDirOverride(QString());
}

QString TestAppDir::dbFile() const
{
    return m_dir.path() + "/data/db/wrt.db";
}

QString TestAppDir::settingsFile() const
{
    return m_dir.path() + "/data/config/setting.ini";
}

void TestAppDir::writeSettings(const QByteArray &text) const
{
    QFile file(settingsFile());
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(text);
}

bool TestAppDir::layBuiltData() const
{
    bool ok = true;
    for (const char *sub : {"cover", "h5"}) {
        const QDir from(QStringLiteral(QUORVIN_DATA_OUT "/") + QLatin1String(sub));
        const QString to = m_dir.path() + QStringLiteral("/data/") + QLatin1String(sub) + QLatin1Char('/');
        const QStringList files = from.entryList(QDir::Files);
        ok = ok && !files.isEmpty();
        for (const QString &name : files) {
            QFile::remove(to + name);
            ok = QFile::copy(from.filePath(name), to + name) && ok;
        }
    }
    return ok;
}
