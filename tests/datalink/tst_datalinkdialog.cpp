#include "dialogdriver.h"

#include "datalink/widgets/lookupfield.h"
#include "drivers/discovery/databaselister.h"
#include "drivers/discovery/serverbrowser.h"
#include "oledb/connectionstring.h"
#include "oledb/datalinkdraft.h"
#include "oledb/datalinkproperties.h"
#include "oledb/providercatalogue.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QStyleOption>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QToolButton>

#include <memory>
#include <mutex>
#include <semaphore>

using testing::DialogDriver;
using namespace Qt::StringLiterals;

// One thing the user does: which widget, and what with it.
struct Step
{
    enum Kind { Provider, Type, Click, Pick, Tick } kind;
    QString target;
    QString text;
    int index = 0;
};
using Script = QList<Step>;
Q_DECLARE_METATYPE(Script)

namespace {

Step provider(QAnyStringView progId)
{
    return {Step::Provider, progId.toString(), {}};
}
Step type(QAnyStringView field, QAnyStringView text)
{
    return {Step::Type, field.toString(), text.toString()};
}
Step click(QAnyStringView button)
{
    return {Step::Click, button.toString(), {}};
}
Step pick(QAnyStringView combo, int index)
{
    return {Step::Pick, combo.toString(), {}, index};
}
Step tick(QAnyStringView editor, QAnyStringView flag)
{
    return {Step::Tick, editor.toString(), flag.toString()};
}

bool play(DialogDriver &driver, const Step &step)
{
    switch (step.kind) {
    case Step::Provider:
        return driver.chooseProvider(step.target);
    case Step::Type:
        return driver.type(step.target, step.text);
    case Step::Click:
        return driver.click(step.target);
    case Step::Pick:
        return driver.pick(step.target, step.index);
    case Step::Tick:
        return driver.tick(step.target, step.text);
    }
    return false;
}

// Answers from a script instead of a server; remembers what it was asked. Runs on the worker.
class FakeLister final : public drivers::IDatabaseLister
{
public:
    drivers::LookupResult list(const oledb::ConnectionString &connection,
                               const std::atomic<bool> &) override
    {
        if (holding)
            gate.acquire();
        const std::lock_guard lock(mutex);
        asked.append(connection.toString());
        return answer;
    }

    std::mutex mutex;
    QStringList asked;
    drivers::LookupResult answer;
    bool holding = false;
    std::binary_semaphore gate {0};
};

class FakeBrowser final : public drivers::IServerBrowser
{
public:
    drivers::LookupResult queryHost(const QString &host, const std::atomic<bool> &) override
    {
        const std::lock_guard lock(mutex);
        asked.append(host);
        return drivers::LookupResult::found({host + QStringLiteral("\\SQLEXPRESS")});
    }
    drivers::LookupResult broadcast(const std::atomic<bool> &) override
    {
        const std::lock_guard lock(mutex);
        asked.append(QStringLiteral("*"));
        return drivers::LookupResult::found({QStringLiteral("LAB\\DEV")});
    }
    std::chrono::milliseconds timeLimit() const override { return std::chrono::seconds(1); }

    QStringList askedSoFar()
    {
        const std::lock_guard lock(mutex);
        return asked;
    }

    std::mutex mutex;
    QStringList asked;
};

} // namespace

class tst_DataLinkDialog : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void eachProviderPageWritesItsProperties_data();
    void eachProviderPageWritesItsProperties();
    void aChangeAndItsReversalGiveBackTheString_data();
    void aChangeAndItsReversalGiveBackTheString();
    void editingKeepsUnknownPropertiesOnce();
    void choosingAnotherProviderRewritesOnlyTheProviderPair();
    void passwordIsMaskedUntilRevealed();
    void savingPasswordFollowsPersistSecurityInfo();
    void blankPasswordIsWrittenOnlyWhenSaved();
    void plainTextNoteShowsOnlyForASavedPassword();
    void passwordWithoutPersistFlagSurvivesAnEdit();
    void onlyTheLogOnPasswordWaitsForSavingAndSaysSoBesideIt();
    void fieldsHoldingASecretHideItUntilShown();
    void copyingTheLiveStringNeverGivesAStringOkWouldNotWrite();
    void aFieldWritesWhatItShows_data();
    void aFieldWritesWhatItShows();
    void invalidValueRefusesOkUntilFixed_data();
    void invalidValueRefusesOkUntilFixed();
    void customPropertiesCanBeAddedAndRemoved();
    void pagesShowAndEditValuesUnderTheStringsOwnKeywords();
    void aConflictShowsThePairInEffectAndKeepsItOnAClick();
    void keysActOnTheDialogWhateverHasTheFocus_data();
    void keysActOnTheDialogWhateverHasTheFocus();
    void tabFollowsTheReadingOrderOnEveryPage_data();
    void tabFollowsTheReadingOrderOnEveryPage();
    void altKeysAreUniqueAndReachTheirControl_data();
    void altKeysAreUniqueAndReachTheirControl();
    void otherProviderWaitsForItsProgId();
    void theSizeTheUserGivesIsKeptForTheRun();
    void browseFillsTheDatabaseFile();
    void odbcPageOffersConfiguredDataSources();
    void testConnectionRunsTheHookOrSaysItIsMissing();
    void databasesAreListedOnlyWhenAskedAndKeepWhatWasTyped_data();
    void databasesAreListedOnlyWhenAskedAndKeepWhatWasTyped();
    void aFailedListSaysWhyUnderTheFieldAndToAScreenReader();
    void aSlowListLeavesTheFieldEditableAndCanBeStopped();
    void serversComeFromTheTypedHostOnOpeningAndTheNetworkOnRefresh();

