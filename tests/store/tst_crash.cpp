// Atomicity of a command that writes several tables, when the process dies or the disk fails in
// the middle of its commit. A child process (crash_child.cpp) appends one row to each of the nine
// linked tables in one transaction and is killed, or sees a failing file operation, at a chosen
// step of its file operations. Afterwards every table file is opened on its own with plain
// SQLite, as another program would, and must show either the whole command or none of it.

#include "fixtures.h"
#include "store/tests.h"

#include "store/datamodules.h"
#include "store/error.h"
#include "store/schema.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <csignal>
#include <functional>
#include <memory>
#include <sqlite3.h>

using namespace Qt::StringLiterals;

using zovi::test::CopyFolder;

namespace {

// The numbered file operations of one transaction of the child, as its "count" run lists them.
struct Plan {
    int total = 0;
    QStringList steps;   // "<n> <kind> <file>", in order
    int firstCommit = 0; // the first step of the commit: the first touching the super-journal
    int commitPoint = 0; // the deletion of the super-journal: the transaction is durable after it
    int mainDbSync = 0;  // the sync of Data.db itself during the commit
};

struct ChildRun {
    bool started = false;
    bool finished = false;
    bool crashed = false;
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

// What one table file shows when opened on its own.
struct TableState {
    QString file;
    int before = -1;
    int after = -1;
    int rows = -1;
    QString integrity;
    QString error;
};

struct FolderState {
    QList<TableState> tables;
    QStringList problems; // open errors, failed integrity checks, unexpected rows

    // The number of tables that hold the command's row: 0 or 9 when the folder is consistent.
    int afterCount() const {
        int n = 0;
        for (const TableState& t : tables) {
            n += t.after == 1 ? 1 : 0;
        }
        return n;
    }
    bool consistent() const {
        const int n = afterCount();
        return problems.isEmpty() && (n == 0 || n == int(tables.size()));
    }
    QString describe() const {
        QStringList parts;
        for (const TableState& t : tables) {
            parts << u"%1: before=%2 after=%3 rows=%4 integrity=%5%6"_s.arg(t.file)
                         .arg(t.before)
                         .arg(t.after)
                         .arg(t.rows)
                         .arg(t.integrity, t.error.isEmpty() ? QString() : u" error="_s + t.error);
        }
        return parts.join(u"; "_s) +
               (problems.isEmpty() ? QString() : u" | problems: "_s + problems.join(u", "_s));
    }
};

QString TextColumn(const zovi::TableSchema& schema) {
    return schema.tableName.compare(u"OplataCredit"_s, Qt::CaseInsensitive) == 0 ? u"Comment"_s
                                                                                 : u"Name"_s;
}

// One integer from a query on a plain connection; -1 and the message in error on failure.
int QueryInt(sqlite3* db, const QString& sql, QString& error) {
    sqlite3_stmt* stmt = nullptr;
    const QByteArray utf8 = sql.toUtf8();
    int result = -1;
    if (sqlite3_prepare_v2(db, utf8.constData(), -1, &stmt, nullptr) != SQLITE_OK) {
        error = QString::fromUtf8(sqlite3_errmsg(db));
        return -1;
    }
    const int rc = sqlite3_step(stmt);
    if (rc == SQLITE_ROW) {
        result = sqlite3_column_int(stmt, 0);
    } else {
        error = QString::fromUtf8(sqlite3_errmsg(db));
    }
    sqlite3_finalize(stmt);
    return result;
}

QString QueryIntegrity(sqlite3* db, QString& error) {
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &stmt, nullptr) != SQLITE_OK) {
        error = QString::fromUtf8(sqlite3_errmsg(db));
        return QString();
    }
    QStringList lines;
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        lines << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)));
    }
    if (rc != SQLITE_DONE) {
        error = QString::fromUtf8(sqlite3_errmsg(db));
    }
    sqlite3_finalize(stmt);
    return lines.join(u" / "_s);
}

