// Renders every tab of the dialog, filled in as a user would, for the README.
// Usage: datalink_screenshots <directory>
#include "dialogdriver.h"

#include "oledb/datalinkproperties.h"
#include "oledb/providercatalogue.h"

#include <QApplication>
#include <QDir>
#include <QTest>

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
    driver.click("specificUserRadio");
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
    return 0;
}
