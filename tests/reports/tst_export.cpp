// The dBase export of the ledger view: the file's name, its rows and texts read back with
// shapelib and with an independent reader, appending to or replacing an existing file, the
// characters its code page lacks, and the files and failures that leave everything as it was.
#include "dbasefile.h"
#include "fixtures.h"
#include "fulldisk.h"
#include "reports/dbaseexport.h"
#include "reports/reporttemplate.h"
#include "store/transaction.h"

#include <QDateTime>
#include <QDir>
#include <QTest>
#include <sys/file.h>

using namespace zovi;
using namespace zovi::test;

namespace {

QString U(const char* text) {
    return QString::fromUtf8(text);
}

QStringList L(std::initializer_list<const char*> texts) {
    QStringList list;
    for (const char* t : texts)
        list << U(t);
    return list;
}

const QStringList kFields =
    L({"Date", "Name", "Charge", "Income", "Group", "Sub_group", "Account"});

// Makes a dBase file with character fields of the given names and widths, declaring codePage
// in its header ("LDID/n") or in a .cpg file beside it (any other text), and one row of "x".
void MakeDbf(const QString& path, const QList<std::pair<const char*, int>>& fields,
             const QString& codePage = QString()) {
    QTemporaryDir scratch;
    const QString made = scratch.filePath(QStringLiteral("made.dbf"));
    const bool ldid = codePage.startsWith(u"LDID/");
    const QByteArray header = codePage.toLatin1();
    DBFHandle dbf =
        DBFCreateEx(QFile::encodeName(made).constData(), ldid ? header.constData() : nullptr);
    QVERIFY(dbf);
    for (const auto& [name, width] : fields)
        QVERIFY(DBFAddField(dbf, name, FTString, width, 0) >= 0);
    QVERIFY(DBFWriteStringAttribute(dbf, 0, 0, "x"));
    DBFClose(dbf);
    QVERIFY(QFile::copy(made, path));
    if (!codePage.isEmpty() && !ldid) {
        const QFileInfo info(path);
        WriteBytes(info.absolutePath() + u'/' + info.completeBaseName() + QStringLiteral(".cpg"),
                   codePage.toLatin1());
    }
}

} // namespace

class TestExport : public DatabaseTest {
    Q_OBJECT

    // Every test works in a folder "out" of its own, beside the program and database folders.
    QString m_out;

    QString templatePath() const { return ExportTemplatePath(m_db->programFolder()); }
    QString out(const QString& name) const { return m_out + u'/' + name; }
    QStringList outFiles() const {
        return QDir(m_out).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    }

    // Ledger entries as "date|name|charge|income|group|sub-group|account", written in this
    // order.
    void addEntries(const QStringList& entries) {
        Transaction t;
        for (const QString& entry : entries) {
            const QStringList f = entry.split(u'|');
            Put(m_data->tbData2,
                {{"Date", AppLocale::parseDate(f[0])},
                 {"Name", f[1]},
                 {"Type", f[2].isEmpty() ? QStringLiteral("1") : QStringLiteral("0")},
                 {"Rashod", f[2]},
                 {"Dohod", f[3]},
                 {"Gr2", f[4]},
                 {"NameRashod", f[5]},
                 {"Gr1", f[6]}});
        }
        t.commit();
        refreshLedger();
    }

    int exportTo(const QString& file, ExportMode mode = ExportMode::Append) {
        return ExportLedger(m_data->tbData, templatePath(), file, mode);
    }

private Q_SLOTS:
    void init() {
        initDatabase();
        WriteExportTemplate(m_db->programFolder());
        m_out = m_db->root() + QStringLiteral("/out");
        QVERIFY(QDir().mkpath(m_out));
    }
    void cleanup() { cleanupDatabase(); }

    // The chosen name gets ".dbf" unless its fourth character from the end is a dot, and the
    // table lands under exactly that name, whatever extension shapelib would give it.
    void fileName_data() {
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QString>("expected");
        QTest::newRow("no extension") << "report"
                                      << "report.dbf";
        QTest::newRow(".dbf") << "report.dbf"
                              << "report.dbf";
        QTest::newRow("other extension of three") << "report.txt"
                                                  << "report.txt";
        QTest::newRow("extension of one") << "report.x"
                                          << "report.x.dbf";
        QTest::newRow("short name") << "ab"
                                    << "ab.dbf";
        QTest::newRow("Cyrillic") << U("отчёт") << U("отчёт.dbf");
    }
    void fileName() {
        QFETCH(QString, chosen);
        QFETCH(QString, expected);
        addEntries({U("01.03.2026|Хлеб|40 р.||Еда||Кошелёк")});
        const QString name = ExportFileName(chosen);
        QCOMPARE(name, expected);
        QCOMPARE(exportTo(out(name)), 1);
        QCOMPARE(outFiles(), QStringList{expected});
        QCOMPARE(ReadDbf(out(expected)).rows.size(), 1);
    }

