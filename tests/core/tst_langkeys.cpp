#include "core/lang.h"
#include "core/paths.h"
#include "ledger/entrykinds.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QHash>
#include <QMap>
#include <QRegularExpression>
#include <QSet>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>

using namespace Qt::StringLiterals;
using namespace zovi;

namespace {

// One source file of src/: its path below src/ and its text with the comments blanked out.
struct SourceFile {
    QString path;
    QString text;
};

// Blanks out // and /* */ comments, keeping string and character literals (which may hold
// "//") and the line breaks, so that positions still give line numbers.
QString WithoutComments(const QString& text) {
    QString out = text;
    enum { Code, Line, Block, String, Char } state = Code;
    for (qsizetype i = 0; i < out.size(); ++i) {
        const QChar c = out.at(i);
        const QChar next = i + 1 < out.size() ? out.at(i + 1) : QChar();
        switch (state) {
        case Code:
            if (c == u'/' && next == u'/') {
                state = Line;
                out[i] = u' ';
            } else if (c == u'/' && next == u'*') {
                state = Block;
                out[i] = u' ';
                out[++i] = u' ';
            } else if (c == u'"') {
                state = String;
            } else if (c == u'\'') {
                state = Char;
            }
            break;
        case Line:
            if (c == u'\n')
                state = Code;
            else
                out[i] = u' ';
            break;
        case Block:
            if (c == u'*' && next == u'/') {
                out[i] = u' ';
                out[++i] = u' ';
                state = Code;
            } else if (c != u'\n') {
                out[i] = u' ';
            }
            break;
        case String:
        case Char:
            if (c == u'\\')
                ++i;
            else if (c == (state == String ? u'"' : u'\''))
                state = Code;
            break;
        }
    }
    return out;
}

// The string literals of a piece of code, without quotes and prefixes.
QStringList Literals(const QString& code) {
    static const QRegularExpression literal(uR"re("((?:[^"\\]|\\.)*)")re"_s);
    QStringList found;
    for (const QRegularExpressionMatch& m : literal.globalMatch(code))
        found << m.captured(1);
    return found;
}

// Whether code holds c outside string literals.
bool HasOutsideLiterals(const QString& code, QChar c) {
    static const QRegularExpression literal(uR"re("((?:[^"\\]|\\.)*)")re"_s);
    return QString(code).remove(literal).contains(c);
}

// The index of the bracket closing the one at open, skipping literals; -1 when there is none.
qsizetype Closing(const QString& text, qsizetype open) {
    const QChar opening = text.at(open);
    const QChar closing = opening == u'(' ? u')' : opening == u'{' ? u'}' : u']';
    int depth = 0;
    QChar quote;
    for (qsizetype i = open; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (!quote.isNull()) {
            if (c == u'\\')
                ++i;
            else if (c == quote)
                quote = QChar();
        } else if (c == u'"' || c == u'\'') {
            quote = c;
        } else if (c == opening) {
            ++depth;
        } else if (c == closing && --depth == 0) {
            return i;
        }
    }
    return -1;
}

// The comma-separated parts of the text between the bracket at open and its closing one,
// split at the top level only, trimmed.
QStringList TopLevelParts(const QString& text, qsizetype open) {
    QStringList parts;
    const qsizetype close = Closing(text, open);
    if (close < 0)
        return parts;
    int depth = 0;
    QChar quote;
    qsizetype start = open + 1;
    for (qsizetype i = open + 1; i <= close; ++i) {
        const QChar c = text.at(i);
        if (!quote.isNull()) {
            if (c == u'\\')
                ++i;
            else if (c == quote)
                quote = QChar();
        } else if (c == u'"' || c == u'\'') {
            quote = c;
        } else if (c == u'(' || c == u'{' || c == u'[') {
            ++depth;
        } else if ((c == u')' || c == u'}' || c == u']') && i < close) {
            --depth;
        } else if ((c == u',' && depth == 0) || i == close) {
            const QString part = text.mid(start, i - start).trimmed();
            if (!part.isEmpty())
                parts << part;
            start = i + 1;
        }
    }
    return parts;
}

int LineOf(const QString& text, qsizetype at) {
    return int(text.left(at).count(u'\n')) + 1;
}

// The keys the program looks up, found in the sources: key to the places that look it up.
struct KeyScan {
    QMap<QString, QStringList> keys;
    QStringList prefixes; // keys made of a literal and a variable part ("type" + kind)
    QStringList problems; // lookups whose key the scan cannot tell
};

// Lookups of a key held in a parameter or a field: the keys reach them through the lookups
// that the scan reads elsewhere (the callers of LangText and Translate, the translation
// tables, the refuse(...) calls of the entry checks).
const QSet<QString> kForwarders = {
    u"core/lang.cpp key"_s,
    u"core/translate.cpp key"_s,
    u"ledger/entrycheck.h key"_s,
};

// The literals an identifier holds at the lookup at position at of file: for a member (m_...)
// every assignment in the sources, for a local the nearest assignment or range-for list above.
QStringList ResolveIdentifier(const QList<SourceFile>& files, const SourceFile& file, qsizetype at,
                              const QString& name) {
    const QRegularExpression assigned(u"\\b%1\\s*=(?!=)([^;]*);"_s.arg(name));
    QStringList literals;
    if (name.startsWith(u"m_"_s)) {
        for (const SourceFile& f : files) {
            for (const QRegularExpressionMatch& m : assigned.globalMatch(f.text))
                literals << Literals(m.captured(1));
        }
        return literals;
    }
    const QRegularExpression ranged(u"\\b%1\\s*:\\s*\\{([^}]*)\\}"_s.arg(name));
    qsizetype nearest = -1;
    for (const QRegularExpression* re : {&assigned, &ranged}) {
        for (const QRegularExpressionMatch& m : re->globalMatch(file.text.left(at))) {
            if (m.capturedStart() > nearest) {
                nearest = m.capturedStart();
                literals = Literals(m.captured(1));
            }
        }
    }
    return literals;
}

// How many targets the numbered keys of an AddNumbered call get: the elements of a braced
// list, or for a vector the push_back calls that fill it, each once or once per element of
// the range-for list it runs in.
int NumberedCount(const SourceFile& file, qsizetype at, const QString& targets) {
    if (targets.startsWith(u'{'))
        return int(TopLevelParts(targets, 0).size());
    static const QRegularExpression identifier(u"^\\w+$"_s);
    if (!identifier.match(targets).hasMatch())
        return 0;
    const QString before = file.text.left(at);
    const QRegularExpression declared(u"std::vector<[^;]*>\\s+%1\\s*;"_s.arg(targets));
    qsizetype from = -1;
    for (const QRegularExpressionMatch& m : declared.globalMatch(before))
        from = m.capturedEnd();
    if (from < 0)
        return 0;
    const QString filling = before.mid(from);
    const QRegularExpression pushed(
        u"(for\\s*\\([^;{]*:\\s*(\\{[^}]*\\})\\s*\\)\\s*\\{?\\s*)?\\b%1\\.(push_back|emplace_back)\\s*\\("_s
            .arg(targets));
    int count = 0;
    for (const QRegularExpressionMatch& m : pushed.globalMatch(filling))
        count += m.hasCaptured(2) ? int(TopLevelParts(m.captured(2), 0).size()) : 1;
    return count;
}

void AddKey(KeyScan& scan, const QString& key, const SourceFile& file, qsizetype at) {
    scan.keys[key] << u"%1:%2"_s.arg(file.path).arg(LineOf(file.text, at));
}

// Every key looked up under src/: the key arguments of LangString, LangText, Translate and the
// entry checks' refuse, the keys of the translation tables (TranslationKeys, with the rows
// pushed onto them from an array of keys) and the numbered keys of AddNumbered.
KeyScan ScanSources(const QString& sourceFolder) {
    QList<SourceFile> files;
    QDirIterator it(sourceFolder, {u"*.cpp"_s, u"*.h"_s}, QDir::Files,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile f(path);
        if (f.open(QIODevice::ReadOnly))
            files.append({QDir(sourceFolder).relativeFilePath(path),
                          WithoutComments(QString::fromUtf8(f.readAll()))});
    }
    std::sort(files.begin(), files.end(),
              [](const SourceFile& a, const SourceFile& b) { return a.path < b.path; });

    KeyScan scan;
    static const QRegularExpression call(u"\\b(LangString|LangText|Translate|refuse)\\s*\\("_s);
    static const QRegularExpression declaration(
        u"^(const\\s+)?[\\w:<>]+(\\s*[&*]\\s*|\\s+)\\w+$"_s);
    static const QRegularExpression wrapper(
        u"^(?:QString::fromLatin1|QString::fromUtf8|QLatin1String|QString)\\s*\\((.*)\\)$"_s);
    static const QRegularExpression identifier(u"^\\w+$"_s);
    static const QRegularExpression table(u"\\bTranslationKeys\\b"_s);
    static const QRegularExpression tableKey(
        uR"re(\{\s*(?:QStringLiteral\(\s*"([^"]*)"\s*\)|u"([^"]*)"_s)\s*,)re"_s);
    static const QRegularExpression numbered(u"\\bAddNumbered\\s*\\("_s);
    static const QRegularExpression pushedKey(
        uR"re(\b(\w+)\.(?:push_back|emplace_back)\s*\(\s*\{\s*)re"
        uR"re((?:QString::fromLatin1|QString::fromUtf8|QLatin1String|QString)\s*)re"
        uR"re(\(\s*(\w+)\s*\[\s*\w+\s*\]\s*\)\s*,)re"_s);

    for (const SourceFile& file : files) {
        const QString& text = file.text;
        for (const QRegularExpressionMatch& m : call.globalMatch(text)) {
            const qsizetype open = m.capturedEnd() - 1;
            const QStringList args = TopLevelParts(text, open);
            // The entry checks' refuse(...) makes an EntryRefusal of its key; a refuse of
            // another file is some other function.
            if (m.captured(1) == u"refuse"_s && !text.contains(u"EntryRefusal{"_s))
                continue;
            const int index = m.captured(1) == u"Translate"_s ? 1 : 0;
            if (args.size() <= index)
                continue;
            QString arg = args.at(index);
            if (declaration.match(arg).hasMatch() && arg.contains(u' '))
                continue; // the function's own declaration or definition
            const QStringList literals = Literals(arg);
            if (!literals.isEmpty() && HasOutsideLiterals(arg, u'+')) {
                scan.prefixes << literals.first();
                continue;
            }
            if (!literals.isEmpty()) {
                // An empty key is no lookup: an entry refusal without one shows its fixed text.
                for (const QString& key : literals) {
                    if (!key.isEmpty())
                        AddKey(scan, key, file, m.capturedStart());
                }
                continue;
            }
            for (QRegularExpressionMatch w = wrapper.match(arg); w.hasMatch();
                 w = wrapper.match(arg))
                arg = w.captured(1).trimmed();
            if (identifier.match(arg).hasMatch()) {
                if (kForwarders.contains(file.path + u' ' + arg))
                    continue;
                const QStringList resolved = ResolveIdentifier(files, file, m.capturedStart(), arg);
                for (const QString& key : resolved)
                    AddKey(scan, key, file, m.capturedStart());
                if (!resolved.isEmpty())
                    continue;
            }
            scan.problems << u"%1:%2: the key of %3(%4) is not known"_s.arg(file.path)
                                 .arg(LineOf(text, m.capturedStart()))
                                 .arg(m.captured(1), args.join(u", "_s));
        }

        for (const QRegularExpressionMatch& m : table.globalMatch(text)) {
            const qsizetype brace = text.indexOf(u'{', m.capturedEnd());
            const qsizetype semicolon = text.indexOf(u';', m.capturedEnd());
            if (brace < 0 || (semicolon >= 0 && semicolon < brace))
                continue; // a declaration, not a table
            const qsizetype close = Closing(text, brace);
            const QString block = text.mid(brace, close - brace + 1);
            for (const QRegularExpressionMatch& k : tableKey.globalMatch(block))
                AddKey(scan, k.hasCaptured(1) ? k.captured(1) : k.captured(2), file,
                       brace + k.capturedStart());
        }

        // Rows added to a translation table with their keys taken from an array of literals.
        for (const QRegularExpressionMatch& m : pushedKey.globalMatch(text)) {
            const QRegularExpression isTable(u"\\bTranslationKeys\\s+%1\\b"_s.arg(m.captured(1)));
            if (!isTable.match(text.left(m.capturedStart())).hasMatch())
                continue;
            const QRegularExpression array(
                u"\\b%1\\s*\\[\\s*\\d*\\s*\\]\\s*=\\s*\\{([^}]*)\\}"_s.arg(m.captured(2)));
            QStringList keys;
            for (const QRegularExpressionMatch& a : array.globalMatch(text.left(m.capturedStart())))
                keys = Literals(a.captured(1));
            if (keys.isEmpty())
                scan.problems << u"%1:%2: the keys of the array %3 are not known"_s.arg(file.path)
                                     .arg(LineOf(text, m.capturedStart()))
                                     .arg(m.captured(2));
            for (const QString& key : std::as_const(keys))
                AddKey(scan, key, file, m.capturedStart());
        }

        for (const QRegularExpressionMatch& m : numbered.globalMatch(text)) {
            const QStringList args = TopLevelParts(text, m.capturedEnd() - 1);
            if (args.size() != 5 || Literals(args.at(1)).size() != 1)
                continue; // the declaration or definition of AddNumbered
            bool digitsOk = false;
            bool firstOk = false;
            const int digits = args.at(2).toInt(&digitsOk);
            const int first = args.at(3).toInt(&firstOk);
            const int count = NumberedCount(file, m.capturedStart(), args.at(4));
            if (!digitsOk || !firstOk || count <= 0) {
                scan.problems << u"%1:%2: the numbered keys of AddNumbered are not known"_s
                                     .arg(file.path)
                                     .arg(LineOf(text, m.capturedStart()));
                continue;
            }
            for (int n = first; n < first + count; ++n)
                AddKey(scan,
                       Literals(args.at(1)).first() + u"%1"_s.arg(n, digits, 10, QLatin1Char('0')),
                       file, m.capturedStart());
        }
    }
    return scan;
}

// One translation file the program ships, read line by line: its keys in file order, their
// texts, and the lines that break the rules of the shipped files (one "key=text" a line, UTF-8,
// no blank around the key or at the end of the text, each key once).
struct ShippedFile {
    QStringList keys;
    QHash<QString, QString> texts;
    QStringList problems;
};

ShippedFile ReadShipped(const QString& path) {
    ShippedFile shipped;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        shipped.problems << u"%1 cannot be read"_s.arg(path);
        return shipped;
    }
    const QByteArray bytes = f.readAll();
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString content = utf8.decode(bytes);
    if (utf8.hasError() || bytes.startsWith("\xEF\xBB\xBF") || bytes.contains('\r'))
        shipped.problems << u"not plain UTF-8 with line feeds"_s;
    const QStringList lines = content.split(u'\n');
    for (qsizetype n = 0; n < lines.size(); ++n) {
        const QString& line = lines.at(n);
        if (line.isEmpty() && n == lines.size() - 1)
            break;
        const qsizetype equals = line.indexOf(u'=');
        const QString key = line.left(equals);
        const QString text = line.mid(equals + 1);
        if (equals <= 0 || key.trimmed() != key || text.trimmed().isEmpty() ||
            text.trimmed() != text || shipped.texts.contains(key)) {
            shipped.problems << u"line %1: %2"_s.arg(n + 1).arg(line);
            continue;
        }
        shipped.keys << key;
        shipped.texts.insert(key, text);
    }
    return shipped;
}

// The %1, %2... markers of a text, which the callers fill with names and numbers.
QStringList Markers(const QString& text) {
    static const QRegularExpression marker(u"%\\d+"_s);
    QStringList found;
    for (const QRegularExpressionMatch& m : marker.globalMatch(text))
        found << m.captured();
    found.sort();
    return found;
}

// Keys whose Russian text is rightly written without Cyrillic letters: the program's name.
// The language code is a code, the same letters in every language.
const QSet<QString> kSameInRussian = {u"system001"_s, u"dbzovi5"_s, u"languagecode"_s};

QString SourceFolder() {
    return QStringLiteral(ZOVI_TEST_SOURCE_DIR);
}
QString ResourceFolder() {
    return QStringLiteral(ZOVI_TEST_RESOURCE_DIR);
}
QString BuiltProgramFolder() {
    return QStringLiteral(ZOVI_TEST_PROGRAM_DIR);
}

} // namespace

// Every translation key the program looks up has a text in each translation file that the build
// puts into the program folder (lang.ini in English, lang/ru.ini in Russian), and neither file
// holds a key that nothing looks up, so that no user reads "Error #7", a name with a leading
// blank or an English word in the middle of a translated window.
class TestLangKeys : public QObject {
    Q_OBJECT

    KeyScan m_scan;
    QTemporaryDir m_folder; // the program folder that a shipped file is tried in as lang.ini
    ShippedFile m_english;

    void addShippedRows() {
        QTest::addColumn<QString>("file");
        QTest::newRow("English") << u"lang.ini"_s;
        QTest::newRow("Russian") << u"lang/ru.ini"_s;
    }

private Q_SLOTS:
    void initTestCase() {
        m_scan = ScanSources(SourceFolder());
        // The grid labels the kinds without a group by "type" and the kind's code: those keys
        // are the kinds' label keys.
        QCOMPARE(m_scan.prefixes.isEmpty(), false);
        for (const QString& prefix : std::as_const(m_scan.prefixes))
            QCOMPARE(prefix, u"type"_s);
        for (int k = int(EntryKind::Income); k <= int(EntryKind::DebitRepayment); ++k) {
            const EntryKindInfo& info = Info(EntryKind(k));
            if (!info.labelKey)
                continue;
            QCOMPARE(QString::fromLatin1(info.labelKey), u"type"_s + QLatin1String(info.code));
            m_scan.keys[QString::fromLatin1(info.labelKey)] << u"ledger/entrykinds.cpp"_s;
        }
        QVERIFY(m_folder.isValid());
        m_english = ReadShipped(ResourceFolder() + u"/lang.ini"_s);
        QVERIFY(!m_english.keys.isEmpty());
    }
    void cleanupTestCase() { ProgramFolder::reset(); }

    // The scan reads every way a key reaches a lookup; each row is one such way.
    void scanFindsEveryLookup_data() {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("place");
        QTest::newRow("LangText") << u"err013"_s << u"ledger/currency.cpp"_s;
        QTest::newRow("LangString with a choice")
            << u"transferin"_s << u"ledger/transferdialog.cpp"_s;
        QTest::newRow("Translate") << u"move to"_s << u"ledger/movedialog.cpp"_s;
        QTest::newRow("a member set elsewhere") << u"caption009"_s << u"ledger/entrycontrols.cpp"_s;
        QTest::newRow("a local") << u"err020"_s << u"databases/databasecommands.cpp"_s;
        QTest::newRow("a range-for list") << u"sub-group"_s << u"ledger/ledgergridview.cpp"_s;
        QTest::newRow("an entry check") << u"err007"_s << u"ledger/transfer.cpp"_s;
        QTest::newRow("a translation table") << u"dbzovi5"_s << u"app/mainwindow_layout.cpp"_s;
        QTest::newRow("a returned table") << u"chart: groups"_s << u"charts/diagramspage.cpp"_s;
        QTest::newRow("a table row from an array")
            << u"perspective"_s << u"charts/diagramspage.cpp"_s;
        QTest::newRow("numbered from a vector")
            << u"button07"_s << u"ledger/ledgerpage_layout.cpp"_s;
        QTest::newRow("numbered from a list") << u"hint032"_s << u"ledger/filterpanel.cpp"_s;
        QTest::newRow("numbered from 8") << u"button10"_s << u"debts/debtspage.cpp"_s;
        QTest::newRow("a kind label") << u"typePD"_s << u"ledger/entrykinds.cpp"_s;
    }

    void scanFindsEveryLookup() {
        QFETCH(QString, key);
        QFETCH(QString, place);
        QVERIFY2(m_scan.problems.isEmpty(), qPrintable(m_scan.problems.join(u'\n')));
        QVERIFY2(m_scan.keys.contains(key), qPrintable(key));
        QVERIFY2(m_scan.keys.value(key).join(u' ').contains(place),
                 qPrintable(m_scan.keys.value(key).join(u' ')));
        // Numbered keys stop where their targets stop.
        QVERIFY(!m_scan.keys.contains(u"button11"_s));
        QVERIFY(!m_scan.keys.contains(u"hint033"_s));
        // Built-in texts passed beside a key are not keys.
        QVERIFY(!m_scan.keys.contains(u"Error #7"_s));
    }

    // A shipped file, put into a program folder as lang.ini (which is how a user switches the
    // language), gives a text to every key looked up, through the lookup itself. "err024" stays
    // out, since its presence makes closing the program ask for confirmation.
    void shippedFileHasEveryKey_data() { addShippedRows(); }
    void shippedFileHasEveryKey() {
        QFETCH(QString, file);
        const QString lang = m_folder.filePath(u"lang.ini"_s);
        QFile::remove(lang);
        QVERIFY(QFile::copy(ResourceFolder() + u'/' + file, lang));
        ProgramFolder::set(m_folder.path());
        QStringList missing;
        for (auto it = m_scan.keys.cbegin(); it != m_scan.keys.cend(); ++it) {
            if (it.key() == u"err024"_s)
                continue;
            QString text;
            if (!LangString(it.key(), text) || text.trimmed().isEmpty())
                missing << u"%1 (%2)"_s.arg(it.key(), it.value().join(u", "_s));
        }
        QVERIFY2(missing.isEmpty(), qPrintable(file + u" lacks:\n"_s + missing.join(u'\n')));
        QVERIFY(m_scan.keys.contains(u"err024"_s));
        QString confirm;
        QVERIFY(!LangString(u"err024"_s, confirm));
    }

    // A key nothing looks up is a text no user ever reads: a misspelt key, or one whose window
    // is gone. Each line follows the rules of the shipped files, and the build puts the very
    // same file into the program folder.
    void shippedFileHoldsOnlyLookedUpKeys_data() { addShippedRows(); }
    void shippedFileHoldsOnlyLookedUpKeys() {
        QFETCH(QString, file);
        const ShippedFile shipped = ReadShipped(ResourceFolder() + u'/' + file);
        QVERIFY2(shipped.problems.isEmpty(), qPrintable(shipped.problems.join(u'\n')));
        QStringList unused;
        for (const QString& key : shipped.keys) {
            if (!m_scan.keys.contains(key))
                unused << key;
        }
        QVERIFY2(unused.isEmpty(),
                 qPrintable(file + u" holds keys nothing looks up:\n"_s + unused.join(u'\n')));

        QFile source(ResourceFolder() + u'/' + file);
        QFile built(BuiltProgramFolder() + u'/' + file);
        QVERIFY(source.open(QIODevice::ReadOnly));
        QVERIFY2(built.open(QIODevice::ReadOnly), qPrintable(built.fileName()));
        QVERIFY2(source.readAll() == built.readAll(),
                 qPrintable(built.fileName() + u" is not the shipped file: rebuild"_s));
    }

    // The Russian file translates every English text and keeps its %1, %2... markers, which
    // the callers fill with file names and numbers.
    void translationKeepsMarkers() {
        const ShippedFile russian = ReadShipped(ResourceFolder() + u"/lang/ru.ini"_s);
        QStringList wrong;
        for (const QString& key : std::as_const(m_english.keys)) {
            const QString english = m_english.texts.value(key);
            if (!russian.texts.contains(key))
                wrong << key + u": not translated"_s;
            else if (Markers(russian.texts.value(key)) != Markers(english))
                wrong << u"%1: %2 against %3"_s.arg(key, russian.texts.value(key), english);
        }
        QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join(u'\n')));
        QCOMPARE(russian.keys.size(), m_english.keys.size());
        // Translated, not copied: a Russian text is written in Cyrillic letters.
        static const QRegularExpression cyrillic(u"[\\x{0400}-\\x{04FF}]"_s);
        QStringList english;
        for (const QString& key : std::as_const(russian.keys)) {
            if (!russian.texts.value(key).contains(cyrillic) && !kSameInRussian.contains(key))
                english << key;
        }
        QVERIFY2(english.isEmpty(), qPrintable(english.join(u'\n')));
    }
};

QTEST_GUILESS_MAIN(TestLangKeys)
#include "tst_langkeys.moc"
