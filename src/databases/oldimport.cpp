#include "databases/oldimport.h"

#include "core/lang.h"
#include "core/textutil.h"
#include "databases/databasefolder.h"

#include "store/datamodules.h"
#include "store/error.h"
#include "store/tablecrypt.h"
#include "store/transaction.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <algorithm>
#include <memory>

namespace zovi {

namespace {

// The tables the old folder must hold.
const char* const kRequired[] = {"valuta.db", "data.db", "gr1.db"};

// The fields of an old ledger entry that are brought over (the old tables name their fields as
// ours do), and those of an old currency.
namespace fd = fields::Data;
const FieldName kEntryFields[] = {
    fd::Date,   fd::Name,        fd::Gr1,          fd::Gr2,   fd::Type,       fd::Dohod,
    fd::Rashod, fd::NameRashod,  fd::InDol,        fd::Value, fd::ValueDohod, fd::ValueRashod,
    fd::Valuta, fd::ValutaDohod, fd::ValutaRashod, fd::Kurs,  fd::IDsecond};

namespace fv = fields::Valuta;
const FieldName kCurrencyFields[] = {fv::Def,   fv::Name,     fv::Znak, fv::Kurs,
                                     fv::Value, fv::ValueSTR, fv::More};

// The tables that replace ours row for row when the old folder holds them, in the order they
// are written.
QList<const TableSchema*> ReplacedTables() {
    using namespace schemas;
    return {&GrD(), &GrR(), &GrD2(), &GrR2(), &Credit(), &OplataCredit()};
}

// The share of the work done, in thousandths: reading the old tables takes the first half,
// shared by their file sizes, writing the rows the second half.
class Progress {
public:
    explicit Progress(const std::function<void(int)>& report) : m_report(report) {}

    void setSizes(const QList<qint64>& sizes) {
        m_sizes = sizes;
        m_total = 0;
        for (qint64 s : sizes)
            m_total += std::max<qint64>(s, 1);
    }
    void reading(int table, qint64 done, qint64 total) {
        qint64 before = 0;
        for (int i = 0; i < table; ++i)
            before += std::max<qint64>(m_sizes[i], 1);
        const double part = total > 0 ? double(done) / double(total) : 1.0;
        report(500.0 * (double(before) + part * double(std::max<qint64>(m_sizes[table], 1))) /
               double(m_total));
    }
    void setRows(qint64 rows) { m_rows = std::max<qint64>(rows, 1); }
    void written(qint64 rows) { report(500.0 + 500.0 * double(rows) / double(m_rows)); }
    void finish() { report(1000.0); }

private:
    void report(double permille) {
        const int value = int(std::clamp(permille, 0.0, 1000.0));
        if (m_report && value != m_last) {
            m_last = value;
            m_report(value);
        }
    }

    std::function<void(int)> m_report;
    QList<qint64> m_sizes;
    qint64 m_total = 1;
    qint64 m_rows = 1;
    int m_last = -1;
};

// Amounts and rates beyond the limit are refused as typed ones are; the float fields that
// hold an ID (IDsecond, IDgrA, IDgrB) are no amounts.
void RequireWithinLimit(const FieldRef& field) {
    if (field.type() != FieldType::Float || field.name().startsWith(QLatin1String("ID")) ||
        field.isNull() || WithinAmountLimit(field.toDouble()))
        return;
    throw StoreError(QStringLiteral("%1: %2").arg(field.name(), AmountLimitMessage()));
}

// A handle of the import's own on one table file of the open database: no filter, no master,
// sharing the rows every other handle on the file sees.
class Target {
public:
    Target(const QString& folder, const TableSchema& schema) : m_handle(schema.tableName) {
        m_handle.setPath(FindFile(folder, schema.fileName));
        m_handle.open();
    }

    TableHandle& handle() { return m_handle; }

    void removeAll() {
        m_handle.first();
        while (!m_handle.isEmpty())
            m_handle.remove();
    }

    // Appends one old row: every field named in fields that the old table has, converted to
    // our field's type; then extra runs before the post.
    template <typename Extra>
    void append(const OldTable& old, size_t row, const QList<int>& columns,
                const QList<int>& targets, Extra&& extra) {
        m_handle.append();
        try {
            for (qsizetype i = 0; i < columns.size(); ++i) {
                if (columns[i] < 0)
                    continue;
                const FieldRef field = m_handle.field(targets[i]);
                field.setValue(old.valueFor(row, columns[i], field.type()));
                RequireWithinLimit(field);
            }
            extra();
            m_handle.post();
        } catch (const StoreError& e) {
            m_handle.cancel();
            throw StoreError(
                LangText(QStringLiteral("importrow"), QStringLiteral("Row %1 of %2: %3"))
                    .arg(row + 1)
                    .arg(QDir::toNativeSeparators(old.path), e.message()));
        }
    }

