#include "app/commandline.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <cstdio>

namespace app {

namespace {

void print(std::FILE *stream, const QString &text)
{
    std::fputs(text.toLocal8Bit().constData(), stream);
    std::fflush(stream);
}

// The toolkit strips these from the arguments when it starts; naming them here keeps them from
// reading as unknown before it has. Hidden: they are the toolkit's, documented with it.
void addToolkitOptions(QCommandLineParser &parser)
{
    for (const char *name : {"platform", "platformpluginpath", "platformtheme", "plugin", "display",
                             "geometry", "qwindowgeometry", "title", "qwindowtitle", "icon",
                             "qwindowicon", "style", "stylesheet", "session", "name"}) {
        QCommandLineOption option(QString::fromLatin1(name));
        option.setValueName(QStringLiteral("value"));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
    for (const char *name : {"reverse", "widgetcount", "nograb", "dograb", "sync"}) {
        QCommandLineOption option(QString::fromLatin1(name));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
}

} // namespace

std::optional<int> handleCommandLine(int argc, char *argv[])
{
    // A core application only, for the program's name in the usage line: a GUI one would open
    // the display. It goes before the real one is made.
    int coreArgc = argc;
    QCoreApplication core(coreArgc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("corvanta"));
    QCoreApplication::setApplicationVersion(QStringLiteral(CORVANTA_VERSION_STRING));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Composes OLE DB connection strings: Create opens the Data Link Properties\n"
                       "dialog, Copy to Clipboard puts the finished string on the clipboard."));
    // Single-dash words are the toolkit's own options (-platform xcb), not bundles of letters.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    addToolkitOptions(parser);

    const bool parsed = parser.parse(QCoreApplication::arguments());
    if (parsed && parser.isSet(QStringLiteral("help-all")))
        parser.process(QCoreApplication::arguments()); // prints the toolkit's options too; exits 0
    if (parsed && parser.isSet(help)) {
        print(stdout, parser.helpText());
        return 0;
    }
    if (parsed && parser.isSet(version)) {
        print(stdout, QStringLiteral("corvanta %1\n").arg(QCoreApplication::applicationVersion()));
        return 0;
    }
    if (!parsed) {
        print(stderr,
              QStringLiteral("corvanta: %1\n\n%2").arg(parser.errorText(), parser.helpText()));
        return 2;
    }
    if (!parser.positionalArguments().isEmpty()) {
        print(stderr,
              QStringLiteral("corvanta: unexpected argument '%1'\n\n%2")
                  .arg(parser.positionalArguments().constFirst(), parser.helpText()));
        return 2;
    }
    return std::nullopt;
}

} // namespace app
