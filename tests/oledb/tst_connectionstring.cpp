#include "oledb/connectionstring.h"
#include "oledb/connectionstringdocument.h"
#include "oledb/formaterror.h"
#include "oledb/providercatalogue.h"

#include <QRandomGenerator>
#include <QTest>

using namespace oledb;
using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(oledb::FormatError::Reason)

namespace {

// Pairs as "keyword|value|keyword|value" keep the tables to a line a row.
QString flat(const KeywordValueList &pairs)
{
    QStringList list;
    for (const KeywordValue &pair : pairs)
        list << pair.keyword << pair.value;
    return list.join(u'|');
}

KeywordValueList pairsOf(const QString &flatPairs)
{
    const QStringList list = flatPairs.split(u'|');
    KeywordValueList pairs;
    for (qsizetype i = 0; i + 1 < list.size(); i += 2)
        pairs.append({list.at(i), list.at(i + 1)});
    return pairs;
}

// No |, so flat() stays unambiguous. Heavy on the characters the syntax gives meaning to, plus NUL,
// a control character, Unicode spaces and lone surrogates.
const QString Alphabet
    = u"ab =;\"'\\  ==;\t\r\n\u00a0\u2028\u0001\u00e9"_s + QChar(0) + QChar(0xd800) + QChar(0xdc00);

QString randomText(QRandomGenerator &random, int maxLength)
{
    QString text;
    for (int n = random.bounded(maxLength + 1); n > 0; --n)
        text += Alphabet[random.bounded(int(Alphabet.size()))];
    return text;
}

// The characters that only ever stand for themselves, sorted: each one read must come out.
QString plainData(QStringView text)
{
    QString data;
    for (QChar c : text) {
        if (!c.isSpace() && c != u';' && c != u'=' && c != u'"' && c != u'\'')
            data += c;
    }
    std::sort(data.begin(), data.end());
    return data;
}

} // namespace

