// corvanta-connstr parse|format|mask|edit: JSON on standard input, JSON on standard output.
// Exit 0 when every input was valid, 1 when some was not, 2 when the input itself is unusable
// or the output could not be written.
//
// The input array is read and answered one element at a time, so memory follows the largest
// element rather than the whole input. An unusable element found after answers have been
// written leaves the output array unterminated; exit status 2 says not to use it.

#include "oledb/connectionstring.h"
#include "oledb/datalinkproperties.h"
#include "oledb/formaterror.h"
#include "oledb/providercatalogue.h"
#include "oledb/secrets.h"
#include "platform/error.h"
#include "tools/connstr/jsonstream.h"

#include <QJsonArray>
#include <QJsonObject>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace {

using connstr::Element;
using connstr::ElementShape;
using connstr::JsonWriter;
using connstr::UnusableInput;

enum ExitCode { AllValid = 0, SomeInvalid = 1, Unusable = 2 };

void printError(const QString &message)
{
    const QString line = QStringLiteral("corvanta-connstr: ") + message + u'\n';
    std::fputs(line.toUtf8().constData(), stderr);
}

// Keys in alphabetical order, as the tool has always written them.
void writeFormatError(JsonWriter &out, const oledb::FormatError &error)
{
    out.beginObject();
    out.key(QLatin1StringView("message"));
    out.string(error.message());
    out.key(QLatin1StringView("offset"));
    out.number(error.offset());
    out.key(QLatin1StringView("ok"));
    out.boolean(false);
    out.endObject();
}

// Whether the string breaks the syntax, without keeping anything it holds.
std::optional<oledb::FormatError> check(QStringView text)
{
    struct Ignore final : oledb::PairVisitor
    {
        void visit(QStringView, QStringView) override { }
    } ignore;
    try {
        oledb::ConnectionString::visitPairs(text, ignore);
    } catch (const oledb::FormatError &error) {
        return error;
    }
    return std::nullopt;
}

// Each command answers one element of the input with one element of the output and says
// whether the element was valid.

// Writes the pairs as the engine reads them. Tentatively, an answer that turns out malformed can
// be taken back only while it is still in the writer's buffer: past that, the visitor stops
// writing and leaves the answer to a second reading, once the string is known to be sound.
struct WritePairs final : oledb::PairVisitor
{
    JsonWriter &out;
    const bool tentative;
    bool overflowed = false;

    WritePairs(JsonWriter &out, bool tentative)
        : out(out)
        , tentative(tentative)
    { }

    void visit(QStringView keyword, QStringView value) override
    {
        if (overflowed)
            return;
        // The pair's brackets and comma, and the answer's closing brackets after it.
        constexpr qsizetype around = 8;
        if (tentative
            && out.room() < JsonWriter::stringBound(keyword.size())
                    + JsonWriter::stringBound(value.size()) + around) {
            overflowed = true;
            return;
        }
        out.pair(keyword, value);
    }
};

// Writes the answer for a sound string; throws FormatError for one that is not.
void writeParsed(QStringView text, JsonWriter &out, WritePairs &write)
{
    out.beginObject();
    out.key(QLatin1StringView("ok"));
    out.boolean(true);
    out.key(QLatin1StringView("pairs"));
    out.beginArray();
    oledb::ConnectionString::visitPairs(text, write);
    out.endArray();
    out.endObject();
}

// One reading when the answer fits in the writer's buffer, which is every string but the longest;
// those are read once to find them sound and again to write their pairs, so that a string of
// millions of pairs is never held as a list nor its answer in memory.
bool parseString(const Element &input, JsonWriter &out, const oledb::ProviderCatalogue &)
{
    // Room for a tentative answer of half the buffer.
    if (out.room() < JsonWriter::capacity / 2)
        out.flush();
    const JsonWriter::Mark mark = out.mark();
    WritePairs tentative(out, true);
    try {
        writeParsed(input.text, out, tentative);
        if (!tentative.overflowed)
            return true;
    } catch (const oledb::FormatError &error) {
        out.rollback(mark);
        writeFormatError(out, error);
        return false;
    }
    out.rollback(mark);
    WritePairs write(out, false);
    writeParsed(input.text, out, write);
    return true;
}

// What the Data Link dialog shows with "Show password" off, so scripts can log a string safely.
bool maskString(const Element &input, JsonWriter &out, const oledb::ProviderCatalogue &catalogue)
{
    if (const auto error = check(input.text)) {
        writeFormatError(out, *error);
        return false;
    }
    out.beginObject();
    out.key(QLatin1StringView("masked"));
    out.string(oledb::maskConnectionString(input.text, catalogue));
    out.key(QLatin1StringView("ok"));
    out.boolean(true);
    out.endObject();
    return true;
}

oledb::KeywordValueList readPairs(const QJsonValue &item, qsizetype index)
{
    const auto wrongShape = [index] {
        return UnusableInput {QStringLiteral("item %1 is not a list of [keyword, value] pairs of "
                                             "strings")
                                  .arg(index)};
    };
    if (!item.isArray())
        throw wrongShape();
    oledb::KeywordValueList pairs;
    for (const QJsonValue &pair : item.toArray()) {
        const QJsonArray parts = pair.toArray();
        if (!pair.isArray() || parts.size() != 2 || !parts.at(0).isString()
            || !parts.at(1).isString())
            throw wrongShape();
        pairs.append({parts.at(0).toString(), parts.at(1).toString()});
    }
    return pairs;
}

