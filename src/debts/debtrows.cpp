#include "debts/debtrows.h"

#include "core/lang.h"
#include "core/language.h"
#include "core/locale.h"
#include "core/textutil.h"
#include "ledger/standardentry.h"
#include "store/datamodules.h"
#include "store/unfiltered.h"

#include <utility>

namespace zovi {

std::vector<DebtRow> ReadDebtRows(LedgerTables& data, DebtTables& cd) {
    std::vector<DebtRow> rows;
    TableHandle& c = cd.tbCredit2;
    if (!c.isOpen())
        return rows;
    UnfilteredView all(c);
    const int count = c.recordCount();
    rows.reserve(size_t(count));
    for (int row = 1; row <= count; ++row) {
        c.setRecNo(row);
        DebtRow r;
        r.id = c.field(fields::Credit::ID).toInt();
        r.date = c.field(fields::Credit::Date).toDate();
        r.name = c.field(fields::Credit::Name).text();
        r.first = c.field(fields::Credit::ValueBegin).toDouble();
        r.current = c.field(fields::Credit::Value).toDouble();
        r.valued = !c.field(fields::Credit::Value).isNull();
        r.procent = c.field(fields::Credit::Procent).toDouble();
        r.account = c.field(fields::Credit::User).text();
        r.sign = CurrencySignForName(data.tbValuta, c.field(fields::Credit::Valuta).text())
                     .value_or(QString());
        r.borrowed = c.field(fields::Credit::CD).text() == QLatin1String("C");
        rows.push_back(std::move(r));
    }
    ExchangeSortByDate(rows);
    return rows;
}

void ExchangeSortByDate(std::vector<DebtRow>& rows) {
    for (size_t i = 0; i + 1 < rows.size(); ++i) {
        for (size_t j = i + 1; j < rows.size(); ++j) {
            if (rows[i].date > rows[j].date)
                std::swap(rows[i], rows[j]);
        }
    }
}

QStringList DebtCells(const DebtRow& row) {
    const QString blank = QStringLiteral(" ");
    return {QString::number(row.id),
            ShownDate(row.date),
            row.name,
            FormatMoney(row.first) + blank + row.sign,
            row.valued
                ? FormatMoney(row.current) + blank + row.sign
                : LangText(QStringLiteral("debtnovalue"), QStringLiteral("cannot be valued")),
            NumberText(row.procent),
            row.account,
            row.valued && row.current == 0 ? QStringLiteral("+") : QStringLiteral("-"),
            DebtKindText(row.borrowed)};
}

QString DebtKindText(bool borrowed) {
    return borrowed ? LangText(QStringLiteral("credit"), QStringLiteral("I borrowed"))
                    : LangText(QStringLiteral("debit"), QStringLiteral("I lent"));
}

QString UnvaluedHint() {
    return LangText(QStringLiteral("debtnovaluehint"),
                    QStringLiteral("The value of this debt grows beyond what can be shown: check "
                                   "its interest rate and amount."));
}

bool DrawnBold(const QStringList& cells) {
    return cells.size() > DebtMarker && cells.at(DebtMarker).startsWith(QLatin1Char('-'));
}

} // namespace zovi
