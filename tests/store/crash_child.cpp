// A child process for the crash test of the store. It writes one row to each of the nine linked
// tables in one transaction through the store, while a wrapper around SQLite's file layer counts
// every step that changes a file (a write, a sync, a truncation, a deletion) and, at the chosen
// step, either kills the process on the spot or makes that step fail.
//
// Arguments: <database folder> <program folder> <mode> <N> [data-first|data-last]
//   mode "count"  - no interference; prints the numbered list of steps of the transaction
//   mode "kill"   - raise(SIGKILL) just before step N is carried out
//   mode "ioerr"  - step N returns SQLITE_IOERR_WRITE instead of being carried out
//   mode "ioerr-continue" - as "ioerr", but a write that fails is passed over: the remaining
//                   tables are written and commit() is called all the same
//   mode "throw"  - writes to several tables, then throws a StoreError before commit()
//   mode "before" - writes the "before" row of every table (the known starting state)
// The second ordering argument decides whether Data.db is written first or last.
//
// Exit codes: 0 the transaction committed; 3 a StoreError ended it (the message is printed on
// stderr); 2 bad arguments; 4 any other error.

#include "core/locale.h"
#include "core/paths.h"
#include "store/datamodules.h"
#include "store/error.h"
#include "store/transaction.h"

#include <QCoreApplication>
#include <QDate>
#include <QString>
#include <QStringList>
#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <exception>
#include <functional>
#include <sqlite3.h>
#include <string>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

enum class Fault { None, Kill, IoError };

// What the counting file layer does; only steps taken while `armed` is set are counted, so the
// opening of the database does not shift the numbering.
struct Counter {
    Fault fault = Fault::None;
    long long target = 0;
    long long count = 0;
    bool armed = false;
    std::vector<std::string> trace;
};

Counter g_counter;
sqlite3_vfs* g_real = nullptr;
sqlite3_vfs g_vfs;
sqlite3_io_methods g_methods;

// The file object SQLite sees: our header, followed by the real VFS's file object.
struct CountingFile {
    sqlite3_file base;
    sqlite3_file* real;
    const char* name;
};

constexpr int kHeaderSize = int((sizeof(CountingFile) + 7) & ~size_t(7));

sqlite3_file* Real(sqlite3_file* file) {
    return reinterpret_cast<CountingFile*>(file)->real;
}

const char* BaseName(const char* path) {
    if (path == nullptr) {
        return "(temp)";
    }
    const char* slash = std::strrchr(path, '/');
    return slash == nullptr ? path : slash + 1;
}

// Counts one step that changes a file. Returns SQLITE_OK when the step should be carried out,
// or the error it should report instead; kills the process when the chosen step is reached.
int Step(const char* kind, const char* path) {
    if (!g_counter.armed) {
        return SQLITE_OK;
    }
    ++g_counter.count;
    g_counter.trace.push_back(std::to_string(g_counter.count) + ' ' + kind + ' ' + BaseName(path));
    if (g_counter.count != g_counter.target) {
        return SQLITE_OK;
    }
    switch (g_counter.fault) {
    case Fault::Kill:
        std::raise(SIGKILL);
        return SQLITE_OK; // not reached
    case Fault::IoError:
        return SQLITE_IOERR_WRITE;
    case Fault::None:
        break;
    }
    return SQLITE_OK;
}

int FileClose(sqlite3_file* file) {
    sqlite3_file* real = Real(file);
    int rc = SQLITE_OK;
    if (real->pMethods != nullptr) {
        rc = real->pMethods->xClose(real);
        real->pMethods = nullptr;
    }
    return rc;
}

int FileRead(sqlite3_file* file, void* buffer, int amount, sqlite3_int64 offset) {
    sqlite3_file* real = Real(file);
    return real->pMethods->xRead(real, buffer, amount, offset);
}

int FileWrite(sqlite3_file* file, const void* buffer, int amount, sqlite3_int64 offset) {
    const int rc = Step("write", reinterpret_cast<CountingFile*>(file)->name);
    if (rc != SQLITE_OK) {
        return rc;
    }
    sqlite3_file* real = Real(file);
    return real->pMethods->xWrite(real, buffer, amount, offset);
}

