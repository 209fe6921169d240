#include "core/locale.h"
#include "core/textutil.h"
#include "fixtures.h"
#include "ledger/currency.h"
#include "ledger/deleteentry.h"
#include "ledger/exchange.h"
#include "ledger/revalue.h"
#include "ledger/standardentry.h"
#include "ledger/transfer.h"
#include "store/datamodules.h"
#include "store/error.h"
#include "store/transaction.h"

#include <QFile>
#include <QMap>
#include <QTest>
#include <cmath>
#include <initializer_list>
#include <memory>
#include <sqlite3.h>
#include <utility>

using namespace zovi;
using zovi::test::TempDatabase;

namespace {

using Fields = std::initializer_list<std::pair<const char*, QVariant>>;
// Ledger rows of the file by ID.
using EntryRows = QMap<qint64, QString>;

// Appends one row with the given fields through a handle.
void Put(TableHandle& t, Fields fields) {
    t.append();
    for (const auto& [name, value] : fields)
        t.field(QString::fromLatin1(name)).setVariant(value);
    t.post();
}

QString S(const char* utf8) {
    return QString::fromUtf8(utf8);
}

// Runs one statement on a table file with a connection of its own, as another program would,
// and returns the first column of the first row as text (a null QString when there is none).
QString Query(const QString& file, const QString& sql) {
    sqlite3* db = nullptr;
    QString result;
    if (sqlite3_open_v2(QFile::encodeName(file).constData(), &db, SQLITE_OPEN_READWRITE, nullptr) ==
        SQLITE_OK) {
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &st, nullptr) == SQLITE_OK &&
            sqlite3_step(st) == SQLITE_ROW) {
            if (const unsigned char* text = sqlite3_column_text(st, 0))
                result = QString::fromUtf8(reinterpret_cast<const char*>(text));
        }
        sqlite3_finalize(st);
    }
    sqlite3_close(db);
    return result;
}

Currency Make(const char* name, double kurs, bool more, bool def = false) {
    Currency c;
    c.Name = S(name);
    c.Kurs = kurs;
    c.More = more;
    c.Def = def;
    return c;
}

// The fields of every currency row, in table order, as "Def Name Znak Kurs More OldValue".
QStringList CurrencyRows(TableHandle& v) {
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

} // namespace

class TestLedger : public QObject {
    Q_OBJECT

    std::unique_ptr<TempDatabase> m_db;
    std::unique_ptr<Tdata> m_data;
    std::unique_ptr<TCDdata> m_cd;

    void openDatabase() { zovi::test::OpenHandles(*m_db, m_data, m_cd); }

    void reopenDatabase() {
        m_cd.reset();
        m_data.reset();
        openDatabase();
    }

    QString dataFile() const { return m_db->file(QStringLiteral("Data.db")); }
    QString valutaFile() const { return m_db->file(QStringLiteral("Valuta.db")); }

    // Main R (Less, rate 1), $ More 30, € Less 0.5, £ More 1000 with opening balances.
    void fillCurrencies() {
        Transaction t;
        TableHandle& v = m_data->tbValuta;
        Put(v, {{"Def", true},
                {"Name", S("RUB")},
                {"Znak", S("R")},
                {"Kurs", 1.0},
                {"More", false},
                {"OldValue", S("100")}});
        Put(v, {{"Def", false},
                {"Name", S("USD")},
                {"Znak", S("$")},
                {"Kurs", 30.0},
                {"More", true},
                {"OldValue", S("10")}});
        Put(v, {{"Def", false},
                {"Name", S("EUR")},
                {"Znak", S("€")},
                {"Kurs", 0.5},
                {"More", false},
                {"OldValue", S("0")}});
        Put(v, {{"Def", false},
                {"Name", S("GBP")},
                {"Znak", S("£")},
                {"Kurs", 1000.0},
                {"More", true},
                {"OldValue", S("0,003")}});
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
        for (TableHandle* h : {&m_data->tbData, &m_data->tbData2, &m_data->tbData3})
            h->refresh();
    }

    // The text of a field of the ledger row named name, read from the file.
    QString ledgerField(const char* name, const char* field) {
        return Query(dataFile(), QStringLiteral("SELECT \"%1\" FROM Data WHERE Name='%2'")
                                     .arg(QString::fromLatin1(field), S(name)));
    }

    // Moves the currency cursor to the currency named name.
    void select(const char* name) {
        QVERIFY(m_data->tbValuta.locate(QStringLiteral("Name"), S(name)));
    }

    // Every ledger row of the file by ID, as "Name/Gr1/Gr2/Value/Dohod/Rashod".
    QMap<qint64, QString> storedRows() {
        QMap<qint64, QString> rows;
        const QString all =
            Query(dataFile(), QStringLiteral("SELECT group_concat(ID||'='||coalesce(Name,'')||'/'||"
                                             "coalesce(Gr1,'')||'/'||coalesce(Gr2,'')||'/'||"
                                             "coalesce(Value,'')||'/'||coalesce(Dohod,'')||'/'||"
                                             "coalesce(Rashod,''), '|') FROM Data"));
        for (const QString& row : all.split(QLatin1Char('|'), Qt::SkipEmptyParts)) {
            const qsizetype at = row.indexOf(QLatin1Char('='));
            rows.insert(row.left(at).toLongLong(), row.mid(at + 1));
        }
        return rows;
    }

    // The ledger of fillLedger (IDs 1 to 6) with a transfer of 2 R from Wallet to Main (the
    // leaving row 7, the arriving row 8); the grid's view admits "salary" alone and its cursor
    // is on it, the balance view is filtered too, so that every entry a command is given
    // is hidden from both and none is under a cursor.
    void fillHiddenLedger() {
        fillCurrencies();
        fillLedger();
        Transfer t;
        t.date = QDate(2026, 3, 1);
        t.amount = S("2");
        t.currencySign = S("R");
        t.from = S("Wallet");
        t.to = S("Main");
        t.nameOut = S("to main");
        t.nameIn = S("from wallet");
        const TransferRows rows = AppendTransfer(*m_data, t);
        QCOMPARE(rows.out, 7);
        QCOMPARE(rows.in, 8);
        refreshViews();
        TableHandle& d = m_data->tbData;
        d.setFilter(S("Name='salary'"));
        d.setFiltered(true);
        QCOMPARE(d.recordCount(), 1);
        m_data->tbData2.setFilter(S("Gr1='Main'"));
        m_data->tbData2.setFiltered(true);
    }

