#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

namespace oledb {

class ConnectionString;
class ProviderCatalogue;

// What a secret is shown as, wherever it would otherwise be shown.
QString secretMask();

// Whether a keyword names a secret: a property some provider of the catalogue declares
// secret, or one of the usual spellings (PWD, anything with "password" in it, an access token).
// Keywords compare as the parser compares them: case-insensitively, without the white space
// (any Unicode white space) around them; a run of white space inside counts as one space.
bool isSecretKeyword(QStringView keyword, const ProviderCatalogue &catalogue);

// The connection string as the Data Link dialog shows it with "Show password" off: every secret
// value replaced by the mask where it stands, every other character kept. Values of other
// properties are searched too, read both as connection strings and as ODBC strings (the way the
// driver reads them), to any depth. Never throws: text that is not a valid connection string is
// searched every way it could be read, so its secrets are hidden too.
QString maskConnectionString(QStringView text, const ProviderCatalogue &catalogue);

// Every secret value of a connection, nested ones included, as the driver would receive it and
// as it was written: what must never appear in a message shown to the user.
QStringList secretsOf(const ConnectionString &connection, const ProviderCatalogue &catalogue);

// Free text a driver wrote, with every occurrence of the secrets (in any case) and the value of
// every secret-looking `key=value` assignment replaced by the mask.
QString maskSecrets(QStringView text, const QStringList &secrets,
                    const ProviderCatalogue &catalogue);

} // namespace oledb
