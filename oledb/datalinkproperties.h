#pragma once

#include "oledb/connectionstringdocument.h"
#include "oledb/packedstrings.h"
#include "oledb/provider.h"

#include <QHash>

namespace oledb {

class ProviderCatalogue;

// Two or more pairs that set one property to different values: which pairs, and which one the
// provider goes by.
struct Conflict
{
    // Keyword and value as written, in the string's order.
    KeywordValueList pairs;
    // Index into pairs.
    qsizetype inEffect = -1;
};

// One pair of the string as its provider reads it.
struct PairReading
{
    enum class Effect {
        InEffect,
        // Another pair sets the property and the provider goes by that one (winner).
        Overridden,
        // Nothing this pair says reaches the provider: a provider-string keyword for a property
        // that has a default of its own, so the default stands.
        NoEffect,
    };

    // Where the pair's keyword starts in toString(), in UTF-16 code units.
    qsizetype offset = -1;
    // Keyword and value as written.
    KeywordValue pair;
    // The catalogue's name for a declared property, the keyword as written for any other.
    QString property;
    KeywordKind kind = KeywordKind::Alias;
    Effect effect = Effect::InEffect;
    // The offset of the pair in effect, for an overridden pair.
    qsizetype winner = -1;
    // The catalogue's source id for the rule that decided; empty where the provider documents
    // none and the string's own order decided (the last pair).
    QString source;
};

// A property's value as the provider will use it, and where it comes from.
struct EffectiveValue
{
    QString property;
    // In the property's own vocabulary (`SSPI`, `True`), whatever keyword set it.
    QString value;
    // The pair's offset in toString(); nothing when the provider's default stands.
    std::optional<qsizetype> offset;

    friend bool operator==(const EffectiveValue &, const EffectiveValue &) = default;
};

// What the Data Link dialog edits: a connection string as it was written, read through the
// catalogue's knowledge of its provider. A property is found under its own name or any synonym
// the provider documents; which of several pairs is in effect is the provider's documented rule
// (Provider::Precedence). An edit changes the pair in effect in place, under the spelling and in
// the vocabulary the string used; a property the string lacks, or sets only with pairs that
// have no effect, is appended under its own name. Everything the user does not change stays as
// it was, byte for byte.
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

    // Every property a pair of the string sets, once each, in the order they first appear, with
    // the value in effect in the property's own vocabulary. Declared properties go by their
    // catalogue name, others by the keyword as first spelt. A property whose pairs all have no
    // effect is not listed: the provider's default stands.
    KeywordValueList properties() const;
    // The name may be the property's, any synonym of it, or any other keyword. Nothing when no
    // pair sets it or none that does takes effect.
    std::optional<QString> value(QStringView name) const;
    // The pair in effect as written: keyword spelling and value in its own vocabulary.
    std::optional<KeywordValue> pairInEffect(QStringView name) const;

    // Every pair but Provider, in the string's order, with what it does.
    QList<PairReading> readings() const;
    // The pairs that do nothing, and why: readings() without those in effect.
    QList<PairReading> ineffectivePairs() const;
    // For every property the string mentions, in the order they first appear, the value the
    // provider will use: the pair in effect, or the provider's documented default where no
    // pair takes effect.
    QList<EffectiveValue> effectiveValues() const;
    // For the ODBC provider, which hands every keyword it does not know to the driver: the
    // top-level pairs that make up the driver's connection string (Driver, Server, Port,
    // Database, DSN, UID, PWD, ...), in order. Empty for every other family.
    QList<PairReading> driverPairs() const;
    // Removes the one pair whose keyword starts at the offset in toString(); false when none
    // does. What a fix for a pair with no effect does.
    bool removePairAt(qsizetype offset);
    // Edits the pair in effect; setting the value a property has already is no edit. Setting
    // Provider sets the ProgID. Throws platform::Error for a keyword no string can hold.
    void setValue(const QString &name, const QString &value);
    // Removes every pair that sets the property.
    void remove(QStringView name);

    // Nothing when the pairs that set the property agree (or there is only one), and nothing
    // when none of them takes effect: each is then a pair without effect, not a rival.
    std::optional<Conflict> conflict(QStringView name) const;
    // Removes every pair that sets the property but the one in effect.
    void keepOnlyInEffect(QStringView name);

    // Folded catalogue name for a declared property under any of its keywords, the folded
    // keyword otherwise: equal for every name of one property.
    QString propertyKey(QStringView name) const { return keyOf(name); }

    QString toString() const { return m_document.toString(); }

private:
    friend void editConnectionString(const ProviderCatalogue &, const QString &,
                                     const class ConnectionStringEdits &,
                                     const std::function<void(QStringView)> &);

    QString keyOf(QStringView keyword) const;
    QString propertyValueAt(qsizetype index) const;
    KeywordKind kindAt(qsizetype index) const;
    // The index of the pair the provider goes by among the given ones (all setting one
    // property), or -1 when the provider's default stands.
    qsizetype inEffect(const QList<qsizetype> &pairs) const;
    // Document index -> where the pair stands in toString().
    QHash<qsizetype, qsizetype> offsets() const;
    // The pairs that set the property of a key (see keyOf), in the string's order: the live
    // ones, or the removed ones, so that setting the property again brings its pair back where
    // it stood.
    QList<qsizetype> pairsOf(const QString &key, bool removed = false) const;
    void resolveProvider();
    // After an edit of the property that names the provider a service wraps, the string reads
    // as the new provider's.
    void followWrapped(QStringView name);
    void write(const QString &name, const QString &value);
    void reindex();

    const ProviderCatalogue *m_catalogue;
    ConnectionStringDocument m_document;
    Provider m_provider;
    // Keyword as written (folded) -> every pair under it, removed ones too, in order. Kept by
    // keyword rather than by property, so that a change of provider, which changes which
    // keywords mean one property, leaves it as it is.
    QHash<QString, QList<qsizetype>> m_byKeyword;
};

// What editConnectionString does to a string: each [name, value] set, in order, then each name
// removed, in order. A script may send hundreds of thousands, mostly a few names and values
// again and again; they are kept packed.
class ConnectionStringEdits
{
public:
    ConnectionStringEdits() = default;
    ConnectionStringEdits(const KeywordValueList &set, const QStringList &remove);

    void set(QStringView name, QStringView value)
    {
        m_setNames.append(name);
        m_setValues.append(value);
    }
    void remove(QStringView name) { m_removals.append(name); }
    void clearSets()
    {
        m_setNames.clear();
        m_setValues.clear();
    }
    void clearRemovals() { m_removals.clear(); }

    // The names and values set, index by index.
    const PackedStrings &setNames() const { return m_setNames; }
    const PackedStrings &setValues() const { return m_setValues; }
    const PackedStrings &removals() const { return m_removals; }

private:
    PackedStrings m_setNames;
    PackedStrings m_setValues;
    PackedStrings m_removals;
};

// For scripts: the text with the edits applied the way the dialog edits a string (names may be
// synonyms; everything else stays as written). Throws FormatError for a malformed text and
// platform::Error for a keyword no string can hold.
QString editConnectionString(const ProviderCatalogue &catalogue, const QString &text,
                             const KeywordValueList &set, const QStringList &remove);
// The same handed to `write` a part at a time, once every edit has succeeded. Only the pairs
// that could set one of the names are read as pairs, so a string of millions of others costs
// little more than the string.
void editConnectionString(const ProviderCatalogue &catalogue, const QString &text,
                          const ConnectionStringEdits &edits,
                          const std::function<void(QStringView)> &write);

} // namespace oledb
