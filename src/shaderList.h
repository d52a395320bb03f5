// Named GLSL programs with their uniform locations under short names, built from shaders.xml.
#pragma once

#include <memory>
#include <string>
#include <vector>

class Universe;

// Four parallel lists, entry i of each belonging to the i-th shader in insertion order.
// A plain value: copies refer to the same GL programs, which live until the process ends.
class ShaderList {
public:
    // Compiles and links name.vs and name.fs (found under `directory`) and appends an entry.
    void insertShader(const std::string& name, const std::string& directory = "");
    bool insertUniform(const std::string& shaderName, const std::string& shortName, const std::string& glslName);
    bool getShader(const std::string& name, int& program) const;
    bool getUniform(int program, const std::string& shortName, int& location) const;
    size_t size() const { return names.size(); }
    // The programs in insertion order.
    const std::vector<int>& getPrograms() const { return programs; }

private:
    std::vector<std::string> names;
    std::vector<int> programs;
    std::vector<std::vector<std::string>> uniformNames;
    std::vector<std::vector<int>> uniformLocations;
};

void initializeShaders(Universe& universe);

// Compiles one GLSL stage of `kind` from `source`. `log` receives the compiler's log (empty when
// it said nothing) and `compiled` whether it succeeded; the stage is returned either way.
unsigned compileShaderStage(unsigned kind, const char* source, std::string& log, bool& compiled);

// Whole text file without its final character, or null when it cannot be read.
std::unique_ptr<char[]> readEmitter(const std::string& path);
