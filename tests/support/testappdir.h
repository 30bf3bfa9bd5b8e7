#pragma once

#include <QString>
#include <QTemporaryDir>

// A fresh application folder for one test: data/db/wrt.db copied from the
// generated empty database, data/config/setting.ini, the empty image
// folders. While it lives, the program's paths point into it.
class TestAppDir
{
public:
    TestAppDir();
    ~TestAppDir();
    TestAppDir(const TestAppDir &) = delete;
    TestAppDir &operator=(const TestAppDir &) = delete;

    bool isValid() const { return m_valid; }
    QString path() const { return m_dir.path(); }
    QString dbFile() const;
    QString settingsFile() const;

    // Copies what the build laid into data/cover and data/h5 (the system
    // covers, the statistics page and its chart library).
    bool layBuiltData() const;

    // Writes `text` as the whole settings file.
    void writeSettings(const QByteArray &text) const;

private:
    QTemporaryDir m_dir;
    bool m_valid = false;
};
