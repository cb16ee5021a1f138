#include "private_folder.h"

#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <system_error>
#include <vector>

namespace korvex::cli {

namespace fs = std::filesystem;

namespace {

// Where a relative model path is rebuilt: `work` is the folder the run
// starts in, `real` the folder it stands for. Each leading ".." becomes a
// level of empty folders under the private root, so that ".." leads back to
// the root, where the first named component is a link to the real one.
struct Layout {
    fs::path work;
    fs::path real;
    fs::path link;            // the link made in the root, empty if none
    bool bare_name = false;   // the link is the model file itself
};

Layout lay_out(const fs::path& root, const fs::path& home, const fs::path& model) {
    Layout l{root, home, {}, false};
    if (model.is_absolute()) return l;
    auto it = model.begin();
    int level = 0;
    for (; it != model.end() && (*it == "." || *it == ".."); ++it) {
        if (*it == "..") {
            l.work /= "up" + std::to_string(level++);
            l.real /= "..";
        }
    }
    fs::create_directories(l.work);
    if (it == model.end()) return l;
    l.link = root / *it;
    fs::create_symlink(l.real / *it, l.link);
    l.bare_name = std::next(it) == model.end();
    return l;
}

// Moves a file the engine wrote into the private folder to where it belongs.
void bring_back(const fs::path& from, const fs::path& to) {
    std::error_code ec;
    if (!fs::exists(fs::symlink_status(from, ec)) || fs::is_symlink(fs::symlink_status(from, ec))) return;
    fs::rename(from, to, ec);
    if (!ec) return;
    fs::copy_file(from, to, fs::copy_options::overwrite_existing, ec);
    if (ec) std::fprintf(stderr, "korvex: cannot move %s to %s\n", from.c_str(), to.c_str());
}

}  // namespace

int run_in_private_folder(const std::string& model, const std::function<int()>& run) {
    std::error_code ec;
    const fs::path home = fs::current_path(ec);
    std::string root_text = (fs::temp_directory_path(ec) / "korvex-job-XXXXXX").string();
    if (ec || !mkdtemp(root_text.data())) {
        std::fprintf(stderr, "korvex: cannot create a private folder for %s\n", model.c_str());
        return 1;
    }
    const fs::path root = root_text;
    int result = 1;
    try {
        const Layout l = lay_out(root, home, fs::path(model));
        if (chdir(l.work.c_str()) != 0) throw fs::filesystem_error("cannot enter", l.work, ec);
        result = run();
        if (chdir(home.c_str()) != 0) throw fs::filesystem_error("cannot return to", home, ec);
        if (l.bare_name) {
            const std::string name = l.link.filename().string();
            const std::string stem = name.size() >= 3 ? name.substr(0, name.size() - 3) : name;
            for (const char* extension : {"m3d", "LOG"}) bring_back(root / (stem + extension), l.real / (stem + extension));
        }
        bring_back(l.work / "plane_uv.err", home / "plane_uv.err");
        if (!l.link.empty()) fs::remove(l.link, ec);  // the link only, never its target
    } catch (const std::exception& e) {
        std::fprintf(stderr, "korvex: %s: %s\n", model.c_str(), e.what());
        result = 1;
    }
    fs::remove_all(root, ec);
    return result;
}

}  // namespace korvex::cli
