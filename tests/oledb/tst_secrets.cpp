// Every place a connection string or a driver's words are shown hides the same secrets: the
// dialog's live string, corvanta-connstr mask and Test Connection's message. One table of
// strings drives all three, so a case one of them mishandles cannot hide behind another.

#include "drivers/testing/connectiontester.h"
#include "drivers/testing/odbctester.h"
#include "oledb/connectionstring.h"
#include "oledb/datalinkdraft.h"
#include "oledb/formaterror.h"
#include "oledb/odbcattributes.h"
#include "oledb/providercatalogue.h"
#include "oledb/secrets.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// A driver that repeats everything it was given, every way a real one might: the ODBC string
// it received, each attribute of it, and each pair of the string with its value unquoted.
class EchoingTester final : public drivers::IConnectionTester
{
public:
    drivers::TestResult test(const oledb::ConnectionString &connection,
                             const std::atomic<bool> &) override
    {
        const QString odbc = drivers::OdbcTester::odbcConnectionString(
            oledb::ProviderCatalogue::builtIn(), connection);
        QString echo = u"[driver] could not log on with "_s + odbc + u'\n';
        const auto received = oledb::OdbcAttributes::parse(odbc);
        for (const auto &attribute : received.attributes())
            echo += attribute.key + u" is " + attribute.value + u'\n';
        for (const auto &pair : connection.pairs())
            echo += pair.keyword + u'=' + pair.value + u'\n';
        return drivers::TestResult::failed(echo);
    }
};

// What the driver would log on with, and every value a property declares secret.
QStringList passwordsIn(const QString &text)
{
    const auto connection = oledb::ConnectionString::parse(text);
    QStringList passwords;
    for (const auto &pair : connection.pairs()) {
        if (oledb::isSecretKeyword(pair.keyword, oledb::ProviderCatalogue::builtIn()))
            passwords.append(pair.value);
    }
    const auto odbc = oledb::OdbcAttributes::parse(
        drivers::OdbcTester::odbcConnectionString(oledb::ProviderCatalogue::builtIn(), connection));
    for (const auto &attribute : odbc.attributes()) {
        if (oledb::isSecretKeyword(attribute.key, oledb::ProviderCatalogue::builtIn()))
            passwords.append(attribute.value);
    }
    passwords.removeAll(QString());
    return passwords;
}

QJsonArray runMaskTool(const QStringList &texts)
{
    QProcess tool;
    tool.start(QStringLiteral(CORVANTA_CONNSTR), {QStringLiteral("mask")});
    tool.write(QJsonDocument(QJsonArray::fromStringList(texts)).toJson());
    tool.closeWriteChannel();
    if (!tool.waitForFinished(10000) || tool.exitCode() != 0)
        return {};
    return QJsonDocument::fromJson(tool.readAllStandardOutput()).array();
}

} // namespace

class tst_Secrets : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void noPasswordIsShownAnywhere_data();
    void noPasswordIsShownAnywhere();
    void malformedTextIsMaskedEveryWayItCouldBeRead_data();
    void malformedTextIsMaskedEveryWayItCouldBeRead();
    void keywordsAreSecretAsTheParserComparesThem_data();
    void keywordsAreSecretAsTheParserComparesThem();
    void driverMessagesLoseEverySecretAndKeepTheirWords_data();
    void driverMessagesLoseEverySecretAndKeepTheirWords();
};

