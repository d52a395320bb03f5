// SIGTERM and SIGINT as a request to quit (see quitSignals.h).
#include "quitSignals.h"

#include <sys/time.h>

namespace {

// A signal handler can reach nothing but objects of static storage, so these two are the state
// shared with the handlers: the signal that asked to quit (0 for none) and the fallback delay.
volatile sig_atomic_t quitSignal = 0;
volatile sig_atomic_t fallbackDelayMs = 0;

// Ends the process by the default action of signal `number`, as if it had never been caught.
void endNow(int number) {
    signal(number, SIG_DFL);
    raise(number);
}

void onQuitSignal(int number) {
    if (quitSignal != 0) {
        endNow(number);
        return;
    }
    quitSignal = number;
    if (fallbackDelayMs > 0) {
        itimerval timer{};
        timer.it_value.tv_sec = fallbackDelayMs / 1000;
        timer.it_value.tv_usec = (fallbackDelayMs % 1000) * 1000;
        setitimer(ITIMER_REAL, &timer, nullptr);
    }
}

void onFallback(int) { endNow(quitSignal != 0 ? quitSignal : SIGTERM); }

void install(int number, void (*handler)(int), struct sigaction& previous) {
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    // Interrupted system calls of SDL, X and the sound library carry on as if nothing happened.
    action.sa_flags = SA_RESTART;
    sigaction(number, &action, &previous);
}

void disarmFallback() {
    itimerval off{};
    setitimer(ITIMER_REAL, &off, nullptr);
}

}  // namespace

QuitSignals::QuitSignals(int fallbackMs) {
    quitSignal = 0;
    fallbackDelayMs = fallbackMs > 0 ? fallbackMs : 0;
    install(SIGALRM, onFallback, previousAlarm);
    install(SIGTERM, onQuitSignal, previousTerm);
    install(SIGINT, onQuitSignal, previousInt);
}

QuitSignals::~QuitSignals() {
    sigaction(SIGINT, &previousInt, nullptr);
    sigaction(SIGTERM, &previousTerm, nullptr);
    disarmFallback();
    sigaction(SIGALRM, &previousAlarm, nullptr);
    quitSignal = 0;
}

bool quitSignalled() { return quitSignal != 0; }
