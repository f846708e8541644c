#include "oledb/formaterror.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryFile>
#include <QTest>

using namespace Qt::StringLiterals;

#if defined(__SANITIZE_ADDRESS__)
#define ADDRESS_SANITIZER
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define ADDRESS_SANITIZER
#endif
#endif

// JSON written with ' for " so the rows stay readable.
static QByteArray json(const char *text)
{
    return QByteArray(text).replace('\'', '"');
}

// Runs `program` to its end with `input` as its standard input, from a file: the tool's reads
// then end where its buffer does, so that rows can cut the input there, and a tool that stops
// early leaves no writer blocked.
static void run(QProcess &tool, const QByteArray &input, const QString &program,
                const QStringList &arguments)
{
    QTemporaryFile file;
    QVERIFY(file.open());
    QCOMPARE(file.write(input), input.size());
    file.close();
    tool.setStandardInputFile(file.fileName());
    tool.start(program, arguments);
    QVERIFY(tool.waitForFinished());
    QCOMPARE(tool.exitStatus(), QProcess::NormalExit);
}

class tst_ConnstrTool : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void answers_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<int>("exitCode");
        // The JSON written, or for input the tool cannot use, words its message holds.
        QTest::addColumn<QByteArray>("output");

        QTest::newRow("parse: valid")
            << u"parse"_s << json("['a==b=\\'x;y\\'; c=']") << 0
            << json("[{'ok': true, 'pairs': [['a=b', 'x;y'], ['c', '']]}]");
        QTest::newRow("parse: one malformed")
            << u"parse"_s << json("['a=1', 'a=1;b']") << 1
            << json(QByteArray("[{'ok': true, 'pairs': [['a', '1']]}, {'ok': false, 'offset': 4, "
                               "'message': '"
                               + oledb::FormatError::text().toUtf8() + "'}]")
                        .constData());
        QTest::newRow("format: valid")
            << u"format"_s << json("[[['a=b', 'x;y']], []]") << 0 << json("['a==b=\\'x;y\\'', '']");
        QTest::newRow("format: keyword no string can hold")
            << u"format"_s << json("[[[' a', '1']]]") << 1 << json("[null]");
        QTest::newRow("edit: a synonym, a removal, a malformed string")
            << u"edit"_s
            << json("[{'string': 'Provider=MSOLEDBSQL;Server=a;UID=u;', 'set': [['Data Source', "
                    "'b']], 'remove': ['User ID']}, {'string': 'a=1;b'}]")
            << 1
            << json(QByteArray("[{'ok': true, 'string': 'Provider=MSOLEDBSQL;Server=b;'}, "
                               "{'ok': false, 'offset': 4, 'message': '"
                               + oledb::FormatError::text().toUtf8() + "'}]")
                        .constData());
        // Names and values are kept packed, a repeat as a reference to the first: order counts.
        QTest::newRow("edit: names and values set again, in order; the last set list counts")
            << u"edit"_s
            << json("[{'string': 'Provider=SQLOLEDB;Data Source=x', 'set': [['User ID', 'u']], "
                    "'set': [['Data Source', 'a'], ['Initial Catalog', 'a'], ['Data Source', 'b'], "
                    "['Data Source', 'a']], 'remove': ['Initial Catalog']}]")
            << 0 << json("[{'ok': true, 'string': 'Provider=SQLOLEDB;Data Source=a'}]");
        QTest::newRow("edit: no string") << u"edit"_s << json("[{'set': []}]") << 2 << QByteArray();
        // The string comes out whole, as edit writes it; what has no counterpart is masked.
        QTest::newRow("convert: an ADO.NET string and a JDBC URL")
            << u"convert"_s
            << json("['Server=s;User Id=u;Password=\\'p;w\\';Pooling=false;Column Encryption Key "
                    "Store Password=k', 'jdbc:postgresql://h/db?user=u']")
            << 0
            << json("[{'from': 'adonet-sqlclient', 'ok': true, 'string': "
                    "'Provider=MSOLEDBSQL19;Data Source=s;User ID=u;Password=\\'p;w\\'', "
                    "'unmapped': ['Pooling=false', 'Column Encryption Key Store "
                    "Password=********']}, "
                    "{'from': 'jdbc-postgresql', 'ok': true, 'string': 'Provider=MSDASQL;Extended "
                    "Properties=\\'DRIVER=PostgreSQL Unicode;SERVER=h;DATABASE=db;UID=u;\\'', "
                    "'unmapped': []}]");
        QTest::newRow("convert: an OLE DB string, and a malformed one")
            << u"convert"_s << json("['Provider=SQLOLEDB;Data Source=x', 'Server=x;PWD=\\'a']") << 1
            << json(QByteArray("[{'ok': false, 'message': 'This is an OLE DB string already: it "
                               "names its Provider.'}, {'ok': false, 'offset': 9, 'message': '"
                               + oledb::FormatError::text().toUtf8() + "'}]")
                        .constData());
        QTest::newRow("mask: a password, and a malformed string")
            << u"mask"_s << json("['a=1;PWD=\\'x;y\\'', 'a=1;b']") << 1
            << json(QByteArray("[{'ok': true, 'masked': 'a=1;PWD=********'}, {'ok': false, "
                               "'offset': 4, 'message': '"
                               + oledb::FormatError::text().toUtf8() + "'}]")
                        .constData());
        // Values in the property's own terms, a default (null offset), a rule the provider
        // documents nothing for (null source); a string with problems still exits 0.
        QTest::newRow("check: a pair without effect, a conflict, a malformed string")
            << u"check"_s
            << json("['Provider=MSOLEDBSQL;Data Source=x;Encrypt=yes', "
                    "'Provider=Microsoft.Jet.OLEDB.4.0;Data Source=a.mdb;Data Source=b.mdb', "
                    "'a=1;b']")
            << 1
            << json(QByteArray(
                        "[{'ok': true, 'effective': [['Data Source', 'x', 20], "
                        "['Use Encryption for Data', 'False', null]], 'problems': [{'rule': "
                        "'no-effect', 'offset': 34, 'keyword': 'Encrypt', 'message': 'Encrypt is "
                        "a provider-string keyword, which this provider reads only for a property "
                        "without a default; Use Encryption for Data has one (False), so the pair "
                        "has no effect.', 'source': 'msoledbsql-precedence'}]}, "
                        "{'ok': true, 'effective': [['Data Source', 'b.mdb', 51]], 'problems': "
                        "[{'rule': 'conflict', 'offset': 33, 'keyword': 'Data Source', 'message': "
                        "'Data Source is set 2 times to different values; the provider uses Data "
                        "Source=b.mdb, the last one in the string.', 'source': null}]}, "
                        "{'ok': false, 'offset': 4, 'message': '"
                        + oledb::FormatError::text().toUtf8() + "'}]")
                        .constData());
        QTest::newRow("check: secrets masked in effect, nested ones too, and in the messages")
            << u"check"_s
            << json("['Provider=MSOLEDBSQL19;Data Source=x;Password=s3cr3t;PWD=0ther;"
                    "Persist Security Info=True', "
                    "'Provider=MSDASQL;Extended Properties=\\'DSN=d;PWD=n3st\\'']")
            << 0
            << json("[{'ok': true, 'effective': [['Data Source', 'x', 22], ['Password', "
                    "'********', 36], ['Persist Security Info', 'True', 62]], 'problems': "
                    "[{'rule': 'overridden', 'offset': 52, 'keyword': 'PWD', 'message': 'PWD goes "
                    "into the provider string, and Password=******** sets the same property as "
                    "a property, which the provider uses instead.', 'source': "
                    "'msoledbsql-precedence'}]}, "
                    "{'ok': true, 'effective': [['Extended Properties', 'DSN=d;PWD=********', "
                    "17]], 'problems': []}]");
        QTest::newRow("mask: an item that is not a string")
            << u"mask"_s << json("['a=1', 2]") << 2 << QByteArray();
        QTest::newRow("not JSON") << u"parse"_s << QByteArray("[") << 2 << QByteArray();
        QTest::newRow("parse: a raw NUL inside a string is not JSON")
            << u"parse"_s << QByteArray("[\"a=\0b\"]", 8) << 2 << QByteArray();
        QTest::newRow("parse: a NUL byte after the array is not JSON")
            << u"parse"_s << QByteArray("[\"a=1\"]\0x", 9) << 2 << QByteArray();
        QTest::newRow("parse: invalid UTF-8 is not JSON")
            << u"parse"_s << QByteArray("[\"a=\xff\"]") << 2 << QByteArray();
        // Compared as written, to see the escapes themselves.
        QTest::newRow("parse: lone surrogates come back as the same escapes")
            << u"parse"_s << json("['a=\\ud800', 'b=\\udc00x\\uDBFF']") << 0
            << json("[{'ok':true,'pairs':[['a','\\ud800']]},{'ok':true,'pairs':[['b','\\udc00x"
                    "\\udbff']]}]");
        {
            // Surrogates cut by the tool's 64 KiB reads at each place an escape can be cut.
            const char *const escapes[]
                = {"\\udc00", "\\ud800", "\\ud83d\\ude00", "\\udc00", "\\ud800"};
            QByteArray input = "[\"k=";
            QByteArray value;
            for (int cut = 1; cut <= 5; ++cut) {
                const QByteArray before(cut * 64 * 1024 - cut - input.size(), 'a');
                input.append(before).append(escapes[cut - 1]);
                value.append(before).append(cut == 3 ? "\xf0\x9f\x98\x80" : escapes[cut - 1]);
            }
            QTest::newRow("parse: surrogate escapes cut by the tool's reads")
                << u"parse"_s << input + "\"]" << 0
                << "[{\"ok\":true,\"pairs\":[[\"k\",\"" + value + "\"]]}]";
        }
        QTest::newRow("parse: UTF-8 of a surrogate is not JSON")
            << u"parse"_s << QByteArray("[\"a=\xed\xa0\x80\"]") << 2 << QByteArray();
        QTest::newRow("parse: an overlong UTF-8 form is not JSON")
            << u"parse"_s << QByteArray("[\"a=\xe0\x80\x80\"]") << 2 << QByteArray();
        QTest::newRow("parse: UTF-8 past U+10FFFF is not JSON")
            << u"parse"_s << QByteArray("[\"a=\xf4\x90\x80\x80\"]") << 2 << QByteArray();
        QTest::newRow("parse: escapes and characters beyond ASCII come back")
            << u"parse"_s
            << json("['k\\u00e9=\\ud83d\\ude00 \\\\ \xc3\xa8;b=\\'x\\'\\'y\\';c=\\'\\u0001\\n\\'']")
            << 0
            << json("[{'ok': true, 'pairs': [['k\xc3\xa9', '\xf0\x9f\x98\x80 \\\\ \\u00e8'], "
                    "['b', 'x\\'y'], ['c', '\\u0001\\n']]}]");
        {
            // Answers longer than the tool's output buffer, a fault found only past that length,
            // escapes and UTF-8 cut anywhere by the tool's reads, and a string that outgrows
            // its first few mappings as it is read.
            const QByteArray pairs = QByteArray("a=1;").repeated(70000);
            const QByteArray mixed = QByteArray("x\\\"\xc3\xa9\\u20ac\xf0\x9f\x98\x80\\\\\\t/ "
                                                "then \\\"only\\\" ASCII \\\\ for a while")
                                         .repeated(50000);
            const QString mixedValue
                = u"x\"\u00e9\u20ac\U0001f600\\\t/ then \"only\" ASCII \\ for a while"_s.repeated(
                    50000);
            // Appended, not braced: a braced array of one array is a copy to some compilers.
            QJsonArray mixedPairs;
            mixedPairs.append(QJsonArray {u"k"_s, mixedValue});
            QJsonArray manyPairs;
            for (int i = 0; i < 70000; ++i)
                manyPairs.append(QJsonArray {u"a"_s, u"1"_s});
            const QJsonArray answers {
                QJsonObject {{u"ok"_s, true}, {u"pairs"_s, manyPairs}},
                QJsonObject {{u"ok"_s, false},
                             {u"offset"_s, 280000},
                             {u"message"_s, oledb::FormatError::text()}},
                QJsonObject {
                    {u"ok"_s, false}, {u"offset"_s, 4}, {u"message"_s, oledb::FormatError::text()}},
                QJsonObject {{u"ok"_s, true}, {u"pairs"_s, mixedPairs}},
            };
            QTest::newRow("parse: long answers, and a fault past the first 280,000 characters")
                << u"parse"_s
                << "[\"" + pairs + "\", \"" + pairs + "b\", \"a=1;b\", \"k='" + mixed + "'\"]" << 1
                << QJsonDocument(answers).toJson();
        }
        const auto nested = [](int depth, const char *inside = "") -> QByteArray {
            return QByteArray(depth, '[') + inside + QByteArray(depth, ']');
        };
        const auto ignoring = [](const QByteArray &value) -> QByteArray {
            return "[{\"string\": \"a=b\", \"x\": " + value + "}]";
        };
        const QByteArray edited = json("[{'ok': true, 'string': 'a=b'}]");
        QTest::newRow("edit: a value it ignores is skipped to the nesting limit")
            << u"edit"_s << ignoring(nested(996, "{\"k\": [1, \"s\"]}")) << 0 << edited;
        QTest::newRow("edit: one level more is refused, naming the limit")
            << u"edit"_s << ignoring(nested(999)) << 2 << QByteArray("deeper than 1000 levels");
        QTest::newRow("edit: 300,000 levels under a key it ignores")
            << u"edit"_s << ignoring(nested(300000)) << 2 << QByteArray("deeper than 1000 levels");
        QTest::newRow("edit: 200,000 nested arrays are not a request")
            << u"edit"_s << nested(200000) << 2 << QByteArray("item 0 is not {");
        QTest::newRow("format: 200,000 nested arrays are not a pair list")
            << u"format"_s << nested(200000) << 2 << QByteArray("item 0 is not a list");
        QTest::newRow("edit: numbers of any size under a key it ignores")
            << u"edit"_s
            << ignoring("[1e400, -1E+0400, 1.5e-99999999999999999999, " + QByteArray(400, '9')
                        + ", -" + QByteArray(400, '9') + ".5e308, 0.1]")
            << 0 << edited;
        // Offsets count the digits the reader is not shown.
        QTest::newRow("edit: a number cut short is still not JSON, at its own offset")
            << u"edit"_s << ignoring(QByteArray(400, '9') + "e") << 2
            << QByteArray("(Miss exponent in number at byte 425)");
        QTest::newRow("edit: a fault after long numbers is found at its offset")
            << u"edit"_s << ignoring("[" + QByteArray(400, '9') + "e400, 1e1000, tru]") << 2
            << QByteArray("(Invalid value at byte 442)");
        QTest::newRow("format: pair of three")
            << u"format"_s << json("[[['a', 'b', 'c']]]") << 2 << QByteArray();
        QTest::newRow("unknown command") << u"lint"_s << QByteArray("[]") << 2 << QByteArray();
    }

    void answers()
    {
        QFETCH(QString, command);
        QFETCH(QByteArray, input);
        QFETCH(int, exitCode);
        QFETCH(QByteArray, output);

        QProcess tool;
        run(tool, input, QStringLiteral(CORVANTA_CONNSTR), {command});
        if (QTest::currentTestFailed())
            return;
        QCOMPARE(tool.exitCode(), exitCode);
        const QByteArray written = tool.readAllStandardOutput();
        if (exitCode == 2) {
            QVERIFY(written.isEmpty());
            const QByteArray message = tool.readAllStandardError();
            QVERIFY2(!message.isEmpty() && message.contains(output), message.constData());
        } else if (written.trimmed() != output) {
            const QJsonDocument expected = QJsonDocument::fromJson(output);
            QVERIFY(!expected.isNull());
            QCOMPARE(QJsonDocument::fromJson(written), expected);
        }
    }

    // What surrounds the tool fails it: a command line for sh, with the tool as $0.
    void failingSurroundingsEndItWithStatus2AndAMessage_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QByteArray>("message");
        // The answer is small enough to sit in a buffer until exit, where a failure used to pass
        // unnoticed.
        QTest::newRow("full disk") << u"exec \"$0\" parse >/dev/full"_s << QByteArray("[\"a=1\"]")
                                   << QByteArray("cannot write standard output");
        QTest::newRow("closed standard output")
            << u"exec \"$0\" parse >&-"_s << QByteArray("[\"a=1\"]")
            << QByteArray("cannot write standard output");
        // 64 MiB as UTF-16 in 100 MB of address space, the tool's libraries included.
        QTest::newRow("a string too large for the memory there is")
            << u"ulimit -v 100000 && exec \"$0\" parse"_s
            << "[\"a=" + QByteArray(32 * 1024 * 1024, 'x') + "\"]"
            << QByteArray("not enough memory");
    }

    void failingSurroundingsEndItWithStatus2AndAMessage()
    {
        QFETCH(QString, script);
        QFETCH(QByteArray, input);
        QFETCH(QByteArray, message);
#if defined(ADDRESS_SANITIZER)
        if (script.startsWith(u"ulimit"))
            QSKIP("the address sanitizer needs more address space than any such limit leaves");
#endif
        QProcess tool;
        run(tool, input, u"/bin/sh"_s, {u"-c"_s, script, QStringLiteral(CORVANTA_CONNSTR)});
        if (QTest::currentTestFailed())
            return;
        QCOMPARE(tool.exitCode(), 2);
        QVERIFY(tool.readAllStandardError().contains(message));
    }
};

QTEST_GUILESS_MAIN(tst_ConnstrTool)
#include "tst_connstrtool.moc"
