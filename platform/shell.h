#pragma once

#include <QtGlobal>

#include <array>
#include <cstdint>

namespace platform {

// The notification record in its first, 88-byte layout.
using NotifyIconBuffer = std::array<std::uint8_t, 88>;

inline constexpr quint32 NIM_ADD = 0;
inline constexpr quint32 NIM_DELETE = 2;

// The record's layout: six little-endian 32-bit fields, then the tooltip's 64 bytes.
inline constexpr quint32 NIF_MESSAGE = 1;
inline constexpr quint32 NIF_ICON = 2;
inline constexpr quint32 NIF_TIP = 4;
inline constexpr int NotifyIconSizeOffset = 0;
inline constexpr int NotifyIconHWndOffset = 4;
inline constexpr int NotifyIconUIDOffset = 8;
inline constexpr int NotifyIconFlagsOffset = 12;
inline constexpr int NotifyIconCallbackMessageOffset = 16;
inline constexpr int NotifyIconIconOffset = 20;
inline constexpr int NotifyIconTipOffset = 24;
inline constexpr int NotifyIconTipLength = 64;
static_assert(NotifyIconTipOffset + NotifyIconTipLength == std::tuple_size_v<NotifyIconBuffer>);

inline quint32 notifyIconField(const NotifyIconBuffer &data, int offset)
{
    quint32 value = 0;
    for (int i = 0; i < 4; ++i)
        value |= quint32(data[offset + i]) << (8 * i);
    return value;
}

// Mouse messages the notification area reports for its icon, through the record's callback
// message.
inline constexpr qint32 WM_MOUSEMOVE = 512;
inline constexpr qint32 WM_LBUTTONUP = 514;
inline constexpr qint32 WM_LBUTTONDBLCLK = 515;
inline constexpr qint32 WM_RBUTTONUP = 517;
inline constexpr qint32 WM_MBUTTONUP = 520;

// The desktop shell's notification area and foreground request.
class IShell
{
public:
    IShell() = default;
    IShell(const IShell &) = delete;
    IShell &operator=(const IShell &) = delete;
    virtual ~IShell() = default;

    // Adds or deletes the icon identified by (hWnd, uID) in the record; nonzero on success.
    // The record may be written back.
    virtual int Shell_NotifyIconA(quint32 message, NotifyIconBuffer &data) = 0;
    // Brings the window to the front; nonzero on success.
    virtual int SetForegroundWindow(quint32 hWnd) = 0;
    // Whether an icon added now would be shown anywhere. Asked each time: a tray host may come
    // and go while we run.
    virtual bool NotificationAreaAvailable() = 0;
};

} // namespace platform
