#include "platform/automation.h"

#include "platform/error.h"

namespace platform {

QString defaultValueText(const std::shared_ptr<IDispatch> &object)
{
    if (!object)
        throw Error(QStringLiteral("No object is set"));
    return object->defaultValue();
}

std::shared_ptr<IConnection> queryConnection(const std::shared_ptr<IDispatch> &object)
{
    if (!object)
        return {};
    auto connection = std::dynamic_pointer_cast<IConnection>(object);
    if (!connection)
        throw Error(QStringLiteral("No such interface supported."), 0x80004002);
    return connection;
}

} // namespace platform