    // The entries the filter admits, in the view's order, with every text as the ledger shows
    // it; Cyrillic and the signs of Windows-1251 read back exactly, a character it lacks as "?".
    void rowsAndTexts() {
        addEntries({
            U("01.03.2026|Молоко «Простоквашино»|120,5 р.||Еда|Молочное|Кошелёк"),
            U("02.03.2026|Зарплата||50 000 р.|Работа||Банк"),
            U("15.01.2026|Ёлка №1 — ель|3 000 €||Праздник||Кошелёк"),
            U("05.02.2026|Чай 中 и кофе||5 $|Подарки|Друзья|Кошелёк"),
        });
        m_data->tbData.setFilter(U("Gr1='Кошелёк'"));
        QCOMPARE(exportTo(out(QStringLiteral("ledger.dbf"))), 3);

        const QList<QStringList> expected = {
            L({"01.03.2026", "Молоко «Простоквашино»", "120,5 р.", "", "Еда", "Молочное",
               "Кошелёк"}),
            L({"15.01.2026", "Ёлка №1 — ель", "3 000 €", "", "Праздник", "", "Кошелёк"}),
            L({"05.02.2026", "Чай ? и кофе", "", "5 $", "Подарки", "Друзья", "Кошелёк"}),
        };
        const DbfContent read = ReadDbf(out(QStringLiteral("ledger.dbf")));
        QVERIFY(read.opened);
        QCOMPARE(read.codePage, QStringLiteral("LDID/201"));
        QCOMPARE(read.fields, kFields);
        QCOMPARE(read.rows, expected);

        const QString python = DbfreadPython();
        if (python.isEmpty())
            QSKIP("no Python with dbfread to read the file independently");
        const DbfContent other = ReadDbfWithDbfread(python, out(QStringLiteral("ledger.dbf")));
        QVERIFY(other.opened);
        QCOMPARE(other.codePage, QStringLiteral("cp1251"));
        QCOMPARE(other.fields, kFields);
        QCOMPARE(other.rows, expected);
    }

    // An empty view still makes the file, with the template's fields and no rows.
    void emptyLedger() {
        addEntries({U("01.03.2026|Хлеб|40 р.||Еда||Кошелёк")});
        m_data->tbData.setFilter(QStringLiteral("Gr1='nobody'"));
        QCOMPARE(exportTo(out(QStringLiteral("empty.dbf"))), 0);
        const DbfContent read = ReadDbf(out(QStringLiteral("empty.dbf")));
        QVERIFY(read.opened);
        QCOMPARE(read.fields, kFields);
        QCOMPARE(read.widths, (QList<int>{20, 100, 40, 40, 60, 60, 60}));
        QVERIFY(read.rows.isEmpty());
    }

    // A text longer than its field is cut at the field's width in bytes: in Windows-1251 after
    // so many characters, in a file that declares UTF-8 before the first character that does not
    // fit whole. A file's own narrower fields are honoured.
    void cutAtFieldWidth_data() {
        QTest::addColumn<QString>("codePage"); // of an existing file with one field Name
        QTest::addColumn<int>("width");        // of that field; 0 for a new file
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("expected");
        QTest::newRow("template") << "" << 0 << QString(150, u'Ж') << QString(100, u'Ж');
        QTest::newRow("1251 cut") << "" << 5 << U("Щедрость") << U("Щедро");
        QTest::newRow("1251 fits") << "LDID/201" << 8 << U("Щедрость") << U("Щедрость");
        QTest::newRow("UTF-8 between letters") << "UTF-8" << 5 << U("Щедрость") << U("Ще");
        QTest::newRow("UTF-8 three-byte sign") << "UTF-8" << 5 << U("ab€cd") << U("ab€");
        QTest::newRow("UTF-8 fits") << "65001" << 16 << U("Щедрость") << U("Щедрость");
    }
    void cutAtFieldWidth() {
        QFETCH(QString, codePage);
        QFETCH(int, width);
        QFETCH(QString, name);
        QFETCH(QString, expected);
        const QString file = out(QStringLiteral("cut.dbf"));
        if (width > 0)
            MakeDbf(file, {{"Name", width}}, codePage);
        addEntries({QStringLiteral("01.03.2026|") + name + QStringLiteral("|1||g||a")});
        QCOMPARE(exportTo(file), 1);
        const DbfContent read = ReadDbf(file, codePage == u"UTF-8" || codePage == u"65001");
        const int nameField = int(read.fields.indexOf(QStringLiteral("Name")));
        QVERIFY(nameField >= 0);
        QCOMPARE(read.rows.size(), width > 0 ? 2 : 1);
        QCOMPARE(read.rows.last().at(nameField), expected);
    }

