// Performance table of the game, measured on the real frame loop with scripted input:
// start-up, frame times of the scenes a player meets (each beside Mesa's own frame count) and
// how they grow with load and zoom, save and load times, and peak memory. Each scenario runs in
// a child process of its own (one window each).
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <SDL/SDL.h>
#include <SOIL/SOIL.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "basics.h"
#include "displayWait.h"
#include "gameMain.h"
#include "glHeaders.h"
#include "input.h"
#include "planet.h"
#include "player.h"
#include "star.h"
#include "worldState.h"
#include "wormhole.h"

namespace {
using Clock = std::chrono::steady_clock;

std::string dataDirectory;
// Where --look writes a picture of each scene as it was last shown ("" = nowhere).
std::string lookDirectory;

double millisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double percentile(std::vector<double> values, double p) {
    if (values.empty()) return 0.0;
    std::sort(values.begin(), values.end());
    size_t index = static_cast<size_t>(std::lround(p * (values.size() - 1)));
    return values[index];
}

long peakMemoryKb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// Runs `scenario` in a child process and returns what it printed (one result per line).
std::vector<std::string> inChild(const std::function<void(std::ostream&)>& scenario) {
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0) return {};
    // A child would otherwise write out the parent's pending table rows a second time.
    std::fflush(stdout);
    pid_t pid = fork();
    if (pid == 0) {
        close(pipeEnds[0]);
        // The game's own chatter would drown the table.
        std::string log = "/tmp/quorble-bench-" + std::to_string(getpid()) + ".log";
        if (!freopen(log.c_str(), "w", stdout)) _exit(2);
        std::ostringstream results;
        scenario(results);
        results << "peakKb " << peakMemoryKb() << "\n";
        std::string text = results.str();
        ssize_t written = write(pipeEnds[1], text.data(), text.size());
        (void)written;
        close(pipeEnds[1]);
        _exit(0);
    }
    close(pipeEnds[1]);
    std::string text;
    char buffer[4096];
    ssize_t n;
    while ((n = read(pipeEnds[0], buffer, sizeof buffer)) > 0) text.append(buffer, static_cast<size_t>(n));
    close(pipeEnds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    if (WIFSIGNALED(status)) std::fprintf(stderr, "bench: a scenario died of signal %d\n", WTERMSIG(status));
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

double valueOf(const std::vector<std::string>& lines, const std::string& key) {
    for (const std::string& line : lines)
        if (line.rfind(key + " ", 0) == 0) return std::atof(line.c_str() + key.size() + 1);
    return NAN;
}

// Runs a scenario in a child, again (up to three times in all) when it did not report `key`:
// now and then a child cannot open its X connection to the virtual server.
std::vector<std::string> runScenario(const std::function<void(std::ostream&)>& scenario, const std::string& key) {
    std::vector<std::string> lines;
    for (int attempt = 0; attempt < 3; ++attempt) {
        lines = inChild(scenario);
        if (!std::isnan(valueOf(lines, key))) break;
        std::fprintf(stderr, "bench: no %s from the scenario, running it again\n", key.c_str());
    }
    return lines;
}

long maxPeak = 0;
void notePeak(const std::vector<std::string>& lines) {
    double kb = valueOf(lines, "peakKb");
    if (!std::isnan(kb)) maxPeak = std::max(maxPeak, static_cast<long>(kb));
}

GameOptions benchOptions() {
    GameOptions options;
    options.dataDirectory = dataDirectory;
    options.sdlInput = false;
    options.sound = false;
    return options;
}

// A random point of the ring between `inner` and `outer` around `centre`.
point aroundPoint(point centre, float inner, float outer) {
    float angle = static_cast<float>(randomDraw()) / 32767.0f * 6.28318f;
    float distance = inner + static_cast<float>(randomDraw() % static_cast<int>(outer - inner));
    return {centre.x + std::cos(angle) * distance, centre.y + std::sin(angle) * distance};
}

// A random point of the screen at the starting zoom (5000 x 4000 units around the player), at
// least `clearance` from the player.
point inView(point centre, float clearance) {
    for (;;) {
        point where{centre.x + static_cast<float>(randomDraw() % 5000) - 2500.0f,
                    centre.y + static_cast<float>(randomDraw() % 4000) - 2000.0f};
        if (pointDistance(where, centre) >= clearance) return where;
    }
}

// Keeps the player's world at the wanted numbers of ships and shots, placed by `place`.
void topUp(Universe& universe, size_t ships, size_t projectiles, const std::function<point(point, bool)>& place) {
    WorldState& world = universe.currentWorld();
    point p = universe.player->getPosition();
    while (world.ships.size() < ships) {
        point where = place(p, true);
        size_t type = 1 + static_cast<size_t>(randomDraw()) % (universe.shipTypes.size() - 1);
        world.ships.push_back(Ship(where, universe.shipTypes[type].name, static_cast<unsigned>(type), universe));
    }
    while (world.projectiles.size() < projectiles) {
        point where = place(p, false);
        float angle = static_cast<float>(randomDraw()) / 32767.0f * 6.28318f;
        world.projectiles.push_back(Projectile(where, angle, world, 0, 0.0f, 0.0f, 1, std::vector<short>()));
    }
}

// The growth tables' load: ships 2000 to 8000 units and shots 500 to 8500 units from the player,
// so most of it lies off screen.
void topUpScattered(Universe& universe, size_t ships, size_t projectiles) {
    topUp(universe, ships, projectiles,
          [](point p, bool ship) { return ship ? aroundPoint(p, 2000.0f, 8000.0f) : aroundPoint(p, 500.0f, 8500.0f); });
}

// Everything on screen; ships far enough from the player not to ram it at once.
void topUpInView(Universe& universe, size_t ships, size_t projectiles) {
    topUp(universe, ships, projectiles, [](point p, bool ship) { return inView(p, ship ? 300.0f : 100.0f); });
}

void rollWheel(Game& game, int notches) {
    const int button = notches > 0 ? SDL_BUTTON_WHEELUP : SDL_BUTTON_WHEELDOWN;
    for (int i = 0; i < std::abs(notches); ++i) game.universe().input.pushEvent({InputEvent::ButtonDown, button});
}

void pressKey(Game& game, int key) { game.universe().input.pushEvent({InputEvent::KeyDown, key}); }

void holdPlayer(Game& game, point where) {
    game.universe().player->setPosition(where);
    game.universe().player->setVelocity({0.0f, 0.0f});
}

// Wheel notches out from the starting zoom until the whole world fits the screen's height; any
// further notch adds nothing to what is drawn.
int notchesToSeeTheWorld() {
    float height = 4000.0f;
    int notches = 0;
    while (height < 2.0f * YBOUND) {
        height *= 1.2f;
        ++notches;
    }
    return notches;
}

// At 6 notches in the whole wormhole next to the player just fits the screen. At 17 notches, the
// wheel's closest stop for the starting hull, its mouth and the ship's flame fill the screen
// many layers deep. The sweep shows the notches around them.
constexpr int WORMHOLE_WHOLE_NOTCHES = 6;
constexpr int WORMHOLE_CLOSE_NOTCHES = 17;

// Notches far enough to reach either stop of the wheel from the starting zoom.
constexpr int PAST_THE_STOP = 60;
// The zoom sweep's notches from the start (negative: out), from the widest stop to the closest.
const int SWEEP_NOTCHES[] = {-PAST_THE_STOP, -18, -14, -10, -6, -3, 0, 3, 6, 9, 12, 15, PAST_THE_STOP};
// How fast the ship of the moving sweep cruises, in units per ms (a quick but usual speed).
constexpr float CRUISE_SPEED = 1.2f;

std::string notchLabel(int notches) {
    if (notches >= PAST_THE_STOP) return "closest stop";
    if (notches <= -PAST_THE_STOP) return "widest stop";
    if (notches == 0) return "the starting zoom";
    return std::to_string(std::abs(notches)) + (notches > 0 ? " notches in" : " notches out");
}

// A scene a player meets: what is done before the warm-up (false when it cannot be reached) and
// before every frame. Input goes through the frame loop's own input layer.
struct Scene {
    std::string key;
    std::string label;
    std::function<bool(Game&)> setUp;
    std::function<void(Game&)> eachFrame;
};

Scene wormholeScene(int notches, const char* key = nullptr) {
    auto spot = std::make_shared<point>();
    Scene scene;
    scene.key = key ? key : "wormhole-" + std::to_string(notches);
    scene.label = "next to a wormhole, " + notchLabel(notches);
    scene.setUp = [spot, notches](Game& game) {
        WorldState& world = game.universe().currentWorld();
        if (world.wormholes.empty()) return false;
        const Wormhole& hole = world.wormholes.front();
        // Just outside the rim, so the player stays in this world.
        *spot = {hole.getLoc().x - hole.getRadius() - 30.0f, hole.getLoc().y};
        holdPlayer(game, *spot);
        rollWheel(game, notches);
        return true;
    };
    scene.eachFrame = [spot](Game& game) { holdPlayer(game, *spot); };
    return scene;
}

// The point of a coarse grid over the player's world farthest from every star, planet and
// wormhole: open space where nothing pulls the ship off its course for a while.
point openSpace(Universe& universe) {
    const WorldState& world = universe.currentWorld();
    point best{0.0f, 0.0f};
    float bestClearance = -1.0f;
    for (float x = -0.8f * XBOUND; x <= 0.8f * XBOUND; x += 0.1f * XBOUND)
        for (float y = -0.8f * YBOUND; y <= 0.8f * YBOUND; y += 0.1f * YBOUND) {
            float clearance = 1e30f;
            for (const Star& star : world.stars) {
                clearance = std::min(clearance, pointDistance({x, y}, star.getLoc()) - star.getRadius());
                for (const Planet& planet : star.getPlanets())
                    clearance = std::min(clearance, pointDistance({x, y}, planet.getLoc()) - planet.getRadius());
            }
            for (const Wormhole& hole : world.wormholes)
                clearance = std::min(clearance, pointDistance({x, y}, hole.getLoc()) - hole.getRadius());
            if (clearance > bestClearance) {
                bestClearance = clearance;
                best = {x, y};
            }
        }
    return best;
}

// The zoom sweep in flight, in open space: the ship held still (its smoke piles up where it
// stands), or thrusting at a steady cruise (flame at full length, smoke streaming behind).
Scene flightZoomScene(int notches, bool moving) {
    auto spot = std::make_shared<point>();
    Scene scene;
    scene.key = std::string(moving ? "zoom-moving-" : "zoom-still-") + std::to_string(notches);
    scene.label = std::string(moving ? "in flight, thrusting, " : "in flight, still, ") + notchLabel(notches);
    scene.setUp = [spot, notches, moving](Game& game) {
        *spot = openSpace(game.universe());
        holdPlayer(game, *spot);
        if (moving) game.universe().input.setKey(SDLK_w, true);
        rollWheel(game, notches);
        return true;
    };
    scene.eachFrame = [spot, moving](Game& game) {
        Player& player = *game.universe().player;
        if (!moving) {
            holdPlayer(game, *spot);
            return;
        }
        // Back to the start of the run before the ship nears anything of the world.
        if (pointDistance(player.getPosition(), *spot) > 20000.0f) player.setPosition(*spot);
        const point v = player.getVelocity();
        const float speed = magnitude(v);
        if (speed > CRUISE_SPEED) player.setVelocity({v.x * CRUISE_SPEED / speed, v.y * CRUISE_SPEED / speed});
    };
    return scene;
}

// The world with the most stars and planets (the first of equals).
size_t busiestWorld(Universe& universe) {
    size_t best = 0, bestCount = 0;
    for (size_t i = 0; i < universe.worlds.size(); ++i) {
        size_t count = universe.worlds[i].stars.size();
        for (const Star& star : universe.worlds[i].stars) count += star.getPlanets().size();
        if (count > bestCount) {
            best = i;
            bestCount = count;
        }
    }
    return best;
}

// Lands the player on the planet nearest to it, flying onto it at the planet's own speed.
bool landOnNearestPlanet(Game& game) {
    Universe& universe = game.universe();
    Player& player = *universe.player;
    const Planet* nearest = nullptr;
    for (const Star& star : universe.currentWorld().stars)
        for (const Planet& planet : star.getPlanets())
            if (!nearest || pointDistance(planet.getLoc(), player.getPosition()) <
                                pointDistance(nearest->getLoc(), player.getPosition()))
                nearest = &planet;
    if (!nearest) return false;
    const int id = nearest->getID();
    for (int frame = 0; frame < 100 && !player.isLanded(); ++frame) {
        const Planet* planet = universe.getPlanet(static_cast<unsigned>(id));
        if (!planet) return false;
        player.setPosition({planet->getLoc().x, planet->getLoc().y + planet->getRadius() + player.getRadius() - 2.0f});
        player.setVelocity(planet->getVelocity());
        game.frame(SDL_GetTicks());
    }
    return player.isLanded();
}

// Presses e and reports whether a window is open afterwards.
bool openWindow(Game& game) {
    pressKey(game, SDLK_e);
    game.frame(SDL_GetTicks());
    return !game.universe().displays.empty();
}

std::vector<Scene> playerScenes() {
    std::vector<Scene> scenes;
    scenes.push_back({"default", "the start (in flight near the first planet)", [](Game&) { return true; }, nullptr});
    auto start = std::make_shared<point>();
    scenes.push_back({"flight-window", "flight window open, in flight",
                      [start](Game& game) {
                          *start = game.universe().player->getPosition();
                          return openWindow(game);
                      },
                      [start](Game& game) { holdPlayer(game, *start); }});
    scenes.push_back({"planet-window", "planet window open, landed",
                      [](Game& game) { return landOnNearestPlanet(game) && openWindow(game); }, nullptr});
    scenes.push_back(wormholeScene(WORMHOLE_WHOLE_NOTCHES, "wormhole"));
    scenes.push_back(wormholeScene(WORMHOLE_CLOSE_NOTCHES, "wormhole-close"));
    scenes.push_back({"widest", "widest zoom (whole world) in the busiest system",
                      [](Game& game) {
                          Universe& universe = game.universe();
                          const size_t busiest = busiestWorld(universe);
                          if (static_cast<int>(busiest) != universe.player->getWorld())
                              universe.player->warpWorld(static_cast<int>(busiest));
                          rollWheel(game, -notchesToSeeTheWorld());
                          return true;
                      },
                      nullptr});
    scenes.push_back({"stress-in-view", "200 ships + 2000 shots, all on screen", [](Game&) { return true; },
                      [](Game& game) { topUpInView(game.universe(), 200, 2000); }});
    scenes.push_back({"stress", "200 ships + 2000 shots, scattered around", [](Game&) { return true; },
                      [](Game& game) { topUpScattered(game.universe(), 200, 2000); }});
    return scenes;
}

struct TimedFrames {
    std::vector<double> times;  // wall-clock ms per frame
    double cpuMs = NAN;         // CPU time of the whole process (renderer threads included) per frame
    double warmUpSeconds = 0.0;
};

double cpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Times up to `frames` frames after a warm-up of 100 frames; a slow scene stops warming up after
// 5 s and stops timing after `maxSeconds` (but not before 50 frames). `eachFrame` runs before
// every frame, outside the timing.
TimedFrames timeLoop(int frames, double maxSeconds, const std::function<void()>& eachFrame,
                     const std::function<void()>& frame) {
    TimedFrames run;
    const Clock::time_point warmUp = Clock::now();
    for (int i = 0; i < 100 && millisecondsSince(warmUp) < 5000.0; ++i) {
        if (eachFrame) eachFrame();
        frame();
    }
    run.warmUpSeconds = millisecondsSince(warmUp) / 1000.0;
    const Clock::time_point start = Clock::now();
    const double cpuStart = cpuSeconds();
    for (int i = 0; i < frames; ++i) {
        if (i >= 50 && millisecondsSince(start) > maxSeconds * 1000.0) break;
        if (eachFrame) eachFrame();
        Clock::time_point frameStart = Clock::now();
        frame();
        run.times.push_back(millisecondsSince(frameStart));
    }
    if (!run.times.empty()) run.cpuMs = (cpuSeconds() - cpuStart) * 1000.0 / static_cast<double>(run.times.size());
    return run;
}

TimedFrames timeFrames(Game& game, int frames, double maxSeconds, const std::function<void(Game&)>& eachFrame) {
    std::function<void()> before;
    if (eachFrame) before = [&] { eachFrame(game); };
    return timeLoop(frames, maxSeconds, before, [&] { game.frame(SDL_GetTicks()); });
}

void reportFrames(std::ostream& out, const std::string& key, const TimedFrames& run) {
    double sum = 0.0;
    for (double t : run.times) sum += t;
    out << key << "Median " << percentile(run.times, 0.5) << "\n"
        << key << "P95 " << percentile(run.times, 0.95) << "\n"
        << key << "Mean " << (run.times.empty() ? NAN : sum / static_cast<double>(run.times.size())) << "\n"
        << key << "Cpu " << run.cpuMs << "\n";
}
// Mesa's heads-up display, kept invisible, counts frames on its own and writes the rate every
// half second into `directory`/fps: an outside check of the frame times measured here.
void enableMesaFrameCounter(const std::string& directory) {
    mkdir(directory.c_str(), 0700);
    setenv("GALLIUM_HUD", "fps", 1);
    setenv("GALLIUM_HUD_VISIBLE", "false", 1);
    setenv("GALLIUM_HUD_DUMP_DIR", directory.c_str(), 1);
}

// Median of the rates Mesa wrote, leaving out the first `skipped` half-second periods (start-up
// and warm-up), or NaN when there are none.
double mesaFrameRate(const std::string& directory, size_t skipped) {
    std::FILE* file = std::fopen((directory + "/fps").c_str(), "r");
    std::vector<double> rates;
    if (file) {
        double rate = 0.0;
        while (std::fscanf(file, "%lf", &rate) == 1) rates.push_back(rate);
        std::fclose(file);
    }
    std::remove((directory + "/fps").c_str());
    rmdir(directory.c_str());
    if (rates.size() <= skipped) return NAN;
    rates.erase(rates.begin(), rates.begin() + static_cast<long>(skipped));
    return percentile(rates, 0.5);
}

// Writes the screen as the X server shows it into `path` (PNG), through ImageMagick's import.
void writeScreen(const std::string& path) {
    const std::string command = "import -window root '" + path + "' 2>/dev/null";
    if (std::system(command.c_str()) != 0) std::fprintf(stderr, "bench: no picture from import\n");
}

bool startGame(Game& game) {
    if (game.startUp(0, nullptr) == 0) return true;
    std::fprintf(stderr, "bench: the game did not start (see /tmp/quorble-bench-%d.log)\n", getpid());
    return false;
}

void startupScenario(std::ostream& out) {
    Clock::time_point start = Clock::now();
    Game game(benchOptions());
    if (!startGame(game)) return;
    game.frame(SDL_GetTicks());
    out << "startup " << millisecondsSince(start) << "\n";
}

// One scene, timed by us and counted by Mesa.
void sceneScenario(std::ostream& out, const Scene& scene, int frames, double maxSeconds) {
    const std::string hudDirectory = "/tmp/quorble-bench-hud-" + std::to_string(getpid());
    enableMesaFrameCounter(hudDirectory);
    Game game(benchOptions());
    if (!startGame(game)) return;
    if (!scene.setUp(game)) {
        std::fprintf(stderr, "bench: the scene \"%s\" could not be set up\n", scene.label.c_str());
        return;
    }
    TimedFrames run = timeFrames(game, frames, maxSeconds, scene.eachFrame);
    reportFrames(out, "frame", run);
    if (!lookDirectory.empty()) writeScreen(lookDirectory + "/" + scene.key + ".png");
    // Mesa's periods are half seconds from the first frame: leave out those of the warm-up.
    out << "mesaFps " << mesaFrameRate(hudDirectory, static_cast<size_t>(std::ceil(run.warmUpSeconds * 2.0)) + 1)
        << "\n";
}

// The renderer's floor: one opaque full-screen textured quad and the swap, in a window of the
// game's size, timed and counted like a scene. Every scene is read as a multiple of it.
void floorScenario(std::ostream& out, int frames, double maxSeconds) {
    const std::string hudDirectory = "/tmp/quorble-bench-hud-" + std::to_string(getpid());
    enableMesaFrameCounter(hudDirectory);
    setenv("SDL_VIDEODRIVER", "x11", 0);
    if (SDL_Init(SDL_INIT_VIDEO) < 0) return;
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    if (!SDL_SetVideoMode(w, h, 32, SDL_OPENGL)) {
        SDL_Quit();
        return;
    }
    // The background's own image, so that the quad samples what the game's first pass samples.
    const std::string image = dataDirectory + "/background2.png";
    GLuint texture = SOIL_load_OGL_texture(image.c_str(), SOIL_LOAD_AUTO, SOIL_CREATE_NEW_ID,
                                           SOIL_FLAG_MIPMAPS | SOIL_FLAG_INVERT_Y);
    glViewport(0, 0, w, h);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0.0, 1.0, 0.0, 1.0, -1.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_BLEND);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, texture);
    TimedFrames run = timeLoop(frames, maxSeconds, nullptr, [] {
        glBegin(GL_QUADS);
        glTexCoord2f(0.0f, 0.0f);
        glVertex2f(0.0f, 0.0f);
        glTexCoord2f(1.0f, 0.0f);
        glVertex2f(1.0f, 0.0f);
        glTexCoord2f(1.0f, 1.0f);
        glVertex2f(1.0f, 1.0f);
        glTexCoord2f(0.0f, 1.0f);
        glVertex2f(0.0f, 1.0f);
        glEnd();
        SDL_GL_SwapBuffers();
    });
    glDeleteTextures(1, &texture);
    reportFrames(out, "frame", run);
    out << "mesaFps " << mesaFrameRate(hudDirectory, static_cast<size_t>(std::ceil(run.warmUpSeconds * 2.0)) + 1)
        << "\n";
    SDL_Quit();
}

