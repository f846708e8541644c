#pragma once

#include "platform/formevents.h"

#include <QStringList>

#include <functional>

namespace doubles {

// Records the events a form raises, as readable lines ("Resize", "Click cmdCopy", ...).
class RecordingFormEvents final : public platform::IFormEvents
{
public:
    void loadEvent() override { record(QStringLiteral("Load")); }
    void resizeEvent() override { record(QStringLiteral("Resize")); }
    void mouseMoveEvent(short, short, float x, float y) override
    {
        record(QStringLiteral("MouseMove %1 %2").arg(x).arg(y));
    }
    void unloadEvent(bool &cancel) override
    {
        record(QStringLiteral("Unload"));
        cancel = cancelUnload;
    }
    void clickEvent(const QString &control) override { record(QStringLiteral("Click ") + control); }
    void textChangeEvent(const QString &control) override
    {
        record(QStringLiteral("Change ") + control);
    }

    int count(const QString &event) const { return int(events.count(event)); }

    QStringList events;
    bool cancelUnload = false;
    // Runs after recording; may throw to stand for a failing handler.
    std::function<void(const QString &)> onEvent;

private:
    void record(const QString &event)
    {
        events.append(event);
        if (onEvent)
            onEvent(event);
    }
};

} // namespace doubles
