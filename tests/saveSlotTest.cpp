// A save slot is replaced as a whole: after any failure or crash it holds either its whole old
// pair of files or its whole new pair, never one of each.
#include <gtest/gtest.h>

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <boost/filesystem.hpp>
#include <cstdio>
#include <algorithm>
#include <chrono>
#include <random>
#include <set>

#include "autosave.h"
#include "saveSlot.h"
#include "testSupport.h"
#include "worldState.h"

namespace fs = boost::filesystem;

namespace {

class SaveSlot : public testing::Test {
protected:
    void SetUp() override { fs::create_directories(saves()); }
    std::string saves() const { return dir.path() + "saves"; }
    bool replace(const std::string& first, const std::string& second, SlotSwap swap = SlotSwap::Exchange) {
        problem.clear();
        return replaceSlot(saves(), "1", {{"a.xml", &first}, {"b.xml", &second}}, problem, swap);
    }
    std::string file(const std::string& name) const { return dir.read("saves/1/" + name); }
    // Names in the saves folder, hidden ones included.
    std::set<std::string> entries() const {
        std::set<std::string> names;
        for (fs::directory_iterator it(saves()), end; it != end; ++it) names.insert(it->path().filename().string());
        return names;
    }

    TempDir dir;
    std::string problem;
};

}  // namespace

TEST_F(SaveSlot, EachSwapReplacesThePairAndLeavesNothingBehind) {
    for (SlotSwap swap : {SlotSwap::Exchange, SlotSwap::RenamePair}) {
        ASSERT_TRUE(replace("old a", "old b", swap)) << problem;
        ASSERT_TRUE(replace("new a", "new b", swap)) << problem;
        EXPECT_EQ(file("a.xml"), "new a");
        EXPECT_EQ(file("b.xml"), "new b");
        EXPECT_EQ(entries(), std::set<std::string>{"1"});
        fs::remove_all(saves() + "/1");
    }
}

TEST_F(SaveSlot, AFailedWriteKeepsTheOldPair) {
    ASSERT_TRUE(replace("old a", "old b"));
    std::string text = "new";
    // A file that cannot be created stops the save before the slot is touched.
    EXPECT_FALSE(replaceSlot(saves(), "1", {{"a.xml", &text}, {"missing/b.xml", &text}}, problem));
    EXPECT_NE(problem.find("missing/b.xml"), std::string::npos) << problem;
    EXPECT_EQ(file("a.xml"), "old a");
    EXPECT_EQ(file("b.xml"), "old b");
    EXPECT_EQ(entries(), std::set<std::string>{"1"});
}

TEST_F(SaveSlot, WhatACrashLeftIsMendedOrCleared) {
    ASSERT_TRUE(replace("old a", "old b"));
    // A crash between the two renames of the fallback: the slot is gone, the old pair is beside
    // it and the new pair is complete in the fresh folder.
    fs::rename(saves() + "/1", saves() + "/.1.old");
    fs::create_directories(saves() + "/.1.new");
    dir.write("saves/.1.new/a.xml", "half");
    recoverSlot(saves(), "1");
    EXPECT_EQ(file("a.xml"), "old a");
    EXPECT_EQ(file("b.xml"), "old b");
    // The next save clears the leftovers.
    ASSERT_TRUE(replace("new a", "new b")) << problem;
    EXPECT_EQ(file("a.xml"), "new a");
    EXPECT_EQ(entries(), std::set<std::string>{"1"});
    // Nothing to mend: nothing changes.
    recoverSlot(saves(), "1");
    recoverSlot(saves(), "2");
    EXPECT_EQ(entries(), std::set<std::string>{"1"});
}

TEST_F(SaveSlot, OnlyPlainNamesNameASlot) {
    for (const char* bad : {"", ".", "..", "../up", "a/b", ".1.new"}) EXPECT_FALSE(validSlotName(bad)) << bad;
    for (const char* good : {"1", "5", "bench", "slot-2"}) EXPECT_TRUE(validSlotName(good)) << good;
    std::string text = "x";
    EXPECT_FALSE(replaceSlot(saves(), "../up", {{"a.xml", &text}}, problem));
    EXPECT_FALSE(dir.exists("up"));
    // A file where the slot folder should be is not swapped away.
    dir.write("saves/2", "not a folder");
    EXPECT_FALSE(replaceSlot(saves(), "2", {{"a.xml", &text}}, problem));
    EXPECT_EQ(dir.read("saves/2"), "not a folder");
}

// The real save of a busy game, killed again and again at random moments while it writes: after
// every kill both files of the slot are complete and come from the same save. The automatic save
// is held to the same.
class SaveSlotKill : public ::testing::TestWithParam<std::string> {};

