#include "core/skin.h"

#include "core/paths.h"
#include "core/textutil.h"

#include <QApplication>
#include <QFile>
#include <QRegularExpression>

namespace zovi {

namespace {

QString& Loaded() {
    static QString path;
    return path;
}

} // namespace

bool SkinEngine::isStyleSheet(const QString& text) {
    // Comments go first; what is left must be rules "selectors { declarations }", with at
    // least one rule, braces balanced and never nested, and no declaration outside a rule.
    QString rest = text;
    rest.remove(QRegularExpression(QStringLiteral("/\\*.*?\\*/"),
                                   QRegularExpression::DotMatchesEverythingOption));
    int depth = 0;
    int rules = 0;
    QString outside;
    for (const QChar c : rest) {
        if (c == u'{') {
            if (depth > 0 || outside.trimmed().isEmpty())
                return false;
            ++depth;
            outside.clear();
        } else if (c == u'}') {
            if (depth == 0)
                return false;
            --depth;
            ++rules;
        } else if (depth == 0) {
            if (c == u';' || (c.category() == QChar::Other_Control && !c.isSpace()))
                return false;
            outside += c;
        }
    }
    return depth == 0 && rules > 0 && outside.trimmed().isEmpty();
}

bool SkinEngine::load(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QString text = DecodeText(file.readAll());
    if (!isStyleSheet(text))
        return false;
    qApp->setStyleSheet(text);
    Loaded() = path;
    return true;
}

QString SkinEngine::loaded() {
    return Loaded();
}

QString SkinEngine::defaultSkin() {
    return ProgramFolder::file(QStringLiteral("Skins/Longhorn.sui"));
}

void SkinEngine::reset() {
    Loaded().clear();
    if (qApp)
        qApp->setStyleSheet(QString());
}

} // namespace zovi
