#include "oledb/datalinkproperties.h"

#include "oledb/propertynames.h"
#include "oledb/providercatalogue.h"

#include <algorithm>

namespace oledb {

DataLinkProperties::DataLinkProperties(const ProviderCatalogue &catalogue)
    : m_catalogue(&catalogue)
    , m_provider(catalogue.resolve(QString()))
{ }

DataLinkProperties DataLinkProperties::fromString(const ProviderCatalogue &catalogue,
                                                  const QString &text)
{
    DataLinkProperties properties(catalogue);
    properties.m_document = ConnectionStringDocument::parse(text);
    properties.reindex();
    return properties;
}

QString DataLinkProperties::providerProgId() const
{
    const QList<qsizetype> pairs = m_live.value(keywordKey(property::Provider));
    return pairs.isEmpty() ? QString() : m_document.value(pairs.last());
}

void DataLinkProperties::setProviderProgId(const QString &progId)
{
    const QString key = keywordKey(property::Provider);
    const QList<qsizetype> pairs = m_live.value(key);
    if (progId.isEmpty()) {
        // No provider named yet: no Provider pair, rather than an empty one. Naming one again
        // brings the pair back where it stood.
        if (pairs.isEmpty())
            return;
        remove(property::Provider);
    } else if (!pairs.isEmpty()) {
        if (!m_document.setValue(pairs.last(), progId))
            return;
    } else if (const QList<qsizetype> removed = m_removed.value(key); !removed.isEmpty()) {
        m_document.setValue(removed.last(), progId);
    } else {
        m_document.prepend(property::Provider, progId);
    }
    // A new provider may read the same keywords as other properties, and a prepended pair
    // moves every index.
    reindex();
}

// The catalogue name folded for a keyword the provider declares, under any synonym; the keyword
// folded otherwise.
QString DataLinkProperties::keyOf(QStringView keyword) const
{
    if (const PropertyDefinition *known = m_provider.property(keyword))
        return keywordKey(known->name);
    return keywordKey(keyword);
}

QString DataLinkProperties::propertyValueAt(qsizetype index) const
{
    return m_provider.toPropertyValue(m_document.keyword(index), m_document.value(index));
}

void DataLinkProperties::reindex()
{
    QString progId;
    for (qsizetype i = 0; i < m_document.count(); ++i) {
        if (!m_document.isRemoved(i) && sameKeyword(m_document.keyword(i), property::Provider))
            progId = m_document.value(i);
    }
    m_provider = m_catalogue->resolve(progId);
    m_live.clear();
    m_removed.clear();
    for (qsizetype i = 0; i < m_document.count(); ++i)
        (m_document.isRemoved(i) ? m_removed : m_live)[keyOf(m_document.keyword(i))].append(i);
}

KeywordValueList DataLinkProperties::properties() const
{
    KeywordValueList list;
    QHash<QString, qsizetype> listed;
    const QString providerKey = keywordKey(property::Provider);
    for (qsizetype i = 0; i < m_document.count(); ++i) {
        if (m_document.isRemoved(i))
            continue;
        const QString &keyword = m_document.keyword(i);
        const QString key = keyOf(keyword);
        if (key == providerKey || listed.contains(key))
            continue;
        listed.insert(key, list.size());
        const PropertyDefinition *known = m_provider.property(keyword);
        const qsizetype inEffect = m_live.value(key).last();
        list.append({known ? known->name : keyword, propertyValueAt(inEffect)});
    }
    return list;
}

std::optional<QString> DataLinkProperties::value(QStringView name) const
{
    const auto found = m_live.constFind(keyOf(name));
    if (found == m_live.cend() || found->isEmpty())
        return std::nullopt;
    return m_provider.toWrittenValue(name, propertyValueAt(found->last()));
}

std::optional<KeywordValue> DataLinkProperties::pairInEffect(QStringView name) const
{
    const auto found = m_live.constFind(keyOf(name));
    if (found == m_live.cend() || found->isEmpty())
        return std::nullopt;
    return KeywordValue {m_document.keyword(found->last()), m_document.value(found->last())};
}

void DataLinkProperties::setValue(const QString &name, const QString &value)
{
    if (sameKeyword(name, property::Provider)) {
        setProviderProgId(value);
        return;
    }
    // In the vocabulary of the name given: `Trusted_Connection` takes `yes`.
    const QString meant = m_provider.toPropertyValue(name, value);
    const QString key = keyOf(name);
    QList<qsizetype> &live = m_live[key];
    if (!live.isEmpty()) {
        const qsizetype inEffect = live.last();
        if (propertyValueAt(inEffect) == meant)
            return;
        const QString &keyword = m_document.keyword(inEffect);
        // The value as first written, where it means the same, so that undoing an edit gives
        // back the very text (`Encrypt=true` stays `true`, not the first spelling, `yes`).
        const QString original = m_document.originalValue(inEffect);
        const QString written = m_provider.toPropertyValue(keyword, original) == meant
            ? original
            : m_provider.toWrittenValue(keyword, meant);
        m_document.setValue(inEffect, written);
    } else if (QList<qsizetype> &removed = m_removed[key]; !removed.isEmpty()) {
        const qsizetype back = removed.takeLast();
        m_document.setValue(back, m_provider.toWrittenValue(m_document.keyword(back), meant));
        live.append(back);
    } else {
        live.append(m_document.append(name, value));
    }
}

void DataLinkProperties::remove(QStringView name)
{
    const QString key = keyOf(name);
    const auto found = m_live.find(key);
    if (found == m_live.end() || found->isEmpty())
        return;
    QList<qsizetype> &removed = m_removed[key];
    for (qsizetype index : std::as_const(*found)) {
        m_document.remove(index);
        removed.append(index);
    }
    // Kept in the order of the string, so that the one brought back is the one that was in effect.
    std::sort(removed.begin(), removed.end());
    found->clear();
}

std::optional<Conflict> DataLinkProperties::conflict(QStringView name) const
{
    const QList<qsizetype> live = m_live.value(keyOf(name));
    if (live.size() < 2)
        return std::nullopt;
    const QString inEffect = propertyValueAt(live.last());
    bool differ = false;
    Conflict found;
    for (qsizetype index : live) {
        differ = differ || propertyValueAt(index) != inEffect;
        found.pairs.append({m_document.keyword(index), m_document.value(index)});
    }
    if (!differ)
        return std::nullopt;
    found.inEffect = found.pairs.size() - 1;
    return found;
}

void DataLinkProperties::keepOnlyInEffect(QStringView name)
{
    const QString key = keyOf(name);
    QList<qsizetype> &live = m_live[key];
    if (live.size() < 2)
        return;
    QList<qsizetype> &removed = m_removed[key];
    for (qsizetype i = 0; i + 1 < live.size(); ++i) {
        m_document.remove(live.at(i));
        removed.append(live.at(i));
    }
    std::sort(removed.begin(), removed.end());
    live = {live.last()};
}

QString editConnectionString(const ProviderCatalogue &catalogue, const QString &text,
                             const KeywordValueList &set, const QStringList &remove)
{
    DataLinkProperties properties = DataLinkProperties::fromString(catalogue, text);
    for (const KeywordValue &pair : set)
        properties.setValue(pair.keyword, pair.value);
    for (const QString &name : remove)
        properties.remove(name);
    return properties.toString();
}

} // namespace oledb
