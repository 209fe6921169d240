#include "generator.h"
#include "timing.h"

#include "core/clock.h"
#include "core/paths.h"
#include "core/settings.h"
#include "core/textutil.h"
#include "ledger/currency.h"
#include "ledger/entrykinds.h"
#include "ledger/exchange.h"
#include "ledger/revalue.h"
#include "ledger/standardentry.h"
#include "ledger/transfer.h"
#include "store/datamodules.h"
#include "store/template.h"
#include "store/transaction.h"

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

namespace zovi {

namespace {

// The raw output of the Mersenne twister, turned into numbers by our own arithmetic: the
// standard distributions differ between libraries, and the same seed must give the same rows.
class Random {
public:
    explicit Random(quint32 seed) : m_engine(seed) {}

    int below(int n) { return int(m_engine() % quint32(n)); }
    double between(double low, double high) {
        return low + (high - low) * (double(m_engine()) / 4294967296.0);
    }

    // An index into weights, each index as likely as its weight.
    int weighted(const std::vector<int>& weights) {
        int total = 0;
        for (int w : weights)
            total += w;
        int pick = below(total);
        for (size_t i = 0; i < weights.size(); ++i) {
            if (pick < weights[i])
                return int(i);
            pick -= weights[i];
        }
        return int(weights.size()) - 1;
    }

private:
    std::mt19937 m_engine;
};

// Something bought or earned, with its usual price in the main currency.
struct Item {
    const char* name;
    double low;
    double high;
};

struct SubGroupPlan {
    const char* name;
    std::vector<Item> items;
};

struct GroupPlan {
    const char* name;
    int weight; // how often its entries occur
    std::vector<SubGroupPlan> subGroups;
};

const std::vector<GroupPlan> kChargeGroups = {
    {"Food",
     40,
     {{"Bread", {{"Bread", 1.2, 3}, {"Baguette", 1.5, 3.5}, {"Buns", 2, 5}}},
      {"Milk", {{"Milk", 0.9, 2}, {"Yogurt", 0.8, 2.5}, {"Cheese", 3, 12}}},
      {"Meat and fish", {{"Chicken", 5, 15}, {"Beef", 8, 25}, {"Salmon", 10, 30}}},
      {"Fruit and vegetables", {{"Apples", 2, 6}, {"Potatoes", 1.5, 5}, {"Tomatoes", 2, 6}}},
      {"Groceries", {{"Supermarket", 15, 120}, {"Market", 8, 60}}}}},
    {"Cafes",
     8,
     {{"Coffee", {{"Coffee", 2, 5}, {"Croissant", 1.5, 4}}},
      {"Lunch", {{"Lunch", 8, 20}, {"Pizza", 10, 30}}}}},
    {"Transport",
     12,
     {{"Public transport", {{"Bus ticket", 1.5, 3}, {"Monthly pass", 40, 70}}},
      {"Taxi", {{"Taxi", 6, 35}}},
      {"Car", {{"Petrol", 30, 80}, {"Parking", 2, 10}, {"Car wash", 8, 20}}}}},
    {"Housing",
     6,
     {{"Rent", {{"Rent", 600, 900}}},
      {"Utilities", {{"Electricity", 40, 120}, {"Water", 15, 40}, {"Internet", 25, 45}}},
      {"Repairs", {{"Plumber", 40, 200}, {"Paint", 15, 60}}}}},
    {"Health",
     4,
     {{"Pharmacy", {{"Pharmacy", 5, 60}}},
      {"Doctor", {{"Dentist", 50, 250}, {"Doctor", 30, 120}}}}},
    {"Clothes",
     4,
     {{"Clothes", {{"T-shirt", 8, 30}, {"Jeans", 30, 90}, {"Jacket", 60, 250}}},
      {"Shoes", {{"Shoes", 40, 150}}}}},
    {"Leisure",
     6,
     {{"Cinema", {{"Cinema", 8, 20}}},
      {"Books", {{"Books", 8, 40}}},
      {"Sport", {{"Gym", 25, 60}, {"Swimming pool", 5, 15}}},
      {"Travel", {{"Hotel", 60, 300}, {"Train ticket", 20, 120}}}}},
    {"Household",
     5,
     {{"Cleaning", {{"Detergent", 4, 15}, {"Paper towels", 3, 8}}},
      {"Kitchen", {{"Pans", 20, 80}}}}},
    {"Communication", 3, {{"Phone", {{"Mobile phone plan", 10, 40}}}}},
    {"Gifts", 3, {{"Presents", {{"Birthday present", 20, 100}, {"Flowers", 10, 40}}}}},
};

const std::vector<GroupPlan> kIncomeGroups = {
    {"Salary",
     60,
     {{"Main job", {{"Salary", 1800, 2400}, {"Advance", 700, 1000}}},
      {"Bonus", {{"Quarterly bonus", 300, 1200}}}}},
    {"Side jobs", 20, {{"Freelance", {{"Website project", 150, 900}, {"Translation", 50, 300}}}}},
    {"Interest", 10, {{"Deposit", {{"Deposit interest", 5, 40}}}}},
    {"Other",
     10,
     {{"Sales", {{"Sold on the market", 10, 200}}}, {"Refunds", {{"Tax refund", 50, 500}}}}},
};

const QStringList kAccounts = {QStringLiteral("Wallet"), QStringLiteral("Bank card"),
                               QStringLiteral("Credit card"), QStringLiteral("Savings")};
// How often each account of kAccounts takes a charge, and an income.
const std::vector<int> kChargeAccounts = {50, 38, 12, 0};
const std::vector<int> kIncomeAccounts = {20, 70, 0, 10};

// Money moved between two accounts of kAccounts, in the main currency.
struct TransferPlan {
    int from;
    int to;
    const char* nameOut; // the leaving row
    const char* nameIn;  // the arriving row
    double low;
    double high;
    int weight;
};
const std::vector<TransferPlan> kTransfers = {
    {1, 0, "Cash withdrawal", "Cash from the bank card", 20, 300, 50},
    {1, 3, "Put aside", "From the bank card", 100, 800, 20},
    {1, 2, "Credit card repayment", "Repayment from the bank card", 50, 600, 20},
    {3, 1, "Savings withdrawn", "From savings", 100, 1000, 10},
};

struct CurrencyPlan {
    CurrencyInput input;
    int weight; // how often charges are in this currency; incomes are in the main one
    int decimals;
};

// The main currency first (its rate is 1), then one counted in main units per unit ("More")
// and one counted in units per main unit ("Less").
const std::vector<CurrencyPlan> kCurrencies = {
    {{QStringLiteral("Dollar"), QStringLiteral("$"), QStringLiteral("1"), QStringLiteral("1500"),
      true},
     90,
     2},
    {{QStringLiteral("Euro"), QStringLiteral("€"), QStringLiteral("1.08"), QStringLiteral("1500"),
      true},
     6,
     2},
    {{QStringLiteral("Yen"), QStringLiteral("¥"), QStringLiteral("150"), QStringLiteral("100000"),
      false},
     4,
     0},
};

// The kinds of entries written and how often each occurs.
struct KindShare {
    EntryKind kind;
    int weight;
};
const std::vector<KindShare> kKinds = {
    {EntryKind::Charge, 90}, {EntryKind::Income, 8}, {EntryKind::Exchange, 2}};

// The accounts exchanges happen in, and how often the money goes from the main currency into
// another one rather than back.
const std::vector<int> kExchangeAccounts = {60, 40, 0, 0};
const int kBuyShare = 75;

// A currency plan as the conversion rule reads it.
Currency Rate(const CurrencyPlan& plan) {
    Currency c;
    c.Def = &plan == &kCurrencies.front();
    c.Kurs = plan.input.rate.toDouble();
    c.More = plan.input.more;
    return c;
}

// An amount near inMain main units in the currency, rounded to its decimals (at least one
// unit).
double Amount(double inMain, const CurrencyPlan& currency) {
    const double scale = std::pow(10.0, currency.decimals);
    return std::max(1.0,
                    std::round(FromMainCurrency(inMain, Rate(currency)).value_or(inMain) * scale)) /
           scale;
}

// The weights of a table of plans, in its order.
template <class Plan> std::vector<int> Weights(const std::vector<Plan>& plans) {
    std::vector<int> weights;
    for (const Plan& p : plans)
        weights.push_back(p.weight);
    return weights;
}

// The typed values of a currency with the program's decimal separator.
CurrencyInput Typed(const CurrencyInput& input) {
    CurrencyInput typed = input;
    typed.rate = NumberText(input.rate.toDouble());
    typed.oldValue = NumberText(input.oldValue.toDouble());
    return typed;
}

class Generator {
public:
    Generator(LedgerTables& data, const GeneratorOptions& options)
        : m_data(data), m_options(options), m_random(options.seed) {}

