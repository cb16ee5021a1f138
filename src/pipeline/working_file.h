// The working file "PTCH####": the subregion records after preprocessing,
// written once before splitting so that a full disk stops the run early.
// Never read back; the driver deletes it at the end of the run.
#pragma once

#include <cstddef>
#include <vector>

#include "model/run.h"

namespace korvex {

inline constexpr const char* kWorkingFileName = "PTCH####";
// Bytes written for one subregion.
inline constexpr std::size_t kWorkingFileRecordSize = 172792;

// Appends the working-file image of one subregion (each field at its
// fixed size, little-endian, back to back) to out.
void serialize_subregion_record(const Subregion& s, std::vector<unsigned char>& out);

// Writes subregions 1..nPatches to path. Returns 1, or 0 after reporting why.
int save_original_patches(const Run& run, const char* path = kWorkingFileName);

}  // namespace korvex
