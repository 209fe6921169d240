#include "core/messages.h"
#include "core/paths.h"
#include "core/settings.h"
#include "core/wait.h"
#include "databases/backupwindow.h"
#include "databases/catalogue.h"
#include "databases/catalogueeditor.h"
#include "databases/chooserwindow.h"
#include "databases/databasedialog.h"
#include "databases/databasefolder.h"
#include "databases/folderdialog.h"
#include "databases/passworddialog.h"
#include "databases/passwordhash.h"
#include "dialogs.h"
#include "fixtures.h"
#include "store/datamodules.h"
#include "store/tablecrypt.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileSystemModel>
#include <QHash>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <functional>
#include <sqlite3.h>

using namespace zovi;
using namespace Qt::StringLiterals;

using zovi::test::Child;
using zovi::test::Click;
using zovi::test::Run;
using zovi::test::Type;
using zovi::test::WhenShown;

using zovi::test::ReadBytes;
using zovi::test::WriteBytes;

namespace {

QStringList Rows(QTableWidget* grid) {
    QStringList rows;
    for (int row = 0; row < grid->rowCount(); ++row) {
        const auto text = [&](int column) {
            return grid->item(row, column) ? grid->item(row, column)->text() : QString();
        };
        rows << text(0) + u'*' + text(1);
    }
    return rows;
}

// The windows of the catalogue as the main window wires them.
struct Windows {
    LedgerTables data;
    DebtTables cd;
    WaitWindow wait;
    PasswordDialog password;
    FolderDialog shell;
    DatabaseDialog editData{&shell};
    CatalogueEditor editor{&password, &editData};
    ChooserWindow chooser{data, cd, &password, &editor, &wait};
};

} // namespace

class TestDatabasesUi : public zovi::test::DatabaseTest {
    Q_OBJECT

private Q_SLOTS:
    // The windows' tests need a password's hash, not its strength.
    void initTestCase() { PasswordHash::setCost(PasswordHash::Cost::Lowest); }
    void init() {
        initFolders();
        Messages::setTestMode(true);
    }
    void cleanup() {
        zovi::test::CloseDialogs();
        cleanupDatabase();
    }

    void chooserCreatesDefaultCatalogue() {
        Windows w;
        QVERIFY(!QFile::exists(Catalogue::path()));
        w.chooser.show();
        auto* list = Child<QComboBox>(&w.chooser, "listdata");
        QCOMPARE(list->count(), 2);
        QCOMPARE(list->itemText(0), Catalogue::userName());
        QCOMPARE(list->itemText(1), QStringLiteral("Пример"));
        QCOMPARE(list->currentIndex(), 0);
        QVERIFY(Child<QPushButton>(&w.chooser, "Button1")->isEnabled());
        QVERIFY(ReadBytes(Catalogue::path())
                    .contains((QStringLiteral("Пример*") + m_db->programFolder() +
                               u"/Databases/Example/\n"_s)
                                  .toUtf8()));
        w.chooser.reject();
    }

    // The chooser's caption is in the language of the translation file.
    void chooserCaptionFollowsLanguage_data() {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("caption");
        QTest::newRow("English") << u"lang.ini"_s << u"Choose a database"_s;
        QTest::newRow("Russian") << u"lang/ru.ini"_s << u"Выбор базы данных"_s;
    }
    void chooserCaptionFollowsLanguage() {
        QFETCH(QString, language);
        QFETCH(QString, caption);
        UseShippedLanguage(*m_db, language);
        Windows w;
        w.chooser.show();
        QCOMPARE(w.chooser.windowTitle(), caption);
        w.chooser.reject();
    }

    void chooserBlankCatalogue() {
        Windows w;
        WriteBytes(Catalogue::path(), "  \n\n \n");
        w.chooser.show();
        QCOMPARE(Child<QComboBox>(&w.chooser, "listdata")->count(), 0);
        QVERIFY(!Child<QPushButton>(&w.chooser, "Button1")->isEnabled());
        w.chooser.reject();
    }

    void chooserOpensDatabase() {
        Windows w;
        Catalogue::write({{u"Test"_s, m_db->folder() + u'/'}});
        const int result = Run(&w.chooser, [&] { Click(&w.chooser, "Button1"); });
        QCOMPARE(result, int(QDialog::Accepted));
        QCOMPARE(Messages::takeShown(), QStringList());
        for (TableHandle* handle : OpeningOrder(w.data, w.cd))
            QVERIFY2(handle->isOpen(), qPrintable(handle->path()));
        QCOMPARE(w.chooser.openedFolder(), m_db->folder() + u'/');
        QVERIFY(!w.wait.isVisible());
        CloseDatabase(w.data, w.cd);
    }

