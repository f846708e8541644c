// The second yardstick: the main window's controls in a plain Qt window, none of the program's
// code, the banner picture aside. Against the empty window it shows what Qt charges for text, a
// text box and buttons; against the program, what the program adds to that.
#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("Corvanta widgets baseline"));
    window.resize(401, 123);

    // Positions as the program lays them out at 96 dpi, so the same pixels are drawn.
    auto *text = new QPlainTextEdit(&window);
    text->setGeometry(3, 3, 394, 86);
    text->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    auto *panel = new QFrame(&window);
    panel->setFrameShape(QFrame::StyledPanel);
    panel->setGeometry(72, 16, 249, 57);
    (new QLabel(QStringLiteral("Corvanta"), panel))->setGeometry(56, 16, 177, 17);
    (new QLabel(QStringLiteral("\u00a9 2026 the Corvanta team"), panel))
        ->setGeometry(56, 32, 169, 17);
    const char *captions[] = {"Create", "Copy to Clipboard", "Clear", "Exit"};
    for (int i = 0; i < 4; ++i)
        (new QPushButton(QString::fromLatin1(captions[i]), &window))
            ->setGeometry(3 + 99 * i, 94, 97, 25);
    auto *menu = new QMenu(&window);
    menu->addAction(QStringLiteral("&Restore"));
    menu->addAction(QStringLiteral("E&xit"));

    window.show();
    return app.exec();
}
