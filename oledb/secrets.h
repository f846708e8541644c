#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

#include <functional>

namespace oledb {

class ConnectionString;
class ProviderCatalogue;

// What a secret is shown as, wherever it would otherwise be shown.
QString secretMask();

// Whether a keyword names a secret: a property some provider of the catalogue declares secret,
// or one of the usual spellings (PWD and PWD2, anything with "password" or "secret" in it, a
// token).
// Keywords compare as the parser compares them: case-insensitively, without the white space
// (any Unicode white space) around them; a run of white space inside counts as one space.
bool isSecretKeyword(QStringView keyword, const ProviderCatalogue &catalogue);

// The connection string as the Data Link dialog shows it with "Show password" off: every secret
// value replaced by the mask where it stands, every other character kept. Values of other
// properties are searched too, read both as connection strings and as ODBC strings (the way the
// driver reads them), to any depth. Never throws: text that is not a valid connection string is
// searched every way it could be read, so its secrets are hidden too.
QString maskConnectionString(QStringView text, const ProviderCatalogue &catalogue);
// The same handed to `write` a part at a time (text and masks in turn), for a string too long to
// copy whole. The text is lent, so that no copy of it is made: a quoted value with doubled quotes
// is read where it stands, its doubling undone and then put back. It is as it was when the call
// returns; one shared with another QString is copied first.
void maskConnectionString(QString &text, const ProviderCatalogue &catalogue,
                          const std::function<void(QStringView)> &write);
// Only the part from `from` to `to`, masked as the whole text would be: a piece of a secret
// shows as the mask too.
QString maskConnectionString(QStringView text, qsizetype from, qsizetype to,
                             const ProviderCatalogue &catalogue);

// One pair's value (quoting undone) as the masked string shows it: a secret's whole, another
// property's with the secrets nested in it masked.
QString maskValue(QStringView keyword, QStringView value, const ProviderCatalogue &catalogue);

// Every secret value of a connection, nested ones included, as the driver would receive it and
// as it was written: what must never appear in a message shown to the user. A secret equal to
// a value the connection shows in the clear (its user name, say) is left out.
QStringList secretsOf(const ConnectionString &connection, const ProviderCatalogue &catalogue);

// Free text a driver wrote, with every secret (in any case) replaced by the mask where the text
// echoes it as a token (an assigned, quoted or braced value, or a word of its own), and the
// value of every secret-looking `key=value` assignment too. The text's own words stay.
QString maskSecrets(QStringView text, const QStringList &secrets,
                    const ProviderCatalogue &catalogue);

} // namespace oledb
