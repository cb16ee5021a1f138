// Small in-memory models for the curve tests, and a capture of the messages.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "interface/run_settings.h"
#include "model/run.h"

namespace korvex::testing {

// Collects every message routed while it exists.
class MessageCapture {
public:
    MessageCapture() {
        current() = this;
        message_callback() = &collect;
    }
    ~MessageCapture() {
        message_callback() = nullptr;
        current() = nullptr;
    }
    MessageCapture(const MessageCapture&) = delete;
    MessageCapture& operator=(const MessageCapture&) = delete;

    const std::string& text() const { return text_; }
    bool contains(const std::string& s) const { return text_.find(s) != std::string::npos; }
    void clear() { text_.clear(); }

private:
    static MessageCapture*& current() {
        static MessageCapture* c = nullptr;
        return c;
    }
    static void collect(const char* msg) {
        if (current()) current()->text_ += msg;
    }
    std::string text_;
};

inline int add_point(Run& run, const char* name, double x, double y, double z = 0.0) {
    const int i = run.nPoints + 1;
    run.points.ensure(i);
    ControlPoint& p = run.points[i];
    p.name = name;
    p.x = x;
    p.y = y;
    p.z = z;
    p.id = i;
    p.PINT = p.name.starts_with("PINT") ? 1 : 0;
    run.nPoints = i;
    return i;
}

// A curve through the given point indexes.
inline int add_curve(Run& run, const char* name, std::initializer_list<int> point_ids, double step) {
    const int c = run.nCurves + 1;
    run.curves.ensure(c);
    Curve& cv = run.curves[c];
    cv.name = name;
    cv.name_original = name;
    cv.id = c;
    cv.step = step;
    int j = 0;
    for (int p : point_ids) {
        ++j;
        cv.points_id[static_cast<std::size_t>(j)] = p;
        cv.point_names[static_cast<std::size_t>(j)] = run.points[p].name;
    }
    cv.num_points = j;
    run.nCurves = c;
    return c;
}

// The nodes of curve c, in order along it.
inline std::vector<const ControlPoint*> curve_nodes(const Run& run, int c) {
    std::vector<const ControlPoint*> out;
    const Curve& cv = run.curves[c];
    for (int k = 1; k <= cv.num_new_points; ++k) out.push_back(&run.new_points[cv.new_points_id[static_cast<std::size_t>(k)]]);
    return out;
}

}  // namespace korvex::testing
