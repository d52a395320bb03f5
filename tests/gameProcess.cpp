// Runs and drives the real game binary for end-to-end tests.
#include "gameProcess.h"
#include "contentCopy.h"
#include "displayWait.h"

#include <X11/Xlib.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <boost/filesystem.hpp>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>
#include <thread>

namespace fs = boost::filesystem;

namespace {
std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}
}  // namespace

GameProcess::GameProcess(const std::string& workDirectory) : dir(workDirectory) {
    // A failed copy shows as a game that does not start.
    copyContent(fs::path(std::string(QUORBLE_SOURCE_DIR) + "/data"), dir);
}

GameProcess::~GameProcess() {
    if (pid > 0 && running()) {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
    }
}

void prepareGameEnvironment() {
    setenv("ALSOFT_DRIVERS", "null", 1);
    // Mesa's driver is unloaded at exit before the leak check runs, which leaves its own
    // allocations unattributable; the game's leaks are checked by the in-process tests.
    if (const char* asan = getenv("ASAN_OPTIONS")) setenv("ASAN_OPTIONS", (std::string(asan) + ":detect_leaks=0").c_str(), 1);
}

bool GameProcess::start(bool unsetDisplay) {
    if (!unsetDisplay && !waitForDisplay()) return false;
    // The child would otherwise write out this process's pending output a second time.
    std::cout.flush();
    std::fflush(stdout);
    pid = fork();
    if (pid < 0) return false;
    if (pid == 0) {
        if (chdir(dir.c_str()) != 0) _exit(127);
        if (!freopen("stdout.txt", "w", stdout) || !freopen("stderr.txt", "w", stderr)) _exit(127);
        prepareGameEnvironment();
        if (unsetDisplay) unsetenv("DISPLAY");
        execl(QUORBLE_BINARY, "quorble", static_cast<char*>(nullptr));
        _exit(127);
    }
    return true;
}

bool GameProcess::running() {
    if (pid <= 0 || exitStatus >= 0) return false;
    int status = 0;
    pid_t done = waitpid(pid, &status, WNOHANG);
    if (done == pid) {
        exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        return false;
    }
    return true;
}

bool GameProcess::waitForOutput(const std::string& text, double seconds, size_t from) {
    auto start = std::chrono::steady_clock::now();
    while (secondsSince(start) < seconds) {
        std::string out = output();
        if (out.size() > from && out.find(text, from) != std::string::npos) return true;
        if (!running()) return output().find(text, from) != std::string::npos;
        pause(0.05);
    }
    return false;
}

int GameProcess::waitForExit(double seconds) {
    auto start = std::chrono::steady_clock::now();
    while (secondsSince(start) < seconds) {
        if (!running()) return exitStatus;
        pause(0.05);
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    pid = -1;
    return -1;
}

std::string GameProcess::output() const { return readFile(dir + "stdout.txt"); }
std::string GameProcess::errorOutput() const { return readFile(dir + "stderr.txt"); }

std::string GameProcess::windowId() {
    std::string id = runCommand("xdotool search --name '^Quorble$' 2>/dev/null | head -n 1");
    while (!id.empty() && (id.back() == '\n' || id.back() == ' ')) id.pop_back();
    return id;
}

void GameProcess::key(const std::string& keys) { runCommand("xdotool key --delay 30 " + keys); }
void GameProcess::keyDown(const std::string& keys) { runCommand("xdotool keydown " + keys); }
void GameProcess::keyUp(const std::string& keys) { runCommand("xdotool keyup " + keys); }

void GameProcess::holdKey(const std::string& keys, double seconds) {
    keyDown(keys);
    pause(seconds);
    keyUp(keys);
}

void GameProcess::click(int button) { runCommand("xdotool click " + std::to_string(button)); }
void GameProcess::mouseDown(int button) { runCommand("xdotool mousedown " + std::to_string(button)); }
void GameProcess::mouseUp(int button) { runCommand("xdotool mouseup " + std::to_string(button)); }

void GameProcess::moveMouseRelative(int dx, int dy) {
    runCommand("xdotool mousemove_relative -- " + std::to_string(dx) + " " + std::to_string(dy));
}

void GameProcess::moveCursorTo(float x, float y) {
    const float CURSOR_STEP = 0.15f;  // percent of the screen per mouse count
    // Small moves: the game re-centres the X pointer only once a frame, and when slow frames let
    // several moves pile up, a large one would run the pointer into the screen's edge and lose
    // part of the motion.
    const int MOST_PER_MOVE = 25;
    for (int i = 0; i < 32; ++i) {  // 800 counts each way: from anywhere into the corner
        moveMouseRelative(-MOST_PER_MOVE, MOST_PER_MOVE);
        pause(0.02);
    }
    int dx = static_cast<int>(std::lround(x / CURSOR_STEP));
    int dy = -static_cast<int>(std::lround(y / CURSOR_STEP));
    while (dx != 0 || dy != 0) {
        int sx = std::max(-MOST_PER_MOVE, std::min(MOST_PER_MOVE, dx));
        int sy = std::max(-MOST_PER_MOVE, std::min(MOST_PER_MOVE, dy));
        moveMouseRelative(sx, sy);
        pause(0.02);
        dx -= sx;
        dy -= sy;
    }
    pause(0.4);
}

void GameProcess::clickAt(float x, float y) {
    moveCursorTo(x, y);
    click(1);
    pause(0.4);
}

bool GameProcess::clickUntil(float x, float y, const std::string& expected, int attempts) {
    for (int attempt = 0; attempt < attempts; ++attempt) {
        size_t before = outputSize();
        moveCursorTo(x, y);
        click(1);
        if (waitForOutput(expected, 5.0, before)) return true;
    }
    return false;
}

bool GameProcess::closeWindow() {
    std::string id = windowId();
    if (id.empty()) return false;
    Display* display = XOpenDisplay(nullptr);
    if (!display) return false;
    Window window = static_cast<Window>(std::strtoul(id.c_str(), nullptr, 10));
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", True);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    Status sent = XSendEvent(display, window, False, NoEventMask, &event);
    XFlush(display);
    XCloseDisplay(display);
    return sent != 0;
}

void GameProcess::sendSignal(int signal) {
    if (pid > 0 && running()) kill(pid, signal);
}

Screenshot GameProcess::screenshot(const std::string& name) { return takeScreenshot(name, dir); }

void GameProcess::pause(double seconds) const {
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
}
