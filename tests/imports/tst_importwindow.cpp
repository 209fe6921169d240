// The import window as a user meets it: the account the entries go to (a new one included), the
// preview of what will be stored, the counts, a line that cannot be read, a CSV column whose role
// is changed, and a file of the wrong kind.
#include "fixtures.h"
#include "imports/importfilewindow.h"
#include "ledger/classifiers.h"
#include "store/datamodules.h"
#include "store/transaction.h"

#include "core/messages.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

using namespace zovi;
using namespace zovi::test;
using namespace Qt::StringLiterals;

namespace {

// A bank account's statement: a split purchase, a transfer, and a record with a broken date.
const char kQif[] = "!Type:Bank\n"
                    "D03/01/2024\nT-1,250.00\nPHardware store\nLHome:Repairs\n^\n"
                    "D03/02/2024\nT-200.00\nPTo savings\nL[Savings]\n^\n"
                    "D03/45/2024\nT-5.00\nPBroken\n^\n"
                    "D03/04/2024\nT2,500.00\nPSalary\nLWork\n^\n";

const char kCsv[] = "Date;Description;Amount;Category\n"
                    "05.03.2024;Bakery;-3,20;Food\n"
                    "06.03.2024;Pharmacy;-12,00;Health\n";

} // namespace

class TestImportWindow : public DatabaseTest {
    Q_OBJECT

    QString write(const char* name, const QByteArray& bytes) {
        const QString path = m_db->root() + u'/' + QString::fromLatin1(name);
        WriteBytes(path, bytes);
        return path;
    }

    int stored() { return QueryFile(tableFile("Data.db"), "SELECT count(*) FROM Data"_L1).toInt(); }

    static QString cell(const ImportFileWindow& w, int row, int column) {
        const QTableWidgetItem* item =
            w.findChild<QTableWidget*>(u"importPreview"_s)->item(row, column);
        return item ? item->text() : QString();
    }
    static QString counts(const ImportFileWindow& w) {
        return w.findChild<QLabel*>(u"importCountLabel"_s)->text();
    }

private Q_SLOTS:
    void init() {
        initDatabase();
        Messages::setTestMode(true);
        Messages::takeShown();
        Transaction t;
        PutCurrencies(m_data->tbValuta, {{true, "Dollar", "$", 1, false, "0"}});
        t.commit();
        QVERIFY(AddAccount(*m_data, u"Wallet"_s));
        QVERIFY(AddAccount(*m_data, u"Checking"_s));
    }
    void cleanup() { cleanupDatabase(); }

    // Into a new account: the preview, the unread record, a cancel that stores nothing, then
    // the rest imported.
    void qifIntoNewAccount() {
        ImportFileWindow w(*m_data, ImportKind::Qif, write("bank.qif", kQif), u"Checking"_s);
        QVERIFY(w.load());
        w.show();
        auto* accounts = w.findChild<QComboBox*>(u"importAccountBox"_s);
        QCOMPARE(accounts->currentText(), u"Checking"_s); // the tab shown
        QCOMPARE(cell(w, 0, 1), u"Hardware store"_s);
        QCOMPARE(cell(w, 0, 3), u"1250"_s);
        QCOMPARE(cell(w, 0, 5), u"Home"_s);
        QCOMPARE(cell(w, 0, 6), u"Repairs"_s);
        QCOMPARE(cell(w, 1, 2), u"Transfer to Savings"_s);
        QCOMPARE(cell(w, 2, 2), u"Income"_s);
        QCOMPARE(w.findChild<QListWidget*>(u"importUnreadList"_s)->count(), 1);
        QVERIFY2(counts(w).contains(u"Entries to import: 3."_s), qPrintable(counts(w)));

        // A new account: Import waits for its name.
        accounts->setCurrentIndex(accounts->count() - 1);
        auto* name = w.findChild<QLineEdit*>(u"importNewAccountEdit"_s);
        auto* import = w.findChild<QPushButton*>(u"importButton"_s);
        QVERIFY(name->isEnabled());
        QVERIFY(!import->isEnabled());
        QTest::keyClicks(name, u"Card"_s);
        QTRY_VERIFY(import->isEnabled());
        QCOMPARE(cell(w, 0, 7), u"Card"_s);

        Messages::queueButton(1); // cancel at the unread line
        import->click();
        QCOMPARE(stored(), 0);
        const QString asked = Messages::takeShown().join(u' ');
        QVERIFY2(asked.contains(u"Line 12"_s), qPrintable(asked));
        QVERIFY(w.isVisible());

        Messages::queueButton(0); // import the rest
        import->click();
        QCOMPARE(w.result(), int(QDialog::Accepted));
        QCOMPARE(w.stored(), 3);
        QCOMPARE(stored(), 4); // the transfer is two rows
        QCOMPARE(AccountNames(*m_data),
                 (QStringList{u"Wallet"_s, u"Checking"_s, u"Card"_s, u"Savings"_s}));
    }

    // A CSV column given another role changes the preview at once; the same file a second
    // time finds everything already there.
    void csvColumnsAndReimport() {
        const QString path = write("bank.csv", kCsv);
        for (int pass = 0; pass < 2; ++pass) {
            ImportFileWindow w(*m_data, ImportKind::Csv, path, u"Wallet"_s);
            QVERIFY(w.load());
            w.show();
            auto* import = w.findChild<QPushButton*>(u"importButton"_s);
            if (pass == 1) {
                QVERIFY2(counts(w).contains(u"2 of 2 were already there"_s), qPrintable(counts(w)));
                QVERIFY(!import->isEnabled());
                break;
            }
            QCOMPARE(cell(w, 0, 5), u"Food"_s);
            auto* category = w.findChild<QComboBox*>(u"csvColumnBox4"_s);
            category->setFocus();
            const int none = category->findData(0);
            while (category->currentIndex() != none)
                QTest::keyClick(category,
                                none < category->currentIndex() ? Qt::Key_Up : Qt::Key_Down);
            QCOMPARE(cell(w, 0, 5), u"Uncategorised"_s);
            import->click();
            QCOMPARE(w.stored(), 2);
        }
    }

    // A file that is not of the chosen kind is refused before the window shows.
    void wrongKindRefused() {
        ImportFileWindow w(*m_data, ImportKind::Qif, write("bank.csv", kCsv), u"Wallet"_s);
        QVERIFY(!w.load());
        QCOMPARE(Messages::takeShown().size(), 1);
        ImportFileWindow ofx(*m_data, ImportKind::Ofx, write("bank.qif", kQif), u"Wallet"_s);
        QVERIFY(!ofx.load());
        QCOMPARE(stored(), 0);
    }
};

QTEST_MAIN(TestImportWindow)
#include "tst_importwindow.moc"
