// A plane model taken from .sur text through the real front stages (reader,
// checks, general preprocessor, optional plane preparation, points along the
// curves, final preprocessing), so that one plane stage can be called on it;
// and a capture of the messages a stage reports.
#pragma once

#include <filesystem>
#include <fstream>
#include <string>

#include <unistd.h>

#include "interface/run_settings.h"
#include "model/run.h"
#include "pipeline/stages.h"

namespace korvex::plane_test {

// Routes every message of its lifetime into text().
class Messages {
public:
    Messages() : previous_(message_callback()) {
        buffer().clear();
        message_callback() = &collect;
    }
    ~Messages() { message_callback() = previous_; }
    Messages(const Messages&) = delete;
    Messages& operator=(const Messages&) = delete;

    const std::string& text() const { return buffer(); }
    bool contains(const std::string& s) const { return buffer().find(s) != std::string::npos; }
    int count(const std::string& s) const {
        int n = 0;
        for (auto at = buffer().find(s); at != std::string::npos; at = buffer().find(s, at + 1)) ++n;
        return n;
    }
    void clear() { buffer().clear(); }

private:
    static std::string& buffer() {
        static std::string b;
        return b;
    }
    static void collect(const char* msg) { buffer() += msg; }
    MessageCallback previous_;
};

// Writes text to a fresh .sur file in the temporary folder (removed at the end).
class ModelFile {
public:
    explicit ModelFile(const std::string& text) {
        static int counter = 0;
        dir_ = std::filesystem::temp_directory_path() /
               ("korvex_plane_" + std::to_string(::getpid()) + "_" + std::to_string(++counter));
        std::filesystem::create_directories(dir_);
        path_ = (dir_ / "model.sur").string();
        std::ofstream(path_) << text;
    }
    ~ModelFile() {
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }
    const std::string& path() const { return path_; }
    std::string dir() const { return dir_.string(); }

private:
    std::filesystem::path dir_;
    std::string path_;
};

// Reads and preprocesses up to the first plane recognition. With
// prepare_planes the PLANE subregions also go through plane recognition
// from control points and the subdivision stage. Returns 1 on success.
inline int prepare(Run& run, const std::string& path, bool prepare_planes) {
    run.problem_path = path;
    run.settings = run_settings();
    if (!read_model(run)) return 0;
    run.new_points.reset(NEW_POINTS_ARRAY);
    run.num_new_points = 0;
    for (int i = 1; i <= run.nPoints; ++i) run.points[i].PINT = run.points[i].name.starts_with("PINT") ? 1 : 0;
    if (!check_input_data(run) || !restore_curves(run) || !input_data_preprocessor(run)) return 0;
    if (prepare_planes) {
        for (int k = 1; k <= run.nPatches; ++k) {
            if (run.patches[k].type != TYPE_PLANE) continue;
            PlaneCoeffs plane;
            int planar = 0;
            if (!recognize_plane_patch_using_control_points(run, k, plane, planar) || !planar) return 0;
        }
        if (!activate_entities_subdivisions(run)) return 0;
    }
    if (!generatePointsAlongCurves(run, MAX_NEW_POINTS)) return 0;
    for (int i = 1; i <= run.nPoints; ++i) {
        if (!run.points[i].name.starts_with("PINT")) continue;
        const int j = ++run.num_new_points;
        run.new_points.ensure(j);
        run.new_points[j] = run.points[i];
    }
    return final_preprocessing_of_patches(run);
}

}  // namespace korvex::plane_test
