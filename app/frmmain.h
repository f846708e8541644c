#pragma once

#include "platform/formevents.h"

#include <memory>

namespace tray {
class CSysTray;
}

namespace platform {
class IControl;
class IForm;
class IMenu;
class IObjectFactory;
class ITextBox;
class IToolkit;
class IWindow;
} // namespace platform

// The one window: builds itself from its description and routes each event to the unit that
// handles it. Holds no behaviour of its own beyond that routing.
class frmMain final : public platform::IFormEvents
{
public:
    frmMain(platform::IToolkit &toolkit, platform::IObjectFactory &objects);
    ~frmMain() override;

    // Raises the load event and shows the window centred.
    void Load();
    platform::IForm &form() const { return *m_form; }

    void loadEvent() override;
    void resizeEvent() override;
    void mouseMoveEvent(short button, short shift, float x, float y) override;
    void unloadEvent(bool &cancel) override;
    void clickEvent(const QString &control) override;
    void textChangeEvent(const QString &control) override;

private:
    // Created on first use and kept for the window's whole life.
    tray::CSysTray &SysTray();

    void create();
    void copy();
    void clear();
    void close();
    void updateBanner();
    void restore();
    void exit();

    platform::IToolkit &m_toolkit;
    platform::IObjectFactory &m_objects;
    std::unique_ptr<platform::IForm> m_form;
    std::shared_ptr<platform::IWindow> m_window;
    std::shared_ptr<platform::ITextBox> txtConnStr;
    std::shared_ptr<platform::IControl> Picture1;
    std::shared_ptr<platform::IControl> cmdDLPrompt;
    std::shared_ptr<platform::IControl> cmdCopy;
    std::shared_ptr<platform::IControl> cmdClear;
    std::shared_ptr<platform::IControl> cmdClose;
    std::shared_ptr<platform::IMenu> mnuTray;
    // Declared last: it goes first at the end and takes the icon with it.
    std::unique_ptr<tray::CSysTray> m_sysTray;
};
