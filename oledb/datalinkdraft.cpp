#include "oledb/datalinkdraft.h"

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
    , m_fresh(m_properties.toString().isEmpty())
    , m_savesWithoutSaying(false)
{
    for (const oledb::KeywordValue &pair : m_properties.properties()) {
        if (isSavedOnlyWhenAllowed(pair.keyword))
            m_savesWithoutSaying = true;
    }
}

void DataLinkDraft::chooseProvider(const QString &progId)
{
    const oledb::Provider *current = m_catalogue.find(providerProgId());
    if (progId == providerProgId() || (current && current == m_catalogue.find(progId)))
        return;
    if (m_fresh) {
        m_properties = oledb::DataLinkProperties(m_catalogue);
        m_properties.setProviderProgId(progId);
        seedDefaults();
    } else {
        m_properties.setProviderProgId(progId);
    }
    Q_EMIT shapeChanged();
    Q_EMIT changed();
}

const oledb::PropertyDefinition *DataLinkDraft::definition(QStringView name) const
{
    return provider().property(name);
}

std::optional<QString> DataLinkDraft::value(QStringView name) const
{
    if (auto written = m_properties.value(name))
        return written;
    const auto held = m_heldSecrets.constFind(propertyKey(name));
    if (held == m_heldSecrets.cend())
        return std::nullopt;
    return held->value;
}

void DataLinkDraft::setValue(const QString &name, const QString &value)
{
    if (this->value(name) == value)
        return;
    m_fresh = false;
    const bool added = !this->value(name).has_value();
    const QString wrapped = provider().wrapped;
    if (propertyKey(name) == propertyKey(PersistSecurityInfo))
        m_beforeToggle.reset();
    if (isSavedOnlyWhenAllowed(name) && !m_properties.value(name) && !savesPasswords()) {
        // Kept for the fields and for testing the connection, out of the string.
        m_heldSecrets.insert(propertyKey(name), {name, value});
    } else {
        m_heldSecrets.remove(propertyKey(name));
        m_properties.setValue(name, value);
    }
    if (added || provider().wrapped != wrapped)
        Q_EMIT shapeChanged();
    Q_EMIT propertyChanged(name);
    Q_EMIT changed();
}

void DataLinkDraft::remove(const QString &name)
{
    if (!value(name))
        return;
    m_fresh = false;
    if (propertyKey(name) == propertyKey(PersistSecurityInfo))
        m_beforeToggle.reset();
    m_heldSecrets.remove(propertyKey(name));
    m_properties.remove(name);
    Q_EMIT shapeChanged();
    Q_EMIT propertyChanged(name);
    Q_EMIT changed();
}

std::optional<oledb::Conflict> DataLinkDraft::conflict(QStringView name) const
{
    return m_properties.conflict(name);
}

void DataLinkDraft::keepOnlyInEffect(const QString &name)
{
    if (!conflict(name))
        return;
    m_fresh = false;
    m_properties.keepOnlyInEffect(name);
    Q_EMIT propertyChanged(name);
    Q_EMIT changed();
}

bool DataLinkDraft::applyFix(const oledb::ProblemFix &fix)
{
    if (!oledb::applyFix(m_properties, fix))
        return false;
    m_fresh = false;
    if (propertyKey(fix.property) == propertyKey(PersistSecurityInfo))
        m_beforeToggle.reset();
    // A removal or a rename changes which properties the string sets.
    if (fix.kind != oledb::ProblemFix::Kind::KeepOnlyInEffect)
        Q_EMIT shapeChanged();
    Q_EMIT propertyChanged(fix.property);
    if (!fix.keyword.isEmpty())
        Q_EMIT propertyChanged(fix.keyword);
    Q_EMIT changed();
    return true;
}

bool DataLinkDraft::savesPasswords() const
{
    for (const oledb::KeywordValue &pair : m_properties.properties()) {
        if (isSavedOnlyWhenAllowed(pair.keyword))
            return true;
    }
    if (const auto persist = m_properties.value(PersistSecurityInfo))
        return oledb::PropertyDefinition::parseBoolean(*persist).value_or(false);
    return m_savesWithoutSaying;
}

