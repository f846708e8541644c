#include "tools/connstr/commands.h"

#include "oledb/connectionstring.h"
#include "oledb/conversion.h"
#include "oledb/datalinkproperties.h"
#include "oledb/formaterror.h"
#include "oledb/problems.h"
#include "oledb/providercatalogue.h"
#include "oledb/secrets.h"
#include "platform/error.h"
#include "tools/connstr/jsonreader.h"
#include "tools/connstr/jsonwriter.h"

#include <algorithm>
#include <cstdio>
#include <new>
#include <optional>

namespace connstr {

namespace {

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

// Whether the string breaks the syntax, without keeping anything it holds or copying a value.
std::optional<oledb::FormatError> check(QStringView text)
{
    try {
        oledb::ConnectionString::visitPairSpans(
            text, [](QStringView, QStringView, const oledb::PairSpan &) {},
            oledb::ValueQuoting::AsWritten);
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
bool parseString(QStringView text, JsonWriter &out)
{
    // Room for a tentative answer of half the buffer.
    if (out.room() < JsonWriter::capacity / 2)
        out.flush();
    const JsonWriter::Mark mark = out.mark();
    WritePairs tentative(out, true);
    try {
        writeParsed(text, out, tentative);
        if (!tentative.overflowed)
            return true;
    } catch (const oledb::FormatError &error) {
        out.rollback(mark);
        writeFormatError(out, error);
        return false;
    }
    out.rollback(mark);
    WritePairs write(out, false);
    writeParsed(text, out, write);
    return true;
}

// What the Data Link dialog shows with "Show password" off, so scripts can log a string safely.
bool maskString(QString &text, JsonWriter &out, const oledb::ProviderCatalogue &catalogue)
{
    if (const auto error = check(text)) {
        writeFormatError(out, *error);
        return false;
    }
    out.beginObject();
    out.key(QLatin1StringView("masked"));
    out.beginString();
    oledb::maskConnectionString(text, catalogue,
                                [&out](QStringView part) { out.stringPart(part); });
    out.endString();
    out.key(QLatin1StringView("ok"));
    out.boolean(true);
    out.endObject();
    return true;
}

// What the provider will make of the string: what is wrong with it, and the value it will use for
// each property the string mentions. Secrets are masked as `mask` masks them, in the values and
// in the messages (which mask them themselves), so the answer can be logged like mask's.
bool checkString(QStringView text, JsonWriter &out, const oledb::ProviderCatalogue &catalogue)
{
    std::optional<oledb::DataLinkProperties> properties;
    try {
        properties.emplace(oledb::DataLinkProperties::fromString(catalogue, text.toString()));
    } catch (const oledb::FormatError &error) {
        writeFormatError(out, error);
        return false;
    }
    out.beginObject();
    out.key(QLatin1StringView("effective"));
    out.beginArray();
    for (const oledb::EffectiveValue &value : properties->effectiveValues()) {
        out.beginArray();
        out.string(value.property);
        out.string(oledb::maskValue(value.property, value.value, catalogue));
        if (value.offset)
            out.number(*value.offset);
        else
            out.null();
        out.endArray();
    }
    out.endArray();
    out.key(QLatin1StringView("ok"));
    out.boolean(true);
    out.key(QLatin1StringView("problems"));
    out.beginArray();
    for (const oledb::Problem &problem : oledb::findProblems(*properties)) {
        out.beginObject();
        out.key(QLatin1StringView("keyword"));
        out.string(problem.keyword);
        out.key(QLatin1StringView("message"));
        out.string(problem.message);
        out.key(QLatin1StringView("offset"));
        out.number(problem.offset);
        out.key(QLatin1StringView("rule"));
        out.string(problem.rule);
        out.key(QLatin1StringView("source"));
        if (problem.source.isEmpty())
            out.null();
        else
            out.string(problem.source);
        out.endObject();
    }
    out.endArray();
    out.endObject();
    // A string with problems is still a valid string: scripts tell the two apart by the answer.
    return true;
}

// The answer for an element that cannot be done, in words.
void writeMessage(JsonWriter &out, const QString &message)
{
    out.beginObject();
    out.key(QLatin1StringView("message"));
    out.string(message);
    out.key(QLatin1StringView("ok"));
    out.boolean(false);
    out.endObject();
}

// A pair list with a keyword no string can hold gives null in its place and a note on stderr.
bool formatPairList(qsizetype index, const oledb::KeywordValueList &pairs, JsonWriter &out)
{
    try {
        out.string(oledb::ConnectionString(pairs).toString());
        return true;
    } catch (const platform::Error &error) {
        printError(QStringLiteral("item %1: %2").arg(index).arg(error.message()));
        out.null();
        return false;
    }
}

// The editing itself is the library's, as the dialog does it; this reads and writes JSON.
bool editString(const EditRequest &request, JsonWriter &out,
                const oledb::ProviderCatalogue &catalogue)
{
    try {
        // Nothing is written before every edit has succeeded, so a failure leaves no half answer.
        bool started = false;
        oledb::editConnectionString(catalogue, request.text, request.edits, [&](QStringView part) {
            if (!started) {
                out.beginObject();
                out.key(QLatin1StringView("ok"));
                out.boolean(true);
                out.key(QLatin1StringView("string"));
                out.beginString();
                started = true;
            }
            out.stringPart(part);
        });
        out.endString();
        out.endObject();
        return true;
    } catch (const oledb::FormatError &error) {
        writeFormatError(out, error);
    } catch (const platform::Error &error) {
        writeMessage(out, error.message());
    }
    return false;
}

// The converted string is the user's own, written out whole as edit writes it; what could not
// be carried over is a diagnostic, masked as check masks its values.
bool convertString(QStringView text, JsonWriter &out, const oledb::DialectConverter &converter)
{
    try {
        const oledb::Conversion conversion = converter.convert(text);
        out.beginObject();
        out.key(QLatin1StringView("from"));
        out.string(conversion.from);
        out.key(QLatin1StringView("ok"));
        out.boolean(true);
        out.key(QLatin1StringView("string"));
        out.string(conversion.string);
        out.key(QLatin1StringView("unmapped"));
        out.beginArray();
        for (const QString &pair : conversion.unmapped)
            out.string(pair);
        out.endArray();
        out.endObject();
        return true;
    } catch (const oledb::FormatError &error) {
        writeFormatError(out, error);
    } catch (const oledb::ConversionError &error) {
        writeMessage(out, error.message());
    }
    return false;
}

// Reads the requests from `in` and answers each on `out`; an invalid one clears allValid.
using Command
    = void (*)(int in, JsonWriter &out, const oledb::ProviderCatalogue &catalogue, bool &allValid);

constexpr struct
{
    const char *name;
    Command run;
} commands[] = {
    {"parse",
     [](int in, JsonWriter &out, const oledb::ProviderCatalogue &, bool &allValid) {
         readStrings(in, [&](qsizetype, QStringView text) { allValid &= parseString(text, out); });
     }},
    {"format",
     [](int in, JsonWriter &out, const oledb::ProviderCatalogue &, bool &allValid) {
         readPairLists(in, [&](qsizetype index, const oledb::KeywordValueList &pairs) {
             allValid &= formatPairList(index, pairs, out);
         });
     }},
    {"mask",
     [](int in, JsonWriter &out, const oledb::ProviderCatalogue &catalogue, bool &allValid) {
         takeStrings(
             in, [&](qsizetype, QString &text) { allValid &= maskString(text, out, catalogue); });
     }},
    {"check",
     [](int in, JsonWriter &out, const oledb::ProviderCatalogue &catalogue, bool &allValid) {
         readStrings(in, [&](qsizetype, QStringView text) {
             allValid &= checkString(text, out, catalogue);
         });
     }},
    {"convert",
     [](int in, JsonWriter &out, const oledb::ProviderCatalogue &catalogue, bool &allValid) {
         const auto converter = oledb::DialectConverter::builtIn(catalogue);
         readStrings(in, [&](qsizetype, QStringView text) {
             allValid &= convertString(text, out, converter);
         });
     }},
    {"edit",
     [](int in, JsonWriter &out, const oledb::ProviderCatalogue &catalogue, bool &allValid) {
         readEditRequests(in, [&](qsizetype, const EditRequest &request) {
             allValid &= editString(request, out, catalogue);
         });
     }},
};

} // namespace

bool isCommand(QByteArrayView name)
{
    for (const auto &command : commands) {
        if (name == command.name)
            return true;
    }
    return false;
}

ExitCode runCommand(QByteArrayView name, const oledb::ProviderCatalogue &catalogue, int in,
                    int outFd)
{
    const auto command
        = std::find_if(std::begin(commands), std::end(commands),
                       [&](const auto &candidate) { return name == candidate.name; });
    Q_ASSERT(command != std::end(commands));
    JsonWriter out(outFd);
    bool allValid = true;
    try {
        out.beginArray();
        command->run(in, out, catalogue, allValid);
        out.endArray();
        out.newline();
        out.flush();
    } catch (const UnusableInput &error) {
        // Nothing of an answer that was never sent goes out.
        out.discard();
        printError(error.message);
        return Unusable;
    } catch (const WriteFailed &error) {
        printError(error.message);
        return Unusable;
    } catch (const std::bad_alloc &) {
        // An element too large for the memory there is: the rest of the input cannot be read.
        out.discard();
        printError(QStringLiteral("not enough memory for the input"));
        return Unusable;
    }
    return allValid ? AllValid : SomeInvalid;
}

} // namespace connstr
