#include "dialogfixture.h"

#include <QAccessible>

class tst_ConnectionTab : public QObject, protected DialogFixture
{
    Q_OBJECT

private Q_SLOTS:
    void init() { openEmpty(); }
    void cleanup() { closeAndCheckForLeaks(); }

    void eachProviderPageWritesItsProperties_data();
    void eachProviderPageWritesItsProperties();
    void aChangeAndItsReversalGiveBackTheString_data();
    void aChangeAndItsReversalGiveBackTheString();
    void editingKeepsUnknownPropertiesOnce();
    void choosingAnotherProviderRewritesOnlyTheProviderPair();
    void aFieldWritesWhatItShows_data();
    void aFieldWritesWhatItShows();
    void pagesShowAndEditValuesUnderTheStringsOwnKeywords();
    void aStringOpensOnTheChoiceTheProviderWouldMake_data();
    void aStringOpensOnTheChoiceTheProviderWouldMake();
    void otherProviderWaitsForItsProgId();
    void browseFillsTheDatabaseFile();
    void odbcPageOffersConfiguredDataSourcesAndDrivers();
    void testConnectionRunsTheHookOrSaysItIsMissing();
};

void tst_ConnectionTab::eachProviderPageWritesItsProperties_data()
{
    QTest::addColumn<Script>("script");
    QTest::addColumn<QString>("expected");

    const QString sql = QStringLiteral("SQLOLEDB.1");
    QTest::newRow("sql server, integrated security")
        << Script {provider(sql), type("dataSourceEdit", "(local)"),
                   pick("authenticationCombo", WindowsIntegrated),
                   type("initialCatalogEdit", "pubs")}
        << "Provider=SQLOLEDB.1;Integrated Security=SSPI;Persist Security Info=False;"
           "Data Source=(local);Initial Catalog=pubs";
    QTest::newRow("sql server, user with saved password")
        << Script {provider(sql),
                   type("dataSourceEdit", "srv"),
                   pick("authenticationCombo", SqlServerLogOn),
                   type("userNameEdit", "sa"),
                   type("passwordEdit", "s3cret"),
                   click("allowSavingPasswordCheck")}
        << "Provider=SQLOLEDB.1;Persist Security Info=True;Data Source=srv;User ID=sa;"
           "Password=s3cret";
    QTest::newRow("sql server, what was typed comes back after integrated security")
        << Script {provider(sql),
                   pick("authenticationCombo", SqlServerLogOn),
                   type("userNameEdit", "sa"),
                   type("passwordEdit", "s3cret"),
                   click("allowSavingPasswordCheck"),
                   pick("authenticationCombo", WindowsIntegrated),
                   pick("authenticationCombo", SqlServerLogOn)}
        << "Provider=SQLOLEDB.1;Persist Security Info=True;User ID=sa;Password=s3cret";
    QTest::newRow("sql server, password not saved")
        << Script {provider(sql), type("dataSourceEdit", "srv"),
                   pick("authenticationCombo", SqlServerLogOn), type("userNameEdit", "sa"),
                   type("passwordEdit", "s3cret")}
        << "Provider=SQLOLEDB.1;Persist Security Info=False;Data Source=srv;User ID=sa";
    QTest::newRow("sql server driver, attached file and encryption")
        << Script {provider("MSOLEDBSQL.1"),
                   type("dataSourceEdit", "srv"),
                   click("attachFileRadio"),
                   type("attachFileEdit", "/data/app.mdf"),
                   type("initialCatalogEdit", "App"),
                   click("encryptCheck"),
                   click("trustServerCertificateCheck")}
        << "Provider=MSOLEDBSQL.1;Integrated Security=SSPI;Persist Security Info=False;"
           "Data Source=srv;Initial File Name=/data/app.mdf;Initial Catalog=App;"
           "Use Encryption for Data=True;Trust Server Certificate=True";
    QTest::newRow("sql server driver 19, encryption choice")
        << Script {provider("MSOLEDBSQL19.1"), type("dataSourceEdit", "srv"),
                   type("encryptionEditor", "Strict")}
        << "Provider=MSOLEDBSQL19.1;Integrated Security=SSPI;Persist Security Info=False;"
           "Data Source=srv;Use Encryption for Data=Strict";
    const QString msoledbsql19 = QStringLiteral("MSOLEDBSQL19.1");
    QTest::newRow("sql server driver 19, a service principal logs on with an id and a secret")
        << Script {provider(msoledbsql19), pick("authenticationCombo", ServicePrincipal),
                   type("userNameEdit", "app-id"), type("passwordEdit", "s3cret"),
                   click("allowSavingPasswordCheck")}
        << "Provider=MSOLEDBSQL19.1;Persist Security Info=True;"
           "Authentication=ActiveDirectoryServicePrincipal;User ID=app-id;Password=s3cret";
    QTest::newRow("sql server driver 19, integrated security takes the mode out, keeps the id")
        << Script {provider(msoledbsql19), pick("authenticationCombo", ServicePrincipal),
                   type("userNameEdit", "app-id"), pick("authenticationCombo", WindowsIntegrated),
                   pick("authenticationCombo", DirectoryInteractive)}
        << "Provider=MSOLEDBSQL19.1;Persist Security Info=False;"
           "Authentication=ActiveDirectoryInteractive;User ID=app-id";
    QTest::newRow("sql server driver 19, an access token in place of any log-on")
        << Script {provider(msoledbsql19), pick("authenticationCombo", SqlServerLogOn),
                   type("userNameEdit", "sa"), pick("authenticationCombo", AccessToken),
                   type("accessTokenEdit", "eyJ0")}
        << "Provider=MSOLEDBSQL19.1;Persist Security Info=False;Access Token=eyJ0";
    QTest::newRow("sql server driver 19, certificate checks")
        << Script {provider(msoledbsql19), type("hostNameInCertificateEdit", "db.example.com"),
                   type("encryptionEditor", "Strict"),
                   type("serverCertificateEdit", "/etc/ssl/db.cer")}
        << "Provider=MSOLEDBSQL19.1;Integrated Security=SSPI;Persist Security Info=False;"
           "Host Name In Certificate=db.example.com;Use Encryption for Data=Strict;"
           "Server Certificate=/etc/ssl/db.cer";
    QTest::newRow("sql server driver, windows integrated takes out the directory mode")
        << Script {opened(
                       "Provider=MSOLEDBSQL;Data Source=s;Authentication=ActiveDirectoryPassword;"
                       "User ID=u;Password=p"),
                   pick("authenticationCombo", WindowsIntegrated)}
        << "Provider=MSOLEDBSQL;Data Source=s;Integrated Security=SSPI";
    QTest::newRow("sql server driver, a directory mode takes out integrated security")
        << Script {opened("Provider=MSOLEDBSQL;Data Source=s;Integrated Security=SSPI"),
                   pick("authenticationCombo", DirectoryIntegrated)}
        << "Provider=MSOLEDBSQL;Data Source=s;Authentication=ActiveDirectoryIntegrated";
    QTest::newRow("access database")
        << Script {provider("Microsoft.ACE.OLEDB.12.0"), type("dataSourceEdit", "/srv/nw.accdb")}
        << "Provider=Microsoft.ACE.OLEDB.12.0;User ID=Admin;Persist Security Info=False;"
           "Data Source=/srv/nw.accdb";
    QTest::newRow("excel workbook follows its format")
        << Script {provider("Microsoft.ACE.OLEDB.12.0"), pick("fileTypeCombo", 1),
                   type("dataSourceEdit", "/srv/sales.xlsx")}
        << "Provider=Microsoft.ACE.OLEDB.12.0;User ID=Admin;Persist Security Info=False;"
           "Extended Properties=\"Excel 12.0 Xml;HDR=YES\";Data Source=/srv/sales.xlsx";
    QTest::newRow("jet, folder of text files")
        << Script {provider("Microsoft.Jet.OLEDB.4.0"), pick("fileTypeCombo", 2),
                   type("dataSourceEdit", "/srv/csv")}
        << "Provider=Microsoft.Jet.OLEDB.4.0;User ID=Admin;Persist Security Info=False;"
           "Extended Properties=\"text;HDR=YES;FMT=Delimited\";Data Source=/srv/csv";
    QTest::newRow("jet, access permissions several at once")
        << Script {provider("Microsoft.Jet.OLEDB.4.0"), type("dataSourceEdit", "a.mdb"),
                   tick("modeEditor", "Read"), tick("modeEditor", "Share Deny None"),
                   tick("modeEditor", "Share Deny Write")}
        << "Provider=Microsoft.Jet.OLEDB.4.0;User ID=Admin;Persist Security Info=False;"
           "Data Source=a.mdb;Mode=Read|Share Deny Write";
    QTest::newRow("odbc data source name")
        << Script {provider("MSDASQL.1"), type("dsnCombo", "Sales"), type("userNameEdit", "app"),
                   type("initialCatalogEdit", "crm")}
        << "Provider=MSDASQL.1;Persist Security Info=False;Data Source=Sales;User ID=app;"
           "Initial Catalog=crm";
    QTest::newRow("odbc connection string replaces the name")
        << Script {provider("MSDASQL.1"), type("dsnCombo", "Sales"), click("connectionStringRadio"),
                   type("odbcConnectionStringEdit", "DRIVER={PostgreSQL};SERVER=db")}
        << "Provider=MSDASQL.1;Persist Security Info=False;"
           "Extended Properties=\"DRIVER={PostgreSQL};SERVER=db\"";
    const QString topLevel
        = QStringLiteral("Provider=MSDASQL;Driver={PostgreSQL Unicode};Server=127.0.0.1;Port=5432;"
                         "Database=postgres;Uid=u;Pwd=p;");
    QTest::newRow("odbc keywords at the top level, the catalog edited where it stands")
        << Script {opened(topLevel), type("initialCatalogEdit", "mydb")}
        << QString(topLevel).replace(u"postgres"_s, u"mydb"_s);
    QTest::newRow("odbc keywords at the top level, the connection string edited in place")
        << Script {opened(topLevel),
                   type("odbcConnectionStringEdit",
                        "Driver={PostgreSQL Unicode};Server=db.example.com;Port=5433")}
        << "Provider=MSDASQL;Driver={PostgreSQL Unicode};Server=db.example.com;Port=5433;"
           "Database=postgres;Uid=u;Pwd=p;";
    QTest::newRow("odbc keywords at the top level, a data source name in their place")
        << Script {opened(topLevel), click("dsnRadio"), type("dsnCombo", "Sales")}
        << "Provider=MSDASQL;Database=postgres;Uid=u;Pwd=p;Data Source=Sales;";
    const Step build = click("buildOdbcStringButton");
    const Step ok = click("odbcBuildOkButton");
    QTest::newRow("odbc string built for a driver the table knows, nested")
        << Script {provider("MSDASQL.1"),
                   click("connectionStringRadio"),
                   build,
                   pick("odbcDriverCombo", 2),
                   type("odbcField:server", "db"),
                   type("odbcField:port", "5433"),
                   type("odbcField:pwd", "s3cret"),
                   pick("odbcField:sslmode", 3),
                   ok}
        << "Provider=MSDASQL.1;Persist Security Info=False;Extended "
           "Properties=\"DRIVER={PostgreSQL "
           "Unicode};SERVER=db;PORT=5433;PWD=s3cret;SSLmode=require\"";
    QTest::newRow("odbc string built at the top level, the user name the provider's own")
        << Script {provider("MSDASQL.1"),
                   click("connectionStringRadio"),
                   build,
                   pick("odbcDriverCombo", 1),
                   type("odbcField:server", "srv;1"),
                   type("odbcField:uid", "sa"),
                   click("odbcTopLevelRadio"),
                   ok}
        << "Provider=MSDASQL.1;Persist Security Info=False;DRIVER={FreeTDS};SERVER=\"{srv;1}\";"
           "UID=sa";
    QTest::newRow("odbc string for a driver the table does not know, typed by name")
        << Script {provider("MSDASQL.1"),
                   click("connectionStringRadio"),
                   build,
                   type("odbcDriverCombo", "Acme"),
                   type("odbcOtherKeywordsEdit", "HOST=h;X={a;b}"),
                   ok}
        << "Provider=MSDASQL.1;Persist Security Info=False;"
           "Extended Properties=\"DRIVER={Acme};HOST=h;X={a;b}\"";
    QTest::newRow("odbc build: only the field changed, where it stands")
        << Script {opened("Provider=MSDASQL;Extended Properties=\" DRIVER = {PostgreSQL Unicode} ; "
                          "Servername = db ;PWD={a;b}\""),
                   build, type("odbcField:server", "db2"), type("odbcField:port", "6000"), ok}
        << "Provider=MSDASQL;Extended Properties=\" DRIVER = {PostgreSQL Unicode} ; "
           "Servername = db2 ;PWD={a;b};PORT=6000\"";
    QTest::newRow("odbc build: the log-on property overrides the nested user, so it is edited")
        << Script {opened("Provider=MSDASQL;User ID=app;Extended Properties=\"DRIVER={FreeTDS};"
                          "UID=old\""),
                   build, type("odbcField:uid", "bob"), ok}
        << "Provider=MSDASQL;User ID=bob;Extended Properties=\"DRIVER={FreeTDS};UID=old\"";
    QTest::newRow("odbc build: keywords read from Extended Properties moved to the top level")
        << Script {opened("Provider=MSDASQL;Extended Properties=\"DRIVER={PostgreSQL Unicode};"
                          "Servername=db;Foo={x;y};UID=u\";Persist Security Info=False"),
                   build, click("odbcTopLevelRadio"), ok}
        << "Provider=MSDASQL;Persist Security Info=False;DRIVER={PostgreSQL Unicode};"
           "Servername=db;UID=u;Foo=\"{x;y}\"";
    QTest::newRow("odbc build: keywords read at the top level moved into Extended Properties")
        << Script {opened(topLevel), build, click("odbcNestedRadio"), ok}
        << "Provider=MSDASQL;Extended Properties=\"Driver={PostgreSQL Unicode};Server=127.0.0.1;"
           "Port=5432;Database=postgres;Uid=u;Pwd=p\";";
    QTest::newRow("oracle, net service name")
        << Script {provider("OraOLEDB.Oracle.1"), type("dataSourceEdit", "ORCL"),
                   type("userNameEdit", "scott"), type("connectTimeoutEditor", "30")}
        << "Provider=OraOLEDB.Oracle.1;Persist Security Info=False;Data Source=ORCL;"
           "User ID=scott;Connect Timeout=30";
    QTest::newRow("provider the catalogue does not know")
        << Script {provider("PGNP.1"), type("dataSourceEdit", "db"), type("locationEdit", "x"),
                   pick("impersonationLevelEditor", 3)}
        << "Provider=PGNP.1;Persist Security Info=False;Data Source=db;Location=x;"
           "Impersonation Level=Delegate";
}

