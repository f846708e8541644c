#pragma once

#include "platform/automation.h"
#include "platform/conversion.h"

#include <QtGlobal>

#include <memory>
#include <optional>

namespace platform {

// The Data Link service: opens the Data Link Properties dialog.
class IDataSourceLocator
{
public:
    IDataSourceLocator() = default;
    IDataSourceLocator(const IDataSourceLocator &) = delete;
    IDataSourceLocator &operator=(const IDataSourceLocator &) = delete;
    virtual ~IDataSourceLocator() = default;

    // The window that owns, and is blocked by, every dialog this object opens afterwards.
    virtual quint32 hWnd() = 0;
    virtual void SetHWnd(quint32 handle) = 0;

    // Dialog for a new connection. On OK an object whose default value is the string built;
    // on Cancel no object (or an Error).
    virtual std::shared_ptr<IDispatch> PromptNew() = 0;

    // Dialog pre-filled from the connection in `connection`. On OK the connection reports the
    // edited string afterwards; the object in the argument may be replaced. True on OK.
    virtual bool PromptEdit(std::shared_ptr<IDispatch> &connection) = 0;

    // A string of another kind (ADO.NET, ODBC, JDBC) as the OLE DB string for the provider that
    // reaches the same server; none for an OLE DB string, or one of no kind the service knows.
    virtual std::optional<Conversion> Convert(const QString &text) = 0;
};

// Creates the platform's objects; a test replaces it to script success, failure or odd results.
class IObjectFactory
{
public:
    IObjectFactory() = default;
    IObjectFactory(const IObjectFactory &) = delete;
    IObjectFactory &operator=(const IObjectFactory &) = delete;
    virtual ~IObjectFactory() = default;

    // A new Data Link object; throws Error when none can be created.
    virtual std::shared_ptr<IDataSourceLocator> createDataLinks() = 0;
    // A new connection holding ""; throws Error when none can be created.
    virtual std::shared_ptr<IConnection> createConnection() = 0;
};

} // namespace platform
