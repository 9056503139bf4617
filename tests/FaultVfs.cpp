#include "FaultVfs.h"

#include <sqlite3.h>

#include <cstring>

namespace FaultVfs {

namespace {

struct Plan {
    bool armed = false;
    Mode mode = Mode::IoError;
    Kind kind = Kind::Write;
    int target = 0;
    bool persistent = false;
    bool fired = false;
    int calls[3] = {0, 0, 0};
    QString deniedFolder;
};

Plan plan;
sqlite3_vfs* base = nullptr;
sqlite3_vfs layer;

// The wrapped file follows this header in the same allocation.
struct File {
    sqlite3_file header;
    sqlite3_file* real;
};

sqlite3_file* Real(sqlite3_file* file) {
    return reinterpret_cast<File*>(file)->real;
}

// Counts the call; the error it must fail with, or SQLITE_OK.
int Fault(Kind kind, int ioError) {
    const int call = ++plan.calls[static_cast<int>(kind)];
    if (!plan.armed || plan.kind != kind ||
        (plan.persistent ? call < plan.target : call != plan.target)) {
        return SQLITE_OK;
    }
    plan.fired = true;
    return plan.mode == Mode::DiskFull ? SQLITE_FULL : ioError;
}

bool Denied(const char* path) {
    return path != nullptr && !plan.deniedFolder.isEmpty() &&
           QString::fromUtf8(path).startsWith(plan.deniedFolder + QLatin1Char('/'));
}

int Close(sqlite3_file* file) {
    const int rc = Real(file)->pMethods->xClose(Real(file));
    file->pMethods = nullptr;
    return rc;
}

int Read(sqlite3_file* file, void* buffer, int amount, sqlite3_int64 offset) {
    if (const int rc = Fault(Kind::Read, SQLITE_IOERR_READ)) {
        return rc;
    }
    return Real(file)->pMethods->xRead(Real(file), buffer, amount, offset);
}

int Write(sqlite3_file* file, const void* buffer, int amount, sqlite3_int64 offset) {
    if (const int rc = Fault(Kind::Write, SQLITE_IOERR_WRITE)) {
        return rc;
    }
    return Real(file)->pMethods->xWrite(Real(file), buffer, amount, offset);
}

int Truncate(sqlite3_file* file, sqlite3_int64 size) {
    if (const int rc = Fault(Kind::Write, SQLITE_IOERR_TRUNCATE)) {
        return rc;
    }
    return Real(file)->pMethods->xTruncate(Real(file), size);
}

int Sync(sqlite3_file* file, int flags) {
    if (const int rc = Fault(Kind::Sync, SQLITE_IOERR_FSYNC)) {
        return rc;
    }
    return Real(file)->pMethods->xSync(Real(file), flags);
}

int FileSize(sqlite3_file* file, sqlite3_int64* size) {
    return Real(file)->pMethods->xFileSize(Real(file), size);
}

int Lock(sqlite3_file* file, int level) {
    return Real(file)->pMethods->xLock(Real(file), level);
}

int Unlock(sqlite3_file* file, int level) {
    return Real(file)->pMethods->xUnlock(Real(file), level);
}

int CheckReservedLock(sqlite3_file* file, int* out) {
    return Real(file)->pMethods->xCheckReservedLock(Real(file), out);
}

int FileControl(sqlite3_file* file, int op, void* arg) {
    return Real(file)->pMethods->xFileControl(Real(file), op, arg);
}

int SectorSize(sqlite3_file* file) {
    return Real(file)->pMethods->xSectorSize(Real(file));
}

int DeviceCharacteristics(sqlite3_file* file) {
    return Real(file)->pMethods->xDeviceCharacteristics(Real(file));
}

int ShmMap(sqlite3_file* file, int region, int size, int extend, void volatile** out) {
    return Real(file)->pMethods->xShmMap(Real(file), region, size, extend, out);
}

int ShmLock(sqlite3_file* file, int offset, int n, int flags) {
    return Real(file)->pMethods->xShmLock(Real(file), offset, n, flags);
}

void ShmBarrier(sqlite3_file* file) {
    Real(file)->pMethods->xShmBarrier(Real(file));
}

int ShmUnmap(sqlite3_file* file, int deleteFlag) {
    return Real(file)->pMethods->xShmUnmap(Real(file), deleteFlag);
}

// Version 2: no memory-mapped reads, so every page read goes through Read.
const sqlite3_io_methods kMethods = {
    2,
    Close,
    Read,
    Write,
    Truncate,
    Sync,
    FileSize,
    Lock,
    Unlock,
    CheckReservedLock,
    FileControl,
    SectorSize,
    DeviceCharacteristics,
    ShmMap,
    ShmLock,
    ShmBarrier,
    ShmUnmap,
    nullptr,
    nullptr,
};

int Open(sqlite3_vfs*, const char* name, sqlite3_file* file, int flags, int* outFlags) {
    auto* wrapper = reinterpret_cast<File*>(file);
    wrapper->real = reinterpret_cast<sqlite3_file*>(wrapper + 1);
    file->pMethods = nullptr;
    if (Denied(name) && (flags & SQLITE_OPEN_READWRITE) != 0) {
        int exists = 0;
        if (base->xAccess(base, name, SQLITE_ACCESS_EXISTS, &exists) != SQLITE_OK || !exists) {
            return SQLITE_CANTOPEN;
        }
        // As the operating system's refusal makes the default layer do.
        flags = (flags & ~(SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE)) | SQLITE_OPEN_READONLY;
    }
    const int rc = base->xOpen(base, name, wrapper->real, flags, outFlags);
    if (wrapper->real->pMethods != nullptr) {
        file->pMethods = &kMethods;
    }
    return rc;
}

int Delete(sqlite3_vfs*, const char* name, int syncDir) {
    return base->xDelete(base, name, syncDir);
}

int Access(sqlite3_vfs*, const char* name, int flags, int* out) {
    const int rc = base->xAccess(base, name, flags, out);
    if (rc == SQLITE_OK && flags == SQLITE_ACCESS_READWRITE && Denied(name)) {
        *out = 0;
    }
    return rc;
}

int FullPathname(sqlite3_vfs*, const char* name, int size, char* out) {
    return base->xFullPathname(base, name, size, out);
}

void* DlOpen(sqlite3_vfs*, const char* name) {
    return base->xDlOpen(base, name);
}

void DlError(sqlite3_vfs*, int size, char* out) {
    base->xDlError(base, size, out);
}

void (*DlSym(sqlite3_vfs*, void* handle, const char* symbol))(void) {
    return base->xDlSym(base, handle, symbol);
}

void DlClose(sqlite3_vfs*, void* handle) {
    base->xDlClose(base, handle);
}

int Randomness(sqlite3_vfs*, int size, char* out) {
    return base->xRandomness(base, size, out);
}

int Sleep(sqlite3_vfs*, int microseconds) {
    return base->xSleep(base, microseconds);
}

int CurrentTime(sqlite3_vfs*, double* out) {
    return base->xCurrentTime(base, out);
}

int GetLastError(sqlite3_vfs*, int size, char* out) {
    return base->xGetLastError(base, size, out);
}

int CurrentTimeInt64(sqlite3_vfs*, sqlite3_int64* out) {
    return base->xCurrentTimeInt64(base, out);
}

}  // namespace

Installed::Installed() {
    base = sqlite3_vfs_find(nullptr);
    if (base == nullptr || base->iVersion < 2) {
        return;
    }
    std::memset(&layer, 0, sizeof layer);
    layer.iVersion = 2;
    layer.szOsFile = static_cast<int>(sizeof(File)) + base->szOsFile;
    layer.mxPathname = base->mxPathname;
    layer.zName = "companymgr_faults";
    layer.xOpen = Open;
    layer.xDelete = Delete;
    layer.xAccess = Access;
    layer.xFullPathname = FullPathname;
    layer.xDlOpen = DlOpen;
    layer.xDlError = DlError;
    layer.xDlSym = DlSym;
    layer.xDlClose = DlClose;
    layer.xRandomness = Randomness;
    layer.xSleep = Sleep;
    layer.xCurrentTime = CurrentTime;
    layer.xGetLastError = GetLastError;
    layer.xCurrentTimeInt64 = CurrentTimeInt64;
    ok_ = sqlite3_vfs_register(&layer, 1) == SQLITE_OK;
}

Installed::~Installed() {
    plan = Plan();
    if (ok_) {
        sqlite3_vfs_unregister(&layer);
        sqlite3_vfs_register(base, 1);
    }
}

void Arm(Mode mode, Kind kind, int n, bool persistent) {
    plan.armed = true;
    plan.mode = mode;
    plan.kind = kind;
    plan.target = n;
    plan.persistent = persistent;
    plan.fired = false;
    for (int& calls : plan.calls) {
        calls = 0;
    }
}

bool Disarm() {
    plan.armed = false;
    return plan.fired;
}

int Calls(Kind kind) {
    return plan.calls[static_cast<int>(kind)];
}

void DenyWritesUnder(const QString& folder) {
    plan.deniedFolder = folder;
}

}  // namespace FaultVfs
