#include "dialogfixture.h"

#include <QHelpEvent>
#include <QScrollArea>
#include <QToolTip>

#include <algorithm>

class tst_AllTab : public QObject, protected DialogFixture
{
    Q_OBJECT

private Q_SLOTS:
    void init() { openEmpty(); }
    void cleanup() { closeAndCheckForLeaks(); }

    void invalidValueRefusesOkUntilFixed_data();
    void invalidValueRefusesOkUntilFixed();
    void customPropertiesCanBeAddedAndRemoved();
    void aProblemIsListedAndItsFixIsAnOrdinaryEdit_data();
    void aProblemIsListedAndItsFixIsAnOrdinaryEdit();
    void theFilterKeepsTheRowsThatMatchAndTheRowInFocusIsExplained_data();
    void theFilterKeepsTheRowsThatMatchAndTheRowInFocusIsExplained();
    void aValueCutShortIsShownWholeOnHoverButASecretNever_data();
    void aValueCutShortIsShownWholeOnHoverButASecretNever();
    void typingAServicesDataProviderBringsThatProvidersPagesAndKeepsTheField();

private:
    bool showAllTab(const QString &text)
    {
        open(text);
        m_dialog->show();
        m_dialog->showTab(datalink::DataLinkDialog::AllTab);
        return QTest::qWaitForWindowActive(m_dialog.get());
    }

    // The Advanced tab has editors of the same names.
    datalink::PropertyEditor *allTabEditor(const QString &property) const
    {
        return m_dialog->findChild<QScrollArea *>(u"allPropertiesScroll"_s)
            ->findChild<datalink::PropertyEditor *>(u"value:"_s + property);
    }
};

void tst_AllTab::invalidValueRefusesOkUntilFixed_data()
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

void tst_AllTab::invalidValueRefusesOkUntilFixed()
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

void tst_AllTab::customPropertiesCanBeAddedAndRemoved()
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

void tst_AllTab::aProblemIsListedAndItsFixIsAnOrdinaryEdit_data()
{
    QTest::addColumn<QString>("text");
    // What the entry says first: the keyword and where it stands.
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("fixed");
    // A field on the Connection page, and what it shows once fixed.
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("shown");
    // The opposite edit, where there is one; it gives the string back.
    QTest::addColumn<Script>("reversal");
    QTest::newRow("two pairs for one property: Keep only, moved from the All tab")
        << "Provider=MSOLEDBSQL;Data Source=a;Data Source=b;Connect Timeout=30"
        << "Data Source, pair 2"
        << "keep:Data Source"
        << "Provider=MSOLEDBSQL;Data Source=b;Connect Timeout=30"
        << "dataSourceEdit"
        << "b" << Script {};
    QTest::newRow("a keyword the provider does not declare, set twice")
        << "Provider=MSOLEDBSQL;Data Source=a;Foo=1;foo=2"
        << "Foo, pair 3"
        << "keep:Foo"
        << "Provider=MSOLEDBSQL;Data Source=a;foo=2"
        << "dataSourceEdit"
        << "a" << Script {};
    QTest::newRow("a pair with no effect removed, and added back")
        << "Provider=MSOLEDBSQL;Data Source=x;Encrypt=yes;Connect Timeout=30"
        << "Encrypt, pair 3"
        << "fix:no-effect:Encrypt"
        << "Provider=MSOLEDBSQL;Data Source=x;Connect Timeout=30"
        << "dataSourceEdit"
        << "x"
        << Script {type("newPropertyNameEdit", "Encrypt"), type("newPropertyValueEdit", "yes"),
                   click("addPropertyButton")};
    QTest::newRow("a misspelt keyword renamed, and back: the page shows its value")
        << "Provider=MSOLEDBSQL;Intial Catalog=db;Data Source=x"
        << "Intial Catalog, pair 2"
        << "fix:misspelt-keyword:Intial Catalog"
        << "Provider=MSOLEDBSQL;Data Source=x;Initial Catalog=db"
        << "initialCatalogEdit"
        << "db"
        << Script {click("reset:Initial Catalog"), type("newPropertyNameEdit", "Intial Catalog"),
                   type("newPropertyValueEdit", "db"), click("addPropertyButton")};
    QTest::newRow("a long keyword and value are cut short, the dialog no wider")
        << "Provider=MSOLEDBSQL;Data Source=a;An Unusually Long Keyword Of Its Own=1;"
           "an unusually long keyword of its own=Tom & Jerry's wholly unbroken value"
        << "An Unusually L"
        << "keep:An Unusually Long Keyword Of Its Own"
        << "Provider=MSOLEDBSQL;Data Source=a;an unusually long keyword of its own=Tom & Jerry's "
           "wholly unbroken value"
        << "dataSourceEdit"
        << "a" << Script {};
}

