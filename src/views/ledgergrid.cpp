#include "views/ledgergrid.h"

#include "core/locale.h"
#include "core/textutil.h"
#include "ledger/currency.h"
#include "ledger/entrykinds.h"
#include "store/table.h"
#include "views/sortorder.h"

#include <QHash>
#include <cmath>

namespace zovi {

namespace {

QString MoneyPart(const DisplayCurrency& currency, double value, const QString& valuta) {
    if (currency.name.isEmpty() || !currency.convert)
        return QString();
    const auto converted = currency.convert(value, valuta);
    if (!converted)
        return QString();
    return FormatMoney(std::fabs(*converted)) + QLatin1Char(' ') + currency.sign;
}

// The day flag of the mark: "T" when the date's text is today's, else "D" before today and "P"
// after it (the texts are compared for "T", the dates for the others).
QChar DayFlag(const QDate& date, const QDate& today, const QString& todayText) {
    if (AppLocale::formatDate(date) == todayText)
        return QLatin1Char('T');
    if (date < today)
        return QLatin1Char('D');
    if (date > today)
        return QLatin1Char('P');
    return QChar();
}

} // namespace

DisplayCurrency DisplayCurrencyFor(const QList<Currency>& currencies, const QString& name) {
    DisplayCurrency display;
    for (const Currency& c : currencies) {
        if (c.Name != name)
            continue;
        display.name = c.Name;
        display.sign = c.Znak;
        display.convert = [currencies, target = c](double value,
                                                   const QString& from) -> std::optional<double> {
            for (const Currency& source : currencies) {
                if (source.Name == from)
                    return ConvertCurrency(value, source, target);
            }
            return std::nullopt;
        };
        break;
    }
    return display;
}

std::vector<LedgerRow> BuildLedgerRows(TableHandle& ledger, const LedgerGridOptions& options) {
    std::vector<LedgerRow> rows;
    if (!ledger.isOpen())
        return rows;
    rows.reserve(size_t(ledger.recordCount()));
    const int fDate = ledger.fieldIndex(QStringLiteral("Date"));
    const int fName = ledger.fieldIndex(QStringLiteral("Name"));
    const int fGr1 = ledger.fieldIndex(QStringLiteral("Gr1"));
    const int fGr2 = ledger.fieldIndex(QStringLiteral("Gr2"));
    const int fType = ledger.fieldIndex(QStringLiteral("Type"));
    const int fDohod = ledger.fieldIndex(QStringLiteral("Dohod"));
    const int fRashod = ledger.fieldIndex(QStringLiteral("Rashod"));
    const int fSub = ledger.fieldIndex(QStringLiteral("NameRashod"));
    const int fValue = ledger.fieldIndex(QStringLiteral("Value"));
    const int fValuta = ledger.fieldIndex(QStringLiteral("Valuta"));
    const int fId = ledger.fieldIndex(QStringLiteral("ID"));
    const QString todayText = AppLocale::formatDate(options.today);
    // Many entries share a day, and formatting a date costs more than the rest of a row.
    QHash<qint64, QChar> dayFlags;
    QHash<QString, QString> kindLabels;

    for (ledger.first(); !ledger.eof(); ledger.next()) {
        LedgerRow row;
        const QString type = ledger.field(fType).text();
        row.date = ledger.field(fDate).toDate();
        row.mark = SignMark(type);
        if (row.date.isValid()) {
            auto flag = dayFlags.constFind(row.date.toJulianDay());
            if (flag == dayFlags.cend())
                flag = dayFlags.insert(row.date.toJulianDay(),
                                       DayFlag(row.date, options.today, todayText));
            if (!flag->isNull())
                row.mark += *flag;
        }
        row.name = ledger.field(fName).text();
        row.subGroup = ledger.field(fSub).text();
        row.account = ledger.field(fGr1).text();
        row.id = ledger.field(fId).toInt();
        const auto kind = KindOf(type);
        if (kind == EntryKind::Income || kind == EntryKind::Charge) {
            const double value = ledger.field(fValue).toDouble();
            const QString valuta = ledger.field(fValuta).text();
            QString cell = options.first.name.isEmpty()
                               ? ledger.field(kind == EntryKind::Income ? fDohod : fRashod).text()
                               : MoneyPart(options.first, value, valuta);
            if (!options.second.name.isEmpty())
                cell += QStringLiteral(" / ") + MoneyPart(options.second, value, valuta);
            (kind == EntryKind::Income ? row.income : row.charge) = cell;
            row.group = ledger.field(fGr2).text();
        } else {
            row.income = ledger.field(fDohod).text();
            row.charge = ledger.field(fRashod).text();
            if (options.kindLabel && kind) {
                // Each kind's label is looked up once per build, not once per row.
                auto label = kindLabels.constFind(type);
                if (label == kindLabels.cend())
                    label = kindLabels.insert(type, options.kindLabel(type));
                row.group = *label;
            }
        }
        rows.push_back(std::move(row));
    }

    // Texts compare byte by byte in their stored code, so capitals come first.
    std::vector<int> order;
    if (options.sortIndex <= 0 || options.sortIndex > 4) {
        std::vector<qint64> keys;
        keys.reserve(rows.size());
        for (const LedgerRow& r : rows)
            keys.push_back(r.date.isValid() ? r.date.toJulianDay() : 0);
        order = ExchangeSortOrder(keys);
    } else {
        QList<QByteArray> keys;
        keys.reserve(qsizetype(rows.size()));
        for (const LedgerRow& r : rows) {
            const QString& t = options.sortIndex == 1   ? r.name
                               : options.sortIndex == 2 ? r.group
                               : options.sortIndex == 3 ? r.subGroup
                                                        : r.account;
            keys.push_back(t.toUtf8());
        }
        order = ExchangeSortOrder(keys);
    }
    std::vector<LedgerRow> sorted;
    sorted.reserve(rows.size());
    for (int i : order)
        sorted.push_back(std::move(rows[size_t(i)]));
    return sorted;
}

LedgerCellStyle CellStyleFor(const QString& mark, int record, bool selected) {
    const QChar flag = mark.size() > 1 ? mark.at(1) : QChar();
    const bool today = flag == QLatin1Char('T');
    if (selected)
        return {0x3F5BBC, 0xFFFFFF, today, true};
    const quint32 background = record % 2 == 0 ? 0xEFF0F1 : 0xFFFFFF;
    quint32 text = 0x000000;
    const QChar sign = mark.isEmpty() ? QChar() : mark.at(0);
    if (sign == QLatin1Char('+'))
        text = 0x0B5100;
    else if (sign == QLatin1Char('-'))
        text = 0x880000;
    if (flag == QLatin1Char('P'))
        text = 0x808080;
    return {background, text, today, false};
}

LedgerGridModel::LedgerGridModel(QObject* parent) : QAbstractTableModel(parent) {}

void LedgerGridModel::setRows(std::vector<LedgerRow> rows) {
    beginResetModel();
    m_rows = std::move(rows);
    endResetModel();
}

void LedgerGridModel::setHeaders(const QStringList& headers) {
    m_headers = headers;
    Q_EMIT headerDataChanged(Qt::Horizontal, 1, 7);
}

int LedgerGridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_rows.size());
}

int LedgerGridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : 9;
}

QVariant LedgerGridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= int(m_rows.size()))
        return QVariant();
    const LedgerRow& r = m_rows[size_t(index.row())];
    if (role == MarkRole)
        return r.mark;
    if (role == IdRole)
        return r.id;
    if (role != Qt::DisplayRole)
        return QVariant();
    switch (index.column()) {
    case 0:
        return r.mark;
    case 1:
        return AppLocale::formatDate(r.date);
    case 2:
        return r.name;
    case 3:
        return r.income;
    case 4:
        return r.charge;
    case 5:
        return r.group;
    case 6:
        return r.subGroup;
    case 7:
        return r.account;
    case 8:
        return QString::number(r.id);
    default:
        return QVariant();
    }
}

QVariant LedgerGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 1 && section <= 7)
        return m_headers.value(section - 1);
    return QAbstractTableModel::headerData(section, orientation, role);
}

} // namespace zovi
