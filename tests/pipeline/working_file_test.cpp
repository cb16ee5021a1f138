#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "pipeline/working_file.h"
#include "support/message_capture.h"
#include "support/model_builder.h"

namespace korvex::test {
namespace {

std::int32_t int_at(const std::string& bytes, std::size_t offset) {
    std::uint32_t v = 0;
    for (int b = 3; b >= 0; --b) v = (v << 8) | static_cast<unsigned char>(bytes.at(offset + b));
    return static_cast<std::int32_t>(v);
}

double double_at(const std::string& bytes, std::size_t offset) {
    std::uint64_t v = 0;
    for (int b = 7; b >= 0; --b) v = (v << 8) | static_cast<unsigned char>(bytes.at(offset + b));
    double d;
    std::memcpy(&d, &v, sizeof d);
    return d;
}

std::string name_at(const std::string& bytes, std::size_t offset) { return std::string(bytes.c_str() + offset); }

// A subregion with a distinct value in every field, so that any field written
// at the wrong place or size moves the others.
Subregion sample_subregion() {
    Subregion s;
    s.name = "R17";
    s.type = TYPE_PLANE;
    s.num_edges = 1;
    for (int e = 0; e < 5; ++e) s.curves_per_edge[e] = 10 + e;
    s.num_curves = 3;
    s.curve_names[1] = "QL1";
    s.curve_names[2005] = "C9";
    s.REF = 0.25;
    s.axis_cos[0] = 0.5;
    s.axis_cos[2] = -1.0;
    s.centre[1] = 7.5;
    s.original_name = "RORIG";
    s.num_edges_original = 4;
    s.id = 17;
    s.edge_flags[4] = 99;
    s.curves_id[1] = -12;
    s.curves_id[2005] = 4321;
    s.num_points = 30007;
    s.points_id[1] = 5;
    s.points_id[30008] = 77;
    s.num_holes = 1;
    s.holes[1].name = "H1";
    s.holes[1].id = 1;
    s.holes[1].num_curves = 2;
    s.holes[1].curves[1] = 8;
    s.holes[30].curves[208] = 6;
    return s;
}

// One record of 172792 bytes per subregion, fields in order.
TEST(WorkingFile, OneRecordPerSubregionInFieldOrder) {
    TempDir dir("ptch");
    korvex::Run run;
    run.patches.ensure(3);
    run.patches[1] = sample_subregion();
    run.patches[3].id = 3;
    run.nPatches = 3;
    const std::string path = dir.file("PTCH####");
    ASSERT_EQ(save_original_patches(run, path.c_str()), 1);
    const std::string b = read_file(path);
    ASSERT_EQ(kWorkingFileRecordSize, 172792u);
    ASSERT_EQ(b.size(), 3 * kWorkingFileRecordSize);
    EXPECT_EQ(int_at(b, 2 * kWorkingFileRecordSize + 18164), 3);  // id of the third record

    EXPECT_EQ(name_at(b, 0), "R17");
    EXPECT_EQ(int_at(b, 9), TYPE_PLANE);
    EXPECT_EQ(int_at(b, 13), 1);
    for (int e = 0; e < 5; ++e) EXPECT_EQ(int_at(b, 17 + 4 * e), 10 + e);
    EXPECT_EQ(int_at(b, 37), 3);
    EXPECT_EQ(name_at(b, 41 + 9 * 1), "QL1");
    EXPECT_EQ(name_at(b, 41 + 9 * 2005), "C9");
    const std::size_t ref = 41 + 9 * 2006;
    EXPECT_EQ(double_at(b, ref), 0.25);
    EXPECT_EQ(double_at(b, ref + 8), 0.5);
    EXPECT_EQ(double_at(b, ref + 24), -1.0);
    EXPECT_EQ(double_at(b, ref + 32 + 8), 7.5);
    const std::size_t orig = ref + 8 + 24 + 24;
    EXPECT_EQ(name_at(b, orig), "RORIG");
    EXPECT_EQ(int_at(b, orig + 9), 4);
    EXPECT_EQ(int_at(b, orig + 13), 17);
    EXPECT_EQ(int_at(b, orig + 17 + 16), 99);
    const std::size_t curves_id = orig + 17 + 20;
    EXPECT_EQ(int_at(b, curves_id + 4), -12);
    EXPECT_EQ(int_at(b, curves_id + 4 * 2005), 4321);
    const std::size_t num_points = curves_id + 4 * 2006;
    EXPECT_EQ(int_at(b, num_points), 30007);
    EXPECT_EQ(int_at(b, num_points + 4 + 4), 5);
    EXPECT_EQ(int_at(b, num_points + 4 + 4 * 30008), 77);
    const std::size_t num_holes = num_points + 4 + 4 * 30009;
    EXPECT_EQ(int_at(b, num_holes), 1);
    const std::size_t hole1 = num_holes + 4 + 856;
    EXPECT_EQ(name_at(b, hole1), "H1");
    EXPECT_EQ(b.substr(hole1 + 9, 3), std::string(3, '\0'));
    EXPECT_EQ(int_at(b, hole1 + 12), 1);
    EXPECT_EQ(int_at(b, hole1 + 16), 2);
    EXPECT_EQ(int_at(b, hole1 + 20 + 4), 8);
    EXPECT_EQ(int_at(b, kWorkingFileRecordSize - 4), 6);  // hole 30, slot 208: the last bytes
}

TEST(WorkingFile, UnwritablePathAndFullDiskFail) {
    TempDir dir("ptchbad");
    korvex::Run run;
    run.patches.ensure(1);
    run.nPatches = 1;
    MessageCapture messages;
    const std::string path = dir.file("no_such_folder/PTCH####");
    EXPECT_EQ(save_original_patches(run, path.c_str()), 0);
    EXPECT_TRUE(messages.has(" Cannot create the working file " + path + "\n"));
    if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no full device on this system";
    EXPECT_EQ(save_original_patches(run, "/dev/full"), 0);
    EXPECT_TRUE(messages.has("Not enough room for working file on the CD drive.\n"));
}

}  // namespace
}  // namespace korvex::test
