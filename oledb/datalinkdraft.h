#pragma once

#include "oledb/datalinkproperties.h"
#include "oledb/problems.h"
#include "oledb/provider.h"

#include <QHash>
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
    const oledb::Provider &provider() const { return m_properties.provider(); }
    QString providerProgId() const { return m_properties.providerProgId(); }
    // Which pages fit: the ProgID as written and, for a service, the provider it wraps. Pages
    // are built again when it changes.
    QString pagesKey() const { return providerProgId() + u'\n' + provider().wrapped; }

    // The user picked a provider. A string being edited changes only its Provider pair; a new
    // one that the user has not touched otherwise is started afresh with the provider's usual
    // settings.
    void chooseProvider(const QString &progId);

    // Under the property's name or any synonym. A password typed while saving passwords is off
    // has a value, though the string does not carry it.
    std::optional<QString> value(QStringView name) const;
    oledb::KeywordValueList properties() const { return m_properties.properties(); }
    // The pair in effect as written: its keyword's spelling, and its value under it.
    std::optional<oledb::KeywordValue> pairInEffect(QStringView name) const
    {
        return m_properties.pairInEffect(name);
    }
    const oledb::PropertyDefinition *definition(QStringView name) const;
    void setValue(const QString &name, const QString &value);
    void remove(const QString &name);
    // Two pairs setting the property to different values; see oledb::Conflict.
    std::optional<oledb::Conflict> conflict(QStringView name) const;
    void keepOnlyInEffect(const QString &name);
    // What in the string will not do what it says, in the string's order.
    QList<oledb::Problem> stringProblems() const { return oledb::findProblems(m_properties); }
    // A problem's one-click mend, as an ordinary edit; false when the string no longer holds
    // what it concerns.
    bool applyFix(const oledb::ProblemFix &fix);
    // For the ODBC provider: the pairs that only its driver reads (Driver, Server, Port, ...:
    // keywords the provider has no property for, which it passes on), those in effect, in
    // the string's order.
    QList<oledb::PairReading> driverOnlyPairs() const;
    // The same for every name of one property: rows and fields are found by it.
    QString propertyKey(QStringView name) const { return m_properties.propertyKey(name); }

    // Whether the string keeps the log-on password: it does whenever it carries one, whatever
    // Persist Security Info says (that tells the provider what to give back once connected, not
    // what this text holds); without one, as Persist Security Info says, or, where it says
    // nothing, whether the string came with one.
    bool savesPasswords() const;
    // Allowing writes Persist Security Info=True and puts back a password held out; refusing
    // takes the log-on password out of the string (the fields keep it, and a connection test
    // still uses it) and makes Persist Security Info say so where it would not. Refusing and
    // allowing again gives back the string as it was, byte for byte.
    void setSavesPasswords(bool save);
    // Secret properties are masked wherever they are shown, and their editors hide what is
    // typed.
    bool isSecret(QStringView name) const;
    // Persist Security Info governs the log-on password (the Password property, under any of
    // its names) and nothing else: the providers document it as an authentication property,
    // beside the user name. Their own secrets (the Jet database password, which opens the
    // file; an access token) are written as typed.
    bool isSavedOnlyWhenAllowed(QStringView name) const;
    // A value the user typed that the string leaves out because saving passwords is off.
    bool isHeldOut(QStringView name) const;
    // Whether the string itself sets the property; value() also has what is held out.
    bool isInString(QStringView name) const { return m_properties.value(name).has_value(); }

    // "Show password": whether the live string and the fields that hold a secret inside their
    // value show it as it is. A secret property's own field always hides what is typed.
    bool revealsSecrets() const { return m_revealed; }
    void setRevealsSecrets(bool reveal);
    // Whether the property's field must hide its text: a secret, or a value with a secret
    // nested in it while secrets are not revealed.
    bool hidesValue(QStringView name) const;
    // keyword=value as the user may see it, for lists of pairs.
    QString shownPair(const oledb::KeywordValue &pair) const;

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
    // Properties were added or removed, or the provider changed (the one a service wraps too):
    // lists of rows need rebuilding.
    void shapeChanged();
    // One property's value (or its conflict) changed, under the name it was changed by.
    void propertyChanged(const QString &name);

private:
    void seedDefaults();

    const oledb::ProviderCatalogue &m_catalogue;
    oledb::DataLinkProperties m_properties;
    // A new connection the user has done nothing with but pick a provider.
    bool m_fresh;
    // What a string without Persist Security Info is taken to say.
    bool m_savesWithoutSaying;
    // Passwords typed while saving is off, by property key: name and value.
    QHash<QString, oledb::KeywordValue> m_heldSecrets;
    // How things stood before the last toggle of saving passwords, so that toggling back puts
    // Persist Security Info back as it was (no value: no pair); forgotten once the user sets
    // it some other way.
    struct BeforeToggle
    {
        bool saved;
        std::optional<QString> persist;
    };
    std::optional<BeforeToggle> m_beforeToggle;
    bool m_revealed = false;
};

} // namespace datalink
