#include "core/locale.h"
#include "fixtures.h"
#include "store/datamodules.h"
#include "store/error.h"
#include "store/transaction.h"
#include "views/filterbuilder.h"
#include "views/tests.h"

#include <QTest>
#include <tuple>

using namespace zovi;

Q_DECLARE_METATYPE(zovi::FilterState)

namespace {

// The controls in their initial states, the "[...]" tab selected, the pickers on March 2005 and
// today 15.04.2005 (so the quick view starts at 16.03.2005), changed by settings separated by
// blanks: tab=NAME, notabs, page=N, offeditor, fast, date, nofrom, noto, kind=D|R, noplan,
// group=CATEGORY:VALUE, value=VALUE (groups unticked), inc=, chg=, isub=, csub=, acc=, per=
// (the six selection lists, lines separated by commas) and find=TEXT.
FilterState State(const char* settings = "") {
    FilterState s;
    s.fromDate = QDate(2005, 3, 1);
    s.toDate = QDate(2005, 3, 31);
    s.today = QDate(2005, 4, 15);
    for (const QString& item : QString::fromUtf8(settings).split(u' ', Qt::SkipEmptyParts)) {
        const QString key = item.section(u'=', 0, 0);
        const QString value = item.section(u'=', 1);
        const QStringList lines = value.split(u',');
        if (key == u"tab") {
            s.tabText = value;
            s.lastTabSelected = false;
        } else if (key == u"notabs") {
            s.hasTabs = s.lastTabSelected = false;
            s.tabText.clear();
        } else if (key == u"page") {
            s.filterPage = value.toInt();
        } else if (key == u"offeditor") {
            s.editorPageActive = false;
        } else if (key == u"fast") {
            s.fastView = true;
        } else if (key == u"date") {
            s.dateChecked = true;
        } else if (key == u"nofrom") {
            s.fromChecked = false;
        } else if (key == u"noto") {
            s.toChecked = false;
        } else if (key == u"kind") {
            s.kind = value == u"D" ? EntryKindFilter::Incomes : EntryKindFilter::Charges;
        } else if (key == u"noplan") {
            s.showPlan = false;
        } else if (key == u"group") {
            s.groupsChecked = true;
            s.groupCategory = value.section(u':', 0, 0).toInt();
            s.groupValue = value.section(u':', 1);
        } else if (key == u"value") {
            s.groupValue = value;
        } else if (key == u"inc") {
            s.incomeGroups = lines;
        } else if (key == u"chg") {
            s.chargeGroups = lines;
        } else if (key == u"isub") {
            s.incomeSubGroups = lines;
        } else if (key == u"csub") {
            s.chargeSubGroups = lines;
        } else if (key == u"acc") {
            s.accounts = lines;
        } else if (key == u"per") {
            s.periods = lines;
        } else if (key == u"find") {
            s.searchText = value;
        } else {
            qFatal("unknown setting %s", qPrintable(item));
        }
    }
    return s;
}

const char* const kTypical = "tab=Wallet date kind=R group=1:Food";

// Entries that tell the conditions apart; today is 15.04.2005, so "plan" lies in the future.
struct Entry {
    const char* date;
    const char* name;
    const char* account;
    const char* group;
    const char* subGroup;
    const char* type;
};
const Entry kLedger[] = {
    {"28.02.2005", "rent", "Main", "Home", "", "R"},
    {"01.03.2005", "salary", "Main", "Work", "", "D"},
    {"15.03.2005", "bread", "Wallet", "Food", "Bakery", "R"},
    {"31.03.2005", "milk", "Main", "food", "Dairy", "R"},
    {"31.03.2005", "shared", "[...]", "Home", "", "R"},
    {"01.04.2005", "O'Brien", "O'Brien", "O'Brien", "O'Brien", "R"},
    {"20.04.2005", "plan", "Main", "Work", "", "D"},
};

QStringList Names(TableHandle& t) {
    QStringList names;
    for (int row = 0; row < t.recordCount(); ++row)
        names << t.textAt(row, t.fieldIndex(QStringLiteral("Name")));
    return names;
}

QString Str(const char* text) {
    return QString::fromUtf8(text);
}

QStringList Split(const char* names) {
    return QString::fromUtf8(names).split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

} // namespace

class TestFilterBuilder : public zovi::test::DatabaseTest {
    Q_OBJECT

