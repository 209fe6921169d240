#include "core/clock.h"
#include "core/locale.h"
#include "dialogs.h"
#include "ledger/ledgergrid.h"
#include "ledger/transfer.h"
#include "ledger/transferdialog.h"
#include "mainwindowsession.h"
#include "tools/calculatorwindow.h"

#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QTabBar>
#include <QTableView>
#include <sqlite3.h>

using namespace zovi;
using namespace Qt::StringLiterals;
using test::Child;
using test::Choose;

namespace {

const QDate kToday(2026, 3, 10);

// Three accounts (Wallet, Bank, Savings) and the two currencies ($ main, R).
void FillAccounts(LedgerTables& data) {
    test::MainWindowSession::addAccounts(data);
    data.tbGr1.append();
    data.tbGr1.field(QStringLiteral("Name")).setText(QStringLiteral("Savings"));
    data.tbGr1.post();
    test::MainWindowSession::addCurrencies(data);
}

Transfer WalletToBank() {
    Transfer t;
    t.date = QDate(2026, 3, 1);
    t.amount = QStringLiteral("12,5");
    t.currencySign = QStringLiteral("$");
    t.from = QStringLiteral("Wallet");
    t.to = QStringLiteral("Bank");
    t.nameOut = QStringLiteral("to the bank");
    t.nameIn = QStringLiteral("from the wallet");
    return t;
}

// A stored row written by hand, for pairs this program would not write.
void AddRow(LedgerTables& data, const QString& name, const QString& type, qint64 link) {
    TableHandle& d = data.tbData2;
    d.append();
    d.field(QStringLiteral("Date")).setDate(QDate(2026, 3, 2));
    d.field(QStringLiteral("Name")).setText(name);
    d.field(QStringLiteral("Type")).setText(type);
    d.field(QStringLiteral("Value")).setDouble(type == QStringLiteral("P2") ? 5 : -5);
    d.field(QStringLiteral("Valuta")).setText(QStringLiteral("Dollar"));
    d.field(QStringLiteral("Gr1")).setText(QStringLiteral("Wallet"));
    if (link > 0)
        d.field(QStringLiteral("IDsecond")).setInt(link);
    d.post();
}

// Every stored row as "field=value" texts of the fields that matter here, by ID.
QMap<qint64, QString> StoredRows(LedgerTables& data) {
    QMap<qint64, QString> rows;
    TableHandle& d = data.tbData3;
    d.refresh();
    for (d.first(); !d.eof(); d.next()) {
        QStringList fields;
        for (const char* f : {"Date", "Name", "Gr1", "Gr2", "Type", "Dohod", "Rashod", "Value",
                              "Valuta", "IDsecond", "NameRashod", "Kurs"})
            fields << QString::fromLatin1(f) + u'=' + d.field(QString::fromLatin1(f)).text();
        rows.insert(d.field(QStringLiteral("ID")).toInt(), fields.join(u'|'));
    }
    return rows;
}

// Makes every insert of a row of this kind fail inside SQLite, as a full disk would.
void RefuseInserts(const QString& dataFile, const char* type) {
    sqlite3* db = nullptr;
    QCOMPARE(sqlite3_open(QFile::encodeName(dataFile).constData(), &db), SQLITE_OK);
    const QByteArray sql =
        QByteArray("CREATE TRIGGER refuse BEFORE INSERT ON Data WHEN NEW.Type = '") + type +
        "' BEGIN SELECT RAISE(ABORT, 'disk full'); END;";
    QCOMPARE(sqlite3_exec(db, sql.constData(), nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);
}

} // namespace

class TestTransfers : public test::MainWindowSession {
    Q_OBJECT

    void onTransferDialog(std::function<void(TransferDialog*)> script) {
        onDialog<TransferDialog>(std::move(script));
    }

    void selectTab(int index) {
        m_window->findChild<QTabBar*>(QStringLiteral("TabControl1"))->setCurrentIndex(index);
    }

