#pragma once

#include "platform/automation.h"

namespace oledb {

// The connection object behind the Data Link dialog. It checks the syntax of what it is given
// but never rewrites it: a string that comes in comes out exactly as it was.
class Connection final : public platform::IConnection
{
public:
    Connection() = default;

    QString defaultValue() override { return m_connectionString; }
    QString ConnectionString() override { return m_connectionString; }
    // Throws FormatError for a malformed string and keeps the string it held.
    void SetConnectionString(const QString &value) override;

    // The last text refused, until a string is accepted: what the Data Link dialog explains
    // when it is asked to edit a connection whose text could not be read.
    QString refusedText() const { return m_refused; }

private:
    QString m_connectionString;
    QString m_refused;
};

} // namespace oledb