void tst_ConnectionTab::eachProviderPageWritesItsProperties()
{
    QFETCH(Script, script);
    QFETCH(QString, expected);
    if (!script.isEmpty() && script.first().kind == Step::Open)
        open(script.takeFirst().text);
    DialogDriver driver(*m_dialog);
    for (const Step &step : std::as_const(script))
        QVERIFY2(play(driver, step), qPrintable(step.target));
    QCOMPARE(m_dialog->connectionString(), expected);
}

void tst_ConnectionTab::aChangeAndItsReversalGiveBackTheString_data()
{
    QTest::addColumn<QString>("text");
    // What the user does and undoes; nothing at all for a string only looked at.
    QTest::addColumn<Script>("script");
    QTest::newRow("odd spelling, spacing and order")
        << "provider = sqloledb ;data source=srv;  user id = sa;Foo=1;FOO=2;Initial Catalog='x;y'"
        << Script {};
    QTest::newRow("password without persist flag")
        << "Provider=MSDASQL;Password=pw;DSN=Sales" << Script {};
    QTest::newRow("no provider at all") << "Data Source=somewhere;" << Script {};
    QTest::newRow("invalid value left alone")
        << "Provider=Microsoft.Jet.OLEDB.4.0;Mode=WriteRead;Data Source=\"a.mdb\"" << Script {};
    const Script resave {click("allowSavingPasswordCheck"), click("allowSavingPasswordCheck")};
    QTest::newRow("saving unticked and ticked again, no persist flag")
        << "Provider=SQLOLEDB.1;User ID=sa;Password=pw;Data Source=old" << resave;
    QTest::newRow("saving unticked and ticked again, a password under persist flag False")
        << "Provider=SQLOLEDB.1;Persist Security Info=False;User ID=sa;Password=pw;Data Source=x"
        << resave;
    QTest::newRow("saving unticked and ticked again, persist flag True")
        << "Provider=MSDAORA.1;persist security info = true ;User ID=scott;Password='tiger'"
        << resave;
    QTest::newRow("saving ticked and unticked again, no password")
        << "Provider=MSDAORA.1;User ID=scott" << resave;
    const Script buildAndOk {click("buildOdbcStringButton"), click("odbcBuildOkButton")};
    QTest::newRow("odbc build opened on a nested string and left with OK")
        << "Provider=MSDASQL;Extended Properties=\"driver = {PostgreSQL Unicode};server={db};"
           "Pwd={a;b}};x=1\";User ID=u"
        << buildAndOk;
    QTest::newRow("odbc build opened on a top-level string and left with OK")
        << "Provider=MSDASQL;Driver={SQLite3};Database=/tmp/a.db;Timeout=5" << buildAndOk;
    QTest::newRow("odbc build: a field changed and changed back")
        << "Provider=MSDASQL;Extended Properties=\"DRIVER={FreeTDS};SERVER=db\""
        << Script {click("buildOdbcStringButton"), type("odbcField:server", "x"),
                   type("odbcField:server", "db"), click("odbcBuildOkButton")};
    const QString workbook = QStringLiteral(
        "Provider=Microsoft.ACE.OLEDB.12.0;Data Source=C:\\myFolder\\myExcel2007file.xlsx;"
        "Extended Properties=\"Excel 12.0 Xml;HDR=YES;IMEX=1\";");
    QTest::newRow("workbook, type changed to text files and back: its own options stay")
        << workbook << Script {pick("fileTypeCombo", 2), pick("fileTypeCombo", 1)};
    QTest::newRow("workbook, type changed to Access and back")
        << workbook << Script {pick("fileTypeCombo", 0), pick("fileTypeCombo", 1)};
}