    void chooserRefuses_data() {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("missing");
        QTest::addColumn<QByteArray>("lang");
        QTest::addColumn<QString>("message");
        QTest::newRow("folder without data.un")
            << u"Test*%1/empty/"_s << QString() << QByteArray() << u"err019"_s;
        QTest::newRow("no trailing separator")
            << u"Test*%1/db"_s << QString() << QByteArray() << u"err019"_s;
        QTest::newRow("empty folder") << u"Test*"_s << QString() << QByteArray() << u"err019"_s;
        QTest::newRow("missing table")
            << u"Test*%1/db/"_s << u"Gr1.db"_s << QByteArray() << u"err020 Gr1.db"_s;
        QTest::newRow("translated")
            << u"Test*%1/db/"_s << u"OplataCredit.db"_s << QByteArray("err020=Нет таблицы\n")
            << QStringLiteral("Нет таблицы OplataCredit.db");
    }
    void chooserRefuses() {
        QFETCH(QString, line);
        QFETCH(QString, missing);
        QFETCH(QByteArray, lang);
        QFETCH(QString, message);
        Windows w;
        QDir(m_db->root()).mkdir(u"empty"_s);
        if (!missing.isEmpty())
            QVERIFY(QFile::remove(m_db->file(missing)));
        if (!lang.isEmpty())
            WriteBytes(ProgramFolder::file(u"lang.ini"_s), lang);
        WriteBytes(Catalogue::path(), (line.arg(m_db->root()) + u'\n').toUtf8());
        const int beeps = Messages::beeps();
        const int result = Run(&w.chooser, [&] {
            Click(&w.chooser, "Button1");
            QCOMPARE(Messages::takeShown(), QStringList{message});
            QCOMPARE(Messages::beeps(), beeps + 1);
            QVERIFY(Child<QPushButton>(&w.chooser, "Button1")->isEnabled());
            QVERIFY(!Child<QComboBox>(&w.chooser, "listdata")->isEnabled());
            QVERIFY(!w.wait.isVisible());
            QVERIFY(w.chooser.isVisible());
        });
        QCOMPARE(result, int(QDialog::Rejected));
        QVERIFY(w.data.tbData.path().isEmpty());
        QVERIFY(!w.data.tbData.isOpen());
    }

    void passwordAskedOncePerRun() {
        Windows w;
        DatabaseFolder::setPassword(m_db->folder(), u"Secret"_s);
        Catalogue::write({{u"Test"_s, m_db->folder() + u'/'}});
        int asked = 0;
        const auto answer = [&](const QString& typed, std::function<void()> then) {
            WhenShown(&w.password, [&, typed, then] {
                ++asked;
                QCOMPARE(Child<QLineEdit>(&w.password, "Edit1")->text(), QString());
                QCOMPARE(Child<QLineEdit>(&w.password, "Edit1")->echoMode(), QLineEdit::Password);
                Type(&w.password, "Edit1", typed);
                Click(&w.password, "Button1");
                if (then)
                    then();
            });
        };
        // Letter case counts: the first answer is wrong, the window comes back empty.
        int result = Run(&w.chooser, [&] {
            answer(u"secret"_s, [&] { answer(u"Secret"_s, {}); });
            Click(&w.chooser, "Button1");
        });
        QCOMPARE(result, int(QDialog::Accepted));
        QCOMPARE(asked, 2);
        QVERIFY(w.data.tbData.isOpen());

        CloseDatabase(w.data, w.cd);
        result = Run(&w.chooser, [&] { Click(&w.chooser, "Button1"); });
        QCOMPARE(result, int(QDialog::Accepted));
        QCOMPARE(asked, 2);
        QCOMPARE(Messages::takeShown(), QStringList());
        CloseDatabase(w.data, w.cd);
    }

    void passwordCancelKeepsChooser() {
        Windows w;
        DatabaseFolder::setPassword(m_db->folder(), u"pw"_s);
        Catalogue::write({{u"Test"_s, m_db->folder() + u'/'}});
        const int result = Run(&w.chooser, [&] {
            WhenShown(&w.password, [&] {
                Type(&w.password, "Edit1", u"pw"_s);
                Click(&w.password, "Button2");
            });
            Click(&w.chooser, "Button1");
            QVERIFY(w.chooser.isVisible());
            QVERIFY(Child<QPushButton>(&w.chooser, "Button1")->isEnabled());
            QVERIFY(!w.data.tbData.isOpen());
            QCOMPARE(Messages::takeShown(), QStringList());
        });
        QCOMPARE(result, int(QDialog::Rejected));
    }

