#pragma once
// What the stand-in engine answers to one request taken from its client, without any I/O: the
// payloads to frame, in order, and whether the engine ends once they are sent. The socket loop
// (engine_server.cpp) only frames and writes them.

#include "engine/demo_engine.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qv::standin {

struct Answer {
    std::vector<std::string> payloads; // each fits one frame
    std::vector<std::string> warnings; // for the engine's error output
    bool stop = false;                 // "quit" or "shutdown": end after sending
};

Answer answerRequest(DemoEngine& engine, std::string_view text, int64_t clockMs);

// The payload of one message. Every request is answered: a reply too large for a frame becomes
// an error (with the request's id when even that still fits); an event too large is dropped
// (empty result). `warning` says what was done instead.
std::string framedPayload(const nlohmann::json& message, std::string& warning);

} // namespace qv::standin