    GeneratedLedger run() {
        Transaction t;
        writeAccounts();
        writeCurrencies();
        m_result.chargeGroups = writeGroups(kChargeGroups, m_data.tbGrR, m_data.tbGrR2);
        m_result.incomeGroups = writeGroups(kIncomeGroups, m_data.tbGrD, m_data.tbGrD2);
        writeEntries();
        Revalue(m_data, true, QString());
        t.commit();
        return m_result;
    }

private:
    void writeAccounts() {
        TableHandle& accounts = m_data.tbGr1;
        for (const QString& name : kAccounts) {
            accounts.append();
            accounts.field(fields::Gr1::Name).setText(name);
            accounts.post();
        }
        m_result.accounts = kAccounts;
    }

    void writeCurrencies() {
        for (const CurrencyPlan& c : kCurrencies) {
            AddCurrency(m_data, Typed(c.input));
            m_result.currencies << c.input.name;
            m_currencyWeights.push_back(c.weight);
        }
        // The first currency added is the main one.
        SetMainCurrency(m_data, 0);
    }

    // Writes the groups and their sub-groups; returns how many rows that made.
    static int writeGroups(const std::vector<GroupPlan>& plans, TableHandle& groups,
                           TableHandle& subGroups) {
        int rows = 0;
        for (const GroupPlan& g : plans) {
            groups.append();
            groups.field(fields::GroupTable::Name).setText(QString::fromUtf8(g.name));
            groups.post();
            const qint64 id = groups.field(fields::GroupTable::ID).toInt();
            ++rows;
            for (const SubGroupPlan& s : g.subGroups) {
                subGroups.append();
                subGroups.field(fields::SubGroupTable::IDsecond).setInt(id);
                subGroups.field(fields::SubGroupTable::Name).setText(QString::fromUtf8(s.name));
                subGroups.post();
                ++rows;
            }
        }
        return rows;
    }

