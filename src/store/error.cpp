#include "store/error.h"

#include <utility>

namespace zovi {

StoreError::StoreError(QString message)
    : m_message(std::move(message)), m_utf8(m_message.toUtf8()) {}

} // namespace zovi
