#pragma once

#include <QDate>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QtGlobal>
#include <optional>

namespace zovi {

class LedgerTables;
class DebtTables;

// What to generate: how many ledger entries, spread over which days, and the seed that makes
// the same options give the same database.
struct GeneratorOptions {
    int entries = 300;
    QDate firstDate = QDate(2023, 1, 1);
    int years = 2; // the entries fall on firstDate up to the day before firstDate + years
    quint32 seed = 1;
    int transfersPercent = 0; // how many of every hundred entries are transfers between accounts
    // Every entry's name carries a note of its own (a running number and a few words) and its
    // amount varies in cents, so that no two entries share a name or, mostly, an amount text:
    // a ledger kept with free-text notes.
    bool distinct = false;
};

// What was written, for the caller's report.
struct GeneratedLedger {
    QStringList accounts;
    QStringList currencies; // names, the main one first
    int chargeGroups = 0;   // groups and sub-groups written
    int incomeGroups = 0;
    int charges = 0; // entries written per kind
    int incomes = 0;
    int transfers = 0; // pairs of rows
    int exchanges = 0;
    QDate firstDate; // the dates the entries span
    QDate lastDate;
};

// Fills the open database of data (made from the template, its ledger and classifiers empty)
// with a household's money records through the program's own commands: accounts, a main
// currency and two others with rates of both directions and opening balances, two-level groups
// of charges and incomes, and entries on days spread evenly over the period, stored in date
// order, mostly charges, some incomes and a few currency exchanges, in the accounts and
// currencies people use most, and the share of transfers asked for (each a linked pair of
// consecutive rows, as the transfer command writes them: cash withdrawn, money put aside or a
// credit card paid off). Then the balances are computed as the main window does. Everything is
// one transaction. The same options always give the same rows. Throws StoreError when a write
// fails (nothing is stored).
GeneratedLedger GenerateLedger(LedgerTables& data, const GeneratorOptions& options);

// What debts to generate: how many, beginning on days between the two dates, with monthly
// repayments up to the last date; the seed makes the same options give the same debts.
struct DebtOptions {
    int debts = 4;
    QDate firstDate = QDate(2023, 1, 1);
    QDate lastDate = QDate(2024, 12, 31);
    quint32 seed = 1;
};

struct GeneratedDebts {
    int debts = 0;
    int repayments = 0;
};

// Adds debts borrowed and lent in turn (the first one borrowed), at yearly and monthly rates, in
// the accounts and the first two currencies of a generated ledger (run GenerateLedger first), each
// repaid once a month from the month after it began, through the debts commands, so that every debt
// and repayment has its ledger row. Everything is one transaction. Throws StoreError when there is
// no account or no currency, or a write fails (nothing is stored).
GeneratedDebts GenerateDebts(LedgerTables& data, DebtTables& cd, const DebtOptions& options);

namespace bench {

// The database the benchmarks measure: the template written into folder (with the program
// folder program), then entries spread over the two years up to today, five of every hundred
// transfers (with distinct, every entry's texts its own: see GeneratorOptions). Prints how long
// the generating took and what it wrote.
void GenerateTimed(const QString& folder, const QString& program, int entries,
                   bool distinct = false);

// The entry counts a bench is given and whether its ledgers are of distinct texts ("--distinct"
// among the arguments); nothing when an argument is neither.
struct SizeArguments {
    QList<int> sizes;
    bool distinct = false;
};
std::optional<SizeArguments> ParseSizes(const QStringList& arguments);

// The folders a bench over a generated ledger starts from: a temporary program folder with its
// print tables and a database folder beside it; the program folder and a settings path of their
// own are in force from its making on.
class BenchFolders {
public:
    BenchFolders();
    QString program() const { return m_root.filePath(QStringLiteral("program")); }
    QString folder() const { return m_root.filePath(QStringLiteral("db")); }
    // A file of the bench's own beside the two folders.
    QString path(const QString& name) const { return m_root.filePath(name); }
    // Binds both data modules to the database folder and opens every handle.
    void open(LedgerTables& data, DebtTables& cd) const;

private:
    QTemporaryDir m_root;
    QTemporaryDir m_settings;
};

} // namespace bench

} // namespace zovi