// Opens each of the nine linked table files with its own plain SQLite connection (which rolls
// back a hot journal of that file, as any other program opening it would) and reads its rows.
FolderState InspectFolder(const QString& folder) {
    FolderState state;
    for (const zovi::TableSchema* schema : zovi::LinkedTables()) {
        TableState t;
        t.file = schema->fileName;
        const QString path = folder + u'/' + schema->fileName;
        sqlite3* db = nullptr;
        if (!QFileInfo::exists(path)) {
            t.error = u"missing"_s;
        } else if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READWRITE,
                                   nullptr) != SQLITE_OK) {
            t.error = QString::fromUtf8(db != nullptr ? sqlite3_errmsg(db) : "cannot open");
        } else {
            const QString table = u"\"%1\""_s.arg(schema->tableName);
            const QString column = u"\"%1\""_s.arg(TextColumn(*schema));
            const QString count = u"SELECT COUNT(*) FROM %1 WHERE %2 = '%3'"_s;
            t.before = QueryInt(db, count.arg(table, column, u"before"_s), t.error);
            t.after = QueryInt(db, count.arg(table, column, u"after"_s), t.error);
            t.rows = QueryInt(db, u"SELECT COUNT(*) FROM %1"_s.arg(table), t.error);
            t.integrity = QueryIntegrity(db, t.error);
        }
        sqlite3_close(db);
        if (!t.error.isEmpty()) {
            state.problems << u"%1: %2"_s.arg(t.file, t.error);
        } else if (t.integrity != u"ok"_s) {
            state.problems << u"%1: integrity %2"_s.arg(t.file, t.integrity);
        } else if (t.before != 1 || t.after < 0 || t.after > 1 || t.rows != t.before + t.after) {
            state.problems << u"%1: unexpected rows"_s.arg(t.file);
        }
        state.tables << t;
    }
    return state;
}

QStringList ChildArguments(const QString& folder, const QString& program, const QString& mode,
                           int n, const QString& order) {
    return {folder, program, mode, QString::number(n), order};
}

ChildRun Finish(QProcess& process) {
    ChildRun run;
    run.started = true;
    run.finished = process.waitForFinished(60000);
    if (!run.finished) {
        process.kill();
        process.waitForFinished(5000);
    }
    run.crashed = process.exitStatus() == QProcess::CrashExit;
    run.exitCode = process.exitCode();
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    return run;
}

ChildRun RunChild(const QStringList& args) {
    QProcess process;
    process.start(QStringLiteral(ZOVI_CRASH_CHILD), args);
    if (!process.waitForStarted(30000)) {
        return ChildRun{};
    }
    return Finish(process);
}

QString DescribeRun(const ChildRun& run) {
    if (!run.started) {
        return u"child did not start"_s;
    }
    if (!run.finished) {
        return u"child did not finish"_s;
    }
    return (run.crashed ? u"died by signal %1"_s : u"exit code %1"_s).arg(run.exitCode) +
           (run.err.isEmpty() ? QString() : u", stderr: "_s + QString::fromUtf8(run.err).trimmed());
}

// How many of the nine tables the child's own handles showed the command in after it ended;
// -2 when the child did not say.
int ViewAfter(const ChildRun& run) {
    const QStringList lines = QString::fromUtf8(run.out).split(u'\n', Qt::SkipEmptyParts);
    for (const QString& line : lines) {
        if (line.startsWith(u"view-after "_s)) {
            return line.mid(11).toInt();
        }
    }
    return -2;
}

