#pragma once

#include "drivers/testing/jetheader.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace testsupport {

// A table of text columns (at most 255 characters a value, as the engine allows).
struct JetTable
{
    QString name;
    QStringList columns;
    QList<QStringList> rows;
};

struct JetFileOptions
{
    // Jet4 or Ace: both keep the Jet 4 layout, which the readers read alike.
    drivers::JetHeader::Format format = drivers::JetHeader::Format::Jet4;
    // Kept in the header as the engine keeps it, up to its 20 characters.
    QString password;
    // Sets the database key. A Jet 4 file's pages are then encoded under it as the engine
    // encodes them, so readers still open it; an ACE file's are left as they are, since the
    // engine's password encryption is out of reach here, so readers fail on it as they fail on
    // a real encrypted one.
    bool encoded = false;
    // Damage a failing disk or an interrupted write leaves, with the catalogue's definition
    // still starting as it should: its column definitions zeroed, or the page of usage maps
    // zeroed but for its header, which still counts the rows, so the catalogue's map is empty.
    enum class Damage { None, CatalogueColumns, UsageMaps } damage = Damage::None;
};

// A whole database file: the header, the catalogue the readers start from, and for each table
// its definition, usage maps and data pages, without indexes.
QByteArray jetDatabase(const QList<JetTable> &tables, const JetFileOptions &options = {});

} // namespace testsupport
