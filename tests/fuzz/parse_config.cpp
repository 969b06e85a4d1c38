// parseConfig on any text; an accepted document must survive its own round trip unchanged.
#include "config/mixer_config.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    qv::MixerConfig config;
    std::string error;
    if (!qv::parseConfig(text, config, error))
        return 0;
    const std::string written = qv::serializeConfig(config);
    qv::MixerConfig again;
    if (!qv::parseConfig(written, again, error) || qv::serializeConfig(again) != written)
        std::abort();
    return 0;
}
