#include "core/clock.h"
#include "core/locale.h"
#include "core/paths.h"
#include "dialogs.h"
#include "views/dateeditor.h"
#include "views/dateperiods.h"

#include <QDateEdit>
#include <QFile>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

using namespace zovi;
using test::Child;

// The date periods of the quick filter's shortcuts and of the date-period editor, and the
// editor with its month chooser driven as a user drives them.
class TestDatePeriods : public QObject {
    Q_OBJECT

    QTemporaryDir m_program;
    std::unique_ptr<DateEditor> m_editor;

    MonthPicker* chooser() {
        return m_editor->findChild<MonthPicker*>(QStringLiteral("TSelMonth"));
    }
    QDate picker(const char* name) { return Child<QDateEdit>(m_editor.get(), name)->date(); }

    // Clicks "..." of the editor; script runs in the month chooser once it is shown, and a
    // chooser the script leaves open is cancelled, so that no failure blocks the test.
    void otherMonth(const std::function<void(MonthPicker*)>& script) {
        MonthPicker* window = chooser();
        bool shown = false;
        test::WhenShown(window, [&, window] {
            shown = true;
            script(window);
            if (window->isVisible())
                window->reject();
        });
        QTest::mouseClick(Child<QPushButton>(m_editor.get(), "SpeedButton4"), Qt::LeftButton);
        QVERIFY(shown);
    }

    static void chooseMonth(MonthPicker* window, int month) {
        auto* list = Child<QListWidget>(window, "ListBox1");
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualItemRect(list->item(month - 1)).center());
    }

    static void typeYear(MonthPicker* window, int year) {
        auto* spin = Child<QSpinBox>(window, "SpinEdit1");
        spin->selectAll();
        QTest::keyClicks(spin, QString::number(year));
    }

    static void addRow(const char* name, const DatePeriod& period, const QDate& from,
                       const QDate& to) {
        QTest::newRow(name) << period.from << period.to << from << to;
    }