    // Makes the ledger row with this ID the current one, as a click on the grid does.
    void selectEntry(qint64 id) {
        auto* grid = m_window->findChild<QTableView*>(QStringLiteral("Grid1"));
        for (int row = 0; row < grid->model()->rowCount(); ++row) {
            const QModelIndex index = grid->model()->index(row, 1);
            if (index.data(LedgerGridModel::IdRole).toLongLong() == id) {
                grid->selectRow(row);
                QCOMPARE(m_data->tbData.field(QStringLiteral("ID")).toInt(), id);
                return;
            }
        }
        QFAIL("the entry is not in the grid");
    }

    void writeLang(const QByteArray& lines) {
        test::WriteBytes(m_db->programFolder() + QStringLiteral("/lang.ini"), lines);
    }

private Q_SLOTS:
    void initTestCase() {
        AppLocale::set(QLatin1Char(','), QStringLiteral("dd.MM.yyyy"));
        Clock::setToday(kToday);
    }
    void init() {
        sessionInit();
        writeLang("caption007=New transfer\ncaption008=Edit transfer\nfrom=Off\n");
    }
    void cleanup() { sessionCleanup(); }

    void accountsFollowTheTab_data() {
        QTest::addColumn<int>("tab");
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("to");
        QTest::newRow("first account") << 0 << QStringLiteral("Wallet") << QStringLiteral("Bank");
        QTest::newRow("last account") << 2 << QStringLiteral("Savings") << QString();
        QTest::newRow("all accounts") << 3 << QString() << QStringLiteral("Wallet");
    }

    void accountsFollowTheTab() {
        QFETCH(int, tab);
        QFETCH(QString, from);
        QFETCH(QString, to);
        prepare(FillAccounts);
        start();
        selectTab(tab);
        bool shown = false;
        onTransferDialog([&](TransferDialog* dialog) {
            shown = true;
            QCOMPARE(dialog->windowTitle(), QStringLiteral("New transfer"));
            QCOMPARE(Child<QLabel>(dialog, "Label1")->text(), QStringLiteral("Off"));
            QCOMPARE(Child<QDateEdit>(dialog, "DateTimePicker1")->date(), kToday);
            QCOMPARE(Child<QLineEdit>(dialog, "Value")->text(), QStringLiteral("0"));
            QCOMPARE(test::Items(Child<QComboBox>(dialog, "ComboBox3")),
                     (QStringList{QStringLiteral("$"), QStringLiteral("R")}));
            QCOMPARE(Child<QComboBox>(dialog, "ComboBox3")->currentText(), QStringLiteral("$"));
            auto* source = Child<QComboBox>(dialog, "ComboBox1");
            auto* destination = Child<QComboBox>(dialog, "ComboBox2");
            // The lists keep the table's order.
            QCOMPARE(test::Items(destination),
                     (QStringList{QStringLiteral("Wallet"), QStringLiteral("Bank"),
                                  QStringLiteral("Savings")}));
            QCOMPARE(source->currentIndex() < 0 ? QString() : source->currentText(), from);
            QCOMPARE(destination->currentIndex() < 0 ? QString() : destination->currentText(), to);
            // The labels and the proposed names follow the preselection.
            QCOMPARE(Child<QLabel>(dialog, "Label3")->text(), u' ' + from + u':');
            QCOMPARE(Child<QLabel>(dialog, "Label4")->text(), u' ' + to + u':');
            QCOMPARE(Child<QLineEdit>(dialog, "Edit1")->text(), u' ' + to);
            QCOMPARE(Child<QLineEdit>(dialog, "Edit2")->text(), u' ' + from);
        });
        action("bperevod")->trigger();
        QVERIFY(shown);
        QCOMPARE(m_data->tbData3.recordCount(), 0);
    }