// A growth-table load: `ships` and `projectiles` kept scattered around the player.
void loadScenario(std::ostream& out, size_t ships, size_t projectiles, int frames) {
    Game game(benchOptions());
    if (!startGame(game)) return;
    reportFrames(out, "frame", timeFrames(game, frames, 60.0, [ships, projectiles](Game& g) {
                     if (ships || projectiles) topUpScattered(g.universe(), ships, projectiles);
                 }));
}

void saveLoadScenario(std::ostream& out, size_t entities) {
    Game game(benchOptions());
    if (!startGame(game)) return;
    Universe& universe = game.universe();
    if (entities) {
        WorldState& world = universe.currentWorld();
        for (size_t i = 0; i < entities / 2; ++i) {
            point where{static_cast<float>(i % 100) * 50.0f, 20000.0f + static_cast<float>(i / 100) * 50.0f};
            world.ships.push_back(Ship(where, universe.shipTypes[1].name, 1, universe));
            world.projectiles.push_back(Projectile(where, 0.0f, world, 0, 0.0f, 0.0f, 1, std::vector<short>()));
        }
    }
    std::vector<double> saves, loads;
    for (int i = 0; i < 5; ++i) {
        Clock::time_point start = Clock::now();
        if (!universe.saveGame("bench")) std::fprintf(stderr, "bench: save failed\n");
        saves.push_back(millisecondsSince(start));
        start = Clock::now();
        if (!universe.loadGame("bench", game.lua())) std::fprintf(stderr, "bench: load refused\n");
        loads.push_back(millisecondsSince(start));
        if (entities) universe.saveGame("bench");  // the load consumed the entities; write them back
    }
    out << "save " << percentile(saves, 0.5) << "\nload " << percentile(loads, 0.5) << "\n";
}

