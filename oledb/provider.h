#pragma once

#include "oledb/propertydefinition.h"
#include "oledb/providerfamily.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace oledb {

// An OLE DB provider as the Data Link dialog knows it.
struct Provider
{
    // As the dialog writes it after `Provider=`.
    QString progId;
    // Other names a string may use for the same provider, such as the version-independent one.
    QStringList aliases;
    QString description;
    // Stands in for any provider the catalogue does not know.
    bool generic = false;
    ProviderFamily family = ProviderFamily::Other;
    // In the order the provider lists them, which is the order the dialog writes them in.
    QList<PropertyDefinition> properties;

    // Case-insensitive, like every keyword; nullptr for a property the provider does not declare.
    const PropertyDefinition *property(QStringView name) const;
    qsizetype indexOf(QStringView name) const;
    bool answersTo(QStringView name) const;
};

} // namespace oledb