private:
    datalink::DataLinkDialog &open(const QString &text);
    // The provider's tab shown with a user name to type, as a keyboard user meets it.
    bool showProviderTab(const QString &progId, int tab);

    testing::FixedDataSources m_dataSources {{QStringLiteral("Sales"), QStringLiteral("Stock")}};
    std::shared_ptr<FakeLister> m_lister;
    std::shared_ptr<FakeBrowser> m_browser;
    // One per test, as the program keeps one per run.
    datalink::KeptDialogSize m_keptSize;
    std::unique_ptr<datalink::DataLinkDialog> m_dialog;
};

bool tst_DataLinkDialog::showProviderTab(const QString &progId, int tab)
{
    DialogDriver driver(*m_dialog);
    if (!driver.chooseProvider(progId))
        return false;
    driver.click("specificUserRadio");
    m_dialog->show();
    m_dialog->showTab(datalink::DataLinkDialog::Tab(tab));
    return true;
}

datalink::DataLinkDialog &tst_DataLinkDialog::open(const QString &text)
{
    m_dialog = std::make_unique<datalink::DataLinkDialog>(
        oledb::ProviderCatalogue::builtIn(),
        oledb::DataLinkProperties::fromString(oledb::ProviderCatalogue::builtIn(), text),
        m_dataSources, nullptr, &m_keptSize);
    // No test reaches a real server or the network.
    m_lister = std::make_shared<FakeLister>();
    m_browser = std::make_shared<FakeBrowser>();
    m_dialog->setDiscovery({m_lister, m_browser});
    return *m_dialog;
}

void tst_DataLinkDialog::init()
{
    m_keptSize = {};
    open(QString());
}

void tst_DataLinkDialog::cleanup()
{
    m_dialog.reset();
    QTRY_VERIFY2(QApplication::topLevelWidgets().isEmpty(), "a top-level widget was leaked");
}

void tst_DataLinkDialog::eachProviderPageWritesItsProperties_data()
{
    QTest::addColumn<Script>("script");
    QTest::addColumn<QString>("expected");

    const QString sql = QStringLiteral("SQLOLEDB.1");
    QTest::newRow("sql server, integrated security")
        << Script {provider(sql), type("dataSourceEdit", "(local)"),
                   click("integratedSecurityRadio"), type("initialCatalogEdit", "pubs")}
        << "Provider=SQLOLEDB.1;Integrated Security=SSPI;Persist Security Info=False;"
           "Data Source=(local);Initial Catalog=pubs";
    QTest::newRow("sql server, user with saved password")
        << Script {provider(sql),
                   type("dataSourceEdit", "srv"),
                   click("specificUserRadio"),
                   type("userNameEdit", "sa"),
                   type("passwordEdit", "s3cret"),
                   click("allowSavingPasswordCheck")}
        << "Provider=SQLOLEDB.1;Persist Security Info=True;Data Source=srv;User ID=sa;"
           "Password=s3cret";
    QTest::newRow("sql server, what was typed comes back after integrated security")
        << Script {provider(sql),
                   click("specificUserRadio"),
                   type("userNameEdit", "sa"),
                   type("passwordEdit", "s3cret"),
                   click("allowSavingPasswordCheck"),
                   click("integratedSecurityRadio"),
                   click("specificUserRadio")}
        << "Provider=SQLOLEDB.1;Persist Security Info=True;User ID=sa;Password=s3cret";
    QTest::newRow("sql server, password not saved")
        << Script {provider(sql), type("dataSourceEdit", "srv"), click("specificUserRadio"),
                   type("userNameEdit", "sa"), type("passwordEdit", "s3cret")}
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

void tst_DataLinkDialog::eachProviderPageWritesItsProperties()
{
    QFETCH(Script, script);
    QFETCH(QString, expected);
    DialogDriver driver(*m_dialog);
    for (const Step &step : std::as_const(script))
        QVERIFY2(play(driver, step), qPrintable(step.target));
    QCOMPARE(m_dialog->connectionString(), expected);
}

void tst_DataLinkDialog::aChangeAndItsReversalGiveBackTheString_data()
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
}

void tst_DataLinkDialog::aChangeAndItsReversalGiveBackTheString()
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

void tst_DataLinkDialog::editingKeepsUnknownPropertiesOnce()
{
    open(QStringLiteral("provider = sqloledb ;data source=srv;user id=sa;Foo=1;FOO=2;"
                        "Initial Catalog='x;y'"));
    DialogDriver driver(*m_dialog);
    QCOMPARE(driver.find<QLineEdit>("dataSourceEdit")->text(), QStringLiteral("srv"));
    QVERIFY(driver.find<QRadioButton>("specificUserRadio")->isChecked());
    QVERIFY(driver.type("dataSourceEdit", "srv2"));
    QCOMPARE(m_dialog->connectionString(),
             QStringLiteral("provider = sqloledb ;data source=srv2;user id=sa;Foo=1;FOO=2;"
                            "Initial Catalog='x;y'"));
    auto *others = driver.find<QTableView>("otherPropertiesTable")->model();
    QCOMPARE(others->rowCount(), 1);
    QCOMPARE(others->index(0, 1).data(), QStringLiteral("2"));
}

void tst_DataLinkDialog::choosingAnotherProviderRewritesOnlyTheProviderPair()
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
    QVERIFY(!driver.find<QRadioButton>("integratedSecurityRadio"));
}

void tst_DataLinkDialog::passwordIsMaskedUntilRevealed()
{
    open(QStringLiteral("Provider=MSDASQL.1;Password=hunter2;Persist Security Info=True;"
                        "Extended Properties=\"DSN=x;PWD=odbcpw\""));
    DialogDriver driver(*m_dialog);
    QVERIFY(!driver.shownString().contains(u"hunter2"));
    QVERIFY(!driver.shownString().contains(u"odbcpw"));
    QVERIFY(driver.shownString().contains(u"Password=********"));
    QVERIFY(driver.click("revealPasswordCheck"));
    QCOMPARE(driver.shownString(), m_dialog->connectionString());
    QVERIFY(driver.find<QLineEdit>("passwordEdit")->echoMode() == QLineEdit::Password);
}

