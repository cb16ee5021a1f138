// Rotating a loop list (and a parallel real list) to start at a given node.
#include <new>
#include <vector>

#include "base/messages.h"
#include "trelmo/trelmo_internal.h"

namespace korvex {

int first(int value, int count, Array1<int>& list, Array1<double>* reals, int& code) {
    int at = 0;
    for (int i = 1; i <= count; ++i)
        if (list[i] == value) { at = i; break; }
    if (at <= 1) return 1;
    try {
        std::vector<int> li(static_cast<std::size_t>(count));
        std::vector<double> re(reals ? static_cast<std::size_t>(count) : 0);
        for (int i = 0; i < count; ++i) {
            const int from = (at - 1 + i) % count + 1;
            li[static_cast<std::size_t>(i)] = list[from];
            if (reals) re[static_cast<std::size_t>(i)] = (*reals)[from];
        }
        for (int i = 0; i < count; ++i) {
            list[i + 1] = li[static_cast<std::size_t>(i)];
            if (reals) (*reals)[i + 1] = re[static_cast<std::size_t>(i)];
        }
    } catch (const std::bad_alloc&) {
        report(" Out of memory in first().\n");
        code = TM_NO_MEMORY;
        return 0;
    }
    return 1;
}

}  // namespace korvex
