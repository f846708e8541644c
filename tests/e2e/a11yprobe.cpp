// Reads what a window of the program under test says, through the accessibility tree Qt exports
// over AT-SPI. On X11 a message box offers its text to no X tool: it is no property, Qt copies
// it on Ctrl+C on Windows only, and its label cannot be selected. The tree is on the
// accessibility bus, whose address the session bus's org.a11y.Bus hands out.
#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QSize>
#include <QTextStream>

#include <cstdio>
#include <optional>

namespace {

const QString AccessibleInterface = QStringLiteral("org.a11y.atspi.Accessible");
const QString RootPath = QStringLiteral("/org/a11y/atspi/accessible/root");
constexpr int CallTimeoutMs = 2000;
// AtspiStateType: the bits of GetState's answer.
constexpr int StateFocusable = 11;
constexpr int StateVisible = 30;
constexpr uint RelationLabelledBy = 2;
// ATSPI_COORD_TYPE_WINDOW: positions relative to the window, which Wayland does not tell.
constexpr int CoordTypeWindow = 1;
// Bounds the walk, whatever the tree looks like.
constexpr int MaxDepth = 20;
constexpr int MaxNodes = 5000;

struct Node
{
    QString service;
    QString path;
};

class Tree
{
public:
    explicit Tree(QDBusConnection bus)
        : m_bus(std::move(bus))
    { }

    std::optional<QList<Node>> children(const Node &node) const
    {
        const QDBusMessage reply = call(node, AccessibleInterface, QStringLiteral("GetChildren"));
        if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
            return std::nullopt;
        QList<Node> nodes;
        const auto argument = reply.arguments().constFirst().value<QDBusArgument>();
        argument.beginArray();
        while (!argument.atEnd()) {
            QString service;
            QDBusObjectPath path;
            argument.beginStructure();
            argument >> service >> path;
            argument.endStructure();
            nodes.append({service, path.path()});
        }
        argument.endArray();
        return nodes;
    }

    QString name(const Node &node) const
    {
        const QDBusMessage reply
            = call(node, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"),
                   {AccessibleInterface, QStringLiteral("Name")});
        if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
            return {};
        return reply.arguments().constFirst().value<QDBusVariant>().variant().toString();
    }

    QString roleName(const Node &node) const
    {
        const QDBusMessage reply = call(node, AccessibleInterface, QStringLiteral("GetRoleName"));
        if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
            return {};
        return reply.arguments().constFirst().toString();
    }

    QString description(const Node &node) const
    {
        const QDBusMessage reply
            = call(node, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"),
                   {AccessibleInterface, QStringLiteral("Description")});
        if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
            return {};
        return reply.arguments().constFirst().value<QDBusVariant>().variant().toString();
    }

    // The objects that label this one (ATSPI_RELATION_LABELLED_BY): a label whose buddy it is,
    // the group box it sits in.
    QList<Node> labelledBy(const Node &node) const
    {
        const QDBusMessage reply
            = call(node, AccessibleInterface, QStringLiteral("GetRelationSet"));
        if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
            return {};
        QList<Node> labels;
        const auto argument = reply.arguments().constFirst().value<QDBusArgument>();
        argument.beginArray();
        while (!argument.atEnd()) {
            uint type = 0;
            argument.beginStructure();
            argument >> type;
            argument.beginArray();
            while (!argument.atEnd()) {
                QString service;
                QDBusObjectPath path;
                argument.beginStructure();
                argument >> service >> path;
                argument.endStructure();
                if (type == RelationLabelledBy)
                    labels.append({service, path.path()});
            }
            argument.endArray();
            argument.endStructure();
        }
        argument.endArray();
        return labels;
    }

    bool hasState(const Node &node, int state) const
    {
        const QDBusMessage reply = call(node, AccessibleInterface, QStringLiteral("GetState"));
        if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
            return false;
        QList<uint> words;
        const auto argument = reply.arguments().constFirst().value<QDBusArgument>();
        argument >> words;
        return words.size() > state / 32 && (words.at(state / 32) & (1u << (state % 32)));
    }

    bool visible(const Node &node) const { return hasState(node, StateVisible); }

    // The object's width and height in pixels; for a window, its client area's.
    std::optional<QSize> size(const Node &node) const
    {
        const QDBusMessage reply = call(node, QStringLiteral("org.a11y.atspi.Component"),
                                        QStringLiteral("GetExtents"), {uint(CoordTypeWindow)});
        if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
            return std::nullopt;
        int x = 0;
        int y = 0;
        int width = 0;
        int height = 0;
        const auto argument = reply.arguments().constFirst().value<QDBusArgument>();
        argument.beginStructure();
        argument >> x >> y >> width >> height;
        argument.endStructure();
        return QSize(width, height);
    }

private:
    QDBusMessage call(const Node &node, const QString &interface, const QString &method,
                      const QVariantList &arguments = {}) const
    {
        QDBusMessage message
            = QDBusMessage::createMethodCall(node.service, node.path, interface, method);
        message.setArguments(arguments);
        return m_bus.call(message, QDBus::Block, CallTimeoutMs);
    }