private Q_SLOTS:
    void initTestCase() {
        AppLocale::set(QLatin1Char(','), QStringLiteral("dd.MM.yyyy"));
        ProgramFolder::set(m_program.path());
        QFile lang(m_program.filePath(QStringLiteral("lang.ini")));
        QVERIFY(lang.open(QIODevice::WriteOnly));
        lang.write("february=Февраль\nweek=Неделя\n");
    }
    void cleanupTestCase() {
        ProgramFolder::reset();
        Clock::setToday({});
    }
    void init() {
        Clock::setToday(QDate(2008, 3, 10));
        m_editor = std::make_unique<DateEditor>();
        m_editor->setPeriod(QDate(2007, 5, 5), QDate(2007, 6, 6));
        m_editor->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_editor.get()));
    }
    void cleanup() {
        test::CloseDialogs();
        m_editor.reset();
    }

    void periods_data() {
        QTest::addColumn<QDate>("from");
        QTest::addColumn<QDate>("to");
        QTest::addColumn<QDate>("expectedFrom");
        QTest::addColumn<QDate>("expectedTo");
        // The months of the date menu and of the editor end on their real last day, February
        // on the 29th in a leap year.
        addRow("Февраль 2008", Month(2008, 2), QDate(2008, 2, 1), QDate(2008, 2, 29));
        addRow("Апрель", Month(2008, 4), QDate(2008, 4, 1), QDate(2008, 4, 30));
        addRow("current month on 29 February", CurrentMonth(QDate(2008, 2, 29)), QDate(2008, 2, 1),
               QDate(2008, 2, 29));
        addRow("current year", CurrentYear(QDate(2008, 3, 10)), QDate(2008, 1, 1),
               QDate(2008, 12, 31));
        addRow("February 2007", Month(2007, 2), QDate(2007, 2, 1), QDate(2007, 2, 28));
        addRow("February 2000", Month(2000, 2), QDate(2000, 2, 1), QDate(2000, 2, 29));
        addRow("February 1900", Month(1900, 2), QDate(1900, 2, 1), QDate(1900, 2, 28));
        addRow("week on a Sunday", Week(QDate(2008, 3, 9)), QDate(2008, 3, 3), QDate(2008, 3, 9));
        addRow("week on a Monday", Week(QDate(2008, 3, 10)), QDate(2008, 3, 10),
               QDate(2008, 3, 16));
        addRow("week across the new year", Week(QDate(2008, 1, 2)), QDate(2007, 12, 31),
               QDate(2008, 1, 6));
    }
    void periods() {
        QFETCH(QDate, from);
        QFETCH(QDate, to);
        QFETCH(QDate, expectedFrom);
        QFETCH(QDate, expectedTo);
        QCOMPARE(from, expectedFrom);
        QCOMPARE(to, expectedTo);
    }

    // Runs before any other opening of the chooser in this program: its year starts on the
    // current one and then stays as the user left it, also for another editor. Translated
    // captions and month names replace the built-in ones.
    void chooserKeepsTheYear() {
        // The editor's captions come from the translation table where it has them.
        QCOMPARE(Child<QPushButton>(m_editor.get(), "SpeedButton1")->text(), QStringLiteral("day"));
        QCOMPARE(Child<QPushButton>(m_editor.get(), "SpeedButton2")->text(),
                 QString::fromUtf8("Неделя"));
        otherMonth([](MonthPicker* window) {
            QCOMPARE(Child<QSpinBox>(window, "SpinEdit1")->value(), 2008);
            // A translated name keeps its leading blank; an untranslated one stays English.
            auto* list = Child<QListWidget>(window, "ListBox1");
            QCOMPARE(list->item(0)->text(), QStringLiteral(" January"));
            QCOMPARE(list->item(1)->text(), QStringLiteral(" Февраль"));
            typeYear(window, 1999);
            test::Click(window, "Button2");
        });
        m_editor = std::make_unique<DateEditor>();
        m_editor->show();
        otherMonth([](MonthPicker* window) {
            QCOMPARE(Child<QSpinBox>(window, "SpinEdit1")->value(), 1999);
        });
    }

    void buttons_data() {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QDate>("today");
        QTest::addColumn<QDate>("from");
        QTest::addColumn<QDate>("to");
        QTest::newRow("day") << "SpeedButton1" << QDate(2008, 3, 12) << QDate(2008, 3, 12)
                             << QDate(2008, 3, 12);
        QTest::newRow("week on a Sunday")
            << "SpeedButton2" << QDate(2008, 3, 9) << QDate(2008, 3, 3) << QDate(2008, 3, 9);
        QTest::newRow("week on a Monday")
            << "SpeedButton2" << QDate(2008, 3, 10) << QDate(2008, 3, 10) << QDate(2008, 3, 16);
        QTest::newRow("week mid-week")
            << "SpeedButton2" << QDate(2008, 3, 13) << QDate(2008, 3, 10) << QDate(2008, 3, 16);
        QTest::newRow("month in a leap February")
            << "SpeedButton3" << QDate(2008, 2, 10) << QDate(2008, 2, 1) << QDate(2008, 2, 29);
    }
    void buttons() {
        QFETCH(QString, button);
        QFETCH(QDate, today);
        QFETCH(QDate, from);
        QFETCH(QDate, to);
        Clock::setToday(today);
        QTest::mouseClick(Child<QPushButton>(m_editor.get(), qPrintable(button)), Qt::LeftButton);
        QCOMPARE(picker("DateTimePicker1"), from);
        QCOMPARE(picker("DateTimePicker2"), to);
        QCOMPARE(m_editor->from(), from);
        QCOMPARE(m_editor->to(), to);
    }

    void otherMonth_data() {
        QTest::addColumn<int>("month");
        QTest::addColumn<int>("year");
        QTest::addColumn<QDate>("to");
        QTest::newRow("February 2000") << 2 << 2000 << QDate(2000, 2, 29);
        QTest::newRow("February 1900") << 2 << 1900 << QDate(1900, 2, 28);
        QTest::newRow("February 2008") << 2 << 2008 << QDate(2008, 2, 29);
        QTest::newRow("December 2100") << 12 << 2100 << QDate(2100, 12, 31);
    }
    void otherMonth() {
        QFETCH(int, month);
        QFETCH(int, year);
        QFETCH(QDate, to);
        otherMonth([=](MonthPicker* window) {
            chooseMonth(window, month);
            typeYear(window, year);
            test::Click(window, "Button1");
        });
        QCOMPARE(chooser()->isVisible(), false);
        QCOMPARE(m_editor->from(), QDate(year, month, 1));
        QCOMPARE(m_editor->to(), to);
    }

    // OK is impossible until a month is chosen, neither by clicking nor by Enter; Cancel after
    // choosing one leaves the editor's dates as they were.
    void chooserWithoutMonthOrCancelled() {
        otherMonth([](MonthPicker* window) {
            auto* ok = Child<QPushButton>(window, "Button1");
            QVERIFY(!ok->isEnabled());
            QTest::keyClick(Child<QListWidget>(window, "ListBox1"), Qt::Key_Return);
            QVERIFY(window->isVisible());
            chooseMonth(window, 7);
            QVERIFY(ok->isEnabled());
            typeYear(window, 2001);
            test::Click(window, "Button2");
            QVERIFY(!window->isVisible());
        });
        QCOMPARE(m_editor->from(), QDate(2007, 5, 5));
        QCOMPARE(m_editor->to(), QDate(2007, 6, 6));
    }
};

QTEST_MAIN(TestDatePeriods)
#include "tst_dateperiods.moc"