void tst_ConnectionTab::aChangeAndItsReversalGiveBackTheString()
{
    QFETCH(QString, text);
    QFETCH(Script, script);
    open(text);
    DialogDriver driver(*m_dialog);
    m_dialog->showTab(datalink::DataLinkDialog::AllTab);
    m_dialog->showTab(datalink::DataLinkDialog::ConnectionTab);
    for (const Step &step : std::as_const(script))
        QVERIFY2(play(driver, step), qPrintable(step.target));
    QCOMPARE(m_dialog->connectionString(), text);
}

void tst_ConnectionTab::editingKeepsUnknownPropertiesOnce()
{
    open(QStringLiteral("provider = sqloledb ;data source=srv;user id=sa;Foo=1;FOO=2;"
                        "Initial Catalog='x;y'"));
    DialogDriver driver(*m_dialog);
    QCOMPARE(driver.find<QLineEdit>("dataSourceEdit")->text(), QStringLiteral("srv"));
    QCOMPARE(driver.find<QComboBox>("authenticationCombo")->currentIndex(), int(SqlServerLogOn));
    QVERIFY(driver.type("dataSourceEdit", "srv2"));
    QCOMPARE(m_dialog->connectionString(),
             QStringLiteral("provider = sqloledb ;data source=srv2;user id=sa;Foo=1;FOO=2;"
                            "Initial Catalog='x;y'"));
    auto *others = driver.find<QTableView>("otherPropertiesTable")->model();
    QCOMPARE(others->rowCount(), 1);
    QCOMPARE(others->index(0, 1).data(), QStringLiteral("2"));
}

