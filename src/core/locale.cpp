#include "core/locale.h"

#include "core/clock.h"
#include "core/textutil.h"

#include <QLocale>
#include <QRegularExpression>
#include <optional>

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

// The words of a typed date: runs of digits and runs of letters, blanks and separators dropped.
QStringList DateWords(const QString& text) {
    static const QRegularExpression word(u"\\d+|[^\\d\\W_]+"_s,
                                         QRegularExpression::UseUnicodePropertiesOption);
    QStringList words;
    for (auto it = word.globalMatch(text); it.hasNext();)
        words << it.next().captured();
    return words;
}

// Whether word names name: equal, or at least three letters of its start; a name's closing dot
// is no letter ("мар.", "Sept").
bool Names(const QString& word, QString name) {
    name = name.toCaseFolded();
    if (name.endsWith(u'.'))
        name.chop(1);
    return word == name || (word.size() >= 3 && name.startsWith(word));
}

// The month (1-12) that word names in locale, in names or in English; none when it names none or
// more than one.
std::optional<int> MonthOfWord(const QString& word, const QLocale& locale, const QLocale& names) {
    std::optional<int> found;
    for (int month = 1; month <= 12; ++month) {
        bool match = false;
        for (const QLocale& l : {locale, names, QLocale::c()}) {
            for (QLocale::FormatType type : {QLocale::LongFormat, QLocale::ShortFormat}) {
                match = match || Names(word, l.monthName(month, type)) ||
                        Names(word, l.standaloneMonthName(month, type));
            }
        }
        if (match && found)
            return std::nullopt;
        if (match)
            found = month;
    }
    return found;
}

// Whether word is a weekday name in locale, in names or in English, or a letter the locale's
// long format writes as text beside the date (the Russian year mark "г").
bool IsDateWordToSkip(const QString& word, const QLocale& locale, const QLocale& names) {
    for (const QLocale& l : {locale, names, QLocale::c()}) {
        for (int day = 1; day <= 7; ++day) {
            if (Names(word, l.dayName(day, QLocale::LongFormat)) ||
                Names(word, l.dayName(day, QLocale::ShortFormat)))
                return true;
        }
    }
    const QString longFormat = locale.dateFormat(QLocale::LongFormat);
    const QStringList quoted = longFormat.split(u'\'');
    for (qsizetype i = 1; i < quoted.size(); i += 2) {
        if (DateWords(quoted.at(i).toCaseFolded()).contains(word))
            return true;
    }
    return false;
}

// The year of a typed year of two or four digits; 0 for any other length.
int YearOf(const QString& digits) {
    if (digits.size() == 4)
        return digits.toInt();
    if (digits.size() != 2)
        return 0;
    const int year = 2000 + digits.toInt();
    return year > Clock::today().year() + 20 ? year - 100 : year;
}

// The date of a day, a month and a year typed as numbers; invalid when a day or a month has
// more than two digits.
QDate DateOf(const QString& day, int month, const QString& year) {
    if (day.size() > 2)
        return QDate();
    return QDate(YearOf(year), month, day.toInt());
}

// Whether the locale's short format writes the month before the day ("M/d/yy").
bool MonthFirst(const QLocale& locale) {
    const QString format = locale.dateFormat(QLocale::ShortFormat);
    const qsizetype month = format.indexOf(u'M');
    const qsizetype day = format.indexOf(u'd');
    return month >= 0 && day >= 0 && month < day;
}

} // namespace

QDate ReadTypedDate(const QString& text, const QLocale& locale, const QString& shownFormat,
                    const QLocale& names) {
    const QString simple = text.simplified();
    if (simple.isEmpty())
        return QDate();
    // The shown text itself: the shown format written with the names of names.
    if (!shownFormat.isEmpty()) {
        if (const QDate date = names.toDate(simple, shownFormat); date.isValid())
            return date;
    }
    for (const QString& format : {shownFormat, locale.dateFormat(QLocale::LongFormat)}) {
        if (format.isEmpty())
            continue;
        if (const QDate date = locale.toDate(simple, format); date.isValid())
            return date;
    }
    QStringList numbers;
    std::optional<int> month;
    for (const QString& word : DateWords(simple.toCaseFolded())) {
        if (word.front().isDigit()) {
            numbers << word;
        } else if (const auto named = MonthOfWord(word, locale, names); named && !month) {
            month = named;
        } else if (!IsDateWordToSkip(word, locale, names)) {
            return QDate();
        }
    }
    if (month) {
        // "5 Mar 2024", "March 5, 2024", "2024 Mar 5": a four-digit number is the year.
        if (numbers.size() != 2)
            return QDate();
        const bool yearFirst = numbers.at(0).size() == 4;
        return DateOf(numbers.at(yearFirst ? 1 : 0), *month, numbers.at(yearFirst ? 0 : 1));
    }
    if (numbers.size() != 3)
        return QDate();
    if (numbers.at(0).size() == 4) // a year first, as ISO writes dates
        return numbers.at(1).size() <= 2
                   ? DateOf(numbers.at(2), numbers.at(1).toInt(), numbers.at(0))
                   : QDate();
    const bool monthFirst = MonthFirst(locale);
    const QString& monthDigits = numbers.at(monthFirst ? 0 : 1);
    if (monthDigits.size() > 2)
        return QDate();
    return DateOf(numbers.at(monthFirst ? 1 : 0), monthDigits.toInt(), numbers.at(2));
}

bool MayBecomeDate(const QString& text) {
    static const QRegularExpression possible(u"^[\\w\\s.,/'-]{0,64}$"_s,
                                             QRegularExpression::UseUnicodePropertiesOption);
    static const QRegularExpression longNumber(u"\\d{5}"_s);
    return possible.match(text).hasMatch() && !longNumber.match(text).hasMatch();
}

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
