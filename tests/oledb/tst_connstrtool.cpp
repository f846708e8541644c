#include "oledb/formaterror.h"

#include <QJsonDocument>
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
};

QTEST_GUILESS_MAIN(tst_ConnstrTool)
#include "tst_connstrtool.moc"
