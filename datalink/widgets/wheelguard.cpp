#include "datalink/widgets/wheelguard.h"

#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QScrollBar>

namespace datalink {

namespace {

class WheelGuard final : public QObject
{
public:
    using QObject::QObject;

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::Wheel)
            return false;
        auto *widget = static_cast<QWidget *>(watched);
        const QWidget *focus = QApplication::focusWidget();
        if (focus && (focus == widget || widget->isAncestorOf(focus)))
            return false;
        // Ignored, the event goes on to the parents, and so to the scroll area around.
        event->ignore();
        return true;
    }
};

bool changesOnTheWheel(QWidget *widget)
{
    if (qobject_cast<QScrollBar *>(widget))
        return false;
    return qobject_cast<QComboBox *>(widget) || qobject_cast<QAbstractSpinBox *>(widget)
        || qobject_cast<QAbstractSlider *>(widget);
}

} // namespace

void guardWheel(QWidget *root)
{
    WheelGuard *guard = nullptr;
    for (QObject *child : root->children()) {
        if (auto *found = dynamic_cast<WheelGuard *>(child))
            guard = found;
    }
    if (!guard)
        guard = new WheelGuard(root);
    for (QWidget *widget : root->findChildren<QWidget *>()) {
        if (!changesOnTheWheel(widget))
            continue;
        if ((widget->focusPolicy() & Qt::WheelFocus) == Qt::WheelFocus)
            widget->setFocusPolicy(Qt::StrongFocus);
        // Installing the same filter again only moves it; it still runs once.
        widget->installEventFilter(guard);
    }
}

} // namespace datalink
