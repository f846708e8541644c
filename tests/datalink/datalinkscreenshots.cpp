// Renders every tab of the dialog, filled in as a user would, for the README.
// Usage: datalink_screenshots <directory>
#include "dialogdriver.h"

#include "platform/oledb/datalinkproperties.h"
#include "platform/oledb/providercatalogue.h"

#include <QApplication>
#include <QDir>
#include <QTest>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QString directory = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::currentPath();
    testing::FixedDataSources dataSources {{QStringLiteral("Sales")}};
    datalink::DataLinkDialog dialog(oledb::ProviderCatalogue::builtIn(),
                                    oledb::DataLinkProperties(), dataSources);
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

    const struct
    {
        datalink::DataLinkDialog::Tab tab;
        const char *name;
    } shots[] = {{datalink::DataLinkDialog::ProviderTab, "provider"},
                 {datalink::DataLinkDialog::ConnectionTab, "connection"},
                 {datalink::DataLinkDialog::AdvancedTab, "advanced"},
                 {datalink::DataLinkDialog::AllTab, "all"}};
    for (const auto &shot : shots) {
        dialog.showTab(shot.tab);
        QTest::qWait(50);
        const QString file = directory + QStringLiteral("/datalink-") + QLatin1String(shot.name)
            + QStringLiteral(".png");
        if (!dialog.grab().save(file))
            return 1;
    }
    return 0;
}
