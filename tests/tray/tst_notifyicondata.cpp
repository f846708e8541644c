#include "tray/notifyicondata.h"

#include <QTest>

using tray::NOTIFYICONDATA;

class tst_NotifyIconData final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void tipIsSentAsOneBytePerCharacter_data()
    {
        QTest::addColumn<QString>("tip");
        QTest::addColumn<QByteArray>("bytes");

        QTest::newRow("ASCII") << QStringLiteral("Corvanta") << QByteArray("Corvanta");
        QTest::newRow("Latin-1 beyond ASCII")
            << QStringLiteral("Caf\u00e9 \u00ff") << QByteArray("Caf\xe9 \xff");
        QTest::newRow("outside Latin-1") << QStringLiteral("5 \u20ac") << QByteArray("5 ?");
        QTest::newRow("surrogate pair keeps the field's width")
            << QStringLiteral("a\U0001F600b") << QByteArray("a??b");
    }
    void tipIsSentAsOneBytePerCharacter()
    {
        QFETCH(QString, tip);
        QFETCH(QByteArray, bytes);

        NOTIFYICONDATA record;
        record.szTip = tray::fixedLengthTip(tip);
        const auto buffer = tray::toBuffer(record);

        const QByteArray sent(reinterpret_cast<const char *>(buffer.data()) + 24, 64);
        QCOMPARE(sent, bytes.leftJustified(64, ' '));
    }

    void recordSurvivesTheRoundTrip()
    {
        NOTIFYICONDATA record;
        record.cbSize = 88;
        record.hWnd = 0xfedcba98;
        record.uID = 1;
        record.uFlags = 7;
        record.uCallbackMessage = 512;
        record.hIcon = 0x80000001;
        record.szTip = tray::fixedLengthTip(QStringLiteral("Caf\u00e9") + QChar(0));

        QCOMPARE(tray::fromBuffer(tray::toBuffer(record)), record);
        QCOMPARE(tray::fromBuffer(tray::toBuffer(NOTIFYICONDATA())), NOTIFYICONDATA());
    }

    void whatTheShellWritesBackIsKept()
    {
        auto buffer = tray::toBuffer(NOTIFYICONDATA());
        buffer[8] = 2;
        buffer[24] = 'X';

        const auto record = tray::fromBuffer(buffer);
        QCOMPARE(record.uID, 2u);
        QCOMPARE(record.szTip.size(), 64);
        QCOMPARE(record.szTip.at(0), QLatin1Char('X'));
        QCOMPARE(record.szTip.at(1), QChar(0));
    }
};

QTEST_APPLESS_MAIN(tst_NotifyIconData)
#include "tst_notifyicondata.moc"
