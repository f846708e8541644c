#include "app/commandline.h"
#include "app/frmmain.h"
#include "datalink/datalinks.h"
#include "datalink/testconnectionhook.h"
#include "drivers/detachedwork.h"
#include "drivers/discovery/odbcdatasources.h"
#include "oledb/providercatalogue.h"
#include "platform/qt/fontwarmup.h"
#include "platform/qt/handletable.h"
#include "platform/qt/qtshell.h"
#include "platform/qt/qttoolkit.h"

#include <QApplication>

namespace {

// On a Wayland session the window would never learn that it was minimised (xdg-shell has no
// such state), so it could not move into the notification area. Through XWayland it can; a
// platform the user chose stands, and without XWayland the session's own is taken.
void preferXWaylandOnWaylandSessions()
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && !qEnvironmentVariableIsEmpty("DISPLAY")
        && !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "xcb;wayland");
}

int run(int argc, char *argv[])
{
    if (const auto exitCode = app::handleCommandLine(argc, argv))
        return *exitCode;
    preferXWaylandOnWaylandSessions();
    platform::qt::FontWarmUp fonts;
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Corvanta"));
    QApplication::setApplicationVersion(QStringLiteral(CORVANTA_VERSION_STRING));
    QApplication::setOrganizationName(QStringLiteral("Corvanta"));
    QApplication::setDesktopFileName(QStringLiteral("corvanta"));
    // The window decides when the program ends (its unload); a hidden window in the
    // notification area must not end it.
    QApplication::setQuitOnLastWindowClosed(false);

    fonts.ready();
    platform::qt::QtShell shell;
    platform::qt::QtToolkit toolkit(shell);
    // The catalogue is loaded once and lasts until the process ends: a Test Connection or a
    // search still blocked in a driver after the window has gone masks its message with it.
    const oledb::ProviderCatalogue &catalogue = oledb::ProviderCatalogue::builtIn();
    datalink::KeptDialogSize dialogSize;
    const auto objects = datalink::makeObjectFactory(
        catalogue, dialogSize, datalink::makeTestConnectionHook(catalogue),
        std::make_shared<drivers::UnixOdbcDataSources>(), &platform::qt::HandleTable::window);
    frmMain window(toolkit, *objects);
    window.Load();
    return QApplication::exec();
}

} // namespace

int main(int argc, char *argv[])
{
    // Everything of run() is gone by now; a Test Connection cancelled a moment ago may not be.
    drivers::exitProcess(run(argc, argv));
}
