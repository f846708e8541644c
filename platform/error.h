#pragma once

#include <QString>

#include <stdexcept>

namespace platform {

// The one way a platform operation fails. Carries the text a user would see and, where the
// platform call that failed gives one, that call's own code; 0 otherwise.
class Error : public std::runtime_error
{
public:
    explicit Error(const QString &message, qint64 code = 0);

    QString message() const { return m_message; }
    qint64 code() const { return m_code; }

private:
    QString m_message;
    qint64 m_code;
};

} // namespace platform
