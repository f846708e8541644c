#pragma once

#include <QtGlobal>

namespace platform {
class IApplication;
class IObjectFactory;
class ITextBox;
class IWindow;
} // namespace platform

namespace app {

// The Create command: composes a connection string in the Data Link dialog, new when txtConnStr
// is empty and pre-filled from its text otherwise, and writes the result back into txtConnStr.
// Never fails outward; each run works on Data Link and connection objects of its own. A text of
// another dialect (ADO.NET, ODBC, JDBC) may be converted first: the user is asked, told what has
// no counterpart, and the box keeps its own text unless the dialog is confirmed.
class CreateCommand final
{
public:
    CreateCommand(platform::IObjectFactory &factory, platform::IWindow &owner,
                  platform::ITextBox &connectionText, platform::IApplication &application);
    CreateCommand(const CreateCommand &) = delete;
    CreateCommand &operator=(const CreateCommand &) = delete;

    void run() noexcept;

    // The longest text the dialog is opened on. The dialog reads, shows and masks the whole
    // string again on every change: at a million characters that takes a fraction of a second
    // a keystroke, at five million most of a second and four to open. A longer text stays in
    // the box as it is, with a message saying why.
    static constexpr qsizetype maxTextLength = 1024 * 1024;

private:
    platform::IObjectFactory &m_factory;
    platform::IWindow &m_owner;
    platform::ITextBox &m_text;
    platform::IApplication &m_application;
};

} // namespace app
