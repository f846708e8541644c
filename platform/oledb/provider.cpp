#include "platform/oledb/provider.h"

#include "platform/oledb/connectionstring.h"

namespace oledb {

const PropertyDefinition *Provider::property(QStringView name) const
{
    for (const PropertyDefinition &definition : properties) {
        if (sameKeyword(definition.name, name))
            return &definition;
    }
    return nullptr;
}

bool Provider::answersTo(QStringView name) const
{
    if (!progId.isEmpty() && sameKeyword(progId, name))
        return true;
    for (const QString &alias : aliases) {
        if (sameKeyword(alias, name))
            return true;
    }
    return false;
}

} // namespace oledb
