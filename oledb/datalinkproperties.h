#pragma once

#include "oledb/connectionstringdocument.h"
#include "oledb/provider.h"

#include <QHash>

namespace oledb {

class ProviderCatalogue;

// Two or more pairs that set one property to different values: which pairs, and which one the
// provider would go by (the last).
struct Conflict
{
    // Keyword and value as written, in the string's order.
    KeywordValueList pairs;
    qsizetype inEffect = -1;
};

// What the Data Link dialog edits: a connection string as it was written, read through the
// catalogue's knowledge of its provider. A property is found under its own name or any synonym
// the provider documents, and an edit changes the pair that sets it in place, under the spelling
// and in the vocabulary the string used; a property the string lacks is appended. Everything
// the user does not change stays as it was, byte for byte.
class DataLinkProperties
{
public:
    // A new connection: no provider, no properties, writes "".
    explicit DataLinkProperties(const ProviderCatalogue &catalogue);
    // Throws FormatError for a malformed string.
    static DataLinkProperties fromString(const ProviderCatalogue &catalogue, const QString &text);

    const ProviderCatalogue &catalogue() const { return *m_catalogue; }
    // As the string spelt it; empty when it named none.
    QString providerProgId() const;
    // The catalogue's entry for the ProgID, or the generic one carrying the ProgID.
    const Provider &provider() const { return m_provider; }
    // Rewrites the Provider pair's value in place; a string without one gets it as its first pair.
    // An empty ProgID takes the pair out.
    void setProviderProgId(const QString &progId);

    // Every property the string sets, once each, in the order they first appear, with the value
    // in effect in the property's own vocabulary. Declared properties go by their catalogue name,
    // others by the keyword as first spelt.
    KeywordValueList properties() const;
    // The name may be the property's, any synonym of it, or any other keyword.
    std::optional<QString> value(QStringView name) const;
    // The pair in effect as written: keyword spelling and value in its own vocabulary.
    std::optional<KeywordValue> pairInEffect(QStringView name) const;
    // Edits the pair in effect; setting the value a property has already is no edit. Setting
    // Provider sets the ProgID. Throws platform::Error for a keyword no string can hold.
    void setValue(const QString &name, const QString &value);
    // Removes every pair that sets the property.
    void remove(QStringView name);

    // Nothing when the pairs that set the property agree (or there is only one).
    std::optional<Conflict> conflict(QStringView name) const;
    // Removes every pair that sets the property but the one in effect.
    void keepOnlyInEffect(QStringView name);

    // Folded catalogue name for a declared property under any of its keywords, the folded
    // keyword otherwise: equal for every name of one property.
    QString propertyKey(QStringView name) const { return keyOf(name); }

    QString toString() const { return m_document.toString(); }

private:
    QString keyOf(QStringView keyword) const;
    QString propertyValueAt(qsizetype index) const;
    void reindex();

    const ProviderCatalogue *m_catalogue;
    ConnectionStringDocument m_document;
    Provider m_provider;
    // Property key (see keyOf) -> indexes of the live pairs that set it, in order; and of the
    // removed ones, so that setting the property again brings its pair back where it stood.
    QHash<QString, QList<qsizetype>> m_live;
    QHash<QString, QList<qsizetype>> m_removed;
};

// For scripts: the text with each [name, value] of `set` applied, then each name of `remove`, in
// order, the way the dialog edits a string (names may be synonyms; everything else stays as
// written). Throws FormatError for a malformed text and platform::Error for a keyword no string
// can hold.
QString editConnectionString(const ProviderCatalogue &catalogue, const QString &text,
                             const KeywordValueList &set, const QStringList &remove);

} // namespace oledb
