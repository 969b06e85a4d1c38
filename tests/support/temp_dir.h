#pragma once
// Scratch folders and environment variables for tests that touch the file system (POSIX).

#include <string>
#include <string_view>
#include <vector>

namespace qv::test {

// A fresh 0700 folder under the temporary folder, removed with everything in it at the end.
// path() is empty when it could not be made.
class TempDir {
public:
    explicit TempDir(std::string_view prefix = "qv-test");
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }
    std::string file(std::string_view name) const { return path_ + "/" + std::string(name); }
    std::vector<std::string> entries() const; // the names in it, sorted

private:
    std::string path_;
};

// Sets one environment variable (or clears it, for nullptr) for the object's life. The
// environment is process-wide: set it before any thread that reads it starts.
class ScopedEnv {
public:
    ScopedEnv(std::string name, const char* value);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    std::string name_;
    std::string previous_;
    bool hadPrevious_ = false;
};

// A TempDir that is the engine link's runtime folder (QUORVEL_RUNTIME_DIR) for its life.
class TempRuntimeDir : public TempDir {
public:
    TempRuntimeDir() : TempDir("qvlink"), env_("QUORVEL_RUNTIME_DIR", path().c_str()) {}

private:
    ScopedEnv env_;
};

} // namespace qv::test
