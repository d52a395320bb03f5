// Tests of the named shader programs: building, look-ups, their messages, the source reader and
// the shipped GLSL programs.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "glHeaders.h"
#include "shaderList.h"
#include "testSupport.h"
#include "worldState.h"

namespace {

const char* const TRIVIAL_VS = "#version 120\nuniform float time;\nvoid main() {\n"
                               "    gl_Position = gl_Vertex * time;\n}\n";
const char* const TRIVIAL_FS = "#version 120\nvoid main() {\n    gl_FragColor = vec4(1.0);\n}\n";

class ShaderListTest : public ::testing::Test {
protected:
    void SetUp() override { ensureGlContext(); }

    void writePair(const std::string& name) {
        dir.write(name + ".vs", TRIVIAL_VS);
        dir.write(name + ".fs", TRIVIAL_FS);
    }

    TempDir dir;
    ShaderList shaders;
};

TEST_F(ShaderListTest, BuildsProgramAndFindsUniforms) {
    writePair("basic");
    std::string out = captureOutput([&] { shaders.insertShader("basic", dir.path()); });
    EXPECT_NE(out.find("Reading shader basic\n"), std::string::npos);
    EXPECT_EQ(out.find("result:"), std::string::npos) << out;

    int program = 0;
    ASSERT_TRUE(shaders.getShader("basic", program));
    EXPECT_NE(program, 0);
    EXPECT_TRUE(shaders.insertUniform("basic", "t", "time"));
    EXPECT_TRUE(shaders.insertUniform("basic", "missing", "notInSource"));
    int location = -5;
    EXPECT_TRUE(shaders.getUniform(program, "t", location));
    EXPECT_GE(location, 0);
    // An inactive GLSL name is stored as -1 and still found.
    EXPECT_TRUE(shaders.getUniform(program, "missing", location));
    EXPECT_EQ(location, -1);
    EXPECT_FALSE(shaders.getShader("Basic", program));
    EXPECT_FALSE(shaders.insertUniform("nope", "t", "time"));
}

TEST_F(ShaderListTest, DuplicateNamesResolveToTheFirst) {
    writePair("twin");
    captureOutput([&] {
        shaders.insertShader("twin", dir.path());
        shaders.insertShader("twin", dir.path());
    });
    ASSERT_EQ(shaders.size(), 2u);
    int first = 0;
    ASSERT_TRUE(shaders.getShader("twin", first));
    ASSERT_TRUE(shaders.insertUniform("twin", "t", "time"));
    int location = 0;
    EXPECT_TRUE(shaders.getUniform(first, "t", location));

    // The second program exists but every uniform went to the first.
    EXPECT_EQ(first, shaders.getPrograms()[0]);
    int second = shaders.getPrograms()[1];
    ASSERT_NE(second, first);
    std::string out = captureOutput([&] { EXPECT_FALSE(shaders.getUniform(second, "t", location)); });
    EXPECT_EQ(out, "Uniform t is not present in shader twin\n");
}

TEST_F(ShaderListTest, ShaderWithoutUniformsFailsEveryLookup) {
    writePair("plain");
    captureOutput([&] { shaders.insertShader("plain", dir.path()); });
    int program = 0;
    ASSERT_TRUE(shaders.getShader("plain", program));
    int location = 7;
    std::string out = captureOutput([&] { EXPECT_FALSE(shaders.getUniform(program, "time", location)); });
    EXPECT_EQ(out, "Uniform time is not present in shader plain\n");
    EXPECT_EQ(location, 7);
}

TEST_F(ShaderListTest, BadProgramNumberIsReported) {
    int location = 0;
    std::string out = captureOutput([&] { EXPECT_FALSE(shaders.getUniform(987654, "time", location)); });
    EXPECT_EQ(out, "Bad shader # 987654\n");
}

TEST_F(ShaderListTest, MissingSourceKeepsTheEntry) {
    dir.write("half.vs", TRIVIAL_VS);
    testing::internal::CaptureStderr();
    std::string out = captureOutput([&] {
        shaders.insertShader("half", dir.path());
        shaders.insertShader("gone", dir.path());
    });
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("Can't open file '" + dir.path() + "half.fs' for reading\n"), std::string::npos);
    EXPECT_NE(err.find("Can't open file '" + dir.path() + "gone.vs' for reading\n"), std::string::npos);
    EXPECT_EQ(shaders.size(), 2u);
    int program = 0;
    EXPECT_TRUE(shaders.getShader("gone", program));
    // The empty fragment source fails to compile and says so.
    EXPECT_NE(out.find("Fragment result:"), std::string::npos);
}

TEST_F(ShaderListTest, BrokenSourcePrintsItsLog) {
    dir.write("broken.vs", "#version 120\nvoid main() { this is not glsl; }\n");
    dir.write("broken.fs", TRIVIAL_FS);
    std::string out = captureOutput([&] { shaders.insertShader("broken", dir.path()); });
    EXPECT_NE(out.find("Vertex result:"), std::string::npos);
    EXPECT_EQ(shaders.size(), 1u);
}

