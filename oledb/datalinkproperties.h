#pragma once

#include "oledb/connectionstring.h"

namespace oledb {

class ProviderCatalogue;

// What the Data Link dialog edits: a provider and its properties, read from a connection string.
// Left untouched it writes back the very string it was read from, so opening the dialog and
// pressing OK never disturbs a string written elsewhere; once edited it writes the dialog's form.
class DataLinkProperties
{
public:
    // A new connection: no provider, no properties, writes "".
    DataLinkProperties() = default;
    // Throws FormatError for a malformed string.
    static DataLinkProperties fromString(const QString &text);

    // As the string spelt it; empty when it named none.
    QString providerProgId() const { return m_providerProgId; }
    void setProviderProgId(const QString &progId);

    // Every keyword but Provider, once each (case-insensitively) at its first position, with the
    // value in effect; keyword spelling is the string's.
    const KeywordValueList &properties() const { return m_properties; }
    std::optional<QString> value(QStringView name) const;
    // Setting a property to the value it has already is no edit; setting Provider sets the ProgID.
    void setValue(const QString &name, const QString &value);
    void remove(QStringView name);

    bool isModified() const { return m_modified; }
    // The original text while unmodified, otherwise writeDataLinkString() for the provider that
    // the catalogue resolves the ProgID to.
    QString toString(const ProviderCatalogue &catalogue) const;

private:
    qsizetype indexOf(QStringView name) const;

    QString m_original;
    QString m_providerProgId;
    KeywordValueList m_properties;
    bool m_modified = false;
};

} // namespace oledb
