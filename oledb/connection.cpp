#include "oledb/connection.h"

#include "oledb/connectionstring.h"

namespace oledb {

void Connection::SetConnectionString(const QString &value)
{
    ConnectionString::parse(value);
    m_connectionString = value;
}

} // namespace oledb
