#include "platform/KeyState.h"

#include <QGuiApplication>

#if __has_include(<X11/Xlib.h>)
#include <X11/Xlib.h>
#include <X11/keysym.h>
#endif
#include <QtGui/qguiapplication_platform.h>

namespace platform {

bool EscapeKeyDown() {
#if QT_CONFIG(xcb) && __has_include(<X11/Xlib.h>)
  auto* app = qGuiApp;
  if (!app) return false;
  auto* x11 = app->nativeInterface<QNativeInterface::QX11Application>();
  if (!x11) return false;
  Display* display = x11->display();
  if (!display) return false;
  static const KeyCode escape = XKeysymToKeycode(display, XK_Escape);
  char keys[32];
  XQueryKeymap(display, keys);
  return (keys[escape / 8] & (1 << (escape % 8))) != 0;
#else
  return false;
#endif
}

}  // namespace platform