void tst_Secrets::noPasswordIsShownAnywhere_data()
{
    QTest::addColumn<QString>("text");
    // Besides what the driver would log on with and the declared secrets, found by the test.
    QTest::addColumn<QStringList>("alsoSecret");
    // Exactly what the dialog shows with "Show password" off.
    QTest::addColumn<QString>("masked");

    const QString odbc = u"Provider=MSDASQL.1;Extended Properties="_s;
    const auto row = [&](const char *name, const QString &text, const QString &masked,
                         const QStringList &alsoSecret = {}) {
        QTest::newRow(name) << text << alsoSecret << masked;
    };

    row("nested secrets, each after doubled quotes and holding some",
        odbc + u"'PWD=a''1;DSN=''x'';PWD2=b''''2;UID=u'"_s,
        odbc + u"'PWD=********;DSN=''x'';PWD2=********;UID=u'"_s);
    row("nested brace never closed", odbc + u"\"DSN=x;PWD={s3cretPW\""_s,
        odbc + u"\"DSN=x;PWD=********\""_s);
    row("nested brace never closed, a separator inside", odbc + u"\"DSN=x;PWD={s3cretPW;x\""_s,
        odbc + u"\"DSN=x;PWD=********\""_s);
    row("nested single quote never closed", odbc + u"\"DSN=x;PWD='s3cret;x\""_s,
        odbc + u"\"DSN=x;PWD=********\""_s);
    row("nested double quotes around a separator", odbc + u"'DSN=x;PWD=\"s3cretPW;rest\"'"_s,
        odbc + u"'DSN=x;PWD=********'"_s, {u"rest"_s});
    row("nested key followed by a no-break space", odbc + u"\"DSN=x;PWD\u00A0=s3cretPW\""_s,
        odbc + u"\"DSN=x;PWD\u00A0=********\""_s);
    row("nested key followed by an ideographic space", odbc + u"\"DSN=x;PWD\u3000=s3cretPW\""_s,
        odbc + u"\"DSN=x;PWD\u3000=********\""_s);
    row("nested key after a no-break space", odbc + u"\"DSN=x;\u00A0PWD=s3cretPW\""_s,
        odbc + u"\"DSN=x;\u00A0PWD=********\""_s);
    row("nested value after an em space", odbc + u"\"DSN=x;PWD=\u2003s3cretPW ;UID=u\""_s,
        odbc + u"\"DSN=x;PWD=\u2003******** ;UID=u\""_s);
    row("nested key in mixed case", odbc + u"\"DSN=x;pWd=s3cretPW\""_s,
        odbc + u"\"DSN=x;pWd=********\""_s);
    row("nested Password spelt out", odbc + u"\"DSN=x;PASSWORD=s3cretPW\""_s,
        odbc + u"\"DSN=x;PASSWORD=********\""_s);
    row("nested doubled braces", odbc + u"\"DSN=x;PWD={s3c}}ret;PW};UID=u\""_s,
        odbc + u"\"DSN=x;PWD=********;UID=u\""_s);
    row("nested closing brace followed by more", odbc + u"\"DSN=x;PWD={s3cret}PW;UID=u\""_s,
        odbc + u"\"DSN=x;PWD=********;UID=u\""_s, {u"}PW"_s});
    row("nested braces holding quotes", odbc + u"'DSN=x;PWD={s3c\"ret};UID=u'"_s,
        odbc + u"'DSN=x;PWD=********;UID=u'"_s);
    row("nested twice: a connection string inside an ODBC string",
        odbc + u"'DSN=a;Extended Properties=\"X=1;PWD={deep;s3cret}\"'"_s,
        odbc + u"'DSN=a;Extended Properties=\"X=1;PWD=********\"'"_s, {u"deep;s3cret"_s});
    row("nested twice: braces inside braces", odbc + u"\"DSN=a;Options={X=1;PWD=s3cretDeep}\""_s,
        odbc + u"\"DSN=a;Options={X=1;PWD=********}\""_s, {u"s3cretDeep"_s});
    row("nested twice: quotes doubled inside quotes",
        odbc + u"\"DSN=a;Extended Properties=\"\"Password=s3cret;X=1\"\"\""_s,
        odbc + u"\"DSN=a;Extended Properties=\"\"Password=********;X=1\"\"\""_s, {u"s3cret"_s});
    row("nested in a property other than Extended Properties",
        u"Provider=SQLOLEDB.1;Data Source=\"srv;PWD=s3cretDS\""_s,
        u"Provider=SQLOLEDB.1;Data Source=\"srv;PWD=********\""_s, {u"s3cretDS"_s});
    row("log-on properties beside a nested password",
        u"Provider=MSDASQL.1;Data Source=pg;User ID=me;Password=s3cretTop;"
        "Extended Properties=\"PWD=s3cretOld\""_s,
        u"Provider=MSDASQL.1;Data Source=pg;User ID=me;Password=********;"
        "Extended Properties=\"PWD=********\""_s);
    row("password in double quotes holding a separator",
        u"Provider=SQLOLEDB.1;Password=\"s3c;ret\";User ID=sa"_s,
        u"Provider=SQLOLEDB.1;Password=********;User ID=sa"_s);
    row("password in single quotes holding a double quote",
        u"Provider=SQLOLEDB.1;Password='s3c\"ret';User ID=sa"_s,
        u"Provider=SQLOLEDB.1;Password=********;User ID=sa"_s);
    row("password with doubled quotes", u"Provider=SQLOLEDB.1;Password=\"s3c\"\"ret\""_s,
        u"Provider=SQLOLEDB.1;Password=********"_s);
    row("password with white space around it",
        u"Provider=SQLOLEDB.1; Password = \" s3cretPW \" ;User ID=sa"_s,
        u"Provider=SQLOLEDB.1; Password = ******** ;User ID=sa"_s);
    row("password holding = signs", u"Provider=SQLOLEDB.1;Password=s3c=ret==;User ID=sa"_s,
        u"Provider=SQLOLEDB.1;Password=********;User ID=sa"_s);
    row("password given twice", u"Provider=SQLOLEDB.1;Password=firstPW;User ID=sa;Password=2ndPW"_s,
        u"Provider=SQLOLEDB.1;Password=********;User ID=sa;Password=********"_s);
    row("password keyword in capitals after a no-break space",
        u"Provider=SQLOLEDB.1;\u00A0PASSWORD\u00A0=s3cretPW"_s,
        u"Provider=SQLOLEDB.1;\u00A0PASSWORD\u00A0=********"_s);
    row("database passwords the catalogue declares",
        u"Provider=Microsoft.Jet.OLEDB.4.0;Data Source=db.mdb;Jet OLEDB:Database Password=jetPW;"
        "Jet OLEDB:New Database Password=newPW"_s,
        u"Provider=Microsoft.Jet.OLEDB.4.0;Data Source=db.mdb;Jet OLEDB:Database "
        "Password=********;Jet OLEDB:New Database Password=********"_s);
    row("a local cube's encryption password beside the flag that asks for it",
        u"Provider=MSOLAP;Data Source=sales.cub;Encrypt Password=True;Encryption Password=cub3PW;"
        "UseExistingFile=True"_s,
        u"Provider=MSOLAP;Data Source=sales.cub;Encrypt Password=True;Encryption Password=********;"
        "UseExistingFile=True"_s);
    row("an expired password beside its successor",
        u"Provider=MSOLEDBSQL19;Data Source=x;User ID=u;Password=n3wPW;Old Password=0ldPW"_s,
        u"Provider=MSOLEDBSQL19;Data Source=x;User ID=u;Password=********;"
        "Old Password=********"_s);
    row("Db2's password under its short keyword", u"Provider=IBMDADB2;DSN=sample;UID=u;PWD=db2PW"_s,
        u"Provider=IBMDADB2;DSN=sample;UID=u;PWD=********"_s);
    row("Informix's password under its short keyword",
        u"Provider=Ifxoledbc;Data Source=stores@ids;UID=u;PWD=ifxPW"_s,
        u"Provider=Ifxoledbc;Data Source=stores@ids;UID=u;PWD=********"_s);
    row("access token with an ideographic space inside the keyword",
        u"Provider=MSOLEDBSQL;Access\u3000Token=eyJ0eXAi.s3cret"_s,
        u"Provider=MSOLEDBSQL;Access\u3000Token=********"_s);
    row("password-like keywords no provider declares",
        u"Provider=X.1;PWD=s3cretA;Extra Password=s3cretB;ProxyPwd=s3cretC"_s,
        u"Provider=X.1;PWD=********;Extra Password=********;ProxyPwd=********"_s);
    row("nested second and third factors", odbc + u"\"DSN=x;PWD2=s3cretTwo;PWD3=s3cretThree\""_s,
        odbc + u"\"DSN=x;PWD2=********;PWD3=********\""_s);
    row("tokens and client secrets",
        u"Provider=X.1;Token=tok3nS3c;Auth_AccessToken=eyJ0S3c;"
        "Client_Secret=cl1entS3c"_s,
        u"Provider=X.1;Token=********;Auth_AccessToken=********;Client_Secret=********"_s);
    row("nested tokens and client secrets",
        odbc + u"\"DSN=x;Auth_AccessToken=eyJ0S3c;Client_Secret=cl1entS3c\""_s,
        odbc + u"\"DSN=x;Auth_AccessToken=********;Client_Secret=********\""_s);
    row("nested password with an undoubled closing brace before a separator",
        odbc + u"\"DSN=x;PWD={s3c};ret99}\""_s, odbc + u"\"DSN=x;PWD=********\""_s, {u"ret99"_s});
    row("an Oracle descriptor stays readable",
        u"Provider=OraOLEDB.Oracle;Data Source=(DESCRIPTION=(ADDRESS_LIST=(ADDRESS=(PROTOCOL=TCP)"
        "(HOST=myHost)(PORT=1521)))(CONNECT_DATA=(SID=MyOracleSID)(SERVER=DEDICATED)));"
        "User ID=scott;Password=tig3rPW"_s,
        u"Provider=OraOLEDB.Oracle;Data Source=(DESCRIPTION=(ADDRESS_LIST=(ADDRESS=(PROTOCOL=TCP)"
        "(HOST=myHost)(PORT=1521)))(CONNECT_DATA=(SID=MyOracleSID)(SERVER=DEDICATED)));"
        "User ID=scott;Password=********"_s);
    row("blank password", u"Provider=SQLOLEDB.1;Password=\"\";Persist Security Info=True"_s,
        u"Provider=SQLOLEDB.1;Password=\"\";Persist Security Info=True"_s);
    row("a password under the Passwd spelling", u"Provider=MSDASQL;Passwd=hunter2"_s,
        u"Provider=MSDASQL;Passwd=********"_s);
    row("nested in a braced ODBC value, behind a quote never closed",
        u"Provider=MSDASQL;Extended Properties=\"DSN=x;Opts={a=1;b='c;PWD=s3cret}\""_s,
        u"Provider=MSDASQL;Extended Properties=\"DSN=x;Opts={a=1;b='c;PWD=********}\""_s,
        {u"s3cret"_s});
    row("nothing to hide is shown exactly", u" Provider = SQLOLEDB ; Data Source='a b';;"_s,
        u" Provider = SQLOLEDB ; Data Source='a b';;"_s);
}

