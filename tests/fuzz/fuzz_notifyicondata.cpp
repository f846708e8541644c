// The notification record codec. Every 88-byte buffer survives decoding and encoding unchanged;
// a record survives encoding and decoding but for the tooltip's characters outside Latin-1 ('?')
// and its length (cut or padded with NUL to the field).
#include "fuzzcheck.h"
#include "tray/notifyicondata.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstring>

using tray::NOTIFYICONDATA;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    platform::NotifyIconBuffer buffer {};
    std::copy_n(data, std::min(size, buffer.size()), buffer.begin());
    FUZZ_CHECK(tray::toBuffer(tray::fromBuffer(buffer)) == buffer);

    FuzzedDataProvider input(data, size);
    NOTIFYICONDATA record;
    for (quint32 *field : {&record.cbSize, &record.hWnd, &record.uID, &record.uFlags,
                           &record.uCallbackMessage, &record.hIcon})
        *field = input.ConsumeIntegral<quint32>();
    const std::vector<uint8_t> bytes = input.ConsumeRemainingBytes<uint8_t>();
    record.szTip = QString(qsizetype(bytes.size() / 2), QChar(0));
    if (!bytes.empty())
        std::memcpy(record.szTip.data(), bytes.data(), bytes.size() / 2 * 2);

    NOTIFYICONDATA expected = record;
    expected.szTip = QString(tray::TipLength, QChar(0));
    for (qsizetype i = 0; i < std::min<qsizetype>(record.szTip.size(), tray::TipLength); ++i) {
        const QChar c = record.szTip.at(i);
        expected.szTip[i] = c.unicode() <= 0xff ? c : QLatin1Char('?');
    }
    FUZZ_CHECK(tray::fromBuffer(tray::toBuffer(record)) == expected, record.szTip);
    FUZZ_CHECK(tray::fixedLengthTip(record.szTip).size() == tray::TipLength);
    return 0;
}
