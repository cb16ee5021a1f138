#include "output/export_formats.h"

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "base/number_format.h"

namespace korvex::output {

namespace {

struct FormatEntry {
    const char* name;
    const char* extension;
};

constexpr std::array<FormatEntry, 4> kFormats = {{
    {"nastran", ".bdf"},
    {"abaqus", ".inp"},
    {"vtk", ".vtu"},
    {"msh", ".msh"},
}};

bool write_set_list_file(const ResultMesh& mesh, const std::string& deck_path, std::string& error) {
    const std::string path = node_set_list_path(deck_path);
    std::ofstream out(path, std::ios::binary);
    write_node_set_list(mesh, out);
    out.close();
    if (!out) {
        error = "cannot write " + path;
        return false;
    }
    return true;
}

}  // namespace

bool known_export_format(const std::string& format) { return !export_extension(format).empty(); }

std::string export_format_list() {
    std::string list;
    for (const FormatEntry& f : kFormats) list += (list.empty() ? "" : ", ") + std::string(f.name);
    return list;
}

std::string export_extension(const std::string& format) {
    for (const FormatEntry& f : kFormats)
        if (format == f.name) return f.extension;
    return "";
}

std::string real15(double value) { return general_text(value, 15); }

bool write_export(const ResultMesh& mesh, const std::string& format, const std::string& path,
                  const ExportOptions& options, std::string& error) {
    if (!known_export_format(format)) {
        error = "unknown export format '" + format + "'";
        return false;
    }
    std::ofstream out(path, std::ios::binary);
    if (!out) {
        error = "cannot create " + path;
        return false;
    }
    if (format == "nastran") write_nastran(mesh, out, options.nastran_small_field);
    else if (format == "abaqus") write_abaqus(mesh, out);
    else if (format == "vtk") write_vtu(mesh, out);
    else write_msh(mesh, out);
    out.close();
    if (!out) {
        error = "cannot write " + path;
        return false;
    }
    if (format == "nastran" && !mesh.node_sets.empty()) return write_set_list_file(mesh, path, error);
    return true;
}

std::string node_set_list_path(const std::string& deck_path) {
    return std::filesystem::path(deck_path).replace_extension(".sets").string();
}

}  // namespace korvex::output