    // The columns of old and of ours for the named fields.
    void match(const OldTable& old, const QStringList& names, QList<int>& columns,
               QList<int>& targets) {
        columns.clear();
        targets.clear();
        for (const QString& name : names) {
            columns << old.fieldIndex(name);
            targets << m_handle.fieldIndex(name);
        }
    }

private:
    TableHandle m_handle;
};

QStringList Names(const auto& list) {
    QStringList names;
    for (FieldName name : list)
        names << name;
    return names;
}

// Whether an entry's IDsecond names another entry (the partner of a transfer).
bool LinksEntry(const QString& type) {
    return type == QLatin1String("P1") || type == QLatin1String("P2");
}

} // namespace

namespace {

// A folder to import from that holds an encrypted database of ours (a copy or a backup of the
// open one, above all) is read with the open database's key while the import reads it; its
// data.un stays plain. A table that this key does not open is refused as unreadable.
class EncryptedSource {
public:
    EncryptedSource(const QString& oldFolder, const QString& openLedger) {
        if (!DatabaseFolder::isEncrypted(oldFolder) || TableCrypt::keyFor(oldFolder))
            return;
        const std::shared_ptr<const TableKey> key = TableCrypt::keyFor(openLedger);
        if (!key)
            throw StoreError(
                LangText(QStringLiteral("importencrypted"),
                         QStringLiteral("The tables of %1 are encrypted with a password: only the "
                                        "database they were copied from can import them."))
                    .arg(QDir::toNativeSeparators(oldFolder)));
        m_folder = oldFolder;
        TableCrypt::remember(m_folder, key);
        TableCrypt::remember(DatabaseFolder::passwordFile(m_folder), nullptr);
    }
    ~EncryptedSource() {
        if (m_folder.isEmpty())
            return;
        TableCrypt::forget(DatabaseFolder::passwordFile(m_folder));
        TableCrypt::forget(m_folder);
    }
    EncryptedSource(const EncryptedSource&) = delete;
    EncryptedSource& operator=(const EncryptedSource&) = delete;

private:
    QString m_folder;
};

} // namespace

ImportOutcome ImportOldDatabase(LedgerTables& data, DebtTables& cd, const QString& oldFolder,
                                const ParadoxReader& reader,
                                const std::function<void(int permille)>& progress) {
    ImportOutcome outcome;
    // Every required table is looked for before anything is read or changed.
    QStringList paths;
    for (const char* name : kRequired) {
        const QString path = FindFile(oldFolder, QString::fromLatin1(name));
        if (oldFolder.trimmed().isEmpty() || !QFileInfo(path).isFile()) {
            outcome.missingFile = QString::fromLatin1(name);
            return outcome;
        }
        paths << path;
    }
    QList<const TableSchema*> replaced;
    for (const TableSchema* schema : ReplacedTables()) {
        const QString path = FindFile(oldFolder, schema->fileName);
        if (QFileInfo(path).isFile()) {
            replaced << schema;
            paths << path;
        }
    }

    Progress share(progress);
    QList<qint64> sizes;
    for (const QString& path : std::as_const(paths))
        sizes << QFileInfo(path).size();
    share.setSizes(sizes);

    try {
        if (!data.tbData.isOpen())
            throw StoreError(
                LangText(QStringLiteral("nodatabase"), QStringLiteral("No database is open.")));
        const QString folder = QFileInfo(data.tbData.path()).absolutePath();
        const EncryptedSource keyed(oldFolder, data.tbData.path());

        // Everything is read before anything is written, so that an unreadable table changes
        // nothing.
        std::vector<OldTable> old;
        for (qsizetype i = 0; i < paths.size(); ++i) {
            old.push_back(ReadOldTable(paths[i], reader, [&](qint64 done, qint64 total) {
                share.reading(int(i), done, total);
            }));
        }
        qint64 rows = 0;
        for (const OldTable& table : old)
            rows += qint64(table.rows.size());
        share.setRows(rows);
        qint64 written = 0;
        auto step = [&] {
            if (++written % 1024 == 0)
                share.written(written);
        };

        // The import's handles live longer than its transaction.
        Target valuta(folder, schemas::Valuta());
        Target ledger(folder, schemas::Data());
        Target gr1(folder, schemas::Gr1());
        std::vector<std::unique_ptr<Target>> replacing;
        for (const TableSchema* schema : std::as_const(replaced))
            replacing.push_back(std::make_unique<Target>(folder, *schema));

        Transaction transaction;
        QList<int> columns, targets;

        const OldTable& currencies = old[0];
        valuta.removeAll();
        valuta.match(currencies, Names(kCurrencyFields), columns, targets);
        for (size_t r = 0; r < currencies.rows.size(); ++r) {
            valuta.append(currencies, r, columns, targets, [&] {
                valuta.handle().field(fields::Valuta::OldValue).setText(QStringLiteral("0"));
                valuta.handle().field(fields::Valuta::FastValue).setText(QStringLiteral("0"));
            });
            step();
        }
        outcome.currencies = int(currencies.rows.size());

        // The new ID of each old entry, when the old ledger gives its IDs.
        const OldTable& entries = old[1];
        const int oldId = entries.fieldIndex(fields::Data::ID);
        const int oldType = entries.fieldIndex(fields::Data::Type);
        const int oldLink = entries.fieldIndex(fields::Data::IDsecond);
        QHash<qint64, qint64> newIds;
        TableHandle& entryRows = ledger.handle();
        ledger.match(entries, Names(kEntryFields), columns, targets);
        struct Link {
            int recNo;      // the transfer row in the import's own view of the ledger
            qint64 partner; // the old ID of its partner
        };
        std::vector<Link> links;
        for (size_t r = 0; r < entries.rows.size(); ++r) {
            ledger.append(entries, r, columns, targets, [] {});
            if (oldId >= 0) {
                const Value key = entries.valueFor(r, oldId, FieldType::Integer);
                if (!IsNull(key))
                    newIds.insert(std::get<qint64>(key), entryRows.lastInsertedRowid());
                const Value type = entries.valueFor(r, oldType, FieldType::Text);
                const Value link = entries.valueFor(r, oldLink, FieldType::Float);
                if (!IsNull(type) && LinksEntry(std::get<QString>(type)) && !IsNull(link))
                    links.push_back({entryRows.recNo(), qint64(std::get<double>(link))});
            }
            step();
        }
        outcome.entries = int(entries.rows.size());
        // A transfer row names its partner by the partner's new ID; a partner the old ledger
        // did not hold keeps the old number.
        for (const Link& link : links) {
            const auto found = newIds.constFind(link.partner);
            if (found == newIds.cend() || *found == link.partner)
                continue;
            entryRows.setRecNo(link.recNo);
            entryRows.edit();
            entryRows.field(fields::Data::IDsecond).setDouble(double(*found));
            entryRows.post();
        }

        const OldTable& accounts = old[2];
        gr1.match(accounts, {fields::Gr1::Name}, columns, targets);
        for (size_t r = 0; r < accounts.rows.size(); ++r) {
            gr1.append(accounts, r, columns, targets, [] {});
            step();
        }
        outcome.accounts = int(accounts.rows.size());

        for (qsizetype t = 0; t < replaced.size(); ++t) {
            const OldTable& table = old[size_t(3 + t)];
            Target& target = *replacing[size_t(t)];
            target.removeAll();
            QStringList names;
            for (const FieldDef& f : replaced[t]->fields) {
                if (f.type != FieldType::AutoInc)
                    names << f.name;
            }
            target.match(table, names, columns, targets);
            // The key, in the tables that have one (the groups, Credit and OplataCredit all
            // call it ID), and the ledger entry of a debt or a repayment (IDdata in Credit and
            // OplataCredit), by its new ID.
            const int key = table.fieldIndex(fields::Credit::ID);
            const int entry = names.indexOf(fields::Credit::IDdata);
            for (size_t r = 0; r < table.rows.size(); ++r) {
                target.append(table, r, columns, targets, [&] {
                    const Value id = table.valueFor(r, key, FieldType::Integer);
                    if (!IsNull(id))
                        target.handle().setKey(std::get<qint64>(id));
                    if (entry >= 0 && !newIds.isEmpty()) {
                        const FieldRef field = target.handle().field(targets[entry]);
                        if (!field.isNull()) {
                            const auto found = newIds.constFind(field.toInt());
                            if (found != newIds.cend())
                                field.setInt(*found);
                        }
                    }
                });
                step();
            }
        }
        transaction.commit();
    } catch (const StoreError& e) {
        outcome.error = e.message();
        return outcome;
    }
    for (TableHandle* handle : OpeningOrder(data, cd)) {
        if (handle->isOpen())
            handle->refresh();
    }
    share.finish();
    outcome.imported = true;
    return outcome;
}

} // namespace zovi
