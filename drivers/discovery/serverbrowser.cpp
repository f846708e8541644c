#include "drivers/discovery/serverbrowser.h"

#include "drivers/sortnames.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace drivers {

namespace {

using Clock = std::chrono::steady_clock;
// How often a wait looks at the cancel flag.
constexpr std::chrono::milliseconds Slice {100};

class Socket
{
public:
    explicit Socket(int family)
        : m_fd(::socket(family, SOCK_DGRAM | SOCK_CLOEXEC, 0))
    { }
    Socket(const Socket &) = delete;
    Socket &operator=(const Socket &) = delete;
    ~Socket()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    int fd() const { return m_fd; }

private:
    int m_fd;
};

bool sameAddress(const sockaddr_storage &a, const sockaddr *b)
{
    if (a.ss_family != b->sa_family)
        return false;
    if (a.ss_family == AF_INET) {
        return reinterpret_cast<const sockaddr_in &>(a).sin_addr.s_addr
            == reinterpret_cast<const sockaddr_in *>(b)->sin_addr.s_addr;
    }
    if (a.ss_family == AF_INET6) {
        return std::memcmp(&reinterpret_cast<const sockaddr_in6 &>(a).sin6_addr,
                           &reinterpret_cast<const sockaddr_in6 *>(b)->sin6_addr, sizeof(in6_addr))
            == 0;
    }
    return false;
}

// Waits on the sockets until the deadline, handing every datagram to `take`, which says
// whether to stop.
template<typename Take>
void receive(const QList<int> &sockets, Clock::time_point deadline,
             const std::atomic<bool> &cancelled, Take take)
{
    QList<pollfd> polled;
    for (int fd : sockets)
        polled.append({fd, POLLIN, 0});
    while (!cancelled) {
        const auto left
            = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0)
            return;
        const int ready
            = ::poll(polled.data(), nfds_t(polled.size()), int(std::min(left, Slice).count()));
        if (ready < 0 && errno != EINTR)
            return;
        for (auto &entry : polled) {
            if (!(entry.revents & POLLIN))
                continue;
            // The largest reply the protocol allows, with its header.
            QByteArray datagram(65535 + 3, Qt::Uninitialized);
            sockaddr_storage from {};
            socklen_t fromLength = sizeof from;
            const ssize_t got = ::recvfrom(entry.fd, datagram.data(), size_t(datagram.size()), 0,
                                           reinterpret_cast<sockaddr *>(&from), &fromLength);
            if (got < 0)
                continue;
            datagram.truncate(got);
            if (take(datagram, from))
                return;
        }
    }
}

QString seconds(std::chrono::milliseconds wait)
{
    return QString::number(double(wait.count()) / 1000.0);
}

} // namespace

SsrpBrowser::SsrpBrowser(quint16 port, std::chrono::milliseconds wait)
    : m_port(port)
    , m_wait(wait)
{ }

