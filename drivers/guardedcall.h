#pragma once

#include "oledb/connectionstring.h"
#include "oledb/secrets.h"
#include "platform/error.h"

#include <QString>
#include <QStringList>

#include <exception>
#include <utility>

namespace drivers {

// How one kind of result tells of a failure, and which of its words came from a driver.
template<typename Result> struct Guard
{
    // In our own words, or a platform error's.
    Result (*failed)(const QString &why);
    // What the driver or a library under it threw.
    Result (*thrown)(const QString &what);
    // The result as the user sees it, every secret of the string hidden in what it quotes.
    Result (*masked)(Result result, const QStringList &secrets,
                     const oledb::ProviderCatalogue &catalogue);
};

// Parses the text, runs `call(connection)` and hands the result, or the failure it threw, to
// `guard.masked`. A malformed string fails at once: its error names an offset, never the text,
// so there is nothing to mask. Never throws: it runs on a worker thread, where an escaping
// exception would end the program.
template<typename Result, typename Call>
Result guardedCall(const oledb::ProviderCatalogue &catalogue, const QString &connectionString,
                   const Guard<Result> &guard, Call &&call)
{
    oledb::ConnectionString connection;
    try {
        connection = oledb::ConnectionString::parse(connectionString);
    } catch (const platform::Error &error) {
        return guard.failed(error.message());
    }
    Result result;
    try {
        result = call(std::as_const(connection));
    } catch (const platform::Error &error) {
        result = guard.failed(error.message());
    } catch (const std::exception &error) {
        result = guard.thrown(QString::fromLocal8Bit(error.what()));
    }
    return guard.masked(std::move(result), oledb::secretsOf(connection, catalogue), catalogue);
}

} // namespace drivers