    void chooserEnabledAfterEditor() {
        Windows w;
        WriteTemplateFolder(ProgramFolder::file(u"Template"_s));
        WriteBytes(Catalogue::path(), "\n\n");
        const int result = Run(&w.chooser, [&] {
            auto* list = Child<QComboBox>(&w.chooser, "listdata");
            auto* ok = Child<QPushButton>(&w.chooser, "Button1");
            QCOMPARE(list->count(), 0);
            QVERIFY(!ok->isEnabled());
            // The empty catalogue leads the editor straight into adding a database.
            WhenShown(&w.editData, [&] {
                Type(&w.editData, "Edit1", u"Home"_s);
                Click(&w.editData, "Button1");
                WhenShown(&w.editor, [&] { Click(&w.editor, "Button4"); });
            });
            Q_EMIT Child<QLabel>(&w.chooser, "Label2")->linkActivated(u"editor"_s);
            QCOMPARE(Messages::takeShown(), QStringList{QString()});
            QCOMPARE(list->count(), 1);
            QCOMPARE(list->itemText(0), u"Home"_s);
            QVERIFY(ok->isEnabled());
            Click(&w.chooser, "Button1");
        });
        QCOMPARE(result, int(QDialog::Accepted));
        QCOMPARE(w.chooser.openedFolder(), ProgramFolder::file(u"Databases/Home/"_s));
        CloseDatabase(w.data, w.cd);
    }

    void editorDeletesOnlyEntry() {
        Windows w;
        Catalogue::write({{u"Test"_s, m_db->folder() + u'/'}});
        Run(&w.editor, [&] {
            auto* grid = Child<QTableWidget>(&w.editor, "Grid1");
            QVERIFY(grid->isColumnHidden(1));
            QVERIFY(Child<QPushButton>(&w.editor, "Button2")->isEnabled());
            Click(&w.editor, "Button2"); // not confirmed
            QCOMPARE(Messages::takeShown(), QStringList{u"Do you want delete?"_s});
            QCOMPARE(Rows(grid), QStringList{u"Test*"_s + m_db->folder() + u'/'});
            Messages::queueAnswer(true);
            Click(&w.editor, "Button2");
            QCOMPARE(Rows(grid), QStringList{u"*"_s});
            QVERIFY(!Child<QPushButton>(&w.editor, "Button2")->isEnabled());
            QVERIFY(!Child<QPushButton>(&w.editor, "Button3")->isEnabled());
            Click(&w.editor, "Button4");
        });
        QCOMPARE(ReadBytes(Catalogue::path()), QByteArray("*\n"));
        QVERIFY(DatabaseFolder::exists(m_db->folder())); // the files stay
        Messages::takeShown();

        // The chooser lists the one nameless entry and refuses to open it.
        Run(&w.chooser, [&] {
            QCOMPARE(Child<QComboBox>(&w.chooser, "listdata")->count(), 1);
            Click(&w.chooser, "Button1");
            QCOMPARE(Messages::takeShown(), QStringList{u"err019"_s});
        });
    }

    void editorRemovesEntryWithUnreadablePassword_data() {
        QTest::addColumn<QByteArray>("passwordFile");
        QTest::newRow("garbage bytes") << QByteArray("\x01\x7f garbage, not a table\n");
        QTest::newRow("a table store without the password table") << QByteArray();
    }
    void editorRemovesEntryWithUnreadablePassword() {
        QFETCH(QByteArray, passwordFile);
        Windows w;
        const QString damaged = m_db->file(u"data.un"_s);
        QVERIFY(QFile::remove(damaged));
        if (passwordFile.isEmpty()) {
            sqlite3* db = nullptr;
            QCOMPARE(sqlite3_open(damaged.toUtf8().constData(), &db), SQLITE_OK);
            QCOMPARE(sqlite3_exec(db, "CREATE TABLE other (x TEXT)", nullptr, nullptr, nullptr),
                     SQLITE_OK);
            sqlite3_close(db);
        } else {
            WriteBytes(damaged, passwordFile);
        }
        QHash<QString, QByteArray> before;
        for (const QString& name : QDir(m_db->folder()).entryList(QDir::Files))
            before.insert(name, ReadBytes(m_db->file(name)));
        const QString folder = m_db->folder() + u'/';
        Catalogue::write({{u"Damaged"_s, folder}, {u"Other"_s, u"/x/other/"_s}});

        Run(&w.editor, [&] {
            auto* grid = Child<QTableWidget>(&w.editor, "Grid1");
            grid->setCurrentCell(0, 0);
            Click(&w.editor, "Button2"); // told why, then not confirmed
            QStringList shown = Messages::takeShown();
            QCOMPARE(shown.size(), 2);
            QVERIFY2(shown.at(0).contains(QDir::toNativeSeparators(damaged)),
                     qPrintable(shown.at(0)));
            QCOMPARE(shown.at(1), u"Do you want delete?"_s);
            QCOMPARE(grid->rowCount(), 2);
            QVERIFY(!w.password.isVisible());

            Messages::queueAnswer(true);
            Click(&w.editor, "Button2");
            QCOMPARE(Messages::takeShown().size(), 2);
            QCOMPARE(Rows(grid), QStringList{u"Other*/x/other/"_s});
            Click(&w.editor, "Button4");
        });
        QCOMPARE(ReadBytes(Catalogue::path()), QByteArray("Other*/x/other/\n"));
        QHash<QString, QByteArray> after;
        for (const QString& name : QDir(m_db->folder()).entryList(QDir::Files))
            after.insert(name, ReadBytes(m_db->file(name)));
        QCOMPARE(after.keys().size(), before.keys().size());
        QVERIFY(after == before);
    }