Plan ParsePlan(const QByteArray& out) {
    Plan plan;
    const QStringList lines = QString::fromUtf8(out).split(u'\n', Qt::SkipEmptyParts);
    for (const QString& line : lines) {
        if (line.startsWith(u"ops "_s)) {
            plan.total = line.mid(4).toInt();
            continue;
        }
        if (line.startsWith(u"view-after "_s)) {
            continue;
        }
        const QStringList parts = line.split(u' ');
        if (parts.size() < 3) {
            continue;
        }
        plan.steps << line;
        const int n = parts.at(0).toInt();
        const QString& kind = parts.at(1);
        const QString& file = parts.at(2);
        const bool super = file.contains(u"-mj"_s);
        if (super && plan.firstCommit == 0) {
            plan.firstCommit = n;
        }
        if (super && kind == u"delete"_s) {
            plan.commitPoint = n;
        }
        if (plan.firstCommit != 0 && plan.commitPoint == 0 && kind == u"sync"_s &&
            file.compare(u"Data.db"_s, Qt::CaseInsensitive) == 0) {
            plan.mainDbSync = n;
        }
    }
    return plan;
}

// The steps a run interferes with: every step from shortly before the commit to the end, and an
// even sample of the journal writes of the appends before it (those only ever reach the journal
// and the page cache, so a few of them stand for all).
QList<int> ChosenSteps(const Plan& plan) {
    QList<int> steps;
    const int denseFrom = qMax(1, plan.firstCommit - 3);
    const int sampled = 12;
    const int stride = qMax(1, (denseFrom - 1) / sampled);
    for (int n = 1; n < denseFrom; n += stride) {
        steps << n;
    }
    for (int n = denseFrom; n <= plan.total; ++n) {
        steps << n;
    }
    return steps;
}

struct Job {
    QString mode;
    QString order;
    int n = 0;
};

// Reads the nine linked tables through the store and counts those that hold the "after" row;
// -1 when a table misses its "before" row or holds more than one "after" row.
int AfterTablesThroughStore(zovi::LedgerTables& data, zovi::DebtTables& cd, QString& detail) {
    const QList<std::pair<zovi::TableHandle*, QString>> tables = {
        {&data.tbData, u"Name"_s},   {&data.tbGr1, u"Name"_s},  {&data.tbGrR, u"Name"_s},
        {&data.tbGrR2, u"Name"_s},   {&data.tbGrD, u"Name"_s},  {&data.tbGrD2, u"Name"_s},
        {&data.tbValuta, u"Name"_s}, {&cd.tbCredit, u"Name"_s}, {&cd.tbOplataCredit, u"Comment"_s},
    };
    int afterTables = 0;
    bool broken = false;
    for (const auto& [handle, field] : tables) {
        if (handle->master() != nullptr) {
            handle->detachMaster();
        }
        handle->setFiltered(false);
        int before = 0;
        int after = 0;
        for (handle->first(); !handle->eof(); handle->next()) {
            const QString text = handle->field(field).text();
            before += text == u"before"_s ? 1 : 0;
            after += text == u"after"_s ? 1 : 0;
        }
        detail += u"%1: before=%2 after=%3; "_s.arg(handle->objectName()).arg(before).arg(after);
        if (before != 1 || after > 1) {
            broken = true;
        }
        afterTables += after;
    }
    return broken ? -1 : afterTables;
}

} // namespace