    void newTransferStoresALinkedPair() {
        // An entry of Wallet, so that the ledger is filtered to Wallet's tab.
        prepare([](LedgerTables& data) {
            FillAccounts(data);
            AddRow(data, QStringLiteral("other"), QStringLiteral("R"), 0);
        });
        start();
        selectTab(0);
        onTransferDialog([](TransferDialog* dialog) {
            test::Type(dialog, "Value", QStringLiteral("12.5"));
            Choose(Child<QComboBox>(dialog, "ComboBox3"), QStringLiteral("R"));
            Child<QToolButton>(dialog, "SpeedButton3")->click();
            Child<QLineEdit>(dialog, "Edit1")->setText(QStringLiteral("to the bank"));
            Child<QLineEdit>(dialog, "Edit2")->setText(QStringLiteral("from the wallet"));
            Child<QPushButton>(dialog, "Button1")->click();
            QVERIFY(!dialog->isVisible());
            // The amount was normalised to the user's separator.
            QCOMPARE(Child<QLineEdit>(dialog, "Value")->text(), QStringLiteral("12,5"));
        });
        toolButton("tb4")->click();
        QVERIFY(Messages::takeShown().isEmpty());

        const QMap<qint64, QString> rows = StoredRows(*m_data);
        QCOMPARE(rows.size(), 3);
        const qint64 out = rows.lastKey() - 1;
        const QString common = QStringLiteral("|Valuta=Rouble|IDsecond=%1|NameRashod=|Kurs=");
        QCOMPARE(rows.value(out), QStringLiteral("Date=09.03.2026|Name=to the bank|Gr1=Wallet|"
                                                 "Gr2=(TRANSFER->)|Type=P1|Dohod=|Rashod=12,5 R|"
                                                 "Value=-12,5") +
                                      common.arg(out + 1));
        QCOMPARE(rows.value(out + 1),
                 QStringLiteral("Date=09.03.2026|Name=from the wallet|Gr1=Bank|"
                                "Gr2=(->TRANSFER)|Type=P2|Dohod=12,5 R|Rashod=|Value=12,5") +
                     common.arg(out));

        // The Wallet tab shows the leaving row, selected on the last grid row.
        auto* grid = m_window->findChild<QTableView*>(QStringLiteral("Grid1"));
        QCOMPARE(grid->model()->rowCount(), 2);
        QCOMPARE(grid->currentIndex().row(), 1);
        QCOMPARE(grid->model()->index(1, 1).data(LedgerGridModel::IdRole).toLongLong(), out);
    }

    void okChecksRefuseWithTheirMessages() {
        prepare(FillAccounts);
        start();
        selectTab(3);
        bool checked = false;
        onTransferDialog([&](TransferDialog* dialog) {
            auto* value = Child<QLineEdit>(dialog, "Value");
            auto* source = Child<QComboBox>(dialog, "ComboBox1");
            auto* destination = Child<QComboBox>(dialog, "ComboBox2");
            auto* edit1 = Child<QLineEdit>(dialog, "Edit1");
            auto* edit2 = Child<QLineEdit>(dialog, "Edit2");
            struct Step {
                const char* amount;
                int from;
                int to;
                const char* nameOut;
                const char* nameIn;
                const char* message;
            };
            // Without translations the boxes show the built-in texts.
            for (const Step& s :
                 {Step{"1.2.3", 0, 1, "a", "b", "Error #4"}, Step{"-5", 0, 1, "a", "b", "Error #4"},
                  Step{"", 0, 1, "a", "b", "Error #4"}, Step{"0", -1, 0, "a", "b", "Error #7"},
                  Step{"0", 1, 1, "a", "b", "Error #7"}, Step{"0", 1, -1, "a", "b", "Error #7"},
                  Step{"0", -1, -1, "a", "b", "Error #7"}, Step{"0", 1, 0, " ", "b", "Error #1"},
                  Step{"0", 1, 0, "a", "", "Error #1"}}) {
                value->setText(QString::fromLatin1(s.amount));
                source->setCurrentIndex(s.from);
                destination->setCurrentIndex(s.to);
                edit1->setText(QString::fromLatin1(s.nameOut));
                edit2->setText(QString::fromLatin1(s.nameIn));
                Child<QPushButton>(dialog, "Button1")->click();
                QCOMPARE(Messages::takeShown(), QStringList{QString::fromLatin1(s.message)});
                QVERIFY(dialog->isVisible());
                QCOMPARE(value->text(), QString::fromLatin1(s.amount)); // inputs stay
            }
            QCOMPARE(m_data->tbData3.recordCount(), 0);
            // A translation replaces the built-in text.
            writeLang("err001=E1\nerr004=E4\nerr007=E7\n");
            Child<QPushButton>(dialog, "Button1")->click();
            value->setText(QStringLiteral("x"));
            Child<QPushButton>(dialog, "Button1")->click();
            destination->setCurrentIndex(1);
            value->setText(QStringLiteral("0"));
            Child<QPushButton>(dialog, "Button1")->click();
            QCOMPARE(Messages::takeShown(), (QStringList{QStringLiteral("E1"), QStringLiteral("E4"),
                                                         QStringLiteral("E7")}));
            checked = true;
        });
        action("bperevod")->trigger();
        QVERIFY(checked);
        QCOMPARE(m_data->tbData3.recordCount(), 0);
    }

