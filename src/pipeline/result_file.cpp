#include "pipeline/result_file.h"

#include <cstdio>
#include <memory>
#include <string>

#include "base/messages.h"
#include "base/number_format.h"
#include "pipeline/coincidence_check.h"
#include "pipeline/element_validity_check.h"
#include "pipeline/ordered_tasks.h"
#include "pipeline/pipeline.h"

namespace korvex {

namespace {

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

// Lines are built in a buffer and written in large blocks: the same bytes
// as fprintf with "Node : %6i %+22.15g  %+22.15g  %+22.15g    %s\n" and
// "Element : %6i   %6i %6i %6i %6i  %s\n", at a fraction of its cost.
constexpr std::size_t kBlockBytes = 1 << 16;

void flush_block(std::FILE* f, std::string& block) {
    std::fwrite(block.data(), 1, block.size(), f);
    block.clear();
}

void write_nodes(std::FILE* f, const Run& run) {
    std::string block;
    block.reserve(kBlockBytes + 256);
    for (int i = 1; i <= run.num_nodes; ++i) {
        const Node3D& n = run.nodes3D[i];
        block += "Node : ";
        append_int(block, i, 6);
        block += ' ';
        append_general(block, n.x, 15, true, 22);
        block += "  ";
        append_general(block, n.y, 15, true, 22);
        block += "  ";
        append_general(block, n.z, 15, true, 22);
        block += "    ";
        block += n.name.c_str();
        block += '\n';
        if (block.size() >= kBlockBytes) flush_block(f, block);
    }
    flush_block(f, block);
}

void write_elements(std::FILE* f, const Run& run) {
    std::string block;
    block.reserve(kBlockBytes + 256);
    for (int e = 1; e <= run.num_elements; ++e) {
        const Element& el = run.elements[e];
        block += "Element : ";
        append_int(block, e, 6);
        block += "   ";
        for (int c = 0; c < 4; ++c) {
            if (c > 0) block += ' ';
            append_int(block, el.node[c], 6);
        }
        block += "  ";
        block += el.name.c_str();
        block += '\n';
        if (block.size() >= kBlockBytes) flush_block(f, block);
    }
    flush_block(f, block);
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
    // The two checks only read the mesh: they run side by side.
    run_ordered_tasks({[&] { check_coincident_nodes(run); }, [&] { check_element_validity(run); }},
                      run.settings.threads);
    if (!write_result_file(run, result_file_name(run.problem_path))) return 0;
    report_mesh_counts(run);
    if (run.all_singular_repaired == 0) report_singular_element_advice();
    return 1;
}

}  // namespace korvex
