#include "library_host.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "support/model_builder.h"

namespace korvex::test {

namespace fs = std::filesystem;

const char* const kBanner =
    "\n"
    " ****************** KORVEX 4.0       ***********\n"
    " *  Generator of quadrilateral finite element meshes *\n"
    " *                on curved surfaces.                *\n"
    " R***************************************************R\n"
    "\n";

namespace {

std::vector<std::string>* g_messages = nullptr;

extern "C" void collect_message(const char* text) {
    if (g_messages) g_messages->push_back(text);
}

// Redirects standard output into a file until finish().
class StdoutCapture {
public:
    explicit StdoutCapture(const fs::path& file) : file_(file) {
        std::fflush(stdout);
        saved_ = dup(STDOUT_FILENO);
        const int fd = open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(fd, STDOUT_FILENO);
        close(fd);
    }
    std::string finish() {
        std::fflush(stdout);
        dup2(saved_, STDOUT_FILENO);
        close(saved_);
        saved_ = -1;
        return read_file(file_);
    }
    ~StdoutCapture() {
        if (saved_ >= 0) finish();
    }

private:
    fs::path file_;
    int saved_ = -1;
};

}  // namespace

long RunOutput::index_of(const std::string& text) const {
    for (std::size_t i = 0; i < messages.size(); ++i)
        if (messages[i] == text) return static_cast<long>(i);
    return -1;
}

LibraryHost::LibraryHost() {
    handle_ = dlopen(KORVEX_LIBRARY_PATH, RTLD_NOW | RTLD_LOCAL);
    if (!handle_) {
        ADD_FAILURE() << "cannot load the library: " << dlerror();
        return;
    }
    set_callback_ = reinterpret_cast<decltype(set_callback_)>(dlsym(handle_, "SetMessageCallback"));
    set_parameters_ = reinterpret_cast<decltype(set_parameters_)>(dlsym(handle_, "SetMeshParameters"));
    generate_ = reinterpret_cast<decltype(generate_)>(dlsym(handle_, "GenerateQuads"));
    if (!set_callback_ || !set_parameters_ || !generate_) {
        ADD_FAILURE() << "the library lacks an exported function";
        dlclose(handle_);
        handle_ = nullptr;
        return;
    }
    std::string tmpl = (fs::temp_directory_path() / "korvex_host_XXXXXX").string();
    if (mkdtemp(tmpl.data())) folder_ = tmpl;
    use_callback(true);
    set_parameters(false, 200, 150, 150, 1000000);
}

LibraryHost::~LibraryHost() {
    if (handle_) {  // the settings persist in the process: leave the defaults behind
        set_callback_(nullptr);
        set_parameters(false, 200, 150, 150, 1000000);
        dlclose(handle_);
    }
    std::error_code ec;
    if (!folder_.empty()) fs::remove_all(folder_, ec);
}

void LibraryHost::use_callback(bool on) {
    if (set_callback_) set_callback_(on ? collect_message : nullptr);
}

void LibraryHost::set_parameters(bool tree_guard, int max_subregions, int max_curves_per_tree, int max_points_per_tree,
                                 int max_nodel_3d) {
    if (set_parameters_)
        set_parameters_(tree_guard, max_subregions, max_curves_per_tree, max_points_per_tree, max_nodel_3d);
}

RunOutput LibraryHost::run(const std::vector<std::string>& args) {
    RunOutput out;
    if (!handle_) return out;
    std::vector<std::string> storage{"host"};
    storage.insert(storage.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& a : storage) argv.push_back(a.data());
    argv.push_back(nullptr);
    fs::path log;
    if (args.size() == 1 && args[0].size() >= 3) {
        log = args[0].substr(0, args[0].size() - 3) + "LOG";
        std::error_code ec;
        fs::remove(log, ec);
    }
    g_messages = &out.messages;
    // The run works in the host's own folder, where it leaves its working
    // file, so that test programs running side by side do not share one.
    const fs::path previous = fs::current_path();
    fs::current_path(folder_);
    StdoutCapture capture(folder_ / "stdout.txt");
    out.result = generate_(static_cast<int>(storage.size()), argv.data());
    out.stdout_text = capture.finish();
    fs::current_path(previous);
    g_messages = nullptr;
    if (!log.empty() && fs::exists(log)) out.log_text = read_file(log);
    return out;
}

RunOutput LibraryHost::run_model(const std::string& name, const std::string& text) {
    const fs::path model = folder_ / name;
    write_file(model, text);
    return run({model.string()});
}

}  // namespace korvex::test
