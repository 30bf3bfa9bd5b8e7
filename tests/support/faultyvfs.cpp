#include "faultyvfs.h"

#include <atomic>
#include <cstring>
#include <sqlite3.h>

namespace {

std::atomic<bool> failWrites{false};
sqlite3_vfs *real = nullptr;
sqlite3_vfs faulty;
bool installed = false;

// Each file keeps the system's file behind it and passes every call on,
// but writes, flushes and growth while the disk fails.
struct FaultyFile
{
    sqlite3_file base;
    sqlite3_file *real;
};

sqlite3_io_methods methods;

sqlite3_file *realOf(sqlite3_file *file)
{
    return reinterpret_cast<FaultyFile *>(file)->real;
}

int xClose(sqlite3_file *file)
{
    sqlite3_file *inner = realOf(file);
    const int rc = inner->pMethods ? inner->pMethods->xClose(inner) : SQLITE_OK;
    sqlite3_free(inner);
    return rc;
}

int xRead(sqlite3_file *f, void *buffer, int amount, sqlite3_int64 offset)
{
    return realOf(f)->pMethods->xRead(realOf(f), buffer, amount, offset);
}

int xWrite(sqlite3_file *f, const void *buffer, int amount, sqlite3_int64 offset)
{
    if (failWrites)
        return SQLITE_IOERR_WRITE;
    return realOf(f)->pMethods->xWrite(realOf(f), buffer, amount, offset);
}

int xTruncate(sqlite3_file *f, sqlite3_int64 size)
{
    if (failWrites)
        return SQLITE_IOERR_TRUNCATE;
    return realOf(f)->pMethods->xTruncate(realOf(f), size);
}

int xSync(sqlite3_file *f, int flags)
{
    if (failWrites)
        return SQLITE_IOERR_FSYNC;
    return realOf(f)->pMethods->xSync(realOf(f), flags);
}

int xFileSize(sqlite3_file *f, sqlite3_int64 *size)
{
    return realOf(f)->pMethods->xFileSize(realOf(f), size);
}
int xLock(sqlite3_file *f, int lock)
{
    return realOf(f)->pMethods->xLock(realOf(f), lock);
}
int xUnlock(sqlite3_file *f, int lock)
{
    return realOf(f)->pMethods->xUnlock(realOf(f), lock);
}
int xCheckReservedLock(sqlite3_file *f, int *out)
{
    return realOf(f)->pMethods->xCheckReservedLock(realOf(f), out);
}
int xFileControl(sqlite3_file *f, int op, void *arg)
{
    return realOf(f)->pMethods->xFileControl(realOf(f), op, arg);
}
int xSectorSize(sqlite3_file *f)
{
    return realOf(f)->pMethods->xSectorSize(realOf(f));
}
int xDeviceCharacteristics(sqlite3_file *f)
{
    return realOf(f)->pMethods->xDeviceCharacteristics(realOf(f));
}
int xShmMap(sqlite3_file *f, int page, int size, int extend, void volatile **out)
{
    return realOf(f)->pMethods->xShmMap(realOf(f), page, size, extend, out);
}
int xShmLock(sqlite3_file *f, int offset, int n, int flags)
{
    return realOf(f)->pMethods->xShmLock(realOf(f), offset, n, flags);
}
void xShmBarrier(sqlite3_file *f)
{
    realOf(f)->pMethods->xShmBarrier(realOf(f));
}
int xShmUnmap(sqlite3_file *f, int deleteFlag)
{
    return realOf(f)->pMethods->xShmUnmap(realOf(f), deleteFlag);
}
int xFetch(sqlite3_file *f, sqlite3_int64 offset, int amount, void **out)
{
    return realOf(f)->pMethods->xFetch(realOf(f), offset, amount, out);
}
int xUnfetch(sqlite3_file *f, sqlite3_int64 offset, void *page)
{
    return realOf(f)->pMethods->xUnfetch(realOf(f), offset, page);
}

int xOpen(sqlite3_vfs *, const char *name, sqlite3_file *file, int flags, int *outFlags)
{
    auto *wrapper = reinterpret_cast<FaultyFile *>(file);
    wrapper->base.pMethods = nullptr;
    wrapper->real = static_cast<sqlite3_file *>(sqlite3_malloc(real->szOsFile));
    if (!wrapper->real)
        return SQLITE_NOMEM;
    std::memset(wrapper->real, 0, size_t(real->szOsFile));
    const int rc = real->xOpen(real, name, wrapper->real, flags, outFlags);
    if (rc != SQLITE_OK || !wrapper->real->pMethods) {
        sqlite3_free(wrapper->real);
        wrapper->real = nullptr;
        return rc;
    }
    methods = *wrapper->real->pMethods;
    methods.xClose = xClose;
    methods.xRead = xRead;
    methods.xWrite = xWrite;
    methods.xTruncate = xTruncate;
    methods.xSync = xSync;
    methods.xFileSize = xFileSize;
    methods.xLock = xLock;
    methods.xUnlock = xUnlock;
    methods.xCheckReservedLock = xCheckReservedLock;
    methods.xFileControl = xFileControl;
    methods.xSectorSize = xSectorSize;
    methods.xDeviceCharacteristics = xDeviceCharacteristics;
    if (methods.iVersion >= 2) {
        methods.xShmMap = xShmMap;
        methods.xShmLock = xShmLock;
        methods.xShmBarrier = xShmBarrier;
        methods.xShmUnmap = xShmUnmap;
    }
    if (methods.iVersion >= 3) {
        methods.xFetch = xFetch;
        methods.xUnfetch = xUnfetch;
    }
    wrapper->base.pMethods = &methods;
    return SQLITE_OK;
}

int xDelete(sqlite3_vfs *, const char *name, int syncDir)
{
    return real->xDelete(real, name, syncDir);
}
int xAccess(sqlite3_vfs *, const char *name, int flags, int *out)
{
    return real->xAccess(real, name, flags, out);
}
int xFullPathname(sqlite3_vfs *, const char *name, int size, char *out)
{
    return real->xFullPathname(real, name, size, out);
}
void *xDlOpen(sqlite3_vfs *, const char *name)
{
    return real->xDlOpen(real, name);
}
void xDlError(sqlite3_vfs *, int size, char *out)
{
    real->xDlError(real, size, out);
}
void (*xDlSym(sqlite3_vfs *, void *handle, const char *symbol))(void)
{
    return real->xDlSym(real, handle, symbol);
}
void xDlClose(sqlite3_vfs *, void *handle)
{
    real->xDlClose(real, handle);
}
int xRandomness(sqlite3_vfs *, int size, char *out)
{
    return real->xRandomness(real, size, out);
}
int xSleep(sqlite3_vfs *, int microseconds)
{
    return real->xSleep(real, microseconds);
}
int xCurrentTime(sqlite3_vfs *, double *out)
{
    return real->xCurrentTime(real, out);
}
int xGetLastError(sqlite3_vfs *, int size, char *out)
{
    return real->xGetLastError ? real->xGetLastError(real, size, out) : 0;
}
int xCurrentTimeInt64(sqlite3_vfs *, sqlite3_int64 *out)
{
    return real->xCurrentTimeInt64(real, out);
}

} // namespace