int FileTruncate(sqlite3_file* file, sqlite3_int64 size) {
    const int rc = Step("truncate", reinterpret_cast<CountingFile*>(file)->name);
    if (rc != SQLITE_OK) {
        return rc;
    }
    sqlite3_file* real = Real(file);
    return real->pMethods->xTruncate(real, size);
}

int FileSync(sqlite3_file* file, int flags) {
    const int rc = Step("sync", reinterpret_cast<CountingFile*>(file)->name);
    if (rc != SQLITE_OK) {
        return rc;
    }
    sqlite3_file* real = Real(file);
    return real->pMethods->xSync(real, flags);
}

int FileSize(sqlite3_file* file, sqlite3_int64* size) {
    sqlite3_file* real = Real(file);
    return real->pMethods->xFileSize(real, size);
}

int FileLock(sqlite3_file* file, int level) {
    sqlite3_file* real = Real(file);
    return real->pMethods->xLock(real, level);
}

int FileUnlock(sqlite3_file* file, int level) {
    sqlite3_file* real = Real(file);
    return real->pMethods->xUnlock(real, level);
}

int FileCheckReservedLock(sqlite3_file* file, int* result) {
    sqlite3_file* real = Real(file);
    return real->pMethods->xCheckReservedLock(real, result);
}

int FileControl(sqlite3_file* file, int op, void* arg) {
    sqlite3_file* real = Real(file);
    return real->pMethods->xFileControl(real, op, arg);
}

int FileSectorSize(sqlite3_file* file) {
    sqlite3_file* real = Real(file);
    return real->pMethods->xSectorSize(real);
}

int FileDeviceCharacteristics(sqlite3_file* file) {
    sqlite3_file* real = Real(file);
    return real->pMethods->xDeviceCharacteristics(real);
}

int FileShmMap(sqlite3_file* file, int region, int size, int extend, void volatile** pointer) {
    sqlite3_file* real = Real(file);
    if (real->pMethods->iVersion < 2 || real->pMethods->xShmMap == nullptr) {
        return SQLITE_IOERR_SHMMAP;
    }
    return real->pMethods->xShmMap(real, region, size, extend, pointer);
}

int FileShmLock(sqlite3_file* file, int offset, int n, int flags) {
    sqlite3_file* real = Real(file);
    if (real->pMethods->iVersion < 2 || real->pMethods->xShmLock == nullptr) {
        return SQLITE_IOERR_SHMLOCK;
    }
    return real->pMethods->xShmLock(real, offset, n, flags);
}

void FileShmBarrier(sqlite3_file* file) {
    sqlite3_file* real = Real(file);
    if (real->pMethods->iVersion >= 2 && real->pMethods->xShmBarrier != nullptr) {
        real->pMethods->xShmBarrier(real);
    }
}

int FileShmUnmap(sqlite3_file* file, int deleteFlag) {
    sqlite3_file* real = Real(file);
    if (real->pMethods->iVersion < 2 || real->pMethods->xShmUnmap == nullptr) {
        return SQLITE_OK;
    }
    return real->pMethods->xShmUnmap(real, deleteFlag);
}

int FileFetch(sqlite3_file* file, sqlite3_int64 offset, int amount, void** pointer) {
    sqlite3_file* real = Real(file);
    if (real->pMethods->iVersion < 3 || real->pMethods->xFetch == nullptr) {
        *pointer = nullptr;
        return SQLITE_OK;
    }
    return real->pMethods->xFetch(real, offset, amount, pointer);
}

int FileUnfetch(sqlite3_file* file, sqlite3_int64 offset, void* pointer) {
    sqlite3_file* real = Real(file);
    if (real->pMethods->iVersion < 3 || real->pMethods->xUnfetch == nullptr) {
        return SQLITE_OK;
    }
    return real->pMethods->xUnfetch(real, offset, pointer);
}