    void refreshViews() {
        for (TableHandle* h : {&m_data->tbData, &m_data->tbData2, &m_data->tbData3})
            h->refresh();
    }

    // The grid's and the balance view are as fillHiddenLedger left them, whatever a command
    // did through the rows they hide.
    void viewsUntouched() {
        TableHandle& d = m_data->tbData;
        QVERIFY(d.filtered());
        QCOMPARE(d.filter(), S("Name='salary'"));
        QCOMPARE(d.recordCount(), 1);
        QCOMPARE(d.field(QStringLiteral("Name")).text(), S("salary"));
        QCOMPARE(d.mode(), TableHandle::Mode::Browse);
        QVERIFY(m_data->tbData2.filtered());
        QCOMPARE(m_data->tbData2.filter(), S("Gr1='Main'"));
        QVERIFY(!Transaction::active());
    }

private Q_SLOTS:
    void initTestCase() { AppLocale::set(QLatin1Char(','), QStringLiteral("dd.MM.yyyy")); }

    void init() {
        AppLocale::set(QLatin1Char(','), QStringLiteral("dd.MM.yyyy"));
        m_db = std::make_unique<TempDatabase>();
        openDatabase();
    }

    void cleanup() {
        m_cd.reset();
        m_data.reset();
        m_db.reset();
        AppLocale::set(QLatin1Char(','), QStringLiteral("dd.MM.yyyy"));
    }

    // ---- the conversion rule ----

    void conversion_data() {
        QTest::addColumn<double>("amount");
        QTest::addColumn<double>("kurs");
        QTest::addColumn<bool>("more");
        QTest::addColumn<bool>("isMain");
        QTest::addColumn<double>("toMain");
        QTest::addColumn<double>("fromMain");
        QTest::newRow("More rate 30") << 2.0 << 30.0 << true << false << 60.0 << 2.0 / 30;
        QTest::newRow("Less rate 40") << 80.0 << 40.0 << false << false << 2.0 << 3200.0;
        QTest::newRow("More back") << 60.0 << 30.0 << true << false << 1800.0 << 2.0;
        QTest::newRow("Less fraction") << 3.0 << 0.5 << false << false << 6.0 << 1.5;
        QTest::newRow("main ignores rate") << 7.0 << 5.0 << false << true << 7.0 << 7.0;
        QTest::newRow("main with rate 0") << 7.0 << 0.0 << true << true << 7.0 << 7.0;
        QTest::newRow("negative") << -4.0 << 30.0 << true << false << -120.0 << -4.0 / 30;
    }

    void conversion() {
        QFETCH(double, amount);
        QFETCH(double, kurs);
        QFETCH(bool, more);
        QFETCH(bool, isMain);
        QFETCH(double, toMain);
        QFETCH(double, fromMain);
        const Currency c = Make("X", kurs, more, isMain);
        QCOMPARE(ToMainCurrency(amount, c).value_or(-1e9), toMain);
        QCOMPARE(FromMainCurrency(amount, c).value_or(-1e9), fromMain);
        if (!isMain) {
            QCOMPARE(ToMainCurrencyAt(amount, kurs, more).value_or(-1e9), toMain);
            QCOMPARE(FromMainCurrencyAt(amount, kurs, more).value_or(-1e9), fromMain);
        }
        // There and back gives the amount again.
        QVERIFY(std::fabs(*FromMainCurrency(*ToMainCurrency(amount, c), c) - amount) < 1e-9);
    }

    void betweenCurrenciesGoesThroughMain() {
        const Currency usd = Make("USD", 30, true);
        const Currency tenge = Make("KZT", 40, false);
        QCOMPARE(ConvertCurrency(2, usd, tenge).value_or(-1), 2400.0);
        QCOMPARE(ConvertCurrency(2400, tenge, usd).value_or(-1), 2.0);
        QVERIFY(!ConvertCurrency(1, Make("Old", 0, false), usd));
        QVERIFY(!ConvertCurrency(1, usd, Make("Old", 0, true)));
    }

    void currencyListRows() {
        fillCurrencies();
        const auto texts = [](const QList<CurrencyListRow>& rows) {
            QStringList list;
            for (const CurrencyListRow& r : rows)
                list << QStringList{r.mark, r.name, r.oldValue, r.rate}.join(QLatin1Char('|'));
            return list;
        };
        QList<Currency> currencies = ReadCurrencies(m_data->tbValuta);
        QCOMPARE(
            texts(CurrencyListRows(currencies)),
            (QStringList{S("+|RUB (R)|100 R|MAIN"), S("-|USD ($)|10 $|30 R for 1 $"),
                         S("-|EUR (€)|0 €|0,5 € for 1 R"), S("-|GBP (£)|0,003 £|1000 R for 1 £")}));
        // Without a main currency its sign is left out.
        currencies.removeFirst();
        QCOMPARE(texts(CurrencyListRows(currencies)).first(), S("-|USD ($)|10 $|30  for 1 $"));
    }

    void rateZeroNeverDivides_data() {
        QTest::addColumn<bool>("more");
        QTest::newRow("More") << true;
        QTest::newRow("Less") << false;
    }

    void rateZeroNeverDivides() {
        QFETCH(bool, more);
        const Currency old = Make("Old", 0, more);
        QVERIFY(!ToMainCurrency(5, old));
        QVERIFY(!FromMainCurrency(5, old));
        QVERIFY(!ToMainCurrencyAt(5, 0, more));
        QVERIFY(!FromMainCurrencyAt(5, std::nan(""), more));
        // A total leaves such a currency out instead of becoming infinite.
        Currency withBalance = old;
        withBalance.Value = 10;
        Currency main = Make("Main", 1, false, true);
        main.Value = 3;
        QCOMPARE(TotalInMainCurrency({main, withBalance}), 3.0);
        withBalance.Znak = QStringLiteral("o");
        QVERIFY(!TotalInCurrency(3, {main, withBalance}, QStringLiteral("o")));
    }

    // ---- currency commands ----