LookupResult SsrpBrowser::queryHost(const QString &host, const std::atomic<bool> &cancelled)
{
    addrinfo hints {};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_DGRAM;
    addrinfo *found = nullptr;
    const int rc = ::getaddrinfo(host.toUtf8().constData(), QByteArray::number(m_port).constData(),
                                 &hints, &found);
    if (rc != 0) {
        return LookupResult::failed(QStringLiteral("The server %1 could not be found: %2.")
                                        .arg(host, QString::fromLocal8Bit(::gai_strerror(rc))));
    }
    const auto deadline = Clock::now() + m_wait;
    const QByteArray request = ssrp::directRequest();
    std::vector<std::unique_ptr<Socket>> sockets;
    QList<int> fds;
    QList<sockaddr_storage> sentTo;
    for (const addrinfo *address = found; address; address = address->ai_next) {
        auto socket = std::make_unique<Socket>(address->ai_family);
        if (socket->fd() < 0
            || ::sendto(socket->fd(), request.constData(), size_t(request.size()), 0,
                        address->ai_addr, address->ai_addrlen)
                < 0)
            continue;
        sockaddr_storage target {};
        std::memcpy(&target, address->ai_addr,
                    std::min<size_t>(address->ai_addrlen, sizeof target));
        sentTo.append(target);
        fds.append(socket->fd());
        sockets.push_back(std::move(socket));
    }
    ::freeaddrinfo(found);
    if (fds.isEmpty()) {
        return LookupResult::failed(QStringLiteral("The query could not be sent to %1: %2.")
                                        .arg(host, QString::fromLocal8Bit(std::strerror(errno))));
    }

    std::optional<LookupResult> result;
    receive(
        fds, deadline, cancelled, [&](const QByteArray &datagram, const sockaddr_storage &from) {
            // Anyone can send to our port; only the machine asked is listened to.
            if (std::none_of(sentTo.begin(), sentTo.end(), [&](const sockaddr_storage &target) {
                    return sameAddress(from, reinterpret_cast<const sockaddr *>(&target));
                }))
                return false;
            const auto instances = ssrp::parseReply(datagram);
            if (!instances)
                return false;
            QStringList names;
            for (const auto &instance : *instances)
                names.append(ssrp::serverNameFor(instance, host));
            sortNames(names, DigitOrder::ByValue);
            result = names.isEmpty()
                ? LookupResult::failed(QStringLiteral("%1 runs no SQL Server instance.").arg(host))
                : LookupResult::found(names);
            return true;
        });
    if (result)
        return *result;
    return LookupResult::failed(
        QStringLiteral("No SQL Server Browser answered at %1 within %2 seconds.")
            .arg(host, seconds(m_wait)));
}

LookupResult SsrpBrowser::broadcast(const std::atomic<bool> &cancelled)
{
    Socket socket(AF_INET);
    const int on = 1;
    if (socket.fd() < 0
        || ::setsockopt(socket.fd(), SOL_SOCKET, SO_BROADCAST, &on, sizeof on) != 0) {
        return LookupResult::failed(QStringLiteral("The search could not start: %1.")
                                        .arg(QString::fromLocal8Bit(std::strerror(errno))));
    }
    ifaddrs *interfaces = nullptr;
    if (::getifaddrs(&interfaces) != 0) {
        return LookupResult::failed(QStringLiteral("The networks could not be listed: %1.")
                                        .arg(QString::fromLocal8Bit(std::strerror(errno))));
    }
    const auto deadline = Clock::now() + m_wait;
    const QByteArray request = ssrp::broadcastRequest();
    int sent = 0;
    for (const ifaddrs *entry = interfaces; entry; entry = entry->ifa_next) {
        const unsigned flags = entry->ifa_flags;
        if (!entry->ifa_addr || entry->ifa_addr->sa_family != AF_INET || !(flags & IFF_UP)
            || !(flags & IFF_BROADCAST) || (flags & IFF_LOOPBACK) || !entry->ifa_broadaddr)
            continue;
        sockaddr_in target = *reinterpret_cast<const sockaddr_in *>(entry->ifa_broadaddr);
        target.sin_port = htons(m_port);
        if (::sendto(socket.fd(), request.constData(), size_t(request.size()), 0,
                     reinterpret_cast<const sockaddr *>(&target), sizeof target)
            >= 0)
            ++sent;
    }
    ::freeifaddrs(interfaces);
    if (sent == 0) {
        return LookupResult::failed(
            QStringLiteral("This machine is on no network that a search could reach."));
    }

    QStringList names;
    receive({socket.fd()}, deadline, cancelled,
            [&](const QByteArray &datagram, const sockaddr_storage &) {
                if (const auto instances = ssrp::parseReply(datagram)) {
                    for (const auto &instance : *instances)
                        names.append(ssrp::serverNameFor(instance));
                }
                return false;
            });
    if (names.isEmpty()) {
        return LookupResult::failed(
            QStringLiteral("No SQL Server Browser answered on the local networks within %1 "
                           "seconds.")
                .arg(seconds(m_wait)));
    }
    sortNames(names, DigitOrder::ByValue);
    return LookupResult::found(names);
}

std::shared_ptr<IServerBrowser> makeServerBrowser()
{
    return std::make_shared<SsrpBrowser>();
}

} // namespace drivers