void tst_DataLinkDialog::savingPasswordFollowsPersistSecurityInfo()
{
    // A string that carries its password keeps it, whatever the flag tells the provider.
    open(u"Provider=SQLOLEDB.1;Persist Security Info=False;User ID=sa;Password=pw;Data Source=x"_s);
    QVERIFY(m_dialog->findChild<QCheckBox *>(u"allowSavingPasswordCheck"_s)->isChecked());
    open(QString());
    DialogDriver driver(*m_dialog);
    QVERIFY(driver.chooseProvider("MSDAORA.1"));
    auto *allowSaving = driver.find<QCheckBox>("allowSavingPasswordCheck");
    QVERIFY(!allowSaving->isChecked());
    QVERIFY(driver.type("value:Persist Security Info", "True"));
    QVERIFY(allowSaving->isChecked());
    QVERIFY(driver.click("allowSavingPasswordCheck"));
    auto *persist = driver.find<datalink::PropertyEditor>("value:Persist Security Info");
    QCOMPARE(persist->comboBox()->currentText(), QStringLiteral("False"));
}

void tst_DataLinkDialog::blankPasswordIsWrittenOnlyWhenSaved()
{
    DialogDriver driver(*m_dialog);
    QVERIFY(driver.chooseProvider("MSDAORA.1"));
    QVERIFY(driver.type("userNameEdit", "scott"));
    QVERIFY(driver.click("blankPasswordCheck"));
    QVERIFY(!driver.find<QLineEdit>("passwordEdit")->isEnabled());
    QCOMPARE(m_dialog->connectionString(),
             QStringLiteral("Provider=MSDAORA.1;Persist Security Info=False;User ID=scott"));
    QVERIFY(driver.click("allowSavingPasswordCheck"));
    QCOMPARE(m_dialog->connectionString(),
             QStringLiteral("Provider=MSDAORA.1;Persist Security Info=True;User ID=scott;"
                            "Password=\"\""));
    QVERIFY(driver.click("blankPasswordCheck"));
    QCOMPARE(m_dialog->connectionString(),
             QStringLiteral("Provider=MSDAORA.1;Persist Security Info=True;User ID=scott"));
}

void tst_DataLinkDialog::plainTextNoteShowsOnlyForASavedPassword()
{
    DialogDriver driver(*m_dialog);
    auto note = [&] {
        return driver.find<QLabel>("plainTextNote");
    };
    QVERIFY(note()->isHidden());
    QVERIFY(driver.type("passwordEdit", "pw"));
    QVERIFY(note()->isHidden());
    QVERIFY(driver.click("allowSavingPasswordCheck"));
    QVERIFY(!note()->isHidden());
    QVERIFY(driver.click("blankPasswordCheck"));
    QVERIFY(note()->isHidden());
}

void tst_DataLinkDialog::passwordWithoutPersistFlagSurvivesAnEdit()
{
    open(QStringLiteral("Provider=SQLOLEDB.1;User ID=sa;Password=pw;Data Source=old"));
    DialogDriver driver(*m_dialog);
    QVERIFY(driver.find<QCheckBox>("allowSavingPasswordCheck")->isChecked());
    QVERIFY(driver.type("dataSourceEdit", "new"));
    QCOMPARE(m_dialog->connectionString(),
             QStringLiteral("Provider=SQLOLEDB.1;User ID=sa;Password=pw;Data Source=new"));
    // Unticking is what takes the password out, and says so in the string.
    QVERIFY(driver.click("allowSavingPasswordCheck"));
    QCOMPARE(m_dialog->connectionString(),
             QStringLiteral("Provider=SQLOLEDB.1;User ID=sa;Data Source=new;"
                            "Persist Security Info=False"));
}

void tst_DataLinkDialog::onlyTheLogOnPasswordWaitsForSavingAndSaysSoBesideIt()
{
    DialogDriver driver(*m_dialog);
    QVERIFY(driver.chooseProvider("Microsoft.Jet.OLEDB.4.0"));
    QVERIFY(driver.type("passwordEdit", "logon"));
    QVERIFY(driver.type("databasePasswordEdit", "opens"));
    QCOMPARE(m_dialog->connectionString(),
             QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;User ID=Admin;"
                            "Persist Security Info=False;Jet OLEDB:Database Password=opens"));
    QVERIFY(!driver.find<QLabel>("passwordHeldOutNote")->isHidden());
    QVERIFY(driver.find<QLineEdit>("databasePasswordEdit")->echoMode() == QLineEdit::Password);
    // Bold is "in the string" on the All tab; the password left out says so there too.
    // A row's label leads into the control of its editor that takes the focus.
    const auto label = [&](const QString &name) {
        auto *editor = m_dialog->findChild<QWidget *>(u"value:"_s + name);
        for (auto *found : m_dialog->findChildren<QLabel *>()) {
            if (editor && found->buddy()
                && (found->buddy() == editor || editor->isAncestorOf(found->buddy())))
                return found;
        }
        return static_cast<QLabel *>(nullptr);
    };
    QVERIFY(!label(u"Password"_s)->font().bold());
    QVERIFY(label(u"Jet OLEDB:Database Password"_s)->font().bold());
    QVERIFY(!driver.find<QLabel>("heldOut:Password")->isHidden());

    QVERIFY(driver.click("allowSavingPasswordCheck"));
    QVERIFY(m_dialog->connectionString().contains(u";Password=logon"));
    QVERIFY(label(u"Password"_s)->font().bold());
    QVERIFY(driver.find<QLabel>("heldOut:Password")->isHidden());
    QVERIFY(driver.find<QLabel>("passwordHeldOutNote")->isHidden());
}