void tst_ConnectionTab::choosingAnotherProviderRewritesOnlyTheProviderPair()
{
    open(QStringLiteral("Provider=SQLOLEDB.1;Integrated Security=SSPI;Initial Catalog=pubs;"
                        "Data Source=srv;Custom=1"));
    DialogDriver driver(*m_dialog);
    QVERIFY(driver.chooseProvider("Microsoft.Jet.OLEDB.4.0"));
    QCOMPARE(m_dialog->connectionString(),
             QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Integrated Security=SSPI;"
                            "Initial Catalog=pubs;Data Source=srv;Custom=1"));
    // The page that fits the new provider replaces the old one.
    QVERIFY(driver.find<QComboBox>("fileTypeCombo"));
    QVERIFY(!driver.find<QComboBox>("authenticationCombo"));
}

void tst_ConnectionTab::aFieldWritesWhatItShows_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("typed");
    QTest::newRow("a data source name completed inline") << "Provider=MSDASQL.1"
                                                         << "dsnCombo"
                                                         << "Sa";
    QTest::newRow("a choice completed inline on the All tab") << "Provider=MSDAORA.1"
                                                              << "value:Persist Security Info"
                                                              << "Tr";
}

void tst_ConnectionTab::aFieldWritesWhatItShows()
{
    QFETCH(QString, text);
    QFETCH(QString, field);
    QFETCH(QString, typed);
    open(text);
    m_dialog->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_dialog.get()));
    auto *widget = m_dialog->findChild<QWidget *>(field);
    auto *editor = qobject_cast<datalink::PropertyEditor *>(widget);
    QComboBox *combo = editor ? editor->comboBox() : qobject_cast<QComboBox *>(widget);
    QVERIFY(combo);
    m_dialog->showTab(field.startsWith(u"value:") ? datalink::DataLinkDialog::AllTab
                                                  : datalink::DataLinkDialog::ConnectionTab);
    combo->setFocus();
    QTest::keyClicks(combo->lineEdit(), typed);
    QVERIFY2(combo->lineEdit()->text().size() > typed.size(), "nothing was completed");
    const QString property = field == u"dsnCombo" ? u"Data Source"_s : field.mid(6);
    QCOMPARE(m_dialog->draft().value(property), combo->lineEdit()->text());
}

