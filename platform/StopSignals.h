// How a command-line program is stopped from outside: Ctrl-C, kill, a closed
// terminal and the quit key (SIGINT, SIGTERM, SIGHUP, SIGQUIT) all ask the
// run to stop the same way, between entities, so the pages drawn are kept
// and the unpacked images removed. A reader of the output that goes away
// (SIGPIPE) is no reason to stop. Both command-line programs use this.
#pragma once

namespace platform {

// Catches the stop signals from now on, and ignores SIGPIPE.
void CatchStopSignals();
// A stop signal has come.
bool StopSignalled();

}  // namespace platform
