#pragma once
// The per-user runtime folder that holds the engine's socket and meters file on POSIX systems.
//
// The folder is $QUORVEL_RUNTIME_DIR when set and non-empty, else $XDG_RUNTIME_DIR (same rule),
// else /tmp/quorvel-<uid>. A missing folder is created with mode 0700 (the last path component
// only). The folder must be a directory owned by the user and not writable by group or others;
// otherwise it is refused, because anybody who can write there could plant a socket that
// impersonates the engine. Used by the interface, the stand-in engine and the recorder. No Qt.

#include <string>

namespace qv::link {

inline constexpr const char* kEngineSocketName = "QUORVEL.Engine";
inline constexpr const char* kMetersFileName = "QUORVEL.Meters";

struct RuntimeDir {
    std::string path;  // always set: the folder that was chosen
    std::string error; // empty when the folder may be used; otherwise a Russian status text
    bool ok() const { return error.empty(); }
};

RuntimeDir runtimeDir();

} // namespace qv::link
