#include "platform/datalink/odbcdatasources.h"

#include <QDir>
#include <QFile>
#include <QTextStream>

namespace datalink {

namespace {

QStringList defaultFiles()
{
    const QString systemDir = qEnvironmentVariableIsSet("ODBCSYSINI")
        ? qEnvironmentVariable("ODBCSYSINI")
        : QStringLiteral("/etc");
    return {QDir::homePath() + QStringLiteral("/.odbc.ini"),
            systemDir + QStringLiteral("/odbc.ini")};
}

} // namespace

OdbcIniDataSources::OdbcIniDataSources(QStringList files)
    : m_files(files.isEmpty() ? defaultFiles() : std::move(files))
{ }

QStringList OdbcIniDataSources::dataSourceNames()
{
    QStringList names;
    for (const QString &path : std::as_const(m_files)) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
            continue;
        QTextStream in(&file);
        while (!in.atEnd()) {
            const QString line = in.readLine().trimmed();
            if (!line.startsWith(u'[') || !line.endsWith(u']'))
                continue;
            const QString name = line.mid(1, line.size() - 2).trimmed();
            // [ODBC] holds the driver manager's own settings, not a data source.
            if (!name.isEmpty() && name.compare(u"ODBC", Qt::CaseInsensitive) != 0)
                names.append(name);
        }
    }
    names.sort(Qt::CaseInsensitive);
    names.removeDuplicates();
    return names;
}

} // namespace datalink