    void zeroAmountIsAccepted() {
        prepare(FillAccounts);
        start();
        selectTab(1);
        onTransferDialog(
            [](TransferDialog* dialog) { Child<QPushButton>(dialog, "Button1")->click(); });
        action("bperevod")->trigger();
        const QVariantMap row = StoredRow(*m_data, QStringLiteral("Type"), QStringLiteral("P2"));
        QCOMPARE(row.value(QStringLiteral("Gr1")).toString(), QStringLiteral("Savings"));
        QCOMPARE(row.value(QStringLiteral("Name")).toString(), QStringLiteral(" Bank"));
        QCOMPARE(row.value(QStringLiteral("Dohod")).toString(), QStringLiteral("0 $"));
    }

    void nameProposals_data() {
        QTest::addColumn<QByteArray>("lang");
        QTest::addColumn<QStringList>("expected"); // Label3, Label4, Edit1, Edit2, then again
        QTest::newRow("no translations")
            << QByteArray() << QStringList{u" Wallet:"_s, u" Bank:"_s,   u" Bank"_s,
                                           u" Wallet"_s,  u" Savings"_s, u" Wallet"_s};
        QTest::newRow("transfer for")
            << QByteArray("transfer for=Transfer for\n")
            << QStringList{u"Transfer for Wallet:"_s, u"Transfer for Bank:"_s,
                           u"Transfer for Bank"_s,    u"Transfer for Wallet"_s,
                           u"Transfer for Savings"_s, u"Transfer for Wallet"_s};
        QTest::newRow("all three")
            << QByteArray("transfer for=For\ntransferout=Sent to\ntransferin=Came from\n")
            << QStringList{u"For Wallet:"_s,      u"For Bank:"_s,       u"Sent to Bank"_s,
                           u"Came from Wallet"_s, u"Sent to Savings"_s, u"Came from Wallet"_s};
    }

    void nameProposals() {
        QFETCH(QByteArray, lang);
        QFETCH(QStringList, expected);
        writeLang(lang);
        prepare(FillAccounts);
        start();
        selectTab(3);
        bool shown = false;
        onTransferDialog([&](TransferDialog* dialog) {
            shown = true;
            auto* edit1 = Child<QLineEdit>(dialog, "Edit1");
            auto* edit2 = Child<QLineEdit>(dialog, "Edit2");
            Choose(Child<QComboBox>(dialog, "ComboBox1"), QStringLiteral("Wallet"));
            Choose(Child<QComboBox>(dialog, "ComboBox2"), QStringLiteral("Bank"));
            QCOMPARE(Child<QLabel>(dialog, "Label3")->text(), expected.at(0));
            QCOMPARE(Child<QLabel>(dialog, "Label4")->text(), expected.at(1));
            QCOMPARE(edit1->text(), expected.at(2));
            QCOMPARE(edit2->text(), expected.at(3));
            // Each pick proposes both names again, overwriting what was typed.
            edit1->setText(QStringLiteral("typed"));
            edit2->setText(QStringLiteral("typed"));
            Choose(Child<QComboBox>(dialog, "ComboBox2"), QStringLiteral("Savings"));
            QCOMPARE(edit1->text(), expected.at(4));
            QCOMPARE(edit2->text(), expected.at(5));
            // The buttons propose one name each.
            edit1->clear();
            edit2->clear();
            Child<QToolButton>(dialog, "SpeedButton2")->click();
            QCOMPARE(edit1->text(), expected.at(4));
            QVERIFY(edit2->text().isEmpty());
            Child<QToolButton>(dialog, "SpeedButton5")->click();
            QCOMPARE(edit2->text(), expected.at(5));
        });
        action("bperevod")->trigger();
        QVERIFY(shown);
    }