void tst_Secrets::noPasswordIsShownAnywhere()
{
    QFETCH(QString, text);
    QFETCH(QStringList, alsoSecret);
    QFETCH(QString, masked);

    const QStringList passwords = passwordsIn(text) + alsoSecret;
    const datalink::DataLinkDraft draft(
        oledb::ProviderCatalogue::builtIn(),
        oledb::DataLinkProperties::fromString(oledb::ProviderCatalogue::builtIn(), text));
    EchoingTester tester;
    const std::atomic<bool> notCancelled {false};
    const QString message = drivers::testConnectionString(
                                tester, oledb::ProviderCatalogue::builtIn(), text, notCancelled)
                                .message;
    const QJsonArray tool = runMaskTool({text});
    QCOMPARE(tool.size(), 1);

    QCOMPARE(draft.maskedConnectionString(), masked);
    QCOMPARE(tool.at(0).toObject().value(u"masked").toString(), masked);
    QCOMPARE(oledb::ConnectionString::parse(masked).pairs().size(),
             oledb::ConnectionString::parse(text).pairs().size());
    for (const QString &password : passwords) {
        QVERIFY2(!masked.contains(password), qPrintable(password));
        QVERIFY2(!message.contains(password), qPrintable(password + u'\n' + message));
    }
    // The message still says what the driver said about everything else.
    QVERIFY(message.contains(u"[driver] could not log on with"));
}

