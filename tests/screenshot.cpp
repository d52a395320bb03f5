#include "screenshot.h"

#include <boost/filesystem.hpp>
#include <cstdio>
#include <fstream>

std::string runCommand(const std::string& command) {
    std::string result;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return result;
    char buffer[256];
    while (fgets(buffer, sizeof buffer, pipe)) result += buffer;
    pclose(pipe);
    return result;
}

void Screenshot::at(int x, int y, int& r, int& g, int& b) const {
    size_t i = (static_cast<size_t>(y) * width + x) * 3;
    r = rgb[i];
    g = rgb[i + 1];
    b = rgb[i + 2];
}

std::string artefactDirectory() {
    std::string path = std::string(QUORBLE_SOURCE_DIR) + "/build/test-artefacts/";
    boost::filesystem::create_directories(path);
    return path;
}

Screenshot takeScreenshot(const std::string& name, const std::string& scratchDirectory) {
    Screenshot shot;
    std::string png = artefactDirectory() + name + ".png";
    std::string ppm = scratchDirectory + "/shot.ppm";
    runCommand("/usr/bin/import -window root '" + png + "' 2>/dev/null && /usr/bin/convert '" + png + "' '" + ppm +
               "' 2>/dev/null");
    std::ifstream in(ppm, std::ios::binary);
    std::string magic;
    int maxValue = 0;
    in >> magic >> shot.width >> shot.height >> maxValue;
    in.get();
    if (magic != "P6" || maxValue != 255) return Screenshot{};
    shot.rgb.resize(static_cast<size_t>(shot.width) * shot.height * 3);
    in.read(reinterpret_cast<char*>(shot.rgb.data()), static_cast<std::streamsize>(shot.rgb.size()));
    if (!in) return Screenshot{};
    return shot;
}