    void addEntry(const Entry& e) {
        zovi::test::Put(m_data->tbData3, {{"Date", Str(e.date)},
                                          {"Name", Str(e.name)},
                                          {"Gr1", Str(e.account)},
                                          {"Gr2", Str(e.group)},
                                          {"NameRashod", Str(e.subGroup)},
                                          {"Type", Str(e.type)}});
    }

private Q_SLOTS:
    void init() {
        initDatabase();
        Transaction t;
        for (const Entry& e : kLedger)
            addEntry(e);
        t.commit();
        refreshLedger();
    }

    void cleanup() { cleanupDatabase(); }

    void texts_data() {
        QTest::addColumn<FilterState>("state");
        QTest::addColumn<QString>("data");
        QTest::addColumn<QString>("data2");
        auto row = [](const char* name, const char* settings, const char* data, const char* data2) {
            QTest::newRow(name) << State(settings) << Str(data) << Str(data2);
        };
        auto same = [&row](const char* name, const char* settings, const char* text) {
            row(name, settings, text, text);
        };
        same("nothing", "", "");
        same("account tab", "tab=Wallet", "(Gr1='Wallet' OR Gr1='[...]')");
        same("typical", kTypical,
             "(Gr1='Wallet' OR Gr1='[...]') AND Date>='01.03.2005' AND Date<='31.03.2005' AND "
             "Type='R' AND Gr2='Food'");
        row("typical with quick view", "tab=Wallet date kind=R group=1:Food fast",
            "(Gr1='Wallet' OR Gr1='[...]') AND Date>='16.03.2005' AND Date>='01.03.2005' AND "
            "Date<='31.03.2005' AND Type='R' AND Gr2='Food'",
            "(Gr1='Wallet' OR Gr1='[...]') AND Date>='01.03.2005' AND Date<='31.03.2005' AND "
            "Type='R' AND Gr2='Food'");
        row("quick view alone", "fast", "Date>='16.03.2005'", "");
        same("quick view off the editor page", "fast offeditor", "");
        same("quick view off page 0", "fast page=2 find=x", "Name CONTAINS 'x'");
        same("from alone", "date noto", "Date>='01.03.2005'");
        same("to alone", "date nofrom", "Date<='31.03.2005'");
        same("date ticked, no end", "date nofrom noto", "");
        same("date unticked", "tab=[...]", "");
        same("date on page 1", "date page=1", "");
        same("incomes", "kind=D", "Type='D'");
        same("plan hidden", "kind=D noplan", "Type='D' AND Date<='15.04.2005'");
        same("no group category", "group=-1:Car", "Gr2='Car'");
        same("group category 0", "group=0:Car", "Gr2='Car'");
        same("group category 1", "group=1:Car", "Gr2='Car'");
        same("group category 2", "group=2:Car", "NameRashod='Car'");
        same("group category 3", "group=3:Car", "NameRashod='Car'");
        same("groups unticked", "value=Car", "");
        same("groups on page 2", "group=1:Car page=2 find=x", "Name CONTAINS 'x'");
        same("page 1, account tab", "tab=Wallet page=1 date group=1:Food", "(Gr1='Wallet')");
        same("page 1, [...] tab", "page=1", "");
        same("page 1, no tabs", "notabs page=1", "");
        same("page 0, no tabs", "notabs", "");
        same("page 1, lists",
             "tab=Wallet page=1 inc=A1,A2 chg=B isub=C csub=D acc=Main,Card "
             "per=01.03.2005-31.03.2005,05.04.2005,01.01.2005-02.01.2005-x",
             "(Gr2='A1' OR Gr2='A2' OR Gr2='B' OR NameRashod='C' OR NameRashod='D')"
             " AND (Gr1='Main' OR Gr1='Card')"
             " AND ( (Date>='01.03.2005' AND Date<='31.03.2005')"
             " OR (Date>='05.04.2005' AND Date<='05.04.2005')"
             " OR (Date>='01.01.2005' AND Date<='02.01.2005-x'))");
        same("page 1, sub-group alone", "page=1 csub=D kind=R", "Type='R' AND (NameRashod='D')");
        same("search alone", "page=2 find=bread", "Name CONTAINS 'bread'");
        same("search on an account", "tab=Wallet page=2 find=bread kind=R",
             "(Gr1='Wallet' OR Gr1='[...]') AND Type='R' AND Name CONTAINS 'bread'");
        same("search off page 2", "find=bread", "");
        same("empty search", "tab=Wallet page=2 kind=R",
             "(Gr1='Wallet' OR Gr1='[...]') AND Type='R'");
        same("quoted tab", "tab=O'Brien", "(Gr1='O''Brien' OR Gr1='[...]')");
        same("quoted group", "group=1:O'Brien", "Gr2='O''Brien'");
        same("quoted sub-group", "group=3:O'Brien", "NameRashod='O''Brien'");
        same("quoted lists", "tab=O'Brien page=1 inc=O'Brien isub=O'Brien",
             "(Gr2='O''Brien' OR NameRashod='O''Brien') AND (Gr1='O''Brien')");
        same("quoted account list", "page=1 chg=O'Brien csub=O'Brien acc=O'Brien",
             "(Gr2='O''Brien' OR NameRashod='O''Brien') AND (Gr1='O''Brien')");
        same("quoted search", "page=2 find=O'Brien", "Name CONTAINS 'O''Brien'");
    }

