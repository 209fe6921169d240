#pragma once

#include "debts/debts.h"
#include "ledger/ledgertest.h"

namespace zovi::test {

// The tests of debts: a fresh database per test function with the currencies of LedgerTest and
// two accounts.
class DebtsTest : public LedgerTest {
protected:
    void fillAccounts() {
        Transaction t;
        Put(m_data->tbGr1, {{"Name", S("Main")}});
        Put(m_data->tbGr1, {{"Name", S("Wallet")}});
        t.commit();
    }

    static Debt MakeDebt(bool credit, const char* name, const char* amount, const char* sign,
                         const char* rate = "3", const char* type = "M",
                         QDate date = QDate(2024, 1, 15), const char* account = "Main") {
        Debt d;
        d.credit = credit;
        d.date = date;
        d.name = S(name);
        d.amount = S(amount);
        d.currencySign = S(sign);
        d.rate = S(rate);
        d.type = S(type);
        d.account = S(account);
        return d;
    }

    // The number of rows of a table file.
    QString count(const char* file, const char* table) {
        return QueryFile(tableFile(file),
                         QStringLiteral("SELECT COUNT(*) FROM %1").arg(QString::fromLatin1(table)));
    }

    // One column of the row with this ID of a table, read from its file.
    QString column(const char* file, const char* table, const char* field, qint64 id) {
        return QueryFile(tableFile(file),
                         QStringLiteral("SELECT \"%1\" FROM %2 WHERE ID=%3")
                             .arg(QString::fromLatin1(field), QString::fromLatin1(table))
                             .arg(id));
    }
};

} // namespace zovi::test
