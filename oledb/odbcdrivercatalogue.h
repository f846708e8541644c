#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

namespace oledb {

// The usual keywords of the ODBC drivers Debian ships, by driver family, each taken from the
// driver's own documentation and kept as data (odbcdrivers.json) with its source, so that a
// keyword is added without touching logic. What the ODBC page's Build dialog offers as fields.
class OdbcDriverCatalogue
{
public:
    struct Field
    {
        QString label;
        // The first is the one written; the others are spellings the driver documents for the
        // same setting, read as it.
        QStringList keywords;
        // The values the driver documents, offered to choose from; empty for free text.
        QStringList values;
        // The driver's default, where the field may be left empty for it.
        QString placeholder;
        QString source;
    };
    struct Family
    {
        QString id;
        // The file names of the shared objects the family's packages register.
        QStringList libraries;
        // Words of a driver's registered name that say which family it is.
        QStringList nameContains;
        QList<Field> fields;
    };

    // Throws platform::Error naming what is wrong with the data: a field without keywords, a
    // source no entry lists.
    static OdbcDriverCatalogue fromJson(const QByteArray &json);
    // The table compiled into the program.
    static const OdbcDriverCatalogue &builtIn();

    // The family of a driver: by the file name of its shared object where the registration
    // gives one (another vendor's driver for the same database takes other keywords), by its
    // name otherwise. Null for a driver no entry documents.
    const Family *family(QStringView driverName, QStringView library = {}) const;
    const QList<Family> &families() const { return m_families; }
    QString source(const QString &id) const { return m_sources.value(id); }

private:
    OdbcDriverCatalogue() = default;

    QHash<QString, QString> m_sources;
    QList<Family> m_families;
};

} // namespace oledb
