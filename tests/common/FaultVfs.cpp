#include "FaultVfs.h"

#include <sqlite3.h>

#include <cstring>

namespace {

sqlite3_vfs* g_base = nullptr;
sqlite3_vfs g_vfs;
FaultKind g_kind = FaultKind::Write;
int g_n = 0;
int g_calls = 0;
int g_code = SQLITE_IOERR;
bool g_hit = false;

struct FaultFile {
    sqlite3_file base; // must come first: the engine sees this
    sqlite3_file* real;
};

sqlite3_file* Real(sqlite3_file* f) {
    return reinterpret_cast<FaultFile*>(f)->real;
}

// True when this call of the kind is the one to fail.
bool Fails(FaultKind kind) {
    if (g_n <= 0 || kind != g_kind)
        return false;
    if (++g_calls != g_n)
        return false;
    g_hit = true;
    return true;
}

int Close(sqlite3_file* f) {
    sqlite3_file* r = Real(f);
    const int rc = r->pMethods ? r->pMethods->xClose(r) : SQLITE_OK;
    sqlite3_free(r);
    return rc;
}
int Read(sqlite3_file* f, void* p, int n, sqlite3_int64 o) {
    return Real(f)->pMethods->xRead(Real(f), p, n, o);
}
int Write(sqlite3_file* f, const void* p, int n, sqlite3_int64 o) {
    if (Fails(FaultKind::Write))
        return g_code == SQLITE_FULL ? SQLITE_FULL : SQLITE_IOERR_WRITE;
    return Real(f)->pMethods->xWrite(Real(f), p, n, o);
}
int Truncate(sqlite3_file* f, sqlite3_int64 size) {
    if (Fails(FaultKind::Write))
        return g_code == SQLITE_FULL ? SQLITE_FULL : SQLITE_IOERR_TRUNCATE;
    return Real(f)->pMethods->xTruncate(Real(f), size);
}
int Sync(sqlite3_file* f, int flags) {
    if (Fails(FaultKind::Sync))
        return g_code == SQLITE_FULL ? SQLITE_FULL : SQLITE_IOERR_FSYNC;
    return Real(f)->pMethods->xSync(Real(f), flags);
}
int FileSize(sqlite3_file* f, sqlite3_int64* size) {
    return Real(f)->pMethods->xFileSize(Real(f), size);
}
int Lock(sqlite3_file* f, int level) {
    if (Fails(FaultKind::Lock))
        return g_code == SQLITE_FULL ? SQLITE_FULL : SQLITE_IOERR_LOCK;
    return Real(f)->pMethods->xLock(Real(f), level);
}
int Unlock(sqlite3_file* f, int level) {
    return Real(f)->pMethods->xUnlock(Real(f), level);
}
int CheckReserved(sqlite3_file* f, int* out) {
    return Real(f)->pMethods->xCheckReservedLock(Real(f), out);
}
int FileControl(sqlite3_file* f, int op, void* arg) {
    return Real(f)->pMethods->xFileControl(Real(f), op, arg);
}
int SectorSize(sqlite3_file* f) {
    return Real(f)->pMethods->xSectorSize(Real(f));
}
int DeviceCharacteristics(sqlite3_file* f) {
    return Real(f)->pMethods->xDeviceCharacteristics(Real(f));
}

// Version 1 only: the program never uses shared memory (no WAL) or memory maps.
const sqlite3_io_methods kMethods = {
    1,
    Close,
    Read,
    Write,
    Truncate,
    Sync,
    FileSize,
    Lock,
    Unlock,
    CheckReserved,
    FileControl,
    SectorSize,
    DeviceCharacteristics,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
};

int Open(sqlite3_vfs*, sqlite3_filename name, sqlite3_file* f, int flags, int* outFlags) {
    auto* ff = reinterpret_cast<FaultFile*>(f);
    ff->base.pMethods = nullptr;
    ff->real = static_cast<sqlite3_file*>(sqlite3_malloc(g_base->szOsFile));
    if (!ff->real)
        return SQLITE_NOMEM;
    std::memset(ff->real, 0, size_t(g_base->szOsFile));
    const int rc = g_base->xOpen(g_base, name, ff->real, flags, outFlags);
    if (rc != SQLITE_OK) {
        // A failed open that set its methods still wants its close.
        if (ff->real->pMethods)
            ff->real->pMethods->xClose(ff->real);
        sqlite3_free(ff->real);
        ff->real = nullptr;
        return rc;
    }
    ff->base.pMethods = &kMethods;
    return SQLITE_OK;
}

int Delete(sqlite3_vfs*, const char* name, int syncDir) {
    return g_base->xDelete(g_base, name, syncDir);
}
int Access(sqlite3_vfs*, const char* name, int flags, int* out) {
    return g_base->xAccess(g_base, name, flags, out);
}
int FullPathname(sqlite3_vfs*, const char* name, int n, char* out) {
    return g_base->xFullPathname(g_base, name, n, out);
}
void* DlOpen(sqlite3_vfs*, const char* name) {
    return g_base->xDlOpen(g_base, name);
}
void DlError(sqlite3_vfs*, int n, char* msg) {
    g_base->xDlError(g_base, n, msg);
}
void (*DlSym(sqlite3_vfs*, void* h, const char* sym))(void) {
    return g_base->xDlSym(g_base, h, sym);
}
void DlClose(sqlite3_vfs*, void* h) {
    g_base->xDlClose(g_base, h);
}
int Randomness(sqlite3_vfs*, int n, char* out) {
    return g_base->xRandomness(g_base, n, out);
}
int Sleep(sqlite3_vfs*, int us) {
    return g_base->xSleep(g_base, us);
}
int CurrentTime(sqlite3_vfs*, double* out) {
    return g_base->xCurrentTime(g_base, out);
}
int GetLastError(sqlite3_vfs*, int n, char* out) {
    return g_base->xGetLastError ? g_base->xGetLastError(g_base, n, out) : 0;
}
int CurrentTimeInt64(sqlite3_vfs*, sqlite3_int64* out) {
    return g_base->xCurrentTimeInt64(g_base, out);
}

} // namespace

void InstallFaultVfs() {
    if (g_base)
        return;
    g_base = sqlite3_vfs_find(nullptr);
    std::memset(&g_vfs, 0, sizeof g_vfs);
    g_vfs.iVersion = 2;
    g_vfs.szOsFile = int(sizeof(FaultFile));
    g_vfs.mxPathname = g_base->mxPathname;
    g_vfs.zName = "vaskel-fault";
    g_vfs.xOpen = Open;
    g_vfs.xDelete = Delete;
    g_vfs.xAccess = Access;
    g_vfs.xFullPathname = FullPathname;
    g_vfs.xDlOpen = DlOpen;
    g_vfs.xDlError = DlError;
    g_vfs.xDlSym = DlSym;
    g_vfs.xDlClose = DlClose;
    g_vfs.xRandomness = Randomness;
    g_vfs.xSleep = Sleep;
    g_vfs.xCurrentTime = CurrentTime;
    g_vfs.xGetLastError = GetLastError;
    g_vfs.xCurrentTimeInt64 = CurrentTimeInt64;
    sqlite3_vfs_register(&g_vfs, 1);
}

void ArmFault(FaultKind kind, int n, int errorCode) {
    g_kind = kind;
    g_n = n;
    g_calls = 0;
    g_code = errorCode;
    g_hit = false;
}

void DisarmFault() {
    g_n = 0;
}

bool FaultHit() {
    return g_hit;
}

int FaultCalls() {
    return g_calls;
}
