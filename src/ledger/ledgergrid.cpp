#include "ledger/ledgergrid.h"

#include "core/language.h"
#include "core/locale.h"
#include "core/textutil.h"
#include "ledger/currency.h"
#include "ledger/entrykinds.h"
#include "store/fields.h"
#include "store/table.h"
#include "views/sortorder.h"

#include <QHash>
#include <algorithm>
#include <cmath>
#include <iterator>

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

LedgerRowSource::LedgerRowSource(ViewRows rows, LedgerGridOptions options)
    : m_rows(std::move(rows)), m_options(std::move(options)) {
    fDate = m_rows.fieldIndex(fields::Data::Date);
    fName = m_rows.fieldIndex(fields::Data::Name);
    fGr1 = m_rows.fieldIndex(fields::Data::Gr1);
    fGr2 = m_rows.fieldIndex(fields::Data::Gr2);
    fType = m_rows.fieldIndex(fields::Data::Type);
    fDohod = m_rows.fieldIndex(fields::Data::Dohod);
    fRashod = m_rows.fieldIndex(fields::Data::Rashod);
    fSub = m_rows.fieldIndex(fields::Data::NameRashod);
    fValue = m_rows.fieldIndex(fields::Data::Value);
    fValuta = m_rows.fieldIndex(fields::Data::Valuta);
    fId = m_rows.fieldIndex(fields::Data::ID);
    m_todayText = AppLocale::formatDate(m_options.today);

    const int n = m_rows.size();
    const int sortIndex = m_options.sortIndex;
    if (sortIndex <= 0 || sortIndex > 4) {
        std::vector<qint64> keys(static_cast<size_t>(n), 0);
        for (int i = 0; i < n; ++i) {
            const QDate date = m_rows.toDate(i, fDate);
            keys[size_t(i)] = date.isValid() ? date.toJulianDay() : 0;
        }
        m_order = ExchangeSortOrder(keys);
        reverseIfDescending();
        return;
    }
    // Texts compare byte by byte in their stored code, so capitals come first.
    const int column = sortIndex == 1   ? fName
                       : sortIndex == 2 ? fGr2
                       : sortIndex == 3 ? fSub
                                        : fGr1;
    const QString empty;
    std::vector<const QString*> texts(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) {
        const QString* t = m_rows.textRef(i, column);
        if (sortIndex == 2) {
            // The group column shows the kind's label for entries other than incomes and
            // charges.
            const QString* type = m_rows.textRef(i, fType);
            const auto kind = KindOf(type ? *type : empty);
            if (kind != EntryKind::Income && kind != EntryKind::Charge)
                t = m_options.kindLabel && kind ? &kindLabel(*type) : nullptr;
        }
        texts[size_t(i)] = t ? t : &empty;
    }
    m_order = ExchangeSortOrder(texts);
    reverseIfDescending();
}

void LedgerRowSource::reverseIfDescending() {
    if (m_options.descending)
        std::reverse(m_order.begin(), m_order.end());
}

namespace {
// The grid columns of the sort box's orders, by index.
constexpr int kSortColumns[] = {1, 2, 5, 6, 7};
} // namespace

int SortIndexOfColumn(int column) {
    const auto* found = std::find(std::begin(kSortColumns), std::end(kSortColumns), column);
    return found == std::end(kSortColumns) ? -1 : int(found - std::begin(kSortColumns));
}

int ColumnOfSortIndex(int sortIndex) {
    return sortIndex > 0 && sortIndex < int(std::size(kSortColumns)) ? kSortColumns[sortIndex]
                                                                     : kSortColumns[0];
}

LedgerSort SortAfterHeaderClick(const LedgerSort& current, int column) {
    const int sortIndex = SortIndexOfColumn(column);
    if (sortIndex < 0)
        return current;
    // No choice in the box sorts by date, as the date order does.
    const int currentIndex =
        current.sortIndex > 0 && current.sortIndex <= 4 ? current.sortIndex : 0;
    return {sortIndex, sortIndex == currentIndex && !current.descending};
}

const QString& LedgerRowSource::kindLabel(const QString& type) const {
    auto label = m_kindLabels.find(type);
    if (label == m_kindLabels.end())
        label = m_kindLabels.emplace(type, m_options.kindLabel(type)).first;
    return label->second;
}

QChar LedgerRowSource::dayFlag(const QDate& date) const {
    auto flag = m_dayFlags.constFind(date.toJulianDay());
    if (flag == m_dayFlags.cend())
        flag = m_dayFlags.insert(date.toJulianDay(), DayFlag(date, m_options.today, m_todayText));
    return *flag;
}

qint64 LedgerRowSource::id(int index) const {
    return m_rows.toInt(m_order[size_t(index)], fId);
}

int LedgerRowSource::indexOf(qint64 id) const {
    const int place = m_rows.indexOfKey(id);
    if (place < 0)
        return -1;
    if (m_gridRowOf.empty()) {
        m_gridRowOf.resize(m_order.size());
        for (size_t k = 0; k < m_order.size(); ++k)
            m_gridRowOf[size_t(m_order[k])] = int(k);
    }
    return m_gridRowOf[size_t(place)];
}