void tst_DataLinkDialog::fieldsHoldingASecretHideItUntilShown()
{
    open(u"Provider=MSDASQL.1;Extended Properties=\"DSN=x;PWD={Pa55;word-Corvanta}\";"
         "User ID=u;Password=first;Password=second"_s);
    DialogDriver driver(*m_dialog);
    auto *odbc = driver.find<QLineEdit>("odbcConnectionStringEdit");
    auto *all = driver.find<datalink::PropertyEditor>("value:Extended Properties")->lineEdit();
    auto *keep = driver.find<QToolButton>("keep:Password");
    QVERIFY(odbc->echoMode() == QLineEdit::Password);
    QVERIFY(all->echoMode() == QLineEdit::Password);
    QVERIFY2(!keep->text().contains(u"second") && !keep->toolTip().contains(u"first"),
             qPrintable(keep->toolTip()));
    QVERIFY(driver.click("revealPasswordCheck"));
    QVERIFY(odbc->echoMode() == QLineEdit::Normal);
    QVERIFY(all->echoMode() == QLineEdit::Normal);
    QCOMPARE(odbc->text(), u"DSN=x;PWD={Pa55;word-Corvanta}"_s);
    // The log-on password's own field stays masked.
    QVERIFY(driver.find<QLineEdit>("passwordEdit")->echoMode() == QLineEdit::Password);
}

void tst_DataLinkDialog::copyingTheLiveStringNeverGivesAStringOkWouldNotWrite()
{
    open(u"Provider=MSDAORA.1;User ID=scott;Password=tiger"_s);
    DialogDriver driver(*m_dialog);
    auto *view = driver.find<QPlainTextEdit>("connectionStringView");
    auto *note = driver.find<QLabel>("copyRefusedNote");
    QApplication::clipboard()->setText(u"before"_s);
    view->selectAll();
    QTest::keySequence(view, QKeySequence::Copy);
    QCOMPARE(QApplication::clipboard()->text(), u"before"_s);
    QVERIFY(!note->isHidden());
    QVERIFY(note->text().contains(u"Show password"));

    QVERIFY(driver.click("revealPasswordCheck"));
    QVERIFY(note->isHidden());
    view->selectAll();
    QTest::keySequence(view, QKeySequence::Copy);
    QCOMPARE(QApplication::clipboard()->text(), m_dialog->connectionString());
}

void tst_DataLinkDialog::aFieldWritesWhatItShows_data()
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

void tst_DataLinkDialog::aFieldWritesWhatItShows()
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

void tst_DataLinkDialog::invalidValueRefusesOkUntilFixed_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("property");
    QTest::addColumn<Script>("fix");
    QTest::addColumn<QString>("expected");
    const QString jet = QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Mode=WriteRead;"
                                       "Data Source=a.mdb");
    QTest::newRow("flag set, reset to default")
        << jet << "Mode" << Script {click("reset:Mode")}
        << "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=a.mdb";
    QTest::newRow("flag set, ticking a valid flag")
        << jet << "Mode" << Script {tick("modeEditor", "Read")}
        << "Provider=Microsoft.Jet.OLEDB.4.0;Mode=Read;Data Source=a.mdb";
    QTest::newRow("integer, typing a number")
        << "Provider=SQLOLEDB.1;Connect Timeout=soon"
        << "Connect Timeout" << Script {type("value:Connect Timeout", "30")}
        << "Provider=SQLOLEDB.1;Connect Timeout=30";
    QTest::newRow("custom property is never invalid, known one is")
        << "Provider=MSDAORA.1;Prompt=Sometimes;Whatever=Sometimes"
        << "Prompt" << Script {pick("value:Prompt", 3)}
        << "Provider=MSDAORA.1;Prompt=No Prompt;Whatever=Sometimes";
}

void tst_DataLinkDialog::invalidValueRefusesOkUntilFixed()
{
    QFETCH(QString, text);
    QFETCH(QString, property);
    QFETCH(Script, fix);
    QFETCH(QString, expected);
    open(text);
    DialogDriver driver(*m_dialog);
    auto *problem = driver.find<QLabel>("problemLabel");
    QVERIFY(!problem->isHidden());
    QVERIFY(problem->text().contains(property));
    auto *editor = driver.find<datalink::PropertyEditor>(QStringLiteral("value:") + property);
    QVERIFY(editor->toolTip().contains(property));

    m_dialog->showTab(datalink::DataLinkDialog::ConnectionTab);
    QVERIFY(driver.click("okButton"));
    QCOMPARE(m_dialog->result(), int(QDialog::Rejected));
    QCOMPARE(driver.find<QTabWidget>("tabs")->currentIndex(),
             int(datalink::DataLinkDialog::AllTab));
    QVERIFY(problem->text().contains(u"cannot be used"));

    for (const Step &step : std::as_const(fix))
        QVERIFY2(play(driver, step), qPrintable(step.target));
    QVERIFY(problem->isHidden());
    QVERIFY(editor->toolTip().isEmpty());
    QVERIFY(driver.click("okButton"));
    QCOMPARE(m_dialog->result(), int(QDialog::Accepted));
    QCOMPARE(m_dialog->connectionString(), expected);
}

