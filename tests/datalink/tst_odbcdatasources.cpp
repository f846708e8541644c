#include "platform/datalink/odbcdatasources.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class tst_OdbcDataSources : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void readsSectionNamesOfBothFiles();
};

void tst_OdbcDataSources::readsSectionNamesOfBothFiles()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const auto write = [&](const QString &name, const QByteArray &text) {
        QFile file(dir.filePath(name));
        if (file.open(QIODevice::WriteOnly))
            file.write(text);
        return file.fileName();
    };
    const QString user = write(QStringLiteral("user.ini"),
                               "[ODBC]\nTrace=No\n\n[sales]\nDriver=PostgreSQL\n"
                               "  [ Stock ]  \n; [Commented]\nServer=[not a section]\n");
    const QString system = write(QStringLiteral("system.ini"), "[Archive]\n[sales]\n[]\n");
    datalink::OdbcIniDataSources sources(
        {user, dir.filePath(QStringLiteral("missing.ini")), system});
    QCOMPARE(sources.dataSourceNames(),
             (QStringList {QStringLiteral("Archive"), QStringLiteral("sales"),
                           QStringLiteral("Stock")}));
}

QTEST_GUILESS_MAIN(tst_OdbcDataSources)
#include "tst_odbcdatasources.moc"
