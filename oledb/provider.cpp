#include "oledb/provider.h"

#include "oledb/connectionstring.h"

namespace oledb {

const PropertyDefinition *Provider::property(QStringView name) const
{
    const qsizetype index = indexOf(name);
    return index < 0 ? nullptr : &properties.at(index);
}

qsizetype Provider::indexOf(QStringView name) const
{
    for (qsizetype i = 0; i < properties.size(); ++i) {
        if (sameKeyword(properties.at(i).name, name))
            return i;
    }
    return -1;
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
