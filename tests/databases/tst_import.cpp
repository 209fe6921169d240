#include "core/messages.h"
#include "core/textutil.h"
#include "databases/importwindow.h"
#include "databases/oldimport.h"
#include "fixtures.h"
#include "paradoxwriter.h"

#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>

using namespace zovi;
using namespace Qt::StringLiterals;
using zovi::test::ParadoxField;
using zovi::test::ParadoxRow;
using zovi::test::QueryFile;

namespace {

// One old table: its file name as the old version wrote it, its fields and its rows.
struct OldTableFixture {
    QString file;
    std::vector<ParadoxField> fields;
    std::vector<ParadoxRow> rows;
};

QVariant D(int y, int m, int d) {
    return QDate(y, m, d);
}
const QVariant null;

// An old database with every kind of entry: an income, a charge, a transfer pair whose rows
// name each other, a debt and a repayment with their ledger rows; Cyrillic texts throughout
// (with "ё", which Windows-1251 holds outside the basic alphabet). File names in mixed case.
std::vector<OldTableFixture> OldDatabase() {
    const std::vector<ParadoxField> data = {
        {"ID", pxfAutoInc, 0},          {"Date", pxfDate, 0},     {"Name", pxfAlpha, 60},
        {"Gr1", pxfAlpha, 30},          {"Gr2", pxfAlpha, 30},    {"Type", pxfAlpha, 2},
        {"Dohod", pxfAlpha, 30},        {"Rashod", pxfAlpha, 30}, {"NameRashod", pxfAlpha, 30},
        {"InDol", pxfNumber, 0},        {"Value", pxfNumber, 0},  {"ValueDohod", pxfNumber, 0},
        {"ValueRashod", pxfNumber, 0},  {"Valuta", pxfAlpha, 60}, {"ValutaDohod", pxfAlpha, 60},
        {"ValutaRashod", pxfAlpha, 60}, {"Kurs", pxfNumber, 0},   {"IDsecond", pxfNumber, 0}};
    const QString rub = u"Рубль"_s;
    auto entry = [&](int id, QVariant date, QString name, QString account, QString group,
                     QString type, QVariant income, QVariant charge, double value,
                     QVariant link) -> ParadoxRow {
        return {id,   date,  name, account, group, type, income, charge, null,
                null, value, null, null,    rub,   null, null,   1.0,    link};
    };
    return {
        {u"VALUTA.DB"_s,
         {{"Def", pxfLogical, 0},
          {"Name", pxfAlpha, 60},
          {"Znak", pxfAlpha, 10},
          {"Kurs", pxfNumber, 0},
          {"Value", pxfNumber, 0},
          {"ValueSTR", pxfAlpha, 30},
          {"more", pxfLogical, 0}},
         {{true, rub, u"р."_s, 1.0, 1000.0, u"1000"_s, false},
          {false, u"Доллар США"_s, u"$"_s, 90.25, null, null, true}}},
        {u"data.db"_s,
         data,
         {entry(1, D(2021, 3, 1), u"Зарплата за февраль"_s, u"Кошелёк"_s, u"Работа"_s, u"D"_s,
                u"50000 р."_s, null, 50000, null),
          entry(2, D(2021, 3, 2), u"Хлеб"_s, u"Кошелёк"_s, u"Еда"_s, u"R"_s, null, u"45,5 р."_s,
                -45.5, null),
          entry(3, D(2021, 3, 3), u"В банк"_s, u"Кошелёк"_s, u"(TRANSFER->)"_s, u"P1"_s, null,
                u"1000 р."_s, -1000, 4),
          entry(4, D(2021, 3, 3), u"Из кошелька"_s, u"Банк"_s, u"(->TRANSFER)"_s, u"P2"_s,
                u"1000 р."_s, null, 1000, 3),
          entry(5, D(2021, 3, 5), u"Долг Ивану"_s, u"Кошелёк"_s, u"(DEBT TO YOU)"_s, u"CR"_s,
                u"500 р."_s, null, 500, 1),
          entry(6, D(2021, 3, 6), u"Возврат"_s, u"Кошелёк"_s, u"(DEBT REPAYMENT FROM YOU)"_s,
                u"PC"_s, null, u"200 р."_s, -200, 1)}},
        {u"Gr1.db"_s, {{"Name", pxfAlpha, 30}}, {{u"Кошелёк"_s}, {u"Банк"_s}}},
        {u"GrD.db"_s,
         {{"ID", pxfAutoInc, 0}, {"Name", pxfAlpha, 30}, {"Value", pxfNumber, 0}},
         {{3, u"Работа"_s, 0.0}}},
        {u"GrR.db"_s,
         {{"ID", pxfAutoInc, 0}, {"Name", pxfAlpha, 30}, {"Value", pxfNumber, 0}},
         {{1, u"Еда"_s, 0.0}, {7, u"Дом"_s, 0.0}}},
        {u"GrR2.db"_s,
         {{"IDsecond", pxfLong, 0},
          {"Name", pxfAlpha, 30},
          {"Value", pxfNumber, 0},
          {"Vid", pxfAlpha, 30}},
         {{1, u"Булочная"_s, 0.0, null}}},
        {u"Credit.DB"_s,
         {{"ID", pxfAutoInc, 0},
          {"Date", pxfDate, 0},
          {"Name", pxfAlpha, 60},
          {"User", pxfAlpha, 30},
          {"Valuta", pxfAlpha, 60},
          {"Kurs", pxfNumber, 0},
          {"CD", pxfAlpha, 1},
          {"Type", pxfAlpha, 1},
          {"Procent", pxfNumber, 0},
          {"Days", pxfLong, 0},
          {"ValueBegin", pxfNumber, 0},
          {"Value", pxfNumber, 0},
          {"ValueBeginSTR", pxfAlpha, 30},
          {"ValueSTR", pxfAlpha, 30},
          {"IDdata", pxfLong, 0}},
         {{1, D(2021, 3, 5), u"Долг Ивану"_s, u"Иван"_s, rub, 1.0, u"C"_s, u"1"_s, 5.0, 30, 500.0,
           300.0, u"500"_s, u"300"_s, 5}}},
        {u"OplataCredit.DB"_s,
         {{"ID", pxfAutoInc, 0},
          {"IDcredit", pxfLong, 0},
          {"Date", pxfDate, 0},
          {"Value", pxfNumber, 0},
          {"ValueSTR", pxfAlpha, 30},
          {"Comment", pxfAlpha, 60},
          {"IDdata", pxfLong, 0}},
         {{1, 1, D(2021, 3, 6), 200.0, u"200"_s, u"Частично"_s, 6}}},
    };
}

// The same table in our own SQLite layout, with the fields the old table has.
void WriteSqliteTable(const QString& path, const OldTableFixture& table) {
    QStringList columns, marks;
    for (const ParadoxField& f : table.fields) {
        const char* type = f.type == pxfAlpha || f.type == pxfDate ? "TEXT"
                           : f.type == pxfNumber                   ? "REAL"
                                                                   : "INTEGER";
        columns << u"\"%1\" %2"_s.arg(QLatin1String(f.name), QLatin1String(type)) +
                       (f.type == pxfAutoInc ? u" PRIMARY KEY AUTOINCREMENT"_s : QString());
        marks << u"?"_s;
    }
    sqlite3* db = nullptr;
    QCOMPARE(sqlite3_open(QFile::encodeName(path).constData(), &db), SQLITE_OK);
    const QString name = QFileInfo(path).completeBaseName();
    const QString create = u"CREATE TABLE \"%1\" (%2)"_s.arg(name, columns.join(u','));
    QCOMPARE(sqlite3_exec(db, create.toUtf8().constData(), nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_stmt* st = nullptr;
    const QString insert = u"INSERT INTO \"%1\" VALUES (%2)"_s.arg(name, marks.join(u','));
    QCOMPARE(sqlite3_prepare_v2(db, insert.toUtf8().constData(), -1, &st, nullptr), SQLITE_OK);
    for (const ParadoxRow& row : table.rows) {
        for (int i = 0; i < int(row.size()); ++i) {
            const QVariant& v = row[size_t(i)];
            if (v.isNull()) {
                sqlite3_bind_null(st, i + 1);
            } else if (v.typeId() == QMetaType::QDate) {
                const QByteArray iso = v.toDate().toString(Qt::ISODate).toLatin1();
                sqlite3_bind_text(st, i + 1, iso.constData(), -1, SQLITE_TRANSIENT);
            } else if (v.typeId() == QMetaType::QString) {
                const QByteArray text = v.toString().toUtf8();
                sqlite3_bind_text(st, i + 1, text.constData(), -1, SQLITE_TRANSIENT);
            } else if (v.typeId() == QMetaType::Double) {
                sqlite3_bind_double(st, i + 1, v.toDouble());
            } else {
                sqlite3_bind_int64(st, i + 1, v.toLongLong());
            }
        }
        QCOMPARE(sqlite3_step(st), SQLITE_DONE);
        sqlite3_reset(st);
    }
    sqlite3_finalize(st);
    sqlite3_close(db);
}

// Every row of every table of a database folder, as SQLite gives it: what "nothing changed"
// compares.
QString Contents(const QString& folder) {
    QString all;
    for (const TableSchema* schema : DatabaseTables()) {
        sqlite3* db = nullptr;
        sqlite3_open_v2(QFile::encodeName(FindFile(folder, schema->fileName)).constData(), &db,
                        SQLITE_OPEN_READONLY, nullptr);
        sqlite3_stmt* st = nullptr;
        const QString sql = u"SELECT * FROM \"%1\" ORDER BY rowid"_s.arg(schema->tableName);
        sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &st, nullptr);
        all += schema->fileName + u'\n';
        while (st && sqlite3_step(st) == SQLITE_ROW) {
            for (int c = 0; c < sqlite3_column_count(st); ++c)
                all +=
                    QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, c))) +
                    u'|';
            all += u'\n';
        }
        sqlite3_finalize(st);
        sqlite3_close(db);
    }
    return all;
}

