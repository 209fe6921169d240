#pragma once

#include "app/mainwindow.h"
#include "core/lang.h"
#include "core/messages.h"
#include "core/settings.h"
#include "core/skin.h"
#include "core/textutil.h"
#include "databases/backupwindow.h"
#include "databases/chooserwindow.h"
#include "dialogs.h"
#include "fixtures.h"
#include "store/datamodules.h"

#include <QAction>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QVariantMap>
#include <cmath>
#include <functional>
#include <memory>

namespace zovi::test {

// The main window over a fresh test database, started as a user starts it: a polling timer
// picks the database in the chooser and leaves the backup window with "Don't", so that no test
// waits on those modal windows. Test classes derive from it and call sessionInit() and
// sessionCleanup() from their init() and cleanup().
class MainWindowSession : public QObject {
public:
    // Two accounts, Wallet and Bank, in this order.
    static void addAccounts(LedgerTables& data) {
        for (const char* name : {"Wallet", "Bank"}) {
            data.tbGr1.append();
            data.tbGr1.field(QStringLiteral("Name")).setText(QString::fromLatin1(name));
            data.tbGr1.post();
        }
    }

    // A main currency, Dollar "$", and a "Less" one, Rouble "R" at 30 for one dollar.
    static void addCurrencies(LedgerTables& data) {
        struct C {
            const char* name;
            const char* sign;
            double rate;
            bool main;
        };
        for (const C& c : {C{"Dollar", "$", 1, true}, C{"Rouble", "R", 30, false}}) {
            TableHandle& v = data.tbValuta;
            v.append();
            v.field(QStringLiteral("Name")).setText(QString::fromLatin1(c.name));
            v.field(QStringLiteral("Znak")).setText(QString::fromLatin1(c.sign));
            v.field(QStringLiteral("Kurs")).setDouble(c.rate);
            v.field(QStringLiteral("More")).setBool(false);
            v.field(QStringLiteral("Def")).setBool(c.main);
            v.field(QStringLiteral("OldValue")).setText(QStringLiteral("0"));
            v.post();
        }
    }

protected:
    std::unique_ptr<QTemporaryDir> m_settings;
    std::unique_ptr<TempDatabase> m_db;
    std::unique_ptr<LedgerTables> m_data;
    std::unique_ptr<DebtTables> m_cd;
    std::unique_ptr<MainWindow> m_window;
    QTimer m_answerer;
    bool m_choose = true;
    int m_exits = 0;
    int m_backupWindows = 0;
    // Set by a test that works the chooser and the backup window itself, as a user does: the
    // polling timer leaves both alone.
    bool m_byHand = false;

    MainWindowSession() {
        connect(&m_answerer, &QTimer::timeout, this, &MainWindowSession::answerWindows);
        m_answerer.start(5);
    }

    static QPushButton* ButtonWithText(QWidget* window, const QString& text) {
        for (QPushButton* b : window->findChildren<QPushButton*>()) {
            if (b->text() == text)
                return b;
        }
        return nullptr;
    }

    void answerWindows() {
        if (!m_window || m_byHand)
            return;
        ChooserWindow* chooser = m_window->chooser();
        if (chooser->isVisible()) {
            if (m_choose)
                chooser->findChild<QPushButton*>(QStringLiteral("Button1"))->click();
            else
                chooser->reject();
        }
        BackupWindow* backup = m_window->backupWindow();
        if (backup->isVisible()) {
            ++m_backupWindows;
            QString dont = QStringLiteral("Don't");
            LangString(QStringLiteral("copyno"), dont);
            ButtonWithText(backup, dont)->click();
        }
    }

    // A fresh settings path and test database; langIni, when given, becomes the lang.ini of
    // the program folder.
    void sessionInit(const QByteArray& langIni = {}) {
        m_settings = std::make_unique<QTemporaryDir>();
        Settings::setTestPath(m_settings->path());
        m_db = std::make_unique<TempDatabase>();
        WriteBytes(m_db->programFolder() + QStringLiteral("/bases.ini"),
                   "Test*" + QFile::encodeName(m_db->folder()) + "/\n");
        m_data = std::make_unique<LedgerTables>();
        m_cd = std::make_unique<DebtTables>();
        m_exits = 0;
        m_backupWindows = 0;
        Messages::setTestMode(true);
        // Each session starts without a skin, as a fresh process does.
        SkinEngine::reset();
        if (!langIni.isEmpty())
            WriteBytes(m_db->programFolder() + QStringLiteral("/lang.ini"), langIni);
    }

    void sessionCleanup() {
        if (m_window && m_window->databaseChosen()) {
            Settings::writeBool(QStringLiteral("showcopy"), false);
            m_window->close();
        }
        m_window.reset();
        m_cd.reset();
        m_data.reset();
        m_db.reset();
        SkinEngine::reset();
    }

    // Starts the main window; choosing, when given, is what the user does in the chooser once it
    // is shown, instead of the polling timer opening the first database.
    void start(bool choose = true, std::function<void(ChooserWindow*)> choosing = {}) {
        m_choose = choose;
        m_byHand = bool(choosing);
        m_window = std::make_unique<MainWindow>(*m_data, *m_cd);
        m_window->setExitHandler([this] { ++m_exits; });
        if (choosing) {
            ChooserWindow* chooser = m_window->chooser();
            WhenShown(chooser, [chooser, choosing] { choosing(chooser); });
        }
        m_window->show();
        if (choose)
            QTRY_VERIFY(m_window->databaseChosen());
        else
            QTRY_COMPARE(m_exits, 1);
    }

