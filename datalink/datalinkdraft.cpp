#include "datalink/datalinkdraft.h"

#include "oledb/propertynames.h"

#include "oledb/connectionstring.h"
#include "oledb/providercatalogue.h"
#include "oledb/secrets.h"

#include <algorithm>

namespace datalink {

using namespace oledb::property;

DataLinkDraft::DataLinkDraft(const oledb::ProviderCatalogue &catalogue,
                             oledb::DataLinkProperties properties, QObject *parent)
    : QObject(parent)
    , m_catalogue(catalogue)
    , m_properties(std::move(properties))
    , m_provider(catalogue.resolve(m_properties.providerProgId()))
{ }

void DataLinkDraft::chooseProvider(const QString &progId)
{
    const oledb::Provider *current = m_catalogue.find(providerProgId());
    if (progId == providerProgId() || (current && current == m_catalogue.find(progId)))
        return;
    keepPasswordsOnFirstEdit();
    const oledb::Provider next = m_catalogue.resolve(progId);
    const oledb::KeywordValueList before = m_properties.properties();
    for (const oledb::KeywordValue &pair : before) {
        if (m_provider.property(pair.keyword) && !next.property(pair.keyword))
            m_properties.remove(pair.keyword);
    }
    m_properties.setProviderProgId(progId);
    m_provider = next;
    seedDefaults();
    Q_EMIT shapeChanged();
    Q_EMIT changed();
}

const oledb::PropertyDefinition *DataLinkDraft::definition(QStringView name) const
{
    return m_provider.property(name);
}

void DataLinkDraft::setValue(const QString &name, const QString &value)
{
    if (m_properties.value(name) == value)
        return;
    keepPasswordsOnFirstEdit();
    const bool added = !m_properties.value(name).has_value();
    m_properties.setValue(name, value);
    if (added)
        Q_EMIT shapeChanged();
    Q_EMIT changed();
}

void DataLinkDraft::remove(const QString &name)
{
    if (!m_properties.value(name))
        return;
    keepPasswordsOnFirstEdit();
    m_properties.remove(name);
    Q_EMIT shapeChanged();
    Q_EMIT changed();
}

bool DataLinkDraft::savesPasswords() const
{
    if (const auto persist = m_properties.value(PersistSecurityInfo))
        return oledb::PropertyDefinition::parseBoolean(*persist).value_or(false);
    // Once edited, the first change has made the string's intent explicit.
    if (isModified())
        return false;
    for (const oledb::KeywordValue &pair : m_properties.properties()) {
        if (isSecret(pair.keyword))
            return true;
    }
    return false;
}

void DataLinkDraft::setSavesPasswords(bool save)
{
    setValue(PersistSecurityInfo, save ? QStringLiteral("True") : QStringLiteral("False"));
}

bool DataLinkDraft::isSecret(QStringView name) const
{
    return oledb::isSecretKeyword(name);
}

QString DataLinkDraft::connectionString() const
{
    return m_properties.toString(m_catalogue);
}

QString DataLinkDraft::connectionStringWithSecrets() const
{
    const QString plain = connectionString();
    const auto written = oledb::ConnectionString::parse(plain);
    const auto &all = properties();
    const bool secretLeftOut = std::any_of(all.begin(), all.end(), [&](const auto &pair) {
        return isSecret(pair.keyword) && !pair.value.isEmpty() && !written.contains(pair.keyword);
    });
    if (!secretLeftOut)
        return plain;
    oledb::DataLinkProperties withSecrets = m_properties;
    withSecrets.setValue(PersistSecurityInfo, QStringLiteral("True"));
    return withSecrets.toString(m_catalogue);
}

QString DataLinkDraft::maskedConnectionString() const
{
    return oledb::maskConnectionString(connectionString());
}

QList<PropertyProblem> DataLinkDraft::problems() const
{
    QList<PropertyProblem> found;
    for (const oledb::KeywordValue &pair : m_properties.properties()) {
        if (const oledb::PropertyDefinition *known = definition(pair.keyword)) {
            if (auto why = known->explainInvalid(pair.value))
                found.append({pair.keyword, *why});
        }
    }
    return found;
}

QString DataLinkDraft::problemWith(QStringView name) const
{
    const oledb::PropertyDefinition *known = definition(name);
    const std::optional<QString> current = value(name);
    if (!known || !current)
        return {};
    return known->explainInvalid(*current).value_or(QString());
}

// Providers read a string that holds a password but no Persist Security Info as one that keeps
// it, while the writer leaves passwords out unless told to keep them. Saying so explicitly
// before the first change keeps the password the string came with.
void DataLinkDraft::keepPasswordsOnFirstEdit()
{
    if (isModified() || m_properties.value(PersistSecurityInfo) || !savesPasswords())
        return;
    m_properties.setValue(PersistSecurityInfo, QStringLiteral("True"));
}

void DataLinkDraft::seedDefaults()
{
    if (m_provider.property(PersistSecurityInfo) && !m_properties.value(PersistSecurityInfo))
        m_properties.setValue(PersistSecurityInfo, QStringLiteral("False"));
    switch (m_provider.family) {
    case oledb::ProviderFamily::SqlServer:
        if (!m_properties.value(UserId) && !m_properties.value(IntegratedSecurity))
            m_properties.setValue(IntegratedSecurity, QStringLiteral("SSPI"));
        break;
    case oledb::ProviderFamily::Jet:
    case oledb::ProviderFamily::Ace:
        if (!m_properties.value(UserId))
            m_properties.setValue(UserId, QStringLiteral("Admin"));
        break;
    case oledb::ProviderFamily::Odbc:
    case oledb::ProviderFamily::Oracle:
    case oledb::ProviderFamily::Other:
        break;
    }
}

} // namespace datalink
