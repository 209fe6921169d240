#include "core/language.h"

#include "core/lang.h"
#include "core/locale.h"
#include "core/paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QTranslator>
#include <memory>

using namespace Qt::StringLiterals;

namespace zovi {

QList<Language> Languages() {
    QStringList files{u"lang.ini"_s};
    const QDir folder(ProgramFolder::file(u"lang"_s));
    for (const QString& name : folder.entryList({u"*.ini"_s}, QDir::Files, QDir::Name))
        files << u"lang/"_s + name;
    QList<Language> languages;
    for (const QString& file : std::as_const(files)) {
        bool readable = false;
        QString name = QFileInfo(file).completeBaseName();
        LangString(u"language"_s, name, file, &readable);
        if (readable)
            languages.append({file, name});
    }
    // English as lang.ini and a kept copy as lang/en.ini: both listed, told apart by file.
    QStringList names;
    for (const Language& language : std::as_const(languages))
        names << language.name;
    for (Language& language : languages) {
        if (names.count(language.name) > 1)
            language.name += u" ("_s + QFileInfo(language.file).fileName() + u')';
    }
    return languages;
}

QString LanguageCode() {
    const QString file = ChosenLangFile();
    const QString byName = file == u"lang.ini"_s ? u"en"_s : QFileInfo(file).completeBaseName();
    const QString code = LangText(u"languagecode"_s, QString()).trimmed();
    return code.isEmpty() ? byName : code;
}

QLocale DateNamesLocale() {
    return QLocale(LanguageCode());
}

QString ShownDate(const QDate& date, const QString& format) {
    if (!date.isValid())
        return QString();
    const QLocale names = DateNamesLocale();
    QString shown = format.isEmpty() ? AppLocale::shortDateFormat() : format;
    // A month without its day stands alone: "май 2025", not the "мая" of "5 мая 2025".
    if (!shown.contains(u'd')) {
        const auto quoted = [](QString name) {
            return u'\'' + name.replace(u'\'', u"''"_s) + u'\'';
        };
        shown.replace(u"MMMM"_s,
                      quoted(names.standaloneMonthName(date.month(), QLocale::LongFormat)));
        shown.replace(u"MMM"_s,
                      quoted(names.standaloneMonthName(date.month(), QLocale::ShortFormat)));
    }
    return names.toString(date, shown);
}

QString HelpFile() {
    const QString chosen = ChosenLangFile();
    // The chosen file is lang.ini or a plain file of lang/; a language code from a file is
    // checked before it becomes part of a path.
    const QString code = LanguageCode();
    QString own;
    if (chosen != u"lang.ini"_s)
        own = chosen.chopped(4) + u".html"_s;
    else if (code != u"en"_s && IsPlainFileName(code))
        own = u"lang/"_s + code + u".html"_s;
    if (!own.isEmpty() && QFileInfo(ProgramFolder::file(own)).isFile())
        return ProgramFolder::file(own);
    return ProgramFolder::file(u"Help.html"_s);
}

bool ApplyLanguage() {
    static QTranslator* installed = nullptr;
    if (installed) {
        QCoreApplication::removeTranslator(installed);
        delete installed;
        installed = nullptr;
    }
    auto translator = std::make_unique<QTranslator>();
    const bool loaded = translator->load(u"qtbase_"_s + LanguageCode(),
                                         QLibraryInfo::path(QLibraryInfo::TranslationsPath));
    if (loaded) {
        QCoreApplication::installTranslator(translator.get());
        installed = translator.release();
    }
    // Also when no translator changed: the names of months and days follow the language.
    if (QCoreApplication::instance()) {
        QEvent change(QEvent::LanguageChange);
        QCoreApplication::sendEvent(QCoreApplication::instance(), &change);
    }
    return loaded;
}

} // namespace zovi