TEST_P(SaveSlotKill, EveryKillLeavesAWholePair) {
    const std::string slot = GetParam();
    auto save = [&](Universe& game) { return slot == AUTOSAVE_SLOT ? writeAutosave(game, nullptr) : game.saveGame(slot); };
    TempDir dir;
    writeContent(dir);
    std::unique_ptr<Universe> universe;
    captureOutput([&] { universe = buildUniverse(dir); });
    ASSERT_TRUE(universe);
    // Enough ships that one save takes a few milliseconds.
    captureOutput([&] {
        for (int i = 0; i < 1500; ++i)
            universe->currentWorld().ships.push_back(Ship({10.0f * i, 2000.0f}, "Raider", 2, *universe));
    });
    auto stamp = [&](long generation) {
        universe->player->setExtraData({{"generation", std::to_string(generation)}});
        universe->getPlanet(0)->setExtraData({{"generation", std::to_string(generation)}});
    };
    stamp(0);
    ASSERT_TRUE(captureOutput([&] { EXPECT_TRUE(save(*universe)); }).find("Error") == std::string::npos);

    std::mt19937 random(20261208);
    long newest = 0;
    int newPairs = 0;
    int interrupted = 0;  // kills that caught a save half-written
    // At least this many kills, and as many more as it takes to catch enough saves in the middle:
    // on a loaded machine fewer random kills land inside a save.
    const int MIN_KILLS = 60, MAX_KILLS = 600, WANTED_INTERRUPTED = 10;
    int kill = 1;
    for (; kill <= MAX_KILLS && (kill <= MIN_KILLS || interrupted < WANTED_INTERRUPTED); ++kill) {
        int progress[2];
        ASSERT_EQ(0, pipe(progress));
        std::fflush(stdout);
        pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            // Saves for ever, each stamped with a later generation, telling the parent after each.
            close(progress[0]);
            if (!std::freopen("/dev/null", "w", stdout)) _exit(1);
            for (long generation = kill * 100000L;; ++generation) {
                stamp(generation);
                save(*universe);
                if (write(progress[1], "s", 1) != 1) _exit(1);
            }
        }
        close(progress[1]);
        // Let the child finish zero to two saves, then kill it somewhere in the next one (timed
        // by how long its saves take here and now, whatever the machine's load).
        auto waitForSave = [&] {
            pollfd ready{progress[0], POLLIN, 0};
            char done = 0;
            return poll(&ready, 1, 20000) == 1 && read(progress[0], &done, 1) == 1;
        };
        ASSERT_TRUE(waitForSave()) << "the child never saved";
        auto lastSave = std::chrono::steady_clock::now();
        long saveMicroseconds = 0;
        for (int more = static_cast<int>(random() % 3); more > 0; --more) {
            ASSERT_TRUE(waitForSave());
            auto now = std::chrono::steady_clock::now();
            saveMicroseconds = std::chrono::duration_cast<std::chrono::microseconds>(now - lastSave).count();
            lastSave = now;
        }
        if (saveMicroseconds == 0) {
            ASSERT_TRUE(waitForSave());
            saveMicroseconds = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() -
                                                                                     lastSave)
                                   .count();
        }
        usleep(static_cast<useconds_t>(random() % std::max(1L, saveMicroseconds)));
        ::kill(child, SIGKILL);
        int status = 0;
        waitpid(child, &status, 0);
        close(progress[0]);
        ASSERT_TRUE(WIFSIGNALED(status));
        if (dir.exists("saves/." + slot + ".new")) ++interrupted;

        XmlFile universeFile, playerFile;
        std::string error;
        ASSERT_TRUE(universeFile.load(dir.path() + "saves/" + slot + "/universeSAV.xml", "universe", error)) << error;
        ASSERT_TRUE(playerFile.load(dir.path() + "saves/" + slot + "/PlayerDataSAV.xml", "player", error)) << error;
        XmlNode* planet = universeFile.root()->first_node("world")->first_node("star")->first_node("planet");
        long inUniverse = std::stol(getVal(planet->first_node("extraData"), "generation"));
        long inPlayer = std::stol(getVal(playerFile.root()->first_node("extraData"), "generation"));
        ASSERT_EQ(inUniverse, inPlayer) << "kill " << kill;
        ASSERT_GE(inUniverse, newest) << "an older pair came back";
        if (inUniverse > newest) ++newPairs;
        newest = inUniverse;
    }
    // Every round got new pairs in before its kill, and the kills caught many saves in the middle.
    EXPECT_EQ(newPairs, kill - 1);
    EXPECT_GE(interrupted, WANTED_INTERRUPTED);
}

INSTANTIATE_TEST_SUITE_P(Slots, SaveSlotKill, ::testing::Values(std::string("1"), std::string(AUTOSAVE_SLOT)));