    void addStoresTypedValues() {
        fillCurrencies();
        AddCurrency(*m_data, {S("Yen"), S("¥"), S("1.5"), S(" -12,25 "), true});
        QCOMPARE(CurrencyRows(m_data->tbValuta).last(), S("0 Yen ¥ 1.5 1 -12,25"));
        QCOMPARE(m_data->tbValuta.recNo(), 1);
        QCOMPARE(Query(valutaFile(), QStringLiteral("SELECT Kurs FROM Valuta WHERE Name='Yen'")),
                 QStringLiteral("1.5"));
    }

    void badInputIsRefused_data() {
        QTest::addColumn<QString>("rate");
        QTest::addColumn<QString>("oldValue");
        QTest::newRow("rate not a number") << S("abc") << S("0");
        QTest::newRow("rate zero") << S("0") << S("0");
        QTest::newRow("rate zero with decimals") << S("0,00") << S("0");
        QTest::newRow("rate negative") << S("-5") << S("0");
        QTest::newRow("rate empty") << S("") << S("0");
        QTest::newRow("rate two separators") << S("1,2.3") << S("0");
        QTest::newRow("opening balance text") << S("1") << S("ten");
        QTest::newRow("opening balance empty") << S("1") << S("  ");
        QTest::newRow("opening balance two separators") << S("1") << S("1.2.3");
        QTest::newRow("opening balance inner minus") << S("1") << S("1-2");
    }

    void badInputIsRefused() {
        QFETCH(QString, rate);
        QFETCH(QString, oldValue);
        fillCurrencies();
        const QStringList before = CurrencyRows(m_data->tbValuta);
        const QString fileBefore =
            Query(valutaFile(), QStringLiteral("SELECT group_concat(Name||Kurs||OldValue, '|') "
                                               "FROM Valuta"));

        QVERIFY_THROWS_EXCEPTION(StoreError,
                                 AddCurrency(*m_data, {S("New"), S("N"), rate, oldValue, true}));
        select("USD");
        QVERIFY_THROWS_EXCEPTION(StoreError,
                                 EditCurrency(*m_data, {S("New"), S("N"), rate, oldValue, true}));

        QCOMPARE(CurrencyRows(m_data->tbValuta), before);
        QCOMPARE(
            Query(valutaFile(),
                  QStringLiteral("SELECT group_concat(Name||Kurs||OldValue, '|') FROM Valuta")),
            fileBefore);
        try {
            CheckCurrencyInput({S("New"), S("N"), rate, oldValue, true}, false);
            QFAIL("the input was accepted");
        } catch (const StoreError& e) {
            QVERIFY(e.message().contains(rate.isEmpty() || !ToAmount(rate) || *ToAmount(rate) <= 0
                                             ? QStringLiteral("rate")
                                             : QStringLiteral("opening balance")));
        }
    }

    void renameRewritesEveryEntry() {
        fillCurrencies();
        fillLedger();
        Transaction t;
        Put(m_data->tbData, {{"Name", S("case")},
                             {"Gr1", S("Main")},
                             {"Type", S("D")},
                             {"Value", 1.0},
                             {"Valuta", S("usd")},
                             {"Dohod", S("1 $")}});
        Put(m_data->tbData, {{"Name", S("change back")},
                             {"Gr1", S("Wallet")},
                             {"Type", S("O")},
                             {"ValueRashod", -2.5},
                             {"ValutaRashod", S("USD")},
                             {"ValueDohod", 75.0},
                             {"ValutaDohod", S("RUB")},
                             {"Rashod", S("2,5 $")},
                             {"Dohod", S("75 R")}});
        t.commit();
        // The grid shows only the Wallet account: most USD entries are hidden.
        m_data->tbData.setFilter(QStringLiteral("Gr1='Wallet'"));
        m_data->tbData.setFiltered(true);
        m_data->tbData.last();
        const int shown = m_data->tbData.recordCount();

        select("USD");
        const int at = m_data->tbValuta.recNo();
        EditCurrency(*m_data, {S("Dollar"), S("D$"), S("31"), S("12"), true});

        QCOMPARE(ledgerField("lunch", "Valuta"), S("Dollar"));
        QCOMPARE(ledgerField("lunch", "Rashod"), S("5 D$"));
        QCOMPARE(ledgerField("zerorate", "Valuta"), S("Dollar")); // hidden by the filter
        QCOMPARE(ledgerField("zerorate", "Dohod"), S("0 D$"));    // Value 0 counts as received
        QCOMPARE(ledgerField("exchange", "ValutaDohod"), S("Dollar"));
        QCOMPARE(ledgerField("exchange", "Dohod"), S("10 D$"));
        QCOMPARE(ledgerField("exchange", "ValutaRashod"), S("RUB"));
        QCOMPARE(ledgerField("exchange", "Rashod"), S("300 R"));
        QCOMPARE(ledgerField("change back", "ValutaRashod"), S("Dollar"));
        QCOMPARE(ledgerField("change back", "Rashod"), S("2,5 D$"));
        QCOMPARE(ledgerField("case", "Valuta"), S("usd")); // names compare with letter case
        QCOMPARE(ledgerField("case", "Dohod"), S("1 $"));
        QCOMPARE(ledgerField("salary", "Dohod"), S("1000 R"));
        QCOMPARE(Query(dataFile(), QStringLiteral("SELECT count(*) FROM Data WHERE Valuta='USD' "
                                                  "OR ValutaDohod='USD' OR ValutaRashod='USD'")),
                 S("0"));

        QCOMPARE(m_data->tbValuta.recNo(), at);
        QCOMPARE(CurrencyRows(m_data->tbValuta).at(at - 1), S("0 Dollar D$ 31 1 12"));
        QVERIFY(m_data->tbData.filtered());
        QCOMPARE(m_data->tbData.filter(), QStringLiteral("Gr1='Wallet'"));
        QCOMPARE(m_data->tbData.recordCount(), shown);
    }

    void editMainKeepsRate() {
        fillCurrencies();
        select("RUB");
        EditCurrency(*m_data, {S("Ruble"), S("P"), S("77"), S("5"), true});
        QCOMPARE(CurrencyRows(m_data->tbValuta).first(), S("1 Ruble P 1 0 5"));
    }

    void deleteChecks_data() {
        QTest::addColumn<QString>("currency");
        QTest::addColumn<QString>("refusal");
        QTest::newRow("main currency") << S("RUB") << S("error #13");
        QTest::newRow("used by a shown entry") << S("EUR") << S("error #12");
        QTest::newRow("used only by a hidden entry") << S("GBP") << S("error #12");
        QTest::newRow("used only by a hidden exchange") << S("CHF") << S("error #12");
        QTest::newRow("unused") << S("JPY") << QString();
    }

