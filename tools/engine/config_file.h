#pragma once
// The stand-in engine's configuration file: read once at start, rewritten after every change.

#include "config/mixer_config.h"

#include <string>
#include <string_view>

namespace qv::standin {

enum class ConfigLoad {
    Missing,    // no such file: the caller starts from its own document
    Loaded,     // `config` holds the file's document
    MovedAside, // not a valid document; kept as `path` + ".bad", `error` says why
    Unreadable, // could not be read, or not moved aside: saving would replace a file that was
                // never read, so the caller must not save to `path`; `error` says why
};

// Reads `path` into `config`. A file that is not a valid document is moved aside to
// `path` + ".bad" so that the next save does not destroy what the user may want back.
ConfigLoad loadConfigFile(const std::string& path, MixerConfig& config, std::string& error);

// Replaces `path` with `content` so that a crash leaves either the old or the new file, never
// a mix: a temporary file in the same folder is written and flushed, renamed over the old
// one, and the folder is flushed.
bool writeFileAtomically(const std::string& path, std::string_view content, std::string& error);

} // namespace qv::standin
