#include "platform/oledb/connectionstring.h"
#include "platform/oledb/formaterror.h"

#include <QRandomGenerator>
#include <QTest>

using namespace oledb;
using namespace Qt::StringLiterals;

namespace {

// Pairs flattened to keyword, value, keyword, value... so a failing QCOMPARE shows them.
QStringList flat(const KeywordValueList &pairs)
{
    QStringList list;
    for (const KeywordValue &pair : pairs)
        list << pair.keyword << pair.value;
    return list;
}

KeywordValueList pairsOf(const QStringList &flatList)
{
    KeywordValueList pairs;
    for (qsizetype i = 0; i + 1 < flatList.size(); i += 2)
        pairs.append({flatList.at(i), flatList.at(i + 1)});
    return pairs;
}

QString randomText(QRandomGenerator &random, QStringView alphabet, int maxLength)
{
    QString text;
    for (int n = random.bounded(maxLength + 1); n > 0; --n)
        text += alphabet[random.bounded(int(alphabet.size()))];
    return text;
}

// Characters that only ever stand for themselves: each one read must appear in some pair.
bool isPlainData(QChar c)
{
    return !c.isSpace() && c != u';' && c != u'=' && c != u'"' && c != u'\'';
}

QString plainData(QStringView text)
{
    QString data;
    for (QChar c : text) {
        if (isPlainData(c))
            data += c;
    }
    std::sort(data.begin(), data.end());
    return data;
}

// Heavy on the characters the syntax gives meaning to, plus NUL, a control character, Unicode
// spaces and lone surrogates.
const QString Alphabet = u"ab =;\"'\\  ==;\t\r\n\u00a0\u2028\u0001"_s + QChar(0) + QChar(0xd800)
    + QChar(0xdc00) + u"\u00e9"_s;

} // namespace

