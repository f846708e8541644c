#pragma once

#include <QObject>

class QWidget;

namespace platform::qt {

// A modal dialog blocks its owner alone, as on the system this program came from: Qt's default
// (application-modal) would block every other window of the program too, the notification-area
// icon among them, so that a window minimised there with its dialog open could never be brought
// back. Installed on the application, it makes every owned modal dialog modal to its owner as it
// is first shown; a dialog without an owner stays modal to the whole program.
class OwnerModality final : public QObject
{
public:
    OwnerModality();
    ~OwnerModality() override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
};

// The modal windows that the owner's window has open, each over the one before it, or none.
// A minimised owner takes them out of sight with it, and they must come back with it.
QList<QWidget *> modalWindowsOwnedBy(const QWidget *owner);

// Brings the owner's open modal windows back over it, un-minimised, and activates the topmost,
// where the input goes; returns it, or null when the owner has none.
QWidget *bringBackModalWindows(const QWidget *owner);

} // namespace platform::qt