TEST_F(ShaderListTest, InitializeShadersWalksTheDocument) {
    writePair("one");
    writeContent(dir, {{"shaders.xml", "<shaders>\n"
                                       "  <shader name=\"one\"><uniform name=\"t\" value=\"time\"/><bogus/></shader>\n"
                                       "  <other/>\n"
                                       "</shaders>\n"}});
    Universe universe(dir.path());
    ASSERT_TRUE(universe.loaded()) << universe.getLoadError();
    std::string out = captureOutput([&] { initializeShaders(universe); });
    EXPECT_EQ(out.find("Loading shaders\n"), 0u);
    EXPECT_NE(out.find("Not a uniform\n"), std::string::npos);
    EXPECT_NE(out.find("Not a shader\n"), std::string::npos);
    int program = 0, location = -1;
    ASSERT_TRUE(universe.shaderList.getShader("one", program));
    EXPECT_TRUE(universe.shaderList.getUniform(program, "t", location));
    EXPECT_GE(location, 0);
}

// Every program shipped in data/ compiles and links without a single log line.
TEST_F(ShaderListTest, ShippedProgramsBuildCleanly) {
    const std::string data = shippedDataDirectory();
    std::ifstream file(data + "shaders.xml");
    std::stringstream text;
    text << file.rdbuf();
    writeContent(dir, {{"shaders.xml", text.str()}});
    for (const char* name : {"wormhole", "flameExhaust", "smokeTrail", "explosion", "glowTrail"})
        for (const char* ext : {".vs", ".fs"}) {
            std::ifstream source(data + name + ext);
            std::stringstream body;
            body << source.rdbuf();
            ASSERT_FALSE(body.str().empty()) << name << ext;
            dir.write(std::string(name) + ext, body.str());
        }
    Universe universe(dir.path());
    ASSERT_TRUE(universe.loaded()) << universe.getLoadError();
    std::string out = captureOutput([&] { initializeShaders(universe); });
    EXPECT_EQ(out.find("result:"), std::string::npos) << out;
    EXPECT_EQ(out.find("Not a"), std::string::npos) << out;

    const std::vector<std::pair<std::string, std::vector<std::string>>> expected = {
        {"wormhole", {"time", "radius"}},
        {"flameExhaust", {"thrust", "time"}},
        {"smokeTrail",
         {"velocity", "size", "particleSize", "spinSpeed", "time", "position", "rand", "lifetime", "smoke", "color"}},
        {"explosion", {}},
        {"glowTrail", {}},
    };
    for (const auto& entry : expected) {
        int program = 0;
        ASSERT_TRUE(universe.shaderList.getShader(entry.first, program)) << entry.first;
        GLint linked = 0;
        glGetProgramiv(program, GL_LINK_STATUS, &linked);
        EXPECT_EQ(linked, GL_TRUE) << entry.first;
        for (const std::string& uniform : entry.second) {
            int location = -1;
            EXPECT_TRUE(universe.shaderList.getUniform(program, uniform, location)) << entry.first << " " << uniform;
            EXPECT_GE(location, 0) << entry.first << " " << uniform << " is not active";
        }
    }
}

class ReadEmitterTest : public ::testing::Test {
protected:
    TempDir dir;
};

TEST_F(ReadEmitterTest, DropsTheLastCharacter) {
    dir.write("abc.txt", "abc\n");
    std::unique_ptr<char[]> text;
    std::string out = captureOutput([&] { text = readEmitter(dir.path() + "abc.txt"); });
    ASSERT_TRUE(text);
    EXPECT_STREQ(text.get(), "abc");
    EXPECT_EQ(out, "File '" + dir.path() + "abc.txt' is 4 long\n");
}

TEST_F(ReadEmitterTest, EmptyFileGivesEmptyText) {
    dir.write("empty.txt", "");
    std::unique_ptr<char[]> text;
    captureOutput([&] { text = readEmitter(dir.path() + "empty.txt"); });
    ASSERT_TRUE(text);
    EXPECT_STREQ(text.get(), "");
}

TEST_F(ReadEmitterTest, SingleCharacterGivesEmptyText) {
    dir.write("one.txt", "x");
    std::unique_ptr<char[]> text;
    captureOutput([&] { text = readEmitter(dir.path() + "one.txt"); });
    ASSERT_TRUE(text);
    EXPECT_STREQ(text.get(), "");
}

TEST_F(ReadEmitterTest, MissingFileIsReportedAndNull) {
    testing::internal::CaptureStderr();
    std::unique_ptr<char[]> text = readEmitter(dir.path() + "none.vs");
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_FALSE(text);
    EXPECT_EQ(err, "Can't open file '" + dir.path() + "none.vs' for reading\n");
}

}  // namespace