// A reader program made of a shell script, standing in for a reader that hangs or crashes.
QString Script(const QString& folder, const QByteArray& body) {
    const QString path = folder + u"/reader.sh"_s;
    zovi::test::WriteBytes(path, "#!/bin/sh\n" + body + '\n');
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return path;
}

} // namespace

class TestImport : public zovi::test::DatabaseTest {
    Q_OBJECT

    QString m_old;
    ParadoxReader m_reader;

    QString query(const char* table, const QString& sql) {
        return QueryFile(tableFile(table), sql);
    }

    // Writes the old database into old/ of the test's folder: Paradox tables, or the same
    // tables in our SQLite layout.
    void writeOld(bool paradox, const QStringList& only = {}) {
        QVERIFY(QDir().mkpath(m_old));
        for (const OldTableFixture& table : OldDatabase()) {
            if (!only.isEmpty() && !only.contains(table.file, Qt::CaseInsensitive))
                continue;
            const QString path = m_old + u'/' + table.file;
            if (paradox)
                QVERIFY(zovi::test::WriteParadoxTable(path, table.fields, table.rows));
            else
                WriteSqliteTable(path, table);
        }
    }

    ImportOutcome import() { return ImportOldDatabase(*m_data, *m_cd, m_old, m_reader); }

private Q_SLOTS:
    void init() {
        initDatabase();
        m_old = m_db->root() + u"/old"_s;
        m_reader = ParadoxReader();
        m_reader.program = QStringLiteral(ZOVI_PXREAD);
    }
    void cleanup() { cleanupDatabase(); }

