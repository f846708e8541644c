// Renders every tab of the dialog, filled in as a user would, for the README.
// Usage: datalink_screenshots <directory>
#include "dialogdriver.h"

#include "datalink/widgets/lookupfield.h"
#include "drivers/discovery/databaselister.h"
#include "drivers/discovery/serverbrowser.h"
#include "oledb/datalinkproperties.h"
#include "oledb/providercatalogue.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QDir>
#include <QPainter>
#include <QTest>

namespace {

// The instances a browser service on a small office network would report.
class SampleServers final : public drivers::IServerBrowser
{
public:
    drivers::LookupResult queryHost(const QString &, const std::atomic<bool> &) override
    {
        return drivers::LookupResult::found({});
    }
    drivers::LookupResult broadcast(const std::atomic<bool> &) override
    {
        return drivers::LookupResult::found(
            {QStringLiteral("ACCOUNTS\\SQLEXPRESS"), QStringLiteral("BUILD01,1433"),
             QStringLiteral("BUILD01\\TEST"), QStringLiteral("SALES-DB,1433")});
    }
    std::chrono::milliseconds timeLimit() const override { return std::chrono::seconds(1); }
};

// The dialog with the open list painted where it shows; the list is a window of its own.
QPixmap withOpenList(QWidget &dialog, datalink::LookupComboBox &combo)
{
    QPixmap shot = dialog.grab();
    QWidget *popup = combo.view()->window();
    QPainter painter(&shot);
    painter.drawPixmap(dialog.mapFromGlobal(popup->mapToGlobal(QPoint(0, 0))), popup->grab());
    return shot;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QString directory = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::currentPath();
    testing::FixedDataSources dataSources {{QStringLiteral("Sales")}};
    datalink::DataLinkDialog dialog(oledb::ProviderCatalogue::builtIn(),
                                    oledb::DataLinkProperties(oledb::ProviderCatalogue::builtIn()),
                                    dataSources);
    testing::DialogDriver driver(dialog);
    driver.chooseProvider("SQLOLEDB.1");
    driver.type("dataSourceEdit", "(local)");
    driver.pick("authenticationCombo", 1);
    driver.type("userNameEdit", "sa");
    driver.type("passwordEdit", "secret");
    driver.click("allowSavingPasswordCheck");
    driver.type("initialCatalogEdit", "pubs");
    dialog.show();
    if (!QTest::qWaitForWindowExposed(&dialog))
        return 1;

    const auto save = [&](datalink::DataLinkDialog &shown, datalink::DataLinkDialog::Tab tab,
                          const char *name) {
        shown.showTab(tab);
        QTest::qWait(50);
        return shown.grab().save(directory + QStringLiteral("/datalink-") + QLatin1String(name)
                                 + QStringLiteral(".png"));
    };
    if (!save(dialog, datalink::DataLinkDialog::ProviderTab, "provider")
        || !save(dialog, datalink::DataLinkDialog::ConnectionTab, "connection")
        || !save(dialog, datalink::DataLinkDialog::AllTab, "all"))
        return 1;

    // SQL Server has little to set there; an Access database shows the access permissions.
    datalink::DataLinkDialog access(oledb::ProviderCatalogue::builtIn(),
                                    oledb::DataLinkProperties(oledb::ProviderCatalogue::builtIn()),
                                    dataSources);
    testing::DialogDriver accessDriver(access);
    accessDriver.chooseProvider("Microsoft.ACE.OLEDB.16.0");
    accessDriver.type("dataSourceEdit", "/srv/data/northwind.accdb");
    accessDriver.tick("modeEditor", "Read");
    access.show();
    if (!QTest::qWaitForWindowExposed(&access)
        || !save(access, datalink::DataLinkDialog::AdvancedTab, "advanced"))
        return 1;
    access.hide();

    // The lists open. Databases come from a real server: the ODBC data source CORVANTA_DSN,
    // logged on as CORVANTA_USER with CORVANTA_PASSWORD (the test database's, for instance).
    const QString dsn = qEnvironmentVariable("CORVANTA_DSN");
    if (dsn.isEmpty())
        return 0;
    testing::FixedDataSources odbcSources {{dsn}};
    datalink::DataLinkDialog odbc(oledb::ProviderCatalogue::builtIn(),
                                  oledb::DataLinkProperties(oledb::ProviderCatalogue::builtIn()),
                                  odbcSources);
    testing::DialogDriver odbcDriver(odbc);
    odbcDriver.chooseProvider("MSDASQL.1");
    odbcDriver.pick("dsnCombo", 0);
    odbcDriver.type("userNameEdit", qEnvironmentVariable("CORVANTA_USER"));
    odbcDriver.type("passwordEdit", qEnvironmentVariable("CORVANTA_PASSWORD"));
    odbc.showTab(datalink::DataLinkDialog::ConnectionTab);
    odbc.show();
    auto *databases = odbcDriver.find<datalink::LookupComboBox>("initialCatalogCombo");
    if (!QTest::qWaitForWindowExposed(&odbc) || !databases)
        return 1;
    databases->showPopup();
    if (!QTest::qWaitFor([&] { return databases->view()->isVisible(); }, 20000))
        return 1;
    QTest::qWait(100);
    if (!withOpenList(odbc, *databases).save(directory + QStringLiteral("/datalink-databases.png")))
        return 1;
    databases->hidePopup();
    odbc.hide();

    dialog.setDiscovery({nullptr, std::make_shared<SampleServers>()});
    dialog.showTab(datalink::DataLinkDialog::ConnectionTab);
    dialog.show();
    auto *servers = driver.find<datalink::LookupComboBox>("dataSourceCombo");
    driver.click("refreshServersButton");
    if (!servers || !QTest::qWaitFor([&] { return servers->count() > 0; }, 5000))
        return 1;
    servers->showPopup();
    QTest::qWait(100);
    return withOpenList(dialog, *servers).save(directory + QStringLiteral("/datalink-servers.png"))
        ? 0
        : 1;
}
