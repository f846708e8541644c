#pragma once

#include "platform/shell.h"

#include <QString>
#include <QtGlobal>

namespace tray {

inline constexpr int TipLength = platform::NotifyIconTipLength;

// The notification record as the controller keeps it between calls: six integers and a tooltip
// of exactly TipLength characters. A fresh record is all zero, the tooltip all NUL.
struct NOTIFYICONDATA
{
    quint32 cbSize = 0;
    quint32 hWnd = 0;
    quint32 uID = 0;
    quint32 uFlags = 0;
    quint32 uCallbackMessage = 0;
    quint32 hIcon = 0;
    QString szTip = QString(TipLength, QChar(0));

    friend bool operator==(const NOTIFYICONDATA &, const NOTIFYICONDATA &) = default;
};

// Assignment to a fixed-length text field: a shorter text is left-aligned and padded with
// spaces, a longer one is cut, so the result always has exactly TipLength characters.
QString fixedLengthTip(const QString &text);

// The 88-byte form the shell takes: little-endian integers, then the tooltip in Latin-1 with
// every character outside it (each half of a surrogate pair too) sent as '?'.
platform::NotifyIconBuffer toBuffer(const NOTIFYICONDATA &record);
NOTIFYICONDATA fromBuffer(const platform::NotifyIconBuffer &buffer);

} // namespace tray
