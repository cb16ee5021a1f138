// Writes the example CAD parts of examples/ (and, with --all, every test
// part) as STEP files into the given folder.
#include <cstdio>
#include <cstring>
#include <string>

#include "test_shapes.h"

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "Usage: korvex_example_parts FOLDER [--all]\n");
        return 2;
    }
    const std::string folder = argv[1];
    const bool all = argc > 2 && std::strcmp(argv[2], "--all") == 0;
    for (const korvex::test::TestPart& part : korvex::test::test_parts()) {
        if (!all && part.name != "pressure_vessel" && part.name != "filleted_box") continue;
        const std::string path = folder + "/" + part.name + ".step";
        if (!korvex::test::write_step(part.shape, path)) {
            std::fprintf(stderr, "cannot write %s\n", path.c_str());
            return 1;
        }
        std::printf("%s (element size %g)\n", path.c_str(), part.size);
    }
    return 0;
}
