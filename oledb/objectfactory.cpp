#include "oledb/objectfactory.h"

#include "oledb/connection.h"
#include "platform/error.h"

namespace oledb {

ObjectFactory::ObjectFactory(DataLinksMaker makeDataLinks)
    : m_makeDataLinks(std::move(makeDataLinks))
{ }

std::shared_ptr<platform::IDataSourceLocator> ObjectFactory::createDataLinks()
{
    std::shared_ptr<platform::IDataSourceLocator> dataLinks;
    if (m_makeDataLinks)
        dataLinks = m_makeDataLinks();
    if (!dataLinks)
        throw platform::Error(QStringLiteral("Class not registered."), 0x80040154);
    return dataLinks;
}

std::shared_ptr<platform::IConnection> ObjectFactory::createConnection()
{
    return std::make_shared<Connection>();
}

} // namespace oledb