class tst_ConnectionString : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void parsesPairs_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("pairs");

        QTest::newRow("separators: nothing") << u""_s << QStringList();
        QTest::newRow("separators: only blanks") << u" ;\t;; "_s << QStringList();
        QTest::newRow("separators: empty segments skipped")
            << u" ; ;a=1;; ;b=2 ;"_s << QStringList {u"a"_s, u"1"_s, u"b"_s, u"2"_s};
        QTest::newRow("separators: Unicode space around pairs")
            << u"\u00a0a=1\u2003;\r\nb=2"_s << QStringList {u"a"_s, u"1"_s, u"b"_s, u"2"_s};
        QTest::newRow("keyword: trimmed, inner spaces kept")
            << u"  Data  Source = x"_s << QStringList {u"Data  Source"_s, u"x"_s};
        QTest::newRow("keyword: == is a literal =")
            << u"a==b=c"_s << QStringList {u"a=b"_s, u"c"_s};
        QTest::newRow("keyword: leading ==") << u"==a=1"_s << QStringList {u"=a"_s, u"1"_s};
        QTest::newRow("keyword: === is = then the end")
            << u"a===b"_s << QStringList {u"a="_s, u"b"_s};
        QTest::newRow("value: = is data") << u"a=b=c"_s << QStringList {u"a"_s, u"b=c"_s};
        QTest::newRow("value: trimmed") << u"a=  x y  ;"_s << QStringList {u"a"_s, u"x y"_s};
        QTest::newRow("value: inner quotes are data")
            << u"a=O'Neil \"x\" z"_s << QStringList {u"a"_s, u"O'Neil \"x\" z"_s};
        QTest::newRow("value: backslash is data")
            << u"a=C:\\dir\\"_s << QStringList {u"a"_s, u"C:\\dir\\"_s};
        QTest::newRow("value: empty at the end") << u"a="_s << QStringList {u"a"_s, u""_s};
        QTest::newRow("value: blank before ;")
            << u"a= ;b=1"_s << QStringList {u"a"_s, u""_s, u"b"_s, u"1"_s};
        QTest::newRow("quoted: password holding ;")
            << u"Password=\"passw;ord\";Database=x"_s
            << QStringList {u"Password"_s, u"passw;ord"_s, u"Database"_s, u"x"_s};
        QTest::newRow("quoted: doubled double quote")
            << u"Password=\"say \"\"hi\"\"\""_s << QStringList {u"Password"_s, u"say \"hi\""_s};
        QTest::newRow("quoted: single quotes around a double quote")
            << u"Password='a\"b'"_s << QStringList {u"Password"_s, u"a\"b"_s};
        QTest::newRow("quoted: doubled single quote")
            << u"Password='it''s'"_s << QStringList {u"Password"_s, u"it's"_s};
        QTest::newRow("quoted: spaces, = and the other quote kept")
            << u"Password=\" it's = x \" ;b=1"_s
            << QStringList {u"Password"_s, u" it's = x "_s, u"b"_s, u"1"_s};
        QTest::newRow("quoted: empty, both kinds")
            << u"a=\"\";b=''"_s << QStringList {u"a"_s, u""_s, u"b"_s, u""_s};
        QTest::newRow("quoted: control characters inside")
            << u"a=\"\u0001\"; b='\n'"_s << QStringList {u"a"_s, u"\u0001"_s, u"b"_s, u"\n"_s};
        QTest::newRow("duplicates: all kept in order")
            << u"a=1;A=2;b=3;a=4"_s
            << QStringList {u"a"_s, u"1"_s, u"A"_s, u"2"_s, u"b"_s, u"3"_s, u"a"_s, u"4"_s};
    }

    void parsesPairs()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, pairs);
        QCOMPARE(flat(ConnectionString::parse(text).pairs()), pairs);
    }

    void refusesMalformed_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<qsizetype>("offset");

        QTest::newRow("keyword: runs to the end") << u"a=1; b"_s << qsizetype(5);
        QTest::newRow("keyword: runs to ;, not split")
            << u"Password=passw;ord;Database=x"_s << qsizetype(15);
        QTest::newRow("keyword: empty") << u"=x"_s << qsizetype(0);
        QTest::newRow("keyword: blank") << u"a=1;  =x"_s << qsizetype(6);
        QTest::newRow("keyword: == only") << u"a==b"_s << qsizetype(0);
        QTest::newRow("keyword: control character") << u"a\u0001=1"_s << qsizetype(0);
        QTest::newRow("value: ends with a quote") << u"a=1;b=x'"_s << qsizetype(4);
        QTest::newRow("value: NUL") << u"a=x"_s + QChar(0) + u"y;b=2"_s << qsizetype(0);
        QTest::newRow("value: control character") << u"a=x\u0007"_s << qsizetype(0);
        QTest::newRow("quoted: unterminated") << u"a=1;b=\"x;c=2"_s << qsizetype(4);
        QTest::newRow("quoted: ends in a doubled quote") << u"b=\"x\"\""_s << qsizetype(0);
        QTest::newRow("quoted: text after the closing quote") << u"a=\"x\"y;b=1"_s << qsizetype(0);
        QTest::newRow("quoted: other quote does not close") << u"a=\"x'"_s << qsizetype(0);
    }

    void refusesMalformed()
    {
        QFETCH(QString, text);
        QFETCH(qsizetype, offset);
        try {
            ConnectionString::parse(text);
            QFAIL("accepted");
        } catch (const FormatError &error) {
            QCOMPARE(error.offset(), offset);
            QCOMPARE(error.message(), FormatError::text());
        }
    }

    void effectiveValue_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("keyword");
        QTest::addColumn<QString>("value"); // null: absent

        QTest::newRow("last duplicate wins") << u"a=1;b=2;A=3"_s << u"a"_s << u"3"_s;
        QTest::newRow("case-insensitive") << u"Data Source=x"_s << u"DATA SOURCE"_s << u"x"_s;
        QTest::newRow("empty is present") << u"a="_s << u"a"_s << u""_s;
        QTest::newRow("absent") << u"a=1"_s << u"b"_s << QString();
        QTest::newRow("keyword with =") << u"a==b=1"_s << u"a=b"_s << u"1"_s;
    }

    void effectiveValue()
    {
        QFETCH(QString, text);
        QFETCH(QString, keyword);
        QFETCH(QString, value);
        const auto found = ConnectionString::parse(text).value(keyword);
        QCOMPARE(found.has_value(), !value.isNull());
        if (found)
            QCOMPARE(*found, value);
    }

    void writesMinimalQuoting_data()
    {
        QTest::addColumn<QStringList>("pairs");
        QTest::addColumn<QString>("text");

        QTest::newRow("bare") << QStringList {u"a"_s, u"x y"_s, u"b"_s, u"O'Neil"_s}
                              << u"a=x y;b=O'Neil"_s;
        QTest::newRow("empty") << QStringList {u"a"_s, u""_s} << u"a="_s;
        QTest::newRow("= in keyword") << QStringList {u"a=b"_s, u"1"_s} << u"a==b=1"_s;
        QTest::newRow("value holding ;") << QStringList {u"a"_s, u"x;y"_s} << u"a=\"x;y\""_s;
        QTest::newRow("value holding \" only") << QStringList {u"a"_s, u"\"x"_s} << u"a='\"x'"_s;
        QTest::newRow("value holding both quotes")
            << QStringList {u"a"_s, u"'\"x"_s} << u"a=\"'\"\"x\""_s;
        QTest::newRow("leading space") << QStringList {u"a"_s, u" x"_s} << u"a=\" x\""_s;
        QTest::newRow("leading =") << QStringList {u"a"_s, u"=x"_s} << u"a=\"=x\""_s;
        QTest::newRow("trailing quote") << QStringList {u"a"_s, u"x'"_s} << u"a=\"x'\""_s;
        QTest::newRow("NUL") << QStringList {u"a"_s, QString(QChar(0))}
                             << u"a=\""_s + QChar(0) + u'"';
    }

    void writesMinimalQuoting()
    {
        QFETCH(QStringList, pairs);
        QFETCH(QString, text);
        QCOMPARE(ConnectionString(pairsOf(pairs)).toString(), text);
    }

    void refusesUnwritableKeywords_data()
    {
        QTest::addColumn<QString>("keyword");
        QTest::newRow("empty") << u""_s;
        QTest::newRow("leading space") << u" a"_s;
        QTest::newRow("holding ;") << u"a;b"_s;
        QTest::newRow("holding NUL") << u"a"_s + QChar(0);
    }

    void refusesUnwritableKeywords()
    {
        QFETCH(QString, keyword);
        QVERIFY_THROWS_EXCEPTION(platform::Error, ConnectionString({{keyword, u"1"_s}}).toString());
    }

    void randomPairsRoundTrip()
    {
        QRandomGenerator random(20240917);
        for (int round = 0; round < 3000; ++round) {
            KeywordValueList pairs;
            for (int n = random.bounded(5); n > 0; --n) {
                QString keyword = randomText(random, Alphabet, 8);
                if (ConnectionString::isWritableKeyword(keyword))
                    pairs.append({keyword, randomText(random, Alphabet, 8)});
            }
            const auto style = round % 2 ? EmptyValueStyle::Quoted : EmptyValueStyle::Bare;
            const QString text = ConnectionString(pairs).toString(style);
            try {
                QCOMPARE(flat(ConnectionString::parse(text).pairs()), flat(pairs));
            } catch (const FormatError &) {
                QFAIL(qPrintable(u"refused its own output: "_s + text));
            }
        }
    }

    void randomStringsFailCleanlyOrLoseNothing()
    {
        QRandomGenerator random(20240918);
        for (int round = 0; round < 20000; ++round) {
            const QString text = randomText(random, Alphabet, 24);
            KeywordValueList pairs;
            try {
                pairs = ConnectionString::parse(text).pairs();
            } catch (const FormatError &error) {
                QVERIFY(error.offset() >= 0 && error.offset() < text.size());
                QVERIFY(!text.at(error.offset()).isSpace() && text.at(error.offset()) != u';');
                continue;
            }
            QString read;
            for (const KeywordValue &pair : pairs)
                read += pair.keyword + pair.value;
            QCOMPARE(plainData(read), plainData(text));
            QCOMPARE(flat(ConnectionString::parse(ConnectionString(pairs).toString()).pairs()),
                     flat(pairs));
        }
    }
};

QTEST_APPLESS_MAIN(tst_ConnectionString)
#include "tst_connectionstring.moc"
