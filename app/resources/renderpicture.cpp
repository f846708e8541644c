// Build-time tool: writes a picture as the PNG that icon themes and the program's resources
// carry. A bitmap (any format Qt reads) is copied pixel for pixel; the SVG drawing is rendered
// at the size asked for.
#include <QImage>
#include <QPainter>
#include <QString>
#include <QSvgRenderer>

#include <cstdio>
#include <cstdlib>

int main(int argc, char *argv[])
{
    if (argc != 3 && argc != 4) {
        std::fprintf(stderr, "usage: corvanta_renderpicture INPUT OUTPUT.png [SIZE]\n");
        return 2;
    }
    const QString input = QString::fromLocal8Bit(argv[1]);
    QImage image;
    if (input.endsWith(QLatin1String(".svg"))) {
        const int size = argc == 4 ? std::atoi(argv[3]) : 0;
        QSvgRenderer renderer(input);
        if (!renderer.isValid() || size <= 0) {
            std::fprintf(stderr, "corvanta_renderpicture: cannot render %s\n", argv[1]);
            return 1;
        }
        image = QImage(size, size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        renderer.render(&painter);
    } else {
        image = QImage(input);
    }
    if (image.isNull()) {
        std::fprintf(stderr, "corvanta_renderpicture: cannot read %s\n", argv[1]);
        return 1;
    }
    if (!image.save(QString::fromLocal8Bit(argv[2]), "PNG")) {
        std::fprintf(stderr, "corvanta_renderpicture: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
