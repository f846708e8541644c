#include "platform/error.h"

namespace platform {

Error::Error(const QString &message, qint64 code)
    : std::runtime_error(message.toStdString())
    , m_message(message)
    , m_code(code)
{ }

} // namespace platform