class TestCrash : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<zovi::test::TempDatabase> m_db;
    QTemporaryDir m_work;
    QString m_pristine;
    QStringList m_slotFolders;
    QStringList m_slotPrograms;
    int m_slots = 1;

    // Runs the child for every job, in parallel over the slots, each on a fresh copy of the
    // "before" folder, and hands each finished job and its folder to check.
    void runJobs(const QList<Job>& jobs,
                 const std::function<void(const Job&, const ChildRun&, const QString&)>& check) {
        for (qsizetype i = 0; i < jobs.size(); i += m_slots) {
            const qsizetype batch = qMin<qsizetype>(m_slots, jobs.size() - i);
            std::vector<std::unique_ptr<QProcess>> processes;
            for (qsizetype s = 0; s < batch; ++s) {
                const Job& job = jobs.at(i + s);
                QVERIFY2(CopyFolder(m_pristine, m_slotFolders.at(s)), "cannot restore the folder");
                auto process = std::make_unique<QProcess>();
                process->start(QStringLiteral(ZOVI_CRASH_CHILD),
                               ChildArguments(m_slotFolders.at(s), m_slotPrograms.at(s), job.mode,
                                              job.n, job.order));
                processes.push_back(std::move(process));
            }
            for (qsizetype s = 0; s < batch; ++s) {
                ChildRun run;
                if (processes[s]->waitForStarted(30000)) {
                    run = Finish(*processes[s]);
                }
                check(jobs.at(i + s), run, m_slotFolders.at(s));
            }
        }
    }

    Plan countSteps(const QString& order) {
        const QString folder = m_work.path() + u"/count"_s;
        Plan plan;
        if (!CopyFolder(m_pristine, folder)) {
            return plan;
        }
        const ChildRun run =
            RunChild(ChildArguments(folder, m_db->programFolder(), u"count"_s, 1 << 30, order));
        if (!run.finished || run.crashed || run.exitCode != 0) {
            qWarning("count run failed: %s", qPrintable(DescribeRun(run)));
            return plan;
        }
        plan = ParsePlan(run.out);
        if (ViewAfter(run) != 9) {
            qWarning("after the count run the handles show the command in %d tables",
                     ViewAfter(run));
            plan.total = 0;
        }
        const FolderState state = InspectFolder(folder);
        if (!state.consistent() || state.afterCount() != int(state.tables.size())) {
            qWarning("count run did not leave the whole command: %s", qPrintable(state.describe()));
            plan.total = 0;
        }
        return plan;
    }

    // Runs every chosen step of one mode and ordering and checks each outcome: the tables show
    // the command wholly or not at all, the child's own report agrees with what the files show,
    // and which of the two outcomes it is follows from whether the super-journal was deleted.
    void interfereAtEveryStep(const QString& mode) {
        QFETCH(QString, order);
        const Plan plan = countSteps(order);
        QVERIFY2(plan.total > 0, "the counting run of the child failed");
        QCOMPARE(plan.total, int(plan.steps.size()));
        const bool knownCommitPoint = plan.commitPoint > 0;

        QList<Job> jobs;
        for (int n : ChosenSteps(plan)) {
            jobs << Job{mode, order, n};
        }
        QStringList failures;
        int whole = 0;
        int none = 0;
        runJobs(jobs, [&](const Job& job, const ChildRun& run, const QString& folder) {
            const QString step = plan.steps.value(job.n - 1);
            const bool durable = job.n > plan.commitPoint;
            const FolderState state = InspectFolder(folder);
            const bool after = state.afterCount() != 0;
            const bool failed = run.finished && !run.crashed && run.exitCode == 3;
            const bool succeeded = run.finished && !run.crashed && run.exitCode == 0;
            QString wrong;
            if (!run.finished) {
                wrong = DescribeRun(run);
            } else if (mode == u"kill"_s && !(run.crashed && run.exitCode == SIGKILL)) {
                wrong = u"expected death by SIGKILL, got "_s + DescribeRun(run);
            } else if (mode == u"ioerr"_s && !failed && !succeeded) {
                wrong = u"expected success or a StoreError, got "_s + DescribeRun(run);
            } else if (!state.consistent()) {
                wrong = u"tables disagree: "_s + state.describe();
            } else if (mode == u"ioerr"_s && failed && after) {
                wrong = u"the command reported failure but was saved: "_s + state.describe();
            } else if (mode == u"ioerr"_s && succeeded && !after) {
                wrong = u"the command reported success but was lost: "_s + state.describe();
            } else if (mode == u"ioerr"_s && ViewAfter(run) != (after ? 9 : 0)) {
                wrong = u"the handles show the command in %1 tables, the files in %2"_s
                            .arg(ViewAfter(run))
                            .arg(state.afterCount());
            } else if (knownCommitPoint && after != durable) {
                wrong = (durable ? u"command lost after its commit point: "_s
                                 : u"command visible before its commit point: "_s) +
                        state.describe();
            }
            if (!wrong.isEmpty()) {
                failures << u"%1 %2 at step [%3]: %4"_s.arg(mode, order, step, wrong);
            }
            (after ? whole : none) += 1;
        });
        qInfo("%s %s: %d steps, commit %d..%d, %lld runs: %d left it before, %d after",
              qPrintable(mode), qPrintable(order), plan.total, plan.firstCommit, plan.commitPoint,
              qlonglong(jobs.size()), none, whole);
        QVERIFY2(failures.isEmpty(),
                 qPrintable(u"%1 of %2 runs went wrong:\n"_s.arg(failures.size()).arg(jobs.size()) +
                            failures.mid(0, 8).join(u'\n')));
        QVERIFY2(knownCommitPoint,
                 "the commit of nine tables did not go through one super-journal");
        QVERIFY(plan.firstCommit < plan.commitPoint);
        QVERIFY(none > 0);
        QVERIFY(whole > 0);
    }

