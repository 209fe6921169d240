#include "app/mainwindow.h"
#include "app/servicewindow.h"
#include "core/lang.h"
#include "core/layouts.h"
#include "core/locale.h"
#include "core/messages.h"
#include "core/settings.h"
#include "core/toolbaroverflow.h"
#include "core/wait.h"
#include "databases/backupwindow.h"
#include "databases/chooserwindow.h"
#include "databases/importwindow.h"
#include "dbasefile.h"
#include "dialogs.h"
#include "ledger/ledgergridview.h"
#include "ledger/ledgerpage.h"
#include "mainwindowsession.h"
#include "reports/dbaseexport.h"
#include "reports/printselect.h"
#include "store/datamodules.h"
#include "store/error.h"
#include "store/transaction.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QSignalSpy>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <memory>
#include <unistd.h>

using namespace zovi;
using zovi::test::TempDatabase;

// Makes a folder read-only for the test's lifetime: by its permissions, or, for root (whom
// permissions do not stop), by a read-only bind mount of it onto itself.
class ReadOnlyFolder {
public:
    explicit ReadOnlyFolder(const QString& folder) : m_folder(folder) {
        if (::geteuid() != 0) {
            for (const QFileInfo& f : QDir(folder).entryInfoList(QDir::Files))
                QFile::setPermissions(f.filePath(), QFile::ReadOwner | QFile::ReadUser);
            QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner | QFile::ReadUser |
                                              QFile::ExeUser);
            m_made = !QFileInfo(folder).isWritable();
            return;
        }
        m_mounted = QProcess::execute(QStringLiteral("mount"),
                                      {QStringLiteral("--bind"), folder, folder}) == 0;
        m_made = m_mounted && QProcess::execute(QStringLiteral("mount"),
                                                {QStringLiteral("-o"),
                                                 QStringLiteral("remount,bind,ro"), folder}) == 0;
    }
    ~ReadOnlyFolder() {
        if (m_mounted)
            // Lazily: the test's database may still hold the files open until its cleanup.
            QProcess::execute(QStringLiteral("umount"), {QStringLiteral("--lazy"), m_folder});
        if (::geteuid() != 0) {
            const auto all = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner;
            QFile::setPermissions(m_folder, all);
            for (const QFileInfo& f : QDir(m_folder).entryInfoList(QDir::Files))
                QFile::setPermissions(f.filePath(), QFile::ReadOwner | QFile::WriteOwner);
        }
    }
    bool made() const { return m_made; }

private:
    QString m_folder;
    bool m_mounted = false;
    bool m_made = false;
};

class TestMainWindow : public zovi::test::MainWindowSession {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() {
        AppLocale::set(QLatin1Char(','), QStringLiteral("dd.MM.yyyy"));
        Messages::setTestMode(true);
    }

    void init() { sessionInit(); }
    void cleanup() { sessionCleanup(); }

    void firstStartWritesDefaultsOnce() {
        // Started from a folder that is neither the program's nor the user's: the folders of the
        // defaults do not depend on it.
        QTemporaryDir elsewhere;
        const QString before = QDir::currentPath();
        QVERIFY(QDir::setCurrent(elsewhere.path()));
        start();
        QVERIFY(QDir::setCurrent(before));
        const QString current = elsewhere.path();
        QCOMPARE(Settings::readInt(QStringLiteral("accounts"), -1), 0);
        QCOMPARE(Settings::readBool(QStringLiteral("flat_panel"), false), true);
        QCOMPARE(Settings::readBool(QStringLiteral("flat_button"), false), true);
        QCOMPARE(Settings::readBool(QStringLiteral("showcopy"), false), true);
        QCOMPARE(Settings::readBool(QStringLiteral("alphablend"), false), true);
        // The user's own folder for backups, made so that the windows can show it.
        QCOMPARE(Settings::readString(QStringLiteral("reservcopy")), m_db->backupsFolder());
        QVERIFY(QFileInfo(m_db->backupsFolder()).isDir());
        QCOMPARE(Settings::readString(QStringLiteral("skin")),
                 m_db->programFolder() + QStringLiteral("/Skins/Longhorn.sui"));
        QCOMPARE(Settings::readString(QStringLiteral("curdir")), current);
        // Booleans are stored as integers.
        QSettings raw(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("tarvo"),
                      QStringLiteral("zovi6"));
        QCOMPARE(raw.value(QStringLiteral("flat_panel")).toString(), QStringLiteral("1"));

        Settings::writeString(QStringLiteral("skin"), QStringLiteral("/elsewhere/my.sui"));
        Settings::writeString(QStringLiteral("curdir"), QStringLiteral("/old"));
        restart();
        QCOMPARE(m_backupWindows, 1); // "showcopy" was true at the first close
        QCOMPARE(Settings::readString(QStringLiteral("skin")), QStringLiteral("/elsewhere/my.sui"));
        QCOMPARE(Settings::readString(QStringLiteral("curdir")), QDir::currentPath());
    }

