#include "platform/qt/picture.h"

#include <QDirIterator>
#include <QFileInfo>
#include <QIconEngine>
#include <QImageReader>
#include <QPainter>

#include <climits>
#include <map>

namespace platform::qt {

namespace {

// Read as the format its name says. Left to guess, Qt loads every image plugin on the system (and
// the libraries behind them) to ask whether it can read the file, before trying its own readers.
QPixmap loadPicture(const QString &path)
{
    QImageReader reader(path, QFileInfo(path).suffix().toLatin1());
    reader.setAutoDetectImageFormat(false);
    const QImage image = reader.read();
    return image.isNull() ? QPixmap(path) : QPixmap::fromImage(image);
}

// Square renderings by size in pixels; a null pixmap is one not read yet.
struct Renderings
{
    std::map<int, QString> paths;
    mutable std::map<int, QPixmap> read;
};

class PictureEngine final : public QIconEngine
{
public:
    PictureEngine(QPixmap bitmap, Renderings renderings)
        : m_bitmap(std::move(bitmap))
        , m_renderings(std::move(renderings))
    { }

    // Every mode looks the same: the picture is only ever shown enabled.
    QPixmap pixmap(const QSize &size, QIcon::Mode, QIcon::State) override
    {
        const QPixmap chosen = bestFor(std::max(size.width(), size.height()));
        if (chosen.width() <= size.width() && chosen.height() <= size.height())
            return chosen;
        return chosen.scaled(size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    }

    void paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State state) override
    {
        const qreal scale = painter->device() ? painter->device()->devicePixelRatio() : 1.0;
        QPixmap shown = pixmap(rect.size() * scale, mode, state);
        shown.setDevicePixelRatio(scale);
        painter->drawPixmap(rect.topLeft(), shown);
    }

    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override
    {
        QList<QSize> sizes {m_bitmap.size()};
        for (const auto &[pixels, path] : m_renderings.paths)
            sizes.append(QSize(pixels, pixels));
        return sizes;
    }

    QSize actualSize(const QSize &size, QIcon::Mode, QIcon::State) override
    {
        const int side = std::max(size.width(), size.height());
        const int best = bestSizeFor(side);
        return best <= side ? QSize(best, best) : size;
    }

    QIconEngine *clone() const override { return new PictureEngine(*this); }
    QString key() const override { return QStringLiteral("CorvantaPicture"); }

private:
    // The smallest one at least as large as asked for, else the largest there is.
    int bestSizeFor(int side) const
    {
        int best = m_bitmap.width();
        for (const auto &[pixels, path] : m_renderings.paths) {
            if (best >= side)
                break;
            best = std::max(best, pixels);
        }
        return best;
    }

    QPixmap bestFor(int side) const
    {
        const int best = bestSizeFor(side);
        const auto path = m_renderings.paths.find(best);
        if (best == m_bitmap.width() || path == m_renderings.paths.end())
            return m_bitmap;
        QPixmap &read = m_renderings.read[best];
        if (read.isNull())
            read = loadPicture(path->second);
        return read.isNull() ? m_bitmap : read;
    }

    QPixmap m_bitmap;
    Renderings m_renderings;
};

} // namespace

Picture::Picture(const QString &path)
    : m_bitmap(loadPicture(path))
{
    // Listed without a name filter: Qt matches those with a regular expression, which loads and
    // compiles one.
    const QFileInfo picture(path);
    QDirIterator found(picture.path() + u'/' + picture.completeBaseName(), QDir::Files);
    while (found.hasNext()) {
        const QFileInfo rendering(found.next());
        const int pixels = rendering.completeBaseName().toInt();
        if (rendering.suffix() == u"png" && pixels > m_bitmap.width())
            m_renderings.emplace_back(pixels, rendering.filePath());
    }
}

QIcon Picture::icon() const
{
    return icon(INT_MAX);
}

QIcon Picture::icon(int largest) const
{
    Renderings renderings;
    for (const auto &[pixels, path] : m_renderings) {
        if (pixels <= largest)
            renderings.paths.emplace(pixels, path);
    }
    return QIcon(new PictureEngine(m_bitmap, std::move(renderings)));
}

QPixmap Picture::pixmap(qreal devicePixelRatio) const
{
    if (m_bitmap.isNull())
        return m_bitmap;
    return icon().pixmap(m_bitmap.size(), devicePixelRatio);
}

} // namespace platform::qt
