#pragma once
// Length-prefixed message frames for stream channels (the Unix socket to the engine).
//
// A frame is a 4-byte little-endian unsigned length N followed by N bytes of one compact UTF-8
// JSON object. N = 0 and N > kMaxMessageBytes are protocol errors: the reader drops the
// connection. Both ends of the channel (the interface and the stand-in engine) use this file,
// so its API stays stable. No OS and no Qt here.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace qv::link {

// The largest message either side accepts (64 MiB). A larger one ends the connection.
inline constexpr std::size_t kMaxMessageBytes = 64u * 1024u * 1024u;
inline constexpr std::size_t kFrameHeaderBytes = 4;

// Appends one frame carrying `payload` to `out`. Returns false (and leaves `out` untouched) when
// the payload is empty or larger than kMaxMessageBytes: such a frame would be a protocol error.
bool appendFrame(std::string& out, std::string_view payload);

// The frame for `payload`, or an empty string when the payload cannot be framed.
std::string encodeFrame(std::string_view payload);

// Incremental decoder: push the bytes as they arrive, then take the complete messages out.
//
//     decoder.push(bytes);
//     std::string message;
//     while (decoder.next(message) == FrameDecoder::Result::Message) deliver(message);
//
// A bad length is reported as soon as the 4 header bytes are in, before any payload is
// buffered, so a hostile length never makes the reader allocate. The error is sticky until
// reset().
class FrameDecoder {
public:
    enum class Result { NeedMore, Message, Error };

    void push(std::string_view bytes);
    void push(const char* data, std::size_t size) { push(std::string_view(data, size)); }
    // Moves the next complete message into `out` (replacing its content).
    Result next(std::string& out);
    // True while the bytes of an unfinished frame are held.
    bool hasPartial() const { return buffer_.size() > pos_; }
    bool failed() const { return failed_; }
    void reset();

private:
    std::string buffer_;
    std::size_t pos_ = 0; // start of the first unconsumed byte in buffer_
    bool failed_ = false;
};

} // namespace qv::link
