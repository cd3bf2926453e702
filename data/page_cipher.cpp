#include "data/page_cipher.h"

#include <sqlite3.h>

#include <QCryptographicHash>
#include <algorithm>
#include <bit>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <new>
#include <string>
#include <vector>

namespace PageCipher {

// ---------------------------------------------------------------------------------------------
// XXTEA

namespace {

constexpr uint32_t kDelta = 0x9E3779B9u;

inline uint32_t Mx(uint32_t sum, uint32_t y, uint32_t z, unsigned p, unsigned e, const Key& key) {
    return (((z >> 5) ^ (y << 2)) + ((y >> 3) ^ (z << 4))) ^ ((sum ^ y) + (key.k[(p & 3) ^ e] ^ z));
}

uint32_t LoadLe(const unsigned char* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

void StoreLe(unsigned char* p, uint32_t v) {
    p[0] = static_cast<unsigned char>(v);
    p[1] = static_cast<unsigned char>(v >> 8);
    p[2] = static_cast<unsigned char>(v >> 16);
    p[3] = static_cast<unsigned char>(v >> 24);
}

// Runs `code` over the page as little-endian words, in place.
template <typename Code>
void OverWords(unsigned char* page, size_t size, Code code) {
    const size_t n = size / 4;
    if (n < 2) return;
    if constexpr (std::endian::native == std::endian::little) {
        if (reinterpret_cast<uintptr_t>(page) % alignof(uint32_t) == 0) {
            code(reinterpret_cast<uint32_t*>(page), n);
            return;
        }
    }
    std::vector<uint32_t> words(n);
    for (size_t i = 0; i < n; ++i) words[i] = LoadLe(page + 4 * i);
    code(words.data(), n);
    for (size_t i = 0; i < n; ++i) StoreLe(page + 4 * i, words[i]);
}

}  // namespace

Key DeriveKey(const QByteArray& keyBytes) {
    const QByteArray digest = QCryptographicHash::hash(keyBytes, QCryptographicHash::Md5);
    Key key;
    for (int i = 0; i < 4; ++i)
        key.k[i] = LoadLe(reinterpret_cast<const unsigned char*>(digest.constData()) + 4 * i);
    return key;
}

void Encipher(uint32_t* v, size_t n, const Key& key) {
    if (n < 2) return;
    unsigned rounds = unsigned(6 + 52 / n);
    uint32_t sum = 0;
    uint32_t z = v[n - 1];
    uint32_t y;
    do {
        sum += kDelta;
        const unsigned e = (sum >> 2) & 3;
        size_t p = 0;
        for (; p < n - 1; ++p) {
            y = v[p + 1];
            z = v[p] += Mx(sum, y, z, unsigned(p), e, key);
        }
        y = v[0];
        z = v[n - 1] += Mx(sum, y, z, unsigned(p), e, key);
    } while (--rounds);
}

void Decipher(uint32_t* v, size_t n, const Key& key) {
    if (n < 2) return;
    unsigned rounds = unsigned(6 + 52 / n);
    uint32_t sum = rounds * kDelta;
    uint32_t y = v[0];
    uint32_t z;
    do {
        const unsigned e = (sum >> 2) & 3;
        size_t p = n - 1;
        for (; p > 0; --p) {
            z = v[p - 1];
            y = v[p] -= Mx(sum, y, z, unsigned(p), e, key);
        }
        z = v[n - 1];
        y = v[0] -= Mx(sum, y, z, unsigned(p), e, key);
        sum -= kDelta;
    } while (--rounds);
}

void EncipherPage(unsigned char* page, size_t size, const Key& key) {
    OverWords(page, size, [&](uint32_t* w, size_t n) { Encipher(w, n, key); });
}

void DecipherPage(unsigned char* page, size_t size, const Key& key) {
    OverWords(page, size, [&](uint32_t* w, size_t n) { Decipher(w, n, key); });
}

// ---------------------------------------------------------------------------------------------
// The VFS shim

namespace {

constexpr int kMinPageSize = 512;
constexpr int kMaxPageSize = 65536;

bool IsPageSize(sqlite3_int64 n) {
    return n >= kMinPageSize && n <= kMaxPageSize && (n & (n - 1)) == 0;
}

// Whether `page` (plain) starts with a database header that gives `pageSize`.
bool HeaderMatches(const unsigned char* page, int pageSize) {
    static const char kMagic[16] = "SQLite format 3";
    if (std::memcmp(page, kMagic, 16) != 0) return false;
    int stored = page[16] << 8 | page[17];
    if (stored == 1) stored = 65536;
    return stored == pageSize && (page[18] == 1 || page[18] == 2) &&
           (page[19] == 1 || page[19] == 2) && page[21] == 64 && page[22] == 32 && page[23] == 32;
}

// The sum SQLite's journal checksum takes over a page: one byte every 200 from the end.
uint32_t ChecksumSamples(const unsigned char* page, int pageSize) {
    uint32_t sum = 0;
    for (int i = pageSize - 200; i > 0; i -= 200) sum += page[i];
    return sum;
}

uint32_t LoadBe(const unsigned char* p) {
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | uint32_t(p[3]);
}

void StoreBe(unsigned char* p, uint32_t v) {
    p[0] = static_cast<unsigned char>(v >> 24);
    p[1] = static_cast<unsigned char>(v >> 16);
    p[2] = static_cast<unsigned char>(v >> 8);
    p[3] = static_cast<unsigned char>(v);
}

struct CipherVfs;

// Statement journals and temporary files never reach this shim's page paths: the session keeps
// them in memory (temp_store=MEMORY), so they pass through untouched.
enum class FileKind { Main, Journal, Other };

// One open file. SQLite allocates szOsFile bytes; this header comes first and the default
// VFS's own file object follows it.
struct CipherFile {
    sqlite3_file base;  // must stay first: SQLite sees only this
    sqlite3_file* real = nullptr;
    CipherVfs* vfs = nullptr;
    FileKind kind = FileKind::Other;
    const char* name = nullptr;       // main: its name; journals: the main file's name
    CipherFile* main = nullptr;       // journals: the main file they belong to
    int pageSize = 0;                 // main: learnt from page 1 or the first write; 0 = unknown
    bool foreign = false;             // main: holds bytes this key does not decipher
    std::vector<unsigned char> work;  // enciphered copies are made here
    // Journal record tracking: a record is a 4-byte page number, the page, a 4-byte checksum.
    // The checksum SQLite writes covers the plain page; on disk it covers the enciphered page,
    // as stored journals always had it. `delta` converts between the two.
    sqlite3_int64 readPgnoEnd = -1, readImageEnd = -1;
    uint32_t readDelta = 0;
    sqlite3_int64 writePgnoEnd = -1, writeImageEnd = -1;
    uint32_t writeDelta = 0;