void tst_AllTab::aProblemIsListedAndItsFixIsAnOrdinaryEdit()
{
    QFETCH(QString, text);
    QFETCH(QString, entry);
    QFETCH(QString, button);
    QFETCH(QString, fixed);
    QFETCH(QString, field);
    QFETCH(QString, shown);
    QFETCH(Script, reversal);
    const int narrowest = open(u"Provider=MSOLEDBSQL"_s).minimumSizeHint().width();
    open(text);
    DialogDriver driver(*m_dialog);
    auto *list = driver.find<QWidget>("problemList");
    QVERIFY(!list->isHidden());
    QCOMPARE(list->accessibleName(), u"Problems"_s);
    QStringList entries;
    for (const QLabel *label : list->findChildren<QLabel *>(u"problemText"_s))
        entries.append(label->text());
    QVERIFY2(entries.size() == 1 && entries.first().startsWith(entry),
             qPrintable(entries.join(u'\n')));
    // The fix shows whole at the narrowest the dialog goes.
    m_dialog->show();
    m_dialog->resize(m_dialog->minimumSizeHint().width(), m_dialog->height());
    QVERIFY(QTest::qWaitForWindowExposed(m_dialog.get()));
    auto *fix = driver.find<QPushButton>(button);
    QVERIFY(fix && fix->isVisible());
    QVERIFY(m_dialog->rect().contains(QRect(fix->mapTo(m_dialog.get(), QPoint()), fix->size())));
    QVERIFY(fix->width() >= fix->sizeHint().width());
    QCOMPARE(m_dialog->width(), narrowest);

    fix->setFocus();
    QVERIFY(driver.click(button));
    // The button went with the last entry; the focus goes back to the tabs, not past them.
    QCOMPARE(m_dialog->focusWidget(), driver.find<QWidget>("qt_tabwidget_tabbar"));
    QCOMPARE(m_dialog->connectionString(), fixed);
    QCOMPARE(driver.shownString(), fixed);
    QCOMPARE(driver.find<QLineEdit>(field)->text(), shown);
    QVERIFY(list->isHidden());
    for (const Step &step : std::as_const(reversal))
        QVERIFY2(play(driver, step), qPrintable(step.target));
    if (!reversal.isEmpty())
        QCOMPARE(m_dialog->connectionString(), text);
}

void tst_AllTab::theFilterKeepsTheRowsThatMatchAndTheRowInFocusIsExplained_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("filter");
    // The provider's rows left, in order, and then the others'; the first one left gets the focus.
    QTest::addColumn<QStringList>("shown");
    QTest::addColumn<QStringList>("othersShown");

    QTest::newRow("by name") << "Provider=MSOLEDBSQL19.1"
                             << "timeout"
                             << QStringList {u"Connect Timeout"_s, u"General Timeout"_s}
                             << QStringList {};
    QTest::newRow("by description, in another case")
        << "Provider=MSDAORA.1"
        << "WINDOW" << QStringList {u"Locale Identifier"_s, u"Window Handle"_s} << QStringList {};
    QTest::newRow("a property the provider does not declare")
        << "Provider=MSDAORA.1;Foo=1;Bar=2"
        << "foo" << QStringList {} << QStringList {u"Foo"_s};
}