    void deleteChecks() {
        QFETCH(QString, currency);
        QFETCH(QString, refusal);
        fillCurrencies();
        fillLedger();
        {
            Transaction t;
            Put(m_data->tbValuta, {{"Name", S("CHF")}, {"Znak", S("F")}, {"Kurs", 2.0}});
            Put(m_data->tbValuta, {{"Name", S("JPY")}, {"Znak", S("Y")}, {"Kurs", 2.0}});
            Put(m_data->tbData2, {{"Name", S("hidden")},
                                  {"Gr1", S("Main")},
                                  {"Type", S("R")},
                                  {"Value", -1.0},
                                  {"Valuta", S("GBP")}});
            Put(m_data->tbData2, {{"Name", S("hidden exchange")},
                                  {"Gr1", S("Main")},
                                  {"Type", S("O")},
                                  {"ValutaRashod", S("RUB")},
                                  {"ValutaDohod", S("CHF")}});
            t.commit();
        }
        TableHandle& d2 = m_data->tbData2;
        d2.setFilter(QStringLiteral("Gr1='Wallet'"));
        d2.setFiltered(true);
        d2.last();
        const int shown = d2.recordCount();
        const int rows = m_data->tbValuta.recordCount();

        select(currency.toUtf8().constData());
        const auto found = CurrencyDeleteRefusal(*m_data);
        QCOMPARE(found.value_or(QString()), refusal);
        QCOMPARE(d2.recordCount(), shown);
        QVERIFY(d2.filtered());
        QCOMPARE(d2.recNo(), shown);

        if (refusal.isEmpty()) {
            DeleteCurrency(*m_data);
            QCOMPARE(m_data->tbValuta.recordCount(), rows - 1);
            QCOMPARE(m_data->tbValuta.recNo(), 1);
        } else {
            QVERIFY_THROWS_EXCEPTION(StoreError, DeleteCurrency(*m_data));
            QCOMPARE(m_data->tbValuta.recordCount(), rows);
        }
        QCOMPARE(Query(valutaFile(),
                       QStringLiteral("SELECT count(*) FROM Valuta WHERE Name='%1'").arg(currency)),
                 refusal.isEmpty() ? S("0") : S("1"));
    }

    void setMainKeepsOtherRates() {
        fillCurrencies();
        select("EUR");
        SetMainCurrency(*m_data);
        QCOMPARE(CurrencyRows(m_data->tbValuta),
                 (QStringList{S("0 RUB R 1 0 100"), S("0 USD $ 30 1 10"), S("1 EUR € 1 0 0"),
                              S("0 GBP £ 1000 1 0,003")}));
        QCOMPARE(m_data->tbValuta.field(QStringLiteral("Name")).text(), S("EUR"));
        QCOMPARE(Query(valutaFile(), QStringLiteral("SELECT count(*) FROM Valuta WHERE Def=1")),
                 S("1"));
    }

    void move_data() {
        QTest::addColumn<QString>("currency");
        QTest::addColumn<bool>("up");
        QTest::addColumn<bool>("moved");
        QTest::addColumn<QString>("order");
        QTest::newRow("first up") << S("RUB") << true << false << S("RUB USD EUR GBP");
        QTest::newRow("last down") << S("GBP") << false << false << S("RUB USD EUR GBP");
        QTest::newRow("second up") << S("USD") << true << true << S("USD RUB EUR GBP");
        QTest::newRow("first down") << S("RUB") << false << true << S("USD RUB EUR GBP");
        QTest::newRow("last up") << S("GBP") << true << true << S("RUB USD GBP EUR");
    }

    void move() {
        QFETCH(QString, currency);
        QFETCH(bool, up);
        QFETCH(bool, moved);
        QFETCH(QString, order);
        fillCurrencies();
        const QStringList before = CurrencyRows(m_data->tbValuta);
        select(currency.toUtf8().constData());
        const int at = m_data->tbValuta.recNo();
        QCOMPARE(MoveCurrency(*m_data, up), moved);

        QStringList names;
        for (const Currency& c : ReadCurrencies(m_data->tbValuta))
            names << c.Name;
        QCOMPARE(names.join(QLatin1Char(' ')), order);
        // The whole record moves, and the cursor with it.
        QCOMPARE(m_data->tbValuta.field(QStringLiteral("Name")).text(), currency);
        QCOMPARE(m_data->tbValuta.recNo(), moved ? (up ? at - 1 : at + 1) : at);
        QStringList after = CurrencyRows(m_data->tbValuta);
        after.sort();
        QStringList sorted = before;
        sorted.sort();
        QCOMPARE(after, sorted);
        reopenDatabase();
        names.clear();
        for (const Currency& c : ReadCurrencies(m_data->tbValuta))
            names << c.Name;
        QCOMPARE(names.join(QLatin1Char(' ')), order);
    }

    // ---- revaluation ----

    void openingBalancesTabs_data() {
        QTest::addColumn<int>("tab");
        QTest::addColumn<int>("count");
        QTest::addColumn<bool>("counted");
        QTest::newRow("first account") << 0 << 3 << true;
        QTest::newRow("middle account") << 1 << 3 << false;
        QTest::newRow("all accounts") << 2 << 3 << true;
        QTest::newRow("only [...]") << 0 << 1 << true;
        QTest::newRow("second of four") << 2 << 4 << false;
    }

    void openingBalancesTabs() {
        QFETCH(int, tab);
        QFETCH(int, count);
        QFETCH(bool, counted);
        QCOMPARE(OpeningBalancesCount(tab, count), counted);
    }