// A pair list with a keyword no string can hold gives null in its place and a note on stderr.
bool formatPairList(const Element &input, JsonWriter &out, const oledb::ProviderCatalogue &)
{
    const oledb::KeywordValueList pairs = readPairs(input.value, input.index);
    try {
        out.string(oledb::ConnectionString(pairs).toString());
        return true;
    } catch (const platform::Error &error) {
        printError(QStringLiteral("item %1: %2").arg(input.index).arg(error.message()));
        out.null();
        return false;
    }
}

struct EditRequest
{
    QString text;
    oledb::KeywordValueList set;
    QStringList remove;
};

EditRequest readEditRequest(const QJsonValue &item, qsizetype index)
{
    const auto wrongShape = [index] {
        return UnusableInput {QStringLiteral("item %1 is not {\"string\": text, \"set\": [[name, "
                                             "value], ...], \"remove\": [name, ...]}")
                                  .arg(index)};
    };
    const QJsonObject object = item.toObject();
    if (!item.isObject() || !object.value(QLatin1String("string")).isString())
        throw wrongShape();
    EditRequest request;
    request.text = object.value(QLatin1String("string")).toString();
    const QJsonValue set = object.value(QLatin1String("set"));
    if (!set.isUndefined()) {
        try {
            request.set = readPairs(set, index);
        } catch (const UnusableInput &) {
            throw wrongShape();
        }
    }
    const QJsonValue remove = object.value(QLatin1String("remove"));
    if (!remove.isUndefined()) {
        if (!remove.isArray())
            throw wrongShape();
        for (const QJsonValue &name : remove.toArray()) {
            if (!name.isString())
                throw wrongShape();
            request.remove.append(name.toString());
        }
    }
    return request;
}

// The editing itself is the library's, as the dialog does it; this reads and writes JSON.
bool editRequest(const Element &input, JsonWriter &out, const oledb::ProviderCatalogue &catalogue)
{
    const EditRequest request = readEditRequest(input.value, input.index);
    try {
        const QString edited
            = oledb::editConnectionString(catalogue, request.text, request.set, request.remove);
        out.beginObject();
        out.key(QLatin1StringView("ok"));
        out.boolean(true);
        out.key(QLatin1StringView("string"));
        out.string(edited);
        out.endObject();
        return true;
    } catch (const oledb::FormatError &error) {
        writeFormatError(out, error);
    } catch (const platform::Error &error) {
        out.beginObject();
        out.key(QLatin1StringView("message"));
        out.string(error.message());
        out.key(QLatin1StringView("ok"));
        out.boolean(false);
        out.endObject();
    }
    return false;
}

struct Command
{
    const char *name;
    ElementShape shape;
    const char *shapeName;
    bool (*answer)(const Element &, JsonWriter &, const oledb::ProviderCatalogue &);
};

constexpr Command commands[] = {
    {"parse", ElementShape::String, "a JSON array of strings", parseString},
    {"format", ElementShape::Value, "a JSON array of [keyword, value] pair lists", formatPairList},
    {"mask", ElementShape::String, "a JSON array of strings", maskString},
    {"edit", ElementShape::Value, "a JSON array of edit requests", editRequest},
};

int run(const Command &command, const oledb::ProviderCatalogue &catalogue)
{
    JsonWriter out(STDOUT_FILENO);
    int code = AllValid;
    try {
        out.beginArray();
        connstr::readArray(STDIN_FILENO, command.shape, command.shapeName,
                           [&](const Element &input) {
                               if (!command.answer(input, out, catalogue))
                                   code = SomeInvalid;
                           });
        out.endArray();
        out.newline();
        out.flush();
    } catch (const connstr::UnusableInput &error) {
        // Nothing of an answer that was never sent goes out.
        out.discard();
        printError(error.message);
        return Unusable;
    } catch (const connstr::WriteFailed &error) {
        printError(error.message);
        return Unusable;
    }
    return code;
}

} // namespace

int main(int argc, char *argv[])
{
    // A reader that went away is a failed write like any other, reported, not a silent death.
    std::signal(SIGPIPE, SIG_IGN);
    const QByteArray argument = argc == 2 ? QByteArray(argv[1]) : QByteArray();
    if (argument == "--help" || argument == "-h") {
        std::fputs(
            "usage: corvanta-connstr COMMAND < input.json > output.json\n"
            "Reads and writes OLE DB connection strings as JSON.\n\n"
            "Commands:\n"
            "  parse   a JSON array of strings in, the keyword/value pairs of each out\n"
            "  format  a JSON array of [keyword, value] pair lists in, a string for each out\n"
            "  mask    a JSON array of strings in, each with its passwords masked out\n"
            "  edit    a JSON array of {\"string\", \"set\", \"remove\"} requests in, each string\n"
            "          edited in place, changing only the pairs named, out\n"
            "\n"
            "Exit status: 0 every input valid, 1 some input invalid, 2 unusable input or\n"
            "output that could not be written.\n",
            stdout);
        return AllValid;
    }
    if (argument == "--version") {
        std::fputs("corvanta-connstr " CORVANTA_VERSION_STRING "\n", stdout);
        return AllValid;
    }
    if (argc == 2) {
        for (const Command &command : commands) {
            if (argument == command.name)
                return run(command, oledb::ProviderCatalogue::builtIn());
        }
    }
    printError(QStringLiteral("usage: corvanta-connstr parse|format|mask|edit < input.json"));
    return Unusable;
}
