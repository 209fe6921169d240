#include "core/lang.h"

#include "core/paths.h"
#include "core/settings.h"
#include "core/textutil.h"

#include <QFile>
#include <QHash>
#include <QMutex>
#include <QMutexLocker>

using namespace Qt::StringLiterals;

namespace zovi {

namespace {

// Upper-cases the letters a to z and nothing else, so that keys written in other alphabets
// compare with their case.
QString foldKey(const QString& key) {
    QString folded = key;
    for (QChar& c : folded) {
        if (c >= u'a' && c <= u'z')
            c = QChar(c.unicode() - (u'a' - u'A'));
    }
    return folded;
}

// The table of one lang.ini: folded key to text, the last line of a key winning.
QHash<QString, QString> parseTable(const QByteArray& bytes) {
    QHash<QString, QString> table;
    const QString content = DecodeText(bytes);
    qsizetype start = 0;
    while (start < content.size()) {
        qsizetype end = content.indexOf(u'\n', start);
        const qsizetype next = end < 0 ? content.size() : end + 1;
        if (end < 0)
            end = content.size();
        QString line = content.mid(start, end - start);
        if (line.endsWith(u'\r'))
            line.chop(1);
        start = next;

        const qsizetype equals = line.indexOf(u'=');
        if (equals >= 0) {
            table.insert(foldKey(line.left(equals)), line.mid(equals + 1));
        } else {
            // A line without "=" still takes a key: the line less its last character, with an
            // empty text. This keeps lookups the same as they have always been.
            table.insert(foldKey(line.left(qMax<qsizetype>(0, line.size() - 1))), QString());
        }
    }
    return table;
}

// The last file read and its table. The file is read at every lookup, so that an edit takes
// effect at once; it is parsed again only when its bytes differ from the last ones.
struct LangCache {
    QMutex mutex;
    QString path;
    QByteArray bytes;
    QHash<QString, QString> table;
    bool valid = false;
};

LangCache& cache() {
    static LangCache c;
    return c;
}

} // namespace

QString ChosenLangFile() {
    const QString chosen = settings::language.read();
    const QString folder = u"lang/"_s;
    const bool inFolder = chosen.startsWith(folder) && IsPlainFileName(chosen.mid(folder.size()));
    return inFolder && chosen.endsWith(u".ini"_s, Qt::CaseInsensitive) ? chosen : u"lang.ini"_s;
}

bool LangString(const QString& key, QString& text) {
    const QString chosen = ChosenLangFile();
    // A chosen file that has gone or cannot be read gives way to lang.ini.
    if (chosen != u"lang.ini"_s && QFile::exists(ProgramFolder::file(chosen))) {
        bool readable = false;
        const bool found = LangString(key, text, chosen, &readable);
        if (readable)
            return found;
    }
    return LangString(key, text, u"lang.ini"_s);
}

bool LangString(const QString& key, QString& text, const QString& file, bool* readable) {
    if (readable)
        *readable = false;
    const QString path = ProgramFolder::file(file);
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = f.readAll();
    if (f.error() != QFileDevice::NoError)
        return false;
    f.close();
    if (readable)
        *readable = true;

    LangCache& c = cache();
    QMutexLocker lock(&c.mutex);
    if (!c.valid || c.path != path || c.bytes != bytes) {
        c.table = parseTable(bytes);
        c.path = path;
        c.bytes = bytes;
        c.valid = true;
    }
    const auto found = c.table.constFind(foldKey(key));
    if (found == c.table.constEnd())
        return false;
    text = found.value();
    return true;
}

QString LangText(const QString& key, const QString& fallback) {
    QString text = fallback;
    LangString(key, text);
    return text;
}

} // namespace zovi
