// Writes what an X display shows as a binary PPM (P6) file: the whole root
// window, or one window given by its id. The end-to-end tests take their
// screenshots with it, so that they see the frames the program really put on
// the screen rather than its own idea of them.
//
// Usage: x11_capture <out.ppm> [window id, decimal or 0x hex]
//        x11_capture --list     (the shown top-level windows: id w h name)
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

int Shift(unsigned long mask) {
  int s = 0;
  while (mask && !(mask & 1)) {
    mask >>= 1;
    ++s;
  }
  return s;
}

int Scale(unsigned long value, unsigned long mask) {
  // Channels narrower than 8 bits are widened to 0..255.
  unsigned long max = mask >> Shift(mask);
  return max ? static_cast<int>(value * 255 / max) : 0;
}

// One line per shown child of the root window: "id width height name".
int ListWindows(Display* display) {
  Window root = DefaultRootWindow(display), parent = 0, *children = nullptr;
  unsigned count = 0;
  if (!XQueryTree(display, root, &root, &parent, &children, &count)) return 1;
  for (unsigned i = 0; i < count; ++i) {
    XWindowAttributes a;
    if (!XGetWindowAttributes(display, children[i], &a) || a.map_state != IsViewable) continue;
    // The title as the window manager would show it: the UTF-8 name some
    // windows (message boxes) carry alone, else the plain one.
    std::string title;
    XTextProperty text;
    Atom netName = XInternAtom(display, "_NET_WM_NAME", False);
    if (XGetTextProperty(display, children[i], &text, netName) && text.value) {
      title.assign(reinterpret_cast<char*>(text.value), text.nitems);
      XFree(text.value);
    } else if (char* name = nullptr; XFetchName(display, children[i], &name) && name) {
      title = name;
      XFree(name);
    }
    std::printf("%lu %d %d %s\n", static_cast<unsigned long>(children[i]), a.width, a.height,
                title.c_str());
  }
  if (children) XFree(children);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s out.ppm [window]\n", argv[0]);
    return 2;
  }
  Display* display = XOpenDisplay(nullptr);
  if (!display) {
    std::fprintf(stderr, "x11_capture: no display\n");
    return 1;
  }
  if (std::strcmp(argv[1], "--list") == 0) {
    int r = ListWindows(display);
    XCloseDisplay(display);
    return r;
  }
  Window window = argc > 2 ? static_cast<Window>(std::strtoul(argv[2], nullptr, 0))
                           : DefaultRootWindow(display);
  XWindowAttributes attrs;
  if (!XGetWindowAttributes(display, window, &attrs) || attrs.width <= 0 || attrs.height <= 0) {
    std::fprintf(stderr, "x11_capture: no such window\n");
    XCloseDisplay(display);
    return 1;
  }
  XImage* image = XGetImage(display, window, 0, 0, static_cast<unsigned>(attrs.width),
                            static_cast<unsigned>(attrs.height), AllPlanes, ZPixmap);
  if (!image) {
    std::fprintf(stderr, "x11_capture: the window cannot be read (unmapped?)\n");
    XCloseDisplay(display);
    return 1;
  }
  const int w = image->width, h = image->height;
  std::vector<unsigned char> rgb(static_cast<size_t>(w) * h * 3);
  const unsigned long rm = image->red_mask, gm = image->green_mask, bm = image->blue_mask;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      unsigned long p = XGetPixel(image, x, y);
      unsigned char* out = &rgb[(static_cast<size_t>(y) * w + x) * 3];
      out[0] = static_cast<unsigned char>(Scale((p & rm) >> Shift(rm), rm));
      out[1] = static_cast<unsigned char>(Scale((p & gm) >> Shift(gm), gm));
      out[2] = static_cast<unsigned char>(Scale((p & bm) >> Shift(bm), bm));
    }
  XDestroyImage(image);
  XCloseDisplay(display);

  FILE* f = std::fopen(argv[1], "wb");
  if (!f) {
    std::fprintf(stderr, "x11_capture: cannot write %s\n", argv[1]);
    return 1;
  }
  std::fprintf(f, "P6\n%d %d\n255\n", w, h);
  bool ok = std::fwrite(rgb.data(), 1, rgb.size(), f) == rgb.size();
  ok = std::fclose(f) == 0 && ok;
  return ok ? 0 : 1;
}