void printRow(const std::string& label, const std::string& value) {
    std::printf("| %-52s | %20s |\n", label.c_str(), value.c_str());
}

std::string ms(double v) {
    char text[64];
    std::snprintf(text, sizeof text, "%.2f ms", v);
    return text;
}

std::string megabytes(double kb) {
    char text[64];
    std::snprintf(text, sizeof text, "%.1f MB", kb / 1024.0);
    return text;
}

// The renderer's floor measured at the start of this run: machines of this kind differ by half
// again from one day to the next, so a scene's figures mean something only beside it.
struct Floor {
    double median = NAN;
    double p95 = NAN;
    double mesaMs = NAN;
};

std::string times(double v, double floor) {
    char text[64];
    std::snprintf(text, sizeof text, "%.2f x", v / floor);
    return text;
}

void printSceneHeader() {
    std::printf("| %-50s | %9s | %9s | %9s | %9s | %9s | %21s | %9s | %9s | %8s |\n", "scene", "median", "p95",
                "med/floor", "p95/floor", "mean", "Mesa's count", "Mesa/fl.", "CPU", "memory");
    std::printf("|%s|", std::string(52, '-').c_str());
    for (int column = 0; column < 5; ++column) std::printf("%s|", std::string(11, '-').c_str());
    std::printf("%s|%s|%s|%s|\n", std::string(23, '-').c_str(), std::string(11, '-').c_str(),
                std::string(11, '-').c_str(), std::string(10, '-').c_str());
}

