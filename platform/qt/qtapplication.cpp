#include "platform/qt/qtapplication.h"

#include "platform/error.h"

#include <QApplication>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QMessageBox>
#include <QScreen>

namespace platform::qt {

float QtApplication::twipsPerPixel()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    const qreal dpi = screen ? screen->logicalDotsPerInchX() : 96.0;
    return dpi > 0 ? float(1440.0 / dpi) : 15.0f;
}

float QtApplication::TwipsPerPixelX()
{
    return twipsPerPixel();
}

QString QtApplication::Title()
{
    return QCoreApplication::applicationName();
}

void QtApplication::showMessage(const QString &text)
{
    QMessageBox::information(QApplication::activeWindow(), QCoreApplication::applicationName(),
                             text);
}

void QtApplication::processPendingEvents()
{
    // Posted events first, so that everything queued before the call has run when it returns.
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

} // namespace platform::qt
