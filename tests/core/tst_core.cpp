#include "core/lang.h"
#include "core/language.h"
#include "core/locale.h"
#include "core/paths.h"
#include "core/settings.h"
#include "core/textutil.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QLocale>
#include <QScopeGuard>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace zovi;

namespace {

// Restores the conventions the tests run with when a test changes them.
struct LocaleGuard {
    ~LocaleGuard() { AppLocale::set(u',', u"dd.MM.yyyy"_s); }
};

QSettings rawSettings() {
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, u"tarvo"_s, u"zovi6"_s);
}

} // namespace

class TestCore : public QObject {
    Q_OBJECT

private:
    QTemporaryDir programDir;
    QTemporaryDir settingsDir;

    void writeLang(const QByteArray& bytes, const QString& name = u"lang.ini"_s) {
        QDir(programDir.path()).mkpath(u"lang"_s);
        QFile file(ProgramFolder::file(name));
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        QCOMPARE(file.write(bytes), bytes.size());
    }

private Q_SLOTS:
    void initTestCase() {
        QVERIFY(programDir.isValid());
        QVERIFY(settingsDir.isValid());
        AppLocale::set(u',', u"dd.MM.yyyy"_s);
        ProgramFolder::set(programDir.path());
        Settings::setTestPath(settingsDir.path());
    }

    void formatMoney_data() {
        QTest::addColumn<QChar>("separator");
        QTest::addColumn<double>("amount");
        QTest::addColumn<QString>("expected");
        const QChar c = u',';
        QTest::newRow("whole") << c << 12.0 << u"12"_s;
        QTest::newRow("cents") << c << 12.05 << u"12,05"_s;
        QTest::newRow("no trailing zero") << c << 2.6 << u"2,6"_s;
        QTest::newRow("thousand") << c << 1000.0 << u"1 000"_s;
        QTest::newRow("rounds up to a group") << c << 999.999 << u"1 000"_s;
        QTest::newRow("millions") << c << 1234567.891 << u"1 234 567,89"_s;
        QTest::newRow("negative") << c << -1234.5 << u"-1 234,5"_s;
        QTest::newRow("minus counts as digit") << c << -123.0 << u"- 123"_s;
        QTest::newRow("minus before two groups") << c << -123456.0 << u"- 123 456"_s;
        QTest::newRow("negative fraction") << c << -0.6 << u"-0,6"_s;
        QTest::newRow("rounds to zero") << c << 0.004 << u"0"_s;
        QTest::newRow("negative rounds to zero") << c << -0.004 << u"0"_s;
        QTest::newRow("ten") << c << 10.6 << u"10,6"_s;
        QTest::newRow("half") << c << 0.5 << u"0,5"_s;
        QTest::newRow("half cent away from zero") << c << 0.125 << u"0,13"_s;
        QTest::newRow("half cent up") << c << 0.375 << u"0,38"_s;
        // Kept a hair below the half: 1.005 * 100 is 100.49999999999999.
        QTest::newRow("half kept below") << c << 1.005 << u"1,01"_s;
        QTest::newRow("negative half kept below") << c << -0.285 << u"-0,29"_s;
        QTest::newRow("sixteen digits") << c << 1e15 << u"1 000 000 000 000 000"_s;
        const QChar d = u'.';
        QTest::newRow("dot millions") << d << 1234567.891 << u"1 234 567.89"_s;
        QTest::newRow("dot negative") << d << -1234.5 << u"-1 234.5"_s;
        QTest::newRow("dot cents") << d << 12.05 << u"12.05"_s;
    }

    void formatMoney() {
        QFETCH(QChar, separator);
        QFETCH(double, amount);
        QFETCH(QString, expected);
        LocaleGuard guard;
        AppLocale::set(separator, u"dd.MM.yyyy"_s);
        QCOMPARE(FormatMoney(amount), expected);
    }

