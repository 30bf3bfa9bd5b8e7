#pragma once

#include <QString>
#include <QStringList>

// The SQL script that makes the local store: used by the build to lay the
// shipped file and by the program to make it again when it is missing.
namespace SchemaScript {

// The schema version this program reads and writes ("PRAGMA user_version").
// A file of a higher version was written by a newer program.
constexpr int kVersion = 1;

// The statements of `sql`, comments dropped; a ';' inside quotes is kept.
QStringList statements(const QString &sql);

// Builds a fresh database at `target` (which must not exist) from `sql`.
// On failure `error` holds SQLite's text and the file is removed.
bool build(const QString &sql, const QString &target, QString *error);

} // namespace SchemaScript
