// The installed game: `cmake --install` into a temporary prefix, then the launcher started from
// another working directory with a fresh HOME, as a player starts it from the menu.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <boost/filesystem.hpp>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

#include "displayWait.h"
#include "gameProcess.h"
#include "testSupport.h"

namespace fs = boost::filesystem;

namespace {
const double STARTUP_SECONDS = 30.0;

std::string readFile(const fs::path& path) {
    std::ifstream in(path.string());
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void pause(double seconds) { std::this_thread::sleep_for(std::chrono::duration<double>(seconds)); }

// The launcher as a child with its own environment; output into files of `logs`.
class Launched {
public:
    Launched(const fs::path& launcher, const fs::path& cwd, const fs::path& home, const fs::path& logs)
        : out(logs / "stdout.txt") {
        std::cout.flush();
        std::fflush(stdout);
        pid = fork();
        if (pid == 0) {
            if (chdir(cwd.c_str()) != 0) _exit(127);
            if (!freopen(out.c_str(), "w", stdout) || !freopen((logs / "stderr.txt").c_str(), "w", stderr)) _exit(127);
            setenv("HOME", home.c_str(), 1);
            unsetenv("XDG_DATA_HOME");
            prepareGameEnvironment();
            execl(launcher.c_str(), "quorble", static_cast<char*>(nullptr));
            _exit(127);
        }
    }
    ~Launched() {
        if (pid > 0 && !ended) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
    }
    std::string output() const { return readFile(out); }
    bool waitFor(const std::string& text, double seconds) {
        for (double waited = 0.0; waited < seconds; waited += 0.1) {
            if (output().find(text) != std::string::npos) return true;
            if (exited()) return output().find(text) != std::string::npos;
            pause(0.1);
        }
        return false;
    }
    bool exited() {
        if (ended) return true;
        int status = 0;
        if (waitpid(pid, &status, WNOHANG) == pid) {
            ended = true;
            exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        }
        return ended;
    }
    int waitForExit(double seconds) {
        for (double waited = 0.0; waited < seconds; waited += 0.1) {
            if (exited()) return exitStatus;
            pause(0.1);
        }
        return -1;
    }

private:
    fs::path out;
    pid_t pid = -1;
    bool ended = false;
    int exitStatus = -1;
};

class EndToEndInstall : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        prefix = new TempDir();
        const std::string command = "cmake --install '" + std::string(QUORBLE_BUILD_DIR) + "' --prefix '" +
                                    prefix->path() + "' >'" + prefix->path() + "install.log' 2>&1";
        installStatus = std::system(command.c_str());
    }
    static void TearDownTestSuite() {
        delete prefix;
        prefix = nullptr;
    }
    void SetUp() override {
        ASSERT_EQ(0, installStatus) << readFile(prefix->path() + "install.log");
        ASSERT_TRUE(waitForDisplay());
        fs::create_directories(home.path() + "h");
        fs::create_directories(elsewhere.path());
    }
    fs::path launcher() const { return prefix->path() + "bin/quorble"; }
    fs::path userFolder() const { return home.path() + "h/.local/share/quorble"; }

    static TempDir* prefix;
    static int installStatus;
    TempDir home;
    TempDir elsewhere;
    TempDir logs;
};
TempDir* EndToEndInstall::prefix = nullptr;
int EndToEndInstall::installStatus = -1;
}  // namespace

TEST_F(EndToEndInstall, InstallsEverythingTheMenuNeeds) {
    const std::string p = prefix->path();
    for (const char* file : {"bin/quorble", "lib/quorble/quorble", "share/quorble/data/ui.lua",
                             "share/quorble/data/lua/market.lua", "share/quorble/data/sounds/explosion.wav",
                             "share/applications/quorble.desktop", "share/icons/hicolor/128x128/apps/quorble.png"})
        EXPECT_TRUE(fs::exists(p + file)) << file;
    EXPECT_FALSE(fs::exists(p + "share/quorble/data/saves"));
    const std::string entry = readFile(p + "share/applications/quorble.desktop");
    EXPECT_NE(entry.find("\nExec=quorble\n"), std::string::npos) << entry;
    EXPECT_NE(entry.find("\nIcon=quorble\n"), std::string::npos) << entry;
}

TEST_F(EndToEndInstall, LauncherPlaysInThePlayersFolderAndSavesThere) {
    Launched game(launcher(), elsewhere.path(), home.path() + "h", logs.path());
    ASSERT_TRUE(game.waitFor("Done with that, now starting main loop", STARTUP_SECONDS))
        << game.output() << readFile(logs.path() + "stderr.txt");
    EXPECT_EQ(game.output().find("\nError"), std::string::npos) << game.output();
    pause(0.5);
    std::system("xdotool key --delay 30 shift+F2");
    for (int i = 0; i < 50 && !fs::exists(userFolder() / "saves/2/PlayerDataSAV.xml"); ++i) pause(0.1);
    EXPECT_TRUE(fs::exists(userFolder() / "saves/2/PlayerDataSAV.xml"));
    EXPECT_TRUE(fs::exists(userFolder() / "saves/2/universeSAV.xml"));
    std::system("xdotool key q");
    EXPECT_EQ(0, game.waitForExit(10.0));
    // Nothing was written where the game was started from, nor into the installed data.
    EXPECT_TRUE(fs::is_empty(elsewhere.path()));
    EXPECT_FALSE(fs::exists(prefix->path() + "share/quorble/data/saves"));
    // The folder links the installed files, in their sub-folders too.
    EXPECT_TRUE(fs::is_symlink(userFolder() / "ui.lua"));
    EXPECT_TRUE(fs::is_symlink(userFolder() / "lua/market.lua"));
    EXPECT_TRUE(fs::is_directory(userFolder() / "saves"));
}

TEST_F(EndToEndInstall, APlayersOwnScriptInTheFolderIsTheOneThatRuns) {
    fs::create_directories(userFolder());
    const std::string shipped = readFile(prefix->path() + "share/quorble/data/ui.lua");
    {
        std::ofstream own((userFolder() / "ui.lua").string());
        own << "print(\"the player's own ui.lua runs\")\n" << shipped;
    }
    Launched game(launcher(), elsewhere.path(), home.path() + "h", logs.path());
    ASSERT_TRUE(game.waitFor("Done with that, now starting main loop", STARTUP_SECONDS)) << game.output();
    EXPECT_NE(game.output().find("the player's own ui.lua runs"), std::string::npos) << game.output();
    std::system("xdotool key q");
    EXPECT_EQ(0, game.waitForExit(10.0));
    EXPECT_FALSE(fs::is_symlink(userFolder() / "ui.lua")) << "the launcher replaced the player's file";
    EXPECT_TRUE(fs::is_symlink(userFolder() / "universe.xml"));
}