    unsigned char* Work(size_t size) {
        if (work.size() < size) work.resize(size);
        return work.data();
    }
    int JournalPageSize() const { return main ? main->pageSize : 0; }
};

struct CipherVfs {
    sqlite3_vfs vfs;  // must stay first
    sqlite3_vfs* base = nullptr;
    Key key;
    std::string name;
    std::mutex mainFilesLock;
    std::vector<CipherFile*> mainFiles;
};

CipherVfs* Owner(sqlite3_vfs* vfs) {
    return reinterpret_cast<CipherVfs*>(vfs);
}
CipherFile* Wrapper(sqlite3_file* file) {
    return reinterpret_cast<CipherFile*>(file);
}

// Learns the page size of a main file by deciphering its start with each possible size.
// A non-empty file that deciphers under none is foreign: it is never written to.
int LearnPageSize(CipherFile* f) {
    if (f->pageSize || f->foreign) return SQLITE_OK;
    sqlite3_int64 size = 0;
    int rc = f->real->pMethods->xFileSize(f->real, &size);
    if (rc != SQLITE_OK) return rc;
    if (size == 0) return SQLITE_OK;  // a new file: the first write sets the size
    const int available = int(std::min<sqlite3_int64>(size, kMaxPageSize));
    std::vector<unsigned char> raw(size_t(available), 0);
    rc = f->real->pMethods->xRead(f->real, raw.data(), available, 0);
    if (rc != SQLITE_OK && rc != SQLITE_IOERR_SHORT_READ) return rc;
    std::vector<unsigned char> page;
    for (int candidate = kMinPageSize; candidate <= available; candidate *= 2) {
        page.assign(raw.begin(), raw.begin() + candidate);
        DecipherPage(page.data(), page.size(), f->vfs->key);
        if (HeaderMatches(page.data(), candidate)) {
            f->pageSize = candidate;
            return SQLITE_OK;
        }
    }
    f->foreign = true;
    return SQLITE_OK;
}

// --- io methods ---

int xClose(sqlite3_file* file) {
    CipherFile* f = Wrapper(file);
    int rc = SQLITE_OK;
    if (f->real->pMethods) rc = f->real->pMethods->xClose(f->real);
    if (f->kind == FileKind::Main) {
        std::lock_guard lock(f->vfs->mainFilesLock);
        std::erase(f->vfs->mainFiles, f);
    }
    f->~CipherFile();
    return rc;
}

int ReadMain(CipherFile* f, unsigned char* out, int amount, sqlite3_int64 offset) {
    int rc = LearnPageSize(f);
    if (rc != SQLITE_OK) return rc;
    if (f->foreign) {
        // Hand SQLite nothing it could take for a database: it reports SQLITE_NOTADB.
        std::memset(out, 0, size_t(amount));
        return SQLITE_OK;
    }
    if (!f->pageSize) return f->real->pMethods->xRead(f->real, out, amount, offset);

    const int ps = f->pageSize;
    if (offset % ps == 0 && amount == ps) {
        rc = f->real->pMethods->xRead(f->real, out, amount, offset);
        if (rc == SQLITE_OK) {
            DecipherPage(out, size_t(ps), f->vfs->key);
        } else if (rc == SQLITE_IOERR_SHORT_READ) {
            std::memset(out, 0, size_t(amount));  // a partial page cannot be deciphered
        }
        return rc;
    }
    // Sub-page reads (the header, the change counter) and reads across pages.
    unsigned char* page = f->Work(size_t(ps));
    bool shortRead = false;
    sqlite3_int64 pos = offset;
    const sqlite3_int64 end = offset + amount;
    while (pos < end) {
        const sqlite3_int64 pageStart = pos - pos % ps;
        rc = f->real->pMethods->xRead(f->real, page, ps, pageStart);
        if (rc == SQLITE_OK) {
            DecipherPage(page, size_t(ps), f->vfs->key);
        } else if (rc == SQLITE_IOERR_SHORT_READ) {
            std::memset(page, 0, size_t(ps));
            shortRead = true;
        } else {
            return rc;
        }
        const sqlite3_int64 take = std::min(end, pageStart + ps) - pos;
        std::memcpy(out + (pos - offset), page + (pos - pageStart), size_t(take));
        pos += take;
    }
    return shortRead ? SQLITE_IOERR_SHORT_READ : SQLITE_OK;
}

int ReadJournal(CipherFile* f, unsigned char* out, int amount, sqlite3_int64 offset) {
    const int rc = f->real->pMethods->xRead(f->real, out, amount, offset);
    const int ps = f->JournalPageSize();
    if (!ps) return rc;
    if (amount == 4) {
        if (rc == SQLITE_OK && offset == f->readImageEnd) {
            StoreBe(out, LoadBe(out) - f->readDelta);  // back to the checksum of the plain page
            f->readImageEnd = -1;
            return rc;
        }
        f->readPgnoEnd = offset + 4;
        f->readImageEnd = -1;
        return rc;
    }
    if (amount == ps && offset == f->readPgnoEnd) {
        f->readPgnoEnd = -1;
        if (rc == SQLITE_IOERR_SHORT_READ) {
            std::memset(out, 0, size_t(amount));
            return rc;
        }
        if (rc != SQLITE_OK) return rc;
        const uint32_t enciphered = ChecksumSamples(out, ps);
        DecipherPage(out, size_t(ps), f->vfs->key);
        f->readDelta = enciphered - ChecksumSamples(out, ps);
        f->readImageEnd = offset + ps;
        return rc;
    }
    f->readPgnoEnd = f->readImageEnd = -1;
    return rc;
}

int xRead(sqlite3_file* file, void* out, int amount, sqlite3_int64 offset) {
    CipherFile* f = Wrapper(file);
    auto* bytes = static_cast<unsigned char*>(out);
    switch (f->kind) {
        case FileKind::Main:
            return ReadMain(f, bytes, amount, offset);
        case FileKind::Journal:
            return ReadJournal(f, bytes, amount, offset);
        case FileKind::Other:
            break;
    }
    return f->real->pMethods->xRead(f->real, out, amount, offset);
}

int WriteMain(CipherFile* f, const unsigned char* data, int amount, sqlite3_int64 offset) {
    int rc = LearnPageSize(f);
    if (rc != SQLITE_OK) return rc;
    if (f->foreign) return SQLITE_IOERR_WRITE;
    // The first page of a new file fixes the page size (checked against its header below).
    const int ps = f->pageSize ? f->pageSize : IsPageSize(amount) && offset == 0 ? amount : 0;
    // Only whole pages are enciphered; anything else (a copy at another page size) would
    // leave pages no reader can decipher, so it is refused before it reaches the disk.
    if (!ps || amount != ps || offset % ps != 0) return SQLITE_IOERR_WRITE;
    if (offset == 0 && !HeaderMatches(data, ps)) return SQLITE_IOERR_WRITE;
    f->pageSize = ps;
    unsigned char* copy = f->Work(size_t(ps));
    std::memcpy(copy, data, size_t(ps));
    EncipherPage(copy, size_t(ps), f->vfs->key);
    return f->real->pMethods->xWrite(f->real, copy, ps, offset);
}

int WriteJournal(CipherFile* f, const unsigned char* data, int amount, sqlite3_int64 offset) {
    const int ps = f->JournalPageSize();
    if (ps && amount == 4) {
        if (offset == f->writeImageEnd) {
            unsigned char sum[4];
            StoreBe(sum, LoadBe(data) + f->writeDelta);
            f->writeImageEnd = -1;
            return f->real->pMethods->xWrite(f->real, sum, 4, offset);
        }
        f->writePgnoEnd = offset + 4;
        f->writeImageEnd = -1;
    } else if (ps && amount == ps && offset == f->writePgnoEnd) {
        f->writePgnoEnd = -1;
        unsigned char* copy = f->Work(size_t(ps));
        std::memcpy(copy, data, size_t(ps));
        const uint32_t plain = ChecksumSamples(copy, ps);
        EncipherPage(copy, size_t(ps), f->vfs->key);
        f->writeDelta = ChecksumSamples(copy, ps) - plain;
        f->writeImageEnd = offset + ps;
        return f->real->pMethods->xWrite(f->real, copy, ps, offset);
    } else {
        f->writePgnoEnd = f->writeImageEnd = -1;
    }
    return f->real->pMethods->xWrite(f->real, data, amount, offset);
}

int xWrite(sqlite3_file* file, const void* data, int amount, sqlite3_int64 offset) {
    CipherFile* f = Wrapper(file);
    const auto* bytes = static_cast<const unsigned char*>(data);
    switch (f->kind) {
        case FileKind::Main:
            return WriteMain(f, bytes, amount, offset);
        case FileKind::Journal:
            return WriteJournal(f, bytes, amount, offset);
        case FileKind::Other:
            break;
    }
    return f->real->pMethods->xWrite(f->real, data, amount, offset);
}

int xTruncate(sqlite3_file* file, sqlite3_int64 size) {
    CipherFile* f = Wrapper(file);
    if (f->kind == FileKind::Main) {
        const int rc = LearnPageSize(f);
        if (rc != SQLITE_OK) return rc;
        if (f->foreign) return SQLITE_IOERR_TRUNCATE;
        if (f->pageSize && size % f->pageSize != 0) return SQLITE_IOERR_TRUNCATE;
    }
    return f->real->pMethods->xTruncate(f->real, size);
}

int xSync(sqlite3_file* file, int flags) {
    CipherFile* f = Wrapper(file);
    return f->real->pMethods->xSync(f->real, flags);
}

int xFileSize(sqlite3_file* file, sqlite3_int64* size) {
    CipherFile* f = Wrapper(file);
    return f->real->pMethods->xFileSize(f->real, size);
}

int xLock(sqlite3_file* file, int level) {
    CipherFile* f = Wrapper(file);
    return f->real->pMethods->xLock(f->real, level);
}

int xUnlock(sqlite3_file* file, int level) {
    CipherFile* f = Wrapper(file);
    return f->real->pMethods->xUnlock(f->real, level);
}

int xCheckReservedLock(sqlite3_file* file, int* out) {
    CipherFile* f = Wrapper(file);
    return f->real->pMethods->xCheckReservedLock(f->real, out);
}

// Refuses the pragmas that would defeat the cipher: WAL (its frames bypass the page paths
// above) and a new page size for a file that already has pages.
int RefusePragma(CipherFile* f, char** args) {
    const char* name = args[1];
    const char* value = args[2];
    if (!name || !value) return SQLITE_NOTFOUND;
    if (sqlite3_stricmp(name, "journal_mode") == 0 && sqlite3_stricmp(value, "wal") == 0) {
        args[0] = sqlite3_mprintf("an enciphered database keeps its rollback journal");
        return SQLITE_ERROR;
    }
    if (sqlite3_stricmp(name, "page_size") == 0) {
        if (LearnPageSize(f) != SQLITE_OK || !f->pageSize) return SQLITE_NOTFOUND;
        if (std::atoi(value) != f->pageSize) {
            args[0] = sqlite3_mprintf("the page size of an enciphered database cannot change");
            return SQLITE_ERROR;
        }
    }
    return SQLITE_NOTFOUND;
}

int xFileControl(sqlite3_file* file, int op, void* arg) {
    CipherFile* f = Wrapper(file);
    if (op == SQLITE_FCNTL_PRAGMA && f->kind == FileKind::Main) {
        const int rc = RefusePragma(f, static_cast<char**>(arg));
        if (rc != SQLITE_NOTFOUND) return rc;
    }
    if (op == SQLITE_FCNTL_VFSNAME) {
        char** out = static_cast<char**>(arg);
        *out = sqlite3_mprintf("%s", f->vfs->name.c_str());
        return SQLITE_OK;
    }
    return f->real->pMethods->xFileControl(f->real, op, arg);
}

int xSectorSize(sqlite3_file* file) {
    CipherFile* f = Wrapper(file);
    return f->real->pMethods->xSectorSize(f->real);
}

int xDeviceCharacteristics(sqlite3_file* file) {
    CipherFile* f = Wrapper(file);
    // Batch-atomic writes would skip the journal paths above.
    return f->real->pMethods->xDeviceCharacteristics(f->real) & ~SQLITE_IOCAP_BATCH_ATOMIC;
}

// Version 1: no shared memory (so no WAL) and no memory mapping (pages must pass through here).
const sqlite3_io_methods kIoMethods = {1,
                                       xClose,
                                       xRead,
                                       xWrite,
                                       xTruncate,
                                       xSync,
                                       xFileSize,
                                       xLock,
                                       xUnlock,
                                       xCheckReservedLock,
                                       xFileControl,
                                       xSectorSize,
                                       xDeviceCharacteristics,
                                       nullptr,
                                       nullptr,
                                       nullptr,
                                       nullptr,
                                       nullptr,
                                       nullptr};

// --- vfs methods ---

int xOpen(sqlite3_vfs* vfs, sqlite3_filename name, sqlite3_file* file, int flags, int* outFlags) {
    CipherVfs* owner = Owner(vfs);
    file->pMethods = nullptr;
    if (flags & SQLITE_OPEN_WAL) return SQLITE_CANTOPEN;
    auto* f = new (file) CipherFile;
    f->vfs = owner;
    f->real = reinterpret_cast<sqlite3_file*>(reinterpret_cast<char*>(file) +
                                              ((sizeof(CipherFile) + 7) & ~size_t(7)));
    f->real->pMethods = nullptr;
    if (flags & SQLITE_OPEN_MAIN_DB) {
        f->kind = FileKind::Main;
        f->name = name;
    } else if ((flags & SQLITE_OPEN_MAIN_JOURNAL) && name) {
        f->kind = FileKind::Journal;
        f->name = sqlite3_filename_database(name);
        std::lock_guard lock(owner->mainFilesLock);
        for (CipherFile* m : owner->mainFiles)
            if (m->name == f->name) f->main = m;
        for (CipherFile* m : owner->mainFiles)
            if (!f->main && m->name && f->name && std::strcmp(m->name, f->name) == 0) f->main = m;
    }
    const int rc = owner->base->xOpen(owner->base, name, f->real, flags, outFlags);
    if (rc != SQLITE_OK) {
        if (f->real->pMethods) f->real->pMethods->xClose(f->real);
        f->~CipherFile();
        file->pMethods = nullptr;
        return rc;
    }
    if (f->kind == FileKind::Main) {
        std::lock_guard lock(owner->mainFilesLock);
        owner->mainFiles.push_back(f);
    }
    file->pMethods = &kIoMethods;
    return SQLITE_OK;
}

int xDelete(sqlite3_vfs* vfs, const char* name, int syncDir) {
    sqlite3_vfs* base = Owner(vfs)->base;
    return base->xDelete(base, name, syncDir);
}

int xAccess(sqlite3_vfs* vfs, const char* name, int flags, int* out) {
    sqlite3_vfs* base = Owner(vfs)->base;
    return base->xAccess(base, name, flags, out);
}

int xFullPathname(sqlite3_vfs* vfs, const char* name, int size, char* out) {
    sqlite3_vfs* base = Owner(vfs)->base;
    return base->xFullPathname(base, name, size, out);
}

void* xDlOpen(sqlite3_vfs* vfs, const char* name) {
    sqlite3_vfs* base = Owner(vfs)->base;
    return base->xDlOpen(base, name);
}

void xDlError(sqlite3_vfs* vfs, int size, char* out) {
    sqlite3_vfs* base = Owner(vfs)->base;
    base->xDlError(base, size, out);
}

void (*xDlSym(sqlite3_vfs* vfs, void* handle, const char* symbol))(void) {
    sqlite3_vfs* base = Owner(vfs)->base;
    return base->xDlSym(base, handle, symbol);
}

void xDlClose(sqlite3_vfs* vfs, void* handle) {
    sqlite3_vfs* base = Owner(vfs)->base;
    base->xDlClose(base, handle);
}

int xRandomness(sqlite3_vfs* vfs, int size, char* out) {
    sqlite3_vfs* base = Owner(vfs)->base;
    return base->xRandomness(base, size, out);
}

int xSleep(sqlite3_vfs* vfs, int micros) {
    sqlite3_vfs* base = Owner(vfs)->base;
    return base->xSleep(base, micros);
}

int xCurrentTime(sqlite3_vfs* vfs, double* out) {
    sqlite3_vfs* base = Owner(vfs)->base;
    return base->xCurrentTime(base, out);
}

int xGetLastError(sqlite3_vfs* vfs, int size, char* out) {
    sqlite3_vfs* base = Owner(vfs)->base;
    return base->xGetLastError ? base->xGetLastError(base, size, out) : 0;
}

int xCurrentTimeInt64(sqlite3_vfs* vfs, sqlite3_int64* out) {
    sqlite3_vfs* base = Owner(vfs)->base;
    if (base->iVersion >= 2 && base->xCurrentTimeInt64) return base->xCurrentTimeInt64(base, out);
    double days = 0;
    const int rc = base->xCurrentTime(base, &days);
    *out = sqlite3_int64(days * 86400000.0);
    return rc;
}

struct KeyLess {
    bool operator()(const Key& a, const Key& b) const {
        return std::lexicographical_compare(a.k, a.k + 4, b.k, b.k + 4);
    }
};

}  // namespace

const char* VfsForKey(const Key& key) {
    // Never destroyed: SQLite keeps the registered VFSes for the life of the process, and a
    // connection closed by another static's destructor at exit still calls into them.
    static auto* lock = new std::mutex;
    static auto* registry = new std::map<Key, std::unique_ptr<CipherVfs>, KeyLess>;
    auto& registered = *registry;
    std::lock_guard guard(*lock);
    if (auto it = registered.find(key); it != registered.end()) return it->second->name.c_str();
    sqlite3_initialize();
    sqlite3_vfs* base = sqlite3_vfs_find(nullptr);
    if (!base) return nullptr;
    auto owner = std::make_unique<CipherVfs>();
    owner->base = base;
    owner->key = key;
    owner->name = "vita-cipher-" + std::to_string(registered.size() + 1);
    sqlite3_vfs& v = owner->vfs;
    std::memset(&v, 0, sizeof v);
    v.iVersion = 2;
    v.szOsFile = int((sizeof(CipherFile) + 7) & ~size_t(7)) + base->szOsFile;
    v.mxPathname = base->mxPathname;
    v.zName = owner->name.c_str();
    v.xOpen = xOpen;
    v.xDelete = xDelete;
    v.xAccess = xAccess;
    v.xFullPathname = xFullPathname;
    v.xDlOpen = xDlOpen;
    v.xDlError = xDlError;
    v.xDlSym = xDlSym;
    v.xDlClose = xDlClose;
    v.xRandomness = xRandomness;
    v.xSleep = xSleep;
    v.xCurrentTime = xCurrentTime;
    v.xGetLastError = xGetLastError;
    v.xCurrentTimeInt64 = xCurrentTimeInt64;
    if (sqlite3_vfs_register(&v, 0) != SQLITE_OK) return nullptr;
    const char* name = owner->name.c_str();
    registered.emplace(key, std::move(owner));
    return name;
}

}  // namespace PageCipher