    // Ends a session as closing the main window does, and starts a fresh one.
    void restart() {
        QVERIFY(m_window->close());
        m_window.reset();
        m_cd = std::make_unique<DebtTables>();
        m_data = std::make_unique<LedgerTables>();
        start();
    }

    // Writes rows into the test database through handles of its own, before the window starts.
    void prepare(const std::function<void(LedgerTables&, DebtTables&)>& fill) {
        std::unique_ptr<LedgerTables> data;
        std::unique_ptr<DebtTables> cd;
        OpenHandles(*m_db, data, cd);
        fill(*data, *cd);
    }
    void prepare(const std::function<void(LedgerTables&)>& fill) {
        prepare([&fill](LedgerTables& data, DebtTables&) { fill(data); });
    }

    // Runs script on the main window's dialog D as soon as it is shown, from inside its modal
    // loop; a script that fails half-way leaves the dialog to be cancelled, so no test hangs.
    template <class D> void onDialog(std::function<void(D*)> script) {
        auto* poll = new QTimer(this);
        connect(poll, &QTimer::timeout, this, [this, poll, script] {
            auto* dialog = m_window->findChild<D*>();
            // A dialog that is fading out is disabled: it is closing, not shown again.
            if (!dialog || !dialog->isVisible() || !dialog->isEnabled())
                return;
            poll->stop();
            poll->deleteLater();
            script(dialog);
            if (dialog->isVisible())
                dialog->reject();
        });
        poll->start(5);
    }

    // Runs command; the user fills its dialog D with fill and presses OK once. The save is
    // expected to be refused, which opens the dialog again, where the user gives up. shown
    // receives the messages shown meanwhile.
    template <class D>
    void saveRefusedOnce(const char* command, std::function<void(D*)> fill, QStringList& shown) {
        int openings = 0;
        std::function<void(D*)> script = [&](D* dialog) {
            if (++openings > 1)
                return;
            fill(dialog);
            onDialog<D>(script);
            dialog->template findChild<QPushButton*>(QStringLiteral("Button1"))->click();
        };
        onDialog<D>(script);
        action(command)->trigger();
        QCOMPARE(openings, 2);
        shown = Messages::takeShown();
    }

    // The first stored ledger row whose field holds value, read from the file through a handle
    // of its own; empty when there is none.
    static QVariantMap StoredRow(LedgerTables& data, const QString& field, const QVariant& value) {
        QVariantMap row;
        TableHandle& d = data.tbData3;
        d.refresh();
        if (!d.locate(field, value))
            return row;
        for (int c = 0; c < d.fieldCount(); ++c)
            row[d.fieldName(c)] = d.field(c).text();
        return row;
    }

    // The stored row of an entry found by its name, read from the file through the working
    // handle: field name to text.
    static QVariantMap StoredRow(LedgerTables& data, const QString& name) {
        return StoredRow(data, QStringLiteral("Name"), name);
    }

    // The names of every stored ledger entry in table order, whatever the filters.
    QStringList storedNames() {
        QStringList names;
        TableHandle& all = m_data->tbData3;
        all.setFiltered(false);
        for (all.first(); !all.eof(); all.next())
            names << all.field(QStringLiteral("Name")).text();
        return names;
    }

    QToolButton* toolButton(const char* name) {
        return m_window->findChild<QToolButton*>(QString::fromLatin1(name));
    }
    QAction* action(const char* name) {
        return m_window->findChild<QAction*>(QString::fromLatin1(name));
    }
};

// A database with two accounts, a main currency (Dollar, "$") and a "Less" one (Rouble,
// "R" at 30 for one dollar), charge groups Food (sub-groups Milk and Bread) and car, and the
// income group Salary.
inline void FillClassifiers(LedgerTables& data) {
    MainWindowSession::addAccounts(data);
    MainWindowSession::addCurrencies(data);
    auto group = [](TableHandle& groups, TableHandle& subGroups, const char* name,
                    QStringList subs) {
        groups.append();
        groups.field(QStringLiteral("Name")).setText(QString::fromLatin1(name));
        groups.post();
        for (const QString& sub : subs) {
            subGroups.append();
            subGroups.field(QStringLiteral("Name")).setText(sub);
            subGroups.post();
        }
    };
    group(data.tbGrR, data.tbGrR2, "Food", {QStringLiteral("Milk"), QStringLiteral("Bread")});
    group(data.tbGrR, data.tbGrR2, "car", {});
    group(data.tbGrD, data.tbGrD2, "Salary", {});
}

inline void AddEntry(LedgerTables& data, const QString& name, const QString& type, double value,
                     const QString& group, const QString& account = QStringLiteral("Wallet")) {
    TableHandle& d = data.tbData2;
    d.append();
    d.field(QStringLiteral("Date")).setDate(QDate(2026, 3, 1));
    d.field(QStringLiteral("Name")).setText(name);
    d.field(QStringLiteral("Type")).setText(type);
    d.field(QStringLiteral("Value")).setDouble(value);
    d.field(value < 0 ? QStringLiteral("Rashod") : QStringLiteral("Dohod"))
        .setText(NumberText(std::abs(value)) + QStringLiteral(" $"));
    d.field(QStringLiteral("Valuta")).setText(QStringLiteral("Dollar"));
    d.field(QStringLiteral("Gr1")).setText(account);
    d.field(QStringLiteral("Gr2")).setText(group);
    d.post();
}

} // namespace zovi::test
