// The korvex command: meshes one model through the library's entry point.
#include <cstdio>
#include <cstring>

#include "korvex/korvex.h"

int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
        std::printf("Usage: korvex MODEL.sur\n"
                    "Meshes the surface model MODEL.sur with quadrilaterals and writes\n"
                    "MODEL.m3d (the mesh) and MODEL.LOG (the log) beside it.\n"
                    "Exit status: 0 when the mesh was written, 1 otherwise.\n");
        return 0;
    }
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("korvex 4.0\n");
        return 0;
    }
    const int result = GenerateQuads(argc, argv);
    // The library's last message of a failed run has no line end of its own.
    if (result != 0) std::printf("\n");
    return result;
}
