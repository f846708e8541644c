// Answers the questions about an X server that the command-line X tools cannot: which window
// owns a selection (the notification-area host announces itself that way).
#include <X11/Xlib.h>

#include <cstdio>
#include <cstring>

namespace {

int usage()
{
    std::fprintf(stderr, "usage: corvanta_xprobe selection-owner SELECTION\n");
    return 2;
}

// Prints the owner's id and succeeds, or fails quietly while nobody owns the selection, so that
// a shell loop can poll it.
int selectionOwner(Display *display, const char *selection)
{
    const Atom atom = XInternAtom(display, selection, False);
    const Window owner = XGetSelectionOwner(display, atom);
    if (owner == None)
        return 1;
    std::printf("0x%lx\n", owner);
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 3 || std::strcmp(argv[1], "selection-owner") != 0)
        return usage();
    Display *display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "corvanta_xprobe: cannot open display\n");
        return 2;
    }
    const int status = selectionOwner(display, argv[2]);
    XCloseDisplay(display);
    return status;
}
