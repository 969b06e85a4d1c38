// applyCommand on the demo document: any command text, then a second one on the result (so the
// fuzzer reaches states one command cannot). Every accepted result must still write out a
// document that reads back.
#include "config/commands.h"
#include "engine/demo_engine.h"

#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

const qv::DemoWorld& world() {
    static const qv::DemoWorld w = qv::makeDemoWorld(true, true);
    return w;
}

std::vector<qv::EndpointInfo> endpoints() {
    std::vector<qv::EndpointInfo> out;
    for (const qv::DemoEndpoint& e : world().endpoints)
        out.push_back(e.info);
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::vector<qv::EndpointInfo> eps = endpoints();
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    qv::MixerConfig config = world().config;
    // Commands are separated by a newline, as in the seed files.
    size_t start = 0;
    for (int n = 0; n < 4 && start <= input.size(); ++n) {
        size_t end = input.find('\n', start);
        if (end == std::string_view::npos)
            end = input.size();
        const auto command =
            nlohmann::json::parse(input.substr(start, end - start), nullptr, false);
        start = end + 1;
        if (command.is_discarded())
            continue;
        qv::applyCommand(config, command, eps);
        qv::MixerConfig reread;
        std::string error;
        if (!qv::parseConfig(qv::serializeConfig(config), reread, error))
            std::abort();
    }
    return 0;
}