    void editorSkipsEmptyLines() {
        Windows w;
        WriteBytes(Catalogue::path(), "\nA*/x/a/\n\nB*/x/b/\n\n");
        Run(&w.editor, [&] {
            QCOMPARE(Rows(Child<QTableWidget>(&w.editor, "Grid1")),
                     (QStringList{u"A*/x/a/"_s, u"B*/x/b/"_s}));
            w.editor.close(); // the close box writes as well
        });
        QCOMPARE(ReadBytes(Catalogue::path()), QByteArray("A*/x/a/\nB*/x/b/\n"));
    }

    // Renaming one entry rewrites its line alone: the others keep their bytes, a Windows-1251
    // line and a line ending in CR LF included.
    void editorRenameKeepsOtherLines() {
        Windows w;
        const QString folder = m_db->folder() + u'/';
        const QByteArray old = "\xCF\xF0\xE8\xEC\xE5\xF0*/x/\xEF/\n"; // Windows-1251
        const QByteArray crlf = u"Дом*/x/дом/\r\n"_s.toUtf8();
        WriteBytes(Catalogue::path(), old + crlf + (u"Старое*"_s + folder + u'\n').toUtf8());
        Run(&w.editor, [&] {
            QCOMPARE(Rows(Child<QTableWidget>(&w.editor, "Grid1")),
                     (QStringList{u"Пример*/x/п/"_s, u"Дом*/x/дом/"_s, u"Старое*"_s + folder}));
            Child<QTableWidget>(&w.editor, "Grid1")->setCurrentCell(2, 0);
            WhenShown(&w.editData, [&] {
                Type(&w.editData, "Edit1", u"Cottage"_s);
                Click(&w.editData, "Button1");
            });
            Click(&w.editor, "Button3");
            Click(&w.editor, "Button4");
        });
        QCOMPARE(Messages::takeShown(), QStringList());
        QCOMPARE(ReadBytes(Catalogue::path()),
                 old + crlf + (u"Cottage*"_s + folder + u'\n').toUtf8());
    }

    // A bases.ini that cannot be read (here a folder of that name, which stops the superuser
    // too) is told in a message; the editor closes without replacing it.
    void unreadableCatalogueIsTold() {
        Windows w;
        QVERIFY(QDir().mkpath(Catalogue::path()));
        w.chooser.show();
        QCOMPARE(Child<QComboBox>(&w.chooser, "listdata")->count(), 0);
        QVERIFY(!Child<QPushButton>(&w.chooser, "Button1")->isEnabled());
        const QStringList shown = Messages::takeShown();
        QCOMPARE(shown.size(), 1);
        QVERIFY2(shown.first().contains(u"cannot be read"_s), qPrintable(shown.first()));
        w.chooser.reject();

        QCOMPARE(Run(
                     &w.editor, [] {}, true),
                 int(QDialog::Rejected));
        QCOMPARE(Messages::takeShown(), shown);
        QVERIFY(QFileInfo(Catalogue::path()).isDir());
    }

