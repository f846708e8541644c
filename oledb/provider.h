#pragma once

#include "oledb/propertydefinition.h"
#include "oledb/providerfamily.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace oledb {

// An OLE DB provider as the Data Link dialog knows it.
struct Provider
{
    // As the dialog writes it after `Provider=`.
    QString progId;
    // Other names a string may use for the same provider, such as the version-independent one.
    QStringList aliases;
    QString description;
    // The catalogue's source id for the provider's keyword table; empty for the generic entry
    // of a hand-written catalogue.
    QString source;
    // Stands in for any provider the catalogue does not know.
    bool generic = false;
    ProviderFamily family = ProviderFamily::Other;
    // In the order the provider lists them, which is the order the dialog writes them in.
    QList<PropertyDefinition> properties;

    // How the provider decides between pairs that set one property.
    enum class Precedence {
        // Nothing documented beyond the syntax: the last pair is the one in effect.
        LastPair,
        // IDataInitialize::GetDataSource: a property name beats every provider-string keyword,
        // a provider-string keyword counts only for a property with no default that no
        // property name sets, the last property name and the first provider-string keyword win.
        GetDataSource,
    };
    Precedence precedence = Precedence::LastPair;
    // The catalogue's source id for the precedence; empty for LastPair.
    QString precedenceSource;

    // A provider its maker has deprecated: what to use instead, and where that is said.
    struct Deprecation
    {
        QString successor;
        QString source;
    };
    std::optional<Deprecation> deprecation;

    // A service that hands the string on to another provider, which one of its properties
    // names: the provider reads every property but the service's own.
    struct Wrapping
    {
        // The property that names the provider, read under its own name: one of the service's
        // own.
        QString property;
        // The others the service keeps for itself.
        QStringList ownProperties;
        QString source;
    };
    std::optional<Wrapping> wrapping;
    // A service read with the provider it wraps (ProviderCatalogue::resolve): that provider's
    // ProgID as the catalogue writes it. Empty otherwise.
    QString wrapped;
    // And that provider's name and deprecation, which the service does not lift.
    QString wrappedDescription;
    std::optional<Deprecation> wrappedDeprecation;

    // What a keyword sets: the property and, for a synonym, which one (-1 for the property's
    // own name). Indexes, so that copies of a provider stay sound.
    struct Meaning
    {
        qsizetype property = -1;
        qsizetype synonym = -1;
    };

    // By the property's name or any synonym, case-insensitively like every keyword; nullptr for
    // a keyword the provider does not declare. Hashed: call index() once the properties are set.
    const PropertyDefinition *property(QStringView keyword) const;
    qsizetype indexOf(QStringView keyword) const;
    Meaning meaning(QStringView keyword) const;
    // The property's value as the keyword writes it, and back; unchanged for the property's own
    // name and for keywords the provider does not declare.
    QString toPropertyValue(QStringView keyword, const QString &written) const;
    QString toWrittenValue(QStringView keyword, const QString &meant) const;
    // Whether the keyword is a synonym that documents this value (`Trusted_Connection=no`), which
    // makes it valid whatever it stands for.
    bool documentsValue(QStringView keyword, QStringView written) const;
    bool answersTo(QStringView name) const;
    // Whether the keyword goes to the ODBC driver as it is written: one the provider does not
    // declare, or a property it declares only to name the driver's own keyword (DRIVER, SERVER).
    bool handsToDriver(QStringView keyword) const;

    // Builds the lookup by keyword; false when two properties claim the same keyword.
    bool index(QString *clash = nullptr);

private:
    QHash<QString, Meaning> m_keywords;
};

// How keywords compare: case-insensitively, whatever the case of the letters.
QString keywordKey(QStringView keyword);

} // namespace oledb
