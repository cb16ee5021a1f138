#include "pipeline/working_file.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>

#include "interface/messages.h"

namespace korvex {

namespace {

// Appends values field by field at their stored sizes; never a record's memory.
class RecordWriter {
public:
    explicit RecordWriter(std::vector<unsigned char>& out) : out_(out) {}

    void int32(int v) { little_endian(static_cast<std::uint32_t>(static_cast<std::int32_t>(v)), 4); }
    void float64(double v) {
        std::uint64_t bits = 0;
        std::memcpy(&bits, &v, sizeof bits);
        little_endian(bits, 8);
    }
    void name(const Name& n) { bytes(n.c_str(), sizeof n.s); }
    void zeros(std::size_t count) { out_.insert(out_.end(), count, 0); }
    template <class T, std::size_t N>
    void ints(const T (&v)[N]) { for (int x : v) int32(x); }
    void doubles(const double* v, std::size_t count) { for (std::size_t i = 0; i < count; ++i) float64(v[i]); }

private:
    void little_endian(std::uint64_t v, int count) {
        unsigned char b[8];
        for (int k = 0; k < count; ++k) b[k] = static_cast<unsigned char>(v >> (8 * k));
        out_.insert(out_.end(), b, b + count);
    }
    void bytes(const char* p, std::size_t count) {
        out_.insert(out_.end(), reinterpret_cast<const unsigned char*>(p),
                    reinterpret_cast<const unsigned char*>(p) + count);
    }
    std::vector<unsigned char>& out_;
};

// A hole record: name, 3 bytes of fill, id, num_curves, 209 curve slots (856 bytes).
void write_hole(RecordWriter& w, const Hole& h) {
    w.name(h.name);
    w.zeros(3);
    w.int32(h.id);
    w.int32(h.num_curves);
    for (int c : h.curves) w.int32(c);
}

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

}  // namespace

// Every slot of the fixed tables is written; slots a subregion never filled
// read as zero records, so the layout does not depend on what it holds.
void serialize_subregion_record(const Subregion& s, std::vector<unsigned char>& out) {
    RecordWriter w(out);
    w.name(s.name);
    w.int32(s.type);
    w.int32(s.num_edges);
    w.ints(s.curves_per_edge);
    w.int32(s.num_curves);
    for (std::size_t i = 0; i < s.curve_names.size(); ++i) w.name(s.curve_names[i]);
    w.float64(s.REF);
    w.doubles(s.axis_cos, 3);
    w.doubles(s.centre, 3);
    w.name(s.original_name);
    w.int32(s.num_edges_original);
    w.int32(s.id);
    w.ints(s.edge_flags);
    for (std::size_t i = 0; i < s.curves_id.size(); ++i) w.int32(s.curves_id[i]);
    w.int32(s.num_points);
    for (std::size_t i = 0; i < s.points_id.size(); ++i) w.int32(s.points_id[i]);
    w.int32(s.num_holes);
    for (std::size_t i = 0; i < s.holes.size(); ++i) write_hole(w, s.holes[i]);
}

int save_original_patches(const Run& run, const char* path) {
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path, "wb"));
    if (!file) {
        report(" Cannot create the working file %s\n", path);
        return 0;
    }
    std::vector<unsigned char> record;
    record.reserve(kWorkingFileRecordSize);
    for (int k = 1; k <= run.nPatches; ++k) {
        record.clear();
        serialize_subregion_record(run.patches[k], record);
        if (std::fwrite(record.data(), 1, record.size(), file.get()) != record.size()) {
            report("Not enough room for working file on the CD drive.\n");
            return 0;
        }
    }
    // Buffered data reaches the disk only at close: a short write shows there.
    if (std::fclose(file.release()) != 0) {
        report("Not enough room for working file on the CD drive.\n");
        return 0;
    }
    return 1;
}

}  // namespace korvex
