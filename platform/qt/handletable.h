#pragma once

#include <QIcon>
#include <QPointer>
#include <QtGlobal>

class QWidget;

namespace platform::qt {

// Process-wide table of the opaque 32-bit window and icon handles the rest of the system passes
// around. Nothing depends on X11 ids, so any Qt platform works.
class HandleTable final
{
public:
    // A new nonzero handle for the widget; the entry lapses when the widget is destroyed.
    static quint32 registerWindow(QWidget *window);
    // The widget behind a handle, or nullptr for an unknown or destroyed one.
    static QWidget *window(quint32 handle);

    static quint32 registerIcon(const QIcon &icon);
    // A null icon for an unknown handle.
    static QIcon icon(quint32 handle);
};

} // namespace platform::qt