    void revalue_data() {
        QTest::addColumn<bool>("opening");
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QString>("sign");
        QTest::addColumn<QString>("values"); // RUB USD EUR GBP
        QTest::addColumn<double>("totalMain");
        QTest::addColumn<double>("total");
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("hint");
        const QString cr(QChar(13));
        QTest::newRow("all accounts")
            << true << QString() << S("R") << S("850 15 20 0,003") << 1343.0 << 1343.0 << S("1 343")
            << S("RUB: 850 R") + cr + S("USD: 15 $") + cr + S("EUR: 20 €");
        QTest::newRow("first account in dollars")
            << true << S("Gr1='Main'") << S("$") << S("850 20 0 0,003") << 1453.0 << 1453.0 / 30
            << S("48,43") << S("RUB: 850 R") + cr + S("USD: 20 $");
        QTest::newRow("middle account in euros")
            << false << S("Gr1='Wallet'") << S("€") << S("0 -5 20 0") << -110.0 << -55.0
            << S(" -55") << S("USD: -5 $") + cr + S("EUR: 20 €");
        QTest::newRow("unknown sign stays in main units")
            << false << QString() << S("?") << S("750 5 20 0") << 940.0 << 940.0 << S(" 940")
            << S("RUB: 750 R") + cr + S("USD: 5 $") + cr + S("EUR: 20 €");
    }

    void revalue() {
        QFETCH(bool, opening);
        QFETCH(QString, filter);
        QFETCH(QString, sign);
        QFETCH(QString, values);
        QFETCH(double, totalMain);
        QFETCH(double, total);
        QFETCH(QString, label);
        QFETCH(QString, hint);
        fillCurrencies();
        fillLedger();
        TableHandle& d2 = m_data->tbData2;
        if (!filter.isEmpty()) {
            d2.setFilter(filter);
            d2.setFiltered(true);
        }

        const RevalueResult r = Revalue(*m_data, opening, sign);
        QStringList got;
        for (const Currency& c : r.currencies)
            got << NumberText(c.Value);
        QCOMPARE(got.join(QLatin1Char(' ')), values);
        QVERIFY(std::fabs(r.totalMain - totalMain) < 1e-9);
        QVERIFY(std::fabs(r.total - total) < 1e-9);
        QCOMPARE(r.labelText, label);
        QCOMPARE(r.labelHint, hint);

        // The figures are stored in the currency records, ValueSTR rounded to two decimals.
        const QList<Currency> stored = ReadCurrencies(m_data->tbValuta);
        QStringList storedValues, storedTexts;
        for (const Currency& c : stored) {
            storedValues << NumberText(c.Value);
            storedTexts << c.ValueSTR;
        }
        QCOMPARE(storedValues.join(QLatin1Char(' ')), values);
        QCOMPARE(storedTexts.last(), S("0"));
        QCOMPARE(
            Query(valutaFile(), QStringLiteral("SELECT ValueSTR FROM Valuta WHERE Name='EUR'")),
            S(filter.isEmpty() || filter.contains(S("Wallet")) ? "20" : "0"));

        // InDol at the entry's own rate, only for the selected entries with a rate.
        const bool wallet = filter.isEmpty() || filter.contains(S("Wallet"));
        const bool main = filter.isEmpty() || filter.contains(S("Main"));
        QCOMPARE(ledgerField("lunch", "InDol"), wallet ? S("-150.0") : QString());
        QCOMPARE(ledgerField("gift", "InDol"), wallet ? S("40.0") : QString());
        QCOMPARE(ledgerField("salary", "InDol"), main ? S("1000.0") : QString());
        QCOMPARE(ledgerField("exchange", "InDol"), S("99.0"));
        QCOMPARE(ledgerField("norate", "InDol"), S("7.0"));
        QCOMPARE(ledgerField("zerorate", "InDol"), S("8.0"));
        QCOMPARE(r.entriesWritten, int(wallet) * 2 + int(main));

        // A second run finds nothing to write and the same figures.
        const RevalueResult again = Revalue(*m_data, opening, sign);
        QCOMPARE(again.entriesWritten, 0);
        QCOMPARE(again.labelText, label);
    }

    void revalueLeavesOutZeroRate() {
        fillCurrencies();
        fillLedger();
        {
            Transaction t;
            Put(m_data->tbValuta,
                {{"Name", S("OLD")}, {"Znak", S("o")}, {"Kurs", 0.0}, {"OldValue", S("5")}});
            Put(m_data->tbData2, {{"Name", S("old")},
                                  {"Gr1", S("Main")},
                                  {"Type", S("D")},
                                  {"Value", 4.0},
                                  {"Valuta", S("OLD")},
                                  {"Kurs", 0.0}});
            t.commit();
        }
        const RevalueResult r = Revalue(*m_data, true, S("o"));
        QCOMPARE(r.currencies.last().Value, 9.0);
        QCOMPARE(r.totalMain, 1343.0);
        QCOMPARE(r.total, 1343.0); // the chosen currency cannot convert: main units
        QCOMPARE(r.totalSign, S("R"));
        QCOMPARE(r.lines.last().balance, S("9 o"));
    }

    void emptyLedgerGivesStartValues() {
        fillCurrencies();
        const RevalueResult r = Revalue(*m_data, true, S("R"));
        QCOMPARE(r.totalMain, 100.0 + 300 + 0 + 3);
        QCOMPARE(r.labelText, S(" 403"));
        const RevalueResult none = Revalue(*m_data, false, S("R"));
        QCOMPARE(none.labelText, S("0"));
        QVERIFY(none.lines.isEmpty());
        QVERIFY(none.labelHint.isEmpty());
    }

    void totalText_data() {
        QTest::addColumn<QChar>("separator");
        QTest::addColumn<double>("total");
        QTest::addColumn<QString>("text");
        const QChar point(QLatin1Char('.'));
        const QChar comma(QLatin1Char(','));
        QTest::newRow("0.004") << point << 0.004 << S("0");
        QTest::newRow("-0.009") << point << -0.009 << S("0");
        QTest::newRow("1234567.891") << point << 1234567.891 << S("1 234 567.89");
        QTest::newRow("123.456") << point << 123.456 << S(" 123.45");
        QTest::newRow("123456") << point << 123456.0 << S(" 123 456");
        QTest::newRow("1234") << point << 1234.0 << S("1 234");
        QTest::newRow("-1234.5") << point << -1234.5 << S("-1 234.5");
        QTest::newRow("-123456") << point << -123456.0 << S("- 123 456");
        QTest::newRow("cut, not rounded") << comma << 2.999 << S("2,99");
        QTest::newRow("comma") << comma << 1234.5 << S("1 234,5");
        QTest::newRow("0.01") << comma << 0.01 << S("0,01");
    }

    void totalText() {
        QFETCH(QChar, separator);
        QFETCH(double, total);
        QFETCH(QString, text);
        AppLocale::set(separator, QStringLiteral("dd.MM.yyyy"));
        QCOMPARE(TotalText(total), text);
    }

