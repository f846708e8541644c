#pragma once

#include "drivers/odbc.h"
#include "oledb/odbcdrivercatalogue.h"

#include <QDialog>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

class QFormLayout;
class QRadioButton;

namespace datalink {

class DataLinkDraft;
class PropertyEditor;

// Builds the ODBC connection string from a driver and its usual keywords, each a field of its
// own, and writes it into the string nested in Extended Properties or at its top level, as the
// user chooses. Opened on a string, it reads the keywords from wherever they stand. Only what
// the user changed is written: every other character of the string stays as it was.
class OdbcBuildDialog final : public QDialog
{
    Q_OBJECT

public:
    // `topLevel`: where the page found the string's ODBC keywords, and where they go unless the
    // user chooses otherwise.
    OdbcBuildDialog(DataLinkDraft &draft, const QList<drivers::odbc::Driver> &drivers,
                    bool topLevel, QWidget *parent = nullptr);

    // Writes what the user changed into the draft; OK does this before closing.
    void apply();
    // Where the user wants the keywords.
    bool writesTopLevel() const;

private:
    struct Reading
    {
        // As the string spells it.
        QString keyword;
        QString value;
    };
    struct Field
    {
        oledb::OdbcDriverCatalogue::Field keyword;
        PropertyEditor *editor = nullptr;
        std::optional<Reading> read;
        std::optional<QString> value;
    };

    void showFields();
    std::optional<Reading> read(const QStringList &keywords, bool topLevel) const;
    // The field's keywords with the spelling the string used first, which a move keeps.
    static QStringList spelledAsRead(const Field &field);
    static bool isEdited(const Field &field);
    // The pairs none of the fields reads, as written, `;` between them.
    QString readOthers(bool topLevel) const;
    void write(const QStringList &keywords, const std::optional<QString> &value, bool topLevel);
    void writeOthers(const QString &before, const QString &after, bool topLevel);
    QStringList claimedKeywords() const;
    // In Extended Properties, a keyword the provider sets from its own property (the log-on,
    // the catalog) is overridden by it; the field then edits the property itself.
    std::optional<QString> overridingProperty(const QStringList &keywords) const;
    void updateOthersEcho();

    DataLinkDraft &m_draft;
    const oledb::OdbcDriverCatalogue &m_catalogue;
    QList<drivers::odbc::Driver> m_drivers;
    bool m_readTopLevel;
    PropertyEditor *m_driver;
    QFormLayout *m_form;
    PropertyEditor *m_others;
    QRadioButton *m_nested;
    QRadioButton *m_topLevel;
    std::optional<Reading> m_readDriver;
    std::optional<QString> m_driverValue;
    const oledb::OdbcDriverCatalogue::Family *m_family = nullptr;
    QList<Field> m_fields;
    QString m_readOthers;
    QString m_othersValue;
    bool m_othersEdited = false;
};

} // namespace datalink
