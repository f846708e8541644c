#include "drivers/odbc.h"

#include "drivers/sortnames.h"
#include "oledb/odbcattributes.h"

#include <QDir>
#include <QFileInfo>

#include <sql.h>
#include <sqlext.h>
#include <sqlucode.h>

#include <algorithm>
#include <dlfcn.h>
#include <memory>
#include <optional>

namespace drivers::odbc {

namespace {

// The driver manager is loaded when it is first needed rather than with the program: most runs
// never test a connection or list the data sources, and start-up should not pay for them.
// Loaded globally, as linking would have, so the drivers it loads in turn see what they expect.
struct DriverManager
{
    decltype(&::SQLAllocHandle) allocHandle = nullptr;
    decltype(&::SQLFreeHandle) freeHandle = nullptr;
    decltype(&::SQLGetDiagRecW) getDiagRec = nullptr;
    decltype(&::SQLSetEnvAttr) setEnvAttr = nullptr;
    decltype(&::SQLSetConnectAttrW) setConnectAttr = nullptr;
    decltype(&::SQLDriverConnectW) driverConnect = nullptr;
    decltype(&::SQLDisconnect) disconnect = nullptr;
    decltype(&::SQLDataSourcesW) dataSources = nullptr;
    decltype(&::SQLDriversW) drivers = nullptr;
    decltype(&::SQLFetch) fetch = nullptr;
    decltype(&::SQLGetData) getData = nullptr;
    decltype(&::SQLGetInfoW) getInfo = nullptr;
    decltype(&::SQLSetStmtAttrW) setStmtAttr = nullptr;
    decltype(&::SQLTablesW) tables = nullptr;
    decltype(&::SQLExecDirectW) execDirect = nullptr;
};

template<typename Function> bool resolve(void *library, const char *name, Function &function)
{
    function = reinterpret_cast<Function>(dlsym(library, name));
    return function != nullptr;
}

// Null when the driver manager cannot be loaded; then no ODBC handle can be had either.
const DriverManager *driverManager()
{
    static const std::optional<DriverManager> loaded = []() -> std::optional<DriverManager> {
        void *library = dlopen(CORVANTA_ODBC_LIBRARY, RTLD_NOW | RTLD_GLOBAL);
        if (!library)
            return std::nullopt;
        DriverManager api;
        if (resolve(library, "SQLAllocHandle", api.allocHandle)
            && resolve(library, "SQLFreeHandle", api.freeHandle)
            && resolve(library, "SQLGetDiagRecW", api.getDiagRec)
            && resolve(library, "SQLSetEnvAttr", api.setEnvAttr)
            && resolve(library, "SQLSetConnectAttrW", api.setConnectAttr)
            && resolve(library, "SQLDriverConnectW", api.driverConnect)
            && resolve(library, "SQLDisconnect", api.disconnect)
            && resolve(library, "SQLDataSourcesW", api.dataSources)
            && resolve(library, "SQLDriversW", api.drivers)
            && resolve(library, "SQLFetch", api.fetch)
            && resolve(library, "SQLGetData", api.getData)
            && resolve(library, "SQLGetInfoW", api.getInfo)
            && resolve(library, "SQLSetStmtAttrW", api.setStmtAttr)
            && resolve(library, "SQLTablesW", api.tables)
            && resolve(library, "SQLExecDirectW", api.execDirect))
            return api;
        dlclose(library);
        return std::nullopt;
    }();
    return loaded ? &*loaded : nullptr;
}

// Only once an environment handle exists, which proves the driver manager loaded.
const DriverManager &api()
{
    return *driverManager();
}

static_assert(sizeof(SQLWCHAR) == sizeof(char16_t),
              "unixODBC must be built with two-byte SQLWCHAR, as Debian's is");

class Handle
{
public:
    Handle(SQLSMALLINT type, SQLHANDLE parent)
        : m_type(type)
    {
        const DriverManager *manager = driverManager();
        if (!manager || !SQL_SUCCEEDED(manager->allocHandle(type, parent, &m_handle)))
            m_handle = SQL_NULL_HANDLE;
    }
    Handle(const Handle &) = delete;
    Handle &operator=(const Handle &) = delete;
    ~Handle()
    {
        if (m_handle != SQL_NULL_HANDLE)
            api().freeHandle(m_type, m_handle);
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

// The `length` characters the driver manager says it wrote into `buffer`, cut where the buffer
// was too short for them.
template<std::size_t Size> QString fromBuffer(const SQLWCHAR (&buffer)[Size], qsizetype length)
{
    return fromWide(buffer, std::clamp<qsizetype>(length, 0, qsizetype(Size) - 1));
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
            = api().getDiagRec(handle.type(), handle.get(), record, state, &nativeError, message,
                               SQLSMALLINT(std::size(message)), &length);
        if (!SQL_SUCCEEDED(rc))
            break;
        lines.append(fromBuffer(message, length).trimmed());
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
    api().setEnvAttr(env->get(), SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3),
                     0);
    return env;
}

QString attributeValue(const QString &attributes, QStringView key)
{
    // NUL-separated `key=value` pairs.
    for (const auto &piece : attributes.split(u'\0', Qt::SkipEmptyParts)) {
        const qsizetype assign = piece.indexOf(u'=');
        if (assign > 0
            && QStringView(piece).first(assign).trimmed().compare(key, Qt::CaseInsensitive) == 0)
            return piece.mid(assign + 1).trimmed();
    }
    return {};
}

// A column of the row fetched last, as text; nullopt for a null or when the driver will not
// give it. Text longer than the buffer is cut, which no name of a database or table reaches.
std::optional<QString> textOf(const Handle &statement, SQLUSMALLINT column)
{
    SQLWCHAR text[1024] = {};
    SQLLEN length = 0;
    if (!SQL_SUCCEEDED(
            api().getData(statement.get(), column, SQL_C_WCHAR, text, sizeof text, &length))
        || length == SQL_NULL_DATA || length < 0)
        return std::nullopt;
    return fromBuffer(text, length / qsizetype(sizeof(SQLWCHAR))).trimmed();
}

// Fetches every row, calling `visit` on each; false when a fetch fails.
bool forEachRow(const Handle &statement, const std::function<void()> &visit)
{
    while (true) {
        const SQLRETURN rc = api().fetch(statement.get());
        if (rc == SQL_NO_DATA)
            return true;
        if (!SQL_SUCCEEDED(rc))
            return false;
        visit();
    }
}

// One column of every row, leaving out nulls.
bool fetchColumn(const Handle &statement, SQLUSMALLINT column, QStringList *names)
{
    return forEachRow(statement, [&] {
        if (const std::optional<QString> name = textOf(statement, column))
            names->append(*name);
    });
}

QString dbmsName(const Handle &connection)
{
    SQLWCHAR name[256] = {};
    SQLSMALLINT length = 0;
    if (!SQL_SUCCEEDED(api().getInfo(connection.get(), SQL_DBMS_NAME, name, sizeof name, &length)))
        return {};
    return fromBuffer(name, length / qsizetype(sizeof(SQLWCHAR)));
}

std::unique_ptr<Handle> statementOf(const Handle &connection, int timeoutSeconds)
{
    auto statement = std::make_unique<Handle>(SQLSMALLINT(SQL_HANDLE_STMT), connection.get());
    if (!statement->isValid())
        return nullptr;
    api().setStmtAttr(statement->get(), SQL_ATTR_QUERY_TIMEOUT,
                      reinterpret_cast<SQLPOINTER>(SQLULEN(timeoutSeconds)), 0);
    return statement;
}

// Each configured data source from `first` on (SQL_FETCH_FIRST for all) with the driver it names
// (unixODBC's description), until `visit` returns false.
void forEachDataSource(const Handle &env, SQLUSMALLINT first,
                       const std::function<bool(const QString &name, const QString &driver)> &visit)
{
    SQLUSMALLINT direction = first;
    while (true) {
        // The driver manager allows names longer than the classic 32-character limit.
        SQLWCHAR name[256] = {};
        SQLWCHAR description[512] = {};
        SQLSMALLINT nameLength = 0;
        SQLSMALLINT descriptionLength = 0;
        const SQLRETURN rc = api().dataSources(
            env.get(), direction, name, SQLSMALLINT(std::size(name)), &nameLength, description,
            SQLSMALLINT(std::size(description)), &descriptionLength);
        if (!SQL_SUCCEEDED(rc))
            return;
        direction = SQL_FETCH_NEXT;
        if (!visit(fromBuffer(name, nameLength), fromBuffer(description, descriptionLength)))
            return;
    }
}

// Drivers that leave SQL_ATTR_LOGIN_TIMEOUT unread and wait for a silent server for ever unless
// their own keyword says otherwise, by a piece of their name or library.
struct OwnTimeoutKeyword
{
    QStringView driver;
    QStringView keyword;
};
constexpr OwnTimeoutKeyword OwnTimeoutKeywords[] {
    {u"MariaDB", u"CONN_TIMEOUT"},
    {u"maodbc", u"CONN_TIMEOUT"},
};

// The string with the log-on timeout also in the keyword of a driver that reads only that,
// unless the string already gives one; any other string as it is.
QString withLoginTimeout(const Handle &env, const QString &connectionString, int seconds)
{
    if (seconds <= 0)
        return connectionString;
    oledb::OdbcAttributes attributes = oledb::OdbcAttributes::parse(connectionString);
    // The driver manager goes by whichever of DSN and DRIVER comes first.
    QString driver;
    for (const auto &attribute : attributes.attributes()) {
        if (attribute.key.compare(u"DRIVER", Qt::CaseInsensitive) == 0) {
            driver = attribute.value;
            break;
        }
        if (attribute.key.compare(u"DSN", Qt::CaseInsensitive) == 0) {
            forEachDataSource(env, SQL_FETCH_FIRST, [&](const QString &name, const QString &named) {
                if (name.compare(attribute.value.trimmed(), Qt::CaseInsensitive) != 0)
                    return true;
                driver = named;
                return false;
            });
            break;
        }
    }
    for (const OwnTimeoutKeyword &own : OwnTimeoutKeywords) {
        if (!driver.contains(own.driver, Qt::CaseInsensitive))
            continue;
        if (attributes.value(own.keyword))
            return connectionString;
        attributes.set(own.keyword.toString(), QString::number(seconds));
        return attributes.toString();
    }
    return connectionString;
}

// A log-on held for some statements, as driverConnect makes it; disconnected when it goes.
class Connection
{
public:
    Connection(const QString &connectionString, int timeoutSeconds)
        : m_env(environment(&m_failure))
    {
        if (!m_env)
            return;
        m_connection = std::make_unique<Handle>(SQLSMALLINT(SQL_HANDLE_DBC), m_env->get());
        if (!m_connection->isValid()) {
            m_failure = diagnosticsOf(*m_env);
            return;
        }
        api().setConnectAttr(m_connection->get(), SQL_ATTR_LOGIN_TIMEOUT,
                             reinterpret_cast<SQLPOINTER>(SQLULEN(timeoutSeconds)), 0);
        const QString text = withLoginTimeout(*m_env, connectionString, timeoutSeconds);
        m_connected = SQL_SUCCEEDED(api().driverConnect(m_connection->get(), nullptr,
                                                        const_cast<SQLWCHAR *>(wide(text)), SQL_NTS,
                                                        nullptr, 0, nullptr, SQL_DRIVER_NOPROMPT));
        if (!m_connected)
            m_failure = diagnosticsOf(*m_connection);
    }
    Connection(const Connection &) = delete;
    Connection &operator=(const Connection &) = delete;
    ~Connection()
    {
        if (m_connected)
            api().disconnect(m_connection->get());
    }

