// The korvex command: meshes models through the library's entry point, and
// works on existing meshes through its sub-commands (export, quality, render);
// imports CAD parts as models (import, or a part given as a model).
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#if defined(__GLIBC__)
#include <malloc.h>
#include <unistd.h>
#endif

#include "command_line.h"
#include "mesh_runs.h"
#include "sub_commands.h"

namespace {

int sub_command(const std::string& name, int argc, char** argv) {
    const std::vector<std::string> args(argv + 2, argv + argc);
    if (name == "import") return korvex::cli::import_command(args);
    if (name == "export") return korvex::cli::export_command(args);
    if (name == "quality") return korvex::cli::quality_command(args);
    return korvex::cli::render_command(args);
}

}  // namespace

namespace {

// A run allocates, grows and frees arrays of up to hundreds of megabytes.
// By default the C library maps each large block afresh and returns it when
// freed, so every such array costs a page fault per page, again and again;
// keeping freed memory for reuse makes large runs markedly faster for a
// somewhat higher peak. The command owns its process, so it may choose
// this; the library leaves its host's allocator alone.
void keep_freed_memory_for_reuse() {
#if defined(__GLIBC__)
    mallopt(M_MMAP_THRESHOLD, 32 * 1024 * 1024);  // the largest block the heap serves without a mapping
    mallopt(M_TRIM_THRESHOLD, 1024 * 1024 * 1024);
    mallopt(M_TOP_PAD, 64 * 1024 * 1024);
#endif
}

// Most of a large run's system time goes to faulting in its arrays one 4 KiB
// page at a time. The C library backs its heap with transparent huge pages
// when its hugetlb setting asks for it, and it reads that setting only from
// the environment at start-up: so the command sets it and starts itself
// again, once. When that fails the run goes on as it is.
void back_the_heap_with_huge_pages(char** argv) {
#if defined(__GLIBC__) && defined(__linux__)
    static const char kSetting[] = "glibc.malloc.hugetlb";
    const char* old = std::getenv("GLIBC_TUNABLES");
    if (old != nullptr && std::strstr(old, kSetting) != nullptr) return;
    const std::string saved = old != nullptr ? old : "";
    const std::string value = (saved.empty() ? "" : saved + ":") + kSetting + "=1";
    // The program's own path (not the /proc link, which would name the
    // process after the link).
    char self[4096];
    const ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
    if (length <= 0 || static_cast<std::size_t>(length) >= sizeof self - 1) return;
    self[length] = '\0';
    if (setenv("GLIBC_TUNABLES", value.c_str(), 1) != 0) return;
    execv(self, argv);
    if (old != nullptr)
        setenv("GLIBC_TUNABLES", saved.c_str(), 1);
    else
        unsetenv("GLIBC_TUNABLES");
#else
    (void)argv;
#endif
}

}  // namespace

int main(int argc, char** argv) {
    back_the_heap_with_huge_pages(argv);
    keep_freed_memory_for_reuse();
    if (argc >= 2) {
        const std::string first = argv[1];
        if (first == "import" || first == "export" || first == "quality" || first == "render") return sub_command(first, argc, argv);
    }
    korvex::cli::MeshOptions options;
    const std::string error = korvex::cli::parse_mesh_options(argc, argv, options);
    if (!error.empty()) {
        std::fprintf(stderr, "korvex: %s\nTry 'korvex --help'.\n", error.c_str());
        return 2;
    }
    if (options.help) {
        std::fputs(korvex::cli::help_text(), stdout);
        return 0;
    }
    if (options.version) {
        std::printf("korvex 4.0\n");
        return 0;
    }
    if (options.models.empty()) {
        std::fprintf(stderr, "%sTry 'korvex --help'.\n", korvex::cli::usage_text().c_str());
        return 2;
    }
    return korvex::cli::run_models(options, argv[0]);
}