    // A database without RCopy/ (a folder registered as it was) gets one when it is opened, so
    // that the automatic copy at close is made.
    void noRCopyFolderGetsOne() {
        QVERIFY(!QFileInfo::exists(m_db->folder() + QStringLiteral("/RCopy")));
        start();
        Settings::writeBool(QStringLiteral("showcopy"), false);
        QVERIFY(m_window->close());
        QCOMPARE(zovi::test::QueryFile(m_db->folder() + QStringLiteral("/RCopy/Data.db"),
                                       QStringLiteral("PRAGMA integrity_check")),
                 QStringLiteral("ok"));
        QVERIFY(Messages::takeShown().isEmpty()); // nothing reported
    }

    void cancellingTheChooserEndsQuietly() {
        start(false);
        QVERIFY(!m_window->databaseChosen());
        for (int n = 1; n <= 7; ++n)
            QVERIFY(!Settings::contains(QStringLiteral("size%1").arg(n)));
        QVERIFY(m_window->close());
        QCOMPARE(m_backupWindows, 0);
        QVERIFY(QDir(m_db->folder() + QStringLiteral("/RCopy")).isEmpty());
        QVERIFY(Messages::takeShown().isEmpty());
    }

    void loadColumnWidthsComputesWidths() {
        start();
        m_window->showNormal();
        m_window->resize(1000, 700);
        QTRY_COMPARE(m_window->width(), 1000);
        m_window->loadColumnWidths();
        auto* grid = m_window->findChild<QTableView*>(QStringLiteral("Grid1"));
        // The date column is never narrower than a whole date.
        const int date = std::max(73, m_window->ledgerPage()->grid()->minimumDateWidth());
        const QList<int> expected = {date, 298, 98, 98, 148, 148, 83};
        for (int c = 1; c <= 7; ++c)
            QCOMPARE(grid->columnWidth(c), expected[c - 1]);
        QVERIFY(grid->isColumnHidden(0));

        // Saved widths come back unchanged, a hidden column stays hidden; a date column saved
        // too narrow is widened to a whole date.
        grid->setColumnWidth(1, 30);
        grid->setColumnWidth(2, 222);
        grid->setColumnHidden(5, true);
        m_window->saveColumnWidths();
        QCOMPARE(Settings::readInt(QStringLiteral("size2"), 0), 222);
        QCOMPARE(Settings::readInt(QStringLiteral("size5"), 0), -1);
        grid->setColumnWidth(2, 50);
        grid->setColumnHidden(5, false);
        m_window->loadColumnWidths();
        QCOMPARE(grid->columnWidth(1), m_window->ledgerPage()->grid()->minimumDateWidth());
        QCOMPARE(grid->columnWidth(2), 222);
        QVERIFY(grid->isColumnHidden(5));
    }

