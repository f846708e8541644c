#include <QTest>
class tst_Odbcstrings : public QObject
{
    Q_OBJECT
};
QTEST_MAIN(tst_Odbcstrings)
#include "tst_odbcstrings.moc"
