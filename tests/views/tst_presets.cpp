// Presets of the "Extended" filter page: the bytes of a preset file and what a file gives back,
// the folder and its names, and the selection lists read from the classifier tables.
#include "core/locale.h"
#include "fixtures.h"
#include "views/presets.h"

#include <QFile>
#include <QFileInfo>
#include <QTest>

using namespace zovi;
using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(zovi::PresetLists)

namespace {

PresetLists Lists(QStringList incomes, QStringList charges, QStringList incomeSubs,
                  QStringList chargeSubs, QStringList accounts, QStringList periods) {
    return {incomes, charges, incomeSubs, chargeSubs, accounts, periods};
}

} // namespace

class TestPresets : public test::DatabaseTest {
    Q_OBJECT

private Q_SLOTS:
    void init() { initDatabase(); }
    void cleanup() { cleanupDatabase(); }

    // The file other installations and older versions read: Windows-1251, CR LF between the
    // six lines, none after the last, periods in yyyy-MM-dd and an "&" of a name doubled; every
    // list read back as it was written.
    void presetBytes_data() {
        QTest::addColumn<PresetLists>("lists");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("two income groups and a period")
            << Lists({u"Salary"_s, u"Bonus"_s}, {}, {}, {}, {}, {u"01.03.2005-31.03.2005"_s})
            << QByteArray("Salary&Bonus&\r\n\r\n\r\n\r\n\r\n2005-03-01-2005-03-31&");
        QTest::newRow("names with &")
            << Lists({u"Bread & Butter"_s, u"R&D"_s}, {u"&"_s}, {}, {}, {u"A&&B&"_s, u"C"_s}, {})
            << QByteArray("Bread && Butter&R&&D&\r\n&&&\r\n\r\n\r\nA&&&&B&&&C&\r\n");
        QTest::newRow("nothing ticked, no periods")
            << Lists({}, {}, {}, {}, {}, {}) << QByteArray("\r\n\r\n\r\n\r\n\r\n");
        QTest::newRow("Cyrillic names in Windows-1251")
            << Lists({}, {u"Еда"_s}, {}, {u"Хлеб"_s, u"Молоко"_s}, {u"Банк"_s}, {})
            << QByteArray("\r\n\xC5\xE4\xE0&\r\n\r\n\xD5\xEB\xE5\xE1&\xCC\xEE\xEB\xEE\xEA\xEE&"
                          "\r\n\xC1\xE0\xED\xEA&\r\n");
        // A name with a character Windows-1251 lacks would come back with "?" in its place and
        // never tick its line again: such a preset is written in UTF-8.
        QTest::newRow("a name Windows-1251 lacks")
            << Lists({u"Café ☕"_s}, {}, {}, {}, {u"Банк"_s}, {})
            << (u"Café ☕&\r\n\r\n\r\n\r\nБанк&\r\n"_s).toUtf8();
    }
    void presetBytes() {
        QFETCH(PresetLists, lists);
        QFETCH(QByteArray, bytes);
        QCOMPARE(PresetBytes(lists), bytes);
        QCOMPARE(ParsePreset(bytes), lists);
    }