LedgerRow LedgerRowSource::row(int index) const {
    const int i = m_order[size_t(index)];
    const ViewRows& v = m_rows;
    LedgerRow row;
    const QString type = v.text(i, fType);
    row.date = v.toDate(i, fDate);
    row.mark = SignMark(type);
    if (row.date.isValid()) {
        const QChar flag = dayFlag(row.date);
        if (!flag.isNull())
            row.mark += flag;
    }
    row.name = v.text(i, fName);
    row.subGroup = v.text(i, fSub);
    row.account = v.text(i, fGr1);
    row.id = v.toInt(i, fId);
    if (m_options.balances) {
        // Looked up when the row is shown: the entries are held in the order of their IDs.
        const RunningBalanceColumn& column = *m_options.balances;
        const int at = column.rows.indexOfKey(row.id);
        if (at >= 0 && size_t(at) < column.after.size())
            row.balance = FormatMoney(column.after[size_t(at)]) + QLatin1Char(' ') + column.sign;
    }
    const auto kind = KindOf(type);
    if (kind == EntryKind::Income || kind == EntryKind::Charge) {
        const double value = v.toDouble(i, fValue);
        const QString valuta = v.text(i, fValuta);
        QString cell = m_options.first.name.isEmpty()
                           ? v.text(i, kind == EntryKind::Income ? fDohod : fRashod)
                           : MoneyPart(m_options.first, value, valuta);
        if (!m_options.second.name.isEmpty())
            cell += QStringLiteral(" / ") + MoneyPart(m_options.second, value, valuta);
        (kind == EntryKind::Income ? row.income : row.charge) = cell;
        row.group = v.text(i, fGr2);
    } else {
        row.income = v.text(i, fDohod);
        row.charge = v.text(i, fRashod);
        if (m_options.kindLabel && kind)
            row.group = kindLabel(type);
    }
    return row;
}

std::vector<LedgerRow> BuildLedgerRows(TableHandle& ledger, const LedgerGridOptions& options) {
    std::vector<LedgerRow> rows;
    if (!ledger.isOpen())
        return rows;
    const LedgerRowSource source(ledger.viewRows(), options);
    rows.reserve(size_t(source.size()));
    for (int k = 0; k < source.size(); ++k)
        rows.push_back(source.row(k));
    return rows;
}

LedgerCellStyle CellStyleFor(const QString& mark, int record, bool selected, bool dark) {
    const QChar flag = mark.size() > 1 ? mark.at(1) : QChar();
    const bool today = flag == QLatin1Char('T');
    if (selected)
        return {dark ? 0x3D6FB4u : 0x3F5BBCu, 0xFFFFFF, today, true};
    const bool tinted = record % 2 == 0;
    const quint32 background =
        dark ? (tinted ? 0x262B32 : 0x1F2329) : (tinted ? 0xEFF0F1 : 0xFFFFFF);
    quint32 text = dark ? 0xE4E7EB : 0x000000;
    const QChar sign = mark.isEmpty() ? QChar() : mark.at(0);
    if (sign == QLatin1Char('+'))
        text = dark ? 0x8FD67E : 0x0B5100;
    else if (sign == QLatin1Char('-'))
        text = dark ? 0xF28B82 : 0x880000;
    if (flag == QLatin1Char('P'))
        text = dark ? 0x8A929C : 0x808080;
    return {background, text, today, false};
}

LedgerGridModel::LedgerGridModel(QObject* parent) : QAbstractTableModel(parent) {}

void LedgerGridModel::setRows(std::vector<LedgerRow> rows) {
    beginResetModel();
    m_rows = std::move(rows);
    m_source.reset();
    m_cache.clear();
    m_rowOfId.clear();
    endResetModel();
}

void LedgerGridModel::setSource(std::shared_ptr<const LedgerRowSource> source) {
    beginResetModel();
    m_rows.clear();
    m_rows.shrink_to_fit();
    m_source = std::move(source);
    m_cache.clear();
    m_rowOfId.clear();
    endResetModel();
}

const LedgerRow& LedgerGridModel::cachedRow(int index) const {
    if (!m_source)
        return m_rows[size_t(index)];
    if (m_cache.empty())
        m_cache.resize(kCacheSize, {-1, LedgerRow()});
    auto& slot = m_cache[size_t(index % kCacheSize)];
    if (slot.first != index)
        slot = {index, m_source->row(index)};
    return slot.second;
}

LedgerRow LedgerGridModel::rowAt(int index) const {
    return cachedRow(index);
}

int LedgerGridModel::rowOfId(qint64 id) const {
    if (m_source)
        return m_source->indexOf(id);
    if (m_rowOfId.isEmpty()) {
        m_rowOfId.reserve(qsizetype(m_rows.size()));
        for (size_t i = 0; i < m_rows.size(); ++i)
            m_rowOfId.insert(m_rows[i].id, int(i));
    }
    return m_rowOfId.value(id, -1);
}

void LedgerGridModel::setHeaders(const QStringList& headers) {
    m_headers = headers;
    Q_EMIT headerDataChanged(Qt::Horizontal, 1, kBalanceColumn);
}

int LedgerGridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_source ? m_source->size() : int(m_rows.size());
}

int LedgerGridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kBalanceColumn + 1;
}

QVariant LedgerGridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount())
        return QVariant();
    const LedgerRow& r = cachedRow(index.row());
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
        return ShownDate(r.date);
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
    case kBalanceColumn:
        return r.balance;
    default:
        return QVariant();
    }
}

QVariant LedgerGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 1 && section <= 7)
        return m_headers.value(section - 1);
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section == kBalanceColumn)
        return m_headers.value(7);
    return QAbstractTableModel::headerData(section, orientation, role);
}

} // namespace zovi
