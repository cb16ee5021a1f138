#include "mesh_runs.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <map>
#include <string>

#include "korvex/korvex.h"
#include "output/export_formats.h"
#include "private_folder.h"

namespace korvex::cli {

namespace {

// Standard output goes to /dev/null while the object lives (the -q mode:
// the log still receives every message).
class SilentStdout {
public:
    SilentStdout() {
        std::fflush(stdout);
        saved_ = dup(STDOUT_FILENO);
        const int null = open("/dev/null", O_WRONLY);
        if (null >= 0) {
            dup2(null, STDOUT_FILENO);
            close(null);
        }
    }
    ~SilentStdout() {
        std::fflush(stdout);
        if (saved_ >= 0) {
            dup2(saved_, STDOUT_FILENO);
            close(saved_);
        }
    }
    SilentStdout(const SilentStdout&) = delete;
    SilentStdout& operator=(const SilentStdout&) = delete;

private:
    int saved_ = -1;
};

int generate(const char* program, const std::string& model, bool quiet) {
    std::string path = model;
    std::string name = program;
    char* argv[] = {name.data(), path.data(), nullptr};
    if (quiet) {
        const SilentStdout silent;
        return GenerateQuads(2, argv);
    }
    const int result = GenerateQuads(2, argv);
    // The library's last message of a failed run has no line end of its own.
    if (result != 0) std::printf("\n");
    return result;
}

// One model from start to exports; `privately` runs the engine in a folder of its own.
int mesh_one(const MeshOptions& o, const char* program, const std::string& model, bool privately) {
    const auto run = [&] { return generate(program, model, o.quiet); };
    int result = privately ? run_in_private_folder(model, run) : run();
    if (result != 0 && (o.quiet || o.models.size() > 1)) std::fprintf(stderr, "korvex: %s: meshing failed\n", model.c_str());
    if (result == 0 && !o.exports.empty()) result = export_beside_model(model, o.exports, o.quiet);
    std::fflush(stdout);
    return result;
}

struct Worker {
    std::size_t model = 0;
    std::FILE* output = nullptr;  // the worker's standard output, shown when it ends
};

// Shows a finished worker's output in one piece, so that runs do not interleave.
void show_output(std::FILE* output) {
    std::rewind(output);
    char buffer[4096];
    std::size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, output)) > 0) std::fwrite(buffer, 1, n, stdout);
    std::fclose(output);
    std::fflush(stdout);
}

bool start_worker(const MeshOptions& o, const char* program, std::size_t m, std::map<pid_t, Worker>& running) {
    std::FILE* output = std::tmpfile();
    if (!output) return false;
    std::fflush(stdout);
    std::fflush(stderr);
    const pid_t pid = fork();
    if (pid < 0) {
        std::fclose(output);
        return false;
    }
    if (pid == 0) {
        dup2(fileno(output), STDOUT_FILENO);
        const int result = mesh_one(o, program, o.models[m], true);
        std::fflush(stdout);
        std::fflush(stderr);
        _exit(result);
    }
    running[pid] = Worker{m, output};
    return true;
}

int run_in_workers(const MeshOptions& o, const char* program) {
    std::map<pid_t, Worker> running;
    std::size_t next = 0;
    int failures = 0;
    while (next < o.models.size() || !running.empty()) {
        while (next < o.models.size() && static_cast<int>(running.size()) < o.jobs) {
            if (!start_worker(o, program, next, running)) {
                std::fprintf(stderr, "korvex: cannot start a worker for %s\n", o.models[next].c_str());
                ++failures;
            }
            ++next;
        }
        if (running.empty()) break;
        int status = 0;
        const pid_t pid = waitpid(-1, &status, 0);
        const auto it = running.find(pid);
        if (it == running.end()) continue;
        show_output(it->second.output);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) ++failures;
        if (WIFSIGNALED(status))
            std::fprintf(stderr, "korvex: %s: worker ended by signal %d\n", o.models[it->second.model].c_str(),
                         WTERMSIG(status));
        running.erase(it);
    }
    return failures == 0 ? 0 : 1;
}

}  // namespace

int export_beside_model(const std::string& model, const std::vector<std::string>& formats, bool quiet) {
    // The engine names its result after the model with the three-letter
    // extension replaced; the exports drop the dot as well.
    const std::string base = model.substr(0, model.size() - 3);
    const std::string stem = model.substr(0, model.size() - 4);
    output::ResultMesh mesh;
    std::string error;
    if (!output::read_result_mesh(base + "m3d", mesh, error)) {
        std::fprintf(stderr, "korvex: %s\n", error.c_str());
        return 1;
    }
    int result = 0;
    for (const std::string& format : formats) {
        const std::string path = stem + output::export_extension(format);
        if (!output::write_export(mesh, format, path, output::ExportOptions{}, error)) {
            std::fprintf(stderr, "korvex: %s\n", error.c_str());
            result = 1;
        } else if (!quiet) {
            std::printf(" Export (%s) written to %s\n", format.c_str(), path.c_str());
        }
    }
    return result;
}

int run_models(const MeshOptions& o, const char* program) {
    const Capacities& c = o.capacities;
    SetMeshParameters(c.tree_guard, c.max_subregions, c.max_curves_per_tree, c.max_points_per_tree, c.max_nodes);
    if (o.jobs > 1 && o.models.size() > 1) return run_in_workers(o, program);
    int failures = 0;
    for (const std::string& model : o.models)
        if (mesh_one(o, program, model, false) != 0) ++failures;
    return failures == 0 ? 0 : 1;
}

}  // namespace korvex::cli
