#pragma once

#include <QFile>
#include <QHash>
#include <QString>

#include <utility>

// What the testdb fixture wrote: names, password and ports as `%key%` placeholders for the
// strings a test uses, and why a server is missing when it could not be started.
struct TestDatabase
{
    QHash<QString, QString> values;
    // By server, "PostgreSQL" or "MariaDB".
    QHash<QString, QString> unavailable;

    // False when the fixture's state is not there (the test was not run through ctest).
    bool load()
    {
        const QString state = qEnvironmentVariable("CORVANTA_TESTDB");
        QFile env(state + QStringLiteral("/testdb.env"));
        if (state.isEmpty() || !env.open(QIODevice::ReadOnly))
            return false;
        while (!env.atEnd()) {
            const QString line = QString::fromUtf8(env.readLine()).trimmed();
            const qsizetype assign = line.indexOf(u'=');
            if (assign > 0)
                values.insert(line.left(assign), line.mid(assign + 1));
        }
        const std::pair<QString, QString> files[] {
            {QStringLiteral("PostgreSQL"), QStringLiteral("/unavailable")},
            {QStringLiteral("MariaDB"), QStringLiteral("/unavailable-mariadb")},
        };
        for (const auto &[server, file] : files) {
            QFile why(state + file);
            if (why.open(QIODevice::ReadOnly))
                unavailable.insert(server, QString::fromUtf8(why.readAll()).trimmed());
        }
        return true;
    }

    // Empty when `server` is running (or none is named): what a test that needs it skips with.
    QString skipReason(const QString &server) const
    {
        const QString why = unavailable.value(server);
        return why.isEmpty() ? QString() : server + QStringLiteral(" could not be started: ") + why;
    }

    QString value(const QString &key) const { return values.value(key); }

    QString expand(QString text) const
    {
        for (auto it = values.begin(); it != values.end(); ++it)
            text.replace(u'%' + it.key() + u'%', it.value());
        return text;
    }
};
