#include "platform/qt/handletable.h"

#include <QHash>
#include <QWidget>

namespace platform::qt {

namespace {

struct Tables
{
    quint32 next = 0x10;
    QHash<quint32, QPointer<QWidget>> windows;
    QHash<quint32, QIcon> icons;
};

Tables &tables()
{
    static Tables instance;
    return instance;
}

// Window and icon handles share one counter so a handle never names both.
quint32 nextHandle()
{
    return tables().next += 4;
}

} // namespace

quint32 HandleTable::registerWindow(QWidget *window)
{
    const quint32 handle = nextHandle();
    tables().windows.insert(handle, window);
    return handle;
}

QWidget *HandleTable::window(quint32 handle)
{
    return tables().windows.value(handle);
}

quint32 HandleTable::registerIcon(const QIcon &icon)
{
    const quint32 handle = nextHandle();
    tables().icons.insert(handle, icon);
    return handle;
}

QIcon HandleTable::icon(quint32 handle)
{
    return tables().icons.value(handle);
}

} // namespace platform::qt
