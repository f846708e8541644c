#include "platform/qt/qtapplication.h"

#include "platform/error.h"
#include "platform/qt/handletable.h"

#include <QApplication>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTextDocument>

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

platform::Answer QtApplication::ask(quint32 owner, const platform::Question &question)
{
    QWidget *parent = HandleTable::window(owner);
    QMessageBox box(QMessageBox::Question, QCoreApplication::applicationName(), question.text,
                    QMessageBox::NoButton, parent ? parent : QApplication::activeWindow());
    // The texts quote the user's string, which may hold anything that reads as markup. The
    // informative text takes no format of its own: given as rich text, it is never guessed.
    box.setTextFormat(Qt::PlainText);
    if (!question.details.isEmpty())
        box.setInformativeText(Qt::convertFromPlainText(question.details, Qt::WhiteSpaceNormal));
    QPushButton *accept = box.addButton(question.accept, QMessageBox::YesRole);
    QPushButton *decline = box.addButton(question.decline, QMessageBox::NoRole);
    // Escape and the title bar's close button answer with it.
    box.addButton(QMessageBox::Cancel);
    box.setDefaultButton(accept);
    box.exec();
    if (box.clickedButton() == accept)
        return platform::Answer::Accept;
    if (box.clickedButton() == decline)
        return platform::Answer::Decline;
    return platform::Answer::Cancel;
}

void QtApplication::processPendingEvents()
{
    // Posted events first, so that everything queued before the call has run when it returns.
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

} // namespace platform::qt
