#include <QTest>
class tst_Providerdispatcher : public QObject
{
    Q_OBJECT
};
QTEST_MAIN(tst_Providerdispatcher)
#include "tst_providerdispatcher.moc"