    bool isConnected() const { return m_connected; }
    const Handle &handle() const { return *m_connection; }
    // Why there is no log-on, as the driver manager and the driver wrote it.
    const QString &failure() const { return m_failure; }

private:
    QString m_failure;
    std::unique_ptr<Handle> m_env;
    std::unique_ptr<Handle> m_connection;
    bool m_connected = false;
};

} // namespace

ConnectOutcome driverConnect(const QString &connectionString, int loginTimeoutSeconds)
{
    const Connection connection(connectionString, loginTimeoutSeconds);
    return {connection.isConnected(), connection.failure()};
}

CatalogOutcome listCatalogs(const QString &connectionString, int timeoutSeconds, bool askDriver,
                            const CatalogQueries &queries, const std::atomic<bool> &cancelled)
{
    Connection connection(connectionString, timeoutSeconds);
    if (!connection.isConnected())
        return {false, {}, connection.failure()};
    const Handle &connectionHandle = connection.handle();

    CatalogOutcome outcome {true, {}, {}};
    if (askDriver && !cancelled) {
        if (auto statement = statementOf(connectionHandle, timeoutSeconds)) {
            // An empty schema and table with the catalog wildcard asks for catalogs only.
            static const QString all = QStringLiteral(SQL_ALL_CATALOGS);
            static const QString none;
            const SQLRETURN rc = api().tables(statement->get(), const_cast<SQLWCHAR *>(wide(all)),
                                              SQL_NTS, const_cast<SQLWCHAR *>(wide(none)), 0,
                                              const_cast<SQLWCHAR *>(wide(none)), 0, nullptr, 0);
            if (!SQL_SUCCEEDED(rc) || !fetchColumn(*statement, 1, &outcome.names))
                outcome.diagnostics = diagnosticsOf(*statement);
        }
    }
    sortNames(outcome.names);
    // Some drivers (PostgreSQL's) report only the database they are connected to, which says
    // nothing about the others.
    if (outcome.names.size() > 1 || !queries)
        return outcome;

    for (const QString &query : queries(dbmsName(connectionHandle))) {
        if (cancelled)
            break;
        auto statement = statementOf(connectionHandle, timeoutSeconds);
        if (!statement)
            break;
        QStringList names;
        if (SQL_SUCCEEDED(
                api().execDirect(statement->get(), const_cast<SQLWCHAR *>(wide(query)), SQL_NTS))
            && fetchColumn(*statement, 1, &names)) {
            names += outcome.names;
            sortNames(names);
            return {true, names, {}};
        }
        outcome.diagnostics = diagnosticsOf(*statement);
    }
    return outcome;
}

TableListing listTables(const QString &connectionString, int timeoutSeconds)
{
    Connection connection(connectionString, timeoutSeconds);
    if (!connection.isConnected())
        return {false, {}, {}, connection.failure()};
    TableListing listing {true, {}, {}, {}};
    auto statement = statementOf(connection.handle(), timeoutSeconds);
    if (!statement)
        return {true, {}, {}, diagnosticsOf(connection.handle())};
    // Some drivers (mdbtools') return every object whatever types are asked for, views too, so
    // each row's own type is what counts.
    static const QString tableTypes = QStringLiteral("TABLE,SYSTEM TABLE");
    const SQLRETURN rc = api().tables(statement->get(), nullptr, 0, nullptr, 0, nullptr, 0,
                                      const_cast<SQLWCHAR *>(wide(tableTypes)), SQL_NTS);
    // The third and fourth columns of what SQLTables returns are the table's name and type, read
    // in that order, as drivers that give columns only in order need them.
    const auto sort = [&] {
        const std::optional<QString> name = textOf(*statement, 3);
        const std::optional<QString> type = textOf(*statement, 4);
        if (!name || !type)
            return;
        if (type->compare(u"TABLE", Qt::CaseInsensitive) == 0)
            listing.tables.append(*name);
        else if (type->compare(u"SYSTEM TABLE", Qt::CaseInsensitive) == 0)
            listing.systemTables.append(*name);
    };
    if (!SQL_SUCCEEDED(rc) || !forEachRow(*statement, sort))
        listing.diagnostics = diagnosticsOf(*statement);
    sortNames(listing.tables);
    sortNames(listing.systemTables);
    return listing;
}

namespace {

// Those of one file: the driver manager lists each file's when asked to start with it.
QStringList dataSourceNamesFrom(const Handle &env, SQLUSMALLINT first)
{
    QStringList names;
    forEachDataSource(env, first, [&](const QString &name, const QString &) {
        names.append(name);
        return true;
    });
    return names;
}

} // namespace

QList<DataSource> dataSources()
{
    auto env = environment(nullptr);
    if (!env)
        return {};
    const QStringList user = dataSourceNamesFrom(*env, SQL_FETCH_FIRST_USER);
    const QStringList system = dataSourceNamesFrom(*env, SQL_FETCH_FIRST_SYSTEM);
    QStringList names = user + system;
    sortNames(names);
    QList<DataSource> sources;
    for (const QString &name : std::as_const(names)) {
        // Names compare as the driver manager's files do, without regard to case.
        if (!sources.isEmpty() && sources.last().name.compare(name, Qt::CaseInsensitive) == 0)
            continue;
        const bool inUser = user.contains(name, Qt::CaseInsensitive);
        const bool inSystem = system.contains(name, Qt::CaseInsensitive);
        if (inUser)
            sources.append({name, DataSource::Scope::User, userDataSourceFile(), inSystem});
        else
            sources.append({name, DataSource::Scope::System, systemDataSourceFile(), false});
    }
    return sources;
}

QString userDataSourceFile()
{
    const QString given = qEnvironmentVariable("ODBCINI");
    if (!given.isEmpty())
        return given;
    return QDir::homePath() + QStringLiteral("/.odbc.ini");
}

QString systemDataSourceFile()
{
    const QString folder = qEnvironmentVariable("ODBCSYSINI");
    return (folder.isEmpty() ? QStringLiteral("/etc") : folder) + QStringLiteral("/odbc.ini");
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
            = api().drivers(env->get(), direction, name, SQLSMALLINT(std::size(name)), &nameLength,
                            attributes, SQLSMALLINT(std::size(attributes)), &attributesLength);
        if (!SQL_SUCCEEDED(rc))
            break;
        direction = SQL_FETCH_NEXT;
        drivers.append({fromBuffer(name, nameLength),
                        attributeValue(fromBuffer(attributes, attributesLength), u"Driver")});
    }
    return drivers;
}

QString findDriver(const QString &library, QStringView name)
{
    for (const auto &driver : installedDrivers()) {
        if (QFileInfo(driver.library).fileName() == library
            || driver.name.compare(name, Qt::CaseInsensitive) == 0)
            return driver.name;
    }
    // Debian installs drivers per architecture.
    const QDir lib(QStringLiteral("/usr/lib"));
    QStringList candidates {lib.filePath(QStringLiteral("odbc/") + library)};
    for (const QString &triplet : lib.entryList(QDir::Dirs | QDir::NoDotAndDotDot))
        candidates.append(lib.filePath(triplet + QStringLiteral("/odbc/") + library));
    for (const QString &candidate : std::as_const(candidates)) {
        if (QFileInfo(candidate).isReadable())
            return candidate;
    }
    return {};
}

} // namespace drivers::odbc
