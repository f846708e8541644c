#include "drivers/secretmask.h"
#include "oledb/connectionstring.h"

#include <QTest>

class tst_SecretMask : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void shouldHideSecretsInDriverMessages_data();
    void shouldHideSecretsInDriverMessages();
    void shouldHideEverySecretOfAStringEchoedBack_data();
    void shouldHideEverySecretOfAStringEchoedBack();
};

void tst_SecretMask::shouldHideSecretsInDriverMessages_data()
{
    QTest::addColumn<QString>("message");
    QTest::addColumn<QStringList>("secrets");
    QTest::addColumn<QString>("expected");

    QTest::newRow("a known secret wherever it occurs")
        << QStringLiteral("user \"hunter2\" rejected; hunter2 is not valid")
        << QStringList {QStringLiteral("hunter2")}
        << QStringLiteral("user \"****\" rejected; **** is not valid");
    QTest::newRow("a secret holding a shorter one goes whole")
        << QStringLiteral("got abcdef")
        << QStringList {QStringLiteral("abc"), QStringLiteral("abcdef")}
        << QStringLiteral("got ****");
    QTest::newRow("an unknown braced PWD with an escaped brace and a separator")
        << QStringLiteral("DSN=x;PWD={a;b}}c};UID=u") << QStringList {}
        << QStringLiteral("DSN=x;PWD=****;UID=u");
    QTest::newRow("an unknown quoted Password")
        << QStringLiteral("Password = \"x \"\" y\";User ID=u") << QStringList {}
        << QStringLiteral("Password = ****;User ID=u");
    QTest::newRow("a PWD that ends the line keeps the next line")
        << QStringLiteral("connect string was DSN=x;pwd=secret\n[driver] failed") << QStringList {}
        << QStringLiteral("connect string was DSN=x;pwd=****\n[driver] failed");
    QTest::newRow("a message without secrets is left alone")
        << QStringLiteral("[unixODBC][Driver Manager]Data source name not found")
        << QStringList {QString()}
        << QStringLiteral("[unixODBC][Driver Manager]Data source name not found");
}

void tst_SecretMask::shouldHideSecretsInDriverMessages()
{
    QFETCH(QString, message);
    QFETCH(QStringList, secrets);
    QFETCH(QString, expected);
    QCOMPARE(drivers::maskSecrets(message, secrets), expected);
}

void tst_SecretMask::shouldHideEverySecretOfAStringEchoedBack_data()
{
    QTest::addColumn<QString>("connectionString");
    QTest::addColumn<QStringList>("secrets");
    QTest::addColumn<QString>("notSecret");

    QTest::newRow("Password, with an earlier duplicate")
        << QStringLiteral("Provider=SQLOLEDB;Password=first1;User ID=sa;Password=second2")
        << QStringList {QStringLiteral("first1"), QStringLiteral("second2")}
        << QStringLiteral("sa");
    QTest::newRow("Jet database passwords")
        << QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=db.mdb;Jet OLEDB:Database "
                          "Password=jetpw;Jet OLEDB:New Database Password=newpw")
        << QStringList {QStringLiteral("jetpw"), QStringLiteral("newpw")}
        << QStringLiteral("db.mdb");
    QTest::newRow("access token") << QStringLiteral(
        "Provider=MSOLEDBSQL;Access Token=eyJ0eXAi.token")
                                  << QStringList {QStringLiteral("eyJ0eXAi.token")}
                                  << QStringLiteral("MSOLEDBSQL");
    QTest::newRow("PWD inside an ODBC string, braced with a separator")
        << QStringLiteral("Provider=MSDASQL;Extended Properties=\"DSN=pg;UID=me;PWD={s;e}}cret}\"")
        << QStringList {QStringLiteral("s;e}cret"), QStringLiteral("{s;e}}cret}")}
        << QStringLiteral("me");
    QTest::newRow("a keyword spelt in another case")
        << QStringLiteral("provider=MSDASQL;PASSWORD='quoted pw'")
        << QStringList {QStringLiteral("quoted pw")} << QStringLiteral("MSDASQL");
}

void tst_SecretMask::shouldHideEverySecretOfAStringEchoedBack()
{
    QFETCH(QString, connectionString);
    QFETCH(QStringList, secrets);
    QFETCH(QString, notSecret);

    const auto connection = oledb::ConnectionString::parse(connectionString);
    // Drivers echo the string raw or with its values unquoted; both must come out masked.
    QString echo = connectionString + u'\n';
    for (const auto &pair : connection.pairs())
        echo += pair.keyword + u'=' + pair.value + u'\n';
    const QString masked = drivers::maskSecrets(echo, drivers::secretsOf(connection));
    for (const QString &secret : std::as_const(secrets))
        QVERIFY2(!masked.contains(secret), qPrintable(masked));
    QVERIFY2(masked.contains(notSecret), qPrintable(masked));
}

QTEST_GUILESS_MAIN(tst_SecretMask)
#include "tst_secretmask.moc"
