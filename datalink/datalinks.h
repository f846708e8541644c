#pragma once

#include "datalink/datalinkdialog.h"
#include "platform/datasourcelocator.h"

#include <functional>
#include <memory>
#include <optional>

namespace oledb {
class ProviderCatalogue;
}

namespace drivers {
class IOdbcDataSources;
}

namespace datalink {

// The Data Link object: opens the Data Link Properties dialog, modal, over the window whose
// handle it was given.
class DataLinks final : public platform::IDataSourceLocator
{
public:
    // Runs the dialog and returns QDialog::Accepted or Rejected; tests script it instead.
    using Exec = std::function<int(DataLinkDialog &dialog)>;

    // Finds the widget behind a window handle; null when the handle names none.
    using OwnerLookup = std::function<QWidget *(quint32 hWnd)>;

    // Both the catalogue and the kept size outlive the object. Without data sources the names
    // come from the driver manager; without a lookup the dialog has no owner.
    DataLinks(const oledb::ProviderCatalogue &catalogue, KeptDialogSize &keptSize,
              std::shared_ptr<drivers::IOdbcDataSources> dataSources = {}, OwnerLookup owners = {});

    void setExec(Exec exec);
    void setConnectionTester(ConnectionTester tester);

    quint32 hWnd() override { return m_hWnd; }
    void SetHWnd(quint32 handle) override { m_hWnd = handle; }
    std::shared_ptr<platform::IDispatch> PromptNew() override;
    bool PromptEdit(std::shared_ptr<platform::IDispatch> &connection) override;
    std::optional<platform::Conversion> Convert(const QString &text) override;

    // What a new connection starts with, as the familiar dialog does.
    static QString defaultProvider();

private:
    // The string built on OK, nothing on Cancel. Unreadable text, when given, is explained at
    // the top of the dialog.
    std::optional<QString> prompt(const oledb::DataLinkProperties &properties,
                                  DataLinkDialog::Tab firstTab,
                                  const QString &unreadable = QString());

    const oledb::ProviderCatalogue &m_catalogue;
    KeptDialogSize &m_keptSize;
    std::shared_ptr<drivers::IOdbcDataSources> m_dataSources;
    Exec m_exec;
    OwnerLookup m_owners;
    ConnectionTester m_tester;
    quint32 m_hWnd = 0;
};

// The factory the program runs with: our connections, and Data Link objects that open this
// dialog, all at one kept size. The tester, when given, is what the Test Connection button runs.
std::unique_ptr<platform::IObjectFactory>
makeObjectFactory(const oledb::ProviderCatalogue &catalogue, KeptDialogSize &keptSize,
                  ConnectionTester tester = {},
                  std::shared_ptr<drivers::IOdbcDataSources> dataSources = {},
                  DataLinks::OwnerLookup owners = {});

} // namespace datalink