// One row of the scene table, beside the floor. Mesa's rate counts frames per wall-clock second,
// so it compares with the mean; CPU is the process's processor time per frame, renderer threads
// included, which other work on a shared machine disturbs far less than the wall clock.
void printSceneRow(const std::string& label, const std::vector<std::string>& lines, const Floor& floor) {
    const double mesaFps = valueOf(lines, "mesaFps");
    const double median = valueOf(lines, "frameMedian");
    const double p95 = valueOf(lines, "frameP95");
    char mesa[64];
    std::snprintf(mesa, sizeof mesa, "%.1f fps = %.2f ms", mesaFps, 1000.0 / mesaFps);
    std::printf("| %-50s | %9s | %9s | %9s | %9s | %9s | %21s | %9s | %9s | %8s |\n", label.c_str(),
                ms(median).c_str(), ms(p95).c_str(), times(median, floor.median).c_str(),
                times(p95, floor.median).c_str(), ms(valueOf(lines, "frameMean")).c_str(), mesa,
                times(1000.0 / mesaFps, floor.mesaMs).c_str(), ms(valueOf(lines, "frameCpu")).c_str(),
                megabytes(valueOf(lines, "peakKb")).c_str());
    std::fflush(stdout);
}

// Measures the floor and prints it as the table's first row.
Floor measureFloor() {
    auto lines = runScenario([](std::ostream& out) { floorScenario(out, 1000, 10.0); }, "frameMedian");
    notePeak(lines);
    Floor floor;
    floor.median = valueOf(lines, "frameMedian");
    floor.p95 = valueOf(lines, "frameP95");
    floor.mesaMs = 1000.0 / valueOf(lines, "mesaFps");
    printSceneRow("the floor: one opaque full-screen quad + swap", lines, floor);
    return floor;
}

