#include "oledb/datalinkproperties.h"

#include "oledb/propertynames.h"
#include "oledb/providercatalogue.h"

#include <QSet>

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
    const QList<qsizetype> pairs = pairsOf(keywordKey(property::Provider));
    return pairs.isEmpty() ? QString() : m_document.value(pairs.last());
}

void DataLinkProperties::setProviderProgId(const QString &progId)
{
    const QString key = keywordKey(property::Provider);
    const QList<qsizetype> pairs = pairsOf(key);
    if (progId.isEmpty()) {
        // No provider named yet: no Provider pair, rather than an empty one. Naming one again
        // brings the pair back where it stood.
        if (pairs.isEmpty())
            return;
        remove(property::Provider);
    } else if (!pairs.isEmpty()) {
        if (!m_document.setValue(pairs.last(), progId))
            return;
    } else if (const QList<qsizetype> removed = pairsOf(key, true); !removed.isEmpty()) {
        m_document.setValue(removed.last(), progId);
    } else {
        // A prepended pair moves every index; it happens once, as there is a Provider pair,
        // live or removed, ever after.
        m_document.prepend(property::Provider, progId);
        reindex();
        return;
    }
    resolveProvider();
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

KeywordKind DataLinkProperties::kindAt(qsizetype index) const
{
    const Provider::Meaning meaning = m_provider.meaning(m_document.keyword(index));
    if (meaning.property < 0)
        return KeywordKind::Alias;
    if (meaning.synonym < 0)
        return m_provider.properties.at(meaning.property).kind;
    return m_provider.properties.at(meaning.property).synonyms.at(meaning.synonym).kind;
}

qsizetype DataLinkProperties::inEffect(const QList<qsizetype> &pairs) const
{
    if (pairs.isEmpty())
        return -1;
    const PropertyDefinition *known = m_provider.property(m_document.keyword(pairs.first()));
    if (!known || m_provider.precedence != Provider::Precedence::GetDataSource)
        return pairs.last();
    // The property names go to the provider as properties, the last one winning; the others
    // only into the provider string, which every property set or defaulted overrides.
    for (auto it = pairs.crbegin(); it != pairs.crend(); ++it) {
        if (kindAt(*it) != KeywordKind::ProviderString)
            return *it;
    }
    if (!known->defaultSource.isEmpty())
        return -1;
    return pairs.first();
}

QHash<qsizetype, qsizetype> DataLinkProperties::offsets() const
{
    // The live pairs come out of toString() in the document's order, one parsed pair each.
    QHash<qsizetype, qsizetype> found;
    const QList<ParsedPair> parsed = parsePairs(toString());
    qsizetype next = 0;
    for (qsizetype i = 0; i < m_document.count() && next < parsed.size(); ++i) {
        if (!m_document.isRemoved(i))
            found.insert(i, parsed.at(next++).span.start);
    }
    return found;
}

QList<qsizetype> DataLinkProperties::pairsOf(const QString &key, bool removed) const
{
    QList<qsizetype> found;
    const auto add = [&](QStringView keyword) {
        const auto pairs = m_byKeyword.constFind(keywordKey(keyword));
        if (pairs == m_byKeyword.cend())
            return;
        for (const qsizetype index : *pairs) {
            if (m_document.isRemoved(index) == removed)
                found.append(index);
        }
    };
    const PropertyDefinition *known = m_provider.property(key);
    if (!known) {
        add(key);
        return found;
    }
    add(known->name);
    for (const Synonym &synonym : known->synonyms)
        add(synonym.keyword);
    if (!known->synonyms.isEmpty())
        std::sort(found.begin(), found.end());
    return found;
}

void DataLinkProperties::resolveProvider()
{
    const QList<qsizetype> pairs = pairsOf(keywordKey(property::Provider));
    const QString progId = pairs.isEmpty() ? QString() : m_document.value(pairs.last());
    QString wrapped;
    if (const Provider *service = m_catalogue->find(progId); service && service->wrapping) {
        const QList<qsizetype> named = m_byKeyword.value(keywordKey(service->wrapping->property));
        for (auto it = named.crbegin(); it != named.crend(); ++it) {
            if (!m_document.isRemoved(*it)) {
                wrapped = m_document.value(*it);
                break;
            }
        }
    }
    m_provider = m_catalogue->resolve(progId, wrapped);
}

void DataLinkProperties::followWrapped(QStringView name)
{
    if (m_provider.wrapping && keyOf(name) == keywordKey(m_provider.wrapping->property))
        resolveProvider();
}

void DataLinkProperties::reindex()
{
    m_byKeyword.clear();
    for (qsizetype i = 0; i < m_document.count(); ++i) {
        if (m_document.isPair(i))
            m_byKeyword[keywordKey(m_document.keyword(i))].append(i);
    }
    resolveProvider();
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
        const qsizetype effective = inEffect(pairsOf(key));
        if (effective < 0)
            continue;
        const PropertyDefinition *known = m_provider.property(keyword);
        list.append({known ? known->name : keyword, propertyValueAt(effective)});
    }
    return list;
}