void tst_ConnectionTab::pagesShowAndEditValuesUnderTheStringsOwnKeywords()
{
    open(QStringLiteral("Provider=MSOLEDBSQL;Server=tcp:x,1433;Database=db;UID=u;PWD=p;"
                        "Encrypt=yes;Connect Timeout=30"));
    DialogDriver driver(*m_dialog);
    QCOMPARE(driver.find<QLineEdit>("dataSourceEdit")->text(), QStringLiteral("tcp:x,1433"));
    QCOMPARE(driver.find<QLineEdit>("initialCatalogEdit")->text(), QStringLiteral("db"));
    QCOMPARE(driver.find<QLineEdit>("userNameEdit")->text(), QStringLiteral("u"));
    // Encrypt goes into the provider string, beneath the property's default: it has no effect,
    // and turning encryption on writes the property's own name.
    QVERIFY(!driver.find<QCheckBox>("encryptCheck")->isChecked());
    QVERIFY(driver.type("dataSourceEdit", "tcp:y,1433"));
    QVERIFY(driver.click("encryptCheck"));
    QCOMPARE(m_dialog->connectionString(),
             QStringLiteral("Provider=MSOLEDBSQL;Server=tcp:y,1433;Database=db;UID=u;PWD=p;"
                            "Encrypt=yes;Connect Timeout=30;Use Encryption for Data=True"));
    // The All tab shows them under the catalogue's names, and nothing twice.
    QCOMPARE(driver.find<datalink::PropertyEditor>("value:Data Source")->lineEdit()->text(),
             QStringLiteral("tcp:y,1433"));
    QCOMPARE(driver.find<QTableView>("otherPropertiesTable")->model()->rowCount(), 0);
}

