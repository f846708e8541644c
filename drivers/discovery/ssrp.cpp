#include "drivers/discovery/ssrp.h"

#include <QStringDecoder>

#include <algorithm>

namespace drivers::ssrp {

namespace {

constexpr char ClientBroadcastEx = 0x02;
constexpr char ClientUnicastEx = 0x03;
constexpr char ServerResponse = 0x05;
constexpr qsizetype HeaderSize = 3;
constexpr qsizetype MaxNameBytes = 255;
constexpr qsizetype MaxVersionBytes = 16;

// The reply is in the server's multi-byte code page, which it does not name: UTF-8 when the
// bytes are valid UTF-8, else Latin-1, which maps every byte to some character.
QString decoded(QByteArrayView bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8(bytes);
    if (utf8.hasError())
        text = QString::fromLatin1(bytes);
    return text;
}

bool hasControlCharacter(const QString &text)
{
    return std::any_of(text.begin(), text.end(),
                       [](QChar c) { return c.category() == QChar::Other_Control; });
}

int portOf(QByteArrayView text)
{
    if (text.isEmpty() || text.size() > 5
        || !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return 0;
    const int port = text.toByteArray().toInt();
    return port > 0 && port <= 65535 ? port : 0;
}

// How many values follow a protocol's name in a record: Banyan VINES names three parts and an
// organisation, every other protocol one value.
qsizetype valuesAfter(QByteArrayView protocol)
{
    return protocol.compare("bv", Qt::CaseInsensitive) == 0 ? 5 : 1;
}

std::optional<Instance> instanceOf(const QList<QByteArrayView> &tokens)
{
    // ServerName;S;InstanceName;I;IsClustered;Yes|No;Version;V; then protocol entries.
    static const char *const keys[] = {"ServerName", "InstanceName", "IsClustered", "Version"};
    if (tokens.size() < 8)
        return std::nullopt;
    for (qsizetype i = 0; i < 4; ++i) {
        if (tokens[i * 2].compare(keys[i], Qt::CaseInsensitive) != 0)
            return std::nullopt;
    }
    if (tokens[1].isEmpty() || tokens[1].size() > MaxNameBytes || tokens[3].size() > MaxNameBytes
        || tokens[7].size() > MaxVersionBytes)
        return std::nullopt;

    Instance instance;
    instance.serverName = decoded(tokens[1]);
    instance.instanceName = decoded(tokens[3]);
    instance.clustered = tokens[5].compare("Yes", Qt::CaseInsensitive) == 0;
    instance.version = decoded(tokens[7]);
    if (hasControlCharacter(instance.serverName) || hasControlCharacter(instance.instanceName)
        || hasControlCharacter(instance.version))
        return std::nullopt;
    for (qsizetype i = 8; i < tokens.size(); i += 1 + valuesAfter(tokens[i])) {
        if (tokens[i].compare("tcp", Qt::CaseInsensitive) == 0 && i + 1 < tokens.size())
            instance.tcpPort = portOf(tokens[i + 1]);
    }
    return instance;
}

} // namespace

QByteArray directRequest()
{
    return QByteArray(1, ClientUnicastEx);
}

QByteArray broadcastRequest()
{
    return QByteArray(1, ClientBroadcastEx);
}

std::optional<QList<Instance>> parseReply(QByteArrayView datagram)
{
    if (datagram.size() < HeaderSize || datagram[0] != ServerResponse)
        return std::nullopt;
    const qsizetype declared = qsizetype(quint8(datagram[1])) | qsizetype(quint8(datagram[2])) << 8;
    if (declared != datagram.size() - HeaderSize)
        return std::nullopt;

    // Each record ends in an empty token (`;;`); a last record cut short is dropped.
    QList<Instance> instances;
    QList<QByteArrayView> tokens;
    const QByteArrayView data = datagram.sliced(HeaderSize);
    qsizetype start = 0;
    while (start < data.size()) {
        const qsizetype end = data.indexOf(';', start);
        if (end < 0)
            break;
        const QByteArrayView token = data.sliced(start, end - start);
        start = end + 1;
        if (!token.isEmpty()) {
            tokens.append(token);
            continue;
        }
        if (auto instance = instanceOf(tokens); instance && !instances.contains(*instance))
            instances.append(*instance);
        tokens.clear();
    }
    return instances;
}

QString serverNameFor(const Instance &instance, const QString &host)
{
    const QString machine = host.isEmpty() ? instance.serverName : host;
    if (!instance.instanceName.isEmpty()
        && instance.instanceName.compare(u"MSSQLSERVER", Qt::CaseInsensitive) != 0)
        return machine + u'\\' + instance.instanceName;
    if (instance.tcpPort > 0)
        return machine + u',' + QString::number(instance.tcpPort);
    return machine;
}

QString hostOf(const QString &serverName)
{
    QString host = serverName.trimmed();
    if (host.startsWith(u"tcp:", Qt::CaseInsensitive))
        host = host.mid(4);
    host = host.section(u',', 0, 0).section(u'\\', 0, 0).trimmed();
    if (host == u"." || host.compare(u"(local)", Qt::CaseInsensitive) == 0)
        return QStringLiteral("localhost");
    return host;
}

} // namespace drivers::ssrp
