// The stand-in engine reading its client: the bytes go through the frame decoder, and each
// message is answered as the engine would. Every answer must fit a frame.
#include "engine/framing.h"
#include "tools/engine/request_handler.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    qv::DemoEngine engine(true, true);
    qv::link::FrameDecoder decoder;
    decoder.push(reinterpret_cast<const char*>(data), size);
    std::string message;
    int64_t clock = 0;
    while (decoder.next(message) == qv::link::FrameDecoder::Result::Message) {
        const qv::standin::Answer answer = qv::standin::answerRequest(engine, message, clock += 16);
        for (const std::string& payload : answer.payloads)
            if (payload.empty() || payload.size() > qv::link::kMaxMessageBytes)
                std::abort();
        if (answer.stop)
            break;
    }
    return 0;
}