    // Rows are appended after those the file has; the template is needed only for a new file.
    void appendsToExistingFile_data() {
        QTest::addColumn<bool>("templateKept");
        QTest::newRow("template kept") << true;
        QTest::newRow("template gone") << false;
    }
    void appendsToExistingFile() {
        QFETCH(bool, templateKept);
        addEntries({U("01.03.2026|Хлеб|40 р.||Еда||Кошелёк"),
                    U("02.03.2026|Зарплата||100 р.|Работа||Банк")});
        const QString file = out(QStringLiteral("twice.dbf"));
        QCOMPARE(exportTo(file), 2);
        if (!templateKept)
            QVERIFY(QFile::remove(templatePath()));
        QCOMPARE(exportTo(file), 2);
        const DbfContent read = ReadDbf(file);
        QCOMPARE(read.rows.size(), 4);
        QCOMPARE(read.rows.mid(2), read.rows.mid(0, 2));
        QCOMPARE(read.rows.at(1).at(1), U("Зарплата"));
        QCOMPARE(outFiles(), QStringList{QStringLiteral("twice.dbf")});
        // The header (32 bytes, 32 per field and its end mark), the rows (a deletion flag and
        // the field widths) and one end-of-file mark, nothing left of the first end mark.
        const QByteArray bytes = ReadBytes(file);
        QCOMPARE(bytes.size(), 32 + 7 * 32 + 1 + 4 * (1 + 380) + 1);
        QCOMPARE(bytes.count('\x1a'), 1);
        QCOMPARE(bytes.back(), '\x1a');
    }

    // Replacing a file writes these entries alone into a table made from the template, in the
    // file's place; the rows it had are gone.
    void replacesExistingFile() {
        addEntries({U("01.03.2026|Хлеб|40 р.||Еда||Кошелёк")});
        const QString file = out(QStringLiteral("replaced.dbf"));
        MakeDbf(file, {{"Name", 10}, {"Other", 5}});
        QCOMPARE(exportTo(file, ExportMode::Replace), 1);
        const DbfContent read = ReadDbf(file);
        QCOMPARE(read.fields, kFields);
        QCOMPARE(read.rows,
                 QList<QStringList>{L({"01.03.2026", "Хлеб", "40 р.", "", "Еда", "", "Кошелёк"})});
        QCOMPARE(outFiles(), QStringList{QStringLiteral("replaced.dbf")});
    }

    // The characters the file's code page lacks are counted before anything is saved: the
    // entries holding any and the characters in all, a character outside the basic plane once,
    // a character cut off with its field not at all. An export not saved leaves no file.
    void losses_data() {
        QTest::addColumn<QString>("codePage"); // of an existing file; empty for a new one
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<int>("entries");
        QTest::addColumn<int>("characters");
        QTest::addColumn<QString>("example");
        QTest::newRow("Windows-1251 has them")
            << "" << L({"Ёлка № — €", "Хлеб"}) << 0 << 0 << QString();
        QTest::newRow("yen and hryvnia")
            << "" << L({"Чай ¥1", "Хлеб", "Рис ¥2 ₴"}) << 2 << 3 << U("¥");
        QTest::newRow("outside the basic plane") << "" << L({"Торт 🎂"}) << 1 << 1 << U("🎂");
        QTest::newRow("cut off") << "" << QStringList{QString(100, u'Ж') + U("¥")} << 0 << 0
                                 << QString();
        QTest::newRow("UTF-8 file") << "UTF-8" << L({"Чай ¥1"}) << 0 << 0 << QString();
    }
    void losses() {
        QFETCH(QString, codePage);
        QFETCH(QStringList, names);
        const QString file = out(QStringLiteral("losses.dbf"));
        if (!codePage.isEmpty())
            MakeDbf(file, {{"Name", 100}}, codePage);
        QStringList entries;
        for (const QString& name : names)
            entries << QStringLiteral("01.03.2026|") + name + QStringLiteral("|1||g||a");
        addEntries(entries);
        const QStringList filesBefore = outFiles();
        {
            DbaseExport job(m_data->tbData, templatePath(), file);
            QCOMPARE(job.rows(), int(names.size()));
            QTEST(job.losses().entries, "entries");
            QTEST(job.losses().characters, "characters");
            QTEST(job.losses().example, "example");
        }
        QCOMPARE(outFiles(), filesBefore);
    }