int VfsOpen(sqlite3_vfs*, sqlite3_filename name, sqlite3_file* file, int flags, int* outFlags) {
    auto* wrapper = reinterpret_cast<CountingFile*>(file);
    wrapper->real = reinterpret_cast<sqlite3_file*>(reinterpret_cast<char*>(file) + kHeaderSize);
    wrapper->real->pMethods = nullptr;
    wrapper->name = name;
    const int rc = g_real->xOpen(g_real, name, wrapper->real, flags, outFlags);
    if (wrapper->real->pMethods == nullptr) {
        // Nothing to forward to; SQLite must not call xClose on this file either.
        wrapper->base.pMethods = nullptr;
        return rc == SQLITE_OK ? SQLITE_CANTOPEN : rc;
    }
    wrapper->base.pMethods = &g_methods;
    return rc;
}

int VfsDelete(sqlite3_vfs*, const char* name, int syncDir) {
    const int rc = Step("delete", name);
    if (rc != SQLITE_OK) {
        return rc;
    }
    return g_real->xDelete(g_real, name, syncDir);
}

int VfsAccess(sqlite3_vfs*, const char* name, int flags, int* result) {
    return g_real->xAccess(g_real, name, flags, result);
}

int VfsFullPathname(sqlite3_vfs*, const char* name, int size, char* out) {
    return g_real->xFullPathname(g_real, name, size, out);
}

void* VfsDlOpen(sqlite3_vfs*, const char* name) {
    return g_real->xDlOpen(g_real, name);
}

void VfsDlError(sqlite3_vfs*, int size, char* message) {
    g_real->xDlError(g_real, size, message);
}

void (*VfsDlSym(sqlite3_vfs*, void* handle, const char* symbol))(void) {
    return g_real->xDlSym(g_real, handle, symbol);
}

void VfsDlClose(sqlite3_vfs*, void* handle) {
    g_real->xDlClose(g_real, handle);
}

int VfsRandomness(sqlite3_vfs*, int size, char* out) {
    return g_real->xRandomness(g_real, size, out);
}

int VfsSleep(sqlite3_vfs*, int microseconds) {
    return g_real->xSleep(g_real, microseconds);
}

int VfsCurrentTime(sqlite3_vfs*, double* now) {
    return g_real->xCurrentTime(g_real, now);
}

int VfsGetLastError(sqlite3_vfs*, int size, char* out) {
    return g_real->xGetLastError != nullptr ? g_real->xGetLastError(g_real, size, out) : 0;
}

int VfsCurrentTimeInt64(sqlite3_vfs*, sqlite3_int64* now) {
    return g_real->xCurrentTimeInt64(g_real, now);
}

// Registers the counting layer around the "unix" VFS as the default for every connection the
// store opens from now on.
bool RegisterCountingVfs() {
    g_real = sqlite3_vfs_find("unix");
    if (g_real == nullptr || g_real->iVersion < 2) {
        return false;
    }
    g_methods = sqlite3_io_methods{};
    g_methods.iVersion = 3;
    g_methods.xClose = FileClose;
    g_methods.xRead = FileRead;
    g_methods.xWrite = FileWrite;
    g_methods.xTruncate = FileTruncate;
    g_methods.xSync = FileSync;
    g_methods.xFileSize = FileSize;
    g_methods.xLock = FileLock;
    g_methods.xUnlock = FileUnlock;
    g_methods.xCheckReservedLock = FileCheckReservedLock;
    g_methods.xFileControl = FileControl;
    g_methods.xSectorSize = FileSectorSize;
    g_methods.xDeviceCharacteristics = FileDeviceCharacteristics;
    g_methods.xShmMap = FileShmMap;
    g_methods.xShmLock = FileShmLock;
    g_methods.xShmBarrier = FileShmBarrier;
    g_methods.xShmUnmap = FileShmUnmap;
    g_methods.xFetch = FileFetch;
    g_methods.xUnfetch = FileUnfetch;

    g_vfs = sqlite3_vfs{};
    g_vfs.iVersion = 2;
    g_vfs.szOsFile = kHeaderSize + g_real->szOsFile;
    g_vfs.mxPathname = g_real->mxPathname;
    g_vfs.zName = "zovi-counting";
    g_vfs.xOpen = VfsOpen;
    g_vfs.xDelete = VfsDelete;
    g_vfs.xAccess = VfsAccess;
    g_vfs.xFullPathname = VfsFullPathname;
    g_vfs.xDlOpen = VfsDlOpen;
    g_vfs.xDlError = VfsDlError;
    g_vfs.xDlSym = VfsDlSym;
    g_vfs.xDlClose = VfsDlClose;
    g_vfs.xRandomness = VfsRandomness;
    g_vfs.xSleep = VfsSleep;
    g_vfs.xCurrentTime = VfsCurrentTime;
    g_vfs.xGetLastError = VfsGetLastError;
    g_vfs.xCurrentTimeInt64 = VfsCurrentTimeInt64;
    return sqlite3_vfs_register(&g_vfs, 1) == SQLITE_OK;
}

