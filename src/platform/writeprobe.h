#pragma once

#include <QString>

// Whether a folder takes a file now, and why not.
namespace Platform {

enum class WriteFailure
{
    None,
    NoPermission,
    ReadOnlyDisk,
    DiskFull,
    NotAFolder,
    Other
};

struct WriteProbe
{
    WriteFailure failure = WriteFailure::None;
    int code = 0; // the system's error number, 0 when none
};

// Writes and removes a file of `bytes` bytes in `folder` (the space is
// taken at the write: a full disk answers there).
WriteProbe probeWrite(const QString &folder, qint64 bytes);

// Why a file or folder `path` cannot be read or opened, from the system.
WriteProbe probeRead(const QString &path);

} // namespace Platform
