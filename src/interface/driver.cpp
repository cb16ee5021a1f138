// driver_main: one meshing run from the argument vector to the result file.
// Failures before the run's arrays exist stop at once; every later failure
// still frees the run and reports the processing time before the fatal stop.
#include "interface/driver.h"

#include <cstdio>
#include <ctime>
#include <memory>
#include <new>
#include <stdexcept>
#include <string>

#include "base/messages.h"
#include "base/run_settings.h"
#include "input/input_stages.h"
#include "interface/model_file.h"
#include "model/record_sizes.h"
#include "pipeline/pipeline.h"
#include "pipeline/working_file.h"

namespace korvex {

namespace {

constexpr int kLowNodel3D = 10000;

void print_banner() {
    console("\n");
    console(" ****************** KORVEX 4.0       ***********\n");
    console(" *  Generator of quadrilateral finite element meshes *\n");
    console(" *                on curved surfaces.                *\n");
    console(" R***************************************************R\n");
    console("\n");
}

// Steps 3-5: the argument count and the model file. Returns the validated
// path; refuses with its console line and a fatal stop otherwise.
std::string validated_model_path(int argc, char** argv) {
    if (argc != 2) {
        console("\n Usage: ...>korvex.exe  *.sur\n");
        fatal_stop();
    }
    const char* name = argv ? argv[1] : nullptr;
    if (name == nullptr) fatal_stop();
    switch (check_model_name(name)) {
    case ModelNameCheck::kNoDot:
        fatal_stop();
    case ModelNameCheck::kBadExtension:
        console(" File: %s is not a valid input data file.\n", name);
        fatal_stop();
    case ModelNameCheck::kValid:
        break;
    }
    std::FILE* f = std::fopen(name, "r");
    if (f == nullptr) {
        console(" No such file: %s\n", name);
        fatal_stop();
    }
    std::fclose(f);
    return name;
}

// Steps 6-7: the log file is created (truncated) whether or not a callback
// takes the messages.
void start_log_file(const std::string& path) {
    const std::string log = log_file_name(path);
    if (std::FILE* f = std::fopen(log.c_str(), "w")) {
        std::fprintf(f, "KORVEX:  log file. \n");
        std::fclose(f);
    }
    set_log_file(log);
}

std::string rule() { return std::string(91, '*'); }

// Steps 9-11: the limits of this run and the memory its mesh arrays may take.
void report_limits(const RunSettings& s) {
    report("\n Maximum array sizes:\n\n");
    report(" MAX_CONTROL_POINTS      = %7i\n", MAX_CONTROL_POINTS);
    report(" MAX_POINTS_PER_CURVE    = %7i\n", MAX_POINTS_PER_CURVE);
    report(" MAX_CURVES_PER_EDGE     = %7i\n", s.MAX_CURVES_PER_EDGE);
    report(" MAX_CURVES              = %7i\n", s.MAX_CURVES);
    report(" MAX_SUBREGIONS          = %7i\n", s.MAX_SUBREGIONS);
    report(" MAX_NEW_POINTS          = %7i\n", s.MAX_NEW_POINTS);
    report(" MAX_EDGES_PER_SUBREGION = %7i\n\n", MAX_EDGES_PER_SUBREGION);
    if (s.MAX_NODEL_3D < kLowNodel3D) report("Warning : MAX_NODEL_3D=%i - can be too low !\n", s.MAX_NODEL_3D);
    report("%s", rule().c_str());
    report("* Memory required for mesh nodes and elements %lld MB",
           static_cast<long long>(mesh_memory_mb(s.MAX_NODEL_3D)));
}

template <class T>
void allocate_array(Array1<T>& array, const char* message, const char* second_message = nullptr) {
    try {
        array.reset();
    } catch (const std::bad_alloc&) {
        report("%s", message);
        if (second_message) report("%s", second_message);
        fatal_stop();
    }
}

// Step 12: the run with its arrays (which grow on demand while the run
// fills them), in the order nodes, elements, points, curves, subregions.
std::unique_ptr<Run> allocate_run(const RunSettings& settings, const std::string& path) {
    std::unique_ptr<Run> run;
    try {
        run = std::make_unique<Run>();
    } catch (const std::bad_alloc&) {
        report(" No memory for array nodes3D[].\n");
        fatal_stop();
    }
    run->settings = settings;
    run->problem_path = path;
    allocate_array(run->nodes3D, " No memory for array nodes3D[].\n");
    allocate_array(run->elements, " No memory for array elements[].\n");
    allocate_array(run->points, "Out of memory in allocateControlPoints()\n", "Not enough memory for array points[]\n");
    allocate_array(run->curves, "Not enough memory for array curves[]\n");
    report("* Memory required for patches %lld MB",
           static_cast<long long>(patches_memory_mb(settings.MAX_SUBREGIONS, settings.MAX_CURVES_PER_TREE,
                                                    settings.MAX_POINTS_PER_TREE)));
    report("%s", rule().c_str());
    allocate_array(run->patches, "Not enough memory for array subregions[]\n");
    return run;
}

// Step 13. The subregion records and their tree tables are built while
// reading, so running out of memory there is the subregion allocation failure.
bool read_model_step(Run& run) {
    try {
        if (read_model(run)) return true;
    } catch (const std::bad_alloc&) {
        report("bad allocation or out of memory");
        return false;
    } catch (const std::length_error&) {
        report("bad allocation or out of memory");
        return false;
    } catch (const std::exception&) {
    }
    report("Reading input data unsuccessful.\n");
    return false;
}

// Step 14: the pipeline in its guarded block.
bool pipeline_step(Run& run) {
    try {
        if (Korvex(run)) return true;
        report(" Unsuccessful return from Korvex().\n");
    } catch (const TreeException& e) {
        report("Error processing tree %s. Make sure the tree are connected.", e.tree_name.c_str());
    } catch (...) {
    }
    return false;
}

void report_success() {
    report("\n");
    report(" *****************************************************\n");
    report(" *       Meshing successfully completed.             *\n");
    report(" *****************************************************\n");
    report("\n");
}

// Step 16: the final checks and the result file. A result that cannot be
// written makes the run a failed one.
bool output_step(Run& run) {
    try {
        return final_checks_and_output(run) != 0;
    } catch (...) {
        return false;
    }
}

// Step 17: frees the run's arrays in this order, then the run itself.
void clean_up(std::unique_ptr<Run>& run) {
    run->points = {};
    run->curves = {};
    run->patches = {};
    run->nodes3D = {};
    run->elements = {};
    run.reset();
}

}  // namespace

void driver_main(int argc, char** argv) {
    const std::clock_t start = std::clock();
    RunSettings settings = run_settings();
    settings.threads = threads_from_environment();
    settings.MAX_CURVES_PER_EDGE = max_curves_per_edge_from_environment();
    settings.MAX_CURVES = max_curves_from_environment();
    settings.MAX_NEW_POINTS = max_new_points_from_environment();
    set_log_file("");  // until this run's log exists, messages go to standard output only
    print_banner();
    const std::string path = validated_model_path(argc, argv);
    start_log_file(path);
    report("\nProblem name: %s\n\n", path.c_str());
    report_limits(settings);

    std::unique_ptr<Run> run = allocate_run(settings, path);
    bool ok = read_model_step(*run) && pipeline_step(*run);
    if (ok) {
        report_success();
        ok = output_step(*run);
    }
    clean_up(run);

    const double seconds = static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC;
    report("\n Total processing time: %8.2lf seconds.\n", seconds);
    std::remove(kWorkingFileName);
    if (!ok) fatal_stop();
}

}  // namespace korvex