void DataLinkDraft::setSavesPasswords(bool save)
{
    m_fresh = false;
    const bool undoing = m_beforeToggle && m_beforeToggle->saved == save;
    const BeforeToggle before {savesPasswords(), m_properties.value(PersistSecurityInfo)};
    QStringList touched {PersistSecurityInfo};
    if (save) {
        for (const oledb::KeywordValue &held : std::as_const(m_heldSecrets)) {
            m_properties.setValue(held.keyword, held.value);
            touched.append(held.keyword);
        }
        m_heldSecrets.clear();
    } else {
        for (const oledb::KeywordValue &pair : m_properties.properties()) {
            if (isSavedOnlyWhenAllowed(pair.keyword)) {
                m_heldSecrets.insert(propertyKey(pair.keyword), pair);
                m_properties.remove(pair.keyword);
                touched.append(pair.keyword);
            }
        }
    }
    if (undoing) {
        // Back as it was, which brings back its very text.
        if (m_beforeToggle->persist)
            m_properties.setValue(PersistSecurityInfo, *m_beforeToggle->persist);
        else
            m_properties.remove(PersistSecurityInfo);
        m_beforeToggle.reset();
    } else {
        m_beforeToggle = before;
        if (save)
            m_properties.setValue(PersistSecurityInfo, QStringLiteral("True"));
        else if (savesPasswords()) // only where the string would still read as saving
            m_properties.setValue(PersistSecurityInfo, QStringLiteral("False"));
    }
    Q_EMIT shapeChanged();
    for (const QString &name : std::as_const(touched))
        Q_EMIT propertyChanged(name);
    Q_EMIT changed();
}

bool DataLinkDraft::isSecret(QStringView name) const
{
    return oledb::isSecretKeyword(name, m_catalogue);
}

bool DataLinkDraft::isSavedOnlyWhenAllowed(QStringView name) const
{
    return propertyKey(name) == propertyKey(Password);
}

bool DataLinkDraft::isHeldOut(QStringView name) const
{
    return m_heldSecrets.contains(propertyKey(name));
}

void DataLinkDraft::setRevealsSecrets(bool reveal)
{
    if (reveal == m_revealed)
        return;
    m_revealed = reveal;
    Q_EMIT changed();
}

bool DataLinkDraft::hidesValue(QStringView name) const
{
    if (isSecret(name))
        return true;
    const std::optional<QString> written = value(name);
    return !m_revealed && written && oledb::maskValue(name, *written, m_catalogue) != *written;
}

QString DataLinkDraft::shownPair(const oledb::KeywordValue &pair) const
{
    return pair.keyword + u'='
        + (m_revealed ? pair.value : oledb::maskValue(pair.keyword, pair.value, m_catalogue));
}

QString DataLinkDraft::connectionString() const
{
    return m_properties.toString();
}

QString DataLinkDraft::connectionStringWithSecrets() const
{
    if (m_heldSecrets.isEmpty())
        return connectionString();
    oledb::DataLinkProperties withSecrets = m_properties;
    for (const oledb::KeywordValue &held : std::as_const(m_heldSecrets))
        withSecrets.setValue(held.keyword, held.value);
    return withSecrets.toString();
}

QString DataLinkDraft::maskedConnectionString() const
{
    return oledb::maskConnectionString(connectionString(), m_catalogue);
}

QList<oledb::PairReading> DataLinkDraft::driverOnlyPairs() const
{
    QList<oledb::PairReading> pairs = m_properties.driverPairs();
    pairs.removeIf([this](const oledb::PairReading &reading) {
        return reading.effect != oledb::PairReading::Effect::InEffect
            || !m_properties.provider().handsToDriver(reading.pair.keyword);
    });
    return pairs;
}

QList<PropertyProblem> DataLinkDraft::problems() const
{
    // Only declared properties have values to refuse; there are few of them, however many
    // others the string carries.
    QList<PropertyProblem> found;
    for (const oledb::PropertyDefinition &known : provider().properties) {
        const QString why = problemWith(known.name);
        if (!why.isEmpty())
            found.append({known.name, why});
    }
    return found;
}

QString DataLinkDraft::problemWith(QStringView name) const
{
    const oledb::PropertyDefinition *known = definition(name);
    const std::optional<oledb::KeywordValue> written = m_properties.pairInEffect(name);
    if (!known || !written || provider().documentsValue(written->keyword, written->value))
        return {};
    const QString meant = provider().toPropertyValue(written->keyword, written->value);
    return known->explainInvalid(meant).value_or(QString());
}

// Only ever on a new, empty string: what the familiar dialog starts each provider with.
void DataLinkDraft::seedDefaults()
{
    switch (provider().family) {
    case oledb::ProviderFamily::SqlServer:
        m_properties.setValue(IntegratedSecurity, QStringLiteral("SSPI"));
        break;
    case oledb::ProviderFamily::Jet:
    case oledb::ProviderFamily::Ace:
        m_properties.setValue(UserId, QStringLiteral("Admin"));
        break;
    case oledb::ProviderFamily::Odbc:
    case oledb::ProviderFamily::Oracle:
    case oledb::ProviderFamily::Other:
        break;
    }
    if (provider().property(PersistSecurityInfo))
        m_properties.setValue(PersistSecurityInfo, QStringLiteral("False"));
}

} // namespace datalink
