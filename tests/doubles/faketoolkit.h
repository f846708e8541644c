#pragma once

#include "platform/form.h"
#include "platform/formdescription.h"
#include "platform/formevents.h"
#include "platform/toolkit.h"
#include "tests/doubles/fakecontrol.h"
#include "tests/doubles/fakeservices.h"
#include "tests/doubles/fakewindow.h"

#include <QHash>

namespace doubles {

// A form of fakes built from the real description: each control starts at its described
// geometry, the window's resize and unload behave as the toolkit's do.
class FakeForm final : public platform::IForm
{
public:
    FakeForm(Faults &faults, const platform::FormDescription &description,
             platform::IFormEvents &events)
        : m_events(events)
        , fakeWindow(std::make_shared<FakeWindow>(faults, description.name))
    {
        for (const auto &control : description.controls) {
            if (control.kind == platform::ControlKind::TextBox) {
                auto box = std::make_shared<FakeTextBox>(
                    faults, control.name, control.left, control.top, control.width, control.height);
                box->onChange = [this, name = control.name] {
                    m_events.textChangeEvent(name);
                };
                textBoxes.insert(control.name, box);
            } else {
                controls.insert(control.name,
                                std::make_shared<FakeControl>(faults, control.name, control.left,
                                                              control.top, control.width,
                                                              control.height));
            }
        }
        for (const auto &menu : description.menus)
            menus.insert(menu.name, std::make_shared<FakeMenu>(menu.name));
        fakeWindow->visible = false;
        fakeWindow->onResize = [this] {
            m_events.resizeEvent();
        };
        fakeWindow->onUnload = [this] {
            bool cancel = false;
            m_events.unloadEvent(cancel);
            if (!cancel)
                unloaded = true;
        };
    }

    std::shared_ptr<platform::IWindow> window() override { return fakeWindow; }
    std::shared_ptr<platform::ITextBox> textBox(const QString &name) override
    {
        return textBoxes.value(name);
    }
    std::shared_ptr<platform::IControl> control(const QString &name) override
    {
        if (auto box = textBoxes.value(name))
            return box;
        return controls.value(name);
    }
    std::shared_ptr<platform::IMenu> menu(const QString &name) override
    {
        return menus.value(name);
    }
    // Showing a window raises its first resize.
    void Load() override
    {
        m_events.loadEvent();
        fakeWindow->visible = true;
        m_events.resizeEvent();
    }

    platform::IFormEvents &m_events;
    std::shared_ptr<FakeWindow> fakeWindow;
    QHash<QString, std::shared_ptr<FakeTextBox>> textBoxes;
    QHash<QString, std::shared_ptr<FakeControl>> controls;
    QHash<QString, std::shared_ptr<FakeMenu>> menus;
    bool unloaded = false;
};

class FakeToolkit final : public platform::IToolkit
{
public:
    explicit FakeToolkit(Faults &faults)
        : fakeClipboard(faults)
        , fakeApplication(faults)
        , fakeShell(faults)
        , m_faults(faults)
    { }

    std::unique_ptr<platform::IForm> createForm(const platform::FormDescription &description,
                                                platform::IFormEvents &events) override
    {
        auto form = std::make_unique<FakeForm>(m_faults, description, events);
        lastForm = form.get();
        return form;
    }
    platform::IClipboard &clipboard() override { return fakeClipboard; }
    platform::IApplication &application() override { return fakeApplication; }
    platform::IShell &shell() override { return fakeShell; }

    FakeClipboard fakeClipboard;
    FakeApplication fakeApplication;
    FakeShell fakeShell;
    FakeForm *lastForm = nullptr;

private:
    Faults &m_faults;
};

} // namespace doubles
