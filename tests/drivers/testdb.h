#pragma once

#include <QFile>
#include <QHash>
#include <QString>

// What the testdb fixture wrote: names, password and ports as `%key%` placeholders for the
// strings a test uses, and why the server is missing when it could not be started.
struct TestDatabase
{
    QHash<QString, QString> values;
    QString unavailable;

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
        QFile why(state + QStringLiteral("/unavailable"));
        if (why.open(QIODevice::ReadOnly))
            unavailable = QString::fromUtf8(why.readAll()).trimmed();
        return true;
    }

    QString value(const QString &key) const { return values.value(key); }

    QString expand(QString text) const
    {
        for (auto it = values.begin(); it != values.end(); ++it)
            text.replace(u'%' + it.key() + u'%', it.value());
        return text;
    }
};
