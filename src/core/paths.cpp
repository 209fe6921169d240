#include "core/paths.h"

#include <QCoreApplication>
#include <QDir>

using namespace Qt::StringLiterals;

namespace zovi {

namespace {

// The folder given by set(); empty when none is.
QString& explicitFolder() {
    static QString folder;
    return folder;
}

// The folder with forward slashes and without trailing separators (the root stays "/").
QString withoutTrailingSeparator(const QString& folder) {
    QString result = QDir::fromNativeSeparators(folder);
    while (result.size() > 1 && result.endsWith(u'/'))
        result.chop(1);
    return result;
}

} // namespace

QString ProgramFolder::path() {
    if (!explicitFolder().isEmpty())
        return explicitFolder();
    const QString fromEnvironment = qEnvironmentVariable("ZOVI_PROGRAM_DIR");
    if (!fromEnvironment.isEmpty())
        return withoutTrailingSeparator(fromEnvironment);
    if (QCoreApplication::instance() != nullptr)
        return withoutTrailingSeparator(QCoreApplication::applicationDirPath());
    return withoutTrailingSeparator(QDir::currentPath());
}

QString ProgramFolder::file(const QString& name) {
    return path() + u'/' + name;
}

void ProgramFolder::set(const QString& folder) {
    explicitFolder() = withoutTrailingSeparator(folder);
}

void ProgramFolder::reset() {
    explicitFolder().clear();
}

} // namespace zovi