    void texts() {
        QFETCH(FilterState, state);
        QFETCH(QString, data);
        QFETCH(QString, data2);
        const FilterTexts built = BuildFilters(state);
        QCOMPARE(built.data, data);
        QCOMPARE(built.data2, data2);
    }

    void rowsAdmitted_data() {
        QTest::addColumn<FilterState>("state");
        QTest::addColumn<QStringList>("data");
        QTest::addColumn<QStringList>("data2");
        auto row = [](const char* name, const char* settings, const char* data, const char* data2) {
            QTest::newRow(name) << State(settings) << Split(data) << Split(data2);
        };
        auto same = [&row](const char* name, const char* settings, const char* names) {
            row(name, settings, names, names);
        };
        same("nothing", "", "rent salary bread milk shared O'Brien plan");
        same("typical", kTypical, "bread");
        row("account with quick view", "tab=Main fast", "milk shared plan",
            "rent salary milk shared plan");
        same("plan hidden", "noplan", "rent salary bread milk shared O'Brien");
        same("sub-group, any case", "group=2:DAIRY", "milk");
        same("page 1, tab without [...]", "tab=Wallet page=1", "bread");
        same("page 1, periods", "page=1 per=01.03.2005-15.03.2005,01.04.2005",
             "salary bread O'Brien");
        same("page 1, groups and accounts", "page=1 chg=Home,food acc=Main", "rent milk");
        same("search", "page=2 find=BREAD", "bread");
        same("search, part of a name", "page=2 find=eA", "bread");
        same("quoted tab", "tab=O'Brien", "shared O'Brien");
        same("quoted group", "group=0:O'Brien", "O'Brien");
        same("quoted lists", "tab=O'Brien page=1 inc=O'Brien csub=O'Brien", "O'Brien");
        same("quoted search", "page=2 find=o'brien", "O'Brien");
    }

    void rowsAdmitted() {
        QFETCH(FilterState, state);
        QFETCH(QStringList, data);
        QFETCH(QStringList, data2);
        const FilterTexts texts = BuildFilters(state);
        try {
            ApplyFilters(texts, m_data->tbData, m_data->tbData2);
        } catch (const StoreError& e) {
            QFAIL(qPrintable(e.message()));
        }
        QCOMPARE(Names(m_data->tbData), data);
        QCOMPARE(Names(m_data->tbData2), data2);
        QCOMPARE(m_data->tbData.filtered(), !texts.data.isEmpty());
        QCOMPARE(m_data->tbData2.filtered(), !texts.data2.isEmpty());
    }

    // A period line is split where both sides are dates, also when the short date format holds
    // "-" itself.
    void periodsInEveryLocale_data() {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("period");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("names");
        QTest::newRow("yyyy-MM-dd")
            << QStringLiteral("yyyy-MM-dd") << QStringLiteral("2005-03-01-2005-03-15")
            << QStringLiteral("( (Date>='2005-03-01' AND Date<='2005-03-15'))")
            << Split("salary bread");
        QTest::newRow("one day in yyyy-MM-dd")
            << QStringLiteral("yyyy-MM-dd") << QStringLiteral("2005-04-01")
            << QStringLiteral("( (Date>='2005-04-01' AND Date<='2005-04-01'))") << Split("O'Brien");
        QTest::newRow("dd-MM-yyyy")
            << QStringLiteral("dd-MM-yyyy") << QStringLiteral("28-02-2005-01-03-2005")
            << QStringLiteral("( (Date>='28-02-2005' AND Date<='01-03-2005'))")
            << Split("rent salary");
    }
    void periodsInEveryLocale() {
        QFETCH(QString, format);
        QFETCH(QString, period);
        QFETCH(QString, text);
        AppLocale::set(QLatin1Char(','), format);
        FilterState state = State("page=1");
        state.periods = {period};
        const FilterTexts texts = BuildFilters(state);
        QCOMPARE(texts.data, text);
        try {
            ApplyFilters(texts, m_data->tbData, m_data->tbData2);
        } catch (const StoreError& e) {
            QFAIL(qPrintable(e.message()));
        }
        QTEST(Names(m_data->tbData), "names");
    }

