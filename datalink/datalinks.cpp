#include "datalink/datalinks.h"

#include "drivers/discovery/odbcdatasources.h"
#include "oledb/connection.h"
#include "oledb/connectionstring.h"
#include "oledb/conversion.h"
#include "oledb/datalinkdraft.h"
#include "oledb/datalinkproperties.h"
#include "oledb/formaterror.h"
#include "oledb/objectfactory.h"
#include "oledb/providercatalogue.h"
#include "platform/error.h"

namespace datalink {

DataLinks::DataLinks(const oledb::ProviderCatalogue &catalogue, KeptDialogSize &keptSize,
                     std::shared_ptr<drivers::IOdbcDataSources> dataSources, OwnerLookup owners)
    : m_catalogue(catalogue)
    , m_keptSize(keptSize)
    , m_dataSources(dataSources ? std::move(dataSources)
                                : std::make_shared<drivers::UnixOdbcDataSources>())
    , m_exec([](DataLinkDialog &dialog) { return dialog.exec(); })
    , m_owners(std::move(owners))
{ }

void DataLinks::setExec(Exec exec)
{
    m_exec = std::move(exec);
}

void DataLinks::setConnectionTester(ConnectionTester tester)
{
    m_tester = std::move(tester);
}

QString DataLinks::defaultProvider()
{
    return QStringLiteral("MSDASQL.1");
}

std::shared_ptr<platform::IDispatch> DataLinks::PromptNew()
{
    const std::optional<QString> built
        = prompt(oledb::DataLinkProperties(m_catalogue), DataLinkDialog::ProviderTab);
    if (!built)
        return {};
    auto connection = std::make_shared<oledb::Connection>();
    connection->SetConnectionString(*built);
    return connection;
}

std::optional<platform::Conversion> DataLinks::Convert(const QString &text)
{
    try {
        return oledb::DialectConverter::builtIn(m_catalogue).convert(text);
    } catch (const oledb::ConversionError &) {
    } catch (const oledb::FormatError &) {
        // Broken in its own syntax: edited as it stands, where the dialog says what is wrong.
    }
    return std::nullopt;
}

bool DataLinks::PromptEdit(std::shared_ptr<platform::IDispatch> &connection)
{
    const std::shared_ptr<platform::IConnection> target = platform::queryConnection(connection);
    if (!target)
        throw platform::Error(QStringLiteral("No connection is set"));
    // A connection that refused the text it was given opens with the pairs of it that could be
    // read and the reason the rest could not on top, so the user mends the fault here; OK then
    // replaces that text, Cancel keeps it.
    const auto *ours = dynamic_cast<const oledb::Connection *>(target.get());
    const QString refused = ours ? ours->refusedText() : QString();
    const QString current = target->ConnectionString();
    std::optional<QString> built;
    if (current.isEmpty() && !refused.isEmpty()) {
        const oledb::DataLinkProperties readable = oledb::DataLinkProperties::fromString(
            m_catalogue, oledb::ConnectionString::readablePart(refused));
        built = prompt(readable,
                       readable.providerProgId().isEmpty() ? DataLinkDialog::ProviderTab
                                                           : DataLinkDialog::ConnectionTab,
                       refused);
    } else {
        built = prompt(oledb::DataLinkProperties::fromString(m_catalogue, current),
                       DataLinkDialog::ConnectionTab);
    }
    if (!built)
        return false;
    target->SetConnectionString(*built);
    return true;
}

std::optional<QString> DataLinks::prompt(const oledb::DataLinkProperties &properties,
                                         DataLinkDialog::Tab firstTab, const QString &unreadable)
{
    // An unknown or stale handle leaves the dialog without an owner rather than failing: the
    // user still gets the dialog.
    QWidget *owner = m_owners ? m_owners(m_hWnd) : nullptr;
    DataLinkDialog dialog(m_catalogue, properties, *m_dataSources, owner, &m_keptSize);
    dialog.setConnectionTester(m_tester);
    if (!unreadable.isEmpty())
        dialog.explainUnreadable(unreadable);
    // Only a string with nothing in it starts with the usual provider: naming one in a string
    // that has pairs would be a change the user did not make.
    if (firstTab == DataLinkDialog::ProviderTab && properties.toString().isEmpty())
        dialog.draft().chooseProvider(defaultProvider());
    dialog.showTab(firstTab);
    if (m_exec(dialog) != QDialog::Accepted)
        return std::nullopt;
    return dialog.connectionString();
}

std::unique_ptr<platform::IObjectFactory>
makeObjectFactory(const oledb::ProviderCatalogue &catalogue, KeptDialogSize &keptSize,
                  ConnectionTester tester, std::shared_ptr<drivers::IOdbcDataSources> dataSources,
                  DataLinks::OwnerLookup owners)
{
    return std::make_unique<oledb::ObjectFactory>(
        [&catalogue, &keptSize, tester, dataSources, owners] {
            auto dataLinks = std::make_shared<DataLinks>(catalogue, keptSize, dataSources, owners);
            dataLinks->setConnectionTester(tester);
            return dataLinks;
        });
}

} // namespace datalink
