// Undo and redo of the ledger and debt commands, through the logic functions the commands call,
// compared with every row of every table file of the database.
#include "debtstest.h"

#include "ledger/deleteentry.h"
#include "ledger/exchange.h"
#include "ledger/standardentry.h"
#include "ledger/transfer.h"
#include "store/error.h"
#include "store/history.h"

#include <QDirIterator>
#include <QProcess>

using namespace zovi;
using namespace zovi::test;

namespace {

// Every row (with its rowid) of every table of every table file of a folder, as typed text.
QString DumpFolder(const QString& folder) {
    QString out;
    QDirIterator files(folder, {QStringLiteral("*.db")}, QDir::Files);
    QStringList paths;
    while (files.hasNext())
        paths << files.next();
    paths.sort();
    for (const QString& path : std::as_const(paths)) {
        sqlite3* db = nullptr;
        sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READONLY, nullptr);
        QStringList tables;
        sqlite3_stmt* st = nullptr;
        // The table of the next IDs is left out: an undone insert does not give its ID back.
        sqlite3_prepare_v2(db,
                           "SELECT name FROM sqlite_master WHERE type='table' AND "
                           "name<>'sqlite_sequence' ORDER BY name",
                           -1, &st, nullptr);
        while (sqlite3_step(st) == SQLITE_ROW)
            tables << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
        sqlite3_finalize(st);
        for (const QString& table : std::as_const(tables)) {
            out += QFileInfo(path).fileName() + QLatin1Char(':') + table + QLatin1Char('\n');
            const QByteArray sql = "SELECT rowid,* FROM \"" + table.toUtf8() + "\" ORDER BY rowid";
            sqlite3_prepare_v2(db, sql.constData(), -1, &st, nullptr);
            while (sqlite3_step(st) == SQLITE_ROW) {
                for (int c = 0; c < sqlite3_column_count(st); ++c) {
                    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(st, c));
                    out += QString::number(sqlite3_column_type(st, c)) + QLatin1Char('=') +
                           (text ? QString::fromUtf8(text) : QStringLiteral("NULL")) +
                           QLatin1Char('|');
                }
                out += QLatin1Char('\n');
            }
            sqlite3_finalize(st);
        }
        sqlite3_close(db);
    }
    return out;
}

enum class Command {
    NewEntry,
    EditEntry,
    DeleteEntry,
    NewTransfer,
    DeleteTransferSide,
    NewExchange,
    DeleteSeveral,
    MoveSeveral,
    NewDebt,
    EditDebt,
    DeleteDebt,
    NewRepayment,
    DeleteRepayment,
};

} // namespace

class TestHistory : public DebtsTest {
    Q_OBJECT

    qint64 m_entry = 0;
    TransferRows m_transfer;
    qint64 m_debt = 0;
    qint64 m_repayment = 0;

    static StandardEntry Bread(const char* amount = "3,5") {
        return StandardEntry{false,  QDate(2024, 3, 1), S("Bread"), S(amount),
                             S("R"), S("Food"),         S("Shop")};
    }

    QString dump() { return DumpFolder(m_db->folder()); }

