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

void frmMain::Form_Load()
{
    SysTray().SetMainTrayForm(m_window);
    SysTray().SetTrayMenu(mnuTray);
}

void frmMain::Form_Resize()
{
    app::WindowStateStep(
        *m_window, [this]() -> tray::CSysTray & { return SysTray(); }, m_toolkit.shell())
        .run();
    app::ResizeLayout(*m_window, *txtConnStr, *cmdDLPrompt, *cmdClear, *cmdCopy, *cmdClose,
                      *Picture1)
        .run();
}

void frmMain::Form_MouseMove(short Button, short Shift, float X, float Y)
{
    SysTray().ShowTrayMenu(Button, Shift, X, Y);
}

void frmMain::Form_Unload(int & /*Cancel*/)
{
    SysTray().RemoveIconFromTray();
}

void frmMain::Control_Click(const QString &control)
{
    if (control == u"cmdDLPrompt")
        cmdDLPrompt_Click();
    else if (control == u"cmdCopy")
        cmdCopy_Click();
    else if (control == u"cmdClear")
        cmdClear_Click();
    else if (control == u"cmdClose")
        cmdClose_Click();
    else if (control == u"mnuRestore")
        mnuRestore_Click();
    else if (control == u"mnuExit")
        mnuExit_Click();
}

void frmMain::Control_Change(const QString &control)
{
    if (control == u"txtConnStr")
        txtConnStr_Change();
}

void frmMain::cmdDLPrompt_Click()
{
    app::CreateCommand(m_objects, *m_window, *txtConnStr, m_toolkit.application()).run();
}

void frmMain::cmdCopy_Click()
{
    app::TextCommands(m_toolkit.clipboard(), *txtConnStr, *Picture1).copy();
}

void frmMain::cmdClear_Click()
{
    app::TextCommands(m_toolkit.clipboard(), *txtConnStr, *Picture1).clear();
}

void frmMain::cmdClose_Click()
{
    m_window->Unload();
}

void frmMain::txtConnStr_Change()
{
    app::TextCommands(m_toolkit.clipboard(), *txtConnStr, *Picture1).updateBanner();
}

void frmMain::mnuRestore_Click()
{
    m_window->SetWindowState(platform::vbNormal);
    m_window->Show();
}

void frmMain::mnuExit_Click()
{
    m_window->Unload();
}
