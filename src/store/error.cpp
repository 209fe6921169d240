#include "store/error.h"

#include "core/lang.h"

#include <utility>

namespace zovi {

StoreError::StoreError(QString message)
    : m_message(std::move(message)), m_utf8(m_message.toUtf8()) {}

QString ReadOnlyMessage() {
    return LangText(QStringLiteral("readonlydb"),
                    QStringLiteral("The database is read-only: it can be browsed, but changes "
                                   "cannot be saved."));
}

QString CannotOpenMessage(const QString& path, const QString& why) {
    return LangText(QStringLiteral("cannotopentable"),
                    QStringLiteral("Cannot open the table file %1: %2"))
        .arg(path, why);
}

QString CannotReadMessage(const QString& path, const QString& why) {
    return LangText(QStringLiteral("cannotreadtable"),
                    QStringLiteral("Cannot read the table file %1: %2"))
        .arg(path, why);
}

QString CannotWriteMessage(const QString& path, const QString& why) {
    return LangText(QStringLiteral("cannotwritetable"),
                    QStringLiteral("Cannot write to the table file %1: %2"))
        .arg(path, why);
}

} // namespace zovi