    void editorRenamesProtectedEntry() {
        Windows w;
        DatabaseFolder::setPassword(m_db->folder(), u"pw"_s);
        const QString folder = m_db->folder() + u'/';
        Catalogue::write({{u"Old"_s, folder}});
        Run(&w.editor, [&] {
            // A cancelled password stops the deletion before any question.
            WhenShown(&w.password, [&] { Click(&w.password, "Button2"); });
            Click(&w.editor, "Button2");
            QCOMPARE(Messages::takeShown(), QStringList());
            QCOMPARE(Child<QTableWidget>(&w.editor, "Grid1")->rowCount(), 1);

            WhenShown(&w.password, [&] {
                Type(&w.password, "Edit1", u"pw"_s);
                Click(&w.password, "Button1");
            });
            WhenShown(&w.editData, [&] {
                QCOMPARE(Child<QLineEdit>(&w.editData, "Edit1")->text(), u"Old"_s);
                QCOMPARE(Child<QLineEdit>(&w.editData, "Edit2")->text(), u"pw"_s);
                QCOMPARE(Child<QLineEdit>(&w.editData, "Edit3")->text(), folder);
                QVERIFY(Child<QLineEdit>(&w.editData, "Edit3")->isReadOnly());
                QVERIFY(!Child<QRadioButton>(&w.editData, "RadioButton1")->isVisible());
                QVERIFY(!Child<QCheckBox>(&w.editData, "CheckBox1")->isEnabled());
                QVERIFY(!Child<QCheckBox>(&w.editData, "CheckBox1")->isChecked());
                Type(&w.editData, "Edit1", u"New"_s);
                Type(&w.editData, "Edit2", u"other"_s);
                Click(&w.editData, "Button1");
            });
            Click(&w.editor, "Button3");
            Click(&w.editor, "Button4");
        });
        QCOMPARE(ReadBytes(Catalogue::path()), (u"New*"_s + folder + u'\n').toUtf8());
        // The new password is applied: the database is plain, so only data.un changes.
        QVERIFY(PasswordHash::matches(u"other"_s, DatabaseFolder::password(m_db->folder())));
        QVERIFY(!PasswordHash::matches(u"pw"_s, DatabaseFolder::password(m_db->folder())));
        QVERIFY(!DatabaseFolder::isEncrypted(m_db->folder()));
    }

    void addDefaultCreatesDatabase() {
        Windows w;
        WriteTemplateFolder(ProgramFolder::file(u"Template"_s));
        const int length = DatabaseFolder::templateLength(ProgramFolder::file(u"Template/"_s));
        QVERIFY(length > 0);
        Catalogue::write({{u"Test"_s, m_db->folder() + u'/'}});
        const QString databases = ProgramFolder::file(u"Databases/"_s);
        QVERIFY(!QFile::exists(databases));
        const auto add = [&](const QString& name, const QString& password) {
            WhenShown(&w.editData, [&, name, password] {
                QVERIFY(Child<QRadioButton>(&w.editData, "RadioButton1")->isChecked());
                QVERIFY(!Child<QLineEdit>(&w.editData, "Edit3")->isEnabled());
                QVERIFY(!Child<QPushButton>(&w.editData, "Button3")->isVisible());
                QVERIFY(Child<QCheckBox>(&w.editData, "CheckBox1")->isChecked());
                Type(&w.editData, "Edit1", name);
                Type(&w.editData, "Edit2", password);
                Click(&w.editData, "Button1");
            });
            Click(&w.editor, "Button1");
        };
        Run(&w.editor, [&] {
            add(u" Home "_s, u"pw"_s);
            add(u"Work"_s, QString());
            Click(&w.editor, "Button4");
        });
        QCOMPARE(Messages::takeShown(), QStringList());
        const QString home = databases + u"Home/"_s;
        const QString work = databases + u"Work/"_s;
        QCOMPARE(ReadBytes(Catalogue::path()),
                 (u"Test*%1/\nHome*%2\nWork*%3\n"_s.arg(m_db->folder(), home, work)).toUtf8());
        QCOMPARE(DatabaseFolder::check(home), DatabaseFolder::Check::Ok);
        QVERIFY(QFileInfo(home + u"RCopy"_s).isDir());
        QVERIFY(PasswordHash::matches(u"pw"_s, DatabaseFolder::password(home)));
        QCOMPARE(DatabaseFolder::password(work), QString());
        // The gauge accumulates over the run.
        auto* gauge = Child<QProgressBar>(&w.editData, "Gauge1");
        QCOMPARE(gauge->maximum(), 2 * length);
        QCOMPARE(gauge->value(), 2 * length);
    }

