// Fuzz target: one model text through the reader and the whole pipeline,
// driven as a host drives the library. A small node capacity keeps every run
// short and its memory bounded, whatever step sizes the input asks for.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include <unistd.h>

#include "korvex/korvex.h"

namespace {

constexpr int kFuzzMaxNodes = 5000;  // MAX_NODEL_3D of every fuzz run

void ignore_message(const char*) {}

// The folder of this process's model, result and log; removed at exit.
struct ScratchFolder {
    std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("korvex_fuzz_" + std::to_string(getpid()));
    ScratchFolder() { std::filesystem::create_directories(dir); }
    ~ScratchFolder() {
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
    }
};

const std::string& model_path() {
    static const ScratchFolder folder;
    static const std::string path = (folder.dir / "model.sur").string();
    return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    {
        std::ofstream out(model_path(), std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    SetMessageCallback(ignore_message);
    SetMeshParameters(false, 200, 150, 150, kFuzzMaxNodes);
    std::string path = model_path();
    char name[] = "korvex_fuzz";
    char* argv[] = {name, path.data()};
    GenerateQuads(2, argv);
    return 0;
}
