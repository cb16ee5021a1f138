#include "cad/part_import.h"

#include <cstdio>
#include <map>

#include <Standard_Failure.hxx>

#include "cad/cad_shape_reader.h"

namespace korvex::cad {

namespace {

std::string file_name(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Writes beside the target first and renames, so that a failed write
// leaves nothing behind.
bool write_whole(const std::string& path, const std::string& text, std::string& error) {
    const std::string temporary = path + ".part~";
    std::FILE* f = std::fopen(temporary.c_str(), "wb");
    bool ok = f && std::fwrite(text.data(), 1, text.size(), f) == text.size();
    if (f && std::fclose(f) != 0) ok = false;
    if (ok && std::rename(temporary.c_str(), path.c_str()) == 0) return true;
    std::remove(temporary.c_str());
    error = "cannot write " + path;
    return false;
}

template <class Map>
std::string count_list(const Map& counts) {
    std::string text;
    for (const auto& [name, n] : counts) {
        if (!text.empty()) text += ", ";
        text += std::to_string(n) + " " + name;
    }
    return text;
}

std::string summary_of(const ImportedPart& p, const ModelBuilder& builder) {
    std::map<std::string, int> kinds, types, curve_kinds;
    for (const CadFace& f : p.prepared.faces) ++kinds[f.kind];
    for (const ModelSubregion& s : builder.subregions()) ++types[s.type.empty() ? "untyped" : s.type];
    for (const ModelCurve& c : builder.curves())
        ++curve_kinds[c.name[0] == 'C' ? "arcs" : c.name[1] == 'L' ? "straight" : "smooth"];
    char size[64];
    std::snprintf(size, sizeof size, "%.6g", p.size);
    std::string text = " Part " + p.part + std::string(": ") + std::to_string(p.prepared.faces.size()) + " faces (" +
                       count_list(kinds) + ")\n";
    text += std::string(" Sewing: ") + std::to_string(p.prepared.free_edge_count) + " free edges left\n";
    text += " Model " + p.model + ": element size " + size + std::string(", ") + std::to_string(builder.points().size()) +
            std::string(" points, ") + std::to_string(builder.curves().size()) + " curves (" + count_list(curve_kinds) + std::string("), ") +
            std::to_string(builder.subregions().size()) + " subregions (" + count_list(types) + ")\n";
    for (const CadFace& f : p.prepared.faces)
        if (!f.split_reason.empty())
            text += std::string(" CAD face ") + std::to_string(f.number) + " (" + f.kind + std::string(") cut into ") +
                    std::to_string(f.pieces.size()) + " pieces: " + f.split_reason + "\n";
    text += " CAD face -> subregions:\n";
    std::size_t k = 0;
    for (const CadFace& f : p.prepared.faces) {
        std::string line = std::string("  ") + std::to_string(f.number) + " (" + f.kind + "):";
        for (std::size_t n = 0; n < f.pieces.size(); ++n) line += " " + builder.subregions()[k++].name;
        text += line + "\n";
    }
    return text;
}

}  // namespace

bool import_part(const std::string& part, const std::string& model, const ImportOptions& options,
                 ImportedPart& imported, std::string& error) {
    imported.part = part;
    imported.model = model;
    TopoDS_Shape shape;
    if (!read_cad_shape(part, shape, error)) return false;
    try {
        if (!prepare_shape(shape, options.sew_tolerance, imported.prepared, error)) {
            error = part + ": " + error;
            return false;
        }
        imported.size = options.size > 0 ? options.size : kDefaultSizeFraction * imported.prepared.diagonal;
        if (!(imported.size > 0)) {
            error = part + ": the shape has no extent";
            return false;
        }
        ModelSettings settings;
        settings.size = imported.size;
        settings.ref = options.ref;
        settings.curve_tolerance = 1e-4 * imported.size;
        ModelBuilder builder(imported.prepared, settings);
        if (!builder.build(error)) {
            error = part + ": " + error;
            return false;
        }
        imported.subregions = builder.subregions();
        imported.curves = builder.curves();
        imported.summary = summary_of(imported, builder);
        return write_whole(model, builder.model_text("Imported from " + file_name(part)), error);
    } catch (const Standard_Failure& failure) {
        error = part + ": OpenCASCADE failed (" + std::string(failure.GetMessageString()) + ")";
        return false;
    }
}

}  // namespace korvex::cad
