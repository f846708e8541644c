// The main window's text box with large text: a paste, a key typed at its end and the text read
// back, each timed on its own. Not a test: run by hand, see bench/README.
//     corvanta-bench-textbox [--plain] [--lines] [--no-spaces] [SIZE-IN-KIB ...]
// --plain times a bare QPlainTextEdit set up as the box is, for what Qt itself costs; --lines
// pastes the pairs one a line; --no-spaces pastes them without the spaces in their keywords.
#include "app/frmmaindescription.h"
#include "platform/control.h"
#include "platform/formevents.h"
#include "platform/qt/qtform.h"

#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QTest>

#include <cstdio>
#include <ctime>

namespace {

class NoEvents final : public platform::IFormEvents
{
public:
    void loadEvent() override { }
    void resizeEvent() override { }
    void mouseMoveEvent(short, short, float, float) override { }
    void unloadEvent(bool &) override { }
    void clickEvent(const QString &) override { }
    void textChangeEvent(const QString &) override { }
};

double cpuSeconds()
{
    timespec t {};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

// A pasted connection string: one line of pairs, a quoted value now and then; or, in lines, as
// a file of them would be; or without a space, so that a wrapped line has nowhere to break.
QString connectionText(qsizetype bytes, bool lines, bool spaces)
{
    QString piece = QStringLiteral("Provider=SQLOLEDB.1;Data Source=db01;Extended "
                                   "Properties=\"a=1;b='x'\";User ID=sa;");
    if (lines)
        piece += u'\n';
    if (!spaces)
        piece.remove(u' ');
    QString text;
    text.reserve(bytes + piece.size());
    while (text.size() < bytes)
        text += piece;
    text.truncate(bytes);
    return text;
}

template<typename Step> void timed(const char *what, qsizetype kib, Step &&step)
{
    QElapsedTimer wall;
    const double cpu = cpuSeconds();
    wall.start();
    step();
    QCoreApplication::processEvents();
    std::printf("%-8s %7lld KiB  wall %8.3f s  cpu %8.3f s\n", what, static_cast<long long>(kib),
                double(wall.nsecsElapsed()) / 1e9, cpuSeconds() - cpu);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    QStringList arguments = QCoreApplication::arguments().mid(1);
    const bool plain = arguments.removeAll(QStringLiteral("--plain")) > 0;
    const bool lines = arguments.removeAll(QStringLiteral("--lines")) > 0;
    const bool spaces = arguments.removeAll(QStringLiteral("--no-spaces")) == 0;
    QList<qsizetype> sizes;
    for (const QString &argument : arguments)
        sizes.append(argument.toLongLong());
    if (sizes.isEmpty())
        sizes = {100, 200, 500, 1000, 5000};

    NoEvents events;
    platform::qt::QtForm form(app::frmMainDescription(), events);
    QPlainTextEdit bare;
    std::shared_ptr<platform::ITextBox> box = form.textBox(QStringLiteral("txtConnStr"));
    auto *editor
        = plain ? &bare : form.widget()->findChild<QPlainTextEdit *>(QStringLiteral("txtConnStr"));
    if (plain) {
        bare.setTabChangesFocus(true);
        bare.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        bare.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        bare.resize(editor ? editor->size() : QSize(393, 86));
        bare.show();
    } else {
        form.widget()->show();
    }
    if (!QTest::qWaitForWindowExposed(editor->window()))
        return 1;

    for (const qsizetype kib : sizes) {
        const QString text = connectionText(kib * 1024, lines, spaces);
        if (plain)
            bare.clear();
        else
            box->SetText(QString());
        QGuiApplication::clipboard()->setText(text);
        editor->setFocus();
        timed("paste", kib, [&] { editor->paste(); });
        timed("type", kib, [&] { QTest::keyClick(editor, Qt::Key_X); });
        timed("backspace", kib, [&] { QTest::keyClick(editor, Qt::Key_Backspace); });
        const QString back = plain ? editor->toPlainText() : box->Text();
        if (back != text) {
            std::fprintf(stderr, "the text did not come back as pasted at %lld KiB\n",
                         static_cast<long long>(kib));
            return 1;
        }
    }
    return 0;
}
