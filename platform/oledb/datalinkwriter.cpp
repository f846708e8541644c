#include "platform/oledb/datalinkwriter.h"

#include "platform/oledb/provider.h"

#include <QHash>

namespace oledb {

namespace {

constexpr QStringView ProviderKeyword = u"Provider";
constexpr QStringView PersistKeyword = u"Persist Security Info";

// One entry per keyword at its first position, carrying the value in effect. Hashed, because a
// pasted string may hold any number of pairs.
class EffectiveProperties
{
public:
    explicit EffectiveProperties(const KeywordValueList &properties)
    {
        for (const KeywordValue &pair : properties) {
            if (sameKeyword(pair.keyword, ProviderKeyword))
                continue;
            const QString key = pair.keyword.toCaseFolded();
            const auto it = m_index.constFind(key);
            if (it == m_index.cend()) {
                m_index.insert(key, m_pairs.size());
                m_pairs.append(pair);
            } else {
                m_pairs[*it].value = pair.value;
            }
        }
    }

    const KeywordValueList &pairs() const { return m_pairs; }

    const QString *value(const QString &keyword) const
    {
        const auto it = m_index.constFind(keyword.toCaseFolded());
        return it == m_index.cend() ? nullptr : &m_pairs.at(*it).value;
    }

private:
    KeywordValueList m_pairs;
    QHash<QString, qsizetype> m_index;
};

} // namespace

QString writeDataLinkString(const Provider &provider, const KeywordValueList &properties)
{
    const EffectiveProperties given(properties);
    const QString *persist = given.value(PersistKeyword.toString());
    const bool persistSecrets
        = persist && PropertyDefinition::parseBoolean(*persist).value_or(false);

    KeywordValueList ordered;
    ordered.reserve(given.pairs().size() + 1);
    if (!provider.progId.isEmpty())
        ordered.append({ProviderKeyword.toString(), provider.progId});
    for (const PropertyDefinition &definition : provider.properties) {
        if (definition.secret && !persistSecrets)
            continue;
        if (const QString *value = given.value(definition.name))
            ordered.append({definition.name, *value});
    }
    for (const KeywordValue &pair : given.pairs()) {
        if (!provider.property(pair.keyword))
            ordered.append(pair);
    }
    return ConnectionString(std::move(ordered)).toString(EmptyValueStyle::Quoted);
}

} // namespace oledb
