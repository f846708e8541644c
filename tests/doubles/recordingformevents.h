#pragma once

#include "platform/formevents.h"

#include <QStringList>

#include <functional>

namespace doubles {

// Records the events a form raises, as readable lines ("Resize", "Click cmdCopy", ...).
class RecordingFormEvents final : public platform::IFormEvents
{
public:
    void Form_Load() override { record(QStringLiteral("Load")); }
    void Form_Resize() override { record(QStringLiteral("Resize")); }
    void Form_MouseMove(short, short, float X, float Y) override
    {
        record(QStringLiteral("MouseMove %1 %2").arg(X).arg(Y));
    }
    void Form_Unload(int &Cancel) override
    {
        record(QStringLiteral("Unload"));
        Cancel = cancelUnload;
    }
    void Control_Click(const QString &control) override
    {
        record(QStringLiteral("Click ") + control);
    }
    void Control_Change(const QString &control) override
    {
        record(QStringLiteral("Change ") + control);
    }

    int count(const QString &event) const { return int(events.count(event)); }

    QStringList events;
    int cancelUnload = 0;
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
