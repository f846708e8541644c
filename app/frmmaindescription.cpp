#include "app/frmmaindescription.h"

namespace app {

namespace {

using platform::ControlDescription;
using platform::ControlKind;
using platform::FontDescription;

ControlDescription control(const char *name, ControlKind kind, const char *parent,
                           const char *caption, float left, float top, float width, float height,
                           int tabIndex)
{
    ControlDescription description;
    description.name = QString::fromLatin1(name);
    description.kind = kind;
    description.parent = QString::fromLatin1(parent);
    description.caption = QString::fromUtf8(caption);
    description.left = left;
    description.top = top;
    description.width = width;
    description.height = height;
    description.tabIndex = tabIndex;
    return description;
}

FontDescription arial(float points)
{
    FontDescription font;
    font.name = QStringLiteral("Arial");
    font.sizePoints = points;
    return font;
}

} // namespace

platform::FormDescription frmMainDescription()
{
    platform::FormDescription form;
    form.name = QStringLiteral("frmMain");
    form.caption = QStringLiteral("Corvanta");
    form.clientWidth = 6015;
    form.clientHeight = 1845;
    form.sizable = true;
    form.centreOnScreen = true;
    form.scaleMode = platform::ScaleMode::Twips;
    form.icon = QStringLiteral(":/corvanta/corvanta-16.xpm");

    const auto none = "";
    auto label2 = control("Label2", ControlKind::Label, "Picture1", "\u00a9 2026 the Corvanta team",
                          840, 480, 2535, 255, 7);
    label2.font = arial(8.25f);
    auto label1
        = control("Label1", ControlKind::Label, "Picture1", "Corvanta", 840, 240, 2655, 255, 6);
    label1.font = arial(11.25f);
    auto image1 = control("Image1", ControlKind::Image, "Picture1", none, 240, 195, 480, 480, -1);
    image1.picture = QStringLiteral(":/corvanta/banner-32.xpm");
    auto text = control("txtConnStr", ControlKind::TextBox, none, none, 50, 50, 5900, 1290, 4);
    text.multiLine = true;
    text.verticalScrollBar = true;

    form.controls = {
        control("Picture1", ControlKind::PictureBox, none, none, 1080, 240, 3735, 855, 5),
        label2,
        label1,
        image1,
        control("cmdDLPrompt", ControlKind::CommandButton, none, "Create", 50, 1410, 1455, 375, 0),
        control("cmdClose", ControlKind::CommandButton, none, "Exit", 4520, 1410, 1455, 375, 3),
        control("cmdClear", ControlKind::CommandButton, none, "Clear", 3015, 1410, 1455, 375, 2),
        control("cmdCopy", ControlKind::CommandButton, none, "Copy to Clipboard", 1530, 1410, 1455,
                375, 1),
        text,
    };

    platform::MenuDescription tray {
        QStringLiteral("mnuTray"), QStringLiteral("mnuTray"), false, {}};
    tray.items = {
        {QStringLiteral("mnuRestore"), QStringLiteral("&Restore"), true, {}},
        {QStringLiteral("mnuExit"), QStringLiteral("E&xit"), true, {}},
    };
    form.menus = {tray};
    return form;
}

} // namespace app