// Writes one row, with its text field set to `text`, to each of the nine linked tables. Sub-groups
// and repayments are appended right after their master row, so their link fields point at it.
// With keepGoing, a StoreError of one table's write is reported, its edit cancelled, and the
// remaining tables are written all the same, as a command that tolerates a failed write would.
void WriteRows(zovi::LedgerTables& data, zovi::DebtTables& cd, const QString& text, bool dataLast,
               bool keepGoing = false) {
    const auto name = u"Name"_s;
    auto writeData = [&] {
        zovi::TableHandle& t = data.tbData;
        t.append();
        t.field(u"Date"_s).setDate(QDate(2024, 3, 15));
        t.field(name).setText(text);
        t.field(u"Gr1"_s).setText(text);
        t.field(u"Type"_s).setText(u"R"_s);
        t.field(u"Value"_s).setDouble(-12.5);
        t.field(u"Rashod"_s).setText(u"12,50 $"_s);
        t.field(u"Valuta"_s).setText(text);
        t.field(u"InDol"_s).setDouble(12.5);
        t.post();
    };
    auto writeNamed = [&](zovi::TableHandle& t) {
        t.append();
        t.field(name).setText(text);
        t.post();
    };
    auto writeGroup = [&](zovi::TableHandle& group, zovi::TableHandle& sub) {
        writeNamed(group);
        const qint64 id = group.field(u"ID"_s).toInt();
        sub.append();
        sub.field(u"IDsecond"_s).setInt(id);
        sub.field(name).setText(text);
        sub.post();
    };
    auto writeCredit = [&] {
        writeNamed(cd.tbCredit);
        const qint64 credit = cd.tbCredit.field(u"ID"_s).toInt();
        cd.tbOplataCredit.append();
        cd.tbOplataCredit.field(u"IDcredit"_s).setInt(credit);
        cd.tbOplataCredit.field(u"Date"_s).setDate(QDate(2024, 3, 16));
        cd.tbOplataCredit.field(u"Comment"_s).setText(text);
        cd.tbOplataCredit.post();
    };

    std::vector<std::function<void()>> steps = {
        writeData,
        [&] { writeNamed(data.tbGr1); },
        [&] { writeGroup(data.tbGrR, data.tbGrR2); },
        [&] { writeGroup(data.tbGrD, data.tbGrD2); },
        [&] { writeNamed(data.tbValuta); },
        writeCredit,
    };
    if (dataLast) {
        std::rotate(steps.begin(), steps.begin() + 1, steps.end());
        std::reverse(steps.begin(), steps.end() - 1);
    }
    for (const auto& step : steps) {
        if (!keepGoing) {
            step();
            continue;
        }
        try {
            step();
        } catch (const zovi::StoreError& e) {
            std::fprintf(stderr, "write failed, going on: %s\n", e.what());
            for (zovi::TableHandle* t :
                 {&data.tbData, &data.tbGr1, &data.tbGrR, &data.tbGrR2, &data.tbGrD, &data.tbGrD2,
                  &data.tbValuta, &cd.tbCredit, &cd.tbOplataCredit}) {
                if (t->mode() != zovi::TableHandle::Mode::Browse) {
                    t->cancel();
                }
            }
        }
    }
}

