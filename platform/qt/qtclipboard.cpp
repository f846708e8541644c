#include "platform/qt/qtclipboard.h"

#include "platform/error.h"

#include <QClipboard>
#include <QGuiApplication>

namespace platform::qt {

namespace {

QClipboard &systemClipboard()
{
    QClipboard *clipboard = QGuiApplication::clipboard();
    if (!clipboard)
        throw Error(QStringLiteral("The clipboard could not be opened"));
    return *clipboard;
}

} // namespace

void QtClipboard::Clear()
{
    systemClipboard().clear(QClipboard::Clipboard);
}

void QtClipboard::SetText(const QString &text)
{
    // Plain text only: the owner then offers nothing but the text formats derived from it.
    systemClipboard().setText(text, QClipboard::Clipboard);
}

} // namespace platform::qt