void tst_DataLinkDialog::customPropertiesCanBeAddedAndRemoved()
{
    DialogDriver driver(*m_dialog);
    QVERIFY(driver.chooseProvider("MSDAORA.1"));
    QVERIFY(driver.type("newPropertyNameEdit", "Bad;Name"));
    QVERIFY(driver.click("addPropertyButton"));
    QVERIFY(!driver.find<QLabel>("addPropertyMessage")->isHidden());
    QVERIFY(driver.type("newPropertyNameEdit", "App Tag"));
    QVERIFY(driver.type("newPropertyValueEdit", "a=b"));
    QVERIFY(driver.click("addPropertyButton"));
    QCOMPARE(m_dialog->connectionString(),
             QStringLiteral("Provider=MSDAORA.1;Persist Security Info=False;App Tag=a=b"));
    auto *table = driver.find<QTableView>("otherPropertiesTable");
    QCOMPARE(table->currentIndex().data(Qt::EditRole), QStringLiteral("a=b"));
    table->edit(table->currentIndex());
    QVERIFY(driver.type("value:App Tag", "c"));
    QVERIFY(m_dialog->connectionString().endsWith(u";App Tag=c"));
    const QRect remove = table->visualRect(table->model()->index(0, 2));
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, remove.center());
    QCOMPARE(m_dialog->connectionString(),
             QStringLiteral("Provider=MSDAORA.1;Persist Security Info=False"));
    QCOMPARE(table->model()->rowCount(), 0);
}

void tst_DataLinkDialog::pagesShowAndEditValuesUnderTheStringsOwnKeywords()
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

void tst_DataLinkDialog::aConflictShowsThePairInEffectAndKeepsItOnAClick()
{
    open(QStringLiteral("Provider=MSOLEDBSQL;Server=a;Data Source=b;Foo=1;foo=2"));
    DialogDriver driver(*m_dialog);
    auto *keep = driver.find<QToolButton>("keep:Data Source");
    QVERIFY(keep && !keep->isHidden());
    QVERIFY(keep->text().contains(u"Data Source=b"));
    QVERIFY(driver.click("keep:Data Source"));
    QVERIFY(keep->isHidden());
    auto *table = driver.find<QTableView>("otherPropertiesTable");
    const QModelIndex keepFoo = table->model()->index(0, 3);
    QVERIFY(keepFoo.data().toString().contains(u"foo=2"));
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, table->visualRect(keepFoo).center());
    QCOMPARE(m_dialog->connectionString(),
             QStringLiteral("Provider=MSOLEDBSQL;Data Source=b;foo=2"));
}

void tst_DataLinkDialog::keysActOnTheDialogWhateverHasTheFocus_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    // "accepted", "rejected", or the tab the key leads to.
    QTest::addColumn<QString>("outcome");
    const int none = Qt::NoModifier;
    const int ctrl = Qt::ControlModifier;
    const int ctrlShift = Qt::ControlModifier | Qt::ShiftModifier;
    QTest::newRow("enter in a text field")
        << "initialCatalogEdit" << int(Qt::Key_Return) << none << "accepted";
    QTest::newRow("enter in a drop-down field")
        << "dsnCombo" << int(Qt::Key_Return) << none << "accepted";
    QTest::newRow("enter in the provider list goes on as Next does")
        << "providerList" << int(Qt::Key_Enter) << none << "Connection";
    QTest::newRow("escape") << "userNameEdit" << int(Qt::Key_Escape) << none << "rejected";
    QTest::newRow("ctrl+tab in a drop-down")
        << "dsnCombo" << int(Qt::Key_Tab) << ctrl << "Advanced";
    QTest::newRow("ctrl+shift+tab in a drop-down")
        << "dsnCombo" << int(Qt::Key_Backtab) << ctrlShift << "Provider";
    QTest::newRow("ctrl+tab in the All tab's drop-down, round to the first tab")
        << "value:Persist Security Info" << int(Qt::Key_Tab) << ctrl << "Provider";
    QTest::newRow("ctrl+tab in the string, below the tabs")
        << "connectionStringView" << int(Qt::Key_Tab) << ctrl << "Connection";
    QTest::newRow("alt+n on the provider list")
        << "providerList" << int(Qt::Key_N) << int(Qt::AltModifier) << "Connection";
}

void tst_DataLinkDialog::keysActOnTheDialogWhateverHasTheFocus()
{
    QFETCH(QString, field);
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(QString, outcome);
    DialogDriver driver(*m_dialog);
    QVERIFY(driver.chooseProvider("MSDASQL.1"));
    auto *widget = driver.find<QWidget>(field);
    auto *tabs = m_dialog->findChild<QTabWidget *>();
    for (int tab = 0; tab < tabs->count(); ++tab) {
        if (tabs->widget(tab)->isAncestorOf(widget))
            m_dialog->showTab(datalink::DataLinkDialog::Tab(tab));
    }
    m_dialog->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_dialog.get()));
    QSignalSpy finished(m_dialog.get(), &QDialog::finished);
    widget->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    if (outcome == u"accepted" || outcome == u"rejected") {
        QCOMPARE(finished.size(), 1);
        QCOMPARE(finished.first().first().toInt(),
                 int(outcome == u"accepted" ? QDialog::Accepted : QDialog::Rejected));
        return;
    }
    // A button's Alt key clicks it a moment after the press.
    QTRY_COMPARE(tabs->tabText(tabs->currentIndex()).remove(u'&'), outcome);
    QCOMPARE(finished.size(), 0);
    // The focus is on the new page, and marked there as the style marks a focus moved by the
    // keyboard.
    QWidget *focused = QApplication::focusWidget();
    QVERIFY(focused && tabs->currentWidget()->isAncestorOf(focused));
    QStyleOption option;
    option.initFrom(focused);
    QVERIFY(option.state & QStyle::State_HasFocus);
    QVERIFY(option.state & QStyle::State_KeyboardFocusChange);
}