    // The days of the entries, spread evenly over the period and in ascending order, as a
    // ledger kept day by day stores them.
    std::vector<QDate> entryDates() {
        const QDate first = m_options.firstDate;
        const QDate last = first.addYears(std::max(1, m_options.years)).addDays(-1);
        m_result.firstDate = first;
        m_result.lastDate = last;
        const int days = int(first.daysTo(last)) + 1;
        std::vector<int> offsets;
        offsets.reserve(size_t(std::max(0, m_options.entries)));
        for (int i = 0; i < m_options.entries; ++i)
            offsets.push_back(m_random.below(days));
        std::sort(offsets.begin(), offsets.end());
        std::vector<QDate> dates;
        dates.reserve(offsets.size());
        for (int offset : offsets)
            dates.push_back(first.addDays(offset));
        return dates;
    }

    void writeEntries() {
        std::vector<int> weights;
        for (const KindShare& k : kKinds)
            weights.push_back(k.weight);
        for (const QDate& date : entryDates()) {
            // Without transfers no number is drawn for them, so older ledgers stay the same.
            if (m_options.transfersPercent > 0 &&
                m_random.below(100) < m_options.transfersPercent) {
                writeTransfer(date);
                continue;
            }
            switch (kKinds[size_t(m_random.weighted(weights))].kind) {
            case EntryKind::Income:
                writeStandard(date, true);
                break;
            case EntryKind::Charge:
                writeStandard(date, false);
                break;
            case EntryKind::Exchange:
                writeExchange(date);
                break;
            default:
                Q_UNREACHABLE(); // every kind of kKinds has its writer above
            }
        }
    }

