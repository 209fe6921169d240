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

} // namespace zovi
