#pragma once

#include "drivers/discovery/lookup.h"
#include "drivers/discovery/ssrp.h"

#include <atomic>
#include <chrono>
#include <memory>

namespace drivers {

// Finds SQL Server instances. Blocking calls, for a worker thread; every name is ready to be
// typed as a server name.
class IServerBrowser
{
public:
    IServerBrowser() = default;
    IServerBrowser(const IServerBrowser &) = delete;
    IServerBrowser &operator=(const IServerBrowser &) = delete;
    virtual ~IServerBrowser() = default;

    // The instances of one machine, as `host\instance` with the host as given.
    virtual LookupResult queryHost(const QString &host, const std::atomic<bool> &cancelled) = 0;
    // The instances on the networks this machine is on, by their servers' own names.
    virtual LookupResult broadcast(const std::atomic<bool> &cancelled) = 0;
    // How long a search may take, for whoever waits on it.
    virtual std::chrono::milliseconds timeLimit() const = 0;
};

// Over UDP to the browser service. A direct query ends with the first reply; a broadcast goes
// to the broadcast address of each IPv4 network this machine is on (never beyond a router) and
// collects replies until the wait is over.
class SsrpBrowser final : public IServerBrowser
{
public:
    static constexpr std::chrono::milliseconds DefaultWait {2000};

    explicit SsrpBrowser(quint16 port = ssrp::BrowserPort,
                         std::chrono::milliseconds wait = DefaultWait);

    LookupResult queryHost(const QString &host, const std::atomic<bool> &cancelled) override;
    LookupResult broadcast(const std::atomic<bool> &cancelled) override;
    std::chrono::milliseconds timeLimit() const override { return m_wait; }

private:
    quint16 m_port;
    std::chrono::milliseconds m_wait;
};

std::shared_ptr<IServerBrowser> makeServerBrowser();

} // namespace drivers
