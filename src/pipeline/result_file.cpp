#include "pipeline/result_file.h"

#include <cstdio>
#include <memory>

#include "base/messages.h"
#include "pipeline/coincidence_check.h"
#include "pipeline/element_validity_check.h"
#include "pipeline/pipeline.h"

namespace korvex {

namespace {

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

void write_nodes(std::FILE* f, const Run& run) {
    for (int i = 1; i <= run.num_nodes; ++i) {
        const Node3D& n = run.nodes3D[i];
        std::fprintf(f, "Node : %6i %+22.15g  %+22.15g  %+22.15g    %s\n", i, n.x, n.y, n.z, n.name.c_str());
    }
}

void write_elements(std::FILE* f, const Run& run) {
    for (int e = 1; e <= run.num_elements; ++e) {
        const Element& el = run.elements[e];
        std::fprintf(f, "Element : %6i   %6i %6i %6i %6i  %s\n", e, el.node[0], el.node[1], el.node[2], el.node[3],
                     el.name.c_str());
    }
}

}  // namespace

std::string result_file_name(const std::string& problem_path) {
    const std::size_t keep = problem_path.size() >= 3 ? problem_path.size() - 3 : 0;
    return problem_path.substr(0, keep) + "m3d";
}

int write_result_file(const Run& run, const std::string& path) {
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "w"));
    if (!file) {
        report(" Cannot create the result file %s\n", path.c_str());
        return 0;
    }
    std::FILE* f = file.get();
    std::fprintf(f, "%sNODES\n", run.title.c_str());
    write_nodes(f, run);
    std::fprintf(f, "END_OF_NODES\nELEMENTS\n");
    write_elements(f, run);
    std::fprintf(f, "END_OF_ELEMENTS\nEND\n");
    const bool write_failed = std::ferror(f) != 0;
    if (std::fclose(file.release()) != 0 || write_failed) {
        report(" Cannot write the result file %s\n", path.c_str());
        return 0;
    }
    return 1;
}

void report_mesh_counts(const Run& run) {
    report(" Number of nodes (QUAD4):    %10i\n", run.num_nodes);
    report(" Number of elements:         %10i\n", run.num_elements);
}

void report_singular_element_advice() {
    report("\n\nNB ! It is recommended to examine step sizes\n");
    report("  along segments and/or curves closely placed to each other.\n");
    report("Step sizes are too large; not all singular elements could be repaired.\n\n");
    report("And/or consider increasing REF values to 0.25 or more.\n");
}

int final_checks_and_output(Run& run) {
    check_coincident_nodes(run);
    check_element_validity(run);
    if (!write_result_file(run, result_file_name(run.problem_path))) return 0;
    report_mesh_counts(run);
    if (run.all_singular_repaired == 0) report_singular_element_advice();
    return 1;
}

}  // namespace korvex
