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
    putField(buffer, 0, record.cbSize);
    putField(buffer, 4, record.hWnd);
    putField(buffer, 8, record.uID);
    putField(buffer, 12, record.uFlags);
    putField(buffer, 16, record.uCallbackMessage);
    putField(buffer, 20, record.hIcon);
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
    record.cbSize = platform::notifyIconField(buffer, 0);
    record.hWnd = platform::notifyIconField(buffer, 4);
    record.uID = platform::notifyIconField(buffer, 8);
    record.uFlags = platform::notifyIconField(buffer, 12);
    record.uCallbackMessage = platform::notifyIconField(buffer, 16);
    record.hIcon = platform::notifyIconField(buffer, 20);
    record.szTip
        = QString::fromLatin1(reinterpret_cast<const char *>(buffer.data() + TipOffset), TipLength);
    return record;
}

} // namespace tray