    // Imported twice: the currencies and the group and debt tables end as after one import;
    // the ledger and the accounts are appended each time, and the second time the links that
    // name entries follow the entries to their new IDs.
    void importsOldDatabase_data() {
        QTest::addColumn<bool>("paradox");
        QTest::newRow("Paradox tables") << true;
        QTest::newRow("SQLite tables") << false;
    }
    void importsOldDatabase() {
        QFETCH(bool, paradox);
        writeOld(paradox);
        const QString subGroupsBefore = query("GrD2.db", u"SELECT count(*) FROM GrD2"_s);
        std::vector<int> gauge;
        const ImportOutcome first = ImportOldDatabase(
            *m_data, *m_cd, m_old, m_reader, [&](int permille) { gauge.push_back(permille); });
        QVERIFY2(first.imported, qPrintable(first.error));
        QCOMPARE(first.entries, 6);
        QVERIFY(std::is_sorted(gauge.begin(), gauge.end()));
        QCOMPARE(gauge.back(), 1000);

        QCOMPARE(query("Valuta.db", u"SELECT group_concat(Def||'/'||Name||'/'||Znak||'/'||Kurs||"
                                    u"'/'||ifnull(Value,'')||'/'||ifnull(ValueSTR,'')||'/'||More||"
                                    u"'/'||OldValue||'/'||FastValue, ';') FROM Valuta"_s),
                 u"1/Рубль/р./1.0/1000.0/1000/0/0/0;0/Доллар США/$/90.25///1/0/0"_s);
        const QString entries = u"SELECT group_concat(ID||'/'||Date||'/'||Name||'/'||Gr1||'/'||"
                                u"Type||'/'||Value||'/'||ifnull(IDsecond,''), ';') FROM "
                                u"(SELECT * FROM Data ORDER BY ID)"_s;
        QCOMPARE(query("Data.db", entries), u"1/2021-03-01/Зарплата за февраль/Кошелёк/D/50000.0/;"
                                            u"2/2021-03-02/Хлеб/Кошелёк/R/-45.5/;"
                                            u"3/2021-03-03/В банк/Кошелёк/P1/-1000.0/4.0;"
                                            u"4/2021-03-03/Из кошелька/Банк/P2/1000.0/3.0;"
                                            u"5/2021-03-05/Долг Ивану/Кошелёк/CR/500.0/1.0;"
                                            u"6/2021-03-06/Возврат/Кошелёк/PC/-200.0/1.0"_s);
        QCOMPARE(query("Data.db", u"SELECT Rashod FROM Data WHERE ID=2"_s), u"45,5 р."_s);
        const QString groups = u"SELECT group_concat(ID||'/'||Name, ';') FROM GrR"_s;
        QCOMPARE(query("GrR.db", groups), u"1/Еда;7/Дом"_s);
        QCOMPARE(query("GrD.db", u"SELECT group_concat(ID||'/'||Name) FROM GrD"_s), u"3/Работа"_s);
        QCOMPARE(query("GrR2.db", u"SELECT IDsecond||'/'||Name FROM GrR2"_s), u"1/Булочная"_s);
        QCOMPARE(query("GrD2.db", u"SELECT count(*) FROM GrD2"_s), subGroupsBefore); // no old table
        QCOMPARE(query("Credit.db", u"SELECT ID||'/'||Date||'/'||User||'/'||Days||'/'||IDdata "
                                    u"FROM Credit"_s),
                 u"1/2021-03-05/Иван/30/5"_s);
        QCOMPARE(query("OplataCredit.db", u"SELECT ID||'/'||IDcredit||'/'||IDdata||'/'||Comment "
                                          u"FROM OplataCredit"_s),
                 u"1/1/6/Частично"_s);

        const ImportOutcome second = import();
        QVERIFY2(second.imported, qPrintable(second.error));
        QCOMPARE(query("Valuta.db", u"SELECT count(*) FROM Valuta"_s), u"2"_s);
        QCOMPARE(query("Gr1.db", u"SELECT group_concat(Name, ';') FROM Gr1"_s)
                     .endsWith(u"Кошелёк;Банк;Кошелёк;Банк"_s),
                 true);
        QCOMPARE(query("GrR.db", groups), u"1/Еда;7/Дом"_s);
        QCOMPARE(query("Data.db", u"SELECT group_concat(ID||'/'||Type||'/'||ifnull(IDsecond,''), "
                                  u"';') FROM (SELECT * FROM Data WHERE ID>6 ORDER BY ID)"_s),
                 u"7/D/;8/R/;9/P1/10.0;10/P2/9.0;11/CR/1.0;12/PC/1.0"_s);
        QCOMPARE(query("Credit.db", u"SELECT ID||'/'||IDdata FROM Credit"_s), u"1/11"_s);
        QCOMPARE(query("OplataCredit.db", u"SELECT ID||'/'||IDdata FROM OplataCredit"_s),
                 u"1/12"_s);

        // The open handles show the imported rows, and a new debt gets an ID after the kept ones.
        QCOMPARE(m_data->tbData.recordCount(), 12);
        QCOMPARE(m_data->tbValuta.recordCount(), 2);
        QCOMPARE(m_cd->tbCredit.recordCount(), 1);
        m_cd->tbCredit.append();
        m_cd->tbCredit.field(u"Name"_s).setText(u"Новый"_s);
        m_cd->tbCredit.post();
        QCOMPARE(m_cd->tbCredit.lastInsertedRowid(), 2);
    }