    void calculatorReplacesTheAmount() {
        prepare(FillAccounts);
        start();
        onTransferDialog([this](TransferDialog* dialog) {
            auto* value = Child<QLineEdit>(dialog, "Value");
            value->setText(QStringLiteral("12.5"));
            auto* calculator = m_window->findChild<CalculatorWindow*>();
            test::WhenShown(calculator, [calculator] {
                // It starts from the normalised amount.
                QCOMPARE(Child<QLineEdit>(calculator, "Edit1")->text(), QStringLiteral("12,5"));
                for (const char* key : {"SpeedButton16", "SpeedButton2", "SpeedButton17"})
                    Child<QToolButton>(calculator, key)->click();
                Child<QPushButton>(calculator, "Button1")->click();
            });
            Child<QToolButton>(dialog, "SpeedButton1")->click();
            QCOMPARE(value->text(), QStringLiteral("14,5"));
        });
        action("bperevod")->trigger();
        QCOMPARE(m_data->tbData3.recordCount(), 0);
    }

    void refusedSaveStoresNothing_data() {
        QTest::addColumn<bool>("writeFails");
        QTest::addColumn<QString>("message");
        // The second row cannot be written: the first one is rolled back with it.
        QTest::newRow("write fails") << true << QStringLiteral("disk full");
        // The chosen currency is deleted while the dialog is open.
        QTest::newRow("currency vanished") << false << QStringLiteral("\"R\"");
    }

    void refusedSaveStoresNothing() {
        QFETCH(bool, writeFails);
        QFETCH(QString, message);
        prepare(FillAccounts);
        if (writeFails)
            RefuseInserts(m_db->file(QStringLiteral("Data.db")), "P2");
        start();
        QStringList shown;
        saveRefusedOnce<TransferDialog>(
            "bperevod",
            [&](TransferDialog* dialog) {
                Choose(Child<QComboBox>(dialog, "ComboBox3"), QStringLiteral("R"));
                if (!writeFails) {
                    m_data->tbValuta.last();
                    m_data->tbValuta.remove();
                }
            },
            shown);
        QCOMPARE(shown.size(), 1);
        QVERIFY2(shown.first().contains(message), qPrintable(shown.first()));
        QCOMPARE(StoredRows(*m_data).size(), 0);
        QCOMPARE(m_data->tbData.recordCount(), 0);
    }

    void editChangesBothRowsInPlace_data() {
        QTest::addColumn<bool>("fromLeavingRow");
        QTest::newRow("leaving row") << true;
        QTest::newRow("arriving row") << false;
    }