    // An income or a charge as the entry dialog hands it over.
    void writeStandard(const QDate& date, bool income) {
        const std::vector<GroupPlan>& groups = income ? kIncomeGroups : kChargeGroups;
        const GroupPlan& group =
            groups[size_t(m_random.weighted(income ? m_incomeGroupWeights : m_chargeGroupWeights))];
        const SubGroupPlan& sub =
            group.subGroups[size_t(m_random.below(int(group.subGroups.size())))];
        const Item& item = sub.items[size_t(m_random.below(int(sub.items.size())))];
        const CurrencyPlan& currency =
            income ? kCurrencies.front()
                   : kCurrencies[size_t(m_random.weighted(m_currencyWeights))];
        const QString account =
            kAccounts.at(m_random.weighted(income ? kIncomeAccounts : kChargeAccounts));

        const double amount = Amount(m_random.between(item.low, item.high), currency);

        StandardEntry entry;
        entry.income = income;
        entry.date = date;
        entry.name = QString::fromUtf8(item.name) + note();
        entry.amount = NumberText(amount + cents(currency.decimals));
        entry.currencySign = currency.input.sign;
        entry.group = QString::fromUtf8(group.name);
        entry.subGroup = QString::fromUtf8(sub.name);
        AppendStandardEntry(m_data, entry, account);
        ++(income ? m_result.incomes : m_result.charges);
    }

    // A transfer as the transfer dialog hands it over, in the main currency.
    void writeTransfer(const QDate& date) {
        const TransferPlan& plan = kTransfers[size_t(m_random.weighted(m_transferWeights))];
        Transfer t;
        t.date = date;
        t.amount = NumberText(std::round(m_random.between(plan.low, plan.high)) +
                              cents(kCurrencies.front().decimals));
        t.currencySign = kCurrencies.front().input.sign;
        t.from = kAccounts.at(plan.from);
        t.to = kAccounts.at(plan.to);
        const QString note = this->note();
        t.nameOut = QString::fromUtf8(plan.nameOut) + note;
        t.nameIn = QString::fromUtf8(plan.nameIn) + note;
        AppendTransfer(m_data, t);
        ++m_result.transfers;
    }

    // Money changed between the main currency and another one inside an account, mostly into
    // the other currency, at a rate a little off the stored one. The rate is typed the way the
    // program's rule reads it: multiplying or dividing the amount given.
    void writeExchange(const QDate& date) {
        const CurrencyPlan& main = kCurrencies.front();
        const CurrencyPlan& other =
            kCurrencies[size_t(1 + m_random.below(int(kCurrencies.size()) - 1))];
        const bool buy = m_random.below(100) < kBuyShare;
        const CurrencyPlan& given = buy ? main : other;
        const CurrencyPlan& received = buy ? other : main;
        const double amount = Amount(m_random.between(50, 600), given);
        const double receivedPerUnit = ConvertCurrency(1, Rate(given), Rate(received)).value_or(1) *
                                       m_random.between(0.97, 1.03);
        const double rate =
            RateMultiplies(Rate(given), Rate(received)) ? receivedPerUnit : 1 / receivedPerUnit;

        ExchangeEntry entry;
        entry.date = date;
        entry.amount = NumberText(amount + cents(given.decimals));
        entry.rate = NumberText(std::round(rate * 1e6) / 1e6);
        entry.givenSign = given.input.sign;
        entry.receivedSign = received.input.sign;
        entry.name = QStringLiteral("Conversion %1 %2 to %3")
                         .arg(entry.amount, entry.givenSign, entry.receivedSign) +
                     note();
        AppendExchange(m_data, entry, kAccounts.at(m_random.weighted(kExchangeAccounts)));
        ++m_result.exchanges;
    }