    void run(Command command) {
        CommandHistory::Recording recording(QStringLiteral("command"));
        switch (command) {
        case Command::NewEntry:
            AppendStandardEntry(*m_data, Bread(), S("Wallet"));
            break;
        case Command::EditEntry:
            RewriteStandardEntry(*m_data, m_entry, Bread("7"), S("Main"));
            break;
        case Command::DeleteEntry:
            DeleteEntries(*m_data, *m_cd, {m_entry});
            break;
        case Command::NewTransfer: {
            Transfer t{QDate(2024, 3, 2), S("5"),   S("$"), S("Main"),
                       S("Wallet"),       S("out"), S("in")};
            AppendTransfer(*m_data, t);
            break;
        }
        case Command::DeleteTransferSide:
            DeleteEntries(*m_data, *m_cd, {m_transfer.in});
            break;
        case Command::NewExchange:
            AppendExchange(
                *m_data,
                ExchangeEntry{QDate(2024, 3, 3), S("change"), S("300"), S("30"), S("R"), S("$")},
                S("Main"));
            break;
        case Command::DeleteSeveral:
            DeleteEntries(*m_data, *m_cd, {m_entry, m_transfer.out});
            break;
        case Command::MoveSeveral:
            MoveEntries(*m_data, {m_entry, m_transfer.out}, S("Main"));
            break;
        case Command::NewDebt:
            AppendDebt(*m_data, *m_cd, MakeDebt(false, "Car loan", "500", "R"));
            break;
        case Command::EditDebt:
            RewriteDebt(*m_data, *m_cd, m_debt, MakeDebt(true, "House", "2000", "$", "5"));
            break;
        case Command::DeleteDebt:
            DeleteDebt(*m_data, *m_cd, m_debt);
            break;
        case Command::NewRepayment:
            AppendRepayment(*m_data, *m_cd, m_debt, {QDate(2024, 3, 5), S("40"), S("again")});
            break;
        case Command::DeleteRepayment:
            DeleteRepayment(*m_data, *m_cd, m_repayment);
            break;
        }
    }

private Q_SLOTS:
    void init() {
        initDatabase();
        fillCurrencies();
        fillAccounts();
        CommandHistory::instance().clear();
        // Something of every kind for the commands to change, outside the history.
        m_entry = AppendStandardEntry(*m_data, Bread(), S("Wallet"));
        m_transfer = AppendTransfer(*m_data, Transfer{QDate(2024, 2, 1), S("12,5"), S("$"),
                                                      S("Wallet"), S("Main"), S("to"), S("from")});
        m_debt = AppendDebt(*m_data, *m_cd, MakeDebt(true, "House", "1000", "$"));
        m_repayment =
            AppendRepayment(*m_data, *m_cd, m_debt, {QDate(2024, 2, 1), S("30"), S("part")});
        QVERIFY(!CommandHistory::instance().canUndo());
    }
    void cleanup() {
        CommandHistory::instance().clear();
        cleanupDatabase();
    }

    void undoRedo_data() {
        QTest::addColumn<Command>("command");
        QTest::newRow("new entry") << Command::NewEntry;
        QTest::newRow("edit entry") << Command::EditEntry;
        QTest::newRow("delete entry") << Command::DeleteEntry;
        QTest::newRow("new transfer") << Command::NewTransfer;
        QTest::newRow("delete one side of a transfer") << Command::DeleteTransferSide;
        QTest::newRow("new exchange") << Command::NewExchange;
        QTest::newRow("delete several") << Command::DeleteSeveral;
        QTest::newRow("move several") << Command::MoveSeveral;
        QTest::newRow("new debt") << Command::NewDebt;
        QTest::newRow("edit debt") << Command::EditDebt;
        QTest::newRow("delete debt") << Command::DeleteDebt;
        QTest::newRow("new repayment") << Command::NewRepayment;
        QTest::newRow("delete repayment") << Command::DeleteRepayment;
    }
    void undoRedo() {
        QFETCH(Command, command);
        CommandHistory& history = CommandHistory::instance();
        const QString before = dump();
        run(command);
        const QString after = dump();
        QVERIFY(before != after);
        QCOMPARE(history.undoLabel(), QStringLiteral("command"));
        // Twice each way: a redone step undoes again.
        for (int round = 0; round < 2; ++round) {
            history.undo();
            QCOMPARE(dump(), before);
            QVERIFY(!history.canUndo());
            QCOMPARE(history.redoLabel(), QStringLiteral("command"));
            history.redo();
            QCOMPARE(dump(), after);
            QVERIFY(!history.canRedo());
        }
        // The images agree with the files: the logic reads the rows back.
        history.undo();
        refreshLedger();
        if (command == Command::DeleteTransferSide) {
            const StoredTransfer pair = ReadTransfer(*m_data, m_transfer.in);
            QCOMPARE(pair.rows.out, m_transfer.out);
            QCOMPARE(pair.rows.in, m_transfer.in);
            QCOMPARE(pair.transfer.nameIn, S("from"));
        }
    }

