// The yardstick for start-up time and memory: an empty window of the same size, built with the
// same compiler, flags and Qt as the program.
#include <QApplication>
#include <QWidget>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("Corvanta baseline"));
    window.resize(401, 123);
    window.show();
    return app.exec();
}
