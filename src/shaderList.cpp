// Builds the named GLSL programs listed in shaders.xml and answers program and uniform look-ups.
#include "shaderList.h"

#include <cstdio>
#include <iostream>
#include <new>

#include "glHeaders.h"
#include "worldState.h"
#include "xmlValues.h"

namespace {

// Size of the buffer each info log is read into; longer logs are cut.
constexpr int LOG_SIZE = 1024;

// Compiles one stage from `source` (an empty text when the file could not be read).
GLuint compileStage(GLenum kind, const char* source, const char* label) {
    std::string log;
    bool compiled = false;
    GLuint shader = compileShaderStage(kind, source, log, compiled);
    if (!log.empty()) std::cout << label << log << std::endl;
    return shader;
}

// Closes a C file handle however the reader leaves.
struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

}  // namespace

unsigned compileShaderStage(unsigned kind, const char* source, std::string& log, bool& compiled) {
    GLuint shader = glCreateShader(kind);
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    GLint status = GL_FALSE;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &status);
    compiled = status == GL_TRUE;
    char text[LOG_SIZE];
    GLsizei length = 0;
    glGetShaderInfoLog(shader, LOG_SIZE, &length, text);
    log.assign(text, static_cast<size_t>(length));
    return shader;
}

void ShaderList::insertShader(const std::string& name, const std::string& directory) {
    std::unique_ptr<char[]> vertexText = readEmitter(directory + name + ".vs");
    std::unique_ptr<char[]> fragmentText = readEmitter(directory + name + ".fs");
    std::cout << "Reading shader " << name << std::endl;

    // A missing file compiles as an empty source: its log is printed and the entry is still
    // kept, so the indices of later shaders do not move.
    GLuint vertex = compileStage(GL_VERTEX_SHADER, vertexText ? vertexText.get() : "", "Vertex result:");
    GLuint fragment = compileStage(GL_FRAGMENT_SHADER, fragmentText ? fragmentText.get() : "", "Fragment result:");

    GLuint program = glCreateProgram();
    glAttachShader(program, fragment);
    glAttachShader(program, vertex);
    glLinkProgram(program);
    char log[LOG_SIZE];
    GLsizei length = 0;
    glGetProgramInfoLog(program, LOG_SIZE, &length, log);
    if (length > 0) std::cout << "Program result:" << std::string(log, length) << std::endl;

    programs.push_back(static_cast<int>(program));
    names.push_back(name);
    uniformNames.emplace_back();
    uniformLocations.emplace_back();
}

bool ShaderList::insertUniform(const std::string& shaderName, const std::string& shortName,
                               const std::string& glslName) {
    for (size_t i = 0; i < names.size(); ++i) {
        if (names[i] != shaderName) continue;
        uniformNames[i].push_back(shortName);
        uniformLocations[i].push_back(glGetUniformLocation(programs[i], glslName.c_str()));
        return true;
    }
    return false;
}

bool ShaderList::getShader(const std::string& name, int& program) const {
    for (size_t i = 0; i < names.size(); ++i) {
        if (names[i] == name) {
            program = programs[i];
            return true;
        }
    }
    return false;
}

bool ShaderList::getUniform(int program, const std::string& shortName, int& location) const {
    for (size_t i = 0; i < programs.size(); ++i) {
        if (programs[i] != program) continue;
        for (size_t u = 0; u < uniformNames[i].size(); ++u) {
            if (uniformNames[i][u] == shortName) {
                location = uniformLocations[i][u];
                return true;
            }
        }
        std::cout << "Uniform " << shortName << " is not present in shader " << names[i] << std::endl;
        return false;
    }
    std::cout << "Bad shader # " << program << std::endl;
    return false;
}

void initializeShaders(Universe& universe) {
    std::cout << "Loading shaders" << std::endl;
    XmlNode* root = universe.shadersDoc.root();
    if (!root) return;
    const std::string directory = universe.dataPath("");
    for (XmlNode* shader = root->first_node(); shader; shader = shader->next_sibling()) {
        if (shader->type() != rapidxml::node_element) continue;
        if (std::string(shader->name(), shader->name_size()) != "shader") {
            std::cout << "Not a shader" << std::endl;
            continue;
        }
        const std::string shaderName = getVal(shader, "name");
        universe.shaderList.insertShader(shaderName, directory);
        for (XmlNode* uniform = shader->first_node(); uniform; uniform = uniform->next_sibling()) {
            if (uniform->type() != rapidxml::node_element) continue;
            if (std::string(uniform->name(), uniform->name_size()) != "uniform") {
                std::cout << "Not a uniform" << std::endl;
                continue;
            }
            universe.shaderList.insertUniform(shaderName, getVal(uniform, "name"), getVal(uniform, "value"));
        }
    }
}

std::unique_ptr<char[]> readEmitter(const std::string& path) {
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "r"));
    if (!file) {
        std::cerr << "Can't open file '" << path << "' for reading" << std::endl;
        return nullptr;
    }
    std::fseek(file.get(), 0, SEEK_END);
    long size = std::ftell(file.get());
    std::fseek(file.get(), 0, SEEK_SET);
    if (size < 0) size = 0;
    std::cout << "File '" << path << "' is " << size << " long" << std::endl;

    // One byte more than the file so that an empty file still yields a terminated text.
    std::unique_ptr<char[]> text(new (std::nothrow) char[static_cast<size_t>(size) + 1]);
    if (!text) {
        std::cerr << "Can't malloc space for '" << path << "'" << std::endl;
        return nullptr;
    }
    size_t count = std::fread(text.get(), 1, static_cast<size_t>(size), file.get());
    // The last character read gives way to the terminator (sources end with a line break).
    text[count > 0 ? count - 1 : 0] = '\0';
    return text;
}
