// End-to-end: scripts that loop for ever, recurse or allocate without end, or fail, in every
// entry point. Each fault is reported at its call site, the game goes on drawing frames with
// the Lua stack level, every entry point works again afterwards and q still ends the game
// (tests/play/faultPlay.cpp plays the frames). The error line is also shown on screen.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <array>
#include <chrono>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "contentCopy.h"
#include "gameProcess.h"
#include "testSupport.h"

namespace {

// The entry points, in the order the faulty script defines their faults.
enum Site { TOP_LEVEL, ADDUI_AT_START, ADDUI_ON_EVENT, UPDATEUI, PLANETTICK, GAMELOADED, SITES };

const char* const SITE_NAMES[SITES] = {"the top level", "addUI at start-up", "addUI on the e event", "updateUI",
                                       "planetTick", "gameLoaded"};
// How the game reports an error at each site.
const char* const REPORTS[SITES] = {"Error opening ui.lua",
                                    "Lua event error, ",
                                    "Lua event error, ",
                                    "LUA encountered an error in uiDisplay update function: ",
                                    "Lua event error, ",
                                    "Lua event error, "};

struct Fault {
    const char* code;      // one line of Lua that never ends well
    const char* reported;  // what the error message says
    bool located;          // the message names the line of the fault
};

struct FaultKind {
    const char* name;
    std::array<Fault, SITES> faults;
};

const char* const STOPPED = "script call stopped: it ran longer than 250 ms";

// Builds ui.lua: every entry point runs its fault on its first call and says so through
// debugDisplay when it works. `lines` receives the line of each fault.
std::string faultyScript(const FaultKind& kind, std::array<int, SITES>& lines) {
    std::vector<std::string> text;
    auto fault = [&](Site site) {
        text.push_back(std::string("        ") + kind.faults[site].code);
        lines[site] = static_cast<int>(text.size());
    };
    text.push_back("-- Every entry point misbehaves on its first call and works afterwards.");
    text.push_back("local seen = {}");
    text.push_back("local function first(site) local isFirst = not seen[site]; seen[site] = true; return isFirst end");
    text.push_back("function addUI(...)");
    text.push_back("    if select('#', ...) == 0 then");
    text.push_back("    if first('start') then");
    fault(ADDUI_AT_START);
    text.push_back("    end return end");
    text.push_back("    if first('event') then");
    fault(ADDUI_ON_EVENT);
    text.push_back("    end");
    text.push_back("    debugDisplay('addUI ok')");
    text.push_back("    return {type = 'button', name = 'b', x1 = 40, y1 = 40, x2 = 60, y2 = 60, text = 'Fault',");
    text.push_back("            font = 0, initialState = 0}, 'faultWindow'");
    text.push_back("end");
    text.push_back("function updateUI(name, ...)");
    text.push_back("    if first('update') then");
    fault(UPDATEUI);
    text.push_back("    end");
    text.push_back("    debugDisplay('updateUI ok')");
    text.push_back("end");
    text.push_back("function planetTick(id)");
    text.push_back("    if first('tick') then");
    fault(PLANETTICK);
    text.push_back("    end");
    text.push_back("    debugDisplay('planetTick ok')");
    text.push_back("end");
    text.push_back("function gameLoaded()");
    text.push_back("    if first('loaded') then");
    fault(GAMELOADED);
    text.push_back("    end");
    text.push_back("    debugDisplay('gameLoaded ok')");
    text.push_back("end");
    fault(TOP_LEVEL);
    std::string script;
    for (const std::string& line : text) script += line + "\n";
    return script;
}

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

bool startsWith(const std::string& text, const std::string& start) { return text.compare(0, start.size(), start) == 0; }
bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

class ScriptFaults : public testing::TestWithParam<FaultKind> {
protected:
    // Plays the game with the faulty script; the fault play's exit status.
    int play() {
        copyContent(shippedDataDirectory(), work.path());
        work.write("ui.lua", faultyScript(GetParam(), faultLines));
        const std::string command = "cd '" + work.path() + "' && timeout 300 '" + QUORBLE_FAULT_PLAY +
                                    "' . > play.out 2> play.err";
        const int status = std::system(command.c_str());
        output = work.read("play.out");
        summary = work.read("play.err");
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    TempDir work;
    std::array<int, SITES> faultLines{};
    std::string output, summary;
};

}  // namespace

TEST_P(ScriptFaults, AreReportedAndTheGameGoesOn) {
    ASSERT_EQ(0, play()) << summary << output.substr(0, 4000);
    EXPECT_TRUE(contains(summary, "Lua stack at 0 throughout, q ended the game")) << summary;

    const std::vector<std::string> lines = linesOf(output);
    std::array<int, SITES> reportsSeen{};
    for (int site = 0; site < SITES; ++site) {
        const Fault& fault = GetParam().faults[site];
        const std::string where = "ui.lua:" + std::to_string(faultLines[site]) + ":";
        bool found = false;
        for (size_t i = 0; i < lines.size(); ++i) {
            // "Error opening ui.lua" puts the message on the next line.
            const std::string message = site == TOP_LEVEL ? (i + 1 < lines.size() ? lines[i + 1] : "") : lines[i];
            if (startsWith(lines[i], REPORTS[site]) && contains(message, fault.reported) &&
                (!fault.located || contains(message, where)))
                found = true;
            if (startsWith(lines[i], REPORTS[site])) ++reportsSeen[site];
        }
        EXPECT_TRUE(found) << SITE_NAMES[site] << ": no report of " << fault.reported << " at " << where;
    }
    // Exactly one report per fault: the entry points that share a report count together.
    EXPECT_EQ(1, reportsSeen[TOP_LEVEL]);
    EXPECT_EQ(4, reportsSeen[ADDUI_AT_START]) << "addUI twice, planetTick and gameLoaded";
    EXPECT_EQ(1, reportsSeen[UPDATEUI]);
    // Every entry point that is called again works again.
    for (const char* works : {"Lua debug:addUI ok:", "Lua debug:updateUI ok:", "Lua debug:planetTick ok:",
                              "Lua debug:gameLoaded ok:"})
        EXPECT_TRUE(contains(output, works)) << works;
    // The script window of the second event was built.
    EXPECT_TRUE(contains(output, "Set name: faultWindow"));
}

// "EndToEnd" first, so the suite runs with the other end-to-end tests.
INSTANTIATE_TEST_SUITE_P(
    EndToEnd, ScriptFaults,
    testing::Values(
        FaultKind{"EndlessLoops",
                  {{{"while true do end", STOPPED, true},
                    // A proper tail call: the endless loop a modder writes with "return addUI(...)".
                    {"local function spin(...) return spin(...) end return spin()", STOPPED, true},
                    {"local t = {} for i = 1, math.huge do t[i % 7] = i end", STOPPED, true},
                    {"while true do pcall(function() while true do end end) end", STOPPED, true},
                    {"while true do coroutine.resume(coroutine.create(function() while true do end end)) end", STOPPED,
                     true},
                    {"while true do xpcall(function() while true do end end, function() while true do end end) end",
                     STOPPED, true}}}},
        FaultKind{"EndlessRecursionAndAllocation",
                  {{{"local s = 'x' while true do s = s .. s end", "not enough memory", false},
                    {"local function deeper(n) return 1 + deeper(n + 1) end deeper(1)", "stack overflow", true},
                    {"local t = setmetatable({}, {__index = function(t, k) return t[k] end}) return t.x",
                     "stack overflow", true},
                    {"local function deeper(n) return 1 + deeper(n + 1) end deeper(1)", "stack overflow", true},
                    {"local t, s = {}, 'x' while true do s = s .. s t[#t + 1] = s end", "not enough memory", false},
                    {"local function again(s) return (string.gsub(s, '.', again)) end again('ab')", "stack overflow",
                     false}}}},
        FaultKind{"Errors",
                  {{{"error('broken on purpose')", "broken on purpose", true},
                    {"local x = nil + 1", "attempt to perform arithmetic", true},
                    {"getPlanetData('nowhere')", "bad argument #1 to 'getPlanetData'", true},
                    {"undefinedFunction()", "attempt to call global 'undefinedFunction'", true},
                    {"error({})", "(error value of type table)", false},
                    {"spawnShip()", "spawnShip expects 3 argument(s), got 0", true}}}}),
    [](const testing::TestParamInfo<FaultKind>& info) { return std::string(info.param.name); });

// The latest script error is shown on screen for a few seconds, clear of the radar, the map and
// the windows; the screenshots are kept as artefacts.
namespace {

// The text colour of the error line, as anti-aliased glyphs over the dark strip show it.
bool errorText(int r, int g, int b) { return r > 150 && g > 0.4 * r && g < 0.75 * r && b > 0.3 * r && b < 0.65 * r; }

// The strip along the top edge between the radar and the map panels (pixels from the top).
const int STRIP_LEFT = 212, STRIP_RIGHT = 1068, STRIP_TOP = 4, STRIP_BOTTOM = 34;

}  // namespace

TEST(EndToEndScriptErrorLine, IsShownOnScreenForAFewSeconds) {
    TempDir work;
    GameProcess game{work.path()};
    // The shipped script, whose addUI fails on the first e event only, with a message too long
    // for one line.
    work.write("ui.lua", work.read("ui.lua") +
                             "\nlocal shippedAddUI, events = addUI, 0\n"
                             "function addUI(...)\n"
                             "    if select('#', ...) > 0 then events = events + 1 end\n"
                             "    if events == 1 then\n"
                             "        error('this mistake is shown at the top of the screen, and cut short where it '\n"
                             "              .. 'would run into the map: ' .. string.rep('much too long ', 10))\n"
                             "    end\n"
                             "    return shippedAddUI(...)\n"
                             "end\n");
    ASSERT_TRUE(game.start());
    ASSERT_TRUE(game.waitForOutput("Done with that, now starting main loop", 30.0)) << game.output();
    game.pause(0.5);
    const size_t before = game.outputSize();
    game.key("e");
    ASSERT_TRUE(game.waitForOutput("this mistake is shown", 10.0, before));
    const auto shown = std::chrono::steady_clock::now();
    // The second event opens the window the shipped script builds.
    game.key("e");
    ASSERT_TRUE(game.waitForOutput("Set name: ", 10.0, before));
    game.pause(0.5);
    EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - shown).count(), 4.0)
        << "the screenshot comes too late to show the line";
    Screenshot withError = game.screenshot("script-error-line");
    ASSERT_TRUE(withError.valid());
    const int lit = withError.count(STRIP_LEFT, STRIP_TOP, STRIP_RIGHT, STRIP_BOTTOM, errorText);
    EXPECT_GT(lit, 300) << "no error line at the top of the screen";
    // One line, cut short: nothing of it spills below the strip or beside it onto the panels.
    EXPECT_LT(withError.count(STRIP_LEFT, STRIP_BOTTOM + 2, STRIP_RIGHT, STRIP_BOTTOM + 60, errorText), 30);
    EXPECT_EQ(0, withError.count(200, 0, STRIP_LEFT, STRIP_BOTTOM, errorText) +
                     withError.count(STRIP_RIGHT, 0, 1080, STRIP_BOTTOM, errorText));

    // A few seconds later it is gone.
    while (std::chrono::duration<double>(std::chrono::steady_clock::now() - shown).count() < 6.5) game.pause(0.1);
    Screenshot later = game.screenshot("script-error-line-gone");
    ASSERT_TRUE(later.valid());
    EXPECT_LT(later.count(STRIP_LEFT, STRIP_TOP, STRIP_RIGHT, STRIP_BOTTOM, errorText), lit / 10);
    game.key("q");
    EXPECT_EQ(0, game.waitForExit(10.0));
}
