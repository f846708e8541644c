#include "app/frmmain.h"

#include "app/createcommand.h"
#include "app/frmmaindescription.h"
#include "app/resizelayout.h"
#include "app/textcommands.h"
#include "app/windowstatestep.h"
#include "platform/form.h"
#include "platform/formdescription.h"
#include "platform/toolkit.h"
#include "tray/csystray.h"

frmMain::frmMain(platform::IToolkit &toolkit, platform::IObjectFactory &objects)
    : m_toolkit(toolkit)
    , m_objects(objects)
    , m_form(toolkit.createForm(app::frmMainDescription(), *this))
    , m_window(m_form->window())
    , txtConnStr(m_form->textBox(QStringLiteral("txtConnStr")))
    , Picture1(m_form->control(QStringLiteral("Picture1")))
    , cmdDLPrompt(m_form->control(QStringLiteral("cmdDLPrompt")))
    , cmdCopy(m_form->control(QStringLiteral("cmdCopy")))
    , cmdClear(m_form->control(QStringLiteral("cmdClear")))
    , cmdClose(m_form->control(QStringLiteral("cmdClose")))
    , mnuTray(m_form->menu(QStringLiteral("mnuTray")))
{ }

frmMain::~frmMain() = default;

void frmMain::Load()
{
    m_form->Load();
}

tray::CSysTray &frmMain::SysTray()
{
    if (!m_sysTray)
        m_sysTray = std::make_unique<tray::CSysTray>(m_toolkit.shell(), m_toolkit.application());
    return *m_sysTray;
}

void frmMain::loadEvent()
{
    SysTray().SetMainTrayForm(m_window);
    SysTray().SetTrayMenu(mnuTray);
}

void frmMain::resizeEvent()
{
    app::WindowStateStep(
        *m_window, [this]() -> tray::CSysTray & { return SysTray(); }, m_toolkit.shell())
        .run();
    app::ResizeLayout(*m_window, *txtConnStr, *cmdDLPrompt, *cmdClear, *cmdCopy, *cmdClose,
                      *Picture1)
        .run();
}

void frmMain::mouseMoveEvent(short button, short shift, float x, float y)
{
    SysTray().ShowTrayMenu(button, shift, x, y);
}

void frmMain::unloadEvent(bool & /*cancel*/)
{
    SysTray().RemoveIconFromTray();
}

void frmMain::clickEvent(const QString &control)
{
    if (control == u"cmdDLPrompt")
        create();
    else if (control == u"cmdCopy")
        copy();
    else if (control == u"cmdClear")
        clear();
    else if (control == u"cmdClose")
        close();
    else if (control == u"mnuRestore")
        restore();
    else if (control == u"mnuExit")
        exit();
}

void frmMain::textChangeEvent(const QString &control)
{
    if (control == u"txtConnStr")
        updateBanner();
}

void frmMain::create()
{
    app::CreateCommand(m_objects, *m_window, *txtConnStr, m_toolkit.application()).run();
}

void frmMain::copy()
{
    app::TextCommands(m_toolkit.clipboard(), *txtConnStr, *Picture1).copy();
}

void frmMain::clear()
{
    app::TextCommands(m_toolkit.clipboard(), *txtConnStr, *Picture1).clear();
}

void frmMain::close()
{
    m_window->Unload();
}

void frmMain::updateBanner()
{
    app::TextCommands(m_toolkit.clipboard(), *txtConnStr, *Picture1).updateBanner();
}

void frmMain::restore()
{
    m_window->SetWindowState(platform::WindowState::Normal);
    m_window->Show();
}

void frmMain::exit()
{
    m_window->Unload();
}
