#pragma once

#include <QIcon>
#include <QPixmap>
#include <QString>

#include <utility>
#include <vector>

namespace platform::qt {

// A picture is a bitmap drawn for 1x, read from `path`. Sharper renderings of the same drawing,
// where there are any, lie beside it in a folder named after it and are named by their size in
// pixels (picture.xpm, picture/64.png, ...).
class Picture
{
public:
    explicit Picture(const QString &path);

    // Every rendering on offer, each read only when a use first asks for its size: a window's
    // notification-area icon and its banner need one each, not all of them at start-up.
    QIcon icon() const;
    // The renderings up to `largest` pixels only, for uses that take every size they are offered
    // (an X11 window hands each one to the window manager).
    QIcon icon(int largest) const;
    // The bitmap's own size at the screen's scale, from the rendering that suits it.
    QPixmap pixmap(qreal devicePixelRatio) const;

private:
    QPixmap m_bitmap;
    // Size in pixels and path of each rendering larger than the bitmap.
    std::vector<std::pair<int, QString>> m_renderings;
};

} // namespace platform::qt
