#pragma once

// A disk that fails on demand, for SQLite: a file system layer put in front
// of the system's, made the default for every connection opened after
// install(). While failWrites is set, every write and flush of a database,
// journal or log file answers with an I/O error, as a dying disk does.
namespace FaultyVfs {

bool install();
void uninstall();
void setFailWrites(bool fail);

} // namespace FaultyVfs