// Every page of each kind of provider, as the user sees it after choosing that provider.
static void addPageRows()
{
    QTest::addColumn<QString>("progId");
    QTest::addColumn<int>("tab");
    const QList<std::pair<const char *, const char *>> providers {
        {"SQL Server", "SQLOLEDB.1"},
        {"SQL Server Native Client", "SQLNCLI11.1"},
        {"Jet", "Microsoft.Jet.OLEDB.4.0"},
        {"ACE", "Microsoft.ACE.OLEDB.12.0"},
        {"OLE DB Driver 19", "MSOLEDBSQL19.1"},
        {"ODBC", "MSDASQL.1"},
        {"Oracle", "MSDAORA.1"},
        {"other", "Vendor.Provider.1"},
    };
    const QList<std::pair<const char *, datalink::DataLinkDialog::Tab>> tabs {
        {"Provider", datalink::DataLinkDialog::ProviderTab},
        {"Connection", datalink::DataLinkDialog::ConnectionTab},
        {"Advanced", datalink::DataLinkDialog::AdvancedTab},
        {"All", datalink::DataLinkDialog::AllTab},
    };
    for (const auto &[name, progId] : providers) {
        for (const auto &[tabName, tab] : tabs) {
            QTest::addRow("%s, %s tab", name, tabName) << QString::fromLatin1(progId) << int(tab);
        }
    }
}

// The Tab stops of the shown page: what Tab reaches, in the order it reaches them.
static QList<QWidget *> tabStops(QDialog &dialog)
{
    QList<QWidget *> stops;
    for (QWidget *widget = dialog.nextInFocusChain(); widget != &dialog;
         widget = widget->nextInFocusChain()) {
        if ((widget->focusPolicy() & Qt::TabFocus) && !widget->focusProxy() && widget->isVisible())
            stops.append(widget);
    }
    return stops;
}

// The part of the widget on screen, in the dialog's coordinates.
static QRect onDialog(QWidget *widget)
{
    const QRect shown = widget->visibleRegion().boundingRect();
    return QRect(widget->mapTo(widget->window(), shown.topLeft()), shown.size());
}

void tst_DataLinkDialog::tabFollowsTheReadingOrderOnEveryPage_data()
{
    addPageRows();
}

void tst_DataLinkDialog::tabFollowsTheReadingOrderOnEveryPage()
{
    QFETCH(QString, progId);
    QFETCH(int, tab);
    QVERIFY(showProviderTab(progId, tab));
    QVERIFY(QTest::qWaitForWindowExposed(m_dialog.get()));

    const QList<QWidget *> stops = tabStops(*m_dialog);
    QVERIFY(stops.size() >= 5);
    QCOMPARE(stops.first()->objectName(), QStringLiteral("qt_tabwidget_tabbar"));
    // The rows below the pages come last, in this order.
    QStringList tail;
    for (qsizetype i = stops.size() - 4; i < stops.size(); ++i)
        tail.append(stops.at(i)->objectName());
    QCOMPARE(tail.mid(0, 2), (QStringList {u"connectionStringView"_s, u"revealPasswordCheck"_s}));
    QVERIFY(tail.contains(u"okButton"_s) && tail.contains(u"cancelButton"_s));
    if (tab == datalink::DataLinkDialog::ConnectionTab)
        QCOMPARE(stops.at(stops.size() - 5)->objectName(), QStringLiteral("testConnectionButton"));

    // Each stop is on the row of the one before, further right, or lower down. Rows scrolled
    // out of sight have no place on screen to compare.
    QList<QWidget *> seen;
    for (QWidget *stop : stops) {
        if (!stop->visibleRegion().isEmpty())
            seen.append(stop);
    }
    for (qsizetype i = 1; i < seen.size(); ++i) {
        const QRect before = onDialog(seen.at(i - 1));
        const QRect after = onDialog(seen.at(i));
        const bool sameRow = after.top() < before.bottom() && before.top() < after.bottom();
        const bool inOrder
            = sameRow ? after.left() >= before.left() : after.top() >= before.bottom();
        QVERIFY2(inOrder,
                 qPrintable(QStringLiteral("%1 (%2,%3) comes after %4 (%5,%6)")
                                .arg(stops.at(i)->objectName())
                                .arg(after.x())
                                .arg(after.y())
                                .arg(stops.at(i - 1)->objectName())
                                .arg(before.x())
                                .arg(before.y())));
    }
}

void tst_DataLinkDialog::altKeysAreUniqueAndReachTheirControl_data()
{
    addPageRows();
}