    void staleStepIsRefused() {
        CommandHistory& history = CommandHistory::instance();
        run(Command::EditEntry);
        const QString edited = dump();
        // The entry is changed again outside the history.
        RewriteStandardEntry(*m_data, m_entry, Bread("9"), S("Main"));
        const QString changed = dump();
        QVERIFY(changed != edited);
        try {
            history.undo();
            QFAIL("a stale step was undone");
        } catch (const StoreError& e) {
            QVERIFY(e.message().contains(QStringLiteral("changed since")));
        }
        QCOMPARE(dump(), changed);
        QVERIFY(!history.canUndo());
    }

    // A kill -9 while a command of thousands of rows is undone or redone leaves the tables as
    // they were before the command or as it left them, never between.
    void killWhileUndoing_data() {
        QTest::addColumn<int>("steps"); // the undos and redos begun before the kill
        for (int steps : {1, 2, 3, 5, 8})
            QTest::newRow(qPrintable(QStringLiteral("after %1").arg(steps))) << steps;
    }
    void killWhileUndoing() {
        QFETCH(int, steps);
        constexpr int kRows = 3000;
        m_cd.reset();
        m_data.reset();
        const QString before = dump();
        const int earlier =
            QueryFile(dataFile(), QStringLiteral("SELECT count(*) FROM Data")).toInt();
        const QString others = dump().section(QStringLiteral("Data.db:"), 0, 0);
        QProcess child;
        child.start(QStringLiteral(ZOVI_HISTORY_CHILD),
                    {m_db->folder(), m_db->programFolder(), QString::number(kRows)});
        QVERIFY(child.waitForStarted());
        int seen = 0;
        QByteArray lines;
        while (seen < steps) {
            QVERIFY2(child.waitForReadyRead(60000), child.readAllStandardError().constData());
            lines += child.readAllStandardOutput();
            seen = int(lines.count("step\n"));
        }
        QVERIFY(lines.startsWith("ready\n"));
        child.kill();
        QVERIFY(child.waitForFinished());
        QCOMPARE(child.exitStatus(), QProcess::CrashExit);
        // A read-write opening rolls a journal left by the kill back, as the program does.
        ExecFile(dataFile(), QStringLiteral("SELECT count(*) FROM Data"));
        const QString state = dump();
        if (state == before)
            return;
        QCOMPARE(state.section(QStringLiteral("Data.db:"), 0, 0), others);
        QCOMPARE(
            QueryFile(dataFile(),
                      QStringLiteral("SELECT count(*) || ' ' || "
                                     "count(DISTINCT Name) || ' ' || CAST(sum(Value) AS INTEGER) "
                                     "FROM Data WHERE Name = 'row ' || CAST(Value AS INTEGER)")),
            QStringLiteral("%1 %1 %2").arg(kRows).arg(kRows * (kRows + 1) / 2));
        QCOMPARE(QueryFile(dataFile(), QStringLiteral("SELECT count(*) FROM Data")),
                 QString::number(earlier + kRows));
    }

    void stepsStackAndEmptyStepsAreSkipped() {
        CommandHistory& history = CommandHistory::instance();
        {
            CommandHistory::Recording outer(QStringLiteral("outer"));
            CommandHistory::Recording inner(QStringLiteral("inner"));
            run(Command::NewEntry);
            run(Command::NewDebt);
        }
        { CommandHistory::Recording nothing(QStringLiteral("nothing")); }
        QCOMPARE(history.undoLabel(), QStringLiteral("outer"));
        history.undo();
        QVERIFY(!history.canUndo());
        run(Command::NewEntry);
        QVERIFY(!history.canRedo());
        history.clear(QStringLiteral("the import"));
        QVERIFY(!history.canUndo());
        QCOMPARE(history.clearedReason(), QStringLiteral("the import"));
    }
};

QTEST_GUILESS_MAIN(TestHistory)
#include "tst_history.moc"
