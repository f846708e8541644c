#include "oledb/datalinkwriter.h"

#include "oledb/provider.h"
#include "oledb/secrets.h"

namespace oledb {

QString writeDataLinkString(const Provider &provider, const KeywordValueList &properties)
{
    const ConnectionString given(ConnectionString(properties).effectivePairs());
    const bool persistSecrets = PropertyDefinition::parseBoolean(
                                    given.value(u"Persist Security Info").value_or(QString()))
                                    .value_or(false);

    QList<const QString *> known(provider.properties.size(), nullptr);
    KeywordValueList unknown;
    for (const KeywordValue &pair : given.pairs()) {
        if (sameKeyword(pair.keyword, u"Provider"))
            continue;
        const qsizetype index = provider.indexOf(pair.keyword);
        if (index < 0) {
            if (persistSecrets || !isSecretKeyword(pair.keyword))
                unknown.append(pair);
        } else
            known[index] = &pair.value;
    }

    KeywordValueList ordered;
    if (!provider.progId.isEmpty())
        ordered.append({QStringLiteral("Provider"), provider.progId});
    for (qsizetype i = 0; i < known.size(); ++i) {
        const PropertyDefinition &definition = provider.properties.at(i);
        if (known.at(i)
            && (persistSecrets || !(definition.secret || isSecretKeyword(definition.name))))
            ordered.append({definition.name, *known.at(i)});
    }
    ordered.append(unknown);
    return ConnectionString(std::move(ordered)).toString(EmptyValueStyle::Quoted);
}

} // namespace oledb
