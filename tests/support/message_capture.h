// Captures every message the engine reports while the object lives (through
// the same callback a host registers), and restores the previous callback.
// Header-only on purpose: each test program that includes it gets its own copy.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "base/run_settings.h"

namespace korvex::test {

// Every expected message occurs exactly, in this order (others may come
// between); names the first one missing.
inline ::testing::AssertionResult messages_in_order(const std::vector<std::string>& messages,
                                                    const std::vector<std::string>& expected) {
    auto at = messages.begin();
    for (const auto& e : expected) {
        at = std::find(at, messages.end(), e);
        if (at == messages.end()) return ::testing::AssertionFailure() << "missing or out of order: \"" << e << "\"";
        ++at;
    }
    return ::testing::AssertionSuccess();
}

class MessageCapture {
public:
    MessageCapture() : previous_(message_callback()) {
        store().clear();
        message_callback() = &collect;
    }
    ~MessageCapture() { message_callback() = previous_; }
    MessageCapture(const MessageCapture&) = delete;
    MessageCapture& operator=(const MessageCapture&) = delete;

    // Every message in order, one entry per report.
    const std::vector<std::string>& all() const { return store(); }
    std::string text() const {
        std::string t;
        for (const auto& m : store()) t += m;
        return t;
    }
    // Some message equals `message` exactly.
    bool has(const std::string& message) const {
        return std::find(store().begin(), store().end(), message) != store().end();
    }
    // The joined text contains `part` (it may span messages).
    bool contains(const std::string& part) const { return text().find(part) != std::string::npos; }
    // Number of messages containing `part`.
    int count(const std::string& part) const {
        return static_cast<int>(std::count_if(store().begin(), store().end(),
                                              [&](const std::string& m) { return m.find(part) != std::string::npos; }));
    }
    ::testing::AssertionResult in_order(const std::vector<std::string>& expected) const {
        return messages_in_order(store(), expected);
    }
    void clear() { store().clear(); }

private:
    static std::vector<std::string>& store() {
        static std::vector<std::string> s;
        return s;
    }
    static void collect(const char* message) { store().emplace_back(message); }
    MessageCallback previous_;
};

}  // namespace korvex::test
