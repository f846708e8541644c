#include "drivers/discovery/serverbrowser.h"
#include "drivers/discovery/ssrp.h"

#include <QElapsedTimer>
#include <QTest>

#include <atomic>
#include <thread>

#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace ssrp = drivers::ssrp;

namespace {

QByteArray reply(const QByteArray &data, qsizetype declared = -1, char type = 0x05)
{
    const auto size = quint16(declared < 0 ? data.size() : declared);
    QByteArray datagram;
    datagram.append(type).append(char(size & 0xff)).append(char(size >> 8));
    return datagram + data;
}

QByteArray record(const QByteArray &server, const QByteArray &instance,
                  const QByteArray &protocols = "tcp;1433;np;\\\\S\\pipe\\sql\\query;")
{
    return "ServerName;" + server + ";InstanceName;" + instance
        + ";IsClustered;No;Version;16.0.1000.6;" + protocols + ";";
}

// What a user sees of each instance, with the fields a record carries.
QStringList shown(const QList<ssrp::Instance> &instances)
{
    QStringList lines;
    for (const auto &instance : instances) {
        lines.append(ssrp::serverNameFor(instance) + u' ' + instance.version
                     + (instance.clustered ? QStringLiteral(" clustered") : QString()));
    }
    return lines;
}

// Answers direct queries the way the browser service does, on the loopback address only.
class LoopbackBrowser
{
public:
    explicit LoopbackBrowser(QByteArray answer)
        : m_answer(std::move(answer))
    {
        m_socket = ::socket(AF_INET, SOCK_DGRAM, 0);
        sockaddr_in address {};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (m_socket < 0 || ::bind(m_socket, reinterpret_cast<sockaddr *>(&address), length) != 0
            || ::getsockname(m_socket, reinterpret_cast<sockaddr *>(&address), &length) != 0)
            return;
        m_port = ntohs(address.sin_port);
        m_thread = std::thread([this] { serve(); });
    }
    LoopbackBrowser(const LoopbackBrowser &) = delete;
    LoopbackBrowser &operator=(const LoopbackBrowser &) = delete;
    ~LoopbackBrowser()
    {
        m_stop = true;
        if (m_thread.joinable())
            m_thread.join();
        if (m_socket >= 0)
            ::close(m_socket);
    }

    quint16 port() const { return m_port; }
    int queries() const { return m_queries; }

private:
    void serve()
    {
        pollfd entry {m_socket, POLLIN, 0};
        while (!m_stop) {
            if (::poll(&entry, 1, 50) <= 0)
                continue;
            char request[64];
            sockaddr_in from {};
            socklen_t length = sizeof from;
            const ssize_t got = ::recvfrom(m_socket, request, sizeof request, 0,
                                           reinterpret_cast<sockaddr *>(&from), &length);
            // Only the request for every instance is answered; others are ignored, as real.
            if (got != 1 || request[0] != 0x03)
                continue;
            ++m_queries;
            ::sendto(m_socket, m_answer.constData(), size_t(m_answer.size()), 0,
                     reinterpret_cast<sockaddr *>(&from), length);
        }
    }

    QByteArray m_answer;
    int m_socket = -1;
    quint16 m_port = 0;
    std::atomic<bool> m_stop {false};
    std::atomic<int> m_queries {0};
    std::thread m_thread;
};

} // namespace

class tst_Ssrp : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void readsRepliesDefensively_data();
    void readsRepliesDefensively();
    void listsTheInstancesOfAQueriedHost();
    void givesUpOnASilentHostAfterTheWait();
};

