// Performance table of the game, measured on the real frame loop with scripted input:
// start-up, frame times at the default and a stress load and how they grow, save and load
// times, and peak memory. Each scenario runs in a child process of its own (one window each).
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <SDL/SDL.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "basics.h"
#include "displayWait.h"
#include "gameMain.h"
#include "worldState.h"

namespace {
using Clock = std::chrono::steady_clock;

std::string dataDirectory;

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

// Keeps the player's world at the wanted numbers of ships and shots, scattered around the player.
void topUp(Universe& universe, size_t ships, size_t projectiles) {
    WorldState& world = universe.currentWorld();
    point p = universe.player->getPosition();
    while (world.ships.size() < ships) {
        float angle = static_cast<float>(randomDraw()) / 32767.0f * 6.28318f;
        float distance = 2000.0f + static_cast<float>(randomDraw() % 6000);
        point where{p.x + std::cos(angle) * distance, p.y + std::sin(angle) * distance};
        size_t type = 1 + static_cast<size_t>(randomDraw()) % (universe.shipTypes.size() - 1);
        world.ships.push_back(Ship(where, universe.shipTypes[type].name, static_cast<unsigned>(type), universe));
    }
    while (world.projectiles.size() < projectiles) {
        float angle = static_cast<float>(randomDraw()) / 32767.0f * 6.28318f;
        float distance = 500.0f + static_cast<float>(randomDraw() % 8000);
        point where{p.x + std::cos(angle) * distance, p.y + std::sin(angle) * distance};
        world.projectiles.push_back(
            Projectile(where, angle, world, 0, 0.0f, 0.0f, 1, std::vector<short>()));
    }
}

// Frame times (ms) of `frames` frames after a warm-up, keeping the load topped up.
std::vector<double> timeFrames(Game& game, int frames, size_t ships, size_t projectiles) {
    std::vector<double> times;
    for (int i = -100; i < frames; ++i) {
        if (ships || projectiles) topUp(game.universe(), ships, projectiles);
        Clock::time_point start = Clock::now();
        game.frame(SDL_GetTicks());
        if (i >= 0) times.push_back(millisecondsSince(start));
    }
    return times;
}

void reportFrames(std::ostream& out, const std::string& key, const std::vector<double>& times) {
    double sum = 0.0;
    for (double t : times) sum += t;
    out << key << "Median " << percentile(times, 0.5) << "\n" << key << "P95 " << percentile(times, 0.95) << "\n"
        << key << "Mean " << (times.empty() ? NAN : sum / static_cast<double>(times.size())) << "\n";
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

void startupScenario(std::ostream& out) {
    Clock::time_point start = Clock::now();
    Game game(benchOptions());
    if (game.startUp(0, nullptr) != 0) {
        std::fprintf(stderr, "bench: the game did not start (see /tmp/quorble-bench-%d.log)\n", getpid());
        return;
    }
    game.frame(SDL_GetTicks());
    out << "startup " << millisecondsSince(start) << "\n";
}

void loadScenario(std::ostream& out, size_t ships, size_t projectiles, int frames, bool mesaCount = false) {
    const std::string hudDirectory = "/tmp/quorble-bench-hud-" + std::to_string(getpid());
    if (mesaCount) enableMesaFrameCounter(hudDirectory);
    Game game(benchOptions());
    if (game.startUp(0, nullptr) != 0) {
        std::fprintf(stderr, "bench: the game did not start (see /tmp/quorble-bench-%d.log)\n", getpid());
        return;
    }
    reportFrames(out, "frame", timeFrames(game, frames, ships, projectiles));
    if (mesaCount) out << "mesaFps " << mesaFrameRate(hudDirectory, 4) << "\n";
}

void saveLoadScenario(std::ostream& out, size_t entities) {
    Game game(benchOptions());
    if (game.startUp(0, nullptr) != 0) {
        std::fprintf(stderr, "bench: the game did not start (see /tmp/quorble-bench-%d.log)\n", getpid());
        return;
    }
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
}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: quorble_bench DATA_DIRECTORY [BINARY] [--micro | --frames [SHIPS PROJECTILES]]\n");
        return 2;
    }
    dataDirectory = argv[1];
    if (!waitForDisplay()) std::fprintf(stderr, "bench: the X server does not answer\n");
    for (int i = 1; i < argc; ++i)
        if (std::string(argv[i]) == "--micro") {
            int benchArgc = 1;
            benchmark::Initialize(&benchArgc, argv);
            benchmark::RunSpecifiedBenchmarks();
            return 0;
        }

    for (int i = 2; i < argc; ++i) {
        if (std::string(argv[i]) != "--frames") continue;
        // One load only (the default, or SHIPS and PROJECTILES): quick comparisons while profiling.
        const size_t ships = i + 1 < argc ? std::strtoul(argv[i + 1], nullptr, 10) : 0;
        const size_t shots = i + 2 < argc ? std::strtoul(argv[i + 2], nullptr, 10) : 0;
        auto lines = inChild([ships, shots](std::ostream& out) { loadScenario(out, ships, shots, 1000); });
        std::printf("frame median %.2f ms, p95 %.2f ms, peak memory %.1f MB\n", valueOf(lines, "frameMedian"),
                    valueOf(lines, "frameP95"), valueOf(lines, "peakKb") / 1024.0);
        return 0;
    }
    std::printf("| %-52s | %20s |\n|%s|%s|\n", "measure", "figure", std::string(54, '-').c_str(),
                std::string(22, '-').c_str());

    std::vector<double> startups;
    for (int run = 0; run < 5; ++run) {
        auto lines = runScenario(startupScenario, "startup");
        notePeak(lines);
        startups.push_back(valueOf(lines, "startup"));
    }
    printRow("start-up to first frame (median of 5)", ms(percentile(startups, 0.5)));

    auto defaultLoad = runScenario([](std::ostream& out) { loadScenario(out, 0, 0, 2000, true); }, "frameMedian");
    notePeak(defaultLoad);
    printRow("frame, default load: median", ms(valueOf(defaultLoad, "frameMedian")));
    printRow("frame, default load: 95th percentile", ms(valueOf(defaultLoad, "frameP95")));
    printRow("frame, default load: mean", ms(valueOf(defaultLoad, "frameMean")));
    // Mesa's rate is frames per wall-clock second, so it compares with the mean frame time.
    const double mesaFps = valueOf(defaultLoad, "mesaFps");
    char mesaRow[64];
    std::snprintf(mesaRow, sizeof mesaRow, "%.1f fps = %.2f ms", mesaFps, 1000.0 / mesaFps);
    printRow("frame, default load: Mesa's own count (GALLIUM_HUD)", mesaRow);

    auto stress = runScenario([](std::ostream& out) { loadScenario(out, 200, 2000, 2000); }, "frameMedian");
    notePeak(stress);
    printRow("frame, 200 ships + 2000 projectiles: median", ms(valueOf(stress, "frameMedian")));
    printRow("frame, 200 ships + 2000 projectiles: 95th percentile", ms(valueOf(stress, "frameP95")));

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

    auto megabytes = [](double kb) {
        char text[64];
        std::snprintf(text, sizeof text, "%.1f MB", kb / 1024.0);
        return std::string(text);
    };
    printRow("peak memory, default load", megabytes(valueOf(defaultLoad, "peakKb")));
    printRow("peak memory, 200 ships + 2000 projectiles", megabytes(valueOf(stress, "peakKb")));
    printRow("peak memory, 10000-entity save and load", megabytes(valueOf(bigSave, "peakKb")));
    printRow("peak memory (largest scenario)", megabytes(static_cast<double>(maxPeak)));
    return 0;
}