// Text being typed or pasted may not be a valid string yet; what it would mean is unknown, so
// everything that either syntax would take for a secret is hidden.
void tst_Secrets::malformedTextIsMaskedEveryWayItCouldBeRead_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("masked");

    QTest::newRow("a password holding an unquoted separator")
        << u"Provider=SQLOLEDB;Password=passw;ord;Database=x"_s
        << u"Provider=SQLOLEDB;Password=********;Database=x"_s;
    QTest::newRow("a quote never closed runs to the end")
        << u"Provider=SQLOLEDB;Password='s3c;ret;User ID=sa"_s
        << u"Provider=SQLOLEDB;Password=********"_s;
    QTest::newRow("a brace never closed runs to the end")
        << u"Provider=MSDASQL;PWD={s3c;ret;UID=sa"_s << u"Provider=MSDASQL;PWD=********"_s;
    QTest::newRow("a password ending in a stray quote")
        << u"Provider=SQLOLEDB;Password=hunter2sec\";Data Source=x"_s
        << u"Provider=SQLOLEDB;Password=********;Data Source=x"_s;
    QTest::newRow("a braced password holding a separator")
        << u"Provider=SQLOLEDB;Pwd={Pa55;word-Corvanta}"_s << u"Provider=SQLOLEDB;Pwd=********"_s;
    QTest::newRow("a braced password with an undoubled closing brace")
        << u"Provider=MSDASQL;PWD={s3c};ret99};UID=u"_s << u"Provider=MSDASQL;PWD=********;UID=u"_s;
    QTest::newRow("a nested password after a quote never closed")
        << u"Provider=MSDASQL;Extended Properties=\"DSN=x;PWD=s3cret;UID=u"_s
        << u"Provider=MSDASQL;Extended Properties=\"DSN=x;PWD=********;UID=u"_s;
}

