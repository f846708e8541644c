#include <QTest>
class tst_Secretmask : public QObject
{
    Q_OBJECT
};
QTEST_MAIN(tst_Secretmask)
#include "tst_secretmask.moc"
