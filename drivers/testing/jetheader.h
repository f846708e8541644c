#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>

namespace drivers {

// What the first page of an Access database (its database definition page) says of the file.
struct JetHeader
{
    // The byte at 0x14: 0x00 Jet 3 (Access 97), 0x01 Jet 4 (Access 2000 to 2003), 0x02 and
    // above the Access Database Engine (0x02 Access 2007, 0x03 Access 2010, and so on).
    enum class Format { Jet3, Jet4, Ace };

    Format format = Format::Jet4;
    int version = 0; // the raw byte at 0x14
    // The database key is set. A Jet file's pages are then RC4-encoded under a key the file
    // itself carries, which any reader can undo. An ACE file's are encrypted under a key made
    // from the password (Office document encryption: RC4 with CryptoAPI in Access 2007, AES
    // after it), whose parameters follow at 0x299; that takes the password to read, and ACE
    // always encrypts a database it gives a password.
    bool encoded = false;
    // The database key itself, zero when there is none.
    quint32 databaseKey = 0;
    // The password field at 0x42, unmasked: the database password as Jet 3 and Jet 4 keep it,
    // empty when there is none. The engine only compares it with the one given; the pages do
    // not depend on it. An encrypted ACE file's password is not to be found here.
    QString password;
};

// nullopt when `firstPage` is not the first page of an Access database: no engine signature,
// or too short to hold the masked part of the header.
std::optional<JetHeader> readJetHeader(QByteArrayView firstPage);

// A page after the first as the engine means it: a Jet file's encoding undone, RC4 under the
// database key with the page's number xored in. An ACE file's page as it stands.
QByteArray decodedPage(const JetHeader &header, quint32 number, QByteArrayView page);

} // namespace drivers
