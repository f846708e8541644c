#include "drivers/odbc.h"

#include <sql.h>
#include <sqlext.h>
#include <sqlucode.h>

#include <QCollator>

#include <algorithm>
#include <memory>

namespace drivers::odbc {

namespace {

static_assert(sizeof(SQLWCHAR) == sizeof(char16_t),
              "unixODBC must be built with two-byte SQLWCHAR, as Debian's is");

class Handle
{
public:
    Handle(SQLSMALLINT type, SQLHANDLE parent)
        : m_type(type)
    {
        if (!SQL_SUCCEEDED(SQLAllocHandle(type, parent, &m_handle)))
            m_handle = SQL_NULL_HANDLE;
    }
    Handle(const Handle &) = delete;
    Handle &operator=(const Handle &) = delete;
    ~Handle()
    {
        if (m_handle != SQL_NULL_HANDLE)
            SQLFreeHandle(m_type, m_handle);
    }

    SQLHANDLE get() const { return m_handle; }
    bool isValid() const { return m_handle != SQL_NULL_HANDLE; }
    SQLSMALLINT type() const { return m_type; }

private:
    SQLSMALLINT m_type;
    SQLHANDLE m_handle = SQL_NULL_HANDLE;
};

const SQLWCHAR *wide(const QString &text)
{
    return reinterpret_cast<const SQLWCHAR *>(text.utf16());
}

QString fromWide(const SQLWCHAR *text, qsizetype length)
{
    return QString::fromUtf16(reinterpret_cast<const char16_t *>(text), length);
}

QString diagnosticsOf(const Handle &handle)
{
    QStringList lines;
    for (SQLSMALLINT record = 1;; ++record) {
        SQLWCHAR state[6] = {};
        SQLINTEGER nativeError = 0;
        SQLWCHAR message[SQL_MAX_MESSAGE_LENGTH * 2] = {};
        SQLSMALLINT length = 0;
        const SQLRETURN rc
            = SQLGetDiagRecW(handle.type(), handle.get(), record, state, &nativeError, message,
                             SQLSMALLINT(std::size(message)), &length);
        if (!SQL_SUCCEEDED(rc))
            break;
        length = std::min<SQLSMALLINT>(length, SQLSMALLINT(std::size(message) - 1));
        lines.append(fromWide(message, length).trimmed());
    }
    lines.removeAll(QString());
    lines.removeDuplicates();
    return lines.join(u'\n');
}

std::unique_ptr<Handle> environment(QString *failure)
{
    auto env = std::make_unique<Handle>(SQLSMALLINT(SQL_HANDLE_ENV), SQLHANDLE(SQL_NULL_HANDLE));
    if (!env->isValid()) {
        if (failure)
            *failure = QStringLiteral("The ODBC driver manager could not be started.");
        return nullptr;
    }
    SQLSetEnvAttr(env->get(), SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    return env;
}

QString attributeValue(const SQLWCHAR *attributes, SQLSMALLINT length, QStringView key)
{
    // NUL-separated `key=value` pairs.
    const QString all = fromWide(attributes, length);
    for (const auto &piece : all.split(u'\0', Qt::SkipEmptyParts)) {
        const qsizetype assign = piece.indexOf(u'=');
        if (assign > 0
            && QStringView(piece).first(assign).trimmed().compare(key, Qt::CaseInsensitive) == 0)
            return piece.mid(assign + 1).trimmed();
    }
    return {};
}

} // namespace

ConnectOutcome driverConnect(const QString &connectionString, int loginTimeoutSeconds)
{
    QString failure;
    auto env = environment(&failure);
    if (!env)
        return {false, failure};
    Handle connection(SQL_HANDLE_DBC, env->get());
    if (!connection.isValid())
        return {false, diagnosticsOf(*env)};
    SQLSetConnectAttrW(connection.get(), SQL_ATTR_LOGIN_TIMEOUT,
                       reinterpret_cast<SQLPOINTER>(SQLULEN(loginTimeoutSeconds)), 0);

    const SQLRETURN rc = SQLDriverConnectW(connection.get(), nullptr,
                                           const_cast<SQLWCHAR *>(wide(connectionString)), SQL_NTS,
                                           nullptr, 0, nullptr, SQL_DRIVER_NOPROMPT);
    ConnectOutcome outcome {SQL_SUCCEEDED(rc), QString()};
    if (!outcome.connected)
        outcome.diagnostics = diagnosticsOf(connection);
    else
        SQLDisconnect(connection.get());
    return outcome;
}

QStringList dataSourceNames()
{
    auto env = environment(nullptr);
    if (!env)
        return {};
    QStringList names;
    SQLUSMALLINT direction = SQL_FETCH_FIRST;
    while (true) {
        // The driver manager allows names longer than the classic 32-character limit.
        SQLWCHAR name[256] = {};
        SQLWCHAR description[512] = {};
        SQLSMALLINT nameLength = 0;
        SQLSMALLINT descriptionLength = 0;
        const SQLRETURN rc = SQLDataSourcesW(
            env->get(), direction, name, SQLSMALLINT(std::size(name)), &nameLength, description,
            SQLSMALLINT(std::size(description)), &descriptionLength);
        if (!SQL_SUCCEEDED(rc))
            break;
        direction = SQL_FETCH_NEXT;
        names.append(
            fromWide(name, std::min<qsizetype>(nameLength, qsizetype(std::size(name)) - 1)));
    }
    names.removeAll(QString());
    names.removeDuplicates();
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::sort(names.begin(), names.end(), collator);
    return names;
}

QList<Driver> installedDrivers()
{
    auto env = environment(nullptr);
    if (!env)
        return {};
    QList<Driver> drivers;
    SQLUSMALLINT direction = SQL_FETCH_FIRST;
    while (true) {
        SQLWCHAR name[256] = {};
        SQLWCHAR attributes[2048] = {};
        SQLSMALLINT nameLength = 0;
        SQLSMALLINT attributesLength = 0;
        const SQLRETURN rc
            = SQLDriversW(env->get(), direction, name, SQLSMALLINT(std::size(name)), &nameLength,
                          attributes, SQLSMALLINT(std::size(attributes)), &attributesLength);
        if (!SQL_SUCCEEDED(rc))
            break;
        direction = SQL_FETCH_NEXT;
        drivers.append(
            {fromWide(name, std::min<qsizetype>(nameLength, qsizetype(std::size(name)) - 1)),
             attributeValue(
                 attributes,
                 std::min<SQLSMALLINT>(attributesLength, SQLSMALLINT(std::size(attributes) - 1)),
                 u"Driver")});
    }
    return drivers;
}

} // namespace drivers::odbc
