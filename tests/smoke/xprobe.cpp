// A small X client for the smoke test: finds a top-level window by its title
// and reports where its client area is, reads a pixel of it, or asks it to
// close as a window manager would.
//
//   xprobe origin TITLE       -> "X Y" of the client area on the screen
//   xprobe geometry TITLE     -> "X Y WIDTH HEIGHT" of the client area
//   xprobe frame TITLE        -> the same of its frame, decorations included
//   xprobe pixel TITLE X Y    -> "R G B" at client position X, Y
//   xprobe close TITLE        -> sends WM_DELETE_WINDOW
//   xprobe serving            -> succeeds once a window manager answers requests

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <poll.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

Window FindByTitle(Display* display, Window window, const char* title) {
  char* name = nullptr;
  if (XFetchName(display, window, &name) && name) {
    const bool match = std::strcmp(name, title) == 0;
    XFree(name);
    if (match) return window;
  }
  Window root, parent, *children = nullptr;
  unsigned count = 0;
  if (!XQueryTree(display, window, &root, &parent, &children, &count)) return 0;
  Window found = 0;
  for (unsigned i = 0; i < count && !found; ++i) found = FindByTitle(display, children[i], title);
  if (children) XFree(children);
  return found;
}

int Usage() {
  std::fputs("usage: xprobe origin TITLE | geometry TITLE | frame TITLE | pixel TITLE X Y | close TITLE | serving\n",
             stderr);
  return 2;
}

// The window's top-level ancestor: the window manager's frame round it, or itself.
Window FrameOf(Display* display, Window window) {
  for (;;) {
    Window root, parent, *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(display, window, &root, &parent, &children, &count)) return window;
    if (children) XFree(children);
    if (parent == root) return window;
    window = parent;
  }
}

void PrintGeometry(Display* display, Window window) {
  XWindowAttributes attributes{};
  XGetWindowAttributes(display, window, &attributes);
  int x = 0, y = 0;
  Window child;
  XTranslateCoordinates(display, window, DefaultRootWindow(display), 0, 0, &x, &y, &child);
  std::printf("%d %d %d %d\n", x, y, attributes.width, attributes.height);
}

// A window manager that has taken over the screen may still be starting, and
// one that is misses the windows mapped meanwhile. It serves once it answers
// a request for a window's frame extents; the request also wakes one that
// slept through earlier ones.
bool WindowManagerServes(Display* display) {
  constexpr int answerMs = 200;
  const Window root = DefaultRootWindow(display);
  const Window window = XCreateSimpleWindow(display, root, 0, 0, 1, 1, 0, 0, 0);
  XSelectInput(display, window, PropertyChangeMask);
  const Atom extents = XInternAtom(display, "_NET_FRAME_EXTENTS", False);
  XEvent request{};
  request.xclient.type = ClientMessage;
  request.xclient.window = window;
  request.xclient.message_type = XInternAtom(display, "_NET_REQUEST_FRAME_EXTENTS", False);
  request.xclient.format = 32;
  XSendEvent(display, root, False, SubstructureRedirectMask | SubstructureNotifyMask, &request);
  XFlush(display);
  pollfd connection{ConnectionNumber(display), POLLIN, 0};
  while (XPending(display) || poll(&connection, 1, answerMs) > 0) {
    XEvent event;
    XNextEvent(display, &event);
    if (event.type == PropertyNotify && event.xproperty.atom == extents) return true;
  }
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || (argc < 3 && std::strcmp(argv[1], "serving") != 0)) return Usage();
  Display* display = XOpenDisplay(nullptr);
  if (!display) {
    std::fputs("xprobe: cannot open display\n", stderr);
    return 1;
  }
  const std::string command = argv[1];
  if (command == "serving") return WindowManagerServes(display) ? 0 : 1;
  const Window window = FindByTitle(display, DefaultRootWindow(display), argv[2]);
  if (!window) {
    std::fprintf(stderr, "xprobe: no window titled '%s'\n", argv[2]);
    return 1;
  }
  if (command == "origin") {
    int x = 0, y = 0;
    Window child;
    XTranslateCoordinates(display, window, DefaultRootWindow(display), 0, 0, &x, &y, &child);
    std::printf("%d %d\n", x, y);
  } else if (command == "geometry") {
    PrintGeometry(display, window);
  } else if (command == "frame") {
    PrintGeometry(display, FrameOf(display, window));
  } else if (command == "pixel" && argc == 5) {
    XImage* image = XGetImage(display, window, std::atoi(argv[3]), std::atoi(argv[4]), 1, 1, AllPlanes, ZPixmap);
    if (!image) return 1;
    const unsigned long pixel = XGetPixel(image, 0, 0);
    std::printf("%lu %lu %lu\n", (pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF, pixel & 0xFF);
    XDestroyImage(image);
  } else if (command == "close") {
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = long(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, window, False, NoEventMask, &event);
    XFlush(display);
  } else {
    return Usage();
  }
  XCloseDisplay(display);
  return 0;
}
