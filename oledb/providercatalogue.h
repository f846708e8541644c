#pragma once

#include "oledb/provider.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QStringList>

namespace oledb {

class ConnectionString;

// The providers the Data Link dialog offers, read from data rather than written in code so
// that adding a provider or a property touches no logic.
class ProviderCatalogue
{
public:
    // Throws platform::Error naming what is wrong: bad JSON, a missing field, an unknown type or
    // page, a default the property itself would refuse, or a name used twice.
    static ProviderCatalogue fromJson(const QByteArray &json);
    // The catalogue compiled into the program, loaded on the first call. For the program's
    // start-up (and tests): everything else is handed the catalogue it works with.
    static const ProviderCatalogue &builtIn();

    const QList<Provider> &providers() const { return m_providers; }
    // By ProgID or alias, case-insensitively; nullptr for a provider not in the catalogue.
    const Provider *find(QStringView progId) const;
    // The known provider, or the generic entry carrying the ProgID it was asked for, so an
    // unknown provider keeps its name. A service that wraps another provider (the data shaping
    // service), where `wrapped`, what its property naming that provider says, names one the
    // catalogue knows: that provider's properties, family and rules, with the service's own
    // properties besides (on the All tab), under the service's ProgID, description and
    // deprecation. The service as it is otherwise.
    Provider resolve(QStringView progId, QStringView wrapped = {}) const;
    // What a service that wraps a provider the catalogue knows hands that provider, and so what
    // a connection test must try: the string with Provider naming it as the service's property
    // does, and without the service's own properties. Any other string as it is.
    ConnectionString handedOn(const ConnectionString &connection) const;
    const Provider &generic() const { return m_providers.at(m_genericIndex); }
    // Where a rule comes from, by the id the catalogue's entries cite: title and address.
    QString source(const QString &id) const { return m_sources.value(id); }
    // Case-insensitive, with or without a version (`SQLOLEDB.1`, `Microsoft.ACE.OLEDB.12.0`)
    // and with a release number after the name (`SQLNCLI11`, `MSOLEDBSQL19`).
    ProviderFamily familyOf(QStringView progId) const;
    // The names of the properties some provider declares secret, each once.
    const QStringList &secretPropertyNames() const { return m_secretNames; }
    // The names and synonyms of the properties that take a flag, a number or one of a set of
    // values wherever they are declared, never text: none can hold a secret, whatever the name
    // says (Encrypt Password is a flag). Each once.
    const QStringList &nonTextPropertyNames() const { return m_nonTextNames; }

private:
    ProviderCatalogue() = default;

    // The provider a service's property names, when the catalogue knows it and it is no service
    // itself.
    const Provider *wrappable(QStringView name) const;

    QList<std::pair<QString, ProviderFamily>> m_families;
    QList<Provider> m_providers;
    // Each service read with each provider it can wrap, composed once: a script may set Data
    // Provider thousands of times. By service index * provider count + provider index.
    QHash<qsizetype, Provider> m_compositions;
    QStringList m_secretNames;
    QStringList m_nonTextNames;
    QHash<QString, QString> m_sources;
    qsizetype m_genericIndex = -1;
};

// `SQLOLEDB.1` and `Microsoft.ACE.OLEDB.12.0` name the same providers as `SQLOLEDB` and
// `Microsoft.ACE.OLEDB`: a version is dots and digits at the end. Trimmed.
QStringView withoutVersion(QStringView progId);

} // namespace oledb
