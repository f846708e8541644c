#include "oledb/connection.h"

#include "oledb/connectionstring.h"
#include "oledb/formaterror.h"

namespace oledb {

void Connection::SetConnectionString(const QString &value)
{
    try {
        ConnectionString::parse(value);
    } catch (const FormatError &) {
        m_refused = value;
        throw;
    }
    m_connectionString = value;
    m_refused.clear();
}

} // namespace oledb