std::vector<std::string> runScene(const Scene& scene, int frames, double maxSeconds) {
    auto lines = runScenario([&](std::ostream& out) { sceneScenario(out, scene, frames, maxSeconds); }, "frameMedian");
    notePeak(lines);
    return lines;
}

// The zoom sweep from the widest stop to the closest: in flight thrusting, in flight still, and
// next to a wormhole.
void printSweep(const Floor& floor) {
    for (int notches : SWEEP_NOTCHES) {
        const Scene scene = flightZoomScene(notches, true);
        printSceneRow(scene.label, runScene(scene, 400, 8.0), floor);
    }
    for (int notches : SWEEP_NOTCHES) {
        const Scene scene = flightZoomScene(notches, false);
        printSceneRow(scene.label, runScene(scene, 400, 8.0), floor);
    }
    for (int notches : SWEEP_NOTCHES) {
        const Scene scene = wormholeScene(notches);
        printSceneRow(scene.label, runScene(scene, 400, 8.0), floor);
    }
}

// A few micro-benchmarks of hot helpers, run with --micro.
void BM_segmentCircle(benchmark::State& state) {
    point a{0, 0}, b{1000, 10}, c{500, 30};
    for (auto _ : state) benchmark::DoNotOptimize(intersectCircleLine(a, b, c, 25.0f));
}
BENCHMARK(BM_segmentCircle);