// The number of the nine linked tables whose handle shows a row written by the command; -1 when
// a table shows more than one.
int TablesShowingAfter(zovi::LedgerTables& data, zovi::DebtTables& cd) {
    const QList<std::pair<zovi::TableHandle*, QString>> tables = {
        {&data.tbData, u"Name"_s},   {&data.tbGr1, u"Name"_s},  {&data.tbGrR, u"Name"_s},
        {&data.tbGrR2, u"Name"_s},   {&data.tbGrD, u"Name"_s},  {&data.tbGrD2, u"Name"_s},
        {&data.tbValuta, u"Name"_s}, {&cd.tbCredit, u"Name"_s}, {&cd.tbOplataCredit, u"Comment"_s},
    };
    int showing = 0;
    for (const auto& [handle, field] : tables) {
        if (handle->master() != nullptr) {
            handle->detachMaster();
        }
        handle->setFiltered(false);
        int after = 0;
        for (handle->first(); !handle->eof(); handle->next()) {
            after += handle->field(field).text() == u"after"_s ? 1 : 0;
        }
        if (after > 1) {
            return -1;
        }
        showing += after;
    }
    return showing;
}

void PrintTrace() {
    std::printf("ops %lld\n", g_counter.count);
    for (const std::string& line : g_counter.trace) {
        std::printf("%s\n", line.c_str());
    }
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    zovi::AppLocale::set(u',', u"dd.MM.yyyy"_s);

    const QStringList args = QCoreApplication::arguments();
    if (args.size() < 5) {
        std::fprintf(stderr, "usage: store_crash_child FOLDER PROGRAM_FOLDER MODE N [ORDER]\n");
        return 2;
    }
    const QString folder = args.at(1);
    const QString programFolder = args.at(2);
    const QString mode = args.at(3);
    bool numberOk = false;
    g_counter.target = args.at(4).toLongLong(&numberOk);
    const bool dataLast = args.size() > 5 && args.at(5) == u"data-last"_s;
    if (!numberOk) {
        std::fprintf(stderr, "N is not a number\n");
        return 2;
    }
    const bool keepGoing = mode == u"ioerr-continue"_s;
    if (mode == u"kill"_s) {
        g_counter.fault = Fault::Kill;
    } else if (mode == u"ioerr"_s || keepGoing) {
        g_counter.fault = Fault::IoError;
    } else if (mode != u"count"_s && mode != u"throw"_s && mode != u"before"_s) {
        std::fprintf(stderr, "unknown mode\n");
        return 2;
    }

    zovi::ProgramFolder::set(programFolder);
    if (!RegisterCountingVfs()) {
        std::fprintf(stderr, "cannot register the counting file layer\n");
        return 4;
    }

    zovi::LedgerTables data;
    zovi::DebtTables cd;
    int code = 0;
    try {
        zovi::BindDatabase(data, cd, folder, programFolder);
        zovi::OpenDatabase(data, cd);
        g_counter.armed = true;
        {
            zovi::Transaction t;
            if (mode == u"throw"_s) {
                WriteRows(data, cd, u"after"_s, dataLast);
                throw zovi::StoreError(u"deliberate failure before commit"_s);
            }
            WriteRows(data, cd, mode == u"before"_s ? u"before"_s : u"after"_s, dataLast,
                      keepGoing);
            t.commit();
        }
    } catch (const zovi::StoreError& e) {
        std::fprintf(stderr, "StoreError: %s\n", e.what());
        code = 3;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "error: %s\n", e.what());
        code = 4;
    }
    g_counter.armed = false;
    if (code != 4 && data.tbData.isOpen()) {
        // What the store itself shows after the command, so the parent can compare it with the
        // files: after a failed command the handles must show it undone as well.
        try {
            std::printf("view-after %d\n", TablesShowingAfter(data, cd));
        } catch (const zovi::StoreError& e) {
            std::fprintf(stderr, "reading the handles failed: %s\n", e.what());
            code = 4;
        }
    }
    PrintTrace();
    return code;
}
