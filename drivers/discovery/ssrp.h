#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

#include <optional>

// The SQL Server Browser protocol (SSRP): a one-byte request over UDP and a reply listing the
// instances a machine runs with the ports they listen on.
namespace drivers::ssrp {

constexpr quint16 BrowserPort = 1434;

struct Instance
{
    QString serverName;
    // Empty or MSSQLSERVER for a default instance.
    QString instanceName;
    QString version;
    bool clustered = false;
    // 0 when the instance does not take TCP connections or the reply gave no usable port.
    int tcpPort = 0;

    friend bool operator==(const Instance &, const Instance &) = default;
};

// Asks one machine for all its instances.
QByteArray directRequest();
// Asks every machine that hears it for all its instances.
QByteArray broadcastRequest();

// The instances in a reply to either request; nullopt when the datagram is not a reply or its
// declared length is not what arrived. A record that lacks a server name, carries control
// characters in a name or exceeds the protocol's limits is left out; the others stay.
std::optional<QList<Instance>> parseReply(QByteArrayView datagram);

// What a user types to reach the instance: `host\instance`, or `host,port` for a default
// instance. An empty host stands for the server's own name.
QString serverNameFor(const Instance &instance, const QString &host = {});

// The machine a server name refers to (`tcp:host,port` or `host\instance`), with the names for
// this machine read as localhost; empty when none was typed.
QString hostOf(const QString &serverName);

} // namespace drivers::ssrp
