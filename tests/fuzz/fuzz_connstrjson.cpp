// corvanta-connstr's JSON layer against Qt's JSON. The first byte picks the shape read ('p' pair
// lists, 'e' edit requests, anything else strings); the rest is the input. Where both accept it,
// they must read the same strings in the same structure (Qt's reader keeps lone surrogates too);
// and strings written by the tool read back, through both, as they were.
#include "fuzzcheck.h"
#include "tools/connstr/jsonreader.h"
#include "tools/connstr/jsonwriter.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <optional>
#include <sys/mman.h>
#include <unistd.h>

namespace {

// A file holding `bytes`, read from its start.
class MemoryFile
{
public:
    explicit MemoryFile(QByteArrayView bytes = {})
        : m_fd(memfd_create("fuzz_connstrjson", 0))
    {
        FUZZ_CHECK(m_fd >= 0);
        FUZZ_CHECK(::write(m_fd, bytes.data(), size_t(bytes.size())) == bytes.size());
        rewind();
    }
    ~MemoryFile() { ::close(m_fd); }
    MemoryFile(const MemoryFile &) = delete;
    MemoryFile &operator=(const MemoryFile &) = delete;

    int fd() const { return m_fd; }
    void rewind() { ::lseek(m_fd, 0, SEEK_SET); }
    QByteArray contents()
    {
        QByteArray bytes(::lseek(m_fd, 0, SEEK_END), Qt::Uninitialized);
        FUZZ_CHECK(::pread(m_fd, bytes.data(), size_t(bytes.size()), 0) == bytes.size());
        rewind();
        return bytes;
    }

private:
    int m_fd;
};

QJsonArray pairsAsJson(const oledb::KeywordValueList &pairs)
{
    QJsonArray list;
    for (const auto &pair : pairs)
        list.append(QJsonArray {pair.keyword, pair.value});
    return list;
}

QJsonArray setAsJson(const oledb::ConnectionStringEdits &edits)
{
    QJsonArray list;
    for (qsizetype i = 0; i < edits.setNames().size(); ++i) {
        list.append(
            QJsonArray {edits.setNames().at(i).toString(), edits.setValues().at(i).toString()});
    }
    return list;
}

QJsonArray removalsAsJson(const oledb::ConnectionStringEdits &edits)
{
    QJsonArray list;
    for (qsizetype i = 0; i < edits.removals().size(); ++i)
        list.append(edits.removals().at(i).toString());
    return list;
}

// What the layer reads from `fd` as a JSON array, or why it refused.
struct Reading
{
    std::optional<QJsonArray> elements;
    QString refusal;
};

Reading readAs(char shape, int fd)
{
    QJsonArray elements;
    try {
        if (shape == 'p') {
            connstr::readPairLists(fd, [&](qsizetype, const oledb::KeywordValueList &pairs) {
                elements.append(pairsAsJson(pairs));
            });
        } else if (shape == 'e') {
            connstr::readEditRequests(fd, [&](qsizetype, const connstr::EditRequest &request) {
                elements.append(
                    QJsonObject {{QStringLiteral("string"), request.text},
                                 {QStringLiteral("set"), setAsJson(request.edits)},
                                 {QStringLiteral("remove"), removalsAsJson(request.edits)}});
            });
        } else {
            connstr::readStrings(
                fd, [&](qsizetype, QStringView text) { elements.append(text.toString()); });
        }
    } catch (const connstr::UnusableInput &error) {
        return {std::nullopt, error.message};
    }
    return {elements, QString()};
}

// What the layer should read in an element Qt read, or nothing where it is not of the shape.
std::optional<QJsonValue> expectedElement(char shape, const QJsonValue &element)
{
    const auto isPairList = [](const QJsonValue &value) {
        if (!value.isArray())
            return false;
        for (const QJsonValue &pair : value.toArray()) {
            const QJsonArray parts = pair.toArray();
            if (!pair.isArray() || parts.size() != 2 || !parts.at(0).isString()
                || !parts.at(1).isString())
                return false;
        }
        return true;
    };
    if (shape == 'p')
        return isPairList(element) ? std::optional(element) : std::nullopt;
    if (shape != 'e')
        return element.isString() ? std::optional(element) : std::nullopt;
    const QJsonObject request = element.toObject();
    const QJsonValue set = request.value(u"set");
    const QJsonValue remove = request.value(u"remove");
    if (!element.isObject() || !request.value(u"string").isString()
        || (!set.isUndefined() && !isPairList(set)) || (!remove.isUndefined() && !remove.isArray()))
        return std::nullopt;
    for (const QJsonValue &name : remove.toArray()) {
        if (!name.isString())
            return std::nullopt;
    }
    return QJsonObject {{QStringLiteral("string"), request.value(u"string")},
                        {QStringLiteral("set"), set.isUndefined() ? QJsonArray() : set},
                        {QStringLiteral("remove"), remove.isUndefined() ? QJsonArray() : remove}};
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    const char shape = char(data[0]);
    const QByteArrayView input(reinterpret_cast<const char *>(data) + 1, qsizetype(size) - 1);
    MemoryFile file(input);
    const Reading read = readAs(shape, file.fd());

    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(input.toByteArray(), &error);
    if (error.error == QJsonParseError::NoError && read.elements) {
        FUZZ_CHECK(document.isArray(), input);
        const QJsonArray elements = document.array();
        FUZZ_CHECK(elements.size() == read.elements->size(), input);
        for (qsizetype i = 0; i < elements.size(); ++i)
            FUZZ_CHECK(expectedElement(shape, elements.at(i)) == read.elements->at(i), input << i);
    } else if (error.error == QJsonParseError::NoError && document.isArray() && shape != 'e'
               && !read.refusal.startsWith(u"standard input is not JSON")) {
        // Qt reads some input that is not JSON; any other refusal is the layer's own, for an
        // element not of the shape or nesting beyond the limit. (A request is refused at the
        // first value of the wrong shape under a key it reads, even one a later duplicate of the
        // key would replace in Qt's reading.)
        bool shaped = true;
        for (const QJsonValue &element : document.array())
            shaped = shaped && expectedElement(shape, element).has_value();
        FUZZ_CHECK(!shaped || read.refusal.contains(u"deeper than"), input << read.refusal);
    }

    // Strings written and read again, by the layer and by Qt, are what they were.
    if (!read.elements || shape == 'p' || shape == 'e')
        return 0;
    MemoryFile written;
    {
        connstr::JsonWriter out(written.fd());
        out.beginArray();
        for (const QJsonValue &text : *read.elements)
            out.string(text.toString());
        out.endArray();
        out.flush();
    }
    const QByteArray bytes = written.contents();
    FUZZ_CHECK(readAs(shape, written.fd()).elements == read.elements, input << bytes);
    FUZZ_CHECK(QJsonDocument::fromJson(bytes).array() == *read.elements, input << bytes);
    return 0;
}