private Q_SLOTS:
    void initTestCase() {
        QElapsedTimer timer;
        timer.start();
        QVERIFY(m_work.isValid());
        m_db = std::make_unique<zovi::test::TempDatabase>();
        m_pristine = m_db->folder();
        m_slots = qBound(1, QThread::idealThreadCount(), 4);
        for (int s = 0; s < m_slots; ++s) {
            m_slotFolders << m_work.path() + u"/slot%1/db"_s.arg(s);
            m_slotPrograms << m_work.path() + u"/slot%1/program"_s.arg(s);
            QVERIFY(CopyFolder(m_db->programFolder(), m_slotPrograms.last()));
        }

        // The known "before" state: one committed row in each of the nine tables.
        const ChildRun run =
            RunChild(ChildArguments(m_pristine, m_db->programFolder(), u"before"_s, 0, QString()));
        QVERIFY2(run.finished && !run.crashed && run.exitCode == 0, qPrintable(DescribeRun(run)));
        const FolderState state = InspectFolder(m_pristine);
        QVERIFY2(state.consistent() && state.afterCount() == 0, qPrintable(state.describe()));
        QCOMPARE(int(state.tables.size()), 9);
        qInfo("before state written in %lld ms", qlonglong(timer.elapsed()));
    }

    void cleanupTestCase() { m_db.reset(); }

    void killAtEveryStep_data() {
        QTest::addColumn<QString>("order");
        QTest::newRow("data-first") << u"data-first"_s;
        QTest::newRow("data-last") << u"data-last"_s;
    }

    // A kill -9 at any step leaves the command wholly before its commit point and wholly after it.
    void killAtEveryStep() { interfereAtEveryStep(u"kill"_s); }

    void failAtEveryStep_data() { killAtEveryStep_data(); }

    // A failing file operation at any step up to the commit point makes the command fail with a
    // StoreError and leaves nothing of it; past the commit point the command has succeeded.
    void failAtEveryStep() { interfereAtEveryStep(u"ioerr"_s); }

    // The store itself opens a folder left by a kill in the middle of a commit (hot journals in
    // some files, new pages already in others) and shows the command wholly or not at all.
    void storeOpensAfterKill() {
        const Plan plan = countSteps(u"data-first"_s);
        QVERIFY(plan.total > 0 && plan.commitPoint > 0);
        QList<int> steps = {plan.firstCommit, plan.commitPoint, plan.commitPoint + 1, plan.total};
        if (plan.mainDbSync > 0) {
            steps << plan.mainDbSync + 1;
        }
        for (int n : steps) {
            if (n > plan.total) {
                continue;
            }
            const QString folder = m_work.path() + u"/store"_s;
            QVERIFY(CopyFolder(m_pristine, folder));
            const ChildRun run = RunChild(
                ChildArguments(folder, m_db->programFolder(), u"kill"_s, n, u"data-first"_s));
            QVERIFY2(run.crashed && run.exitCode == SIGKILL, qPrintable(DescribeRun(run)));
            const QString step = plan.steps.value(n - 1);
            QString detail;
            int afterTables = -1;
            try {
                zovi::LedgerTables data;
                zovi::DebtTables cd;
                zovi::BindDatabase(data, cd, folder, m_db->programFolder());
                zovi::OpenDatabase(data, cd);
                afterTables = AfterTablesThroughStore(data, cd, detail);
                zovi::CloseDatabase(data, cd);
            } catch (const zovi::StoreError& e) {
                QFAIL(qPrintable(u"the store cannot open the folder after a kill at [%1]: %2"_s.arg(
                    step, e.message())));
            }
            const int expected = n > plan.commitPoint ? 9 : 0;
            QVERIFY2(afterTables == expected,
                     qPrintable(u"kill at [%1]: the store shows %2 tables after, expected %3: %4"_s
                                    .arg(step)
                                    .arg(afterTables)
                                    .arg(expected)
                                    .arg(detail)));
            const FolderState state = InspectFolder(folder);
            QVERIFY2(state.consistent() && (state.afterCount() == expected),
                     qPrintable(state.describe()));
        }
    }

    // A command that passes over a failed write and goes on writing the other tables must still
    // end wholly before: the failed write's row is missing, so the rest must not be saved. SQLite
    // rolls the whole transaction back on its own after a failed journal write; writes after that
    // must not be saved one by one outside the command's transaction.
    void failedWriteThenGoingOn() {
        const Plan plan = countSteps(u"data-first"_s);
        QVERIFY(plan.total > 0 && plan.firstCommit > 0);
        QList<Job> jobs;
        for (int n : ChosenSteps(plan)) {
            if (n < plan.firstCommit) {
                jobs << Job{u"ioerr-continue"_s, u"data-first"_s, n};
            }
        }
        QVERIFY(!jobs.isEmpty());
        QStringList failures;
        runJobs(jobs, [&](const Job& job, const ChildRun& run, const QString& folder) {
            const FolderState state = InspectFolder(folder);
            QString wrong;
            if (!run.finished || run.crashed || run.exitCode != 3) {
                wrong =
                    u"expected the command to fail with a StoreError, got "_s + DescribeRun(run);
            } else if (!state.consistent() || state.afterCount() != 0) {
                wrong = u"the command failed but left rows behind (the handles show %1 tables "
                        u"with them): "_s.arg(ViewAfter(run)) +
                        state.describe();
            } else if (ViewAfter(run) != 0) {
                wrong = u"the handles show the failed command in %1 tables"_s.arg(ViewAfter(run));
            }
            if (!wrong.isEmpty()) {
                failures << u"step [%1]: %2"_s.arg(plan.steps.value(job.n - 1), wrong);
            }
        });
        for (const QString& failure : failures.mid(0, 2)) {
            qInfo("%s", qPrintable(failure));
        }
        QVERIFY2(failures.isEmpty(),
                 qPrintable(u"%1 of %2 runs went wrong:\n"_s.arg(failures.size()).arg(jobs.size()) +
                            failures.mid(0, 8).join(u'\n')));
    }

    // A StoreError thrown after writes to several tables, before commit(), leaves them all as
    // they were.
    void throwBeforeCommit() {
        const QString folder = m_work.path() + u"/throw"_s;
        QVERIFY(CopyFolder(m_pristine, folder));
        const ChildRun run =
            RunChild(ChildArguments(folder, m_db->programFolder(), u"throw"_s, 0, u"data-first"_s));
        QVERIFY2(run.finished && !run.crashed && run.exitCode == 3, qPrintable(DescribeRun(run)));
        QVERIFY2(run.err.contains("deliberate failure before commit"), run.err.constData());
        QCOMPARE(ViewAfter(run), 0);
        const FolderState state = InspectFolder(folder);
        QVERIFY2(state.consistent() && state.afterCount() == 0, qPrintable(state.describe()));
    }
};

QObject* zovi::test::NewCrashTest() {
    return new TestCrash;
}

#include "tst_crash.moc"
