#include "tests/drivers/jetfile.h"

#include <QtEndian>

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <optional>
#include <utility>

namespace testsupport {

namespace {

using Format = drivers::JetHeader::Format;

constexpr qsizetype PageSize = 4096;
// The size the engine gives a table's usage maps: a type byte, the first page the bitmap
// stands for, and a bit for each of the 472 pages from there.
constexpr qsizetype MapSize = 64;
// 15 March 2023, noon, in days since 30 December 1899.
constexpr double CreationDate = 45000.5;
// Any key but zero; each page is encoded under the key with the page's number xored in.
constexpr quint32 DatabaseKey = 0x2b6e1f93;

enum Type : char { Integer = 0x03, LongInteger = 0x04, Text = 0x0a, LongBinary = 0x0b };

struct Column
{
    QString name;
    Type type;
};

// A value as the row keeps it, nullopt for a null.
using Record = QList<std::optional<QByteArray>>;

struct Table
{
    QList<Column> columns;
    QList<Record> records;
    bool system = false;
};

template<typename T> void put(QByteArray &bytes, qsizetype at, T value)
{
    qToLittleEndian(value, bytes.data() + at);
}

template<typename T> QByteArray little(T value)
{
    QByteArray bytes(sizeof(T), '\0');
    put(bytes, 0, value);
    return bytes;
}

QByteArray ucs2(const QString &text)
{
    QByteArray bytes("", 0);
    for (const QChar c : text)
        bytes += little<quint16>(c.unicode());
    return bytes;
}

qsizetype fixedSize(Type type)
{
    return type == Integer ? 2 : type == LongInteger ? 4 : 0;
}

void rc4(const QByteArray &key, char *data, qsizetype size)
{
    std::array<std::uint8_t, 256> s;
    for (int i = 0; i < 256; ++i)
        s[i] = static_cast<std::uint8_t>(i);
    for (int i = 0, j = 0; i < 256; ++i) {
        j = (j + s[i] + static_cast<std::uint8_t>(key[i % key.size()])) % 256;
        std::swap(s[i], s[j]);
    }
    for (qsizetype n = 0, i = 0, j = 0; n < size; ++n) {
        i = (i + 1) % 256;
        j = (j + s[i]) % 256;
        std::swap(s[i], s[j]);
        data[n] = static_cast<char>(data[n] ^ s[(s[i] + s[j]) % 256]);
    }
}

// Jet 4: the column count, the fixed columns at their offsets, the variable ones one after the
// other, then the offset where their data ends, their offsets last column first, their count
// and a bit for each column that is not null.
QByteArray encodeRecord(const QList<Column> &columns, const Record &values)
{
    QByteArray row = little<quint16>(columns.size());
    for (qsizetype i = 0; i < columns.size(); ++i) {
        if (const qsizetype size = fixedSize(columns[i].type))
            row += values[i].value_or(QByteArray(size, '\0'));
    }
    QList<quint16> starts;
    for (qsizetype i = 0; i < columns.size(); ++i) {
        if (fixedSize(columns[i].type) == 0) {
            starts.append(row.size());
            row += values[i].value_or(QByteArray());
        }
    }
    if (!starts.isEmpty()) {
        row += little<quint16>(row.size());
        for (auto start = starts.crbegin(); start != starts.crend(); ++start)
            row += little<quint16>(*start);
        row += little<quint16>(starts.size());
    }
    QByteArray present((columns.size() + 7) / 8, '\0');
    for (qsizetype i = 0; i < columns.size(); ++i) {
        if (values[i])
            present[i / 8] = static_cast<char>(present[i / 8] | 1 << i % 8);
    }
    return row + present;
}

constexpr qsizetype DataHeaderSize = 14;

bool fits(qsizetype rows, qsizetype bytes)
{
    return DataHeaderSize + 2 * rows + bytes <= PageSize;
}

// Rows are laid from the end of the page towards its table of row offsets.
QByteArray dataPage(quint32 owner, const QList<QByteArray> &rows)
{
    QByteArray page(PageSize, '\0');
    page[0] = 0x01;
    page[1] = 0x01;
    put<quint32>(page, 4, owner);
    put<quint16>(page, 12, rows.size());
    qsizetype end = PageSize;
    for (qsizetype i = 0; i < rows.size(); ++i) {
        end -= rows[i].size();
        if (!fits(i + 1, PageSize - end))
            qFatal("jetDatabase: the rows do not fit a page");
        std::copy(rows[i].cbegin(), rows[i].cend(), page.begin() + end);
        put<quint16>(page, DataHeaderSize + 2 * i, end);
    }
    put<quint16>(page, 2, end - DataHeaderSize - 2 * rows.size());
    return page;
}

QList<QList<QByteArray>> packPages(const QList<QByteArray> &rows)
{
    QList<QList<QByteArray>> pages;
    qsizetype bytes = 0;
    for (const QByteArray &row : rows) {
        if (pages.isEmpty() || !fits(pages.last().size() + 1, bytes + row.size())) {
            pages.append(QList<QByteArray>());
            bytes = 0;
        }
        pages.last().append(row);
        bytes += row.size();
    }
    return pages;
}

QByteArray usageMap(const QList<quint32> &pages)
{
    QByteArray map(MapSize, '\0'); // type 0, from page 0
    for (const quint32 page : pages) {
        if (page >= 8 * (MapSize - 5))
            qFatal("jetDatabase: too many pages for a usage map");
        map[5 + page / 8] = static_cast<char>(map[5 + page / 8] | 1 << page % 8);
    }
    return map;
}

// Where a definition's columns start, after the counts and the usage maps' names.
constexpr qsizetype ColumnsStart = 63;

// `usedPages` and `freePages` name their maps as a row on a page: page << 8 | row.
QByteArray definitionPage(const Table &table, quint32 usedPages, quint32 freePages)
{
    QByteArray page(PageSize, '\0');
    page[0] = 0x02;
    page[1] = 0x01;
    const auto columns = static_cast<quint16>(table.columns.size());
    put<quint32>(page, 16, table.records.size());
    page[40] = table.system ? 0x53 : 0x4e;
    put<quint16>(page, 41, columns);
    put<quint16>(page, 43, std::count_if(table.columns.cbegin(), table.columns.cend(), [](auto &c) {
                     return fixedSize(c.type) == 0;
                 }));
    put<quint16>(page, 45, columns);
    // No indexes: both counts at 47 and 51 stay zero.
    put<quint32>(page, 55, usedPages);
    put<quint32>(page, 59, freePages);

    qsizetype at = ColumnsStart;
    quint16 fixedOffset = 0;
    quint16 variableIndex = 0;
    for (quint16 i = 0; i < columns; ++i, at += 25) {
        const Type type = table.columns[i].type;
        page[at] = type;
        put<quint16>(page, at + 5, i);
        put<quint16>(page, at + 9, i);
        if (const auto size = static_cast<quint16>(fixedSize(type))) {
            page[at + 15] = 0x03; // fixed length, may be null
            put<quint16>(page, at + 21, fixedOffset);
            put<quint16>(page, at + 23, size);
            fixedOffset += size;
        } else {
            page[at + 15] = 0x02;
            put<quint16>(page, at + 7, variableIndex++);
            if (type == Text) {
                put<quint16>(page, at + 11, 0x0409); // the General sort order
                put<quint16>(page, at + 23, 255 * 2);
            }
        }
    }
    for (const Column &column : table.columns) {
        const QByteArray name = ucs2(column.name);
        put<quint16>(page, at, name.size());
        std::copy(name.cbegin(), name.cend(), page.begin() + at + 2);
        at += 2 + name.size();
    }
    put<quint16>(page, at, 0xffff); // no long value column keeps usage maps of its own
    at += 2;
    put<quint32>(page, 8, at);
    put<quint16>(page, 2, PageSize - at - 8);
    return page;
}

QByteArray headerPage(const JetFileOptions &options)
{
    QByteArray page(PageSize, '\0');
    page[1] = 0x01;
    const bool ace = options.format == Format::Ace;
    const QByteArray engine = ace ? "Standard ACE DB" : "Standard Jet DB";
    std::copy(engine.cbegin(), engine.cend(), page.begin() + 4);
    put<quint32>(page, 0x14, ace ? 2 : 1);
    put<quint16>(page, 0x3c, 1252);
    put<quint32>(page, 0x3e, options.encoded ? DatabaseKey : 0);
    put<quint16>(page, 0x6e, 0x0409);
    put<quint64>(page, 0x72, std::bit_cast<quint64>(CreationDate));
    // The password's UTF-16, then the creation date's whole days over all 40 bytes.
    const QByteArray password = ucs2(options.password.left(20));
    const QByteArray days = little<qint32>(static_cast<qint32>(CreationDate));
    for (qsizetype i = 0; i < 40; ++i)
        page[0x42 + i] = static_cast<char>((i < password.size() ? password[i] : 0) ^ days[i % 4]);
    rc4(QByteArray("\xc7\xda\x39\x6b", 4), page.data() + 0x18, 128);
    return page;
}

Table userTable(const JetTable &table)
{
    Table stored;
    for (const QString &name : table.columns)
        stored.columns.append({name, Text});
    for (const QStringList &row : table.rows) {
        Record record;
        for (qsizetype i = 0; i < table.columns.size(); ++i)
            record.append(i < row.size() ? std::optional(ucs2(row[i])) : std::nullopt);
        stored.records.append(record);
    }
    return stored;
}

// One the engine makes in every database, for the relationships between tables.
Table relationships()
{
    Table table {{}, {}, true};
    for (const char *name : {"ccolumn", "grbit", "icolumn"})
        table.columns.append({QString::fromLatin1(name), LongInteger});
    for (const char *name :
         {"szColumn", "szObject", "szReferencedColumn", "szReferencedObject", "szRelationship"})
        table.columns.append({QString::fromLatin1(name), Text});
    return table;
}

struct Layout
{
    Table table;
    quint32 definition = 0;
    QList<QList<QByteArray>> rows; // a list for each data page
    QList<quint32> dataPages;
};

} // namespace

QByteArray jetDatabase(const QList<JetTable> &tables, const JetFileOptions &options)
{
    if (options.format == Format::Jet3)
        qFatal("jetDatabase writes the Jet 4 layout only");

    // Page 0 is the header, 1 the usage maps, 2 the catalogue's definition, where readers look
    // for it; then each table's definition and data, and last the catalogue's data, which names
    // the pages where the tables start.
    QList<std::pair<QString, Table>> stored {
        {QStringLiteral("MSysRelationships"), relationships()}};
    for (const JetTable &table : tables)
        stored.append({table.name, userTable(table)});
    QList<Layout> layouts(stored.size() + 1);
    quint32 pageCount = 3;
    const auto lay = [&](Layout &layout, Table table) {
        QList<QByteArray> rows;
        for (const Record &record : table.records)
            rows.append(encodeRecord(table.columns, record));
        layout.table = std::move(table);
        layout.rows = packPages(rows);
        for (qsizetype i = 0; i < layout.rows.size(); ++i)
            layout.dataPages.append(pageCount++);
    };
    Table catalogue {{{QStringLiteral("Id"), LongInteger},
                      {QStringLiteral("Name"), Text},
                      {QStringLiteral("Type"), Integer},
                      {QStringLiteral("Flags"), LongInteger},
                      {QStringLiteral("LvProp"), LongBinary}},
                     {},
                     true};
    // Each table has type 1 and its definition page for Id; the engine's own carry the system
    // flag, the catalogue first.
    constexpr auto SystemObject = static_cast<qint32>(0x80000000);
    const auto list = [&](quint32 definition, const QString &name, bool system) {
        catalogue.records.append({little<qint32>(definition), ucs2(name), little<qint16>(1),
                                  little<qint32>(system ? SystemObject : 0), std::nullopt});
    };
    list(2, QStringLiteral("MSysObjects"), true);
    for (qsizetype i = 0; i < stored.size(); ++i) {
        Layout &layout = layouts[i + 1];
        layout.definition = pageCount++;
        list(layout.definition, stored[i].first, stored[i].second.system);
        lay(layout, std::move(stored[i].second));
    }
    layouts[0].definition = 2;
    lay(layouts[0], std::move(catalogue));

    QList<QByteArray> pages(pageCount);
    pages[0] = headerPage(options);
    QList<quint32> everyPage;
    for (quint32 page = 0; page < pageCount; ++page)
        everyPage.append(page);
    // Row 0 is the map of every page in use; then two for each table, its pages and those of
    // them with room left.
    QList<QByteArray> maps {usageMap(everyPage)};
    for (const Layout &layout : std::as_const(layouts)) {
        const auto row = static_cast<quint32>(maps.size());
        maps << usageMap(layout.dataPages) << usageMap(layout.dataPages);
        pages[layout.definition] = definitionPage(layout.table, 1 << 8 | row, 1 << 8 | (row + 1));
        for (qsizetype i = 0; i < layout.dataPages.size(); ++i)
            pages[layout.dataPages[i]] = dataPage(layout.definition, layout.rows[i]);
    }
    pages[1] = dataPage(0, maps);
    if (options.damage == JetFileOptions::Damage::CatalogueColumns)
        std::fill(pages[2].begin() + ColumnsStart, pages[2].end(), '\0');
    if (options.damage == JetFileOptions::Damage::UsageMaps)
        std::fill(pages[1].begin() + DataHeaderSize, pages[1].end(), '\0');

    QByteArray file;
    for (quint32 number = 0; number < pageCount; ++number) {
        QByteArray &page = pages[number];
        if (number > 0 && options.encoded && options.format == Format::Jet4)
            rc4(little<quint32>(DatabaseKey ^ number), page.data(), page.size());
        file += page;
    }
    return file;
}

} // namespace testsupport