    void editChangesBothRowsInPlace() {
        QFETCH(bool, fromLeavingRow);
        TransferRows pair;
        prepare([&pair](LedgerTables& data) {
            FillAccounts(data);
            AddRow(data, QStringLiteral("other"), QStringLiteral("R"), 0);
            pair = AppendTransfer(data, WalletToBank());
        });
        start();
        selectTab(3);
        const QMap<qint64, QString> before = StoredRows(*m_data);
        selectEntry(fromLeavingRow ? pair.out : pair.in);
        bool shown = false;
        onTransferDialog([&](TransferDialog* dialog) {
            shown = true;
            QCOMPARE(dialog->windowTitle(), QStringLiteral("Edit transfer"));
            QCOMPARE(Child<QComboBox>(dialog, "ComboBox1")->currentText(),
                     QStringLiteral("Wallet"));
            QCOMPARE(Child<QComboBox>(dialog, "ComboBox2")->currentText(), QStringLiteral("Bank"));
            QCOMPARE(Child<QLineEdit>(dialog, "Edit1")->text(), QStringLiteral("to the bank"));
            QCOMPARE(Child<QLineEdit>(dialog, "Edit2")->text(), QStringLiteral("from the wallet"));
            QCOMPARE(Child<QLineEdit>(dialog, "Value")->text(), QStringLiteral("12,5"));
            QCOMPARE(Child<QDateEdit>(dialog, "DateTimePicker1")->date(), QDate(2026, 3, 1));
            QCOMPARE(Child<QComboBox>(dialog, "ComboBox3")->currentText(), QStringLiteral("$"));
            Child<QLineEdit>(dialog, "Value")->setText(QStringLiteral("20"));
            Choose(Child<QComboBox>(dialog, "ComboBox3"), QStringLiteral("R"));
            Choose(Child<QComboBox>(dialog, "ComboBox1"), QStringLiteral("Savings"));
            Child<QToolButton>(dialog, "SpeedButton4")->click();
            Child<QLineEdit>(dialog, "Edit2")->setText(QStringLiteral("saved"));
            Child<QPushButton>(dialog, "Button1")->click();
            QVERIFY(!dialog->isVisible());
        });
        action("EditRec")->trigger();
        QVERIFY(shown);
        QVERIFY(Messages::takeShown().isEmpty());

        const QMap<qint64, QString> after = StoredRows(*m_data);
        QCOMPARE(after.keys(), before.keys());
        QCOMPARE(after.first(), before.first()); // the other entry is untouched
        const QString common = QStringLiteral("|Valuta=Rouble|IDsecond=%1|NameRashod=|Kurs=");
        QCOMPARE(after.value(pair.out),
                 QStringLiteral("Date=02.03.2026|Name= Bank|Gr1=Savings|Gr2=(TRANSFER->)|"
                                "Type=P1|Dohod=|Rashod=20 R|Value=-20") +
                     common.arg(pair.in));
        QCOMPARE(after.value(pair.in),
                 QStringLiteral("Date=02.03.2026|Name=saved|Gr1=Bank|Gr2=(->TRANSFER)|Type=P2|"
                                "Dohod=20 R|Rashod=|Value=20") +
                     common.arg(pair.out));
    }

    void editWithoutItsPartnerTouchesNoOtherRow() {
        // 1: a leaving row linked to a charge; 2: that charge; 3 and 4: an arriving row linked
        // to a row that does not link back, and the leaving row linked to it.
        prepare([](LedgerTables& data) {
            FillAccounts(data);
            AddRow(data, QStringLiteral("lonely out"), QStringLiteral("P1"), 2);
            AddRow(data, QStringLiteral("charge"), QStringLiteral("R"), 0);
            AddRow(data, QStringLiteral("foreign in"), QStringLiteral("P2"), 7);
            AddRow(data, QStringLiteral("wrong out"), QStringLiteral("P1"), 3);
        });
        start();
        selectTab(3);
        for (const qint64 id : {1, 4}) {
            const QMap<qint64, QString> before = StoredRows(*m_data);
            selectEntry(id);
            onTransferDialog([](TransferDialog* dialog) {
                auto* destination = Child<QComboBox>(dialog, "ComboBox2");
                QCOMPARE(destination->currentIndex(), -1);
                QVERIFY(Child<QLineEdit>(dialog, "Edit2")->text().isEmpty());
                Child<QLineEdit>(dialog, "Edit2")->setText(QStringLiteral("in"));
                // No destination, no transfer.
                Child<QPushButton>(dialog, "Button1")->click();
                QCOMPARE(Messages::takeShown(), QStringList{QStringLiteral("Error #7")});
                Choose(destination, QStringLiteral("Bank"));
                Child<QLineEdit>(dialog, "Value")->setText(QStringLiteral("9"));
                Child<QPushButton>(dialog, "Button1")->click();
            });
            action("EditRec")->trigger();
            const QMap<qint64, QString> after = StoredRows(*m_data);
            QCOMPARE(after.keys(), before.keys());
            for (const qint64 other : after.keys()) {
                if (other != id)
                    QCOMPARE(after.value(other), before.value(other));
            }
            QVERIFY(after.value(id).contains(QStringLiteral("|Rashod=9 $|Value=-9|")));
        }
    }
};

QTEST_MAIN(TestTransfers)
#include "tst_transfers.moc"
