#include "platform/qt/ownedwindows.h"

#include <QApplication>
#include <QEvent>
#include <QWidget>
#include <QWindow>

namespace platform::qt {

OwnerModality::OwnerModality()
{
    QCoreApplication::instance()->installEventFilter(this);
}

OwnerModality::~OwnerModality()
{
    if (QCoreApplication *application = QCoreApplication::instance())
        application->removeEventFilter(this);
}

bool OwnerModality::eventFilter(QObject *watched, QEvent *event)
{
    // The show event comes before the native window is shown, which is when Qt starts blocking
    // other windows; QDialog::exec asks for application modality only when none was chosen.
    if (event->type() == QEvent::Show && watched->isWidgetType()) {
        auto *widget = static_cast<QWidget *>(watched);
        if (widget->isWindow() && widget->parentWidget()
            && widget->windowModality() == Qt::ApplicationModal) {
            widget->setWindowModality(Qt::WindowModal);
            // Modal already, the widget does not pass the change on to its native window.
            if (QWindow *window = widget->windowHandle())
                window->setModality(Qt::WindowModal);
        }
    }
    return QObject::eventFilter(watched, event);
}

QList<QWidget *> modalWindowsOwnedBy(const QWidget *owner)
{
    QList<QWidget *> chain;
    // Qt keeps one stack of modal windows; the top one's owners lead down to the window that
    // opened the first of them.
    for (QWidget *modal = QApplication::activeModalWidget(); modal;) {
        if (modal == owner)
            return chain;
        chain.prepend(modal);
        QWidget *parent = modal->parentWidget();
        modal = parent ? parent->window() : nullptr;
    }
    return {};
}

QWidget *bringBackModalWindows(const QWidget *owner)
{
    const QList<QWidget *> modals = modalWindowsOwnedBy(owner);
    for (QWidget *modal : modals) {
        if (modal->windowState() & Qt::WindowMinimized)
            modal->setWindowState(modal->windowState() & ~Qt::WindowMinimized);
        modal->show();
        modal->raise();
    }
    if (modals.isEmpty())
        return nullptr;
    modals.constLast()->activateWindow();
    return modals.constLast();
}

} // namespace platform::qt