    // Files edited by hand or cut short load what they hold and never more.
    void parseDamagedFile_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<PresetLists>("lists");
        QTest::newRow("empty file") << QByteArray() << Lists({}, {}, {}, {}, {}, {});
        QTest::newRow("fewer lines")
            << QByteArray("Salary&\r\nFood&") << Lists({u"Salary"_s}, {u"Food"_s}, {}, {}, {}, {});
        QTest::newRow("a last name without &")
            << QByteArray("Salary&Bonus\r\n\r\n\r\n\r\n\r\n01.03.2005-31.03.2005")
            << Lists({u"Salary"_s, u"Bonus"_s}, {}, {}, {}, {}, {u"01.03.2005-31.03.2005"_s});
        QTest::newRow("LF line ends and a line end after the sixth line")
            << QByteArray("Salary&\n\n\n\nBank&\n01.03.2005-31.03.2005&\n")
            << Lists({u"Salary"_s}, {}, {}, {}, {u"Bank"_s}, {u"01.03.2005-31.03.2005"_s});
        QTest::newRow("lines after the sixth")
            << QByteArray("\r\n\r\n\r\n\r\n\r\n01.03.2005-31.03.2005&\r\nSalary&\r\n")
            << Lists({}, {}, {}, {}, {}, {u"01.03.2005-31.03.2005"_s});
        // "&&" is an "&" of the name.
        QTest::newRow("doubled and leading &")
            << QByteArray("&Salary&&Bonus&") << Lists({u"Salary&Bonus"_s}, {}, {}, {}, {}, {});
        // Bytes that are neither UTF-8 nor all Windows-1251 (0x98 has no character there).
        QTest::newRow("undecodable bytes")
            << QByteArray("\xC5\xE4\xE0&\x98&\r\n\xFF\xFE")
            << Lists({u"Еда"_s, QString(QChar(0xFFFD))}, {u"яю"_s}, {}, {}, {}, {});
    }
    void parseDamagedFile() {
        QFETCH(QByteArray, bytes);
        QFETCH(PresetLists, lists);
        QCOMPARE(ParsePreset(bytes), lists);
    }

    // A preset saved under one short date format loads under another: the file keeps its
    // periods in yyyy-MM-dd, and the dates list shows them in the format of the day.
    void periodsAcrossLocales_data() {
        QTest::addColumn<QString>("savedUnder");
        QTest::addColumn<QString>("period");
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<QString>("loadedUnder");
        QTest::addColumn<QString>("shown");
        QTest::newRow("dots to dashes")
            << u"dd.MM.yyyy"_s << u"01.03.2005-31.03.2005"_s << QByteArray("2005-03-01-2005-03-31")
            << u"yyyy-MM-dd"_s << u"2005-03-01-2005-03-31"_s;
        QTest::newRow("dashes to dots")
            << u"yyyy-MM-dd"_s << u"2026-12-01-2026-12-31"_s << QByteArray("2026-12-01-2026-12-31")
            << u"dd.MM.yyyy"_s << u"01.12.2026-31.12.2026"_s;
        QTest::newRow("day first with dashes to month first")
            << u"dd-MM-yyyy"_s << u"01-12-2026-31-12-2026"_s << QByteArray("2026-12-01-2026-12-31")
            << u"MM/dd/yyyy"_s << u"12/01/2026-12/31/2026"_s;
    }
    void periodsAcrossLocales() {
        QFETCH(QString, savedUnder);
        QFETCH(QString, period);
        QFETCH(QByteArray, stored);
        QFETCH(QString, loadedUnder);
        QFETCH(QString, shown);
        AppLocale::set(u',', savedUnder);
        const QByteArray bytes = PresetBytes(Lists({}, {}, {}, {}, {}, {period}));
        QCOMPARE(bytes, "\r\n\r\n\r\n\r\n\r\n" + stored + '&');
        AppLocale::set(u',', loadedUnder);
        QCOMPARE(ParsePreset(bytes), Lists({}, {}, {}, {}, {}, {shown}));
    }

    // A name becomes a file in CFT/ and nowhere else.
    void presetNames_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("valid");
        QTest::newRow("plain") << u"March 2005"_s << true;
        QTest::newRow("Cyrillic") << u"Март"_s << true;
        QTest::newRow("dots inside") << u"..a.b"_s << true;
        QTest::newRow("empty") << QString() << false;
        QTest::newRow("slash") << u"../escape"_s << false;
        QTest::newRow("backslash") << u"a\\b"_s << false;
        QTest::newRow("dot") << u"."_s << false;
        QTest::newRow("two dots") << u".."_s << false;
        QTest::newRow("line break") << u"a\nb"_s << false;
    }
    void presetNames() {
        QFETCH(QString, name);
        QFETCH(bool, valid);
        QCOMPARE(IsValidPresetName(name), valid);
        if (valid)
            QCOMPARE(QFileInfo(PresetPath(name)).absolutePath(),
                     QFileInfo(m_db->programFolder() + u"/CFT"_s).absoluteFilePath());
    }

    // The folder is made when missing; only "*.cft" files are presets, listed by name
    // whatever the letter case.
    void folderAndListing() {
        const QString folder = m_db->programFolder() + u"/CFT"_s;
        QVERIFY(!QFileInfo::exists(folder));
        QCOMPARE(PresetNames(), QStringList());
        QVERIFY(QFileInfo(folder).isDir());
        for (const char* file : {"b.cft", "C.cft", "a.cft", "notes.txt", "c.cft.bak"})
            test::WriteBytes(folder + u'/' + QString::fromLatin1(file), "");
        QCOMPARE(PresetNames(), QStringList({u"a"_s, u"b"_s, u"C"_s}));
    }

    // A safe write: a folder that cannot take the file gives the reason, and an existing preset
    // is replaced only whole.
    void writeFile() {
        const QString path = PresetPath(u"kept"_s);
        QVERIFY(!WritePresetFile(path, "old"));
        QVERIFY(!WritePresetFile(path, "new"));
        QCOMPARE(test::ReadBytes(path), QByteArray("new"));
        const auto failure = WritePresetFile(m_db->root() + u"/missing/x.cft"_s, "x");
        QVERIFY(failure.has_value());
        QVERIFY(!failure->isEmpty());
    }

    // A preset file that is a symbolic link leads nowhere: it is not listed, not read, and
    // neither a link nor a dangling one is written through.
    void symbolicLinksAreNotFollowed() {
        const QString outside = m_db->root() + u"/outside.cft"_s;
        const QString nowhere = m_db->root() + u"/nowhere.cft"_s;
        test::WriteBytes(outside, "secret");
        QVERIFY(!WritePresetFile(PresetPath(u"real"_s), "mine"));
        QVERIFY(QFile::link(outside, PresetPath(u"linked"_s)));
        QVERIFY(QFile::link(nowhere, PresetPath(u"dangling"_s)));
        QCOMPARE(PresetNames(), QStringList{u"real"_s});
        QByteArray bytes;
        QVERIFY(!ReadPresetFile(PresetPath(u"real"_s), &bytes));
        QCOMPARE(bytes, QByteArray("mine"));
        QVERIFY(ReadPresetFile(PresetPath(u"linked"_s), &bytes).has_value());
        QCOMPARE(bytes, QByteArray("mine"));
        QVERIFY(WritePresetFile(PresetPath(u"linked"_s), "new").has_value());
        QVERIFY(WritePresetFile(PresetPath(u"dangling"_s), "new").has_value());
        QCOMPARE(test::ReadBytes(outside), QByteArray("secret"));
        QVERIFY(!QFileInfo::exists(nowhere));
    }

    // List3 names only the income groups with sub-groups; List4 every charge group, each as a
    // header line over its own sub-groups, so a sub-group of two groups is listed twice.
    void selectionLines() {
        auto group = [](TableHandle& groups, TableHandle& subs, const QString& name,
                        const QStringList& subNames) {
            test::Put(groups, {{"Name", name}});
            for (const QString& sub : subNames)
                test::Put(subs, {{"Name", sub}});
        };
        LedgerTables& d = *m_data;
        group(d.tbGrD, d.tbGrD2, u"Salary"_s, {});
        group(d.tbGrD, d.tbGrD2, u"Gifts"_s, {u"Birthday"_s});
        group(d.tbGrR, d.tbGrR2, u"Food"_s, {u"Milk"_s, u"Bread"_s});
        group(d.tbGrR, d.tbGrR2, u"car"_s, {});
        group(d.tbGrR, d.tbGrR2, u"Farm"_s, {u"Milk"_s});
        test::Put(d.tbGr1, {{"Name", u"Wallet"_s}});
        test::Put(d.tbGr1, {{"Name", u"Bank"_s}});
        d.tbGrR.first();

        using L = QList<SelectionLine>;
        const auto lines = SelectionListLines(d);
        QCOMPARE(lines[0], L({{u"Salary"_s, false}, {u"Gifts"_s, false}}));
        QCOMPARE(lines[1], L({{u"Food"_s, false}, {u"car"_s, false}, {u"Farm"_s, false}}));
        QCOMPARE(lines[2], L({{u"Gifts"_s, true}, {u"Birthday"_s, false}}));
        QCOMPARE(lines[3], L({{u"Food"_s, true},
                              {u"Milk"_s, false},
                              {u"Bread"_s, false},
                              {u"car"_s, true},
                              {u"Farm"_s, true},
                              {u"Milk"_s, false}}));
        QCOMPARE(lines[4], L({{u"Wallet"_s, false}, {u"Bank"_s, false}}));
        // The groups' cursors and the sub-group views linked to them stay as they were.
        QCOMPARE(d.tbGrR.field(u"Name"_s).text(), u"Food"_s);
        QVERIFY(d.tbGrR2.masterAttached());
        QCOMPARE(d.tbGrR2.recordCount(), 2);
    }
};

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    TestPresets test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_presets.moc"
