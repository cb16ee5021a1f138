// Exports of a result mesh into the formats of solvers and viewers:
//   nastran  bulk data (.bdf): GRID and CQUAD4 cards, property id = subregion number;
//            node sets as comment blocks, and as a plain list in MODEL.sets beside it
//   abaqus   input (.inp): *NODE and one S4 *ELEMENT block per subregion; *NSET per node set
//   vtk      XML unstructured grid (.vtu, ASCII): VTK_QUAD cells, subregion number per cell;
//            a 0/1 point-data array per node set
//   msh      Gmsh MSH 2.2 ASCII (.msh): quads with one physical group per subregion;
//            a physical group per node set (2-node lines along a curve, a point element)
// Node and element numbers are those of the result file; subregions are
// numbered in the order of their first element. The node sets are those
// attached to the mesh (node_sets.h); a mesh without them exports without.
#pragma once

#include <ostream>
#include <string>

#include "output/result_mesh.h"

namespace korvex::output {

struct ExportOptions {
    bool nastran_small_field = false;  // 8-column fields instead of free (comma) fields
};

bool known_export_format(const std::string& format);
std::string export_format_list();                         // "nastran, abaqus, vtk, msh"
std::string export_extension(const std::string& format);  // ".bdf", ".inp", ".vtu", ".msh"

// Writes the mesh to `path`; false with the reason in `error`.
bool write_export(const ResultMesh& mesh, const std::string& format, const std::string& path,
                  const ExportOptions& options, std::string& error);

void write_nastran(const ResultMesh& mesh, std::ostream& out, bool small_field);
void write_abaqus(const ResultMesh& mesh, std::ostream& out);
void write_vtu(const ResultMesh& mesh, std::ostream& out);
void write_msh(const ResultMesh& mesh, std::ostream& out);

// The node sets alone, one a line: "NAME KIND COUNT N1 N2 ...", after a
// first line starting with '#' that says so.
void write_node_set_list(const ResultMesh& mesh, std::ostream& out);

// The path of the node-set list beside a Nastran deck: MODEL.sets for MODEL.bdf.
std::string node_set_list_path(const std::string& deck_path);

// A real number in at most 8 characters for a small-field card, with as many
// significant digits as fit ("0.", "1.5", "-1.2346e+5").
std::string nastran_real8(double value);

// A number with 15 significant digits, as the result file writes them.
std::string real15(double value);

}  // namespace korvex::output
