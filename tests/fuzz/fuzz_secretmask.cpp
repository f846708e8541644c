// The secret masker against what a driver receives. The input is read as a connection string;
// the ODBC strings the testers would hand to a driver are built from it with the ODBC reader,
// echoed in a message the way drivers quote their input, and masked with the string's secrets.
// No password the driver receives may then be read in the message, in any case, unless it is
// shorter than 3 characters, holds the mask's '*' (the mask itself could spell it), or is spelt
// inside what the string shows in clear (keywords included) or inside the message's own words.
// A property the catalogue declares a flag or a number holds no password, whatever its name.
#include "drivers/testing/odbctester.h"
#include "drivers/testing/sqlservertester.h"
#include "fuzzcheck.h"
#include "oledb/connectionstring.h"
#include "oledb/formaterror.h"
#include "oledb/odbcattributes.h"
#include "oledb/providercatalogue.h"
#include "oledb/secrets.h"

namespace {

bool isPasswordKey(const QString &key)
{
    // A flag with the word in its name (Encrypt Password) holds no password.
    if (oledb::ProviderCatalogue::builtIn().nonTextPropertyNames().contains(key.simplified(),
                                                                            Qt::CaseInsensitive))
        return false;
    return key.compare(u"PWD", Qt::CaseInsensitive) == 0
        || key.contains(u"password", Qt::CaseInsensitive);
}

// The values the dialog shows in clear under the string's other keywords, which stay readable
// wherever a message repeats them, even where the driver was never handed the pair.
QString shownValues(const oledb::ConnectionString &connection)
{
    const oledb::ProviderCatalogue &catalogue = oledb::ProviderCatalogue::builtIn();
    QString shown;
    for (const oledb::KeywordValue &pair : connection.pairs()) {
        if (oledb::isSecretKeyword(pair.keyword, catalogue))
            continue;
        shown += u'\n' + pair.value;
        const oledb::OdbcAttributes nested = oledb::OdbcAttributes::parse(pair.value);
        for (const auto &attribute : nested.attributes()) {
            if (!oledb::isSecretKeyword(attribute.key, catalogue))
                shown += u'\n' + attribute.value;
        }
    }
    return shown;
}

void checkMasked(const QString &driverString, const QStringList &secrets,
                 const QString &shownInDialog)
{
    const QString before = QStringLiteral("[unixODBC][Driver] could not connect with \"");
    const QString after = QStringLiteral("\": password authentication failed");
    const QString message = before + driverString + after;
    const QString masked
        = oledb::maskSecrets(message, secrets, oledb::ProviderCatalogue::builtIn());
    const auto received = oledb::OdbcAttributes::parse(driverString);
    // Values under other keys stay readable by design (a user name equal to the password is
    // still shown); a password spelt inside one of them, in the keywords, or across what stands
    // side by side in clear cannot be told from it: the string as received, passwords emptied.
    oledb::OdbcAttributes shown;
    for (const auto &attribute : received.attributes())
        shown.set(attribute.key, isPasswordKey(attribute.key) ? QString() : attribute.value);
    const QString inClear = shown.toString() + u'\n' + before + after + shownInDialog;
    for (const auto &attribute : received.attributes()) {
        const QString &password = attribute.value;
        if (!isPasswordKey(attribute.key) || password.size() < 3 || password.contains(u'*')
            || inClear.contains(password, Qt::CaseInsensitive))
            continue;
        // In any case, as the masker searches.
        FUZZ_CHECK(!masked.contains(password, Qt::CaseInsensitive),
                   password << driverString << masked);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    oledb::ConnectionString connection;
    try {
        connection = oledb::ConnectionString::parse(fuzzText(data, size));
    } catch (const oledb::FormatError &) {
        return 0;
    }
    const QStringList secrets = oledb::secretsOf(connection, oledb::ProviderCatalogue::builtIn());
    const QString shown = shownValues(connection);
    checkMasked(
        drivers::OdbcTester::odbcConnectionString(oledb::ProviderCatalogue::builtIn(), connection),
        secrets, shown);
    checkMasked(
        drivers::SqlServerTester::odbcConnectionString(connection, QStringLiteral("FreeTDS")),
        secrets, shown);
    return 0;
}