void tst_DataLinkDialog::altKeysAreUniqueAndReachTheirControl()
{
    QFETCH(QString, progId);
    QFETCH(int, tab);
    QVERIFY(showProviderTab(progId, tab));
    m_dialog->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_dialog.get()));

    // A choice that names a field leads into it, so that what the user types next goes there.
    const QHash<QString, QString> fieldOfChoice {
        {u"catalogRadio"_s, u"initialCatalogCombo"_s},
        {u"attachFileRadio"_s, u"attachFileEdit"_s},
        {u"specificUserRadio"_s, u"userNameEdit"_s},
        {u"dsnRadio"_s, u"dsnCombo"_s},
        {u"connectionStringRadio"_s, u"odbcConnectionStringEdit"_s},
    };
    struct Mnemonic
    {
        QChar key;
        QString text;
        QWidget *owner; // the label or button with the key
        QWidget *target; // what the key is to focus; none for a push button (it would act)
    };
    QList<Mnemonic> mnemonics;
    for (QWidget *widget : m_dialog->findChildren<QWidget *>()) {
        if (!widget->isVisible())
            continue;
        QString text;
        QWidget *owner = widget;
        QWidget *target = nullptr;
        if (auto *label = qobject_cast<QLabel *>(widget)) {
            text = label->text();
            target = label->buddy();
            owner = target;
            if (text.contains(u'&'))
                QVERIFY2(target, qPrintable(u"no buddy for "_s + text));
        } else if (auto *button = qobject_cast<QAbstractButton *>(widget)) {
            text = button->text();
            if (fieldOfChoice.contains(button->objectName()))
                target = m_dialog->findChild<QWidget *>(fieldOfChoice.value(button->objectName()));
            else if (!qobject_cast<QPushButton *>(button))
                target = button;
        }
        const qsizetype amp = text.indexOf(u'&');
        if (amp < 0 || amp + 1 >= text.size() || text.at(amp + 1) == u'&')
            continue;
        mnemonics.append({text.at(amp + 1).toLower(), text, owner, target});
    }
    QVERIFY(!mnemonics.isEmpty());
    for (qsizetype i = 0; i < mnemonics.size(); ++i) {
        for (qsizetype j = i + 1; j < mnemonics.size(); ++j) {
            QVERIFY2(mnemonics.at(i).key != mnemonics.at(j).key,
                     qPrintable(mnemonics.at(i).text + u" and "_s + mnemonics.at(j).text));
        }
    }
    for (const Mnemonic &mnemonic : std::as_const(mnemonics)) {
        if (!mnemonic.target || !mnemonic.owner->isEnabled())
            continue;
        m_dialog->findChild<QWidget *>(u"connectionStringView"_s)->setFocus();
        QTest::keyClick(m_dialog.get(), Qt::Key(Qt::Key_A + mnemonic.key.unicode() - u'a'),
                        Qt::AltModifier);
        QWidget *wanted
            = mnemonic.target->focusProxy() ? mnemonic.target->focusProxy() : mnemonic.target;
        const auto reached = [wanted] {
            QWidget *focused = QApplication::focusWidget();
            return focused == wanted || wanted->isAncestorOf(focused);
        };
        // A button's key clicks it a moment after the press, as a click would.
        QTRY_VERIFY2_WITH_TIMEOUT(
            reached(),
            qPrintable(mnemonic.text + u" focused "_s + QApplication::focusWidget()->objectName()),
            1000);
    }
}

void tst_DataLinkDialog::otherProviderWaitsForItsProgId()
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

void tst_DataLinkDialog::theSizeTheUserGivesIsKeptForTheRun()
{
    m_dialog->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_dialog.get()));
    // Wider: the small test screen leaves no room to grow taller than the dialog's minimum.
    const QSize given = m_dialog->size() + QSize(37, 0);
    m_dialog->resize(given);
    // Another string, another provider, another page: the same size.
    open(QStringLiteral("Provider=SQLOLEDB.1;Data Source=x"));
    QCOMPARE(m_dialog->size(), given);
}

void tst_DataLinkDialog::browseFillsTheDatabaseFile()
{
    QStringList asked;
    m_dialog->setFileChooser([&](QWidget *, const QString &, const QString &filter, bool folder) {
        asked.append(folder ? QStringLiteral("folder") : filter);
        return folder ? QStringLiteral("/srv/csv") : QStringLiteral("/srv/book.xls");
    });
    DialogDriver driver(*m_dialog);
    QVERIFY(driver.chooseProvider("Microsoft.ACE.OLEDB.16.0"));
    QVERIFY(driver.pick("fileTypeCombo", 1));
    QVERIFY(driver.click("browseButton"));
    QCOMPARE(m_dialog->draft().value(u"Data Source"), QStringLiteral("/srv/book.xls"));
    QCOMPARE(m_dialog->draft().value(u"Extended Properties"), QStringLiteral("Excel 8.0;HDR=YES"));
    QVERIFY(driver.pick("fileTypeCombo", 2));
    QVERIFY(driver.click("browseButton"));
    QCOMPARE(m_dialog->draft().value(u"Data Source"), QStringLiteral("/srv/csv"));
    QCOMPARE(asked.size(), 2);
    QVERIFY(asked.first().contains(u"*.xlsx"));
    QCOMPARE(asked.last(), QStringLiteral("folder"));
}

void tst_DataLinkDialog::odbcPageOffersConfiguredDataSources()
{
    open(QStringLiteral("Provider=MSDASQL.1;Data Source=Sales"));
    DialogDriver driver(*m_dialog);
    auto *names = driver.find<QComboBox>("dsnCombo");
    QCOMPARE(names->count(), 2);
    QCOMPARE(names->currentText(), QStringLiteral("Sales"));
    QVERIFY(driver.pick("dsnCombo", 1));
    QCOMPARE(m_dialog->connectionString(), QStringLiteral("Provider=MSDASQL.1;Data Source=Stock"));
}

void tst_DataLinkDialog::testConnectionRunsTheHookOrSaysItIsMissing()
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

void tst_DataLinkDialog::databasesAreListedOnlyWhenAskedAndKeepWhatWasTyped_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("SQL Server") << QStringLiteral(
        "Provider=SQLOLEDB.1;Data Source=db1;User ID=sa;Password=pw;Persist Security Info=False");
    QTest::newRow("ODBC") << QStringLiteral(
        "Provider=MSDASQL.1;Data Source=Sales;User ID=sa;Password=pw;Persist Security Info=False");
    QTest::newRow("generic") << QStringLiteral(
        "Provider=MSOLAP.8;Data Source=cube;User ID=sa;Password=pw;Persist Security Info=False");
}

