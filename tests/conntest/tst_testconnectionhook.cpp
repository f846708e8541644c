#include <QTest>
class tst_Testconnectionhook : public QObject
{
    Q_OBJECT
};
QTEST_MAIN(tst_Testconnectionhook)
#include "tst_testconnectionhook.moc"
