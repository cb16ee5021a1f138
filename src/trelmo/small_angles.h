// Spike removal on a loop, shared by smallang (inner loops after the
// boundary layer) and smallan1 (loops split by glueloop).
#pragma once

#include <vector>

#include "trelmo/trelmo_internal.h"

namespace korvex {

// Which routine reports: the messages differ only in the routine's name.
enum class SpikeReporter { smallang, smallan1 };

// Collapses every spike (angle at most 60 or above 300 degrees) of `loop`
// whose elements (named `name`) allow it and whose neighbours are not on
// `boundary`. Collapsed nodes are marked deleted, not yet compacted; they are
// replaced in every element and in every loop of `others`.
int remove_spikes(TrelmoMesh& mesh, NodeLoop& loop, const NodeLoop& boundary, std::string_view name,
                  const std::vector<NodeLoop*>& others, SpikeReporter who);

int smallan1(TrelmoMesh& mesh, NodeLoop& loop, const NodeLoop& boundary, std::string_view name,
             const std::vector<NodeLoop*>& others);

}  // namespace korvex