namespace FaultyVfs {

bool install()
{
    if (installed)
        return true;
    real = sqlite3_vfs_find(nullptr);
    if (!real)
        return false;
    std::memset(&faulty, 0, sizeof faulty);
    faulty.iVersion = 2;
    faulty.szOsFile = int(sizeof(FaultyFile));
    faulty.mxPathname = real->mxPathname;
    faulty.zName = "quorvin-faulty";
    faulty.xOpen = xOpen;
    faulty.xDelete = xDelete;
    faulty.xAccess = xAccess;
    faulty.xFullPathname = xFullPathname;
    faulty.xDlOpen = xDlOpen;
    faulty.xDlError = xDlError;
    faulty.xDlSym = xDlSym;
    faulty.xDlClose = xDlClose;
    faulty.xRandomness = xRandomness;
    faulty.xSleep = xSleep;
    faulty.xCurrentTime = xCurrentTime;
    faulty.xGetLastError = xGetLastError;
    faulty.xCurrentTimeInt64 = xCurrentTimeInt64;
    installed = sqlite3_vfs_register(&faulty, 1) == SQLITE_OK;
    return installed;
}

void uninstall()
{
    if (!installed)
        return;
    failWrites = false;
    sqlite3_vfs_unregister(&faulty);
    sqlite3_vfs_register(real, 1);
    installed = false;
}

void setFailWrites(bool fail)
{
    failWrites = fail;
}

} // namespace FaultyVfs
