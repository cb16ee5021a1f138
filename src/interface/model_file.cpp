#include "interface/model_file.h"

#include <cctype>

namespace korvex {

ModelNameCheck check_model_name(std::string_view path) {
    const std::size_t dot = path.rfind('.');
    if (dot == std::string_view::npos) return ModelNameCheck::kNoDot;
    const std::string_view ext = path.substr(dot + 1);
    if (ext.size() != 3) return ModelNameCheck::kBadExtension;
    const char want[] = "SUR";
    for (std::size_t i = 0; i < 3; ++i)
        if (std::toupper(static_cast<unsigned char>(ext[i])) != want[i]) return ModelNameCheck::kBadExtension;
    return ModelNameCheck::kValid;
}

std::string log_file_name(const std::string& path) {
    const std::size_t keep = path.size() >= 3 ? path.size() - 3 : 0;
    return path.substr(0, keep) + "LOG";
}

}  // namespace korvex