    // For a ledger of distinct texts: a note of its own for the next entry's name, its running
    // number and three words drawn from a few dozen; nothing otherwise (and no number drawn,
    // so that other ledgers stay the same).
    QString note() {
        if (!m_options.distinct)
            return QString();
        static const char* const kWords[] = {
            "paid",   "cash",    "card",  "shop",    "market", "gift",   "friend", "family",
            "work",   "weekend", "trip",  "repair",  "spare",  "fresh",  "small",  "large",
            "lunch",  "evening", "early", "late",    "noon",   "online", "return", "deposit",
            "weekly", "monthly", "share", "receipt", "order",  "school", "garden", "neighbour"};
        constexpr int kCount = int(sizeof(kWords) / sizeof(kWords[0]));
        QString note = QStringLiteral(" (no. %1").arg(++m_notes);
        for (int i = 0; i < 3; ++i)
            note += QLatin1Char(' ') + QLatin1String(kWords[m_random.below(kCount)]);
        return note + QLatin1Char(')');
    }

    // For a ledger of distinct texts: a random number of the smallest units of a currency with
    // the decimals, below one unit, to add to an amount; nothing otherwise.
    double cents(int decimals) {
        if (!m_options.distinct || decimals <= 0)
            return 0;
        const int units = int(std::pow(10, std::min(decimals, 4)));
        return double(m_random.below(units)) / units;
    }

    LedgerTables& m_data;
    const GeneratorOptions m_options;
    int m_notes = 0;
    Random m_random;
    GeneratedLedger m_result;
    std::vector<int> m_currencyWeights;
    const std::vector<int> m_chargeGroupWeights = Weights(kChargeGroups);
    const std::vector<int> m_incomeGroupWeights = Weights(kIncomeGroups);
    const std::vector<int> m_transferWeights = Weights(kTransfers);
};

} // namespace

GeneratedLedger GenerateLedger(LedgerTables& data, const GeneratorOptions& options) {
    return Generator(data, options).run();
}

namespace bench {

BenchFolders::BenchFolders() {
    WritePrintTables(program());
    ProgramFolder::set(program());
    Settings::setTestPath(m_settings.path());
}

void BenchFolders::open(LedgerTables& data, DebtTables& cd) const {
    BindDatabase(data, cd, folder(), program());
    OpenDatabase(data, cd);
}

void GenerateTimed(const QString& folder, const QString& program, int entries, bool distinct) {
    WriteTemplateFolder(folder);
    LedgerTables data;
    DebtTables cd;
    BindDatabase(data, cd, folder, program);
    OpenDatabase(data, cd);
    GeneratorOptions options;
    options.entries = entries;
    options.years = 2;
    options.transfersPercent = 5;
    options.distinct = distinct;
    options.firstDate = Clock::today().addYears(-2).addDays(1);
    GeneratedLedger made;
    DebtOptions debts;
    debts.firstDate = options.firstDate;
    debts.lastDate = Clock::today();
    const double ms = MillisecondsOf([&] {
        made = GenerateLedger(data, options);
        GenerateDebts(data, cd, debts);
    });
    Report(QStringLiteral(
               "generate %1 charges, %2 incomes, %3 transfers and %4 exchanges (one transaction), "
               "then %5 debts repaid monthly%6")
               .arg(made.charges)
               .arg(made.incomes)
               .arg(made.transfers)
               .arg(made.exchanges)
               .arg(debts.debts)
               .arg(distinct ? QStringLiteral(", every entry's texts distinct") : QString()),
           {ms});
    CloseDatabase(data, cd);
}

std::optional<SizeArguments> ParseSizes(const QStringList& arguments) {
    SizeArguments parsed;
    for (const QString& arg : arguments) {
        if (arg == QLatin1String("--distinct")) {
            parsed.distinct = true;
            continue;
        }
        bool ok = false;
        const int entries = arg.toInt(&ok);
        if (!ok || entries <= 0)
            return std::nullopt;
        parsed.sizes << entries;
    }
    return parsed;
}

} // namespace bench

} // namespace zovi