    // A window manager maximises the window a moment after it is shown: computed column widths
    // follow the window's later size until the user sets a width by hand.
    void computedWidthsFollowTheWindow() {
        start();
        auto* grid = m_window->findChild<QTableView*>(QStringLiteral("Grid1"));
        QTRY_VERIFY(!m_window->waitWindow()->isVisible()); // start-up has laid the grid out
        m_window->showNormal();
        m_window->resize(1000, 700);
        QTRY_COMPARE(grid->columnWidth(2), 298); // 0.3 of 1000, less the grid lines
        m_window->resize(1100, 700);
        QTRY_COMPARE(grid->columnWidth(2), 328);
        auto* debts = m_window->findChild<QTableView*>(QStringLiteral("GridD"));
        const int debtNameWide = debts->columnWidth(2);
        grid->horizontalHeader()->resizeSection(2, 150);
        m_window->resize(1000, 700);
        QTRY_COMPARE(m_window->width(), 1000);
        QCOMPARE(grid->columnWidth(2), 150);
        // The debts grid keeps no widths: it follows the window still, its dates whole.
        QVERIFY(debts->columnWidth(2) < debtNameWide);
        m_window->resize(820, 700);
        QTRY_COMPARE(m_window->width(), 820);
        QVERIFY(debts->columnWidth(1) >= MinimumDateWidth(debts->font()));
    }

