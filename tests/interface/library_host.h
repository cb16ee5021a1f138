// A host of the shared library as a C program would be: the library is
// loaded with dlopen and driven only through its three exported functions.
// Each call of run() captures what the host can see: the result, the
// messages given to the callback, standard output and the log file.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace korvex::test {

struct RunOutput {
    int result = -1;
    std::vector<std::string> messages;  // through the callback, in order
    std::string stdout_text;
    std::string log_text;  // empty when no log file was written

    // Index of the first message equal to text, or -1.
    long index_of(const std::string& text) const;
    bool has_message(const std::string& text) const { return index_of(text) >= 0; }
};

class LibraryHost {
public:
    LibraryHost();  // loads the library into a fresh folder; fails the test if it cannot
    ~LibraryHost();
    LibraryHost(const LibraryHost&) = delete;
    LibraryHost& operator=(const LibraryHost&) = delete;

    void use_callback(bool on);
    void set_parameters(bool tree_guard, int max_subregions, int max_curves_per_tree, int max_points_per_tree,
                        int max_nodel_3d);

    // GenerateQuads with the given arguments (argv[0] is "host"), run in folder().
    RunOutput run(const std::vector<std::string>& args);
    // Writes `text` as model `name` in folder() and runs it.
    RunOutput run_model(const std::string& name, const std::string& text);

    const std::filesystem::path& folder() const { return folder_; }

private:
    void* handle_ = nullptr;
    void (*set_callback_)(void (*)(const char*)) = nullptr;
    void (*set_parameters_)(bool, int, int, int, int) = nullptr;
    int (*generate_)(int, char**) = nullptr;
    std::filesystem::path folder_;
};

// The banner every run prints on standard output.
extern const char* const kBanner;

}  // namespace korvex::test
