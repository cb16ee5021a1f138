// The library driven as a C host drives it: several runs in one process,
// checking the argument and file-name checks, the routing of messages to the
// callback or to the log and standard output, and the run-time settings.
#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <iterator>

#include "library_host.h"
#include "support/model_builder.h"

namespace korvex::test {
namespace {

const std::string kSquare = rectangle_sur().text();
const std::string kLogHeader = "KORVEX:  log file. \n";
const std::string kFatal = "Fatal error occurred";

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

TEST_F(CInterface, ArgumentCountAndFileNameChecks) {
    const std::string dir = host.folder().string() + "/";
    write_file(dir + "upper.SUR", kSquare);
    write_file(dir + "mixed.Sur", kSquare);
    const std::string usage = "\n Usage: ...>korvex.exe  *.sur\n";
    const struct {
        std::vector<std::string> args;
        std::string console;  // after the banner; "-" when the name is accepted
    } cases[] = {
        {{}, usage},
        {{"a.sur", "b.sur"}, usage},
        {{dir + "model.su"}, " File: " + dir + "model.su is not a valid input data file.\n"},
        {{dir + "model.surf"}, " File: " + dir + "model.surf is not a valid input data file.\n"},
        {{dir + "model"}, ""},  // no dot: refused without a message
        {{dir + "missing.sur"}, " No such file: " + dir + "missing.sur\n"},
        {{dir + "upper.SUR"}, "-"},
        {{dir + "mixed.Sur"}, "-"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.empty() ? "no argument" : c.args[0]);
        const RunOutput out = host.run(c.args);
        if (c.console == "-") {  // accepted: the run goes on to its log and problem name
            EXPECT_EQ(out.log_text, kLogHeader);
            ASSERT_FALSE(out.messages.empty());
            EXPECT_EQ(out.messages.front(), "\nProblem name: " + c.args[0] + "\n\n");
        } else {
            EXPECT_EQ(out.result, 1);
            EXPECT_EQ(out.stdout_text, kBanner + c.console);
            EXPECT_EQ(out.messages, std::vector<std::string>{kFatal});
        }
    }
}

TEST_F(CInterface, CallbackTakesEveryMessageAndTheLogOnlyItsHeader) {
    const RunOutput out = host.run_model("square.sur", kSquare);
    EXPECT_EQ(out.log_text, kLogHeader);
    EXPECT_EQ(out.stdout_text, kBanner);
    ASSERT_GT(out.messages.size(), 12u);
    EXPECT_EQ(out.messages[0], "\nProblem name: " + (host.folder() / "square.sur").string() + "\n\n");
    EXPECT_EQ(out.messages[1], "\n Maximum array sizes:\n\n");
    EXPECT_EQ(out.messages[2], " MAX_CONTROL_POINTS      =   13000\n");
    EXPECT_EQ(out.messages[8], " MAX_EDGES_PER_SUBREGION =       4\n\n");
    EXPECT_EQ(out.messages[9], std::string(91, '*'));
    EXPECT_EQ(out.messages[10], "* Memory required for mesh nodes and elements 183 MB");
    EXPECT_TRUE(matches(out.messages[11], "* Memory required for patches # MB"));
    if (out.result == 1) {
        EXPECT_EQ(out.messages.back(), kFatal);
    } else {
        EXPECT_TRUE(matches(out.messages.back(), "\n Total processing time: #.# seconds.\n"));
    }
    EXPECT_FALSE(std::filesystem::exists(host.folder() / "PTCH####"));  // the working file is deleted
}

// Open descriptors of this process (-1 where the system does not list them).
long open_descriptors() {
    std::error_code ec;
    std::filesystem::directory_iterator it("/proc/self/fd", ec);
    if (ec) return -1;
    return std::distance(it, std::filesystem::directory_iterator());
}

TEST_F(CInterface, WithoutCallbackLogAndStdoutCarryTheSameMessages) {
    host.use_callback(false);
    for (const std::string& model : {kSquare, std::string("Title\nPOINTS\nP1 0 0 0\nEND\n")}) {
        const long descriptors = open_descriptors();
        const RunOutput out = host.run_model("square.sur", model);
        // The log is written through message by message and closed at the
        // end of the run, failed or not: the host may remove it at once.
        EXPECT_EQ(open_descriptors(), descriptors);
        ASSERT_EQ(out.log_text.rfind(kLogHeader, 0), 0u);
        ASSERT_EQ(out.stdout_text.rfind(kBanner, 0), 0u);
        const std::string logged = out.log_text.substr(kLogHeader.size());
        EXPECT_EQ(logged, out.stdout_text.substr(std::string(kBanner).size()));
        EXPECT_EQ(logged.rfind("\nProblem name: ", 0), 0u);
        EXPECT_NE(logged.find("\n Total processing time: "), std::string::npos);
        if (out.result == 1) {
            EXPECT_TRUE(logged.ends_with(kFatal));
        }
    }
}

TEST_F(CInterface, FailedRunEndsWithFatalErrorAfterCleanUp) {
    const RunOutput out = host.run_model("bad.sur", "Title\nPOINTS\nP1 0 0 0\nEND\n");
    EXPECT_EQ(out.result, 1);
    ASSERT_GE(out.messages.size(), 6u);
    const std::vector<std::string> tail(out.messages.end() - 6, out.messages.end());
    EXPECT_EQ(tail[0], "END keyword prematurely encountered.\n");
    EXPECT_EQ(tail[1], " END comes before the sections CURVES, SUBREGIONS");
    EXPECT_EQ(tail[2], " (line 4 of " + (host.folder() / "bad.sur").string() + ")\n");
    EXPECT_EQ(tail[3], "Reading input data unsuccessful.\n");
    EXPECT_TRUE(matches(tail[4], "\n Total processing time: #.# seconds.\n"));
    EXPECT_EQ(tail[5], kFatal);
}

TEST_F(CInterface, SettingsPersistAcrossRuns) {
    const std::string warning = "Warning : MAX_NODEL_3D=5000 - can be too low !\n";
    host.set_parameters(false, 200, 150, 150, 5000);
    EXPECT_TRUE(host.run_model("square.sur", kSquare).has_message(warning));
    host.set_parameters(false, 200, 150, 150, 10000);
    for (const std::string& m : host.run_model("square.sur", kSquare).messages)
        EXPECT_EQ(m.find("Warning : MAX_NODEL_3D"), std::string::npos);

    host.set_parameters(false, 1, 150, 150, 1000000);
    SurModel two = rectangle_sur();
    two.subregions += "R2 PLANE QL1 QL2 QL3 QL4 REF 0\n";
    for (int run = 0; run < 2; ++run) {
        const RunOutput out = host.run_model("two.sur", two.text());
        EXPECT_EQ(out.result, 1);
        EXPECT_TRUE(out.has_message(" MAX_SUBREGIONS          =       1\n"));
        const long at = out.index_of(" Increase MAX_SUBREGIONS in KORVEX.H file.\n");
        ASSERT_GE(at, 0);
        EXPECT_EQ(out.messages[static_cast<std::size_t>(at) + 2], "Reading input data unsuccessful.\n");
        EXPECT_EQ(out.messages.back(), kFatal);
    }
}

TEST_F(CInterface, UnusableTreeCapacityIsAnAllocationFailure) {
    host.set_parameters(false, 200, -5, 150, 1000000);  // not validated by SetMeshParameters
    const RunOutput out = host.run_model("square.sur", kSquare);
    EXPECT_EQ(out.result, 1);
    EXPECT_TRUE(out.has_message("bad allocation or out of memory"));
    EXPECT_FALSE(out.has_message("Reading input data unsuccessful.\n"));
    EXPECT_EQ(out.messages.back(), kFatal);
}

TEST_F(CInterface, LogNameKeepsFolderAndDot) {
    const auto sub = host.folder() / "data.d";
    std::filesystem::create_directory(sub);
    write_file(sub / "a.sur", kSquare);
    host.run({(sub / "a.sur").string()});
    EXPECT_EQ(read_file(sub / "a.LOG"), kLogHeader);
}

}  // namespace
}  // namespace korvex::test