    void balanceLines_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<bool>("isMain");
        QTest::addColumn<QString>("line"); // mark|name|balance, empty when left out
        QTest::newRow("0.004 left out") << 0.004 << false << QString();
        QTest::newRow("-0.004 left out") << -0.004 << false << QString();
        QTest::newRow("zero left out") << 0.0 << true << QString();
        QTest::newRow("0.0041 shown") << 0.0041 << false << S("+ |X|0 x");
        QTest::newRow("-0.0041 shown") << -0.0041 << false << S("- |X|0 x");
        QTest::newRow("main positive") << 1234.567 << true << S("+M|X|1 234,57 x");
        QTest::newRow("main negative") << -123.0 << true << S("-M|X|- 123 x");
    }

    void balanceLines() {
        QFETCH(double, value);
        QFETCH(bool, isMain);
        QFETCH(QString, line);
        Currency c = Make("X", 2, true, isMain);
        c.Znak = S("x");
        c.Value = value;
        Currency other = Make("Y", 1, true);
        other.Znak = S("y");
        other.Value = 1;
        const QList<BalanceLine> lines = BalanceLines({c, other});
        QCOMPARE(lines.size(), line.isEmpty() ? 1 : 2);
        QCOMPARE(lines.last().name, S("Y")); // a left-out currency leaves no gap
        if (!line.isEmpty()) {
            const BalanceLine& l = lines.first();
            QCOMPARE(l.mark + QLatin1Char('|') + l.name + QLatin1Char('|') + l.balance, line);
            QCOMPARE(BalanceHint(lines), S("X: ") + l.balance + QChar(13) + S("Y: 1 y"));
        }
        // Every currency counts in the total, shown or not.
        QVERIFY(std::fabs(TotalInMainCurrency({c, other}) - (isMain ? value : value * 2) - 1) <
                1e-12);
    }

    void valueTexts_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("half to even down") << 0.125 << S("0,12");
        QTest::newRow("rounded") << 2.675001 << S("2,68");
        QTest::newRow("tiny") << 0.003 << S("0");
        QTest::newRow("negative tiny") << -0.003 << S("0");
        QTest::newRow("whole") << -850.0 << S("-850");
    }

    void valueTexts() {
        QFETCH(double, value);
        QFETCH(QString, text);
        QCOMPARE(BalanceValueText(value), text);
        fillCurrencies();
        {
            Transaction t;
            m_data->tbValuta.first();
            m_data->tbValuta.edit();
            m_data->tbValuta.field(QStringLiteral("Value")).setDouble(value);
            m_data->tbValuta.post();
            t.commit();
        }
        ValutaValueSTR(*m_data);
        QCOMPARE(ReadCurrencies(m_data->tbValuta).first().ValueSTR, text);
    }

    // ---- entry commands by ID ----

    void commandActsOnTheGivenEntryOnly_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QList<qint64>>("gone");
        QTest::addColumn<EntryRows>("changed");
        using Rows = EntryRows;
        QTest::newRow("delete a charge") << S("delete 2") << QList<qint64>{2} << Rows{};
        QTest::newRow("delete the arriving leg") << S("delete 8") << QList<qint64>{7, 8} << Rows{};
        QTest::newRow("delete the leaving leg") << S("delete 7") << QList<qint64>{7, 8} << Rows{};
        QTest::newRow("move") << S("move 3") << QList<qint64>{}
                              << Rows{{3, S("gift/Bank//20.0/20 €/")}};
        QTest::newRow("rewrite a charge as an income")
            << S("rewrite standard 2") << QList<qint64>{}
            << Rows{{2, S("refund/Main/Food/7.5/7,5 $/")}};
        QTest::newRow("rewrite an exchange") << S("rewrite exchange 4") << QList<qint64>{}
                                             << Rows{{4, S("swap/Wallet/(ОБМЕН)//20 $/600 R")}};
        QTest::newRow("rewrite a transfer read by its arriving leg")
            << S("rewrite transfer 8") << QList<qint64>{}
            << Rows{{7, S("to main/Wallet/(TRANSFER->)/-3.0//3 R")},
                    {8, S("from wallet/Main/(->TRANSFER)/3.0/3 R/")}};
    }

    // With the target hidden by both filtered views and the grid's cursor on another entry, a
    // command changes exactly the rows of the entry it is given.
    void commandActsOnTheGivenEntryOnly() {
        QFETCH(QString, command);
        QFETCH(QList<qint64>, gone);
        QFETCH(EntryRows, changed);
        fillHiddenLedger();
        const QMap<qint64, QString> before = storedRows();
        const qint64 id = command.section(QLatin1Char(' '), -1).toLongLong();

        if (command.startsWith(S("delete"))) {
            QCOMPARE(DeleteEntry(*m_data, *m_cd, id), int(gone.size()));
        } else if (command.startsWith(S("move"))) {
            MoveEntry(*m_data, id, S("Bank"));
        } else if (command.startsWith(S("rewrite standard"))) {
            StandardEntry e = ReadStandardEntry(*m_data, id);
            e.income = true;
            e.name = S("refund");
            e.amount = S("7.5");
            e.group = S("Food");
            RewriteStandardEntry(*m_data, id, e, S("Main"));
        } else if (command.startsWith(S("rewrite exchange"))) {
            ExchangeEntry e = ReadExchange(*m_data, id);
            e.name = S("swap");
            e.amount = S("600");
            RewriteExchange(*m_data, id, e, S("Wallet"));
        } else {
            const StoredTransfer stored = ReadTransfer(*m_data, id);
            Transfer t = stored.transfer;
            t.amount = S("3");
            RewriteTransfer(*m_data, t, stored.rows);
        }

        QMap<qint64, QString> expected = before;
        for (qint64 row : gone)
            expected.remove(row);
        expected.insert(changed);
        QCOMPARE(storedRows(), expected);
        viewsUntouched();
        // The views show the change at once: every row is admitted again without a filter.
        m_data->tbData.setFiltered(false);
        QCOMPARE(m_data->tbData.recordCount(), expected.size());
    }

    void readsTheGivenEntry_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<qint64>("id");
        QTest::addColumn<QString>("read");
        QTest::newRow("income") << S("standard") << qint64(3) << S("D gift 20 € ");
        QTest::newRow("charge") << S("standard") << qint64(2) << S("R lunch 5 $ ");
        QTest::newRow("exchange") << S("exchange") << qint64(4) << S("exchange 300 30 R $");
        QTest::newRow("transfer by its leaving leg")
            << S("transfer") << qint64(7) << S("7 8 Wallet Main to main from wallet 2 R");
        QTest::newRow("transfer by its arriving leg")
            << S("transfer") << qint64(8) << S("7 8 Wallet Main to main from wallet 2 R");
        QTest::newRow("no transfer") << S("transfer") << qint64(1) << S("0 0      ");
    }

    void readsTheGivenEntry() {
        QFETCH(QString, kind);
        QFETCH(qint64, id);
        QFETCH(QString, read);
        fillHiddenLedger();
        QStringList got;
        if (kind == S("standard")) {
            const StandardEntry e = ReadStandardEntry(*m_data, id);
            got << S(e.income ? "D" : "R") << e.name << e.amount << e.currencySign << e.group;
            QCOMPARE(EntryType(*m_data, id), got.first());
        } else if (kind == S("exchange")) {
            const ExchangeEntry e = ReadExchange(*m_data, id);
            got << e.name << e.amount << e.rate << e.givenSign << e.receivedSign;
        } else {
            const StoredTransfer s = ReadTransfer(*m_data, id);
            const Transfer& t = s.transfer;
            got << QString::number(s.rows.out) << QString::number(s.rows.in) << t.from << t.to
                << t.nameOut << t.nameIn << t.amount << t.currencySign;
        }
        QCOMPARE(got.join(QLatin1Char(' ')), read);
        viewsUntouched();
    }

    void unknownIdChangesNothing_data() {
        QTest::addColumn<QString>("command");
        for (const char* command : {"delete", "move", "rewrite standard", "rewrite exchange",
                                    "read standard", "read exchange", "read transfer"})
            QTest::newRow(command) << S(command);
    }

    // An ID that names no entry (here one that has just been deleted) is refused with a
    // readable message, and nothing is written.
    void unknownIdChangesNothing() {
        QFETCH(QString, command);
        fillHiddenLedger();
        QCOMPARE(DeleteEntry(*m_data, *m_cd, 3), 1);
        const QMap<qint64, QString> before = storedRows();
        const qint64 id = 3;
        StandardEntry standard;
        standard.name = S("x");
        standard.amount = S("1");
        standard.currencySign = S("R");
        standard.group = S("Food");
        ExchangeEntry exchange{QDate(2026, 1, 1), S("x"), S("1"), S("2"), S("R"), S("$")};
        try {
            if (command == S("delete"))
                DeleteEntry(*m_data, *m_cd, id);
            else if (command == S("move"))
                MoveEntry(*m_data, id, S("Bank"));
            else if (command == S("rewrite standard"))
                RewriteStandardEntry(*m_data, id, standard, S("Main"));
            else if (command == S("rewrite exchange"))
                RewriteExchange(*m_data, id, exchange, S("Main"));
            else if (command == S("read standard"))
                ReadStandardEntry(*m_data, id);
            else if (command == S("read exchange"))
                ReadExchange(*m_data, id);
            else
                ReadTransfer(*m_data, id);
            QFAIL("an unknown ID was not refused");
        } catch (const StoreError& e) {
            QVERIFY2(e.message().contains(S("ID 3")), qPrintable(e.message()));
        }
        QCOMPARE(storedRows(), before);
        QCOMPARE(EntryType(*m_data, id), QString());
        QCOMPARE(TransferRowsToDelete(*m_data, id), QList<qint64>());
        viewsUntouched();
    }

    // ---- the checks of the entry dialogs ----

    void checksRefuse_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("amount");
        QTest::addColumn<QString>("third"); // group, account to, or rate
        QTest::addColumn<QString>("sign");  // currency of the entry, or the one received
        QTest::addColumn<QString>("key");   // empty: accepted; "-": a fixed text
        QTest::addColumn<int>("input");
        QTest::addColumn<QString>("shown"); // the amount as the dialog shows it after OK
        const auto row = [](const char* tag, const char* kind, const char* name, const char* amount,
                            const char* third, const char* sign, const char* key, EntryInput input,
                            const char* shown) {
            QTest::newRow(tag) << S(kind) << S(name) << S(amount) << S(third) << S(sign) << S(key)
                               << int(input) << S(shown);
        };
        row("standard accepted", "standard", "tea", " 12.5 ", "Food", "$", "", EntryInput::Name,
            "12,5");
        row("standard blank name first", "standard", "  ", "x", "", "$", "err001", EntryInput::Name,
            "x");
        row("standard sign", "standard", "tea", "-5", "Food", "$", "err004", EntryInput::Amount,
            "-5");
        row("standard two separators, shown normalised", "standard", "tea", "1.2.3", "Food", "$",
            "err004", EntryInput::Amount, "1,2,3");
        row("standard no group", "standard", "tea", "3.5", "", "$", "err002", EntryInput::Group,
            "3,5");
        row("transfer accepted", "transfer", "to bank", "2.25", "Bank", "R", "", EntryInput::Name,
            "2,25");
        row("transfer two separators", "transfer", "to bank", "1.2.3", "Bank", "R", "err004",
            EntryInput::Amount, "1.2.3");
        row("transfer same account", "transfer", "to bank", "2", "Wallet", "R", "err007",
            EntryInput::SecondAccount, "2");
        row("transfer no destination", "transfer", "to bank", "2", "", "R", "err007",
            EntryInput::SecondAccount, "2");
        row("transfer blank name", "transfer", " ", "2.5", "Bank", "R", "err001",
            EntryInput::SecondName, "2.5");
        row("exchange accepted", "exchange", "swap", "300.5", "30.25", "$", "", EntryInput::Name,
            "300,5");
        row("exchange bad amount before the name", "exchange", "", "1,5.0", "30", "$", "err004",
            EntryInput::Amount, "1,5.0");
        row("exchange name before the rate", "exchange", "", "3", "0", "$", "err001",
            EntryInput::Name, "3");
        row("exchange rate 0", "exchange", "swap", "3", "0,0", "$", "err005", EntryInput::Rate,
            "3");
        row("exchange rate no number", "exchange", "swap", "3", "abc", "$", "err005",
            EntryInput::Rate, "3");
        row("exchange no currency received", "exchange", "swap", "3", "2", "", "-",
            EntryInput::SecondCurrency, "3");
        row("exchange the same currency", "exchange", "swap", "3", "2", "R", "err006",
            EntryInput::SecondCurrency, "3");
    }

    // Each check refuses with the message key and the input of the first failing check, gives
    // the amount back as the dialog then shows it, and the command that writes the entry refuses
    // it the same way without writing anything.
    void checksRefuse() {
        QFETCH(QString, kind);
        QFETCH(QString, name);
        QFETCH(QString, amount);
        QFETCH(QString, third);
        QFETCH(QString, sign);
        QFETCH(QString, key);
        QFETCH(int, input);
        QFETCH(QString, shown);
        fillCurrencies();
        std::optional<EntryRefusal> refusal;
        QString normalised;
        std::function<void()> write;
        if (kind == S("standard")) {
            const StandardEntry e{false, QDate(2026, 1, 1), name, amount, sign, third, QString()};
            const auto check = CheckStandardEntry(*m_data, e);
            refusal = check.refusal;
            normalised = check.entry.amount;
            write = [&, e] {
                AppendStandardEntry(*m_data, e, S("Main"));
            };
        } else if (kind == S("transfer")) {
            const Transfer t{QDate(2026, 1, 1), amount, sign, S("Wallet"), third, S("out"), name};
            const auto check = CheckTransfer(*m_data, t);
            refusal = check.refusal;
            normalised = check.entry.amount;
            write = [&, t] {
                AppendTransfer(*m_data, t);
            };
        } else {
            const ExchangeEntry e{QDate(2026, 1, 1), name, amount, third, S("R"), sign};
            const auto check = CheckExchange(*m_data, e);
            refusal = check.refusal;
            normalised = check.entry.amount;
            write = [&, e] {
                AppendExchange(*m_data, e, S("Main"));
            };
        }
        QCOMPARE(normalised, shown);
        if (key.isEmpty()) {
            QVERIFY2(!refusal, qPrintable(refusal ? refusal->message() : QString()));
            write();
            QCOMPARE(storedRows().size(), kind == S("transfer") ? 2 : 1);
            return;
        }
        QVERIFY(refusal);
        QCOMPARE(refusal->key, key == S("-") ? QString() : key);
        QCOMPARE(int(refusal->input), input);
        QVERIFY_THROWS_EXCEPTION(StoreError, write());
        QCOMPARE(storedRows().size(), 0);
    }

    // ---- failures half-way ----

    void failureLeavesEverything_data() {
        QTest::addColumn<QString>("command");
        QTest::newRow("rename") << S("rename");
        QTest::newRow("revalue") << S("revalue");
        QTest::newRow("set main") << S("set main");
    }

    void failureLeavesEverything() {
        QFETCH(QString, command);
        fillCurrencies();
        fillLedger();
        // The store fails on the write of the last row the command reaches.
        const QString trigger =
            QStringLiteral("CREATE TRIGGER boom BEFORE UPDATE ON %1 WHEN new.Name='%2' "
                           "BEGIN SELECT RAISE(ABORT, 'injected failure'); END");
        if (command == S("set main"))
            Query(valutaFile(), trigger.arg(S("Valuta"), S("USD")));
        else
            Query(dataFile(),
                  trigger.arg(S("Data"), S(command == S("rename") ? "zerorate" : "gift")));
        reopenDatabase();

        TableHandle& d = m_data->tbData;
        TableHandle& d2 = m_data->tbData2;
        d.setFilter(QStringLiteral("Gr1='Main'"));
        d.setFiltered(true);
        d.setRecNo(2);
        d2.setFilter(QStringLiteral("Type<>'O'"));
        d2.setFiltered(true);
        d2.setRecNo(3);
        select("USD");
        const QString ledger = Query(
            dataFile(), QStringLiteral("SELECT group_concat(Name||'/'||coalesce(Valuta,'')||'/'||"
                                       "coalesce(Dohod,'')||'/'||coalesce(Rashod,'')||'/'||"
                                       "coalesce(InDol,''), '|') FROM Data"));
        const QString currencies =
            Query(valutaFile(),
                  QStringLiteral("SELECT group_concat(Name||Def||Kurs||coalesce(Value,''),'|') "
                                 "FROM Valuta"));
        const QStringList rows = CurrencyRows(m_data->tbValuta);

        if (command == S("rename"))
            QVERIFY_THROWS_EXCEPTION(
                StoreError, EditCurrency(*m_data, {S("Dollar"), S("D$"), S("31"), S("0"), true}));
        else if (command == S("revalue"))
            QVERIFY_THROWS_EXCEPTION(StoreError, Revalue(*m_data, true, S("R")));
        else
            QVERIFY_THROWS_EXCEPTION(StoreError, SetMainCurrency(*m_data));

        QCOMPARE(Query(dataFile(),
                       QStringLiteral("SELECT group_concat(Name||'/'||coalesce(Valuta,'')||'/'||"
                                      "coalesce(Dohod,'')||'/'||coalesce(Rashod,'')||'/'||"
                                      "coalesce(InDol,''), '|') FROM Data")),
                 ledger);
        QCOMPARE(Query(valutaFile(),
                       QStringLiteral("SELECT group_concat(Name||Def||Kurs||coalesce(Value,''),"
                                      "'|') FROM Valuta")),
                 currencies);
        QCOMPARE(CurrencyRows(m_data->tbValuta), rows);
        QCOMPARE(m_data->tbValuta.field(QStringLiteral("Name")).text(), S("USD"));
        QVERIFY(d.filtered());
        QCOMPARE(d.recordCount(), 4);
        QCOMPARE(d.recNo(), 2);
        QCOMPARE(d.mode(), TableHandle::Mode::Browse);
        QVERIFY(d2.filtered());
        QCOMPARE(d2.recordCount(), 5);
        QCOMPARE(d2.recNo(), 3);
        QCOMPARE(d2.mode(), TableHandle::Mode::Browse);
        QVERIFY(!Transaction::active());
        // The in-memory rows were rolled back too.
        d.setFiltered(false);
        QVERIFY(d.locate(QStringLiteral("Name"), S("lunch")));
        QCOMPARE(d.field(QStringLiteral("Valuta")).text(), S("USD"));
        QVERIFY(d.field(QStringLiteral("InDol")).isNull());
    }
};

QTEST_GUILESS_MAIN(TestLedger)
#include "tst_ledger.moc"
