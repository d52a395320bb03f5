// Test runner: a silent sound device and a fixed random sequence for every test.
#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv) {
    setenv("ALSOFT_DRIVERS", "null", 0);
    std::srand(12345);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