void tst_ConnectionTab::aStringOpensOnTheChoiceTheProviderWouldMake_data()
{
    QTest::addColumn<QString>("text");
    // The field and what it shows: a drop-down's choice, a line's text, a radio button "on".
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("shown");
    // Fields the page must show, and fields it must not.
    QTest::addColumn<QStringList>("visible");
    QTest::addColumn<QStringList>("hidden");
    const QString combo = QStringLiteral("authenticationCombo");
    QTest::newRow("integrated security") << "Provider=SQLOLEDB;Integrated Security=SSPI;User ID=sa"
                                         << combo << "Windows integrated security" << QStringList {}
                                         << QStringList {u"userNameEdit"_s, u"passwordEdit"_s};
    QTest::newRow("an older provider knows no Authentication")
        << "Provider=SQLNCLI11;Authentication=ActiveDirectoryPassword;User ID=sa" << combo
        << "SQL Server user name and password" << QStringList {u"userNameEdit"_s} << QStringList {};
    QTest::newRow("the mode over integrated security, deprecated said so")
        << "Provider=MSOLEDBSQL19;Integrated Security=SSPI;Authentication=ActiveDirectoryPassword"
        << combo << "ActiveDirectoryPassword (deprecated)"
        << QStringList {u"userNameEdit"_s, u"passwordEdit"_s} << QStringList {u"accessTokenEdit"_s};
    QTest::newRow("a managed identity reads only a user-assigned id")
        << "Provider=MSOLEDBSQL;Authentication=activedirectorymsi" << combo
        << "ActiveDirectoryMSI (managed identity)" << QStringList {u"userNameEdit"_s}
        << QStringList {u"passwordEdit"_s, u"allowSavingPasswordCheck"_s};
    QTest::newRow("a service principal's id and secret")
        << "Provider=MSOLEDBSQL;Authentication=ActiveDirectoryServicePrincipal;User ID=app"
        << "userNameEdit"
        << "app" << QStringList {u"passwordEdit"_s} << QStringList {};
    QTest::newRow("an access token over everything else")
        << "Provider=MSOLEDBSQL19;Authentication=SqlPassword;User ID=sa;Access Token=eyJ0" << combo
        << "Access token" << QStringList {u"accessTokenEdit"_s}
        << QStringList {u"userNameEdit"_s, u"passwordEdit"_s};
    QTest::newRow("a mode no version documents, as written")
        << "Provider=MSOLEDBSQL19;Authentication=ActiveDirectoryDefault" << combo
        << "ActiveDirectoryDefault" << QStringList {u"userNameEdit"_s} << QStringList {};
    QTest::newRow("certificates only where the version has them")
        << "Provider=MSOLEDBSQL.1" << combo << "SQL Server user name and password"
        << QStringList {u"userNameEdit"_s}
        << QStringList {u"hostNameInCertificateEdit"_s, u"serverCertificateEdit"_s};
    QTest::newRow("a certificate file only under strict encryption")
        << "Provider=MSOLEDBSQL19.1;Use Encryption for Data=Mandatory"
        << "hostNameInCertificateEdit"
        << "" << QStringList {} << QStringList {u"serverCertificateEdit"_s};
    QTest::newRow("a certificate file the string names stays in view")
        << "Provider=MSOLEDBSQL19.1;Server Certificate=/etc/ssl/db.cer"
        << "serverCertificateEdit"
        << "/etc/ssl/db.cer" << QStringList {u"serverCertificateEdit"_s} << QStringList {};
    QTest::newRow("shaping SQL Server: its page, its keywords")
        << "provider = MSDataShape.1 ;Data Provider=sqloledb;Server=srv;Trusted_Connection=yes"
        << combo << "Windows integrated security" << QStringList {u"dataSourceEdit"_s}
        << QStringList {u"userNameEdit"_s};
    QTest::newRow("odbc keywords at the top level make a connection string")
        << "Provider=MSDASQL;Driver={PostgreSQL Unicode};Server=127.0.0.1;Port=5432;"
           "Database=postgres;Uid=u;Pwd=p;"
        << "odbcConnectionStringEdit"
        << "Driver={PostgreSQL Unicode};Server=127.0.0.1;Port=5432"
        << QStringList {u"initialCatalogEdit"_s} << QStringList {};
    QTest::newRow("odbc keywords at the top level, the string's own choice")
        << "Provider=MSDASQL;Driver={SQLite3};Database=/tmp/a.db"
        << "connectionStringRadio"
        << "on" << QStringList {} << QStringList {};
}

