#include "fakedrivermanager.h"

#include <sql.h>
#include <sqlext.h>
#include <sqlucode.h>

#include <algorithm>
#include <mutex>

namespace {

struct FakeHandle
{
    long loginTimeoutSeconds = -1;
};

std::mutex mutex;
fakedrivermanager::LogOn logOn;

FakeHandle *fake(SQLHANDLE handle)
{
    return static_cast<FakeHandle *>(handle);
}

} // namespace

namespace fakedrivermanager {

LogOn lastLogOn()
{
    const std::lock_guard lock(mutex);
    return logOn;
}

void forget()
{
    const std::lock_guard lock(mutex);
    logOn = {};
}

} // namespace fakedrivermanager

// The entry points the code resolves, with the driver manager's own signatures.

SQLRETURN SQL_API SQLAllocHandle(SQLSMALLINT, SQLHANDLE, SQLHANDLE *output)
{
    *output = new FakeHandle;
    return SQL_SUCCESS;
}

SQLRETURN SQL_API SQLFreeHandle(SQLSMALLINT, SQLHANDLE handle)
{
    delete fake(handle);
    return SQL_SUCCESS;
}

SQLRETURN SQL_API SQLGetDiagRecW(SQLSMALLINT, SQLHANDLE, SQLSMALLINT, SQLWCHAR *, SQLINTEGER *,
                                 SQLWCHAR *, SQLSMALLINT, SQLSMALLINT *)
{
    return SQL_NO_DATA;
}

SQLRETURN SQL_API SQLSetEnvAttr(SQLHENV, SQLINTEGER, SQLPOINTER, SQLINTEGER)
{
    return SQL_SUCCESS;
}

SQLRETURN SQL_API SQLSetConnectAttrW(SQLHDBC connection, SQLINTEGER attribute, SQLPOINTER value,
                                     SQLINTEGER)
{
    if (attribute == SQL_ATTR_LOGIN_TIMEOUT)
        fake(connection)->loginTimeoutSeconds = long(reinterpret_cast<SQLULEN>(value));
    return SQL_SUCCESS;
}

SQLRETURN SQL_API SQLDriverConnectW(SQLHDBC connection, SQLHWND, SQLWCHAR *in, SQLSMALLINT length,
                                    SQLWCHAR *, SQLSMALLINT, SQLSMALLINT *, SQLUSMALLINT)
{
    const std::lock_guard lock(mutex);
    ++logOn.attempts;
    logOn.loginTimeoutSeconds = fake(connection)->loginTimeoutSeconds;
    logOn.connectionString = QString::fromUtf16(reinterpret_cast<const char16_t *>(in),
                                                length == SQL_NTS ? -1 : length);
    return SQL_ERROR;
}

SQLRETURN SQL_API SQLDisconnect(SQLHDBC)
{
    return SQL_SUCCESS;
}

// One system data source, CorvantaMaria, for the MariaDB driver, whatever the ODBC configuration
// says.
SQLRETURN SQL_API SQLDataSourcesW(SQLHENV, SQLUSMALLINT direction, SQLWCHAR *name,
                                  SQLSMALLINT nameSize, SQLSMALLINT *nameLength,
                                  SQLWCHAR *description, SQLSMALLINT descriptionSize,
                                  SQLSMALLINT *descriptionLength)
{
    if (direction != SQL_FETCH_FIRST && direction != SQL_FETCH_FIRST_SYSTEM)
        return SQL_NO_DATA;
    const auto put
        = [](const QString &text, SQLWCHAR *buffer, SQLSMALLINT size, SQLSMALLINT *length) {
              const qsizetype count = std::min<qsizetype>(text.size(), size - 1);
              std::copy_n(reinterpret_cast<const SQLWCHAR *>(text.utf16()), count, buffer);
              buffer[count] = 0;
              *length = SQLSMALLINT(text.size());
          };
    put(QStringLiteral("CorvantaMaria"), name, nameSize, nameLength);
    put(QStringLiteral("MariaDB Unicode"), description, descriptionSize, descriptionLength);
    return SQL_SUCCESS;
}

SQLRETURN SQL_API SQLDriversW(SQLHENV, SQLUSMALLINT, SQLWCHAR *, SQLSMALLINT, SQLSMALLINT *,
                              SQLWCHAR *, SQLSMALLINT, SQLSMALLINT *)
{
    return SQL_NO_DATA;
}

SQLRETURN SQL_API SQLFetch(SQLHSTMT)
{
    return SQL_NO_DATA;
}

SQLRETURN SQL_API SQLGetData(SQLHSTMT, SQLUSMALLINT, SQLSMALLINT, SQLPOINTER, SQLLEN, SQLLEN *)
{
    return SQL_ERROR;
}

SQLRETURN SQL_API SQLGetInfoW(SQLHDBC, SQLUSMALLINT, SQLPOINTER, SQLSMALLINT, SQLSMALLINT *)
{
    return SQL_ERROR;
}

SQLRETURN SQL_API SQLSetStmtAttrW(SQLHSTMT, SQLINTEGER, SQLPOINTER, SQLINTEGER)
{
    return SQL_SUCCESS;
}

SQLRETURN SQL_API SQLTablesW(SQLHSTMT, SQLWCHAR *, SQLSMALLINT, SQLWCHAR *, SQLSMALLINT, SQLWCHAR *,
                             SQLSMALLINT, SQLWCHAR *, SQLSMALLINT)
{
    return SQL_ERROR;
}

SQLRETURN SQL_API SQLExecDirectW(SQLHSTMT, SQLWCHAR *, SQLINTEGER)
{
    return SQL_ERROR;
}
