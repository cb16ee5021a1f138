// The shared library exports the three functions of the C interface and no
// other symbol (no engine function, no standard-library instantiation).
#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <sstream>
#include <string>

namespace {

// Defined symbols of the dynamic symbol table (nm -D --defined-only), or
// nothing when nm cannot be run.
bool exported_symbols(std::set<std::string>& names) {
    const std::string command = std::string("nm -D --defined-only '") + KORVEX_LIBRARY_PATH + "' 2>/dev/null";
    std::FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return false;
    std::string output;
    char chunk[4096];
    std::size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, pipe)) > 0) output.append(chunk, n);
    const int status = pclose(pipe);
    if (status != 0 || output.empty()) return false;
    std::istringstream lines(output);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        std::string address, type, name;
        fields >> address >> type >> name;
        if (!name.empty()) names.insert(name);
    }
    return true;
}

TEST(Exports, OnlyTheThreeFunctionsOfTheInterface) {
    std::set<std::string> names;
    if (!exported_symbols(names)) GTEST_SKIP() << "nm is not available";
    // Markers the linker gives some shared objects.
    for (const char* marker : {"_init", "_fini", "__bss_start", "_edata", "_end"}) names.erase(marker);
    const std::set<std::string> expected{"GenerateQuads", "SetMeshParameters", "SetMessageCallback"};
    EXPECT_EQ(names, expected);
}

}  // namespace