    // A window too narrow for the toolbar hides its last buttons; its extension button lists
    // them, each enabled as its button is, and choosing one runs that button's command.
    void toolbarOverflowReachesHiddenButtons() {
        start();
        auto* bar = m_window->findChild<QToolBar*>(QStringLiteral("ToolBar1"));
        QTRY_VERIFY(!m_window->waitWindow()->isVisible());
        // Captions as long as a translation may make them.
        for (const char* name : {"tb1", "tb4", "tb5"})
            toolButton(name)->setText(toolButton(name)->text() + QStringLiteral(" (long caption)"));
        m_window->showNormal();
        m_window->resize(834, 700);
        QTRY_VERIFY(!toolButton("tb8")->isVisibleTo(bar));
        QVERIFY(toolButton("tb1")->isVisibleTo(bar));
        auto* extension = bar->findChild<QToolButton*>(QStringLiteral("qt_toolbar_ext_button"));
        QVERIFY(extension->isVisibleTo(bar));
        QTest::mouseClick(extension, Qt::LeftButton);
        QMenu* menu = nullptr;
        QTRY_VERIFY((menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())));
        QStringList shown;
        for (QAction* item : menu->actions())
            shown << item->text();
        QVERIFY2(shown.contains(QStringLiteral("Print data")) &&
                     shown.last() == QStringLiteral("Exit"),
                 qPrintable(shown.join(u',')));
        QVERIFY(!shown.contains(QStringLiteral("New record")));
        QSignalSpy printed(toolButton("tb6"), &QToolButton::clicked);
        bool printWindowShown = false;
        onDialog<PrintSelectWindow>([&](PrintSelectWindow*) { printWindowShown = true; });
        menu->actions().at(shown.indexOf(QStringLiteral("Print data")))->trigger();
        QCOMPARE(printed.count(), 1);
        QVERIFY(printWindowShown);
        menu->close();
        toolButton("tb3")->setEnabled(false);
        m_window->resize(500, 700); // as narrow as the window goes
        QTRY_VERIFY(!toolButton("tb3")->isVisibleTo(bar));
        std::unique_ptr<QMenu> now(ToolBarOverflowMenu(bar));
        bool editListed = false;
        for (QAction* item : now->actions()) {
            if (item->text() == QStringLiteral("Edit record")) {
                editListed = true;
                QVERIFY(!item->isEnabled());
            }
        }
        QVERIFY(editListed);
    }

    // A database the user may only read opens with one message, shows its balances, and
    // refuses every save with that message.
    void readOnlyDatabaseIsBrowsed() {
        const ReadOnlyFolder readOnly(m_db->folder());
        if (!readOnly.made())
            QSKIP("no read-only folder can be made here (root without mount)");
        start();
        QTRY_VERIFY(!m_window->waitWindow()->isVisible());
        QCOMPARE(Messages::takeShown(), QStringList{ReadOnlyMessage()});
        try {
            Transaction t;
            m_data->tbGr1.append();
            m_data->tbGr1.field(QStringLiteral("Name")).setText(QStringLiteral("Cash"));
            m_data->tbGr1.post();
            t.commit();
            QFAIL("a read-only database took a change");
        } catch (const StoreError& e) {
            QCOMPARE(e.message(), ReadOnlyMessage());
        }
        Settings::writeBool(QStringLiteral("showcopy"), false);
        QVERIFY(m_window->close());
        QCOMPARE(Messages::takeShown(), QStringList());
    }

    void commandsFollowTheLedgerView() {
        start();
        QTRY_VERIFY(!toolButton("tb2")->isEnabled());
        QVERIFY(!toolButton("tb3")->isEnabled());
        QVERIFY(!action("PopupEdit")->isEnabled());
        TableHandle& ledger = m_data->tbData;
        ledger.append();
        ledger.field(QStringLiteral("Name")).setText(QStringLiteral("first"));
        ledger.post();
        QTRY_VERIFY(toolButton("tb2")->isEnabled());
        QVERIFY(toolButton("tb3")->isEnabled());
        QVERIFY(action("PopupEdit")->isEnabled());
    }

    void deferredRefreshRunsOnce() {
        start();
        QTRY_VERIFY(!m_window->waitWindow()->isVisible());
        m_window->requestFullRefresh();
        m_window->requestFullRefresh();
        m_window->requestFullRefresh();
        QCOMPARE(m_window->fullRefreshCount(), 0); // deferred to the message loop
        QTRY_COMPARE(m_window->fullRefreshCount(), 1);
        // Nothing is left pending once the refresh is over: no second one can follow.
        auto* timer = m_window->findChild<QTimer*>(QStringLiteral("RefreshAllDataTimer"));
        QVERIFY(timer);
        QTRY_VERIFY(!timer->isActive() && !m_window->waitWindow()->isVisible());
        QCoreApplication::sendPostedEvents();
        QCOMPARE(m_window->fullRefreshCount(), 1);
    }

    void closingAsksOnlyWithItsKey() {
        start();
        Settings::writeBool(QStringLiteral("showcopy"), false);
        QVERIFY(m_window->close()); // no "err024" in the translation: nothing asked
        QVERIFY(Messages::takeShown().isEmpty());

        m_data = std::make_unique<LedgerTables>();
        m_cd = std::make_unique<DebtTables>();
        m_window.reset();
        zovi::test::WriteBytes(m_db->programFolder() + QStringLiteral("/lang.ini"),
                               "err024=Leave Zovi?\n");
        start();
        Messages::queueAnswer(false);
        QVERIFY(!m_window->close());
        QCOMPARE(Messages::takeShown(), QStringList{QStringLiteral("Leave Zovi?")});
        QVERIFY(m_window->databaseChosen());
        Messages::queueAnswer(true);
        QVERIFY(m_window->close());
    }

    void closingCopiesIntoRCopy() {
        QVERIFY(QDir().mkpath(m_db->folder() + QStringLiteral("/RCopy")));
        start();
        Settings::writeBool(QStringLiteral("showcopy"), false);
        m_data->tbData.append();
        m_data->tbData.field(QStringLiteral("Name")).setText(QStringLiteral("kept"));
        m_data->tbData.post();
        QVERIFY(m_window->close());
        QCOMPARE(m_backupWindows, 0);
        const QDir rcopy(m_db->folder() + QStringLiteral("/RCopy"));
        for (const char* name : {"Data.db", "Gr1.db", "data.un", "copy.txt"})
            QVERIFY2(rcopy.exists(QString::fromLatin1(name)), name);
        // The copy holds the posted row: it was taken from the live file consistently.
        LedgerTables copy;
        copy.tbData2.setPath(rcopy.filePath(QStringLiteral("Data.db")));
        copy.tbData2.open();
        QVERIFY(copy.tbData2.locate(QStringLiteral("Name"), QStringLiteral("kept")));
    }

    void langAppliesKeysInOrder() {
        zovi::test::WriteBytes(m_db->programFolder() + QStringLiteral("/lang.ini"),
                               "delete=Remove\nhint002=Remove this entry\nsystem001=My money\n"
                               "calculating value to=Value to\nsave as=Keep as\nstat2=Lists\n"
                               "button01=Add\n");
        start();
        QCOMPARE(m_window->windowTitle(), QStringLiteral("My money"));
        QCOMPARE(action("DeleteRec")->text(), QStringLiteral("Remove"));
        QCOMPARE(action("PopupDelete")->text(), QStringLiteral("Remove"));
        QCOMPARE(toolButton("tb2")->toolTip(), QStringLiteral("Remove this entry"));
        QCOMPARE(toolButton("DeleteCredit_bt")->toolTip(), QStringLiteral("Remove"));
        QCOMPARE(toolButton("tb1")->text(), QStringLiteral("Add"));
        QCOMPARE(action("ChartSaveAs")->text(), QStringLiteral("Keep as..."));
        QCOMPARE(m_window->findChild<QGroupBox*>(QStringLiteral("GroupBox5"))->title(),
                 QStringLiteral(" Value to "));
        QCOMPARE(m_window->findChild<QTabWidget*>(QStringLiteral("PageControl2"))->tabText(1),
                 QStringLiteral("Lists"));
    }

    // The window behind the chooser already reads in the language of lang.ini.
    void translatedWhileChooserShows() {
        zovi::test::WriteBytes(m_db->programFolder() + QStringLiteral("/lang.ini"),
                               "system001=Мои деньги\nbutton05=Обмен\nbutton06=Печать\n");
        QStringList seen;
        start(true, [this, &seen](ChooserWindow* chooser) {
            seen << m_window->windowTitle() << toolButton("tb5")->text()
                 << toolButton("tb6")->text();
            // The bottom panel already agrees with its filters button: folded, as at first start.
            auto* filters = m_window->findChild<QToolButton*>(QStringLiteral("FiltersButton"));
            seen << filters->text()
                 << (m_window->findChild<QWidget*>(QStringLiteral("PanelLower"))
                             ->isVisibleTo(m_window.get())
                         ? QStringLiteral("filters open")
                         : QStringLiteral("filters folded"));
            chooser->findChild<QPushButton*>(QStringLiteral("Button1"))->click();
        });
        QCOMPARE(seen, (QStringList{QStringLiteral("Мои деньги"), QStringLiteral("Обмен"),
                                    QStringLiteral("Печать"), QStringLiteral("Show filters"),
                                    QStringLiteral("filters folded")}));
    }

    void applyAppearanceAppliesTheStyle() {
        Settings::writeBool(QStringLiteral("msPage"), false);
        Settings::writeBool(QStringLiteral("msFilter"), false);
        Settings::writeBool(QStringLiteral("msValue"), false);
        Settings::writeInt(QStringLiteral("accounts"), 2);
        Settings::writeInt(QStringLiteral("initialized"), 1); // not a first start
        start();
        auto* page = m_window->findChild<QTabWidget*>(QStringLiteral("Page"));
        QCOMPARE(page->tabPosition(), QTabWidget::North);
        QCOMPARE(page->property("tabWidth").toInt(), 230);
        QCOMPARE(m_window->findChild<QTabWidget*>(QStringLiteral("PageControl2"))->tabPosition(),
                 QTabWidget::North);
        QCOMPARE(m_window->findChild<QWidget*>(QStringLiteral("Panel6"))->height(), 138);
        QCOMPARE(m_window->findChild<QTabBar*>(QStringLiteral("TabControl1"))
                     ->property("accountsStyle")
                     .toInt(),
                 2);
        // A missing "flat_button" counts as flat buttons and a missing "flat_panel" as
        // transparent toolbars, the values a first start writes.
        Settings::remove(QStringLiteral("flat_button"));
        Settings::remove(QStringLiteral("flat_panel"));
        Settings::remove(QStringLiteral("msValue"));
        m_window->applyAppearance();
        QVERIFY(toolButton("tb1")->autoRaise());
        QVERIFY(m_window->findChild<QToolBar*>(QStringLiteral("ToolBar1"))
                    ->property("transparent")
                    .toBool());
        QCOMPARE(Settings::readBool(QStringLiteral("msValue"), false),
                 true); // written when missing
        QCOMPARE(m_window->findChild<QWidget*>(QStringLiteral("Panel6"))->height(), 27);
    }

    void filterNarrowsTheGrid() {
        {
            std::unique_ptr<LedgerTables> setupData;
            std::unique_ptr<DebtTables> setupCd;
            zovi::test::OpenHandles(*m_db, setupData, setupCd);
            LedgerTables& setup = *setupData;
            addAccounts(setup);
            struct Row {
                const char* name;
                const char* account;
                const char* type;
            };
            for (const Row& r : {Row{"bread", "Wallet", "R"}, Row{"salary", "Bank", "D"},
                                 Row{"O'Brien", "Wallet", "D"}, Row{"shared", "[...]", "R"}}) {
                setup.tbData2.append();
                setup.tbData2.field(QStringLiteral("Date")).setDate(QDate(2005, 3, 1));
                setup.tbData2.field(QStringLiteral("Name")).setText(QString::fromLatin1(r.name));
                setup.tbData2.field(QStringLiteral("Gr1")).setText(QString::fromLatin1(r.account));
                setup.tbData2.field(QStringLiteral("Type")).setText(QString::fromLatin1(r.type));
                setup.tbData2.post();
            }
        }
        start();
        auto* grid = m_window->findChild<QTableView*>(QStringLiteral("Grid1"));
        auto names = [grid] {
            QStringList list;
            for (int r = 0; r < grid->model()->rowCount(); ++r)
                list << grid->model()->index(r, 2).data().toString();
            return list;
        };
        // The first tab: the entries of Wallet and those stored under "[...]".
        QCOMPARE(names(), (QStringList{QStringLiteral("bread"), QStringLiteral("O'Brien"),
                                       QStringLiteral("shared")}));
        auto* tabs = m_window->findChild<QTabBar*>(QStringLiteral("TabControl1"));
        tabs->setCurrentIndex(2); // "[...]": every entry
        QCOMPARE(grid->model()->rowCount(), 4);
        m_window->findChild<QRadioButton*>(QStringLiteral("rIncomes"))->click();
        QCOMPARE(names(), (QStringList{QStringLiteral("salary"), QStringLiteral("O'Brien")}));
        // Selecting a row makes its entry the current one of the ledger view.
        grid->selectRow(1);
        QCOMPARE(m_data->tbData.field(QStringLiteral("Name")).text(), QStringLiteral("O'Brien"));
        // A name with a quote is searched for without breaking the filter.
        m_window->findChild<QRadioButton*>(QStringLiteral("rAll"))->click();
        auto* pages = m_window->findChild<QTabWidget*>(QStringLiteral("PageControl2"));
        pages->setCurrentIndex(2);
        m_window->findChild<QLineEdit*>(QStringLiteral("EditSearch"))
            ->setText(QStringLiteral("o'brien"));
        m_window->findChild<QPushButton*>(QStringLiteral("ButtonSearch1"))->click();
        QCOMPARE(names(), QStringList{QStringLiteral("O'Brien")});
        QVERIFY(Messages::takeShown().isEmpty());
    }

    void accountTabsFollowTheAccounts() {
        {
            std::unique_ptr<LedgerTables> setupData;
            std::unique_ptr<DebtTables> setupCd;
            zovi::test::OpenHandles(*m_db, setupData, setupCd);
            addAccounts(*setupData);
        }
        start();
        auto* tabs = m_window->findChild<QTabBar*>(QStringLiteral("TabControl1"));
        QCOMPARE(tabs->count(), 3);
        QCOMPARE(tabs->tabText(0), QStringLiteral("Wallet"));
        QCOMPARE(tabs->tabText(1), QStringLiteral("Bank"));
        QCOMPARE(tabs->tabText(2), QStringLiteral("[...]"));
    }

    // Additional > Export > dBase writes the entries of the shown account into the chosen file
    // (".dbf" added); a cancelled choice writes nothing, and a missing template is reported
    // without leaving a file.
    void exportDbfWritesTheShownEntries_data() {
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<bool>("templateKept");
        QTest::addColumn<int>("messages");
        QTest::newRow("written") << "ledger" << true << 0;
        QTest::newRow("cancelled") << "" << true << 0;
        QTest::newRow("template missing") << "ledger" << false << 1;
    }
    void exportDbfWritesTheShownEntries() {
        QFETCH(QString, chosen);
        QFETCH(bool, templateKept);
        QFETCH(int, messages);
        prepare([](LedgerTables& data) {
            zovi::test::FillClassifiers(data);
            zovi::test::AddEntry(data, QString::fromUtf8("Хлеб"), QStringLiteral("R"), -40,
                                 QStringLiteral("Food"));
            zovi::test::AddEntry(data, QString::fromUtf8("Зарплата"), QStringLiteral("D"), 1000,
                                 QStringLiteral("Salary"), QStringLiteral("Bank"));
            zovi::test::AddEntry(data, QString::fromUtf8("Молоко"), QStringLiteral("R"), -2.5,
                                 QStringLiteral("Food"));
        });
        if (templateKept)
            WriteExportTemplate(m_db->programFolder());
        start();
        QCOMPARE(m_window->findChild<QTabBar*>(QStringLiteral("TabControl1"))->tabText(0),
                 QStringLiteral("Wallet"));
        const QString file = m_db->root() + QStringLiteral("/ledger.dbf");
        FileChooser::queueChoice(chosen.isEmpty() ? chosen : m_db->root() + u'/' + chosen);
        action("ExportDbf")->trigger();

        const QStringList shown = Messages::takeShown();
        QCOMPARE(shown.size(), messages);
        if (messages > 0)
            QVERIFY2(shown.first().contains(QStringLiteral("data.dbf_t")),
                     qPrintable(shown.first()));
        QCOMPARE(QFileInfo::exists(file), messages == 0 && !chosen.isEmpty());
        if (!QFileInfo::exists(file))
            return;
        const zovi::test::DbfContent read = zovi::test::ReadDbf(file);
        const QList<QStringList> expected = {
            {QStringLiteral("01.03.2026"), QString::fromUtf8("Хлеб"), QStringLiteral("40 $"),
             QString(), QStringLiteral("Food"), QString(), QStringLiteral("Wallet")},
            {QStringLiteral("01.03.2026"), QString::fromUtf8("Молоко"), QStringLiteral("2,5 $"),
             QString(), QStringLiteral("Food"), QString(), QStringLiteral("Wallet")},
        };
        QCOMPARE(read.rows, expected);
    }

    // Additional > Export > CSV file writes the entries of the shown account into the chosen
    // file (".csv" added) and says how many it wrote where.
    void exportCsvWritesTheShownEntries() {
        prepare([](LedgerTables& data) {
            zovi::test::FillClassifiers(data);
            zovi::test::AddEntry(data, QString::fromUtf8("Хлеб"), QStringLiteral("R"), -40,
                                 QStringLiteral("Food"));
            zovi::test::AddEntry(data, QString::fromUtf8("Зарплата"), QStringLiteral("D"), 1000,
                                 QStringLiteral("Salary"), QStringLiteral("Bank"));
        });
        start();
        const QString file = m_db->root() + QStringLiteral("/ledger.csv");
        FileChooser::queueChoice(m_db->root() + QStringLiteral("/ledger"));
        action("ExportCsv")->trigger();
        QCOMPARE(Messages::takeShown(),
                 QStringList{QStringLiteral("Written to the file %1: 1 entry.")
                                 .arg(QDir::toNativeSeparators(file))});
        const QStringList lines =
            QString::fromUtf8(zovi::test::ReadBytes(file)).split(QStringLiteral("\r\n"));
        QCOMPARE(lines.size(), 3);
        QVERIFY2(lines.at(1).contains(QString::fromUtf8(";Хлеб;;40;")), qPrintable(lines.at(1)));
    }

    // Additional > Import over an old database in our own table layout (a copy of this one):
    // the new accounts get their tabs, and the ledger shows the chosen tab's entries only.
    void importShowsTheImportedLedger() {
        prepare([](LedgerTables& data) {
            zovi::test::FillClassifiers(data);
            zovi::test::AddEntry(data, QStringLiteral("Bread"), QStringLiteral("R"), -4,
                                 QStringLiteral("Food"));
            zovi::test::AddEntry(data, QStringLiteral("Pay"), QStringLiteral("D"), 100,
                                 QStringLiteral("Salary"), QStringLiteral("Bank"));
        });
        const QString old = m_db->root() + QStringLiteral("/old");
        QVERIFY(zovi::test::CopyFolder(m_db->folder(), old));
        const int accounts = zovi::test::QueryFile(old + QStringLiteral("/Gr1.db"),
                                                   QStringLiteral("SELECT count(*) FROM Gr1"))
                                 .toInt();
        start();
        // All accounts shown before: the import rebuilds the tabs, and the first is chosen.
        auto* tabs = m_window->findChild<QTabBar*>(QStringLiteral("TabControl1"));
        tabs->setCurrentIndex(tabs->count() - 1);
        QCOMPARE(m_data->tbData.recordCount(), 2);
        onDialog<ImportWindow>([&](ImportWindow* window) {
            zovi::test::Type(window, "Edit1", old);
            zovi::test::Click(window, "Button1");
        });
        action("ImportZovi5")->trigger();
        QCOMPARE(Messages::takeShown(), QStringList{QStringLiteral("Complete")});
        QCOMPARE(tabs->count(), 2 * accounts + 1);
        const QString account = tabs->tabText(tabs->currentIndex());
        QCOMPARE(account, QStringLiteral("Wallet"));
        TableHandle& shown = m_data->tbData;
        QCOMPARE(shown.recordCount(), 2); // Bread, once from each copy
        for (shown.first(); !shown.eof(); shown.next())
            QCOMPARE(shown.field(QStringLiteral("Gr1")).text(), account);
    }

    // Ctrl+Alt+Z: the service window stops the first-layout timer, shows each ledger handle's
    // state in the captions of lang.ini and closes and opens a handle; whatever it leaves closed
    // the main window opens again, since it cannot work without.
    void serviceWindowWorksTheLedgerHandles() {
        prepare([](LedgerTables& data) {
            zovi::test::FillClassifiers(data);
            zovi::test::AddEntry(data, QStringLiteral("Bread"), QStringLiteral("R"), -4,
                                 QStringLiteral("Food"));
            zovi::test::AddEntry(data, QStringLiteral("Pay"), QStringLiteral("D"), 100,
                                 QStringLiteral("Salary"));
        });
        zovi::test::WriteBytes(m_db->programFolder() + QStringLiteral("/lang.ini"),
                               "service=Обслуживание\nclose=Закрыть\nhandleclosed=закрыта\n");
        start();
        auto* timer3 = m_window->findChild<QTimer*>(QStringLiteral("Timer3"));
        timer3->start(60000); // as if the window had not been laid out yet
        bool worked = false;
        onDialog<ServiceWindow>([&](ServiceWindow* service) {
            QVERIFY(!timer3->isActive());
            QCOMPARE(service->windowTitle(), QString::fromUtf8("Обслуживание"));
            auto* state = service->findChild<QLabel*>(QStringLiteral("tbDataState"));
            QCOMPARE(state->text(),
                     QStringLiteral("open, %1 rows").arg(m_data->tbData.recordCount()));
            QCOMPARE(m_data->tbData.recordCount(), 2);
            auto* close = service->findChild<QPushButton*>(QStringLiteral("tbData3Close"));
            auto* open = service->findChild<QPushButton*>(QStringLiteral("tbData3Open"));
            QCOMPARE(close->text(), QString::fromUtf8("Закрыть"));
            QVERIFY(!open->isEnabled());
            QTest::mouseClick(close, Qt::LeftButton);
            QVERIFY(!m_data->tbData3.isOpen());
            QCOMPARE(service->findChild<QLabel*>(QStringLiteral("tbData3State"))->text(),
                     QString::fromUtf8("закрыта"));
            QVERIFY(open->isEnabled() && !close->isEnabled());
            QVERIFY(
                !service->findChild<QPushButton*>(QStringLiteral("tbData3Refresh"))->isEnabled());
            QTest::mouseClick(open, Qt::LeftButton);
            QVERIFY(m_data->tbData3.isOpen() && close->isEnabled());
            QTest::mouseClick(close, Qt::LeftButton);
            worked = true;
            QTest::mouseClick(service->findChild<QPushButton*>(QStringLiteral("ButtonClose")),
                              Qt::LeftButton);
        });
        action("SystemMenu")->trigger();
        QVERIFY(worked);
        QVERIFY(m_data->tbData3.isOpen());
        QVERIFY(Messages::takeShown().isEmpty());
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
