// Appending one element, with the element cap of the global mesh.
#include "base/messages.h"
#include "trelmo/trelmo_internal.h"

namespace korvex {

int add_elem(TrelmoMesh& mesh, int c1, int c2, int c3, int c4, std::string_view name, int subregion) {
    const int k = mesh.num_elements + 1;
    if (!mesh.reserve_elements(k)) {
        report(" Not enough memory for elements (can't reallocate).\n");
        return 0;
    }
    mesh.num_elements = k;
    mesh.elements.ensure(k);
    GenElement& e = mesh.elements[k];
    e = GenElement{};
    e.corner1 = c1;
    e.corner2 = c2;
    e.corner3 = c3;
    e.corner4 = c4;
    e.name = name;
    e.subregion = subregion;
    if (k % TM_PROGRESS_EVERY == 0) report("In add_elem.c: num_elements=%6i\n", k);
    const int cap = static_cast<int>(0.9 * static_cast<double>(mesh.max_nodel_3d));
    if (k > cap) {
        report("Increase MAX_NODEL_3D (currently=%i)\n", mesh.max_nodel_3d);
        return 0;
    }
    return 1;
}

}  // namespace korvex