    // A database made encrypted through the dialog: the check box needs a password and is
    // reached by Tab after it; the chooser marks the database and opens it with its password.
    void addEncryptedDatabase() {
        Windows w;
        WriteTemplateFolder(ProgramFolder::file(u"Template"_s));
        Catalogue::write({{u"Test"_s, m_db->folder() + u'/'}});
        Run(&w.editor, [&] {
            WhenShown(&w.editData, [&] {
                auto* encrypt = Child<QCheckBox>(&w.editData, "CheckBox2");
                QVERIFY(!encrypt->isEnabled());
                QVERIFY(!encrypt->isChecked());
                Type(&w.editData, "Edit1", u"Home"_s);
                Type(&w.editData, "Edit2", u"pw"_s);
                QVERIFY(encrypt->isEnabled());
                const QStringList walk = zovi::test::TabWalk(&w.editData);
                QCOMPARE(walk.mid(walk.indexOf(u"Edit2"_s), 2),
                         (QStringList{u"Edit2"_s, u"CheckBox2"_s}));
                QVERIFY(!encrypt->accessibleName().isEmpty() || !encrypt->text().isEmpty());
                Click(&w.editData, "CheckBox2");
                QVERIFY(encrypt->isChecked());
                Click(&w.editData, "Button1");
            });
            Click(&w.editor, "Button1");
            Click(&w.editor, "Button4");
        });
        QCOMPARE(Messages::takeShown(), QStringList());
        const QString home = ProgramFolder::file(u"Databases/Home/"_s);
        QVERIFY(DatabaseFolder::isEncrypted(home));
        QVERIFY(TableCrypt::looksEncrypted(home + u"Data.db"_s));

        w.chooser.show();
        auto* list = Child<QComboBox>(&w.chooser, "listdata");
        QCOMPARE(zovi::test::Items(list), (QStringList{u"Test"_s, u"Home (encrypted)"_s}));
        QVERIFY(!list->itemData(1, Qt::AccessibleDescriptionRole).toString().isEmpty());
        w.chooser.hide();
        const int result = Run(&w.chooser, [&] {
            zovi::test::Choose(list, u"Home (encrypted)"_s);
            WhenShown(&w.password, [&] {
                Type(&w.password, "Edit1", u"pw"_s);
                Click(&w.password, "Button1");
            });
            Click(&w.chooser, "Button1");
        });
        QCOMPARE(result, int(QDialog::Accepted));
        QVERIFY(w.data.tbData.isOpen());
        QCOMPARE(TableCrypt::keyFor(w.data.tbData.path()) != nullptr, true);
        CloseDatabase(w.data, w.cd);
    }

    void addOtherFolderWithoutSeparator() {
        Windows w;
        WriteTemplateFolder(ProgramFolder::file(u"Template"_s));
        const QString typed = m_db->root() + u"/other"_s;
        w.editData.setAddMode();
        const int result = Run(&w.editData, [&] {
            auto* folder = Child<QLineEdit>(&w.editData, "Edit3");
            Click(&w.editData, "RadioButton2");
            QVERIFY(folder->isEnabled());
            QVERIFY(Child<QPushButton>(&w.editData, "Button3")->isVisible());
            Type(&w.editData, "Edit1", u"Other"_s);
            Type(&w.editData, "Edit3", typed);
            Click(&w.editData, "Button1");
        });
        QCOMPARE(result, int(QDialog::Accepted));
        QCOMPARE(w.editData.folder(), typed + u'/');
        QCOMPARE(DatabaseFolder::check(typed), DatabaseFolder::Check::Ok);
        QVERIFY(QFileInfo(typed + u"/RCopy"_s).isDir());
        QVERIFY(!QFile::exists(typed + u"RCopy"_s));
        QVERIFY(!QFile::exists(typed + u"data.un"_s));
    }

    void browseFolder() {
        Windows w;
        w.editData.setAddMode();
        Run(&w.editData, [&] {
            Click(&w.editData, "RadioButton2");
            WhenShown(&w.shell, [&] {
                QVERIFY(w.shell.selectFolder(m_db->folder()));
                Click(&w.shell, "Button1");
            });
            Click(&w.editData, "Button3");
            QCOMPARE(Child<QLineEdit>(&w.editData, "Edit3")->text(), m_db->folder() + u'/');
        });
    }

    void addExistingFolderRegistersAgain() {
        Windows w;
        WriteTemplateFolder(ProgramFolder::file(u"Template"_s));
        DatabaseFolder::setPassword(m_db->folder(), u"old"_s);
        const QString folder = m_db->folder() + u'/';
        Catalogue::write({{u"Test"_s, folder}});
        Run(&w.editor, [&] {
            WhenShown(&w.editData, [&] {
                Click(&w.editData, "RadioButton2");
                Type(&w.editData, "Edit1", u"Again"_s);
                Type(&w.editData, "Edit2", u"new"_s);
                Type(&w.editData, "Edit3", folder);
                Click(&w.editData, "Button1");
                QVERIFY(!w.editData.isVisible());
            });
            Click(&w.editor, "Button1");
            Click(&w.editor, "Button4");
        });
        QCOMPARE(Messages::takeShown(), QStringList{u"Database already is exist"_s});
        QCOMPARE(ReadBytes(Catalogue::path()), (u"Test*%1\nAgain*%1\n"_s.arg(folder)).toUtf8());
        QVERIFY(PasswordHash::matches(u"old"_s, DatabaseFolder::password(m_db->folder())));
    }

