// The meshing command's options: each accepted form sets its setting, and
// each wrong form is refused with its reason.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "command_line.h"

namespace korvex::cli {
namespace {

MeshOptions parse(std::vector<std::string> words, std::string& error) {
    words.insert(words.begin(), "korvex");
    std::vector<char*> argv;
    for (std::string& w : words) argv.push_back(w.data());
    MeshOptions o;
    error = parse_mesh_options(static_cast<int>(argv.size()), argv.data(), o);
    return o;
}

TEST(CommandLine, OptionsSetTheRunSettings) {
    std::string error;
    const MeshOptions o = parse({"--max-subregions", "300", "--max-curves-per-tree", "7", "--max-points-per-tree",
                                 "8", "--max-nodes", "5000", "--tree-guard", "-q", "-v", "-j", "3", "a.sur", "--export",
                                 "vtk,msh", "b.sur", "--", "-odd.sur"},
                                error);
    ASSERT_EQ(error, "");
    EXPECT_EQ(o.capacities.max_subregions, 300);
    EXPECT_EQ(o.capacities.max_curves_per_tree, 7);
    EXPECT_EQ(o.capacities.max_points_per_tree, 8);
    EXPECT_EQ(o.capacities.max_nodes, 5000);
    EXPECT_TRUE(o.capacities.tree_guard);
    EXPECT_TRUE(o.quiet);
    EXPECT_TRUE(o.verbose);
    EXPECT_EQ(o.jobs, 3);
    EXPECT_EQ(o.exports, (std::vector<std::string>{"vtk", "msh"}));
    EXPECT_EQ(o.models, (std::vector<std::string>{"a.sur", "b.sur", "-odd.sur"}));
}

TEST(CommandLine, DefaultsAreTheLibrarysDefaults) {
    std::string error;
    const MeshOptions o = parse({"a.sur"}, error);
    EXPECT_FALSE(o.capacities.tree_guard);
    EXPECT_EQ(o.capacities.max_subregions, 200);
    EXPECT_EQ(o.capacities.max_curves_per_tree, 150);
    EXPECT_EQ(o.capacities.max_points_per_tree, 150);
    EXPECT_EQ(o.capacities.max_nodes, 1000000);
    EXPECT_EQ(o.jobs, 1);
    EXPECT_FALSE(o.quiet);
    EXPECT_FALSE(o.verbose);
}

TEST(CommandLine, WrongFormsAreRefused) {
    const struct {
        std::vector<std::string> words;
        std::string error;
    } cases[] = {
        {{"--max-subregions"}, "--max-subregions needs a whole number of at least 1"},
        {{"--max-nodes", "0", "a.sur"}, "--max-nodes needs a whole number of at least 1"},
        {{"-j", "-1"}, "-j needs a whole number of at least 1"},
        {{"-j", "2x"}, "-j needs a whole number of at least 1"},
        {{"--max-subregions", "99999999999"}, "--max-subregions needs a whole number of at least 1"},
        {{"--export", "stl", "a.sur"}, "unknown export format 'stl' (nastran, abaqus, vtk, msh)"},
        {{"--export", ","}, "--export needs a list of formats (nastran, abaqus, vtk, msh)"},
        {{"--frobnicate"}, "unknown option --frobnicate"},
    };
    for (const auto& c : cases) {
        std::string error;
        parse(c.words, error);
        EXPECT_EQ(error, c.error) << c.words[0];
    }
}

TEST(CommandLine, HelpListsEveryOption) {
    const std::string help = help_text();
    for (const char* word : {"--max-subregions", "--max-curves-per-tree", "--max-points-per-tree", "--max-nodes",
                             "--tree-guard", "--export", "-q", "-v", "--verbose", "-j", "export", "quality", "render"})
        EXPECT_NE(help.find(word), std::string::npos) << word;
}

}  // namespace
}  // namespace korvex::cli
