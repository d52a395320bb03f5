// End-to-end: SIGTERM and SIGINT end the real game within a second, with the same shut-down as
// the key q (exit status 0), in a running frame, in a script call that is stuck, and during
// start-up; a script stalled inside a C library call, where the watchdog cannot reach it, is
// still ended within a second by the signal's default action.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>

#include "gameProcess.h"
#include "testSupport.h"

namespace {

const double STARTUP_SECONDS = 30.0;

class EndToEndQuitSignal : public testing::Test {
protected:
    void appendToScript(const std::string& code) { work.write("ui.lua", work.read("ui.lua") + "\n" + code + "\n"); }

    void startAndWaitFor(const std::string& line) {
        ASSERT_TRUE(game.start());
        ASSERT_TRUE(game.waitForOutput(line, STARTUP_SECONDS)) << game.output() << game.errorOutput();
    }

    // Sends `signal` and waits for the game to end; its exit status, and in `seconds` how long
    // that took (-1 when it did not end within five seconds).
    int endWith(int signal, double& seconds) {
        const auto sent = std::chrono::steady_clock::now();
        game.sendSignal(signal);
        const int status = game.waitForExit(5.0);
        seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - sent).count();
        return status;
    }

    TempDir work;
    GameProcess game{work.path()};
};

}  // namespace

TEST_F(EndToEndQuitSignal, EndsARunningGameCleanly) {
    for (int signal : {SIGTERM, SIGINT}) {
        TempDir dir;
        GameProcess running{dir.path()};
        ASSERT_TRUE(running.start());
        ASSERT_TRUE(running.waitForOutput("Done with that, now starting main loop", STARTUP_SECONDS));
        running.pause(0.5);
        const auto sent = std::chrono::steady_clock::now();
        running.sendSignal(signal);
        EXPECT_EQ(0, running.waitForExit(5.0)) << "signal " << signal;
        EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - sent).count(), 1.0);
    }
}

TEST_F(EndToEndQuitSignal, EndsAGameStuckInAScriptCall) {
    // Every tick of every planet is stuck until the watchdog stops it, so the game spends most
    // of its time inside script calls; the signal is sent just after one began.
    appendToScript("function planetTick(id) debugDisplay('stuck') while true do end end");
    startAndWaitFor("Done with that, now starting main loop");
    ASSERT_TRUE(game.waitForOutput("script call stopped: it ran longer than 250 ms", 20.0));
    ASSERT_TRUE(game.waitForOutput("Lua debug:stuck:", 10.0, game.outputSize()));
    double seconds = 0.0;
    EXPECT_EQ(0, endWith(SIGTERM, seconds));
    EXPECT_LT(seconds, 1.0);
    EXPECT_NE(std::string::npos, game.output().find("script call stopped: the game is quitting")) << game.output();
}

TEST_F(EndToEndQuitSignal, EndsTheGameDuringStartUp) {
    // The top level of the script is stuck: the signal arrives while start-up runs it. (Sent as
    // soon as "Loading LUA" shows, it could come before the script starts, which is then not run
    // at all: waiting for the script's own line makes sure it is running.)
    appendToScript("print('stuck at the top') io.stdout:flush() while true do end");
    startAndWaitFor("stuck at the top");
    double seconds = 0.0;
    EXPECT_EQ(0, endWith(SIGINT, seconds));
    EXPECT_LT(seconds, 1.0);
    const std::string out = game.output();
    EXPECT_NE(std::string::npos, out.find("Error opening ui.lua\nui.lua:")) << out;
    EXPECT_EQ(std::string::npos, out.find("Done with that, now starting main loop")) << "start-up was not cut short";
}

TEST_F(EndToEndQuitSignal, EndsAScriptStalledInACLibraryCallWithinASecond) {
    // A pattern match that backtracks for ever runs no Lua instruction the watchdog could stop.
    appendToScript("function planetTick(id) debugDisplay('stalled')\n"
                   "    string.find(string.rep('a', 40), string.rep('a*', 40) .. 'b') end");
    startAndWaitFor("Done with that, now starting main loop");
    ASSERT_TRUE(game.waitForOutput("Lua debug:stalled:", 10.0));
    double seconds = 0.0;
    // Not the clean shut-down: the signal's own action ends the process.
    EXPECT_EQ(128 + SIGTERM, endWith(SIGTERM, seconds));
    EXPECT_LT(seconds, 1.0);
}