    void isBlank_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("blank");
        QTest::newRow("empty") << QString() << true;
        QTest::newRow("blanks") << u"   "_s << true;
        QTest::newRow("tab is content") << u" \t "_s << false;
        QTest::newRow("letter") << u"  x "_s << false;
        QTest::newRow("no-break space is content") << u"\u00A0"_s << false;
    }

    void isBlank() {
        QFETCH(QString, text);
        QFETCH(bool, blank);
        QCOMPARE(IsBlank(text), blank);
    }

    void isNotNumber_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("notNumber");
        QTest::newRow("empty") << QString() << true;
        QTest::newRow("blanks") << u"   "_s << true;
        QTest::newRow("padded decimal") << u" 12,5 "_s << false;
        QTest::newRow("dot") << u"12.5"_s << false;
        QTest::newRow("two dots pass") << u"1.2.3"_s << false;
        QTest::newRow("lone comma passes") << u","_s << false;
        QTest::newRow("minus") << u"-5"_s << true;
        QTest::newRow("inner blank") << u"1 000"_s << true;
        QTest::newRow("tab") << u"\t5"_s << true;
        QTest::newRow("exponent") << u"1e5"_s << true;
        QTest::newRow("arabic digit") << u"\u0661"_s << true;
    }

    void isNotNumber() {
        QFETCH(QString, text);
        QFETCH(bool, notNumber);
        QCOMPARE(IsNotNumber(text), notNumber);
    }

    void isNotNumberAcceptsOwnSeparator() {
        LocaleGuard guard;
        AppLocale::set(u'\u066B', u"dd.MM.yyyy"_s);
        QVERIFY(!IsNotNumber(u"1\u066B5"_s));
        QCOMPARE(ToAmount(u"1\u066B5"_s), std::optional<double>(1.5));
    }

    void normalizeDecimal_data() {
        QTest::addColumn<QChar>("separator");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        QTest::newRow("dot to comma") << QChar(u',') << u" 1.5 "_s << u"1,5"_s;
        QTest::newRow("every separator") << QChar(u',') << u"1,2.3"_s << u"1,2,3"_s;
        QTest::newRow("comma to dot") << QChar(u'.') << u"7,25"_s << u"7.25"_s;
        QTest::newRow("blank keeps result") << QChar(u',') << u"   "_s << u"before"_s;
        QTest::newRow("empty keeps result") << QChar(u',') << QString() << u"before"_s;
        QTest::newRow("inner blank stays") << QChar(u',') << u" 1 0 "_s << u"1 0"_s;
    }

    void normalizeDecimal() {
        QFETCH(QChar, separator);
        QFETCH(QString, text);
        QFETCH(QString, expected);
        LocaleGuard guard;
        AppLocale::set(separator, u"dd.MM.yyyy"_s);
        QString result = u"before"_s;
        NormalizeDecimal(text, result);
        QCOMPARE(result, expected);
    }

    void toAmount_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<std::optional<double>>("expected");
        const std::optional<double> none;
        QTest::newRow("comma") << u"12,5"_s << std::optional(12.5);
        QTest::newRow("dot") << u"12.5"_s << std::optional(12.5);
        QTest::newRow("comma is never a group") << u"1,000"_s << std::optional(1.0);
        QTest::newRow("leading separator") << u".5"_s << std::optional(0.5);
        QTest::newRow("trailing separator") << u"5."_s << std::optional(5.0);
        QTest::newRow("padded") << u"  7 "_s << std::optional(7.0);
        QTest::newRow("zero") << u"0"_s << std::optional(0.0);
        QTest::newRow("many digits") << u"123456789012,34"_s << std::optional(123456789012.34);
        QTest::newRow("two separators") << u"1.2.3"_s << none;
        QTest::newRow("mixed separators") << u"1,2.3"_s << none;
        QTest::newRow("separator alone") << u","_s << none;
        QTest::newRow("empty") << QString() << none;
        QTest::newRow("blanks") << u"   "_s << none;
        QTest::newRow("minus") << u"-5"_s << none;
        QTest::newRow("inner blank") << u"1 000"_s << none;
    }

    void toAmount() {
        QFETCH(QString, text);
        QFETCH(std::optional<double>, expected);
        QCOMPARE(ToAmount(text), expected);
    }

    void numberText_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("expected");
        QTest::newRow("fraction") << 2.5 << u"2,5"_s;
        QTest::newRow("whole") << 100.0 << u"100"_s;
        QTest::newRow("negative zero") << -0.0 << u"0"_s;
        QTest::newRow("fifteen digits") << 0.1 + 0.2 << u"0,3"_s;
        QTest::newRow("no grouping") << -1234567.25 << u"-1234567,25"_s;
    }

    void numberText() {
        QFETCH(double, value);
        QFETCH(QString, expected);
        QCOMPARE(NumberText(value), expected);
        // The plain text has the same digits, where NumberText writes no exponent.
        QCOMPARE(PlainNumberText(value), expected);
    }

    // Never an exponent, which digit groups would split ("-1e +20").
    void plainNumberText_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("expected");
        QTest::newRow("twenty digits") << -1e20 << u"-100000000000000000000"_s;
        QTest::newRow("sixteen digits") << 1234567890123456.0 << u"1234567890123460"_s;
        QTest::newRow("small rate") << 0.00001234 << u"0,00001234"_s;
    }

    void plainNumberText() {
        QFETCH(double, value);
        QFETCH(QString, expected);
        QCOMPARE(PlainNumberText(value), expected);
    }

    void decodeText_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("expected");
        QTest::newRow("ascii") << QByteArray("a=b") << u"a=b"_s;
        QTest::newRow("utf-8") << QByteArray("\xD0\x9F\xD1\x80\xD0\xB8") << u"При"_s;
        QTest::newRow("bom dropped") << QByteArray("\xEF\xBB\xBFk=\xD1\x91") << u"k=ё"_s;
        QTest::newRow("windows-1251 letters")
            << QByteArray("\xCF\xF0\xE8\xE2\xE5\xF2 \xC0\xFF") << u"Привет Ая"_s;
        QTest::newRow("windows-1251 signs")
            << QByteArray("\xA8\xB8\xB9\x96\x97\xAB\xBB\xA0\x88\xA5\xB4\x98")
            << u"Ёё№–—«»\u00A0€Ґґ\uFFFD"_s;
        QTest::newRow("cut sequence at end") << QByteArray("ab\xD0") << u"abР"_s;
    }

    void decodeText() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, expected);
        QCOMPARE(DecodeText(bytes), expected);
    }

    void langString_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("key");
        QTest::addColumn<bool>("found");
        QTest::addColumn<QString>("text");
        QTest::newRow("key in capitals")
            << QByteArray("Hello=Hi\n") << u"HELLO"_s << true << u"Hi"_s;
        QTest::newRow("file in capitals")
            << QByteArray("HELLO=Hi\n") << u"hello"_s << true << u"Hi"_s;
        QTest::newRow("blank before = is key")
            << QByteArray("key =x\n") << u"key"_s << false << QString();
        QTest::newRow("blank key matches") << QByteArray("key =x\n") << u"KEY "_s << true << u"x"_s;
        QTest::newRow("last wins") << QByteArray("k=1\nk=2\n") << u"k"_s << true << u"2"_s;
        QTest::newRow("last empty wins") << QByteArray("k=1\nK=\n") << u"k"_s << true << QString();
        QTest::newRow("empty text found")
            << QByteArray("err024=\n") << u"err024"_s << true << QString();
        QTest::newRow("text keeps = and blanks")
            << QByteArray("k= a=b \n") << u"k"_s << true << u" a=b "_s;
        QTest::newRow("cyrillic keeps case") << QByteArray("\xD0\xBA\xD0\xBB\xD1\x8E\xD1\x87=v\n")
                                             << u"КЛЮЧ"_s << false << QString();
        QTest::newRow("cyrillic same case")
            << QByteArray("\xD0\xBA\xD0\xBB\xD1\x8E\xD1\x87=v\n") << u"ключ"_s << true << u"v"_s;
        QTest::newRow("accent keeps case")
            << QByteArray("caf\xC3\xA9=v\n") << u"CAFÉ"_s << false << QString();
        QTest::newRow("only a-z folded")
            << QByteArray("caf\xC3\xA9=v\n") << u"CAFé"_s << true << u"v"_s;
        QTest::newRow("line without =") << QByteArray("abc\n") << u"abc"_s << false << QString();
        QTest::newRow("line without = keys its head")
            << QByteArray("abc\nx=1\n") << u"ab"_s << true << QString();
        QTest::newRow("crlf") << QByteArray("a=1\r\nb=2\r\n") << u"a"_s << true << u"1"_s;
        QTest::newRow("crlf last line") << QByteArray("a=1\r\nb=2") << u"b"_s << true << u"2"_s;
        QTest::newRow("windows-1251") << QByteArray("\xEA\xEB\xFE\xF7=\xCF\xF0\xE8\xE2\xE5\xF2\r\n")
                                      << u"ключ"_s << true << u"Привет"_s;
        QTest::newRow("bom") << QByteArray("\xEF\xBB\xBFk=v\n") << u"K"_s << true << u"v"_s;
        QTest::newRow("empty file") << QByteArray() << u"k"_s << false << QString();
    }

    void langString() {
        QFETCH(QByteArray, file);
        QFETCH(QString, key);
        QFETCH(bool, found);
        QFETCH(QString, text);
        writeLang(file);
        QString result = u"untouched"_s;
        QCOMPARE(LangString(key, result), found);
        QCOMPARE(result, found ? text : u"untouched"_s);
        QCOMPARE(LangText(key, u"fallback"_s), found ? text : u"fallback"_s);
    }

    void langMissingFile() {
        writeLang("k=v\n");
        QVERIFY(QFile::remove(ProgramFolder::file(u"lang.ini"_s)));
        QString text = u"untouched"_s;
        QVERIFY(!LangString(u"k"_s, text));
        QCOMPARE(text, u"untouched"_s);
        QCOMPARE(LangText(u"k"_s, u"fallback"_s), u"fallback"_s);
    }

    void langEditTakesEffect() {
        const QString path = ProgramFolder::file(u"lang.ini"_s);
        writeLang("k=a\n");
        QCOMPARE(LangText(u"k"_s, QString()), u"a"_s);
        const QDateTime modified = QFileInfo(path).lastModified();
        // Same size and the same modification time: only the content tells the edit apart.
        writeLang("k=b\n");
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.setFileTime(modified, QFileDevice::FileModificationTime));
        file.close();
        QCOMPARE(LangText(u"k"_s, QString()), u"b"_s);
        writeLang("k=a\n");
        QCOMPARE(LangText(u"k"_s, QString()), u"a"_s);
    }

    void langFollowsProgramFolder() {
        writeLang("k=first\n");
        QCOMPARE(LangText(u"k"_s, QString()), u"first"_s);
        QTemporaryDir other;
        QVERIFY(other.isValid());
        ProgramFolder::set(other.path());
        QCOMPARE(LangText(u"k"_s, u"none"_s), u"none"_s);
        ProgramFolder::set(programDir.path());
        QCOMPARE(LangText(u"k"_s, QString()), u"first"_s);
    }

    // lang.ini, the shipped lang/ru.ini and a file the user dropped into lang/, with and
    // without its own language name; other files of lang/ are no languages.
    void languages_data() {
        QTest::addColumn<QByteArray>("dropped");
        QTest::addColumn<QString>("name");
        QTest::newRow("named") << QByteArray("language=Deutsch\nk=de\n") << u"Deutsch"_s;
        QTest::newRow("unnamed") << QByteArray("k=de\n") << u"de"_s;
    }

    void languages() {
        QFETCH(QByteArray, dropped);
        QFETCH(QString, name);
        const auto clean =
            qScopeGuard([this] { QDir(programDir.filePath(u"lang"_s)).removeRecursively(); });
        writeLang("language=English\nlanguagecode=en\n");
        writeLang(u"language=Русский\nlanguagecode=ru\n"_s.toUtf8(), u"lang/ru.ini"_s);
        writeLang(dropped, u"lang/de.ini"_s);
        writeLang("language=Notes\n", u"lang/notes.txt"_s);
        const QList<Language> expected{{u"lang.ini"_s, u"English"_s},
                                       {u"lang/de.ini"_s, name},
                                       {u"lang/ru.ini"_s, u"Русский"_s}};
        QCOMPARE(Languages(), expected);
        // A kept copy of the English file is told apart from lang.ini by its file name.
        writeLang("language=English\n", u"lang/en.ini"_s);
        QCOMPARE(Languages().at(0).name, u"English (lang.ini)"_s);
        QCOMPARE(Languages().at(2), (Language{u"lang/en.ini"_s, u"English (en.ini)"_s}));
    }

    // The lookups read the file chosen in the settings; without a choice, with a chosen file
    // gone or with a choice outside lang/ they read lang.ini.
    void langReadsChosenFile() {
        const auto clean = qScopeGuard([this] {
            Settings::remove(u"language"_s);
            QDir(programDir.filePath(u"lang"_s)).removeRecursively();
        });
        writeLang("k=english\n");
        writeLang(u"k=русский\n"_s.toUtf8(), u"lang/ru.ini"_s);
        writeLang("k=secret\n", u"other.ini"_s);
        QCOMPARE(LangText(u"k"_s, QString()), u"english"_s);
        rawSettings().setValue(u"language"_s, u"lang/ru.ini"_s);
        QCOMPARE(LangText(u"k"_s, QString()), u"русский"_s);
        QCOMPARE(LanguageCode(), u"ru"_s);
        rawSettings().setValue(u"language"_s, u"lang.ini"_s);
        QCOMPARE(LangText(u"k"_s, QString()), u"english"_s);
        for (const QString& outside :
             {u"other.ini"_s, u"lang/../other.ini"_s, u"lang/gone.ini"_s}) {
            rawSettings().setValue(u"language"_s, outside);
            QCOMPARE(LangText(u"k"_s, QString()), u"english"_s);
        }
    }

    // The help opens in the chosen language: a translation file's help lies beside it under the
    // same name; a language without a help of its own gets the English one.
    void helpFile_data() {
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QString>("help");
        QTest::newRow("English") << u"lang.ini"_s << u"Help.html"_s;
        QTest::newRow("Russian") << u"lang/ru.ini"_s << u"lang/ru.html"_s;
        QTest::newRow("dropped without help") << u"lang/de.ini"_s << u"Help.html"_s;
    }

    void helpFile() {
        QFETCH(QString, chosen);
        QFETCH(QString, help);
        const auto clean = qScopeGuard([this] {
            Settings::remove(u"language"_s);
            QDir(programDir.filePath(u"lang"_s)).removeRecursively();
        });
        writeLang("languagecode=en\n");
        writeLang("languagecode=ru\n", u"lang/ru.ini"_s);
        writeLang("<html></html>", u"lang/ru.html"_s);
        writeLang("languagecode=de\n", u"lang/de.ini"_s);
        rawSettings().setValue(u"language"_s, chosen);
        QCOMPARE(HelpFile(), ProgramFolder::file(help));
    }

    // Qt's own texts (the buttons of its dialogs) follow the language code of the file and
    // change back when the language does.
    void qtTranslationsFollowLanguage() {
        const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
        if (!QFile::exists(folder + u"/qtbase_ru.qm"_s))
            QSKIP("Qt's translations (qt6-translations-l10n) are not installed");
        const auto clean = qScopeGuard([this] {
            QFile::remove(ProgramFolder::file(u"lang.ini"_s));
            ApplyLanguage();
        });
        writeLang("languagecode=ru\n");
        QVERIFY(ApplyLanguage());
        QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), u"Отмена"_s);
        writeLang("languagecode=en\n");
        ApplyLanguage();
        QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), u"Cancel"_s);
    }

    void programFolder() {
        const QByteArray saved = qgetenv("ZOVI_PROGRAM_DIR");
        ProgramFolder::set(programDir.path() + u"/"_s);
        QCOMPARE(ProgramFolder::path(), programDir.path());
        QCOMPARE(ProgramFolder::file(u"lang.ini"_s), programDir.path() + u"/lang.ini"_s);

        ProgramFolder::reset();
        qputenv("ZOVI_PROGRAM_DIR", "/tmp/zovi-env/");
        QCOMPARE(ProgramFolder::path(), u"/tmp/zovi-env"_s);
        qputenv("ZOVI_PROGRAM_DIR", QByteArray());
        QCOMPARE(ProgramFolder::path(), QCoreApplication::applicationDirPath());

        if (saved.isNull())
            qunsetenv("ZOVI_PROGRAM_DIR");
        else
            qputenv("ZOVI_PROGRAM_DIR", saved);
        ProgramFolder::set(programDir.path());
    }

    void widenYear_data() {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("expected");
        QTest::newRow("dotted") << u"dd.MM.yy"_s << u"dd.MM.yyyy"_s;
        QTest::newRow("slashes") << u"M/d/yy"_s << u"M/d/yyyy"_s;
        QTest::newRow("year first") << u"yy-M-d"_s << u"yyyy-M-d"_s;
        QTest::newRow("four digits stay") << u"yyyy-MM-dd"_s << u"yyyy-MM-dd"_s;
        QTest::newRow("quoted text stays") << u"d.M.yy 'yy'"_s << u"d.M.yyyy 'yy'"_s;
    }

    void widenYear() {
        QFETCH(QString, format);
        QFETCH(QString, expected);
        QCOMPARE(AppLocale::widenYear(format), expected);
    }

    void loadFromSystem() {
        LocaleGuard guard;
        AppLocale::loadFromSystem();
        QCOMPARE(AppLocale::decimalSeparator(), QLocale::system().decimalPoint().at(0));
        const QString format = AppLocale::shortDateFormat();
        QCOMPARE(format, AppLocale::widenYear(QLocale::system().dateFormat(QLocale::ShortFormat)));
        QVERIFY(format.contains(u"yyyy"_s));
    }

    void dates_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QDate>("date");
        QTest::newRow("plain") << u"07.01.2005"_s << QDate(2005, 1, 7);
        QTest::newRow("padded") << u" 31.12.1999 "_s << QDate(1999, 12, 31);
        QTest::newRow("leap day") << u"29.02.2004"_s << QDate(2004, 2, 29);
        QTest::newRow("day 32") << u"32.01.2005"_s << QDate();
        QTest::newRow("no leap day") << u"29.02.2005"_s << QDate();
        QTest::newRow("other format") << u"2005-01-07"_s << QDate();
        QTest::newRow("empty") << QString() << QDate();
    }

    void dates() {
        QFETCH(QString, text);
        QFETCH(QDate, date);
        QCOMPARE(AppLocale::parseDate(text), date);
        if (date.isValid())
            QCOMPARE(AppLocale::formatDate(date), text.trimmed());
    }

    void readTypedDate_data() {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QDate>("date");
        const QLocale en(QLocale::English, QLocale::UnitedKingdom);
        const QLocale us(QLocale::English, QLocale::UnitedStates);
        const QLocale ru(QLocale::Russian, QLocale::Russia);
        const QDate fifth(2024, 3, 5);
        QTest::newRow("one-digit parts") << ru << u"5.3.2024"_s << fifth;
        QTest::newRow("two-digit parts") << ru << u"05.03.2024"_s << fifth;
        QTest::newRow("two-digit year") << ru << u"5.3.24"_s << fifth;
        QTest::newRow("slashes") << en << u"5/3/2024"_s << fifth;
        QTest::newRow("month first") << us << u"3/5/2024"_s << fifth;
        QTest::newRow("year first") << us << u"2024-03-05"_s << fifth;
        QTest::newRow("short name") << en << u"5 Mar 2024"_s << fifth;
        QTest::newRow("full name first") << us << u"March 5, 2024"_s << fifth;
        QTest::newRow("english under russian") << ru << u"5 mar 2024"_s << fifth;
        QTest::newRow("genitive") << ru << u"5 марта 2024"_s << fifth;
        QTest::newRow("nominative") << ru << u"5 Март 2024"_s << fifth;
        QTest::newRow("short with dot") << ru << u"5 мар. 2024"_s << fifth;
        QTest::newRow("may genitive") << ru << u"1 мая 2024"_s << QDate(2024, 5, 1);
        QTest::newRow("long form") << ru << u"вторник, 5 марта 2024 г."_s << fifth;
        QTest::newRow("long form en") << en << u"Tuesday, 5 March 2024"_s << fifth;
        QTest::newRow("no such day") << ru << u"31.2.2024"_s << QDate();
        QTest::newRow("three-digit year") << ru << u"5.3.202"_s << QDate();
        QTest::newRow("two parts") << ru << u"5.3"_s << QDate();
        QTest::newRow("unknown word") << en << u"5 Foo 2024"_s << QDate();
        QTest::newRow("two months") << en << u"5 Mar May 2024"_s << QDate();
        QTest::newRow("ambiguous name") << en << u"5 Ju 2024"_s << QDate();
        QTest::newRow("month 13") << ru << u"5.13.2024"_s << QDate();
        QTest::newRow("text") << ru << u"вчера"_s << QDate();
        QTest::newRow("empty") << ru << u" "_s << QDate();
    }

    void readTypedDate() {
        QFETCH(QLocale, locale);
        QFETCH(QString, text);
        QFETCH(QDate, date);
        QCOMPARE(ReadTypedDate(text, locale), date);
    }

    void mayBecomeDate() {
        QVERIFY(MayBecomeDate(u"5 мар"_s));
        QVERIFY(MayBecomeDate(u"5.3."_s));
        QVERIFY(!MayBecomeDate(u"5#3"_s));
        QVERIFY(!MayBecomeDate(u"5.3.20245"_s));
    }

    void formatDateDigitsAreAscii() {
        const QLocale saved;
        QLocale::setDefault(QLocale(QLocale::Arabic, QLocale::Egypt));
        const QString text = AppLocale::formatDate(QDate(2005, 1, 7));
        QLocale::setDefault(saved);
        QCOMPARE(text, u"07.01.2005"_s);
        QCOMPARE(AppLocale::formatDate(QDate()), QString());
    }

    void settingsBoolIsInteger() {
        Settings::writeBool(u"flag"_s, true);
        QCOMPARE(rawSettings().value(u"flag"_s).toString(), u"1"_s);
        QVERIFY(Settings::readBool(u"flag"_s, false));
        Settings::writeBool(u"flag"_s, false);
        QCOMPARE(rawSettings().value(u"flag"_s).toString(), u"0"_s);
        QVERIFY(!Settings::readBool(u"flag"_s, true));
    }

    void settingsReadBool_data() {
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<bool>("fallback");
        QTest::addColumn<bool>("expected");
        QTest::newRow("missing true") << QVariant() << true << true;
        QTest::newRow("missing false") << QVariant() << false << false;
        QTest::newRow("int one") << QVariant(1) << false << true;
        QTest::newRow("int zero") << QVariant(0) << true << false;
        QTest::newRow("text true") << QVariant(u"true"_s) << false << true;
        QTest::newRow("text false") << QVariant(u"false"_s) << true << false;
        QTest::newRow("unreadable") << QVariant(u"maybe"_s) << true << true;
        QTest::newRow("unreadable false") << QVariant(u"maybe"_s) << false << false;
    }

    void settingsReadBool() {
        QFETCH(QVariant, stored);
        QFETCH(bool, fallback);
        QFETCH(bool, expected);
        {
            QSettings raw = rawSettings();
            raw.remove(u"b"_s);
            if (stored.isValid())
                raw.setValue(u"b"_s, stored);
            raw.sync();
        }
        QCOMPARE(Settings::readBool(u"b"_s, fallback), expected);
    }

    void settingsValues() {
        Settings::remove(u"n"_s);
        QCOMPARE(Settings::readInt(u"n"_s, -7), -7);
        Settings::writeInt(u"n"_s, 42);
        QCOMPARE(Settings::readInt(u"n"_s, -7), 42);
        Settings::writeString(u"n"_s, u"forty"_s);
        QCOMPARE(Settings::readInt(u"n"_s, -7), -7);

        const QString text = u"a, b=c; ключ \"q\""_s;
        Settings::writeString(u"Group/s"_s, text);
        QCOMPARE(Settings::readString(u"Group/s"_s), text);
        QCOMPARE(rawSettings().value(u"Group/s"_s).toString(), text);
        QCOMPARE(Settings::readString(u"none"_s, u"fb"_s), u"fb"_s);

        QVERIFY(Settings::contains(u"Group/s"_s));
        Settings::remove(u"Group/s"_s);
        QVERIFY(!Settings::contains(u"Group/s"_s));
        QCOMPARE(Settings::readString(u"Group/s"_s, u"gone"_s), u"gone"_s);
        QVERIFY(QFile::exists(settingsDir.path() + u"/tarvo/zovi6.conf"_s));
    }
};

QTEST_GUILESS_MAIN(TestCore)
#include "tst_core.moc"