void tst_Secrets::malformedTextIsMaskedEveryWayItCouldBeRead()
{
    QFETCH(QString, text);
    QFETCH(QString, masked);
    QVERIFY_THROWS_EXCEPTION(oledb::FormatError, oledb::ConnectionString::parse(text));
    QCOMPARE(oledb::maskConnectionString(text, oledb::ProviderCatalogue::builtIn()), masked);
}

void tst_Secrets::keywordsAreSecretAsTheParserComparesThem_data()
{
    QTest::addColumn<QString>("keyword");
    QTest::addColumn<bool>("secret");

    QTest::newRow("declared, in another case") << u"jet oledb:DATABASE password"_s << true;
    QTest::newRow("declared, without the word password") << u"Access Token"_s << true;
    QTest::newRow("white space of any kind around") << u"\u3000\tPwd\u00A0"_s << true;
    QTest::newRow("a run of white space inside") << u"Access \u2003 Token"_s << true;
    QTest::newRow("password inside a longer keyword") << u"Old_Password2"_s << true;
    QTest::newRow("user name") << u"User ID"_s << false;
    QTest::newRow("saving passwords is no secret") << u"Persist Security Info"_s << false;
    QTest::newRow("pwd inside a word") << u"PwdPolicy"_s << false;
    QTest::newRow("a flag the catalogue declares, password in its name")
        << u"encrypt  PASSWORD"_s << false;
    QTest::newRow("a second factor") << u"PWD2"_s << true;
    QTest::newRow("a bare token") << u"Token"_s << true;
    QTest::newRow("a token inside a longer keyword") << u"Auth_AccessToken"_s << true;
    QTest::newRow("a client secret") << u"Client_Secret"_s << true;
}

void tst_Secrets::keywordsAreSecretAsTheParserComparesThem()
{
    QFETCH(QString, keyword);
    QFETCH(bool, secret);
    QCOMPARE(oledb::isSecretKeyword(keyword, oledb::ProviderCatalogue::builtIn()), secret);
}