class tst_ConnectionString : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void parsesPairs_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("pairs");

        QTest::newRow("separators: nothing") << u" ;\t;; "_s << u""_s;
        QTest::newRow("separators: empty segments") << u" ; ;a=1;; ;b=2 ;"_s << u"a|1|b|2"_s;
        QTest::newRow("separators: Unicode space") << u"\u00a0a=1\u2003;\r\nb=2"_s << u"a|1|b|2"_s;
        QTest::newRow("keyword: trimmed, inner spaces kept")
            << u"  Data  Source = x"_s << u"Data  Source|x"_s;
        QTest::newRow("keyword: == is a literal =") << u"==a==b=c"_s << u"=a=b|c"_s;
        QTest::newRow("keyword: === is = then the end") << u"a===b"_s << u"a=|b"_s;
        QTest::newRow("value: = is data") << u"a=b=c"_s << u"a|b=c"_s;
        QTest::newRow("value: trimmed, quotes and \\ inside are data")
            << u"a=  O'Neil \"x\" C:\\ ;"_s << u"a|O'Neil \"x\" C:\\"_s;
        QTest::newRow("value: empty") << u"a=;b= "_s << u"a||b|"_s;
        QTest::newRow("quoted: password holding ;")
            << u"Password=\"passw;ord\";Database=x"_s << u"Password|passw;ord|Database|x"_s;
        QTest::newRow("quoted: doubled quotes")
            << u"a=\"say \"\"hi\"\"\";b='it''s'"_s << u"a|say \"hi\"|b|it's"_s;
        QTest::newRow("quoted: spaces, = and the other quote kept")
            << u"a=\" it's = x \" ;b='\"'"_s << u"a| it's = x |b|\""_s;
        QTest::newRow("quoted: empty") << u"a=\"\";b=''"_s << u"a||b|"_s;
        QTest::newRow("quoted: control characters") << u"a=\"\u0001\n\""_s << u"a|\u0001\n"_s;
        QTest::newRow("duplicates: all kept") << u"a=1;A=2;a=3"_s << u"a|1|A|2|a|3"_s;
        // Long enough that the scans read several characters at once, with what they must stop at
        // inside those blocks; text beyond ASCII (U+0085 is white space) is data.
        QTest::newRow("long: pairs across blocks")
            << u"Initial Catalog==Sales=0123456789;b=abcdefghijklmnopq\u00e9\u4e2d\u0085x ;"
               "c=\"0123456789\"\"abcdefg\";d='\u00a0;0123456789abcdef'"_s
            << u"Initial Catalog=Sales|0123456789|b|abcdefghijklmnopq\u00e9\u4e2d\u0085x|"
               "c|0123456789\"abcdefg|d|\u00a0;0123456789abcdef"_s;
    }

    void parsesPairs()
    {
        QFETCH(QString, text);
        QFETCH(QString, pairs);
        QCOMPARE(flat(ConnectionString::parse(text).pairs()), pairs);
    }

    void refusesMalformedAndSaysWhy_data()
    {
        using Reason = FormatError::Reason;
        QTest::addColumn<QString>("text");
        QTest::addColumn<qsizetype>("offset");
        QTest::addColumn<Reason>("reason");

        QTest::newRow("keyword: runs to the end")
            << u"a=1; b"_s << qsizetype(5) << Reason::NoAssign;
        QTest::newRow("keyword: runs to ;, not split")
            << u"Password=passw;ord;Database=x"_s << qsizetype(15) << Reason::NoAssign;
        QTest::newRow("keyword: blank") << u"a=1;  =x"_s << qsizetype(6) << Reason::NoKeyword;
        QTest::newRow("keyword: == only") << u"a==b"_s << qsizetype(0) << Reason::NoAssign;
        QTest::newRow("keyword: control character")
            << u"a\u0001=1"_s << qsizetype(0) << Reason::ControlCharacter;
        QTest::newRow("value: ends with a quote")
            << u"a=1;b=x'"_s << qsizetype(4) << Reason::StrayQuote;
        QTest::newRow("value: NUL")
            << u"a=x"_s + QChar(0) + u"y;b=2"_s << qsizetype(0) << Reason::ControlCharacter;
        QTest::newRow("quoted: unterminated")
            << u"a=1;b=\"x;c=2"_s << qsizetype(4) << Reason::UnclosedQuote;
        QTest::newRow("quoted: ends in a doubled quote")
            << u"b=\"x\"\""_s << qsizetype(0) << Reason::UnclosedQuote;
        QTest::newRow("quoted: text after the closing quote")
            << u"a=\"x\"y;b=1"_s << qsizetype(0) << Reason::TextAfterQuote;
        QTest::newRow("quoted: other quote does not close")
            << u"a=\"x'"_s << qsizetype(0) << Reason::UnclosedQuote;
        QTest::newRow("long: C1 control deep in a value")
            << u"a=1;b=0123456789abcdefghij\u0090klmnopqrstu;c=1"_s << qsizetype(4)
            << Reason::ControlCharacter;
        QTest::newRow("long: control deep in a keyword")
            << u"0123456789abcdefghij\u001bklmnopqrst=1"_s << qsizetype(0)
            << Reason::ControlCharacter;
    }

    void refusesMalformedAndSaysWhy()
    {
        QFETCH(QString, text);
        QFETCH(qsizetype, offset);
        QFETCH(FormatError::Reason, reason);
        try {
            ConnectionString::parse(text);
            QFAIL("accepted");
        } catch (const FormatError &error) {
            QCOMPARE(error.offset(), offset);
            QCOMPARE(error.reason(), reason);
            // The explanation quotes the pair as the user wrote it.
            const QString pair = text.sliced(offset).section(u';', 0, 0).left(8);
            const QString explained = error.explain(text, ProviderCatalogue::builtIn());
            if (!pair.contains(QChar(0)) && !pair.contains(QChar(1)))
                QVERIFY2(explained.contains(pair), qPrintable(explained));
        }
    }

    void effectiveValue()
    {
        const ConnectionString parsed = ConnectionString::parse(u"a=1;b=;A=3;x==y=4"_s);
        QCOMPARE(parsed.value(u"A"), u"3"_s);
        QCOMPARE(parsed.value(u"B"), u""_s);
        QCOMPARE(parsed.value(u"x=y"), u"4"_s);
        QCOMPARE(parsed.value(u"c"), std::nullopt);
        QCOMPARE(flat(parsed.effectivePairs()), u"a|3|b||x=y|4"_s);
    }

    void writesMinimalQuoting_data()
    {
        QTest::addColumn<QString>("pairs");
        QTest::addColumn<QString>("text");

        QTest::newRow("bare") << u"a|x y|b|O'Neil|c|"_s << u"a=x y;b=O'Neil;c="_s;
        QTest::newRow("= in keyword") << u"a=b|1"_s << u"a==b=1"_s;
        QTest::newRow("value holding ;") << u"a|x;y"_s << u"a=\"x;y\""_s;
        QTest::newRow("value holding \" only") << u"a|\"x"_s << u"a='\"x'"_s;
        QTest::newRow("value holding both quotes") << u"a|'\"x"_s << u"a=\"'\"\"x\""_s;
        QTest::newRow("leading =") << u"a|=x"_s << u"a=\"=x\""_s;
        QTest::newRow("NUL") << u"a|"_s + QChar(0) << u"a=\""_s + QChar(0) + u'"';
        QTest::newRow("long: ; and C1 control found anywhere")
            << u"a|0123456789abcdefghij;klmnopqrst|b|0123456789abcdefghij\u0085\u009fklmnopqrst"_s
            << u"a=\"0123456789abcdefghij;klmnopqrst\";b=\"0123456789abcdefghij\u0085\u009fklmnopqrst\""_s;
        QTest::newRow("long: both quotes and ; found anywhere")
            << u"a|0123456789'abcdefghij\"klmnop;qrst"_s
            << u"a=\"0123456789'abcdefghij\"\"klmnop;qrst\""_s;
    }

    void writesMinimalQuoting()
    {
        QFETCH(QString, pairs);
        QFETCH(QString, text);
        QCOMPARE(ConnectionString(pairsOf(pairs)).toString(), text);
    }

    void refusesUnwritableKeywords()
    {
        for (const QString &keyword : QStringList {u""_s, u" a"_s, u"a;b"_s, u"a"_s + QChar(0)})
            QVERIFY_THROWS_EXCEPTION(platform::Error,
                                     ConnectionString({{keyword, u"1"_s}}).toString());
    }

    void randomPairsRoundTrip()
    {
        QRandomGenerator random(20240917);
        for (int round = 0; round < 3000; ++round) {
            KeywordValueList pairs;
            for (int n = random.bounded(5); n > 0; --n) {
                const QString keyword = randomText(random, 8);
                if (ConnectionString::isWritableKeyword(keyword))
                    pairs.append({keyword, randomText(random, 8)});
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
            const QString text = randomText(random, 24);
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

            // Kept as written: untouched it comes back byte for byte, edited it reads back the
            // edit and nothing else, and the edit undone gives the text back.
            ConnectionStringDocument document = ConnectionStringDocument::parse(text);
            QCOMPARE(document.toString(), text);
            if (pairs.isEmpty())
                continue;
            const qsizetype at = random.bounded(int(pairs.size()));
            const QString value = randomText(random, 6);
            document.setValue(at, value);
            KeywordValueList expected = pairs;
            expected[at].value = value;
            QCOMPARE(flat(ConnectionString::parse(document.toString()).pairs()), flat(expected));
            document.setValue(at, pairs.at(at).value);
            QCOMPARE(document.toString(), text);
        }
    }
};

QTEST_APPLESS_MAIN(tst_ConnectionString)
#include "tst_connectionstring.moc"
