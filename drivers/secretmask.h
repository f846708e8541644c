#pragma once

#include <QStringList>

namespace oledb {
class ConnectionString;
}

namespace drivers {

// Every value of the string a user would not want on screen: the properties that hold secrets,
// and any PWD= or Password= inside another value (an ODBC string in Extended Properties).
QStringList secretsOf(const oledb::ConnectionString &connection);

// Drivers echo parts of the string they were given; this hides each secret wherever it occurs,
// and the value of every PWD= or Password= assignment even when the secret was not known.
QString maskSecrets(QString text, const QStringList &secrets);

} // namespace drivers
