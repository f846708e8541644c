#pragma once

#include "oledb/datalinkproperties.h"
#include "oledb/provider.h"

#include <QList>
#include <QObject>
#include <QString>

#include <optional>

namespace oledb {
class ProviderCatalogue;
}

namespace datalink {

// A property whose value its provider would refuse, with the reason in the user's words.
struct PropertyProblem
{
    QString name;
    QString explanation;
};

// What the dialog is editing, shared by all its pages: every page reads from here and writes
// here, so a value changed on one page shows on the others and in the live string at once.
class DataLinkDraft final : public QObject
{
    Q_OBJECT

public:
    DataLinkDraft(const oledb::ProviderCatalogue &catalogue, oledb::DataLinkProperties properties,
                  QObject *parent = nullptr);

    const oledb::ProviderCatalogue &catalogue() const { return m_catalogue; }
    // The catalogue's entry for the ProgID, or the generic one carrying the ProgID.
    const oledb::Provider &provider() const { return m_provider; }
    QString providerProgId() const { return m_properties.providerProgId(); }

    // The user picked a provider: what only the previous provider understood goes, what the new
    // one shares with it or what neither knows stays, and the new one's usual settings are seeded.
    void chooseProvider(const QString &progId);

    std::optional<QString> value(QStringView name) const { return m_properties.value(name); }
    const oledb::KeywordValueList &properties() const { return m_properties.properties(); }
    const oledb::PropertyDefinition *definition(QStringView name) const;
    void setValue(const QString &name, const QString &value);
    void remove(const QString &name);

    // Whether the string keeps passwords. A string that carries one without saying whether it
    // may is taken to keep it, so editing it does not drop the password without a word.
    bool savesPasswords() const;
    void setSavesPasswords(bool save);
    // Secret properties are left out of the string unless saving passwords is allowed, and
    // their editors hide what is typed.
    bool isSecret(QStringView name) const;

    bool isModified() const { return m_properties.isModified(); }
    QString connectionString() const;
    // For display: the string with every secret in it, nested ones too, masked in place.
    QString maskedConnectionString() const;
    // The string with every secret in it, whether or not the user lets it be saved: what a
    // connection test must log on with. Never shown.
    QString connectionStringWithSecrets() const;
    QList<PropertyProblem> problems() const;
    // Empty when the property's value is fine or absent.
    QString problemWith(QStringView name) const;

Q_SIGNALS:
    void changed();
    // Properties were added or removed, or the provider changed: lists of rows need rebuilding.
    void shapeChanged();

private:
    void keepPasswordsOnFirstEdit();
    void seedDefaults();

    const oledb::ProviderCatalogue &m_catalogue;
    oledb::DataLinkProperties m_properties;
    oledb::Provider m_provider;
};

} // namespace datalink
