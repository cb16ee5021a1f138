#include "pipeline/working_file.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>

#include "base/messages.h"

namespace korvex {

namespace {

// Writes values field by field at their stored sizes (never a record's
// memory) into `out` from position `pos` on, growing it when a field would
// pass its end. Bytes not written keep the value they had (zero).
class RecordWriter {
public:
    RecordWriter(std::vector<unsigned char>& out, std::size_t pos) : out_(out), pos_(pos) {}

    void int32(int v) { little_endian(static_cast<std::uint32_t>(static_cast<std::int32_t>(v)), 4); }
    void float64(double v) {
        std::uint64_t bits = 0;
        std::memcpy(&bits, &v, sizeof bits);
        little_endian(bits, 8);
    }
    void name(const Name& n) { bytes(n.c_str(), sizeof n.s); }
    void zeros(std::size_t count) {
        unsigned char* p = room(count);
        std::memset(p, 0, count);
    }
    // Moves past `count` bytes that already hold zeros.
    void skip(std::size_t count) { room(count); }
    template <class T, std::size_t N>
    void ints(const T (&v)[N]) { for (int x : v) int32(x); }
    void doubles(const double* v, std::size_t count) { for (std::size_t i = 0; i < count; ++i) float64(v[i]); }
    std::size_t position() const { return pos_; }

private:
    unsigned char* room(std::size_t count) {
        if (pos_ + count > out_.size()) out_.resize(pos_ + count);
        unsigned char* p = out_.data() + pos_;
        pos_ += count;
        return p;
    }
    void little_endian(std::uint64_t v, int count) {
        unsigned char* p = room(static_cast<std::size_t>(count));
        for (int k = 0; k < count; ++k) p[k] = static_cast<unsigned char>(v >> (8 * k));
    }
    void bytes(const char* from, std::size_t count) { std::memcpy(room(count), from, count); }
    std::vector<unsigned char>& out_;
    std::size_t pos_;
};

// A hole record: name, 3 bytes of fill, id, num_curves, 209 curve slots (856 bytes).
void write_hole(RecordWriter& w, const Hole& h) {
    w.name(h.name);
    w.zeros(3);
    w.int32(h.id);
    w.int32(h.num_curves);
    for (int c : h.curves) w.int32(c);
}

// The slots of a table at their fixed size each: the slots stored, then
// the blank slots, which are skipped (the storage is zeroed) when a blank
// slot is written as zeros, as it is for the tables of a subregion.
template <class Table, class WriteSlot>
void write_slots(RecordWriter& w, const Table& table, WriteSlot write_slot) {
    std::vector<unsigned char> blank;
    RecordWriter probe(blank, 0);
    write_slot(probe, table.blank());
    const bool blank_is_zero = std::all_of(blank.begin(), blank.end(), [](unsigned char b) { return b == 0; });
    const std::size_t stored = std::min(table.stored(), table.size());
    for (std::size_t i = 0; i < stored; ++i) write_slot(w, table[i]);
    if (blank_is_zero) {
        w.skip((table.size() - stored) * blank.size());
        return;
    }
    for (std::size_t i = stored; i < table.size(); ++i) write_slot(w, table[i]);
}

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

}  // namespace

// Every slot of the fixed tables is written; slots a subregion never filled
// read as zero records, so the layout does not depend on what it holds.
void serialize_subregion_record(const Subregion& s, std::vector<unsigned char>& out) {
    // The record is laid out in storage sized for it at once.
    const std::size_t start = out.size();
    out.resize(start + kWorkingFileRecordSize);
    RecordWriter w(out, start);
    w.name(s.name);
    w.int32(s.type);
    w.int32(s.num_edges);
    w.ints(s.curves_per_edge);
    w.int32(s.num_curves);
    write_slots(w, s.curve_names, [](RecordWriter& to, const Name& n) { to.name(n); });
    w.float64(s.REF);
    w.doubles(s.axis_cos, 3);
    w.doubles(s.centre, 3);
    w.name(s.original_name);
    w.int32(s.num_edges_original);
    w.int32(s.id);
    w.ints(s.edge_flags);
    write_slots(w, s.curves_id, [](RecordWriter& to, int v) { to.int32(v); });
    w.int32(s.num_points);
    write_slots(w, s.points_id, [](RecordWriter& to, int v) { to.int32(v); });
    w.int32(s.num_holes);
    write_slots(w, s.holes, write_hole);
    out.resize(w.position());
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
