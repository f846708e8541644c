#include "drivers/testing/jetheader.h"

#include <QtEndian>

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <span>

namespace drivers {

namespace {

// Offsets on the database definition page.
constexpr qsizetype SignatureOffset = 0x04;
constexpr qsizetype VersionOffset = 0x14;
// From here the header is RC4-encrypted under a key every engine knows: a mask, not a secret.
constexpr qsizetype MaskedOffset = 0x18;
constexpr qsizetype DatabaseKeyOffset = 0x3e;
constexpr qsizetype PasswordOffset = 0x42;
// A double, days since 30 December 1899 as dates are kept throughout the file.
constexpr qsizetype CreationDateOffset = 0x72;

constexpr std::array<std::uint8_t, 4> HeaderKey = {0xc7, 0xda, 0x39, 0x6b};

void rc4(std::span<const std::uint8_t> key, std::span<std::uint8_t> data)
{
    std::array<std::uint8_t, 256> state;
    for (std::size_t i = 0; i < state.size(); ++i)
        state[i] = static_cast<std::uint8_t>(i);
    std::uint8_t j = 0;
    for (std::size_t i = 0; i < state.size(); ++i) {
        j = static_cast<std::uint8_t>(j + state[i] + key[i % key.size()]);
        std::swap(state[i], state[j]);
    }
    std::uint8_t i = 0;
    j = 0;
    for (std::uint8_t &byte : data) {
        i = static_cast<std::uint8_t>(i + 1);
        j = static_cast<std::uint8_t>(j + state[i]);
        std::swap(state[i], state[j]);
        byte ^= state[static_cast<std::uint8_t>(state[i] + state[j])];
    }
}

// Jet 4 and later mask the password once more with the creation date's whole days, a 32-bit
// integer repeated over the field. A file without a password therefore holds that mask there,
// not zeros. Any double is accepted: a damaged header must not make the conversion undefined.
std::array<std::uint8_t, 4> dateMask(double date)
{
    const double days = std::isnan(date) ? 0.0 : std::clamp(date, -2147483648.0, 2147483647.0);
    std::array<std::uint8_t, 4> mask;
    qToLittleEndian(static_cast<std::int32_t>(days), mask.data());
    return mask;
}

} // namespace

std::optional<JetHeader> readJetHeader(QByteArrayView firstPage)
{
    // Jet 3 masks 126 bytes, the later engines 128.
    if (firstPage.size() < MaskedOffset + 126 || firstPage[0] != '\0')
        return std::nullopt;
    const QByteArrayView engine = firstPage.sliced(SignatureOffset, 15);
    if (engine != "Standard Jet DB" && engine != "Standard ACE DB")
        return std::nullopt;

    JetHeader header;
    header.version = static_cast<std::uint8_t>(firstPage[VersionOffset]);
    header.format = header.version == 0 ? JetHeader::Format::Jet3
        : header.version == 1           ? JetHeader::Format::Jet4
                                        : JetHeader::Format::Ace;
    const bool jet3 = header.format == JetHeader::Format::Jet3;
    const qsizetype maskedSize = jet3 ? 126 : 128;
    if (firstPage.size() < MaskedOffset + maskedSize)
        return std::nullopt;

    std::array<std::uint8_t, 128> plain {};
    const auto masked = std::span(plain).first(static_cast<std::size_t>(maskedSize));
    std::copy_n(firstPage.sliced(MaskedOffset).data(), maskedSize, masked.begin());
    rc4(HeaderKey, masked);
    const auto at = [&](qsizetype offset) {
        return plain.data() + (offset - MaskedOffset);
    };

    header.databaseKey = qFromLittleEndian<quint32>(at(DatabaseKeyOffset));
    header.encoded = header.databaseKey != 0;

    if (jet3) {
        // Twenty bytes in the writing machine's code page, read as Latin-1: Western files
        // agree but for 0x80 to 0x9f.
        const auto *password = at(PasswordOffset);
        const auto *end = std::find(password, password + 20, '\0');
        header.password = QString::fromLatin1(reinterpret_cast<const char *>(password),
                                              static_cast<qsizetype>(end - password));
        return header;
    }
    // Twenty UTF-16 units.
    const auto mask
        = dateMask(std::bit_cast<double>(qFromLittleEndian<quint64>(at(CreationDateOffset))));
    std::array<char16_t, 20> password {};
    std::uint8_t *bytes = at(PasswordOffset);
    for (std::size_t i = 0; i < password.size() * 2; ++i)
        bytes[i] ^= mask[i % mask.size()];
    for (std::size_t i = 0; i < password.size(); ++i)
        password[i] = static_cast<char16_t>(bytes[2 * i] | bytes[2 * i + 1] << 8);
    const auto end = std::find(password.begin(), password.end(), u'\0');
    header.password = QString::fromUtf16(password.data(), end - password.begin());
    return header;
}

QByteArray decodedPage(const JetHeader &header, quint32 number, QByteArrayView page)
{
    QByteArray decoded = page.toByteArray();
    if (number == 0 || !header.encoded || header.format == JetHeader::Format::Ace)
        return decoded;
    std::array<std::uint8_t, 4> key;
    qToLittleEndian(header.databaseKey ^ number, key.data());
    rc4(key,
        std::span(reinterpret_cast<std::uint8_t *>(decoded.data()),
                  static_cast<std::size_t>(decoded.size())));
    return decoded;
}

} // namespace drivers
