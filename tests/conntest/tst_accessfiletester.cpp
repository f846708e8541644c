#include <QTest>
class tst_Accessfiletester : public QObject
{
    Q_OBJECT
};
QTEST_MAIN(tst_Accessfiletester)
#include "tst_accessfiletester.moc"
