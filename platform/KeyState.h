// Whether the Esc key is down right now, read from the display server
// without processing any window events (X11; elsewhere always false).
#pragma once

namespace platform {
bool EscapeKeyDown();
}