void tst_Secrets::driverMessagesLoseEverySecretAndKeepTheirWords_data()
{
    QTest::addColumn<QString>("message");
    QTest::addColumn<QStringList>("secrets");
    QTest::addColumn<QString>("expected");
    // Where it is set, the secrets are also those the connection's string holds.
    QTest::addColumn<QString>("connection");

    QTest::newRow("a known secret wherever it is echoed, in any case")
        << u"user \"hunter2\" rejected; HUNTER2 is not valid"_s << QStringList {u"hunter2"_s}
        << u"user \"********\" rejected; ******** is not valid"_s << QString();
    QTest::newRow("secrets that overlap become one mask")
        << u"got abc-def"_s << QStringList {u"abc-def"_s, u"def"_s} << u"got ********"_s
        << QString();
    QTest::newRow("a short password inside the message's words leaves them alone")
        << u"database \"pubs\" does not exist; x is not its password"_s << QStringList {}
        << u"database \"pubs\" does not exist; ******** is not its password"_s
        << u"Provider=SQLOLEDB.1;User ID=u;Password=x"_s;
    QTest::newRow("a password equal to the user name leaves the user readable")
        << u"Login failed for user \"sa\"."_s << QStringList {}
        << u"Login failed for user \"sa\"."_s << u"Provider=SQLOLEDB.1;User ID=sa;Password=sa"_s;
    QTest::newRow("a nested password equal to the nested user name")
        << u"UID=app rejected for PWD=app"_s << QStringList {}
        << u"UID=app rejected for PWD=********"_s
        << u"Provider=MSDASQL.1;Extended Properties=\"DSN=x;UID=app;PWD=app\""_s;
    QTest::newRow("an unknown braced PWD with an escaped brace and a separator")
        << u"DSN=x;PWD={a;b}}c};UID=u"_s << QStringList {} << u"DSN=x;PWD=********;UID=u"_s
        << QString();
    QTest::newRow("an unknown quoted password at the end of a sentence")
        << u"the string was Password = \"x \"\" y\";User ID=u"_s << QStringList {}
        << u"the string was Password = ********;User ID=u"_s << QString();
    QTest::newRow("an unknown PWD after a no-break space ends with its line")
        << u"connect string was DSN=x;pwd\u00A0= secret\n[driver] failed"_s << QStringList {}
        << u"connect string was DSN=x;pwd\u00A0= ********\n[driver] failed"_s << QString();
    QTest::newRow("a braced top-level PWD reaches the driver with its braces undone")
        << u"password \"s3cret}x\" rejected"_s << QStringList {}
        << u"password \"********\" rejected"_s
        << u"Provider=MSDASQL;Driver={PostgreSQL Unicode};PWD={s3cret}}x}"_s;
    QTest::newRow("a flag with password in its name stays readable")
        << u"connect string was Provider=MSOLAP;Encrypt Password=True;Password=cub3PW"_s
        << QStringList {}
        << u"connect string was Provider=MSOLAP;Encrypt Password=True;Password=********"_s
        << QString();
    QTest::newRow("a message without secrets is left alone")
        << u"[unixODBC][Driver Manager]Data source name not found"_s << QStringList {}
        << u"[unixODBC][Driver Manager]Data source name not found"_s << QString();
}

void tst_Secrets::driverMessagesLoseEverySecretAndKeepTheirWords()
{
    QFETCH(QString, message);
    QFETCH(QStringList, secrets);
    QFETCH(QString, expected);
    QFETCH(QString, connection);
    const oledb::ProviderCatalogue &catalogue = oledb::ProviderCatalogue::builtIn();
    if (!connection.isEmpty())
        secrets += oledb::secretsOf(oledb::ConnectionString::parse(connection), catalogue);
    QCOMPARE(oledb::maskSecrets(message, secrets, catalogue), expected);
}

QTEST_GUILESS_MAIN(tst_Secrets)
#include "tst_secrets.moc"
