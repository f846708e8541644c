#pragma once

#include "platform/window.h"

#include <QList>
#include <QString>

#include <optional>

namespace platform {

// What a window looks like when it is created, as plain data: the toolkit builds the widgets
// from it, and a test reads it without any widget.

enum class ControlKind { PictureBox, Label, Image, CommandButton, TextBox };

struct FontDescription
{
    QString name;
    float sizePoints = 0;
    int weight = 400;
    bool italic = false;
    bool underline = false;
    bool strikethrough = false;
    int charset = 0;
};

struct ControlDescription
{
    QString name;
    ControlKind kind = ControlKind::Label;
    // Empty for the window itself.
    QString parent;
    QString caption;
    float left = 0;
    float top = 0;
    float width = 0;
    float height = 0;
    // -1: the control takes no part in the tab order.
    int tabIndex = -1;
    // Empty: the window's font.
    std::optional<FontDescription> font;
    // Resource path of the picture an Image or PictureBox shows.
    QString picture;
    bool multiLine = false;
    bool verticalScrollBar = false;
};

struct MenuDescription
{
    QString name;
    QString caption;
    bool visible = true;
    QList<MenuDescription> items;
};

struct FormDescription
{
    QString name;
    QString caption;
    float clientWidth = 0;
    float clientHeight = 0;
    bool sizable = true;
    bool centreOnScreen = true;
    ScaleMode scaleMode = ScaleMode::Twips;
    // Resource path of the window icon.
    QString icon;
    // In creation order; where two overlap on one parent, the earlier lies above.
    QList<ControlDescription> controls;
    QList<MenuDescription> menus;
};

} // namespace platform
