// The section readers of the .sur reader. Each is entered with its keyword as
// the current word, reads items until a section keyword or END, and returns
// with that word current: 1 on success, 0 after reporting the reason.
#pragma once

#include <string_view>

#include "input/model_tokens.h"
#include "model/name_lookup.h"
#include "model/run.h"

namespace korvex {

int read_points_section(Run& run, ModelTokens& in);
int read_curves_section(Run& run, ModelTokens& in);
int read_subregions_section(Run& run, ModelTokens& in);

// Inside a SUBREGIONS entry: the type word and its parameters, the edges,
// REF, then holes and trees. Each leaves the word that ended it current.
int read_subregion_type(Run& run, ModelTokens& in, int k);
int read_subregion_edges(Run& run, ModelTokens& in, int k);
int read_holes_and_trees(Run& run, ModelTokens& in, int k);


// Report the end of the file inside the POINTS or CURVES section, or inside
// the SUBREGIONS section; both return 0.
int unexpected_end();
int unexpected_end_of_subregions();

// Names are at most this long; longer ones are refused by the readers.
inline bool name_too_long(std::string_view name) { return name.size() > 8; }

inline bool is_curve_word(char c) { return c == 'C' || c == 'Q'; }

}  // namespace korvex
