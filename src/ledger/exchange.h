#pragma once

#include "ledger/entrycheck.h"

#include <QDate>
#include <QString>

namespace zovi {

struct Currency;
class LedgerTables;
class TableHandle;

// What the exchange dialog hands back: the date, the name, the amount given (without sign) and
// the rate as typed and normalised, and the signs of the currency given and received.
struct ExchangeEntry {
    QDate date;
    QString name;
    QString amount;
    QString rate;
    QString givenSign;
    QString receivedSign;
};

// The fields of an exchange row: what left (a positive amount) and what arrived, each with its
// currency's name and sign, the rate, the account and the Gr2 marker.
struct ExchangeRow {
    QDate date;
    QString name;
    QString account;
    QString marker;
    double given = 0;
    QString givenName;
    QString givenSign;
    double received = 0;
    QString receivedName;
    QString receivedSign;
    double rate = 0;
};
// Writes Type, Name, Date, Kurs, both values and currencies, Gr1, Gr2 and the two money texts
// (each cut after two decimals) into the row being appended or edited.
void WriteExchangeRow(TableHandle& d, const ExchangeRow& row);

// Gr2 of an exchange once it has been edited and saved; a new one gets the kind's marker
// "(EXCHANGE)".
inline QString EditedExchangeMarker() {
    return QStringLiteral("(ОБМЕН)");
}

// Whether the typed rate multiplies the amount given (true) or divides it, decided by the main
// currency flag, the direction and the stored rate of the two currencies: given the main
// currency, a More currency is bought by dividing; a More currency given for the main one is
// multiplied; any other case with the main currency multiplies; a More currency against a Less
// one divides, the other way round multiplies; between two of the same direction the stored
// rates, rounded to whole numbers (halves to even), decide: the received one's at most the
// given one's multiplies.
bool RateMultiplies(const Currency& given, const Currency& received);

// The amount received for amount given at rate, unrounded.
double AmountReceived(double amount, double rate, const Currency& given, const Currency& received);

// Checks an exchange as its dialog's OK does, in this order: an amount that is no number
// ("err004", "Error #004"), a blank name ("err001", "Error #001"), a rate that is no number or
// 0, which would divide by zero or give nothing for the money given ("err005", "Error #005"), a
// currency not chosen on either side (a fixed text), the same currency on both sides ("err006",
// "Error #006"); the rate and the amount are normalised only when every check passed. Whether
// the currencies still exist is looked up only when the exchange is written.
EntryCheck<ExchangeEntry> CheckExchange(LedgerTables& data, const ExchangeEntry& entry);

// The exchange with this ID (found whatever the filters) as its dialog starts: the amount given
// is minus ValueRashod as general decimal text, the rate is Kurs as text, and a currency that no
// longer exists gives an empty sign. Throws StoreError when no entry has the ID.
ExchangeEntry ReadExchange(LedgerTables& data, qint64 id);

// Appends an exchange to data.tbData under account (Gr2 "(EXCHANGE)") and returns its ID. Throws
// StoreError and writes nothing when CheckExchange refuses it or a sign matches no currency any
// more.
qint64 AppendExchange(LedgerTables& data, const ExchangeEntry& entry, const QString& account);

// Rewrites the exchange with this ID (found whatever the filters) from the dialog: the same
// fields as a new one, Gr2 "(ОБМЕН)", the account given; the fields an exchange does not use
// keep what they hold. The ledger views are refreshed after. The same refusals as AppendExchange
// apply, and an ID that names no entry throws StoreError; either way nothing is written.
void RewriteExchange(LedgerTables& data, qint64 id, const ExchangeEntry& entry,
                     const QString& account);

} // namespace zovi
