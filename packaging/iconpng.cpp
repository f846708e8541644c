// Build-time tool: writes a picture the program carries in its resources (any format Qt reads)
// as the PNG that icon themes expect.
#include <QImage>
#include <QString>

#include <cstdio>

int main(int argc, char *argv[])
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: corvanta_iconpng INPUT OUTPUT.png\n");
        return 2;
    }
    const QImage image(QString::fromLocal8Bit(argv[1]));
    if (image.isNull()) {
        std::fprintf(stderr, "corvanta_iconpng: cannot read %s\n", argv[1]);
        return 1;
    }
    if (!image.save(QString::fromLocal8Bit(argv[2]), "PNG")) {
        std::fprintf(stderr, "corvanta_iconpng: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
