// Captures every message of a test through the message callback, and small
// helpers to build a global mesh in memory.
#pragma once

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include <unistd.h>

#include "interface/run_settings.h"
#include "model/run.h"

namespace korvex::test_support {

class MessageCapture {
public:
    MessageCapture() {
        messages().clear();
        message_callback() = &MessageCapture::on_message;
    }
    ~MessageCapture() { message_callback() = nullptr; }
    MessageCapture(const MessageCapture&) = delete;
    MessageCapture& operator=(const MessageCapture&) = delete;

    const std::vector<std::string>& all() const { return messages(); }
    std::string text() const {
        std::string t;
        for (const auto& m : messages()) t += m;
        return t;
    }
    bool has(const std::string& message) const {
        return std::find(messages().begin(), messages().end(), message) != messages().end();
    }
    int count_containing(const std::string& part) const {
        return static_cast<int>(std::count_if(messages().begin(), messages().end(),
                                              [&](const std::string& m) { return m.find(part) != std::string::npos; }));
    }
    void clear() { messages().clear(); }
    // True when every expected message occurs, in this order (others may come between).
    bool in_order(const std::vector<std::string>& expected) const {
        auto at = messages().begin();
        for (const auto& e : expected) {
            at = std::find(at, messages().end(), e);
            if (at == messages().end()) return false;
            ++at;
        }
        return true;
    }

private:
    static std::vector<std::string>& messages() {
        static std::vector<std::string> m;
        return m;
    }
    static void on_message(const char* text) { messages().emplace_back(text); }
};

inline int add_node(Run& run, const char* name, double x, double y, double z) {
    const int i = run.num_nodes + 1;
    run.nodes3D.ensure(i);
    Node3D& n = run.nodes3D[i];
    n.name = name;
    n.x = x;
    n.y = y;
    n.z = z;
    run.num_nodes = i;
    return i;
}

inline int add_element(Run& run, int a, int b, int c, int d, const char* name) {
    const int e = run.num_elements + 1;
    run.elements.ensure(e);
    run.elements[e].node = {a, b, c, d};
    run.elements[e].name = name;
    run.num_elements = e;
    return e;
}

// A fresh folder under the system's temporary folder, removed at the end of the test.
class TempDir {
public:
    explicit TempDir(const std::string& tag) {
        static int counter = 0;
        path_ = std::filesystem::temp_directory_path() /
                ("korvex_" + tag + "_" + std::to_string(::getpid()) + "_" + std::to_string(++counter));
        std::filesystem::create_directories(path_);
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    std::string file(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

inline std::string read_file(const std::string& path) {
    std::string content;
    if (std::FILE* f = std::fopen(path.c_str(), "rb")) {
        char buf[4096];
        std::size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) content.append(buf, n);
        std::fclose(f);
    }
    return content;
}

}  // namespace korvex::test_support
