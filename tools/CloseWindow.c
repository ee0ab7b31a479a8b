/* Asks a top-level window, found by its title, to close: the same
 * WM_DELETE_WINDOW request a window manager sends when the user clicks the
 * close button. Used by play.sh on displays without a window manager. */
#include <stdio.h>
#include <string.h>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

/* Other clients on the display open and close windows while the tree is
 * walked; a window gone between listing and asking is skipped, not fatal. */
static int IgnoreError(Display* display, XErrorEvent* error)
{
    (void)display;
    (void)error;
    return 0;
}

static Window FindByTitle(Display* display, Window window, const char* title)
{
    char* name = NULL;
    if (XFetchName(display, window, &name) && name) {
        int match = strcmp(name, title) == 0;
        XFree(name);
        if (match)
            return window;
    }
    Window root, parent, *children = NULL;
    unsigned int count = 0;
    Window found = 0;
    if (XQueryTree(display, window, &root, &parent, &children, &count)) {
        for (unsigned int i = 0; i < count && !found; ++i)
            found = FindByTitle(display, children[i], title);
        if (children)
            XFree(children);
    }
    return found;
}

int main(int argc, char** argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: %s WINDOW-TITLE\n", argv[0]);
        return 2;
    }
    Display* display = XOpenDisplay(NULL);
    if (!display) {
        fprintf(stderr, "cannot open display\n");
        return 1;
    }
    XSetErrorHandler(IgnoreError);
    Window window = FindByTitle(display, DefaultRootWindow(display), argv[1]);
    if (!window) {
        fprintf(stderr, "no window titled \"%s\"\n", argv[1]);
        XCloseDisplay(display);
        return 1;
    }
    XEvent event;
    memset(&event, 0, sizeof event);
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = (long)XInternAtom(display, "WM_DELETE_WINDOW", False);
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, window, False, NoEventMask, &event);
    XFlush(display);
    XCloseDisplay(display);
    return 0;
}