    // A missing template for a new file, or a file the export cannot append to, is refused
    // with a message naming it, and the folder is left as it was: no file made, none changed,
    // no working copy left behind.
    void refusedFiles_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("mentions");
        QTest::newRow("template missing") << "template missing"
                                          << "data.dbf_t";
        QTest::newRow("not a dBase table") << "text"
                                           << "target.dbf";
        QTest::newRow("code page 866") << "LDID/38"
                                       << "LDID/38";
        QTest::newRow("code page in .cpg") << "KOI8-R"
                                           << "KOI8-R";
        QTest::newRow("none of the fields") << "other fields"
                                            << "target.dbf";
    }
    void refusedFiles() {
        QFETCH(QString, kind);
        QFETCH(QString, mentions);
        addEntries({U("01.03.2026|Хлеб|40 р.||Еда||Кошелёк")});
        const QString file = out(QStringLiteral("target.dbf"));
        if (kind == u"template missing")
            QVERIFY(QFile::remove(templatePath()));
        else if (kind == u"text")
            WriteBytes(file, "Date;Name\n01.03.2026;Bread\n");
        else if (kind == u"other fields")
            MakeDbf(file, {{"Other", 10}});
        else
            MakeDbf(file, {{"Name", 10}}, kind);
        const QStringList filesBefore = outFiles();
        const QByteArray before = ReadBytes(file);

        QString message;
        try {
            exportTo(file);
        } catch (const ReportError& e) {
            message = e.message();
        }
        QVERIFY2(message.contains(mentions), qPrintable(message));
        QCOMPARE(outFiles(), filesBefore);
        QCOMPARE(ReadBytes(file), before);
    }

    // The working copies that interrupted exports left beside their files are removed by the
    // next export into that folder: only files named as ours, last written over a minute ago
    // and locked by no export that still runs.
    void removesLeftoverCopies() {
        const QDateTime longAgo = QDateTime::currentDateTime().addSecs(-3600);
        const QStringList aged = {U(".zovi-export-Ab12Cd.dbf"), U(".zovi-export-Ij56Kl.dbf"),
                                  U(".zovi-export-Ab1.dbf"), U("zovi-export-Mn78Op.dbf")};
        for (const QString& name : aged + QStringList{U(".zovi-export-Ef34Gh.dbf")}) {
            WriteBytes(out(name), "left");
            QFile file(out(name));
            QVERIFY(file.open(QIODevice::ReadWrite));
            if (aged.contains(name))
                QVERIFY(file.setFileTime(longAgo, QFileDevice::FileModificationTime));
        }
        QFile running(out(U(".zovi-export-Ij56Kl.dbf")));
        QVERIFY(running.open(QIODevice::ReadOnly));
        QCOMPARE(::flock(running.handle(), LOCK_EX | LOCK_NB), 0);
        addEntries({U("01.03.2026|Хлеб|40 р.||Еда||Кошелёк")});
        QCOMPARE(exportTo(out(U("ledger.dbf"))), 1);
        QStringList files = outFiles();
        files.sort();
        QStringList kept = {U(".zovi-export-Ab1.dbf"), U(".zovi-export-Ef34Gh.dbf"),
                            U(".zovi-export-Ij56Kl.dbf"), U("ledger.dbf"),
                            U("zovi-export-Mn78Op.dbf")};
        kept.sort();
        QCOMPARE(files, kept);
    }

    // A disk that fills up half-way (here a limit on the size of written files) fails the export
    // with a message, and the file is as it was before: absent, or with its earlier rows only,
    // also when it was to be replaced.
    void fullDisk_data() {
        QTest::addColumn<bool>("existing");
        QTest::addColumn<bool>("replace");
        QTest::newRow("new file") << false << false;
        QTest::newRow("existing file") << true << false;
        QTest::newRow("existing file replaced") << true << true;
    }
    void fullDisk() {
        QFETCH(bool, existing);
        QFETCH(bool, replace);
        const QString file = out(QStringLiteral("full.dbf"));
        addEntries({U("01.03.2026|Хлеб|40 р.||Еда||Кошелёк")});
        if (existing)
            QCOMPARE(exportTo(file), 1);
        const QByteArray before = ReadBytes(file);
        QStringList many;
        for (int i = 0; i < 3000; ++i)
            many << U("02.03.2026|Покупка %1|1 р.||Еда||Кошелёк").arg(i);
        addEntries(many);

        QString message;
        {
            FileSizeLimit limit(64 * 1024);
            QVERIFY(limit.set());
            try {
                exportTo(file, replace ? ExportMode::Replace : ExportMode::Append);
            } catch (const ReportError& e) {
                message = e.message();
            }
        }
        QVERIFY2(message.contains(QStringLiteral("full.dbf")), qPrintable(message));
        QCOMPARE(outFiles(), existing ? QStringList{QStringLiteral("full.dbf")} : QStringList());
        QCOMPARE(ReadBytes(file), before);
    }
};

QTEST_GUILESS_MAIN(TestExport)
#include "tst_export.moc"
