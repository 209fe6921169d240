#include "core/locale.h"

#include "core/textutil.h"

#include <QLocale>

using namespace Qt::StringLiterals;

namespace zovi {

namespace {

// The conventions in force. They are read from the system locale at first use unless a caller
// set them before.
struct LocaleState {
    bool loaded = false;
    QChar separator = u'.';
    QString dateFormat = u"dd.MM.yyyy"_s;
};

LocaleState& state() {
    static LocaleState s;
    return s;
}

const LocaleState& loadedState() {
    if (!state().loaded)
        AppLocale::loadFromSystem();
    return state();
}

} // namespace

QChar AppLocale::decimalSeparator() {
    return loadedState().separator;
}

QString AppLocale::shortDateFormat() {
    return loadedState().dateFormat;
}

void AppLocale::loadFromSystem() {
    const QLocale system = QLocale::system();
    const QString point = system.decimalPoint();
    const QString format = system.dateFormat(QLocale::ShortFormat);
    set(point.isEmpty() ? QChar(u'.') : point.at(0),
        format.isEmpty() ? u"dd.MM.yyyy"_s : widenYear(format));
}

void AppLocale::set(QChar decimalSeparator, const QString& shortDateFormat) {
    LocaleState& s = state();
    s.separator = decimalSeparator;
    s.dateFormat = shortDateFormat;
    s.loaded = true;
}

QString AppLocale::formatDate(const QDate& date) {
    if (!date.isValid())
        return QString();
    // The C locale keeps the digits ASCII whatever the user's language is.
    return QLocale::c().toString(date, shortDateFormat());
}

QDate AppLocale::parseDate(const QString& text) {
    const QString stripped = StripBlanks(text);
    if (stripped.isEmpty())
        return QDate();
    return QDate::fromString(stripped, shortDateFormat());
}

QString AppLocale::widenYear(const QString& format) {
    // Only a run of exactly two "y" outside quoted literal text is a two-digit year.
    QString result;
    result.reserve(format.size() + 2);
    bool quoted = false;
    qsizetype i = 0;
    while (i < format.size()) {
        const QChar c = format.at(i);
        if (c == u'\'') {
            quoted = !quoted;
            result.append(c);
            ++i;
            continue;
        }
        if (quoted || c != u'y') {
            result.append(c);
            ++i;
            continue;
        }
        qsizetype run = 0;
        while (i + run < format.size() && format.at(i + run) == u'y')
            ++run;
        result.append(run == 2 ? u"yyyy"_s : format.mid(i, run));
        i += run;
    }
    return result;
}

} // namespace zovi