std::optional<QString> DataLinkProperties::value(QStringView name) const
{
    const qsizetype effective = inEffect(pairsOf(keyOf(name)));
    if (effective < 0)
        return std::nullopt;
    return m_provider.toWrittenValue(name, propertyValueAt(effective));
}

std::optional<KeywordValue> DataLinkProperties::pairInEffect(QStringView name) const
{
    const qsizetype effective = inEffect(pairsOf(keyOf(name)));
    if (effective < 0)
        return std::nullopt;
    return KeywordValue {m_document.keyword(effective), m_document.value(effective)};
}

QList<PairReading> DataLinkProperties::readings() const
{
    const QHash<qsizetype, qsizetype> at = offsets();
    const QString providerKey = keywordKey(property::Provider);
    QList<PairReading> list;
    // Once for each property, not for each of its pairs: a string setting one property many
    // times would otherwise take time in the square of their number.
    QHash<QString, qsizetype> effectiveOf;
    for (qsizetype i = 0; i < m_document.count(); ++i) {
        if (m_document.isRemoved(i))
            continue;
        const QString key = keyOf(m_document.keyword(i));
        if (key == providerKey)
            continue;
        const PropertyDefinition *known = m_provider.property(m_document.keyword(i));
        auto cached = effectiveOf.find(key);
        if (cached == effectiveOf.end())
            cached = effectiveOf.insert(key, inEffect(pairsOf(key)));
        const qsizetype effective = *cached;
        PairReading reading;
        reading.offset = at.value(i, -1);
        reading.pair = {m_document.keyword(i), m_document.value(i)};
        reading.property = known ? known->name : m_document.keyword(i);
        reading.kind = kindAt(i);
        if (known && m_provider.precedence == Provider::Precedence::GetDataSource)
            reading.source = m_provider.precedenceSource;
        if (effective == i) {
            reading.effect = PairReading::Effect::InEffect;
            reading.source.clear();
        } else if (effective >= 0) {
            reading.effect = PairReading::Effect::Overridden;
            reading.winner = at.value(effective, -1);
        } else {
            reading.effect = PairReading::Effect::NoEffect;
        }
        list.append(reading);
    }
    return list;
}

QList<PairReading> DataLinkProperties::ineffectivePairs() const
{
    QList<PairReading> list = readings();
    list.removeIf(
        [](const PairReading &reading) { return reading.effect == PairReading::Effect::InEffect; });
    return list;
}

QList<EffectiveValue> DataLinkProperties::effectiveValues() const
{
    const QHash<qsizetype, qsizetype> at = offsets();
    const QString providerKey = keywordKey(property::Provider);
    QList<EffectiveValue> list;
    QHash<QString, bool> listed;
    for (qsizetype i = 0; i < m_document.count(); ++i) {
        const QString key = keyOf(m_document.keyword(i));
        if (m_document.isRemoved(i) || key == providerKey || listed.contains(key))
            continue;
        listed.insert(key, true);
        const PropertyDefinition *known = m_provider.property(m_document.keyword(i));
        const QString name = known ? known->name : m_document.keyword(i);
        if (const qsizetype effective = inEffect(pairsOf(key)); effective >= 0)
            list.append({name, propertyValueAt(effective), at.value(effective)});
        else if (known)
            list.append({name, known->defaultValue, std::nullopt});
    }
    return list;
}

