#include "tray/csystray.h"

#include "platform/application.h"
#include "platform/error.h"
#include "platform/resumeonerror.h"
#include "platform/shell.h"
#include "platform/window.h"
#include "tray/traymessagedecoder.h"

namespace tray {

namespace {

[[noreturn]] void throwNotSet(const char *what)
{
    throw platform::Error(
        QStringLiteral("No %1 is set for the notification-area icon").arg(QLatin1String(what)));
}

} // namespace

CSysTray::CSysTray(platform::IShell &shell, platform::IApplication &application)
    : m_shell(shell)
    , m_application(application)
{ }

CSysTray::~CSysTray()
{
    // A destructor has no caller to hand the failure to; the icon may then stay behind.
    platform::resumeOnError([this] { RemoveIconFromTray(); });
}

void CSysTray::AddIconToTray()
{
    // Field by field, so a failing read leaves what came before it in the record.
    TrayIconData.cbSize = sizeof(platform::NotifyIconBuffer);
    platform::IWindow &window = boundWindow();
    const quint32 handle = window.hWnd();
    TrayIconData.uID = 1;
    TrayIconData.hWnd = handle;
    TrayIconData.uFlags = platform::NIF_MESSAGE | platform::NIF_ICON | platform::NIF_TIP;
    TrayIconData.uCallbackMessage = WM_MOUSEMOVE;
    TrayIconData.hIcon = window.Icon();
    TrayIconData.szTip = fixedLengthTip(m_application.Title() + QChar(0));
    notify(platform::NIM_ADD);
}

void CSysTray::RemoveIconFromTray()
{
    notify(platform::NIM_DELETE);
}

void CSysTray::ShowTrayMenu(short Button, short Shift, float X, float Y)
{
    Q_UNUSED(Button);
    Q_UNUSED(Shift);
    Q_UNUSED(Y);

    platform::IWindow &window = boundWindow();
    const qint32 message = window.ScaleMode() == platform::ScaleMode::Pixels
        ? TrayMessageDecoder::fromPixels(X)
        : TrayMessageDecoder::fromScaleUnits(X, m_application.TwipsPerPixelX());

    switch (TrayMessageDecoder::actionFor(message)) {
    case TrayAction::RestoreWindow:
        // Leaves the icon alone: the resize that the state change raises takes it away.
        window.SetWindowState(platform::WindowState::Normal);
        m_shell.SetForegroundWindow(window.hWnd());
        window.Show();
        break;
    case TrayAction::PopUpMenu:
        m_shell.SetForegroundWindow(window.hWnd());
        if (!TrayMenu)
            throwNotSet("menu");
        window.PopupMenu(*TrayMenu);
        break;
    case TrayAction::None:
        break;
    }
}

void CSysTray::SetMainTrayForm(std::shared_ptr<platform::IWindow> frmMain)
{
    MainTrayForm = std::move(frmMain);
}

void CSysTray::SetTrayMenu(std::shared_ptr<platform::IMenu> mnuTray)
{
    TrayMenu = std::move(mnuTray);
}

void CSysTray::notify(quint32 message)
{
    platform::NotifyIconBuffer buffer = toBuffer(TrayIconData);
    m_shell.Shell_NotifyIconA(message, buffer);
    TrayIconData = fromBuffer(buffer);
}

platform::IWindow &CSysTray::boundWindow() const
{
    if (!MainTrayForm)
        throwNotSet("window");
    return *MainTrayForm;
}

} // namespace tray
