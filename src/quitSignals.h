// SIGTERM and SIGINT as a request to quit that the frame loop and the script watchdog notice.
#pragma once

#include <signal.h>

// How long a quit request may wait for the frame loop before the process is ended without the
// clean shut-down (a script stalled inside a C library call, a hung driver).
constexpr int QUIT_FALLBACK_MS = 600;

// While it lives, SIGTERM and SIGINT set the quit request instead of ending the process; the
// previous handlers come back when it is destroyed. The entry function holds one for the whole
// run. Installed before SDL starts, it is kept by SDL, whose own handlers only queue a quit
// event that a loop stuck in a script would never read.
//
// A first signal also arms a fallback: if the process is still running `fallbackMs` later, the
// signal is raised again with its default action. A second signal ends the process at once.
// `fallbackMs` 0 arms nothing.
class QuitSignals {
public:
    explicit QuitSignals(int fallbackMs = QUIT_FALLBACK_MS);
    ~QuitSignals();
    QuitSignals(const QuitSignals&) = delete;
    QuitSignals& operator=(const QuitSignals&) = delete;

private:
    struct sigaction previousTerm {};
    struct sigaction previousInt {};
    struct sigaction previousAlarm {};
};

// Whether SIGTERM or SIGINT arrived while a QuitSignals was installed.
bool quitSignalled();
