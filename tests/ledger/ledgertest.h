#pragma once

#include "fixtures.h"
#include "ledger/currency.h"
#include "store/datamodules.h"
#include "store/transaction.h"

#include <QStringList>

namespace zovi::test {

inline QString S(const char* utf8) {
    return QString::fromUtf8(utf8);
}

// A currency that only the conversion rules read.
inline Currency Make(const char* name, double kurs, bool more, bool def = false) {
    Currency c;
    c.Name = S(name);
    c.Kurs = kurs;
    c.More = more;
    c.Def = def;
    return c;
}

// The fields of every currency row, in table order, as "Def Name Znak Kurs More OldValue".
inline QStringList CurrencyRows(TableHandle& v) {
    QStringList rows;
    for (const Currency& c : ReadCurrencies(v))
        rows << QStringLiteral("%1 %2 %3 %4 %5 %6")
                    .arg(int(c.Def))
                    .arg(c.Name, c.Znak)
                    .arg(c.Kurs)
                    .arg(int(c.More))
                    .arg(c.OldValue);
    return rows;
}

// The tests of the ledger's logic: a fresh database per test function, with the currencies and
// the ledger below written on demand.
class LedgerTest : public DatabaseTest {
protected:
    QString dataFile() const { return tableFile("Data.db"); }
    QString valutaFile() const { return tableFile("Valuta.db"); }

    // Main R (Less, rate 1), $ More 30, € Less 0.5, £ More 1000 with opening balances.
    void fillCurrencies() {
        Transaction t;
        TableHandle& v = m_data->tbValuta;
        PutCurrencies(v, {{true, "RUB", "R", 1, false, "100"},
                          {false, "USD", "$", 30, true, "10"},
                          {false, "EUR", "€", 0.5, false, "0"},
                          {false, "GBP", "£", 1000, true, "0,003"}});
        t.commit();
        v.first();
    }

    // Entries over two accounts, one exchange, one entry without a rate and one with rate 0.
    void fillLedger() {
        Transaction t;
        TableHandle& d = m_data->tbData2;
        Put(d, {{"Name", S("salary")},
                {"Gr1", S("Main")},
                {"Type", S("D")},
                {"Value", 1000.0},
                {"Valuta", S("RUB")},
                {"Dohod", S("1000 R")},
                {"Kurs", 1.0}});
        Put(d, {{"Name", S("lunch")},
                {"Gr1", S("Wallet")},
                {"Type", S("R")},
                {"Value", -5.0},
                {"Valuta", S("USD")},
                {"Rashod", S("5 $")},
                {"Kurs", 30.0}});
        Put(d, {{"Name", S("gift")},
                {"Gr1", S("Wallet")},
                {"Type", S("D")},
                {"Value", 20.0},
                {"Valuta", S("EUR")},
                {"Dohod", S("20 €")},
                {"Kurs", 0.5}});
        Put(d, {{"Name", S("exchange")},
                {"Gr1", S("Main")},
                {"Type", S("O")},
                {"ValueRashod", -300.0},
                {"ValutaRashod", S("RUB")},
                {"ValueDohod", 10.0},
                {"ValutaDohod", S("USD")},
                {"Rashod", S("300 R")},
                {"Dohod", S("10 $")},
                {"Kurs", 30.0},
                {"InDol", 99.0}});
        Put(d, {{"Name", S("norate")},
                {"Gr1", S("Main")},
                {"Type", S("D")},
                {"Value", 50.0},
                {"Valuta", S("RUB")},
                {"Dohod", S("50 R")},
                {"InDol", 7.0}});
        Put(d, {{"Name", S("zerorate")},
                {"Gr1", S("Main")},
                {"Type", S("R")},
                {"Value", 0.0},
                {"Valuta", S("USD")},
                {"Rashod", S("0 $")},
                {"Kurs", 0.0},
                {"InDol", 8.0}});
        t.commit();
        refreshLedger();
    }

    // The text of a field of the ledger row named name, read from the file.
    QString ledgerField(const char* name, const char* field) {
        return QueryFile(dataFile(), QStringLiteral("SELECT \"%1\" FROM Data WHERE Name='%2'")
                                         .arg(QString::fromLatin1(field), S(name)));
    }
};

} // namespace zovi::test
