#include "oledb/datalinkdraft.h"
#include "oledb/providercatalogue.h"

#include <QSignalSpy>
#include <QTest>

using datalink::DataLinkDraft;

namespace {

DataLinkDraft draftOf(const QString &text)
{
    return DataLinkDraft(
        oledb::ProviderCatalogue::builtIn(),
        oledb::DataLinkProperties::fromString(oledb::ProviderCatalogue::builtIn(), text));
}

} // namespace

class tst_DataLinkDraft : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void aTypedPasswordGoesWherePersistSecurityInfoSays_data();
    void aTypedPasswordGoesWherePersistSecurityInfoSays();
    void choosingAProviderChangesOnlyWhatItMust_data();
    void choosingAProviderChangesOnlyWhatItMust();
    void choosingTheSameProviderIsNoEdit();
    void problemsNameOnlyKnownPropertiesWithBadValues();
    void shapeChangesOnlyWhenPropertiesComeOrGo();
};

void tst_DataLinkDraft::aTypedPasswordGoesWherePersistSecurityInfoSays_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("saves");
    // After typing the password n3w.
    QTest::addColumn<QString>("typed");
    QTest::newRow("says true") << "Provider=SQLOLEDB.1;Persist Security Info=true" << true
                               << "Provider=SQLOLEDB.1;Persist Security Info=true;Password=n3w";
    QTest::newRow("says false, but the text carries the password, which is now replaced")
        << "Provider=SQLOLEDB.1;PWD=p;Persist Security Info=False" << true
        << "Provider=SQLOLEDB.1;PWD=n3w;Persist Security Info=False";
    QTest::newRow("says false, carries none")
        << "Provider=SQLOLEDB.1;User ID=sa;Persist Security Info=False" << false
        << "Provider=SQLOLEDB.1;User ID=sa;Persist Security Info=False";
    QTest::newRow("says nothing, carries a password")
        << "Provider=SQLOLEDB.1;Password=p" << true << "Provider=SQLOLEDB.1;Password=n3w";
    QTest::newRow("says nothing, carries none")
        << "Provider=SQLOLEDB.1;User ID=sa" << false << "Provider=SQLOLEDB.1;User ID=sa";
    QTest::newRow("says nothing, carries a database password, no log-on one")
        << "Provider=Microsoft.Jet.OLEDB.4.0;Jet OLEDB:Database Password=p" << false
        << "Provider=Microsoft.Jet.OLEDB.4.0;Jet OLEDB:Database Password=p";
    QTest::newRow("says something unreadable") << "Persist Security Info=maybe;User ID=u" << false
                                               << "Persist Security Info=maybe;User ID=u";
}

void tst_DataLinkDraft::aTypedPasswordGoesWherePersistSecurityInfoSays()
{
    QFETCH(QString, text);
    QFETCH(bool, saves);
    QFETCH(QString, typed);
    DataLinkDraft draft = draftOf(text);
    QCOMPARE(draft.savesPasswords(), saves);
    draft.setValue(QStringLiteral("Password"), QStringLiteral("n3w"));
    QCOMPARE(draft.value(u"Password").value_or(QString()), QStringLiteral("n3w"));
    QCOMPARE(draft.connectionString(), typed);
}

void tst_DataLinkDraft::choosingAProviderChangesOnlyWhatItMust_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("progId");
    QTest::addColumn<QString>("expected");
    QTest::newRow("new connection gets the usual settings")
        << ""
        << "SQLOLEDB.1"
        << "Provider=SQLOLEDB.1;Integrated Security=SSPI;Persist Security Info=False";
    QTest::newRow("jet asks for Admin")
        << ""
        << "Microsoft.Jet.OLEDB.4.0"
        << "Provider=Microsoft.Jet.OLEDB.4.0;User ID=Admin;Persist Security Info=False";
    QTest::newRow("a string being edited changes its Provider pair only")
        << "provider=SQLOLEDB.1;User ID=sa;Initial Catalog=pubs;Packet Size=8192;Foo=1"
        << "MSDAORA.1"
        << "provider=MSDAORA.1;User ID=sa;Initial Catalog=pubs;Packet Size=8192;Foo=1";
    QTest::newRow("a saved password stays as it was") << "Provider=SQLOLEDB.1;User ID=sa;Password=p"
                                                      << "MSDAORA.1"
                                                      << "Provider=MSDAORA.1;User ID=sa;Password=p";
    QTest::newRow("a string without a provider gets one first")
        << " Data Source=x;"
        << "MSDAORA.1"
        << " Provider=MSDAORA.1;Data Source=x;";
}

void tst_DataLinkDraft::choosingAProviderChangesOnlyWhatItMust()
{
    QFETCH(QString, text);
    QFETCH(QString, progId);
    QFETCH(QString, expected);
    DataLinkDraft draft = draftOf(text);
    draft.chooseProvider(progId);
    QCOMPARE(draft.connectionString(), expected);
}

void tst_DataLinkDraft::choosingTheSameProviderIsNoEdit()
{
    const QString text = QStringLiteral("provider=sqloledb;data source=x");
    DataLinkDraft draft = draftOf(text);
    QSignalSpy changed(&draft, &DataLinkDraft::changed);
    draft.chooseProvider(QStringLiteral("SQLOLEDB.1"));
    QCOMPARE(draft.connectionString(), text);
    QCOMPARE(changed.size(), 0);
}

void tst_DataLinkDraft::problemsNameOnlyKnownPropertiesWithBadValues()
{
    DataLinkDraft draft = draftOf(
        QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Mode=Read|WriteRead;Connect Timeout=x;"
                       "Jet OLEDB:Engine Type=five;Persist Security Info=False"));
    const QList<datalink::PropertyProblem> problems = draft.problems();
    QCOMPARE(problems.size(), 2);
    QCOMPARE(problems.at(0).name, QStringLiteral("Mode"));
    QVERIFY(problems.at(0).explanation.contains(u"WriteRead"));
    QCOMPARE(problems.at(1).name, QStringLiteral("Jet OLEDB:Engine Type"));
    QCOMPARE(draft.problemWith(u"Connect Timeout"), QString());
    QCOMPARE(draft.problemWith(u"mode"), problems.at(0).explanation);
}

void tst_DataLinkDraft::shapeChangesOnlyWhenPropertiesComeOrGo()
{
    DataLinkDraft draft = draftOf(QStringLiteral("Provider=MSDAORA.1;User ID=a"));
    QSignalSpy shape(&draft, &DataLinkDraft::shapeChanged);
    draft.setValue(QStringLiteral("User ID"), QStringLiteral("b"));
    QCOMPARE(shape.size(), 0);
    draft.setValue(QStringLiteral("Data Source"), QStringLiteral("db"));
    draft.remove(QStringLiteral("User ID"));
    QCOMPARE(shape.size(), 2);
}

QTEST_GUILESS_MAIN(tst_DataLinkDraft)
#include "tst_datalinkdraft.moc"