void tst_AllTab::theFilterKeepsTheRowsThatMatchAndTheRowInFocusIsExplained()
{
    QFETCH(QString, text);
    QFETCH(QString, filter);
    QFETCH(QStringList, shown);
    QFETCH(QStringList, othersShown);
    QVERIFY(showAllTab(text));
    DialogDriver driver(*m_dialog);
    QVERIFY(driver.type("allPropertiesFilter", filter));

    QStringList left;
    for (const oledb::PropertyDefinition &property : m_dialog->draft().provider().properties) {
        if (!allTabEditor(property.name)->isHidden())
            left.append(property.name);
    }
    QCOMPARE(left, shown);
    auto *table = driver.find<QTableView>("otherPropertiesTable");
    QStringList othersLeft;
    for (int row = 0; row < table->model()->rowCount(); ++row) {
        if (!table->isRowHidden(row))
            othersLeft.append(table->model()->index(row, 0).data().toString());
    }
    QCOMPARE(othersLeft, othersShown);

    auto *description = driver.find<QLabel>("allPropertiesDescription");
    if (!shown.isEmpty()) {
        datalink::PropertyEditor *editor = allTabEditor(shown.first());
        const QString sentence = m_dialog->draft().definition(shown.first())->description;
        QWidget *field
            = editor->lineEdit() ? static_cast<QWidget *>(editor->lineEdit()) : editor->comboBox();
        field->setFocus();
        QTRY_COMPARE(description->text(), shown.first() + u": "_s + sentence);
        const auto labels = m_dialog->findChildren<QLabel *>();
        const auto label = std::find_if(labels.begin(), labels.end(), [&](QLabel *candidate) {
            return candidate->buddy() == field;
        });
        QVERIFY(label != labels.end());
        QVERIFY((*label)->toolTip().contains(sentence));
    } else {
        table->setFocus();
        table->setCurrentIndex(table->model()->index(0, 1));
        QTRY_VERIFY(description->text().startsWith(othersShown.first() + u": "_s));
    }
}

void tst_AllTab::aValueCutShortIsShownWholeOnHoverButASecretNever_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("field");
    // What the hover shows in full; empty: nothing, since nothing is cut or it is a secret.
    QTest::addColumn<QString>("whole");

    const QString path = u"/srv/exports/quarterly/2026/finance/consolidated/Orders-"_s
        + QString(60, u'x') + u".accdb"_s;
    const QString jet = u"Provider=Microsoft.Jet.OLEDB.4.0;Data Source="_s;
    QTest::newRow("a long path") << jet + path << "Data Source" << path;
    QTest::newRow("a short path") << jet + u"a.mdb"_s << "Data Source" << QString();
    QTest::newRow("a long password")
        << u"Provider=MSOLEDBSQL19.1;Persist Security Info=True;Password="_s + path << "Password"
        << QString();
    QTest::newRow("a long value the provider does not declare")
        << u"Provider=MSDAORA.1;Archive="_s + path << "otherPropertiesTable" << path;
    QTest::newRow("a long secret the provider does not declare")
        << u"Provider=MSDAORA.1;Client_Secret="_s + path << "otherPropertiesTable" << QString();
}

void tst_AllTab::aValueCutShortIsShownWholeOnHoverButASecretNever()
{
    QFETCH(QString, text);
    QFETCH(QString, field);
    QFETCH(QString, whole);
    QVERIFY(showAllTab(text));
    DialogDriver driver(*m_dialog);
    QWidget *target = nullptr;
    QPoint at;
    if (auto *table = driver.find<QTableView>(field)) {
        target = table->viewport();
        at = table->visualRect(table->model()->index(0, 1)).center();
    } else {
        target = allTabEditor(field)->lineEdit();
        at = target->rect().center();
    }
    QToolTip::hideText();
    QHelpEvent hover(QEvent::ToolTip, at, target->mapToGlobal(at));
    QApplication::sendEvent(target, &hover);
    const QString tip = QToolTip::isVisible() ? QToolTip::text() : QString();
    if (whole.isEmpty())
        QVERIFY2(!tip.contains(u"/srv/"), qPrintable(tip));
    else
        QCOMPARE(tip, whole);
    QToolTip::hideText();
}

// Each name typed that the catalogue knows changes the pages, the All tab's rows among them.
void tst_AllTab::typingAServicesDataProviderBringsThatProvidersPagesAndKeepsTheField()
{
    const QString text = u"Provider=MSDataShape.1;Data Source=srv"_s;
    QVERIFY(showAllTab(text));
    DialogDriver driver(*m_dialog);
    QVERIFY(!driver.find<QWidget>("authenticationCombo"));
    allTabEditor(u"Data Provider"_s)->lineEdit()->setFocus();
    for (const QChar key : u"SQLOLEDB.1"_s) {
        QWidget *typedIn = QApplication::focusWidget();
        QVERIFY(typedIn);
        QTest::keyClicks(typedIn, QString(key));
    }
    QCOMPARE(m_dialog->connectionString(), text + u";Data Provider=SQLOLEDB.1"_s);
    QCOMPARE(QApplication::focusWidget(), allTabEditor(u"Data Provider"_s)->lineEdit());
    QVERIFY(driver.find<QWidget>("authenticationCombo"));
    QVERIFY(allTabEditor(u"Use Procedure for Prepare"_s));
}

QTEST_MAIN(tst_AllTab)
#include "tst_alltab.moc"