void tst_ConnectionTab::aStringOpensOnTheChoiceTheProviderWouldMake()
{
    QFETCH(QString, text);
    QFETCH(QString, field);
    QFETCH(QString, shown);
    QFETCH(QStringList, visible);
    QFETCH(QStringList, hidden);
    open(text);
    m_dialog->show();
    m_dialog->showTab(datalink::DataLinkDialog::ConnectionTab);
    DialogDriver driver(*m_dialog);
    QWidget *widget = driver.find<QWidget>(field);
    QVERIFY(widget);
    if (auto *choice = qobject_cast<QComboBox *>(widget))
        QCOMPARE(choice->currentText(), shown);
    else if (auto *line = qobject_cast<QLineEdit *>(widget))
        QCOMPARE(line->text(), shown);
    else
        QCOMPARE(qobject_cast<QAbstractButton *>(widget)->isChecked(), shown == u"on");
    for (const QString &name : std::as_const(visible))
        QVERIFY2(driver.find<QWidget>(name)->isVisible(), qPrintable(name));
    for (const QString &name : std::as_const(hidden)) {
        auto *other = driver.find<QWidget>(name);
        QVERIFY2(!other || !other->isVisible(), qPrintable(name));
    }
    // What the provider would use is shown, not changed.
    QCOMPARE(m_dialog->connectionString(), text);
}

void tst_ConnectionTab::otherProviderWaitsForItsProgId()
{
    DialogDriver driver(*m_dialog);
    QVERIFY(driver.chooseProvider("MSDASQL.1"));
    auto *list = driver.find<QListWidget>("providerList");
    QListWidgetItem *other = list->item(list->count() - 1);
    list->setCurrentItem(other);
    Q_EMIT list->itemClicked(other);
    QVERIFY(!driver.shownString().contains(u"Provider"_s));
    QVERIFY(!driver.find<QPushButton>("nextButton")->isEnabled());
    Q_EMIT list->itemDoubleClicked(other);
    QCOMPARE(m_dialog->findChild<QTabWidget *>()->currentIndex(),
             int(datalink::DataLinkDialog::ProviderTab));
    // OK waits for the ProgID too.
    m_dialog->showTab(datalink::DataLinkDialog::ConnectionTab);
    QVERIFY(driver.click("okButton"));
    QCOMPARE(m_dialog->result(), int(QDialog::Rejected));
    QCOMPARE(m_dialog->findChild<QTabWidget *>()->currentIndex(),
             int(datalink::DataLinkDialog::ProviderTab));
    QVERIFY(!driver.find<QLabel>("problemLabel")->isHidden());

    QVERIFY(driver.type("otherProgIdEdit", "Vendor.Provider.1"));
    QVERIFY(driver.shownString().startsWith(u"Provider=Vendor.Provider.1"_s));
    QVERIFY(driver.click("nextButton"));
    QCOMPARE(m_dialog->findChild<QTabWidget *>()->currentIndex(),
             int(datalink::DataLinkDialog::ConnectionTab));
}

void tst_ConnectionTab::browseFillsTheDatabaseFile()
{
    // The file type as the string gives it, whatever options stand beside it.
    open(QStringLiteral("Provider=Microsoft.ACE.OLEDB.16.0;Data Source=/srv/a.xlsx;"
                        "Extended Properties=\"HDR=NO;Excel 12.0 Xml;IMEX=1\""));
    QStringList asked;
    m_dialog->setFileChooser(
        [&](QWidget *, const QString &title, const QString &filter, bool folder) {
            asked.append(title + u':' + (folder ? QStringLiteral("folder") : filter));
            return folder ? QStringLiteral("/srv/csv") : QStringLiteral("/srv/book.xls");
        });
    DialogDriver driver(*m_dialog);
    QCOMPARE(driver.find<QComboBox>("fileTypeCombo")->currentIndex(), 1);
    QVERIFY(driver.click("browseButton"));
    QCOMPARE(m_dialog->draft().value(u"Data Source"), QStringLiteral("/srv/book.xls"));
    QCOMPARE(m_dialog->draft().value(u"Extended Properties"),
             QStringLiteral("HDR=NO;Excel 8.0;IMEX=1"));
    QVERIFY(driver.pick("fileTypeCombo", 2));
    QVERIFY(driver.click("browseButton"));
    QCOMPARE(m_dialog->draft().value(u"Data Source"), QStringLiteral("/srv/csv"));
    QVERIFY(driver.pick("fileTypeCombo", 0));
    QVERIFY(driver.click("browseButton"));
    QCOMPARE(asked.size(), 3);
    QVERIFY2(asked.at(0).contains(u"Excel") && asked.at(0).contains(u"*.xlsx"),
             qPrintable(asked.at(0)));
    QVERIFY2(asked.at(1).endsWith(u":folder"), qPrintable(asked.at(1)));
    QVERIFY2(asked.at(2).contains(u"Access") && asked.at(2).contains(u"*.accdb"),
             qPrintable(asked.at(2)));
}

