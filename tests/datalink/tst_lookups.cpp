#include "dialogfixture.h"

class tst_Lookups : public QObject, protected DialogFixture
{
    Q_OBJECT

private Q_SLOTS:
    void init() { openEmpty(); }
    void cleanup() { closeAndCheckForLeaks(); }

    void databasesAreListedOnlyWhenAskedAndKeepWhatWasTyped_data();
    void databasesAreListedOnlyWhenAskedAndKeepWhatWasTyped();
    void aFailedListSaysWhyUnderTheFieldAndToAScreenReader();
    void aSlowListLeavesTheFieldEditableAndCanBeStopped();
    void serversComeFromTheTypedHostOnOpeningAndTheNetworkOnRefresh();
};

void tst_Lookups::databasesAreListedOnlyWhenAskedAndKeepWhatWasTyped_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("SQL Server") << QStringLiteral(
        "Provider=SQLOLEDB.1;Data Source=db1;User ID=sa;Password=pw;Persist Security Info=False");
    QTest::newRow("ODBC") << QStringLiteral(
        "Provider=MSDASQL.1;Data Source=Sales;User ID=sa;Password=pw;Persist Security Info=False");
    QTest::newRow("generic") << QStringLiteral(
        "Provider=MSOLAP.8;Data Source=cube;User ID=sa;Password=pw;Persist Security Info=False");
}

void tst_Lookups::databasesAreListedOnlyWhenAskedAndKeepWhatWasTyped()
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

void tst_Lookups::aFailedListSaysWhyUnderTheFieldAndToAScreenReader()
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

void tst_Lookups::aSlowListLeavesTheFieldEditableAndCanBeStopped()
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

void tst_Lookups::serversComeFromTheTypedHostOnOpeningAndTheNetworkOnRefresh()
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

QTEST_MAIN(tst_Lookups)
#include "tst_lookups.moc"
