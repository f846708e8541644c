// corvanta-connstr parse|format|mask|check|edit|convert: JSON on standard input, JSON on standard
// output. Exit 0 when every input was valid, 1 when some was not, 2 when the input itself is
// unusable, memory ran out or the output could not be written.

#include "tools/connstr/commands.h"

#include "oledb/providercatalogue.h"

#include <QByteArray>

#include <csignal>
#include <cstdio>
#include <unistd.h>

int main(int argc, char *argv[])
{
    // A reader that went away is a failed write like any other, reported, not a silent death.
    std::signal(SIGPIPE, SIG_IGN);
    const QByteArray argument = argc == 2 ? QByteArray(argv[1]) : QByteArray();
    if (argument == "--help" || argument == "-h") {
        std::fputs(
            "usage: corvanta-connstr COMMAND < input.json > output.json\n"
            "Reads and writes OLE DB connection strings as JSON.\n\n"
            "Commands:\n"
            "  parse   a JSON array of strings in, the keyword/value pairs of each out\n"
            "  format  a JSON array of [keyword, value] pair lists in, a string for each out\n"
            "  mask    a JSON array of strings in, each with its passwords masked out\n"
            "  check   a JSON array of strings in, for each what is wrong with it and the value\n"
            "          its provider will use for each property, passwords masked, out; the\n"
            "          rules: no-effect, overridden, conflict, token-with-credentials,\n"
            "          certificate-without-strict, hostname-with-trust,\n"
            "          integrated-with-authentication, password-not-persisted, deprecated,\n"
            "          misspelt-keyword (corvanta-connstr(1) says what each means)\n"
            "  edit    a JSON array of {\"string\", \"set\", \"remove\"} requests in, each string\n"
            "          edited in place, changing only the pairs named, out\n"
            "  convert a JSON array of ADO.NET (SqlClient, Npgsql), ODBC or JDBC (SQL Server,\n"
            "          PostgreSQL) strings in, each as the OLE DB string for the matching\n"
            "          provider, with the dialect it was read as and the pairs that have no\n"
            "          counterpart (secrets masked), out\n"
            "\n"
            "Exit status: 0 every input valid, 1 some input invalid (to check, a string with\n"
            "problems is valid: only one that does not parse is not), 2 unusable input (not\n"
            "JSON, not of the command's shape, or nested deeper than 1000 levels), not enough\n"
            "memory, or output that could not be written.\n",
            stdout);
        return connstr::AllValid;
    }
    if (argument == "--version") {
        std::fputs("corvanta-connstr " CORVANTA_VERSION_STRING "\n", stdout);
        return connstr::AllValid;
    }
    if (argc == 2 && connstr::isCommand(argument))
        return connstr::runCommand(argument, oledb::ProviderCatalogue::builtIn(), STDIN_FILENO,
                                   STDOUT_FILENO);
    std::fputs("corvanta-connstr: usage: corvanta-connstr parse|format|mask|check|edit|convert < "
               "input.json\n",
               stderr);
    return connstr::Unusable;
}