void tst_Ssrp::readsRepliesDefensively_data()
{
    QTest::addColumn<QByteArray>("datagram");
    QTest::addColumn<bool>("isReply");
    QTest::addColumn<QStringList>("instances");

    const QByteArray two = record("DB1", "SQLEXPRESS", "tcp;49172;")
        + record("DB1", "MSSQLSERVER", "np;\\\\DB1\\pipe\\sql\\query;tcp;1433;");
    QTest::newRow("two instances, named and default")
        << reply(two) << true
        << QStringList {QStringLiteral("DB1\\SQLEXPRESS 16.0.1000.6"),
                        QStringLiteral("DB1,1433 16.0.1000.6")};
    QTest::newRow("a clustered instance reached by pipe only")
        << reply("ServerName;C;InstanceName;HA;IsClustered;Yes;Version;15.0.2000.5;np;p;;") << true
        << QStringList {QStringLiteral("C\\HA 15.0.2000.5 clustered")};
    QTest::newRow("the port found after protocols with several values")
        << reply(record("S", "MSSQLSERVER", "bv;i;g;i;g;o;via;S,0:1433;tcp;2433;")) << true
        << QStringList {QStringLiteral("S,2433 16.0.1000.6")};
    QTest::newRow("a port that is not a port is left out")
        << reply(record("S", "MSSQLSERVER", "tcp;70000;") + record("T", "MSSQLSERVER", "tcp;1x;"))
        << true << QStringList {QStringLiteral("S 16.0.1000.6"), QStringLiteral("T 16.0.1000.6")};
    QTest::newRow("no instances") << reply({}) << true << QStringList();
    QTest::newRow("declared longer than what arrived: truncated")
        << reply(two, two.size() + 1) << false << QStringList();
    QTest::newRow("declared shorter than what arrived: oversized")
        << reply(two, two.size() - 1) << false << QStringList();
    QTest::newRow("shorter than the header") << QByteArray("\x05\x01", 2) << false << QStringList();
    QTest::newRow("wrong type byte") << reply(two, -1, 0x04) << false << QStringList();
    QTest::newRow("a request echoed back") << QByteArray(1, 0x03) << false << QStringList();
    QTest::newRow("the last record cut short is dropped")
        << reply(record("A", "ONE") + "ServerName;A;InstanceName;TW") << true
        << QStringList {QStringLiteral("A\\ONE 16.0.1000.6")};
    QTest::newRow("a server name over 255 bytes is dropped")
        << reply(record(QByteArray(256, 'x'), "BIG") + record("OK", "SMALL")) << true
        << QStringList {QStringLiteral("OK\\SMALL 16.0.1000.6")};
    QTest::newRow("fields out of order are dropped")
        << reply("InstanceName;I;ServerName;S;IsClustered;No;Version;1;;") << true << QStringList();
    QTest::newRow("UTF-8 names") << reply(record("K\xc3\xb6ln", "\xe6\x95\xb0\xe6\x8d\xae")) << true
                                 << QStringList {
                                        QStringLiteral("K\u00f6ln\\\u6570\u636e 16.0.1000.6")};
    QTest::newRow("names in a single-byte code page")
        << reply(record("Caf\xe9", "D\xfc")) << true
        << QStringList {QStringLiteral("Caf\u00e9\\D\u00fc 16.0.1000.6")};
    QTest::newRow("control characters in a name drop its record")
        << reply(record("S", QByteArray("A\0B", 3)) + record("S", "C\x1b[2J") + record("S", "OK"))
        << true << QStringList {QStringLiteral("S\\OK 16.0.1000.6")};
    QTest::newRow("every byte value, as a name") << reply([] {
        QByteArray all;
        for (int b = 0; b < 256; ++b)
            all.append(char(b));
        return record("S", all);
    }()) << true << QStringList();
}

void tst_Ssrp::readsRepliesDefensively()
{
    QFETCH(QByteArray, datagram);
    QFETCH(bool, isReply);
    QFETCH(QStringList, instances);
    const auto parsed = ssrp::parseReply(datagram);
    QCOMPARE(parsed.has_value(), isReply);
    if (parsed)
        QCOMPARE(shown(*parsed), instances);
}

void tst_Ssrp::listsTheInstancesOfAQueriedHost()
{
    LoopbackBrowser browser(reply(record("BOX", "SQLEXPRESS", "tcp;49172;")
                                  + record("BOX", "MSSQLSERVER", "tcp;1433;")));
    QVERIFY(browser.port() > 0);
    drivers::SsrpBrowser client(browser.port(), std::chrono::milliseconds(3000));
    const std::atomic<bool> cancelled {false};
    QElapsedTimer clock;
    clock.start();
    const auto result = client.queryHost(QStringLiteral("127.0.0.1"), cancelled);
    QVERIFY2(result.succeeded(), qPrintable(result.failure));
    // The host as typed, which this machine can reach; the server's own name may not resolve.
    QCOMPARE(
        result.names,
        (QStringList {QStringLiteral("127.0.0.1,1433"), QStringLiteral("127.0.0.1\\SQLEXPRESS")}));
    QCOMPARE(browser.queries(), 1);
    QVERIFY2(clock.elapsed() < 1000, "a direct query ends with the answer");
}

void tst_Ssrp::givesUpOnASilentHostAfterTheWait()
{
    LoopbackBrowser silent(QByteArray {});
    drivers::SsrpBrowser client(silent.port(), std::chrono::milliseconds(300));
    const std::atomic<bool> cancelled {false};
    QElapsedTimer clock;
    clock.start();
    // An empty answer is no reply: the client keeps waiting, then says nothing was found.
    const auto result = client.queryHost(QStringLiteral("127.0.0.1"), cancelled);
    QVERIFY(!result.succeeded());
    QVERIFY2(result.failure.contains(QStringLiteral("No SQL Server Browser answered")),
             qPrintable(result.failure));
    QVERIFY2(clock.elapsed() >= 250 && clock.elapsed() < 2000,
             qPrintable(QString::number(clock.elapsed())));
}

QTEST_GUILESS_MAIN(tst_Ssrp)
#include "tst_ssrp.moc"
