#include "tray/notifyicondata.h"

#include <algorithm>

namespace tray {

namespace {

constexpr int TipOffset = platform::NotifyIconTipOffset;

void putField(platform::NotifyIconBuffer &buffer, int offset, quint32 value)
{
    for (int i = 0; i < 4; ++i)
        buffer[offset + i] = std::uint8_t(value >> (8 * i));
}

} // namespace

QString fixedLengthTip(const QString &text)
{
    return text.left(TipLength).leftJustified(TipLength, QLatin1Char(' '));
}

platform::NotifyIconBuffer toBuffer(const NOTIFYICONDATA &record)
{
    platform::NotifyIconBuffer buffer {};
    putField(buffer, platform::NotifyIconSizeOffset, record.cbSize);
    putField(buffer, platform::NotifyIconHWndOffset, record.hWnd);
    putField(buffer, platform::NotifyIconUIDOffset, record.uID);
    putField(buffer, platform::NotifyIconFlagsOffset, record.uFlags);
    putField(buffer, platform::NotifyIconCallbackMessageOffset, record.uCallbackMessage);
    putField(buffer, platform::NotifyIconIconOffset, record.hIcon);
    const auto length = std::min<qsizetype>(record.szTip.size(), TipLength);
    for (qsizetype i = 0; i < length; ++i) {
        const char16_t unit = record.szTip.at(i).unicode();
        buffer[TipOffset + i] = unit <= 0xff ? std::uint8_t(unit) : std::uint8_t('?');
    }
    return buffer;
}

NOTIFYICONDATA fromBuffer(const platform::NotifyIconBuffer &buffer)
{
    NOTIFYICONDATA record;
    record.cbSize = platform::notifyIconField(buffer, platform::NotifyIconSizeOffset);
    record.hWnd = platform::notifyIconField(buffer, platform::NotifyIconHWndOffset);
    record.uID = platform::notifyIconField(buffer, platform::NotifyIconUIDOffset);
    record.uFlags = platform::notifyIconField(buffer, platform::NotifyIconFlagsOffset);
    record.uCallbackMessage
        = platform::notifyIconField(buffer, platform::NotifyIconCallbackMessageOffset);
    record.hIcon = platform::notifyIconField(buffer, platform::NotifyIconIconOffset);
    record.szTip
        = QString::fromLatin1(reinterpret_cast<const char *>(buffer.data() + TipOffset), TipLength);
    return record;
}

} // namespace tray