void BM_toString(benchmark::State& state) {
    float v = 1234.5678f;
    for (auto _ : state) benchmark::DoNotOptimize(toString(v));
}
BENCHMARK(BM_toString);

void usage() {
    std::fprintf(stderr,
                 "usage: quorble_bench DATA_DIRECTORY [BINARY] [--micro | --frames [SHIPS PROJECTILES] | "
                 "[--look DIRECTORY] --scenes [KEY...] | --sweep]\n");
}
}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        usage();
        return 2;
    }
    dataDirectory = argv[1];
    // No sound is measured: SDL's audio and OpenAL get silent devices, and nothing complains of
    // a missing sound card between the rows.
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    setenv("ALSOFT_DRIVERS", "null", 0);
    if (!waitForDisplay()) std::fprintf(stderr, "bench: the X server does not answer\n");
    const std::vector<Scene> scenes = playerScenes();
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        if (option == "--micro") {
            int benchArgc = 1;
            benchmark::Initialize(&benchArgc, argv);
            benchmark::RunSpecifiedBenchmarks();
            return 0;
        }
        if (option == "--frames") {
            // One load only (the default, or SHIPS and PROJECTILES): quick comparisons while profiling.
            const size_t ships = i + 1 < argc ? std::strtoul(argv[i + 1], nullptr, 10) : 0;
            const size_t shots = i + 2 < argc ? std::strtoul(argv[i + 2], nullptr, 10) : 0;
            auto lines = inChild([ships, shots](std::ostream& out) { loadScenario(out, ships, shots, 1000); });
            std::printf("frame median %.2f ms, p95 %.2f ms, CPU %.2f ms, peak memory %.1f MB\n",
                        valueOf(lines, "frameMedian"), valueOf(lines, "frameP95"), valueOf(lines, "frameCpu"),
                        valueOf(lines, "peakKb") / 1024.0);
            return 0;
        }
        if (option == "--look" && i + 1 < argc) {
            // A picture of each scene as it was last shown, to check that the scene is what it says.
            lookDirectory = argv[++i];
            continue;
        }
        if (option == "--sweep") {
            printSceneHeader();
            printSweep(measureFloor());
            return 0;
        }
        if (option == "--scenes") {
            // The scene table alone, or the scenes named by KEY (default, flight-window, planet-window,
            // wormhole, wormhole-close, widest, stress-in-view, stress, wormhole-N for N notches in, or
            // zoom-moving-N and zoom-still-N for the flight sweep's scene N notches in, negative out).
            std::vector<Scene> chosen;
            for (int k = i + 1; k < argc; ++k) {
                const std::string key = argv[k];
                if (key.rfind("wormhole-", 0) == 0 && std::isdigit(static_cast<unsigned char>(key[9]))) {
                    chosen.push_back(wormholeScene(std::atoi(key.c_str() + 9)));
                    continue;
                }
                bool sweepKey = false;
                for (bool moving : {true, false}) {
                    const std::string prefix = moving ? "zoom-moving-" : "zoom-still-";
                    if (key.rfind(prefix, 0) != 0 || key.size() == prefix.size()) continue;
                    chosen.push_back(flightZoomScene(std::atoi(key.c_str() + prefix.size()), moving));
                    sweepKey = true;
                }
                if (sweepKey) continue;
                auto found = std::find_if(scenes.begin(), scenes.end(), [&](const Scene& s) { return key == s.key; });
                if (found == scenes.end()) {
                    std::fprintf(stderr, "bench: no scene %s\n", key.c_str());
                    return 2;
                }
                chosen.push_back(*found);
            }
            if (chosen.empty()) chosen = scenes;
            printSceneHeader();
            const Floor floor = measureFloor();
            for (const Scene& scene : chosen) printSceneRow(scene.label, runScene(scene, 1000, 20.0), floor);
            return 0;
        }
    }

    std::vector<double> startups;
    for (int run = 0; run < 5; ++run) {
        auto lines = runScenario(startupScenario, "startup");
        notePeak(lines);
        startups.push_back(valueOf(lines, "startup"));
    }

    // The scenes a player meets, each run long enough for Mesa's half-second counts.
    printSceneHeader();
    const Floor floor = measureFloor();
    std::vector<std::string> stress, stressInView, defaultScene;
    for (const Scene& scene : scenes) {
        auto lines = runScene(scene, 2000, 30.0);
        printSceneRow(scene.label, lines, floor);
        if (scene.key == "stress") stress = lines;
        if (scene.key == "stress-in-view") stressInView = lines;
        if (scene.key == "default") defaultScene = lines;
    }
    std::printf("\n");
    printSceneHeader();
    printSweep(floor);

    std::printf("\n| %-52s | %20s |\n|%s|%s|\n", "measure", "figure", std::string(54, '-').c_str(),
                std::string(22, '-').c_str());
    printRow("start-up to first frame (median of 5)", ms(percentile(startups, 0.5)));
    for (size_t ships : {25, 50, 100, 200, 400}) {
        auto lines = runScenario([ships](std::ostream& out) { loadScenario(out, ships, 0, 500); }, "frameMedian");
        notePeak(lines);
        printRow("frame median with " + std::to_string(ships) + " ships", ms(valueOf(lines, "frameMedian")));
    }
    for (size_t shots : {250, 500, 1000, 2000, 4000}) {
        auto lines = runScenario([shots](std::ostream& out) { loadScenario(out, 0, shots, 500); }, "frameMedian");
        notePeak(lines);
        printRow("frame median with " + std::to_string(shots) + " projectiles", ms(valueOf(lines, "frameMedian")));
    }

    auto defaultSave = runScenario([](std::ostream& out) { saveLoadScenario(out, 0); }, "save");
    notePeak(defaultSave);
    printRow("save, default game (median of 5)", ms(valueOf(defaultSave, "save")));
    printRow("load, default game (median of 5)", ms(valueOf(defaultSave, "load")));
    auto bigSave = runScenario([](std::ostream& out) { saveLoadScenario(out, 10000); }, "save");
    notePeak(bigSave);
    printRow("save, 10000 entities (median of 5)", ms(valueOf(bigSave, "save")));
    printRow("load, 10000 entities (median of 5)", ms(valueOf(bigSave, "load")));

    printRow("peak memory, default load", megabytes(valueOf(defaultScene, "peakKb")));
    printRow("peak memory, 200 ships + 2000 projectiles scattered", megabytes(valueOf(stress, "peakKb")));
    printRow("peak memory, 200 ships + 2000 projectiles on screen", megabytes(valueOf(stressInView, "peakKb")));
    printRow("peak memory, 10000-entity save and load", megabytes(valueOf(bigSave, "peakKb")));
    printRow("peak memory (largest scenario)", megabytes(static_cast<double>(maxPeak)));
    return 0;
}
