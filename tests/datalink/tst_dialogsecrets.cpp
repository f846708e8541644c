#include "dialogfixture.h"

class tst_DialogSecrets : public QObject, protected DialogFixture
{
    Q_OBJECT

private Q_SLOTS:
    void init() { openEmpty(); }
    void cleanup() { closeAndCheckForLeaks(); }

    void passwordIsMaskedUntilRevealed();
    void savingPasswordFollowsPersistSecurityInfo();
    void blankPasswordIsWrittenOnlyWhenSaved();
    void plainTextNoteShowsOnlyForASavedPassword();
    void passwordWithoutPersistFlagSurvivesAnEdit();
    void onlyTheLogOnPasswordWaitsForSavingAndSaysSoBesideIt();
    void fieldsHoldingASecretHideItUntilShown();
    void copyingTheLiveStringNeverGivesAStringOkWouldNotWrite();
};

void tst_DialogSecrets::passwordIsMaskedUntilRevealed()
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

void tst_DialogSecrets::savingPasswordFollowsPersistSecurityInfo()
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

void tst_DialogSecrets::blankPasswordIsWrittenOnlyWhenSaved()
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

void tst_DialogSecrets::plainTextNoteShowsOnlyForASavedPassword()
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

void tst_DialogSecrets::passwordWithoutPersistFlagSurvivesAnEdit()
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

void tst_DialogSecrets::onlyTheLogOnPasswordWaitsForSavingAndSaysSoBesideIt()
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

void tst_DialogSecrets::fieldsHoldingASecretHideItUntilShown()
{
    open(u"Provider=MSDASQL.1;Extended Properties=\"DSN=x;PWD={Pa55;word-Corvanta}\";"
         "User ID=u;Password=first;Password=second"_s);
    DialogDriver driver(*m_dialog);
    auto *odbc = driver.find<QLineEdit>("odbcConnectionStringEdit");
    auto *all = driver.find<datalink::PropertyEditor>("value:Extended Properties")->lineEdit();
    // The Problems list says the password is set twice; it never says to what, even shown.
    const auto problemsShown = [&] {
        QStringList shown;
        for (const QWidget *widget :
             driver.find<QWidget>("problemList")->findChildren<QWidget *>()) {
            if (auto *label = qobject_cast<const QLabel *>(widget))
                shown.append(label->text());
            else if (auto *button = qobject_cast<const QAbstractButton *>(widget))
                shown.append(button->text());
            shown.append(widget->toolTip() + widget->accessibleName()
                         + widget->accessibleDescription());
        }
        return shown.join(u'\n');
    };
    QVERIFY(driver.find<QPushButton>("keep:Password"));
    QVERIFY(odbc->echoMode() == QLineEdit::Password);
    QVERIFY(all->echoMode() == QLineEdit::Password);
    // The Build dialog: its password field always masked, the other keywords as the page's
    // field is (SQLite's fields leave PWD among them).
    const auto builtEcho = [&](const char *driverName, const char *field) {
        if (!driver.click("buildOdbcStringButton") || !driver.type("odbcDriverCombo", driverName))
            return -1;
        const int echo = int(driver.find<datalink::PropertyEditor>(field)->lineEdit()->echoMode());
        driver.click("odbcBuildCancelButton");
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return echo;
    };
    QCOMPARE(builtEcho("SQLite3", "odbcOtherKeywordsEdit"), int(QLineEdit::Password));
    for (const bool revealed : {false, true}) {
        const QString shown = problemsShown();
        QVERIFY2(shown.contains(u"Password") && !shown.contains(u"first")
                     && !shown.contains(u"second") && !shown.contains(u"Pa55"),
                 qPrintable(shown));
        if (!revealed)
            QVERIFY(driver.click("revealPasswordCheck"));
    }
    QCOMPARE(builtEcho("SQLite3", "odbcOtherKeywordsEdit"), int(QLineEdit::Normal));
    QCOMPARE(builtEcho("FreeTDS", "odbcField:pwd"), int(QLineEdit::Password));
    QVERIFY(odbc->echoMode() == QLineEdit::Normal);
    QVERIFY(all->echoMode() == QLineEdit::Normal);
    QCOMPARE(odbc->text(), u"DSN=x;PWD={Pa55;word-Corvanta}"_s);
    // The log-on password's own field stays masked.
    QVERIFY(driver.find<QLineEdit>("passwordEdit")->echoMode() == QLineEdit::Password);

    // A secret among the driver's keywords at the top level is hidden in the field too.
    open(u"Provider=MSDASQL;Driver={X};SSLPassword=Pa55"_s);
    DialogDriver topLevel(*m_dialog);
    odbc = topLevel.find<QLineEdit>("odbcConnectionStringEdit");
    QCOMPARE(odbc->text(), u"Driver={X};SSLPassword=Pa55"_s);
    QVERIFY(odbc->echoMode() == QLineEdit::Password);
}

void tst_DialogSecrets::copyingTheLiveStringNeverGivesAStringOkWouldNotWrite()
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

QTEST_MAIN(tst_DialogSecrets)
#include "tst_dialogsecrets.moc"
