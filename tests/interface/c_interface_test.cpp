// The library driven as a C host drives it: several runs in one process,
// checking the argument and file-name checks, the routing of messages to the
// callback or to the log and standard output, and the run-time settings.
#include <gtest/gtest.h>

#include <cctype>

#include "library_host.h"

namespace korvex_test {
namespace {

const char* const kSquare =
    "Square plate\n"
    "STEP CONSTANT\n"
    "POINTS\n"
    "P1 0.0 0.0 0.0\n"
    "P2 10.0 0.0 0.0\n"
    "P3 10.0 10.0 0.0\n"
    "P4 0.0 10.0 0.0\n"
    "CURVES\n"
    "QL1 P1 P2 STEP 1.0\n"
    "QL2 P2 P3 STEP 1.0\n"
    "QL3 P3 P4 STEP 1.0\n"
    "QL4 P4 P1 STEP 1.0\n"
    "SUBREGIONS\n"
    "R1 PLANE QL1 QL2 QL3 QL4 REF 0.2\n"
    "END\n";

const char* const kLogHeader = "KORVEX:  log file. \n";

// True when text equals pattern, where '#' in the pattern stands for one or
// more digits (after optional blanks) and every other character for itself.
bool matches(const std::string& text, const std::string& pattern) {
    std::size_t t = 0;
    for (char p : pattern) {
        if (p != '#') {
            if (t >= text.size() || text[t++] != p) return false;
            continue;
        }
        while (t < text.size() && text[t] == ' ') ++t;
        const std::size_t digits = t;
        while (t < text.size() && std::isdigit(static_cast<unsigned char>(text[t]))) ++t;
        if (t == digits) return false;
    }
    return t == text.size();
}

class CInterface : public ::testing::Test {
protected:
    LibraryHost host;
};

TEST_F(CInterface, WrongArgumentCountPrintsUsageOnly) {
    for (const auto& args : {std::vector<std::string>{}, std::vector<std::string>{"a.sur", "b.sur"}}) {
        const RunOutput out = host.run(args);
        EXPECT_EQ(out.result, 1);
        EXPECT_EQ(out.stdout_text, std::string(kBanner) + "\n Usage: ...>korvex.exe  *.sur\n");
        EXPECT_EQ(out.messages, std::vector<std::string>{"Fatal error occurred"});
    }
}

TEST_F(CInterface, FileNameChecks) {
    const std::string dir = host.folder().string() + "/";
    write_file(dir + "upper.SUR", kSquare);
    write_file(dir + "mixed.Sur", kSquare);
    struct Case {
        std::string name;
        std::string console;  // after the banner; empty when the name is accepted
    };
    const std::vector<Case> cases{
        {dir + "model.su", " File: " + dir + "model.su is not a valid input data file.\n"},
        {dir + "model.surf", " File: " + dir + "model.surf is not a valid input data file.\n"},
        {dir + "model", ""},  // no dot: refused without a message
        {dir + "missing.sur", " No such file: " + dir + "missing.sur\n"},
        {dir + "upper.SUR", "-"},
        {dir + "mixed.Sur", "-"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const RunOutput out = host.run({c.name});
        if (c.console == "-") {  // accepted: the run goes on to its log and problem name
            EXPECT_EQ(out.log_text, kLogHeader);
            ASSERT_FALSE(out.messages.empty());
            EXPECT_EQ(out.messages.front(), "\nProblem name: " + c.name + "\n\n");
        } else {
            EXPECT_EQ(out.result, 1);
            EXPECT_EQ(out.stdout_text, kBanner + c.console);
            EXPECT_EQ(out.messages, std::vector<std::string>{"Fatal error occurred"});
        }
    }
}

TEST_F(CInterface, CallbackTakesEveryMessageAndTheLogOnlyItsHeader) {
    const RunOutput out = host.run_model("square.sur", kSquare);
    EXPECT_EQ(out.log_text, kLogHeader);
    EXPECT_EQ(out.stdout_text, kBanner);
    ASSERT_GT(out.messages.size(), 10u);
    EXPECT_EQ(out.messages[0], "\nProblem name: " + (host.folder() / "square.sur").string() + "\n\n");
    EXPECT_EQ(out.messages[1], "\n Maximum array sizes:\n\n");
    EXPECT_EQ(out.messages[2], " MAX_CONTROL_POINTS      =   13000\n");
    EXPECT_EQ(out.messages[6], " MAX_SUBREGIONS          =     200\n");
    EXPECT_EQ(out.messages[8], " MAX_EDGES_PER_SUBREGION =       4\n\n");
    EXPECT_EQ(out.messages[9], std::string(91, '*'));
    EXPECT_EQ(out.messages[10], "* Memory required for mesh nodes and elements 183 MB");
    EXPECT_TRUE(matches(out.messages[11], "* Memory required for patches # MB"));
    EXPECT_EQ(out.messages[12], std::string(91, '*'));
    EXPECT_FALSE(out.has_message("Reading input data unsuccessful.\n"));
    if (out.result == 1) {
        EXPECT_EQ(out.messages.back(), "Fatal error occurred");
    } else {
        EXPECT_TRUE(matches(out.messages.back(), "\n Total processing time: #.# seconds.\n"));
    }
    EXPECT_FALSE(std::filesystem::exists(host.folder() / "PTCH####"));  // the working file is deleted
}

TEST_F(CInterface, WithoutCallbackLogAndStdoutCarryTheSameMessages) {
    host.use_callback(false);
    const RunOutput out = host.run_model("square.sur", kSquare);
    ASSERT_EQ(out.log_text.rfind(kLogHeader, 0), 0u);
    ASSERT_EQ(out.stdout_text.rfind(kBanner, 0), 0u);
    const std::string logged = out.log_text.substr(std::string(kLogHeader).size());
    const std::string printed = out.stdout_text.substr(std::string(kBanner).size());
    EXPECT_EQ(logged, printed);
    EXPECT_EQ(logged.rfind("\nProblem name: ", 0), 0u);
    EXPECT_NE(logged.find("\n Total processing time: "), std::string::npos);
    if (out.result == 1) {
        EXPECT_TRUE(logged.ends_with("Fatal error occurred"));
    }
}

TEST_F(CInterface, FailedRunEndsWithFatalErrorAfterCleanUp) {
    const RunOutput out = host.run_model("bad.sur", "Title\nPOINTS\nP1 0 0 0\nEND\n");
    EXPECT_EQ(out.result, 1);
    ASSERT_GE(out.messages.size(), 4u);
    const std::size_t n = out.messages.size();
    EXPECT_EQ(out.messages[n - 4], "END keyword prematurely encountered.\n");
    EXPECT_EQ(out.messages[n - 3], "Reading input data unsuccessful.\n");
    EXPECT_TRUE(matches(out.messages[n - 2], "\n Total processing time: #.# seconds.\n"));
    EXPECT_EQ(out.messages[n - 1], "Fatal error occurred");
}

TEST_F(CInterface, LowNodeCapacityWarning) {
    const std::string warning = "Warning : MAX_NODEL_3D=5000 - can be too low !\n";
    host.set_parameters(false, 200, 150, 150, 5000);
    EXPECT_TRUE(host.run_model("square.sur", kSquare).has_message(warning));
    host.set_parameters(false, 200, 150, 150, 10000);
    const RunOutput out = host.run_model("square.sur", kSquare);
    for (const std::string& m : out.messages) EXPECT_EQ(m.find("Warning : MAX_NODEL_3D"), std::string::npos);
}

TEST_F(CInterface, SettingsAndCallbackPersistAcrossRuns) {
    host.set_parameters(false, 1, 150, 150, 1000000);
    const std::string two =
        "Two plates\nPOINTS\nP1 0 0 0\nP2 1 0 0\nP3 1 1 0\nCURVES\nQL1 P1 P2 STEP 1\nQL2 P2 P3 STEP 1\n"
        "QL3 P3 P1 STEP 1\nSUBREGIONS\nR1 PLANE QL1 QL2 QL3 REF 0\nR2 PLANE QL1 QL2 QL3 REF 0\nEND\n";
    for (int run = 0; run < 2; ++run) {
        const RunOutput out = host.run_model("two.sur", two);
        EXPECT_EQ(out.result, 1);
        EXPECT_TRUE(out.has_message(" MAX_SUBREGIONS          =       1\n"));
        const long at = out.index_of(" Increase MAX_SUBREGIONS in KORVEX.H file.\n");
        ASSERT_GE(at, 0);
        EXPECT_EQ(out.messages[static_cast<std::size_t>(at) + 1], "Reading input data unsuccessful.\n");
        EXPECT_EQ(out.messages.back(), "Fatal error occurred");
    }
}

TEST_F(CInterface, UnusableTreeCapacityIsAnAllocationFailure) {
    host.set_parameters(false, 200, -5, 150, 1000000);  // not validated by SetMeshParameters
    const RunOutput out = host.run_model("square.sur", kSquare);
    EXPECT_EQ(out.result, 1);
    EXPECT_TRUE(out.has_message("bad allocation or out of memory"));
    EXPECT_FALSE(out.has_message("Reading input data unsuccessful.\n"));
    EXPECT_EQ(out.messages.back(), "Fatal error occurred");
}

TEST_F(CInterface, LogNameKeepsFolderAndDot) {
    const auto sub = host.folder() / "data.d";
    std::filesystem::create_directory(sub);
    write_file(sub / "a.sur", kSquare);
    host.run({(sub / "a.sur").string()});
    EXPECT_EQ(read_file(sub / "a.LOG"), kLogHeader);
}

}  // namespace
}  // namespace korvex_test
