#include "base/run_settings.h"

namespace korvex {

RunSettings& run_settings() {
    static RunSettings settings;
    return settings;
}

MessageCallback& message_callback() {
    static MessageCallback callback = nullptr;
    return callback;
}

}  // namespace korvex
