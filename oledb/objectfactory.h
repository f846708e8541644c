#pragma once

#include "platform/datasourcelocator.h"

#include <functional>

namespace oledb {

// Creates our connections, and Data Link objects through whatever the caller hands in: the
// dialog lives in a widget library that this one must not depend on.
class ObjectFactory final : public platform::IObjectFactory
{
public:
    using DataLinksMaker = std::function<std::shared_ptr<platform::IDataSourceLocator>()>;

    // Without a maker, creating a Data Link object fails as it does where none is registered.
    explicit ObjectFactory(DataLinksMaker makeDataLinks = {});

    std::shared_ptr<platform::IDataSourceLocator> createDataLinks() override;
    std::shared_ptr<platform::IConnection> createConnection() override;

private:
    DataLinksMaker m_makeDataLinks;
};

} // namespace oledb