    // Whatever stops an import stops it before anything changed, with the reason.
    void refusesAndChangesNothing_data() {
        QTest::addColumn<QStringList>("only"); // the old tables written; empty for all
        QTest::addColumn<QString>("damage");   // the table made unreadable, and how
        QTest::addColumn<QString>("missing");  // the required table reported missing
        QTest::addColumn<QString>("error");    // a part of the error shown
        QTest::newRow("only currencies")
            << QStringList{u"VALUTA.DB"_s} << QString() << u"data.db"_s << QString();
        QTest::newRow("no accounts")
            << QStringList{u"VALUTA.DB"_s, u"data.db"_s} << QString() << u"gr1.db"_s << QString();
        QTest::newRow("garbage ledger") << QStringList() << u"garbage"_s << QString()
                                        << u"data.db: it is damaged or not a Paradox table ("_s;
        QTest::newRow("cut ledger")
            << QStringList() << u"cut"_s << QString()
            << u"data.db: it is damaged or not a Paradox table (the table's header is damaged)."_s;
        QTest::newRow("text outside the code page")
            << QStringList() << u"undecodable"_s << QString()
            << u"the text of the field Name in row 2 cannot be read in the table's code page "
               u"1251"_s;
        QTest::newRow("reader hangs")
            << QStringList() << u"hang"_s << QString() << u"stopped answering"_s;
        QTest::newRow("reader crashes")
            << QStringList() << u"crash"_s << QString() << u"broke down"_s;
        QTest::newRow("text that is not UTF-8")
            << QStringList() << u"sqlite bad text"_s << QString()
            << u"Gr1.db: the text of the field Name in row 2 is not readable text"_s;
        QTest::newRow("amount that is no number")
            << QStringList() << u"sqlite text amount"_s << QString()
            << u"VALUTA.DB: Field Kurs: \"много\" is not a number"_s;
        QTest::newRow("amount beyond the limit")
            << QStringList() << u"sqlite huge amount"_s << QString()
            << QDir::toNativeSeparators(u"/old/data.db: Value: "_s) + AmountLimitMessage();
    }
    void refusesAndChangesNothing() {
        QFETCH(QStringList, only);
        QFETCH(QString, damage);
        QFETCH(QString, missing);
        QFETCH(QString, error);
        writeOld(!damage.startsWith(u"sqlite"_s), only);
        const QString ledger = m_old + u"/data.db"_s;
        if (damage == u"garbage"_s) {
            zovi::test::WriteBytes(ledger, QByteArray(4096, '\x5a'));
        } else if (damage == u"cut"_s) {
            QFile file(ledger);
            QVERIFY(file.resize(file.size() / 2));
        } else if (damage == u"undecodable"_s) {
            std::vector<OldTableFixture> tables = OldDatabase();
            tables[1].rows[1][2] = QByteArray("\xd5\xeb\x98\xe1"); // 0x98 has no character
            QVERIFY(zovi::test::WriteParadoxTable(ledger, tables[1].fields, tables[1].rows));
        } else if (damage == u"hang"_s) {
            m_reader.program = Script(m_db->root(), "sleep 30");
            m_reader.silenceLimitMs = 300;
        } else if (damage == u"crash"_s) {
            m_reader.program = Script(m_db->root(), "kill -SEGV $$");
        } else if (damage == u"sqlite bad text"_s) {
            zovi::test::ExecFile(m_old + u"/Gr1.db"_s,
                                 u"UPDATE Gr1 SET Name=CAST(X'D5EB' AS TEXT) WHERE rowid=2"_s);
        } else if (damage == u"sqlite text amount"_s) {
            zovi::test::ExecFile(m_old + u"/VALUTA.DB"_s,
                                 u"UPDATE VALUTA SET Kurs='много' WHERE Name='Рубль'"_s);
        } else if (damage == u"sqlite huge amount"_s) {
            zovi::test::ExecFile(ledger, u"UPDATE data SET Value=-99999999999999999999 "
                                         u"WHERE rowid=2"_s);
        }
        const QString before = Contents(m_db->folder());

        const ImportOutcome outcome = import();
        QVERIFY(!outcome.imported);
        QCOMPARE(outcome.missingFile, missing);
        QVERIFY2(outcome.error.contains(error), qPrintable(outcome.error));
        QCOMPARE(Contents(m_db->folder()), before);
        QCOMPARE(m_data->tbValuta.recordCount(),
                 query("Valuta.db", u"SELECT count(*) FROM Valuta"_s).toInt());
    }

    // The window: "File not found" for a folder without the old tables, then a finished import
    // with the gauge full, "Complete", and the window closed.
    void window() {
        Messages::setTestMode(true);
        ImportWindow window(*m_data, *m_cd, nullptr);
        window.setReader(m_reader);
        window.show();
        auto* edit = window.findChild<QLineEdit*>(u"Edit1"_s);
        auto* ok = window.findChild<QPushButton*>(u"Button1"_s);
        edit->setText(m_old);
        ok->click();
        QCOMPARE(Messages::takeShown(), QStringList{u"File not found\nvaluta.db"_s});
        QVERIFY(window.isVisible());

        writeOld(true);
        ok->click();
        QCOMPARE(Messages::takeShown(), QStringList{u"Complete"_s});
        QCOMPARE(window.result(), int(QDialog::Accepted));
        QCOMPARE(window.findChild<QProgressBar*>(u"Gauge1"_s)->value(), 1000);
        QCOMPARE(m_data->tbData.recordCount(), 6);
        Messages::setTestMode(false);
    }
};

QTEST_MAIN(TestImport)
#include "tst_import.moc"
