// Starts Xvfb on a free display (it names the one it took through -displayfd) and waits for it.
#include "sizedScreen.h"

#include "displayWait.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

SizedScreen::SizedScreen(int width, int height) {
    if (const char* display = std::getenv("DISPLAY")) {
        previous = display;
        hadPrevious = true;
    }
    int fds[2];
    if (pipe(fds) != 0) return;
    pid = fork();
    if (pid == 0) {
        close(fds[0]);
        const std::string screen = std::to_string(width) + "x" + std::to_string(height) + "x24";
        const std::string fd = std::to_string(fds[1]);
        // -noreset: the server would otherwise refuse connections while resetting after each client.
        execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", screen.c_str(), "-noreset", "-nolisten",
               "tcp", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(fds[1]);
    if (pid < 0) {
        close(fds[0]);
        return;
    }
    std::string number;
    char c = 0;
    while (read(fds[0], &c, 1) == 1 && c != '\n') number += c;
    close(fds[0]);
    if (number.empty()) return;
    name = ":" + number;
    setenv("DISPLAY", name.c_str(), 1);
    answering = waitForDisplay(10.0);
}

SizedScreen::~SizedScreen() {
    if (pid > 0) {
        kill(pid, SIGTERM);
        waitpid(pid, nullptr, 0);
    }
    if (hadPrevious)
        setenv("DISPLAY", previous.c_str(), 1);
    else
        unsetenv("DISPLAY");
}