    void addRefusesBadInput_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("other");
        QTest::newRow("empty") << QString() << false;
        QTest::newRow("blank") << u"   "_s << false;
        QTest::newRow("dot") << u"."_s << false;
        QTest::newRow("dot dot") << u".."_s << false;
        QTest::newRow("slash") << u"a/b"_s << false;
        QTest::newRow("backslash") << u"a\\b"_s << false;
        QTest::newRow("star") << u"a*b"_s << false;
        QTest::newRow("other without folder") << u"Name"_s << true;
    }
    void addRefusesBadInput() {
        QFETCH(QString, name);
        QFETCH(bool, other);
        Windows w;
        WriteTemplateFolder(ProgramFolder::file(u"Template"_s));
        const QStringList before = QDir(m_db->programFolder()).entryList(QDir::AllEntries);
        w.editData.setAddMode();
        const int result = Run(&w.editData, [&] {
            if (other)
                Click(&w.editData, "RadioButton2");
            Type(&w.editData, "Edit1", name);
            Click(&w.editData, "Button1");
            QVERIFY(w.editData.isVisible());
            const QStringList shown = Messages::takeShown();
            QCOMPARE(shown.size(), 1);
            QVERIFY(!shown.first().isEmpty());
            Click(&w.editData, "Button2");
        });
        QCOMPARE(result, int(QDialog::Rejected));
        QCOMPARE(QDir(m_db->programFolder()).entryList(QDir::AllEntries), before);
        QVERIFY(!QFile::exists(m_db->root() + u"/a"_s));
    }

    void backupDontStoresChoice_data() {
        QTest::addColumn<bool>("dontShow");
        QTest::addColumn<bool>("closeBox");
        QTest::newRow("don't show again") << true << false;
        QTest::newRow("another folder") << false << false;
        QTest::newRow("close box") << false << true;
    }
    void backupDontStoresChoice() {
        QFETCH(bool, dontShow);
        QFETCH(bool, closeBox);
        QTemporaryDir first;
        QTemporaryDir second;
        Settings::writeString(u"reservcopy"_s, first.path());
        Settings::writeBool(u"showcopy"_s, true);
        BackupWindow window;
        window.setDatabaseFolder(m_db->folder());
        const int result = Run(&window, [&] {
            QCOMPARE(window.selectedFolder(), first.path());
            QVERIFY(!Child<QCheckBox>(&window, "CheckBox1")->isChecked());
            QCOMPARE(Child<QProgressBar>(&window, "Gauge1")->maximum(), 10);
            if (dontShow)
                Click(&window, "CheckBox1");
            QVERIFY(window.selectFolder(second.path()));
            if (closeBox)
                window.close();
            else
                Click(&window, "Button2");
        });
        QCOMPARE(result, int(QDialog::Rejected));
        QCOMPARE(Settings::readBool(u"showcopy"_s, dontShow), !dontShow);
        QCOMPARE(Settings::readString(u"reservcopy"_s), second.path());
        QVERIFY(QDir(second.path()).isEmpty());
    }

    // The folder of the last copy is in view, selected, with its whole path under the tree, once
    // the folders above it are listed (many of them, so that their rows push it down).
    void backupOpensAtStoredFolder() {
        QTemporaryDir root;
        for (int i = 0; i < 80; ++i)
            QVERIFY(QDir(root.path()).mkdir(u"a%1"_s.arg(i, 2, 10, QLatin1Char('0'))));
        const QString chosen = root.filePath(u"zz/copies"_s);
        QVERIFY(QDir().mkpath(chosen));
        Settings::writeString(u"reservcopy"_s, chosen);
        BackupWindow window;
        window.setDatabaseFolder(m_db->folder());
        Run(&window, [&] {
            auto* tree = Child<QTreeView>(&window, "Shell");
            auto* model = qobject_cast<QFileSystemModel*>(tree->model());
            QVERIFY(model);
            const QModelIndex index = model->index(chosen);
            const QModelIndex parent = model->index(root.path());
            QCOMPARE(tree->currentIndex(), index);
            QCOMPARE(Child<QLabel>(&window, "Label2")->text(), QDir::toNativeSeparators(chosen));
            // Every listing above the folder has come in: its own parent's and the root's.
            QTRY_COMPARE(model->rowCount(parent), 81);
            QTRY_VERIFY(model->rowCount(model->index(QDir::rootPath())) > 1);
            // The tree expands and scrolls to the folder once the listings are in.
            QTRY_VERIFY(tree->isExpanded(index.parent()));
            QTRY_VERIFY2(tree->viewport()->rect().contains(tree->visualRect(index)),
                         qPrintable(u"row at %1, view %2 high"_s.arg(tree->visualRect(index).y())
                                        .arg(tree->viewport()->height())));
            QCOMPARE(tree->currentIndex(), index);
            QCOMPARE(window.selectedFolder(), chosen);
        });
    }

    void backupCopiesListedFiles() {
        QTemporaryDir target;
        DatabaseFolder::setPassword(m_db->folder(), u"pw"_s);
        Settings::writeString(u"reservcopy"_s, target.path());
        BackupWindow window;
        window.setDatabaseFolder(m_db->folder());
        QElapsedTimer clock;
        const int result = Run(
            &window,
            [&] {
                clock.start();
                Click(&window, "Button1");
                QVERIFY(!Child<QPushButton>(&window, "Button1")->isEnabled());
                QVERIFY(!Child<QPushButton>(&window, "Button2")->isEnabled());
                QVERIFY(!Child<QTreeView>(&window, "Shell")->isEnabled());
                QVERIFY(window.isVisible()); // closes itself a moment later
            },
            true);
        QCOMPARE(result, int(QDialog::Accepted));
        QVERIFY(clock.elapsed() >= 400);
        QCOMPARE(Messages::takeShown(), QStringList());
        const QStringList listed = DatabaseFolder::listedFiles(m_db->folder());
        QVERIFY(listed.size() > 1);
        for (const QString& name : listed)
            QVERIFY2(QFile::exists(target.filePath(name)), qPrintable(name));
        QCOMPARE(DatabaseFolder::check(target.path()), DatabaseFolder::Check::Ok);
        QVERIFY(PasswordHash::matches(u"pw"_s, DatabaseFolder::password(target.path())));
        QCOMPARE(Child<QProgressBar>(&window, "Gauge1")->value(), qMin(10, int(listed.size())));
    }

    // Without a folder used before, or with the program folder that older versions stored, the
    // window proposes the user's own folder for backups, where each database's copy goes into a
    // folder named after it.
    void backupProposesTheUsersFolder_data() {
        QTest::addColumn<bool>("programFolderStored");
        QTest::newRow("nothing stored") << false;
        QTest::newRow("program folder stored") << true;
    }
    void backupProposesTheUsersFolder() {
        QFETCH(bool, programFolderStored);
        if (programFolderStored)
            Settings::writeString(u"reservcopy"_s, m_db->programFolder());
        const QString own = m_db->backupsFolder() + u"/Household"_s;
        BackupWindow window;
        window.setDatabaseFolder(m_db->folder());
        window.setDatabaseName(u"Household"_s);
        const int result = Run(
            &window,
            [&] {
                QCOMPARE(window.selectedFolder(), m_db->backupsFolder());
                QCOMPARE(Child<QLabel>(&window, "Label2")->text(), QDir::toNativeSeparators(own));
                Click(&window, "Button1");
            },
            true);
        QCOMPARE(result, int(QDialog::Accepted));
        QCOMPARE(Messages::takeShown(), QStringList());
        QCOMPARE(DatabaseFolder::check(own), DatabaseFolder::Check::Ok);
        QCOMPARE(Settings::readString(u"reservcopy"_s), m_db->backupsFolder());
    }

    // A table file that another program keeps locked is waited for while the window keeps
    // running its event loop: here the other program finishes from a timer of this thread, and
    // the copy then holds what it wrote.
    void backupWaitsForALockedFile() {
        QTemporaryDir target;
        Settings::writeString(u"reservcopy"_s, target.path());
        zovi::test::WriteLock other(m_db->file(u"Data.db"_s));
        other.exec("INSERT INTO Data (Name) VALUES ('written meanwhile')");
        BackupWindow window;
        window.setDatabaseFolder(m_db->folder());
        QTimer::singleShot(300, &window, [&] { other.release(); });
        const int result = Run(
            &window, [&] { Click(&window, "Button1"); }, true);
        QCOMPARE(result, int(QDialog::Accepted));
        QCOMPARE(Messages::takeShown(), QStringList());
        QCOMPARE(zovi::test::QueryFile(target.filePath(u"Data.db"_s), u"SELECT Name FROM Data"_s),
                 u"written meanwhile"_s);
    }

    void backupReportsFailedCopy() {
        QTemporaryDir root;
        const QString target = root.filePath(u"gone"_s);
        QVERIFY(QDir().mkpath(target));
        BackupWindow window;
        window.setDatabaseFolder(m_db->folder());
        const int result = Run(
            &window,
            [&] {
                QVERIFY(window.selectFolder(target));
                QVERIFY(QDir(target).removeRecursively());
                Click(&window, "Button1");
            },
            true);
        QCOMPARE(result, int(QDialog::Accepted));
        const QStringList shown = Messages::takeShown();
        QCOMPARE(shown.size(), 1);
        for (const QString& name : DatabaseFolder::listedFiles(m_db->folder()))
            QVERIFY2(shown.first().contains(name), qPrintable(name));
    }
};

QTEST_MAIN(TestDatabasesUi)
#include "tst_databases_ui.moc"
