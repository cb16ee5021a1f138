#include "mesh_runs.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstdio>
#include <functional>
#include <map>
#include <string>
#include <thread>

#include "korvex/korvex.h"
#include "output/export_formats.h"
#include "output/node_sets.h"
#include "private_folder.h"
#include "run_report.h"

namespace korvex::cli {

namespace {

// Standard output taken over while the object lives: everything written to
// it (the library's banner and messages) is collected, and with `echo` also
// passed on as it comes, so that a verbose run shows it live.
class StdoutCapture {
public:
    explicit StdoutCapture(bool echo) {
        std::fflush(stdout);
        int ends[2];
        if (pipe(ends) != 0) return;
        saved_ = dup(STDOUT_FILENO);
        if (saved_ < 0 || dup2(ends[1], STDOUT_FILENO) < 0) {
            close(ends[0]);
            close(ends[1]);
            return;
        }
        close(ends[1]);
        reader_ = std::thread([this, from = ends[0], echo] {
            char buffer[4096];
            for (;;) {
                const ssize_t n = read(from, buffer, sizeof buffer);
                if (n < 0 && errno == EINTR) continue;
                if (n <= 0) break;
                text_.append(buffer, static_cast<std::size_t>(n));
                if (echo) write_all(saved_, buffer, static_cast<std::size_t>(n));
            }
            close(from);
        });
    }
    ~StdoutCapture() { finish(); }
    StdoutCapture(const StdoutCapture&) = delete;
    StdoutCapture& operator=(const StdoutCapture&) = delete;

    // Gives standard output back and returns what was written to it.
    const std::string& finish() {
        if (saved_ >= 0) {
            std::fflush(stdout);
            dup2(saved_, STDOUT_FILENO);  // closes the pipe's last writing end: the reader sees its end
            if (reader_.joinable()) reader_.join();
            close(saved_);
            saved_ = -1;
        }
        return text_;
    }

private:
    static void write_all(int fd, const char* data, std::size_t size) {
        while (size > 0) {
            const ssize_t n = write(fd, data, size);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) return;
            data += n;
            size -= static_cast<std::size_t>(n);
        }
    }

    int saved_ = -1;
    std::thread reader_;
    std::string text_;
};

std::string read_text(const std::string& path) {
    std::string text;
    if (std::FILE* f = std::fopen(path.c_str(), "rb")) {
        char buffer[65536];
        std::size_t n = 0;
        while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) text.append(buffer, n);
        std::fclose(f);
    }
    return text;
}

// Meshes one model. The library prints its messages on standard output; they
// are echoed only in the verbose mode, and kept in `stream` for the summary
// and the reason of a failure (the log receives them all in every mode).
int generate(const char* program, const std::string& model, bool verbose, std::string& stream) {
    std::string path = model;
    std::string name = program;
    char* argv[] = {name.data(), path.data(), nullptr};
    StdoutCapture capture(verbose);
    const int result = GenerateQuads(2, argv);
    stream = capture.finish();
    // The library's last message of a failed run has no line end of its own.
    if (verbose && result != 0) std::printf("\n");
    return result;
}

// The summary of a meshed model on standard output, or the reason of a
// failure on standard error.
void tell(const MeshOptions& o, const std::string& model, int result, const std::string& stream) {
    if (result != 0) {
        std::fflush(stdout);
        // One write, so that the reasons of workers failing together do not interleave.
        std::string reason = "korvex: " + model + ": meshing failed\n";
        for (const std::string& line : failure_lines(stream)) reason += "  " + line + "\n";
        std::fputs(reason.c_str(), stderr);
        std::fflush(stderr);
        return;
    }
    if (o.quiet || o.verbose) return;
    const std::string base = model.substr(0, model.size() - 3);
    std::fputs(run_summary(model, read_text(model), stream, base + "m3d", base + "LOG").c_str(), stdout);
}

// One model from start to exports; `privately` runs the engine in a folder
// of its own; `after_mesh` works on a successful mesh before it is told.
int mesh_one(const MeshOptions& o, const char* program, const std::string& model, bool privately,
             const std::function<int()>& after_mesh = {}) {
    std::string stream;
    const auto run = [&] { return generate(program, model, o.verbose, stream); };
    int result = privately ? run_in_private_folder(model, run) : run();
    if (result == 0 && after_mesh) result = after_mesh();
    tell(o, model, result, stream);
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
    if (!output::attach_node_sets(mesh, model, error)) std::fprintf(stderr, "korvex: %s (no node sets)\n", error.c_str());
    int result = 0;
    for (const std::string& format : formats) {
        const std::string path = stem + output::export_extension(format);
        if (!output::write_export(mesh, format, path, output::ExportOptions{}, error)) {
            std::fprintf(stderr, "korvex: %s\n", error.c_str());
            result = 1;
        } else if (!quiet) {
            std::printf(" Export (%s) written to %s\n", format.c_str(), path.c_str());
            if (format == "nastran" && !mesh.node_sets.empty())
                std::printf(" Node sets written to %s\n", output::node_set_list_path(path).c_str());
        }
    }
    return result;
}

// The run settings of the options for the library's next runs: its
// capacities, and the settings it reads from the environment at each
// run (its three C functions stay as they are); worker processes inherit them.
void apply_run_settings(const MeshOptions& o) {
    const Capacities& c = o.capacities;
    SetMeshParameters(c.tree_guard, c.max_subregions, c.max_curves_per_tree, c.max_points_per_tree, c.max_nodes);
    if (o.threads > 0) setenv("KORVEX_THREADS", std::to_string(o.threads).c_str(), 1);
    if (o.max_curves_per_edge > 0)
        setenv("KORVEX_MAX_CURVES_PER_EDGE", std::to_string(o.max_curves_per_edge).c_str(), 1);
    if (o.max_curves > 0) setenv("KORVEX_MAX_CURVES", std::to_string(o.max_curves).c_str(), 1);
    if (o.max_new_points > 0) setenv("KORVEX_MAX_NEW_POINTS", std::to_string(o.max_new_points).c_str(), 1);
}

int mesh_model(const MeshOptions& o, const char* program, const std::string& model,
               const std::function<int()>& after_mesh) {
    apply_run_settings(o);
    return mesh_one(o, program, model, false, after_mesh);
}

int run_models(const MeshOptions& options, const char* program) {
    // CAD parts are imported and meshed one after another in this process;
    // the models among them as before.
    MeshOptions o = options;
    o.models.clear();
    int failures = 0;
    for (const std::string& model : options.models) {
        if (!is_cad_part_path(model)) {
            o.models.push_back(model);
        } else if (mesh_cad_part(options, program, model) != 0) {
            ++failures;
        }
    }
    if (o.models.empty()) return failures == 0 ? 0 : 1;
    apply_run_settings(o);
    if (o.jobs > 1 && o.models.size() > 1) return run_in_workers(o, program) != 0 || failures ? 1 : 0;
    for (const std::string& model : o.models)
        if (mesh_one(o, program, model, false) != 0) ++failures;
    return failures == 0 ? 0 : 1;
}

}  // namespace korvex::cli
