// corvanta-connstr parse|format|mask|edit: JSON on standard input, JSON on standard output.
// Exit 0 when every input was valid, 1 when some was not, 2 when the input itself is unusable.

#include "oledb/connectionstring.h"
#include "oledb/datalinkproperties.h"
#include "oledb/formaterror.h"
#include "oledb/providercatalogue.h"
#include "oledb/secrets.h"
#include "platform/error.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cstdio>

namespace {

enum ExitCode { AllValid = 0, SomeInvalid = 1, Unusable = 2 };

// Input that is not JSON or not the shape the command reads; nothing is written to stdout then.
struct UnusableInput
{
    QString message;
};

void printError(const QString &message)
{
    const QString line = QStringLiteral("corvanta-connstr: ") + message + u'\n';
    std::fputs(line.toUtf8().constData(), stderr);
}

QJsonArray readArray(const char *shape)
{
    QFile in;
    if (!in.open(stdin, QIODevice::ReadOnly))
        throw UnusableInput {QStringLiteral("cannot read standard input")};
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(in.readAll(), &error);
    if (document.isNull()) {
        throw UnusableInput {QStringLiteral("standard input is not JSON (%1 at byte %2)")
                                 .arg(error.errorString())
                                 .arg(error.offset)};
    }
    if (!document.isArray())
        throw UnusableInput {QStringLiteral("expected %1").arg(QLatin1String(shape))};
    return document.array();
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

QJsonObject parseError(const oledb::FormatError &error)
{
    return QJsonObject {{QStringLiteral("ok"), false},
                        {QStringLiteral("offset"), error.offset()},
                        {QStringLiteral("message"), error.message()}};
}

// Reads every string and answers each with `answer(text, parsed)`, or with the parse error.
template<typename Answer> int answerStrings(QJsonArray &results, Answer answer)
{
    const QJsonArray inputs = readArray("a JSON array of strings");
    for (qsizetype i = 0; i < inputs.size(); ++i) {
        if (!inputs.at(i).isString())
            throw UnusableInput {QStringLiteral("item %1 is not a string").arg(i)};
    }
    int code = AllValid;
    for (const QJsonValue &input : inputs) {
        const QString text = input.toString();
        try {
            results.append(answer(text, oledb::ConnectionString::parse(text)));
        } catch (const oledb::FormatError &error) {
            code = SomeInvalid;
            results.append(parseError(error));
        }
    }
    return code;
}

int parseStrings(QJsonArray &results)
{
    return answerStrings(results, [](const QString &, const oledb::ConnectionString &parsed) {
        QJsonArray pairs;
        for (const oledb::KeywordValue &pair : parsed.pairs())
            pairs.append(QJsonArray {pair.keyword, pair.value});
        return QJsonObject {{QStringLiteral("ok"), true}, {QStringLiteral("pairs"), pairs}};
    });
}

// What the Data Link dialog shows with "Show password" off, so scripts can log a string safely.
int maskStrings(QJsonArray &results)
{
    return answerStrings(results, [](const QString &text, const oledb::ConnectionString &) {
        return QJsonObject {{QStringLiteral("ok"), true},
                            {QStringLiteral("masked"), oledb::maskConnectionString(text)}};
    });
}

// A pair list with a keyword no string can hold gives null in its place and a note on stderr.
int formatPairLists(QJsonArray &results)
{
    const QJsonArray inputs = readArray("a JSON array of [keyword, value] pair lists");
    QList<oledb::KeywordValueList> lists;
    for (qsizetype i = 0; i < inputs.size(); ++i)
        lists.append(readPairs(inputs.at(i), i));
    int code = AllValid;
    for (qsizetype i = 0; i < lists.size(); ++i) {
        try {
            results.append(oledb::ConnectionString(lists.at(i)).toString());
        } catch (const platform::Error &error) {
            code = SomeInvalid;
            printError(QStringLiteral("item %1: %2").arg(i).arg(error.message()));
            results.append(QJsonValue::Null);
        }
    }
    return code;
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
int editStrings(QJsonArray &results)
{
    const QJsonArray inputs = readArray("a JSON array of edit requests");
    QList<EditRequest> requests;
    for (qsizetype i = 0; i < inputs.size(); ++i)
        requests.append(readEditRequest(inputs.at(i), i));
    const oledb::ProviderCatalogue &catalogue = oledb::ProviderCatalogue::builtIn();
    int code = AllValid;
    for (const EditRequest &request : std::as_const(requests)) {
        try {
            results.append(
                QJsonObject {{QStringLiteral("ok"), true},
                             {QStringLiteral("string"),
                              oledb::editConnectionString(catalogue, request.text, request.set,
                                                          request.remove)}});
        } catch (const oledb::FormatError &error) {
            code = SomeInvalid;
            results.append(parseError(error));
        } catch (const platform::Error &error) {
            code = SomeInvalid;
            results.append(QJsonObject {{QStringLiteral("ok"), false},
                                        {QStringLiteral("message"), error.message()}});
        }
    }
    return code;
}

} // namespace

int main(int argc, char *argv[])
{
    const QByteArray command = argc == 2 ? QByteArray(argv[1]) : QByteArray();
    if (command == "--help" || command == "-h") {
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
            "Exit status: 0 every input valid, 1 some input invalid, 2 unusable input.\n",
            stdout);
        return AllValid;
    }
    if (command == "--version") {
        std::fputs("corvanta-connstr " CORVANTA_VERSION_STRING "\n", stdout);
        return AllValid;
    }
    if (command != "parse" && command != "format" && command != "mask" && command != "edit") {
        printError(QStringLiteral("usage: corvanta-connstr parse|format|mask|edit < input.json"));
        return Unusable;
    }
    QJsonArray results;
    int code;
    try {
        if (command == "parse")
            code = parseStrings(results);
        else if (command == "mask")
            code = maskStrings(results);
        else if (command == "edit")
            code = editStrings(results);
        else
            code = formatPairLists(results);
    } catch (const UnusableInput &error) {
        printError(error.message);
        return Unusable;
    }
    QFile out;
    if (!out.open(stdout, QIODevice::WriteOnly)
        || out.write(QJsonDocument(results).toJson(QJsonDocument::Compact) + '\n') < 0) {
        printError(QStringLiteral("cannot write standard output"));
        return Unusable;
    }
    return code;
}