void tst_DataLinkDialog::databasesAreListedOnlyWhenAskedAndKeepWhatWasTyped()
{
    QFETCH(QString, text);
    open(text);
    m_lister->answer
        = drivers::LookupResult::found({QStringLiteral("pubs"), QStringLiteral("sales")});
    DialogDriver driver(*m_dialog);
    m_dialog->showTab(datalink::DataLinkDialog::ConnectionTab);
    m_dialog->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_dialog.get()));
    QVERIFY(driver.type("initialCatalogEdit", "pu"));
    auto *combo = driver.find<datalink::LookupComboBox>("initialCatalogCombo");
    QVERIFY(combo);
    QTest::qWait(50);
    QVERIFY2(m_lister->asked.isEmpty(), "nothing logs on before the user asks");

    combo->showPopup();
    QTRY_COMPARE(combo->count(), 2);
    // The log-on has the password the string leaves out.
    QCOMPARE(m_lister->asked.size(), 1);
    QVERIFY(m_lister->asked.first().contains(u"Password=pw"));
    QCOMPARE(combo->currentText(), QStringLiteral("pu"));
    QCOMPARE(m_dialog->draft().value(u"Initial Catalog"), QStringLiteral("pu"));
    QTRY_VERIFY(combo->view()->isVisible());

    combo->hidePopup();
    QVERIFY(driver.pick("initialCatalogCombo", 1));
    QCOMPARE(m_dialog->draft().value(u"Initial Catalog"), QStringLiteral("sales"));
    // Opening again with the same log-on shows the same list without logging on again.
    combo->showPopup();
    QTest::qWait(50);
    QCOMPARE(m_lister->asked.size(), 1);
}

void tst_DataLinkDialog::aFailedListSaysWhyUnderTheFieldAndToAScreenReader()
{
    open(QStringLiteral("Provider=MSDASQL.1;Data Source=Sales;User ID=sa;Password=s3cret"));
    m_lister->answer = drivers::LookupResult::driverFailed(
        QStringLiteral("[unixODBC]refused\nlog-on sa with s3cret failed: the server at "
                       "db.example.internal did not answer within the time the driver allows"));
    m_dialog->showTab(datalink::DataLinkDialog::ConnectionTab);
    m_dialog->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_dialog.get()));
    DialogDriver driver(*m_dialog);
    QVERIFY(driver.click("refreshDatabasesButton"));
    auto *status = driver.find<QLabel>("databaseListStatus");
    QTRY_VERIFY(status->text().contains(u"refused"));
    QVERIFY2(!status->text().contains(u'\n'), qPrintable(status->text()));
    QVERIFY2(!status->text().contains(u"s3cret"), qPrintable(status->text()));
    auto *combo = driver.find<QComboBox>("initialCatalogCombo");
    QCOMPARE(combo->count(), 0);
    QCOMPARE(combo->accessibleDescription(), status->text());
    // Wrapped within the page, not cut off at its edge.
    QTRY_VERIFY(status->height() >= status->heightForWidth(status->width()));
    QVERIFY(status->height() > status->fontMetrics().height());
    QVERIFY(status->width() <= combo->parentWidget()->width());
}

void tst_DataLinkDialog::aSlowListLeavesTheFieldEditableAndCanBeStopped()
{
    open(QStringLiteral("Provider=SQLOLEDB.1;Data Source=db1;User ID=sa;Password=pw"));
    m_lister->answer = drivers::LookupResult::found({QStringLiteral("late")});
    m_lister->holding = true;
    DialogDriver driver(*m_dialog);
    QVERIFY(driver.click("refreshDatabasesButton"));
    auto *button = driver.find<QPushButton>("refreshDatabasesButton");
    QCOMPARE(button->text(), QStringLiteral("Stop"));
    QVERIFY(driver.type("initialCatalogEdit", "typed meanwhile"));
    QCOMPARE(m_dialog->draft().value(u"Initial Catalog"), QStringLiteral("typed meanwhile"));

    QVERIFY(driver.click("refreshDatabasesButton"));
    m_lister->gate.release();
    QTest::qWait(200);
    QCOMPARE(driver.find<QComboBox>("initialCatalogCombo")->count(), 0);
    QVERIFY(driver.find<QLabel>("databaseListStatus")->text().contains(u"Stopped"));
    QVERIFY(button->text() != QStringLiteral("Stop"));
}

void tst_DataLinkDialog::serversComeFromTheTypedHostOnOpeningAndTheNetworkOnRefresh()
{
    open(QStringLiteral("Provider=SQLOLEDB.1;User ID=sa"));
    DialogDriver driver(*m_dialog);
    auto *combo = driver.find<datalink::LookupComboBox>("dataSourceCombo");
    m_dialog->showTab(datalink::DataLinkDialog::ConnectionTab);
    m_dialog->show();
    QVERIFY(QTest::qWaitForWindowActive(m_dialog.get()));
    QTest::keyClick(m_dialog.get(), Qt::Key_V, Qt::AltModifier);
    QCOMPARE(QApplication::focusWidget(), combo);
    combo->showPopup();
    QTest::qWait(50);
    QVERIFY2(m_browser->askedSoFar().isEmpty(), "opening without a host sends nothing");

    QVERIFY(driver.type("dataSourceEdit", "db1\\OLD"));
    combo->showPopup();
    QTRY_COMPARE(combo->count(), 1);
    QCOMPARE(m_browser->askedSoFar(), QStringList {QStringLiteral("db1")});
    QCOMPARE(combo->currentText(), QStringLiteral("db1\\OLD"));

    QVERIFY(driver.click("refreshServersButton"));
    QTRY_COMPARE(combo->count(), 2);
    QCOMPARE(m_browser->askedSoFar(),
             (QStringList {QStringLiteral("db1"), QStringLiteral("db1"), QStringLiteral("*")}));
    QVERIFY(driver.pick("dataSourceCombo", combo->findText(QStringLiteral("LAB\\DEV"))));
    QCOMPARE(m_dialog->draft().value(u"Data Source"), QStringLiteral("LAB\\DEV"));
}

QTEST_MAIN(tst_DataLinkDialog)
#include "tst_datalinkdialog.moc"
