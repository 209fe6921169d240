// Timings of the table store on a large ledger: appending the entries, reading the ledger file,
// filtering it as the ledger view does, walking it and rewriting one field of every entry.
// Prints one line per figure; it checks nothing and is not a test.
//
// Usage: bench_store [row count]   (100000 when omitted)

#include "core/locale.h"
#include "core/paths.h"
#include "store/datamodules.h"
#include "store/error.h"
#include "store/template.h"
#include "store/transaction.h"
#include "timing.h"

#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QStringList>
#include <QTemporaryDir>
#include <cmath>
#include <cstdio>
#include <random>
#include <vector>

using namespace Qt::StringLiterals;
using zovi::bench::MillisecondsOf;
using zovi::bench::Report;

namespace {

struct Currency {
    QString name;
    QString sign;
    double toDollar;
};

struct Group {
    QString name;
    qint64 id = 0;
    QList<std::pair<QString, qint64>> subGroups;
};

// One ledger entry, made up before the timing starts so that only the store is measured.
struct Entry {
    QDate date;
    QString name;
    QString account;
    bool income = false;
    const Group* group = nullptr;
    int subGroup = 0;
    const Currency* currency = nullptr;
    double amount = 0;
};

const QStringList kAccounts = {u"Main"_s, u"Card"_s, u"Cash"_s, u"Savings"_s};

const QList<Currency> kCurrencies = {
    {u"Dollar"_s, u"$"_s, 1.0},
    {u"Euro"_s, u"€"_s, 1.08},
    {u"Hryvnia"_s, u"грн"_s, 0.026},
};

const QStringList kWords = {
    u"bread"_s,     u"milk"_s,   u"coffee"_s, u"rent"_s,  u"bus"_s,      u"taxi"_s,     u"petrol"_s,
    u"lunch"_s,     u"dinner"_s, u"cinema"_s, u"books"_s, u"shoes"_s,    u"jacket"_s,   u"phone"_s,
    u"internet"_s,  u"water"_s,  u"power"_s,  u"gas"_s,   u"doctor"_s,   u"pharmacy"_s, u"gift"_s,
    u"flowers"_s,   u"repair"_s, u"tools"_s,  u"paint"_s, u"garden"_s,   u"school"_s,   u"course"_s,
    u"insurance"_s, u"tax"_s,    u"salary"_s, u"bonus"_s, u"interest"_s, u"refund"_s,   u"market"_s,
    u"fruit"_s,     u"cheese"_s, u"fish"_s,   u"meat"_s,  u"tea"_s,      u"ticket"_s,   u"hotel"_s,
};

const QStringList kChargeGroups = {
    u"Food"_s,    u"Housing"_s,   u"Transport"_s, u"Health"_s,    u"Clothes"_s,
    u"Leisure"_s, u"Education"_s, u"Gifts"_s,     u"Household"_s, u"Utilities"_s,
    u"Phone"_s,   u"Car"_s,       u"Travel"_s,    u"Children"_s,  u"Pets"_s,
    u"Taxes"_s,   u"Insurance"_s, u"Beauty"_s,    u"Sport"_s,     u"Other"_s,
};

const QStringList kIncomeGroups = {u"Salary"_s, u"Bonus"_s, u"Interest"_s, u"Sales"_s,
                                   u"Refunds"_s};

const QStringList kSubGroupWords = {u"daily"_s, u"monthly"_s, u"yearly"_s, u"extra"_s};

// An amount as the ledger writes it: "12,50 $".
QString MoneyText(double amount, const Currency& currency) {
    return QString::number(amount, 'f', 2).replace(u'.', zovi::AppLocale::decimalSeparator()) +
           u' ' + currency.sign;
}

// Writes the accounts, currencies, groups and sub-groups the entries refer to.
void WriteClassifiers(zovi::LedgerTables& data, QList<Group>& charges, QList<Group>& incomes) {
    zovi::Transaction t;
    for (const QString& account : kAccounts) {
        data.tbGr1.append();
        data.tbGr1.field(zovi::fields::Gr1::Name).setText(account);
        data.tbGr1.post();
    }
    for (int i = 0; i < kCurrencies.size(); ++i) {
        const Currency& c = kCurrencies.at(i);
        data.tbValuta.append();
        data.tbValuta.field(zovi::fields::Valuta::Def).setBool(i == 0);
        data.tbValuta.field(zovi::fields::Valuta::Name).setText(c.name);
        data.tbValuta.field(zovi::fields::Valuta::Znak).setText(c.sign);
        data.tbValuta.field(zovi::fields::Valuta::Kurs).setDouble(c.toDollar);
        data.tbValuta.post();
    }
    auto writeGroups = [](const QStringList& names, zovi::TableHandle& groups,
                          zovi::TableHandle& subs, QList<Group>& out) {
        for (int i = 0; i < names.size(); ++i) {
            Group g;
            g.name = names.at(i);
            groups.append();
            groups.field(zovi::fields::GroupTable::Name).setText(g.name);
            groups.post();
            g.id = groups.field(zovi::fields::GroupTable::ID).toInt();
            const int subCount = 2 + i % 3;
            for (int s = 0; s < subCount; ++s) {
                const QString subName = g.name + u' ' + kSubGroupWords.at(s);
                subs.append();
                subs.field(zovi::fields::SubGroupTable::IDsecond).setInt(g.id);
                subs.field(zovi::fields::SubGroupTable::Name).setText(subName);
                subs.post();
                g.subGroups.append({subName, g.id * 100 + s});
            }
            out.append(g);
        }
    };
    writeGroups(kChargeGroups, data.tbGrR, data.tbGrR2, charges);
    writeGroups(kIncomeGroups, data.tbGrD, data.tbGrD2, incomes);
    t.commit();
}

std::vector<Entry> MakeEntries(int count, const QList<Group>& charges,
                               const QList<Group>& incomes) {
    std::mt19937 random(20240611u);
    std::uniform_int_distribution<int> day(0, 5 * 365 - 1);
    std::uniform_int_distribution<int> percent(0, 99);
    std::uniform_int_distribution<qsizetype> word(0, kWords.size() - 1);
    std::uniform_int_distribution<int> wordCount(1, 3);
    std::lognormal_distribution<double> chargeAmount(3.0, 1.2);
    std::lognormal_distribution<double> incomeAmount(7.0, 0.6);
    const QDate start(2020, 1, 1);

    std::vector<Entry> entries;
    entries.reserve(size_t(count));
    for (int i = 0; i < count; ++i) {
        Entry e;
        e.date = start.addDays(day(random));
        QStringList words;
        const int n = wordCount(random);
        for (int w = 0; w < n; ++w) {
            words << kWords.at(word(random));
        }
        e.name = words.join(u' ');
        const int p = percent(random);
        e.account = kAccounts.at(p < 55 ? 0 : p < 80 ? 1 : p < 95 ? 2 : 3);
        e.income = percent(random) < 15;
        const QList<Group>& groups = e.income ? incomes : charges;
        e.group = &groups.at(int(random() % unsigned(groups.size())));
        e.subGroup = int(random() % unsigned(e.group->subGroups.size()));
        const int c = percent(random);
        e.currency = &kCurrencies.at(c < 70 ? 0 : c < 90 ? 1 : 2);
        const double raw = e.income ? incomeAmount(random) : chargeAmount(random);
        e.amount = std::round(raw / e.currency->toDollar * 100) / 100;
        entries.push_back(std::move(e));
    }
    return entries;
}

void AppendEntries(zovi::TableHandle& t, const std::vector<Entry>& entries) {
    zovi::Transaction transaction;
    const auto date = t.fieldIndex(zovi::fields::Data::Date);
    const auto name = t.fieldIndex(zovi::fields::Data::Name);
    const auto gr1 = t.fieldIndex(zovi::fields::Data::Gr1);
    const auto gr2 = t.fieldIndex(zovi::fields::Data::Gr2);
    const auto type = t.fieldIndex(zovi::fields::Data::Type);
    const auto dohod = t.fieldIndex(zovi::fields::Data::Dohod);
    const auto rashod = t.fieldIndex(zovi::fields::Data::Rashod);
    const auto inDol = t.fieldIndex(zovi::fields::Data::InDol);
    const auto value = t.fieldIndex(zovi::fields::Data::Value);
    const auto valueDohod = t.fieldIndex(zovi::fields::Data::ValueDohod);
    const auto valueRashod = t.fieldIndex(zovi::fields::Data::ValueRashod);
    const auto valuta = t.fieldIndex(zovi::fields::Data::Valuta);
    const auto valutaDohod = t.fieldIndex(zovi::fields::Data::ValutaDohod);
    const auto valutaRashod = t.fieldIndex(zovi::fields::Data::ValutaRashod);
    const auto kurs = t.fieldIndex(zovi::fields::Data::Kurs);
    const auto idGrA = t.fieldIndex(zovi::fields::Data::IDgrA);
    const auto idGrB = t.fieldIndex(zovi::fields::Data::IDgrB);
    const auto grA = t.fieldIndex(zovi::fields::Data::GrA);
    const auto grB = t.fieldIndex(zovi::fields::Data::GrB);
    for (const Entry& e : entries) {
        const auto& sub = e.group->subGroups.at(e.subGroup);
        const QString money = MoneyText(e.amount, *e.currency);
        t.append();
        t.field(date).setDate(e.date);
        t.field(name).setText(e.name);
        t.field(gr1).setText(e.account);
        t.field(gr2).setText(e.group->name);
        t.field(type).setText(e.income ? u"D"_s : u"R"_s);
        t.field(e.income ? dohod : rashod).setText(money);
        t.field(e.income ? valueDohod : valueRashod).setDouble(e.amount);
        t.field(e.income ? valutaDohod : valutaRashod).setText(e.currency->name);
        t.field(value).setDouble(e.income ? e.amount : -e.amount);
        t.field(valuta).setText(e.currency->name);
        t.field(kurs).setDouble(e.currency->toDollar);
        t.field(inDol).setDouble(e.amount * e.currency->toDollar);
        t.field(idGrA).setDouble(double(e.group->id));
        t.field(idGrB).setDouble(double(sub.second));
        t.field(grA).setText(e.group->name);
        t.field(grB).setText(sub.first);
        t.post();
    }
    transaction.commit();
}

QString LedgerFilter(const QString& account, int month) {
    namespace fd = zovi::fields::Data;
    return u"(%1='%4' OR %1='[...]') AND %2>='01.%5.2023' AND %2<='31.03.2024' AND %3='R'"_s.arg(
        fd::Gr1, fd::Date, fd::Type, account, QString::number(month).rightJustified(2, u'0'));
}

int Run(int rows) {
    QTemporaryDir root;
    if (!root.isValid()) {
        std::fprintf(stderr, "cannot make a temporary folder\n");
        return 1;
    }
    const QString program = root.path() + u"/program"_s;
    QDir().mkpath(program);
    zovi::WritePrintTables(program);
    zovi::ProgramFolder::set(program);
    std::printf("ledger of %d entries in %s\n", rows, qPrintable(root.path()));

    // (1) Appending every entry in one transaction, on a fresh folder each run.
    QString folder;
    std::vector<double> appendRuns;
    for (int run = 0; run < 3; ++run) {
        folder = root.path() + u"/db%1"_s.arg(run);
        zovi::WriteTemplateFolder(folder);
        zovi::LedgerTables data;
        zovi::DebtTables cd;
        zovi::BindDatabase(data, cd, folder, program);
        zovi::OpenDatabase(data, cd);
        QList<Group> charges;
        QList<Group> incomes;
        WriteClassifiers(data, charges, incomes);
        const std::vector<Entry> entries = MakeEntries(rows, charges, incomes);
        appendRuns.push_back(MillisecondsOf([&] { AppendEntries(data.tbData, entries); }));
        if (data.tbData.recordCount() != rows) {
            std::fprintf(stderr, "the ledger shows %d entries, expected %d\n",
                         data.tbData.recordCount(), rows);
            return 1;
        }
    }
    Report(u"append %1 rows (one transaction)"_s.arg(rows), appendRuns);

    // (2) Opening the ledger with no handle open, so that its file is read again.
    std::vector<double> openRuns;
    for (int run = 0; run < 5; ++run) {
        zovi::LedgerTables data;
        zovi::DebtTables cd;
        zovi::BindDatabase(data, cd, folder, program);
        openRuns.push_back(MillisecondsOf([&] { data.tbData.open(); }));
        if (data.tbData.recordCount() != rows) {
            std::fprintf(stderr, "the reopened ledger shows %d entries\n",
                         data.tbData.recordCount());
            return 1;
        }
    }
    Report(u"open tbData (%1 rows)"_s.arg(rows), openRuns);

    zovi::LedgerTables data;
    zovi::DebtTables cd;
    zovi::BindDatabase(data, cd, folder, program);
    zovi::OpenDatabase(data, cd);
    zovi::TableHandle& ledger = data.tbData;
    ledger.setCaseInsensitive(true);

    // (3) The ledger view's usual filter: one account, thirteen months, charges only.
    std::vector<double> filterRuns;
    std::vector<double> sameFilterRuns;
    int shown = 0;
    for (int run = 0; run < 7; ++run) {
        ledger.setFiltered(false);
        const QString text = LedgerFilter(kAccounts.at(run % kAccounts.size()), 3 + run % 2);
        filterRuns.push_back(MillisecondsOf([&] {
            ledger.setFilter(text);
            ledger.setFiltered(true);
            shown = ledger.recordCount();
        }));
    }
    Report(u"filter (varied text), last run shows %1 rows"_s.arg(shown), filterRuns);
    const QString sameText = LedgerFilter(u"Main"_s, 3);
    for (int run = 0; run < 7; ++run) {
        ledger.setFiltered(false);
        sameFilterRuns.push_back(MillisecondsOf([&] {
            ledger.setFilter(sameText);
            ledger.setFiltered(true);
            shown = ledger.recordCount();
        }));
    }
    Report(u"filter (same text), shows %1 rows"_s.arg(shown), sameFilterRuns);
    ledger.setFiltered(false);

    // (4) Walking every entry and reading five fields of each.
    std::vector<double> walkRuns;
    double checksum = 0;
    const int date = ledger.fieldIndex(zovi::fields::Data::Date);
    const int name = ledger.fieldIndex(zovi::fields::Data::Name);
    const int value = ledger.fieldIndex(zovi::fields::Data::Value);
    const int valuta = ledger.fieldIndex(zovi::fields::Data::Valuta);
    const int type = ledger.fieldIndex(zovi::fields::Data::Type);
    for (int run = 0; run < 5; ++run) {
        walkRuns.push_back(MillisecondsOf([&] {
            for (ledger.first(); !ledger.eof(); ledger.next()) {
                checksum += double(ledger.field(date).toDate().day());
                checksum += double(ledger.field(name).text().size());
                checksum += ledger.field(value).toDouble();
                checksum += double(ledger.field(valuta).text().size());
                checksum += double(ledger.field(type).text().size());
            }
        }));
    }
    Report(u"walk %1 rows reading 5 fields"_s.arg(ledger.recordCount()), walkRuns);

    // (5) Rewriting the dollar amount of every entry in one transaction.
    std::vector<double> updateRuns;
    const int inDol = ledger.fieldIndex(zovi::fields::Data::InDol);
    for (int run = 0; run < 5; ++run) {
        const double factor = 1.0 + 0.01 * run;
        updateRuns.push_back(MillisecondsOf([&] {
            zovi::Transaction t;
            for (ledger.first(); !ledger.eof(); ledger.next()) {
                const double amount = ledger.field(value).toDouble();
                ledger.edit();
                ledger.field(inDol).setDouble(std::abs(amount) * factor);
                ledger.post();
            }
            t.commit();
        }));
    }
    Report(u"update InDol on %1 rows (one transaction)"_s.arg(ledger.recordCount()), updateRuns);
    std::printf("(checksum %.1f)\n", checksum);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    zovi::AppLocale::set(u',', u"dd.MM.yyyy"_s);
    const int rows = zovi::bench::CountArgument(argc, argv, 100000);
    if (rows <= 0) {
        std::fprintf(stderr, "usage: bench_store [row count]\n");
        return 2;
    }
    try {
        return Run(rows);
    } catch (const zovi::StoreError& e) {
        std::fprintf(stderr, "store error: %s\n", e.what());
        return 1;
    }
}