QList<PairReading> DataLinkProperties::driverPairs() const
{
    if (m_provider.family != ProviderFamily::Odbc)
        return {};
    QList<PairReading> list = readings();
    list.removeIf([this](const PairReading &reading) {
        return m_provider.property(reading.pair.keyword) && reading.kind != KeywordKind::Driver;
    });
    return list;
}

bool DataLinkProperties::removePairAt(qsizetype offset)
{
    const QHash<qsizetype, qsizetype> at = offsets();
    for (auto it = at.cbegin(); it != at.cend(); ++it) {
        if (it.value() != offset)
            continue;
        m_document.remove(it.key());
        followWrapped(m_document.keyword(it.key()));
        return true;
    }
    return false;
}

void DataLinkProperties::setValue(const QString &name, const QString &value)
{
    if (sameKeyword(name, property::Provider)) {
        setProviderProgId(value);
        return;
    }
    write(name, value);
    followWrapped(name);
}

void DataLinkProperties::write(const QString &name, const QString &value)
{
    // In the vocabulary of the name given: `Trusted_Connection` takes `yes`.
    const QString meant = m_provider.toPropertyValue(name, value);
    const QString key = keyOf(name);
    const QList<qsizetype> live = pairsOf(key);
    if (const qsizetype effective = inEffect(live); effective >= 0) {
        if (propertyValueAt(effective) == meant)
            return;
        const QString &keyword = m_document.keyword(effective);
        // The value as first written, where it means the same, so that undoing an edit gives
        // back the very text (`Encrypt=true` stays `true`, not the first spelling, `yes`).
        const QString original = m_document.originalValue(effective);
        const QString written = m_provider.toPropertyValue(keyword, original) == meant
            ? original
            : m_provider.toWrittenValue(keyword, meant);
        m_document.setValue(effective, written);
        return;
    }
    const QList<qsizetype> removed = pairsOf(key, true);
    // A removed pair comes back where it would take effect beside the pairs still there.
    qsizetype back = -1;
    for (auto it = removed.crbegin(); it != removed.crend() && back < 0; ++it) {
        QList<qsizetype> with = live;
        with.insert(std::lower_bound(with.begin(), with.end(), *it), *it);
        if (inEffect(with) == *it)
            back = *it;
    }
    // Nor would one written under the very keyword given, with nothing else setting the
    // property: that is a pair put back, as after a fix took out one that had no effect.
    for (auto it = removed.crbegin(); it != removed.crend() && back < 0 && live.isEmpty(); ++it) {
        if (sameKeyword(m_document.keyword(*it), name))
            back = *it;
    }
    if (back >= 0) {
        m_document.setValue(back, m_provider.toWrittenValue(m_document.keyword(back), meant));
    } else if (const PropertyDefinition *known = m_provider.property(name);
               known && !live.isEmpty()) {
        // Only pairs without effect set it: the property's own name is what the provider reads.
        m_byKeyword[keywordKey(known->name)].append(m_document.append(known->name, meant));
    } else {
        m_byKeyword[keywordKey(name)].append(m_document.append(name, value));
    }
}

void DataLinkProperties::remove(QStringView name)
{
    for (const qsizetype index : pairsOf(keyOf(name)))
        m_document.remove(index);
    followWrapped(name);
}

std::optional<Conflict> DataLinkProperties::conflict(QStringView name) const
{
    const QList<qsizetype> live = pairsOf(keyOf(name));
    if (live.size() < 2)
        return std::nullopt;
    const QString first = propertyValueAt(live.first());
    bool differ = false;
    Conflict found;
    found.inEffect = live.indexOf(inEffect(live));
    if (found.inEffect < 0)
        return std::nullopt;
    for (qsizetype index : live) {
        differ = differ || propertyValueAt(index) != first;
        found.pairs.append({m_document.keyword(index), m_document.value(index)});
    }
    if (!differ)
        return std::nullopt;
    return found;
}

