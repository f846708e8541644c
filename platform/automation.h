#pragma once

#include <QString>

#include <memory>

namespace platform {

// A generic automation object: all the Create command knows of what a prompt hands back.
// Objects are shared by counted references (std::shared_ptr); dropping the last one releases it.
class IDispatch
{
public:
    IDispatch() = default;
    IDispatch(const IDispatch &) = delete;
    IDispatch &operator=(const IDispatch &) = delete;
    virtual ~IDispatch() = default;

    // The object's default value converted to text; throws Error when it has none.
    virtual QString defaultValue() = 0;
};

// The connection object. A new one holds the empty string.
class IConnection : public IDispatch
{
public:
    // The string as the connection holds it.
    virtual QString ConnectionString() = 0;
    // Takes the text as the connection string; throws Error (nothing stored) when it refuses it.
    virtual void SetConnectionString(const QString &value) = 0;
};

// Reads the default value of the object behind a reference; an empty reference fails.
QString defaultValueText(const std::shared_ptr<IDispatch> &object);

// Asks a generic object for its connection interface: an empty reference gives an empty one,
// an object that is not a connection fails.
std::shared_ptr<IConnection> queryConnection(const std::shared_ptr<IDispatch> &object);

} // namespace platform
