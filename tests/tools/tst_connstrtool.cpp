#include "oledb/formaterror.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTest>

using namespace Qt::StringLiterals;

// JSON written with ' for " so the rows stay readable.
static QByteArray json(const char *text)
{
    return QByteArray(text).replace('\'', '"');
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
        QTest::addColumn<QByteArray>("output"); // JSON; empty when nothing is to be written

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
        QTest::newRow("edit: no string") << u"edit"_s << json("[{'set': []}]") << 2 << QByteArray();
        QTest::newRow("mask: a password, and a malformed string")
            << u"mask"_s << json("['a=1;PWD=\\'x;y\\'', 'a=1;b']") << 1
            << json(QByteArray("[{'ok': true, 'masked': 'a=1;PWD=********'}, {'ok': false, "
                               "'offset': 4, 'message': '"
                               + oledb::FormatError::text().toUtf8() + "'}]")
                        .constData());
        QTest::newRow("mask: an item that is not a string")
            << u"mask"_s << json("['a=1', 2]") << 2 << QByteArray();
        QTest::newRow("not JSON") << u"parse"_s << QByteArray("[") << 2 << QByteArray();
        QTest::newRow("parse: a raw NUL inside a string is not JSON")
            << u"parse"_s << QByteArray("[\"a=\0b\"]", 8) << 2 << QByteArray();
        QTest::newRow("parse: a NUL byte after the array is not JSON")
            << u"parse"_s << QByteArray("[\"a=1\"]\0x", 9) << 2 << QByteArray();
        QTest::newRow("parse: invalid UTF-8 is not JSON")
            << u"parse"_s << QByteArray("[\"a=\xff\"]") << 2 << QByteArray();
        QTest::newRow("parse: a lone low surrogate escape comes back as U+FFFD")
            << u"parse"_s << json("['a=\\udc00']") << 0
            << json("[{'ok': true, 'pairs': [['a', '\xef\xbf\xbd']]}]");
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
        QTest::newRow("format: pair of three")
            << u"format"_s << json("[[['a', 'b', 'c']]]") << 2 << QByteArray();
        QTest::newRow("unknown command") << u"check"_s << QByteArray("[]") << 2 << QByteArray();
    }

    void answers()
    {
        QFETCH(QString, command);
        QFETCH(QByteArray, input);
        QFETCH(int, exitCode);
        QFETCH(QByteArray, output);

        QProcess tool;
        tool.start(QStringLiteral(CORVANTA_CONNSTR), {command});
        tool.write(input);
        tool.closeWriteChannel();
        QVERIFY(tool.waitForFinished());
        QCOMPARE(tool.exitCode(), exitCode);
        if (output.isEmpty()) {
            QVERIFY(tool.readAllStandardOutput().isEmpty());
            QVERIFY(!tool.readAllStandardError().isEmpty());
        } else {
            const QJsonDocument expected = QJsonDocument::fromJson(output);
            QVERIFY(!expected.isNull());
            QCOMPARE(QJsonDocument::fromJson(tool.readAllStandardOutput()), expected);
        }
    }

    // The answer is small enough to sit in a buffer until exit, where a failure used to pass
    // unnoticed.
    void aFailedWriteExitsWithStatus2AndAMessage_data()
    {
        QTest::addColumn<QString>("redirect");
        QTest::newRow("full disk") << u">/dev/full"_s;
        QTest::newRow("closed standard output") << u">&-"_s;
    }

    void aFailedWriteExitsWithStatus2AndAMessage()
    {
        QFETCH(QString, redirect);
        QProcess tool;
        tool.start(u"/bin/sh"_s,
                   {u"-c"_s, u"exec \"$0\" parse "_s + redirect, QStringLiteral(CORVANTA_CONNSTR)});
        tool.write("[\"a=1\"]");
        tool.closeWriteChannel();
        QVERIFY(tool.waitForFinished());
        QCOMPARE(tool.exitCode(), 2);
        QVERIFY(tool.readAllStandardError().contains("cannot write standard output"));
    }
};

QTEST_GUILESS_MAIN(tst_ConnstrTool)
#include "tst_connstrtool.moc"