    QDBusConnection m_bus;
};

// Names may hold line breaks; each node stays on one line.
QString escaped(QString text)
{
    return text.replace(u'\\', QStringLiteral("\\\\")).replace(u'\n', QStringLiteral("\\n"));
}

void printSubtree(const Tree &tree, const Node &node, int depth, int &budget, QTextStream &out)
{
    if (depth > MaxDepth || --budget < 0)
        return;
    out << tree.roleName(node) << u'\t' << escaped(tree.name(node)) << u'\n';
    for (const Node &child : tree.children(node).value_or(QList<Node>()))
        printSubtree(tree, child, depth + 1, budget, out);
}

// What a screen reader's user can move to: a shown object that takes the focus, with what it
// is called and what it says about itself. Hidden pages are left out, rows scrolled out of
// sight are not. What takes the focus inside such an object (a drop-down's text field, a tab of
// the tab bar, a cell) is a part of it, not a control of its own.
void printControls(const Tree &tree, const Node &node, int depth, int &budget, QTextStream &out)
{
    if (depth > MaxDepth || --budget < 0 || !tree.visible(node))
        return;
    if (tree.hasState(node, StateFocusable)) {
        // A label names its buddy; the group it sits in gives the context. (Qt names a
        // drop-down after its value on this platform and leaves its name to the label.)
        QStringList labels;
        QStringList groups;
        for (const Node &label : tree.labelledBy(node))
            (tree.roleName(label) == u"label" ? labels : groups).append(tree.name(label));
        out << tree.roleName(node) << u'\t'
            << escaped(labels.isEmpty() ? tree.name(node) : labels.join(u' ')) << u'\t'
            << escaped(tree.description(node)) << u'\t' << escaped(groups.join(u' ')) << u'\n';
        return;
    }
    for (const Node &child : tree.children(node).value_or(QList<Node>()))
        printControls(tree, child, depth + 1, budget, out);
}

// The program may hold several connections to the bus; the one that answers for the root is
// its accessibility connection.
std::optional<Node> programRoot(const QDBusConnection &bus, const Tree &tree, uint pid)
{
    const QStringList names = bus.interface()->registeredServiceNames().value();
    for (const QString &name : names) {
        if (!name.startsWith(u':') || bus.interface()->servicePid(name).value() != pid)
            continue;
        const Node root {name, RootPath};
        if (tree.children(root))
            return root;
    }
    return std::nullopt;
}

int usage()
{
    std::fprintf(stderr,
                 "usage: corvanta_a11yprobe window|controls|size PID TITLE\n"
                 "window: prints every accessible object of the program's shown windows titled\n"
                 "TITLE, one a line: <role name> TAB <name>, line breaks in names as \\n\n"
                 "controls: prints the shown objects of those windows that take the focus:\n"
                 "<role name> TAB <label or name> TAB <description> TAB <group>\n"
                 "size: prints the client area of each such window: <width> <height>\n"
                 "Fails while there is no such window.\n");
    return 2;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    const QStringList arguments = application.arguments();
    bool pidValid = false;
    const uint pid = arguments.value(2).toUInt(&pidValid);
    const QString mode = arguments.value(1);
    if (arguments.size() != 4 || (mode != u"window" && mode != u"controls" && mode != u"size")
        || !pidValid)
        return usage();
    const QString title = arguments.at(3);

    const QDBusMessage address = QDBusConnection::sessionBus().call(
        QDBusMessage::createMethodCall(
            QStringLiteral("org.a11y.Bus"), QStringLiteral("/org/a11y/bus"),
            QStringLiteral("org.a11y.Bus"), QStringLiteral("GetAddress")),
        QDBus::Block, CallTimeoutMs);
    if (address.type() != QDBusMessage::ReplyMessage || address.arguments().isEmpty()) {
        std::fprintf(stderr, "corvanta_a11yprobe: no accessibility bus: %s\n",
                     qPrintable(address.errorMessage()));
        return 2;
    }
    const QDBusConnection bus = QDBusConnection::connectToBus(
        address.arguments().constFirst().toString(), QStringLiteral("a11y"));
    if (!bus.isConnected()) {
        std::fprintf(stderr, "corvanta_a11yprobe: cannot connect to the accessibility bus\n");
        return 2;
    }
    const Tree tree(bus);
    const std::optional<Node> root = programRoot(bus, tree, pid);
    if (!root)
        return 1;

    QTextStream out(stdout);
    bool found = false;
    int budget = MaxNodes;
    for (const Node &window : tree.children(*root).value_or(QList<Node>())) {
        if (tree.name(window) != title || !tree.visible(window))
            continue;
        if (mode == u"size") {
            const std::optional<QSize> size = tree.size(window);
            if (!size)
                continue;
            out << size->width() << u' ' << size->height() << u'\n';
        } else if (mode == u"controls") {
            printControls(tree, window, 0, budget, out);
        } else {
            printSubtree(tree, window, 0, budget, out);
        }
        found = true;
    }
    return found ? 0 : 1;
}