void tst_ConnectionTab::odbcPageOffersConfiguredDataSourcesAndDrivers()
{
    open(QStringLiteral("Provider=MSDASQL.1;Data Source=Sales"));
    DialogDriver driver(*m_dialog);
    auto *names = driver.find<QComboBox>("dsnCombo");
    QCOMPARE(names->count(), 2);
    QCOMPARE(names->currentText(), QStringLiteral("Sales"));
    // Where each comes from, beside the name that goes into the string.
    QCOMPARE(names->itemData(0, Qt::ToolTipRole).toString(),
             u"User data source, from /home/me/.odbc.ini"_s);
    QCOMPARE(names->itemData(1, Qt::AccessibleDescriptionRole).toString(),
             u"System data source, from /etc/odbc.ini"_s);
    QCOMPARE(names->accessibleDescription(), names->itemData(0, Qt::ToolTipRole).toString());
    QVERIFY(driver.pick("dsnCombo", 1));
    QCOMPARE(m_dialog->connectionString(), QStringLiteral("Provider=MSDASQL.1;Data Source=Stock"));
    QCOMPARE(names->lineEdit()->accessibleDescription(),
             u"System data source, from /etc/odbc.ini"_s);

    // The drivers registered, by name; every control of the Build dialog named once.
    QVERIFY(driver.click("connectionStringRadio"));
    QVERIFY(driver.click("buildOdbcStringButton"));
    QVERIFY(driver.pick("odbcDriverCombo", 2));
    auto *build = driver.find<QDialog>("odbcBuildDialog");
    QCOMPARE(driver.find<datalink::PropertyEditor>("odbcDriverCombo")->comboBox()->currentText(),
             u"PostgreSQL Unicode"_s);
    QStringList spoken;
    for (QWidget *control : build->findChildren<QWidget *>()) {
        if (!control->isVisible() || !(control->focusPolicy() & Qt::TabFocus)
            || control->focusProxy())
            continue;
        // A button is named by its text; an editable drop-down would be by its value.
        const QString name = control->accessibleName().isEmpty()
            ? QAccessible::queryAccessibleInterface(control)->text(QAccessible::Name)
            : control->accessibleName();
        QVERIFY2(!name.isEmpty() && !spoken.contains(name),
                 qPrintable(control->objectName() + u": "_s + name));
        spoken.append(name);
    }
    QVERIFY2(spoken.contains(u"Driver"_s) && spoken.contains(u"SSL mode"_s),
             qPrintable(spoken.join(u", ")));
}

void tst_ConnectionTab::testConnectionRunsTheHookOrSaysItIsMissing()
{
    open(QStringLiteral("Provider=MSDAORA.1;User ID=scott;Password=tiger"));
    DialogDriver driver(*m_dialog);
    QVERIFY(driver.click("testConnectionButton"));
    QVERIFY(driver.find<QLabel>("testConnectionMessage")->text().contains(u"not available"));

    QString tested;
    QWidget *parent = nullptr;
    m_dialog->setConnectionTester([&](const QString &text, QWidget *dialog) {
        tested = text;
        parent = dialog;
    });
    QVERIFY(driver.click("testConnectionButton"));
    QCOMPARE(tested, QStringLiteral("Provider=MSDAORA.1;User ID=scott;Password=tiger"));
    QCOMPARE(parent, m_dialog.get());

    // The test logs on with the password even where the string taken away leaves it out.
    open(QStringLiteral("Provider=MSDAORA.1;User ID=scott;Password=tiger"));
    m_dialog->setConnectionTester([&](const QString &text, QWidget *) { tested = text; });
    DialogDriver edited(*m_dialog);
    QVERIFY(edited.click("allowSavingPasswordCheck"));
    QVERIFY(edited.click("testConnectionButton"));
    QVERIFY(!m_dialog->connectionString().contains(u"tiger"));
    QVERIFY(tested.contains(QStringLiteral("Password=tiger")));
}

QTEST_MAIN(tst_ConnectionTab)
#include "tst_connectiontab.moc"