    // The dates of a filter are stored and read back in the locale's form, in every language of
    // the program: month names stay those of the locale.
    void storedDatesKeepLocaleNames_data() { zovi::test::AddShippedLanguageRows(); }
    void storedDatesKeepLocaleNames() {
        QFETCH(QString, language);
        zovi::test::UseShippedLanguage(*m_db, language);
        AppLocale::set(QLatin1Char('.'), QStringLiteral("d MMM yyyy"));
        QCOMPARE(BuildFilters(State("date")).data,
                 QStringLiteral("Date>='1 Mar 2005' AND Date<='31 Mar 2005'"));
        FilterState state = State("page=1");
        state.periods = {QStringLiteral("1 Mar 2005-15 Mar 2005")};
        QCOMPARE(BuildFilters(state).data,
                 QStringLiteral("( (Date>='1 Mar 2005' AND Date<='15 Mar 2005'))"));
    }

    void applyKeepsStateOnError() {
        TableHandle& data = m_data->tbData;
        TableHandle& data2 = m_data->tbData2;
        ApplyFilters({QStringLiteral("Name='milk'"), QString()}, data, data2);
        QVERIFY_THROWS_EXCEPTION(
            StoreError, ApplyFilters({QString(), QStringLiteral("Date>='soon'")}, data, data2));
        QCOMPARE(data.filter(), QStringLiteral("Name='milk'"));
        QVERIFY(data.filtered());
        QCOMPARE(Names(data), QStringList{QStringLiteral("milk")});
        QVERIFY(!data2.filtered());
        QCOMPARE(data2.recordCount(), 7);
    }

    void applyAdmitsNewRows() {
        const FilterTexts texts{QStringLiteral("Type='D'"), QString()};
        ApplyFilters(texts, m_data->tbData, m_data->tbData2);
        addEntry({"01.05.2005", "bonus", "Main", "Work", "", "D"});
        ApplyFilters(texts, m_data->tbData, m_data->tbData2);
        QCOMPARE(Names(m_data->tbData), Split("salary plan bonus"));
        QCOMPARE(m_data->tbData2.recordCount(), 8);
    }

    void selVidNames() {
        {
            Transaction t;
            for (auto [groups, subs, names] :
                 {std::tuple(&m_data->tbGrR, &m_data->tbGrR2, "Food:Bakery,Dairy Car:Fuel"),
                  std::tuple(&m_data->tbGrD, &m_data->tbGrD2, "Salary:Tips Bonus:")}) {
                for (const QString& group : Split(names)) {
                    groups->append();
                    groups->field(QStringLiteral("Name")).setText(group.section(u':', 0, 0));
                    groups->post();
                    for (const QString& sub :
                         group.section(u':', 1).split(QLatin1Char(','), Qt::SkipEmptyParts)) {
                        subs->append();
                        subs->field(QStringLiteral("Name")).setText(sub);
                        subs->post();
                    }
                }
            }
            t.commit();
        }
        m_data->tbGrR.first();
        QCOMPARE(GroupFilterValues(*m_data, 0).value_or(QStringList{QString()}),
                 Split("Salary Bonus"));
        QCOMPARE(GroupFilterValues(*m_data, 1).value_or(QStringList{QString()}), Split("Food Car"));
        QCOMPARE(GroupFilterValues(*m_data, 2).value_or(QStringList{QString()}),
                 Split("Bakery Dairy Fuel"));
        QCOMPARE(GroupFilterValues(*m_data, 3).value_or(QStringList{QString()}), Split("Tips"));
        QVERIFY(m_data->tbGrR2.masterAttached());
        QCOMPARE(Names(m_data->tbGrR2), Split("Bakery Dairy"));
        QVERIFY(!GroupFilterValues(*m_data, -1).has_value());
        QVERIFY(!GroupFilterValues(*m_data, 4).has_value());
    }
};

QObject* zovi::test::NewFilterBuilderTest() {
    return new TestFilterBuilder;
}

#include "tst_filterbuilder.moc"
