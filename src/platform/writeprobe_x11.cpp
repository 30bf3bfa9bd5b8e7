#include "writeprobe.h"

#include <QByteArray>
#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Platform {

namespace {

WriteProbe fromErrno(int code)
{
    WriteProbe probe;
    probe.code = code;
    switch (code) {
    case 0:
        probe.failure = WriteFailure::None;
        break;
    case EACCES:
    case EPERM:
        probe.failure = WriteFailure::NoPermission;
        break;
    case EROFS:
        probe.failure = WriteFailure::ReadOnlyDisk;
        break;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        probe.failure = WriteFailure::DiskFull;
        break;
    case ENOTDIR:
    case EISDIR:
        probe.failure = WriteFailure::NotAFolder;
        break;
    default:
        probe.failure = WriteFailure::Other;
        break;
    }
    return probe;
}

} // namespace

WriteProbe probeWrite(const QString &folder, qint64 bytes)
{
    const QByteArray path = QFile::encodeName(folder + QStringLiteral("/.write-probe-%1").arg(getpid()));
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0)
        return fromErrno(errno);
    const QByteArray block(4096, '\0');
    int code = 0;
    for (qint64 left = bytes; left > 0 && code == 0;) {
        const ssize_t written = ::write(fd, block.constData(), size_t(qMin<qint64>(left, block.size())));
        if (written < 0) {
            if (errno != EINTR)
                code = errno;
        } else {
            left -= written;
        }
    }
    ::close(fd);
    ::unlink(path.constData());
    return fromErrno(code);
}

WriteProbe probeRead(const QString &path)
{
    const QByteArray name = QFile::encodeName(path);
    struct stat info;
    if (::stat(name.constData(), &info) != 0)
        return fromErrno(errno);
    if (S_ISDIR(info.st_mode))
        return fromErrno(EISDIR);
    const int fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return fromErrno(errno);
    char byte = 0;
    const ssize_t got = ::read(fd, &byte, 1);
    const int code = got < 0 ? errno : 0;
    ::close(fd);
    return fromErrno(code);
}

} // namespace Platform