void DataLinkProperties::keepOnlyInEffect(QStringView name)
{
    const QList<qsizetype> live = pairsOf(keyOf(name));
    if (live.size() < 2)
        return;
    const qsizetype kept = inEffect(live);
    for (const qsizetype index : live) {
        if (index != kept)
            m_document.remove(index);
    }
}

ConnectionStringEdits::ConnectionStringEdits(const KeywordValueList &set, const QStringList &remove)
{
    for (const KeywordValue &pair : set)
        this->set(pair.keyword, pair.value);
    for (const QString &name : remove)
        this->remove(name);
}

QString editConnectionString(const ProviderCatalogue &catalogue, const QString &text,
                             const KeywordValueList &set, const QStringList &remove)
{
    QString out;
    editConnectionString(catalogue, text, ConnectionStringEdits(set, remove),
                         [&out](QStringView part) { out += part; });
    return out;
}

void editConnectionString(const ProviderCatalogue &catalogue, const QString &text,
                          const ConnectionStringEdits &edits,
                          const std::function<void(QStringView)> &write)
{
    const PackedStrings &setNames = edits.setNames();
    const PackedStrings &setValues = edits.setValues();
    const PackedStrings &removals = edits.removals();
    // Which keywords can matter: Provider's, the one that names the provider a service wraps,
    // and every spelling of each name under any provider the string can come to name, the one
    // it names now included. A wrapped provider's keywords are its own and the service's.
    QStringList naming {property::Provider};
    for (const Provider &provider : catalogue.providers()) {
        if (provider.wrapping && !naming.contains(provider.wrapping->property, Qt::CaseInsensitive))
            naming.append(provider.wrapping->property);
    }
    const auto isNaming = [&naming](QStringView keyword) {
        return std::any_of(naming.cbegin(), naming.cend(),
                           [keyword](const QString &name) { return sameKeyword(keyword, name); });
    };
    QSet<QString> progIds {QString()};
    struct Providers final : PairVisitor
    {
        std::function<void(QStringView, QStringView)> found;
        void visit(QStringView keyword, QStringView value) override { found(keyword, value); }
    } providers;
    providers.found = [&](QStringView keyword, QStringView value) {
        if (isNaming(keyword))
            progIds.insert(value.toString());
    };
    ConnectionString::visitPairs(text, providers);
    for (qsizetype i = 0; i < setNames.size(); ++i) {
        if (isNaming(setNames.at(i)))
            progIds.insert(setValues.at(i).toString());
    }
    // Each different name once: which keys a list of names reaches does not depend on how
    // often it repeats them.
    QSet<QString> names;
    for (const PackedStrings *list : {&setNames, &removals}) {
        for (qsizetype i = 0; i < list->keptCount(); ++i)
            names.insert(list->kept(i).toString());
    }
    QSet<QString> keys;
    for (const QString &name : std::as_const(naming))
        keys.insert(keywordKey(name));
    for (const QString &name : std::as_const(names))
        keys.insert(keywordKey(name));
    for (const QString &progId : std::as_const(progIds)) {
        const Provider provider = catalogue.resolve(progId);
        for (const QString &name : std::as_const(names)) {
            if (const PropertyDefinition *known = provider.property(name)) {
                keys.insert(keywordKey(known->name));
                for (const Synonym &synonym : known->synonyms)
                    keys.insert(keywordKey(synonym.keyword));
            }
        }
    }

    DataLinkProperties properties(catalogue);
    properties.m_document = ConnectionStringDocument::parse(
        text, [&keys](QStringView keyword) { return keys.contains(keywordKey(keyword)); });
    properties.reindex();
    for (qsizetype i = 0; i < setNames.size(); ++i)
        properties.setValue(setNames.at(i).toString(), setValues.at(i).toString());
    for (qsizetype i = 0; i < removals.size(); ++i)
        properties.remove(removals.at(i));
    properties.m_document.write(write);
}

} // namespace oledb
