#include "engine/framing.h"

namespace qv::link {

bool appendFrame(std::string& out, std::string_view payload) {
    if (payload.empty() || payload.size() > kMaxMessageBytes)
        return false;
    const auto n = static_cast<uint32_t>(payload.size());
    const char header[kFrameHeaderBytes] = {
        static_cast<char>(n & 0xFF), static_cast<char>((n >> 8) & 0xFF),
        static_cast<char>((n >> 16) & 0xFF), static_cast<char>((n >> 24) & 0xFF)};
    out.reserve(out.size() + kFrameHeaderBytes + payload.size());
    out.append(header, kFrameHeaderBytes);
    out.append(payload);
    return true;
}

std::string encodeFrame(std::string_view payload) {
    std::string out;
    appendFrame(out, payload);
    return out;
}

void FrameDecoder::push(std::string_view bytes) {
    if (failed_ || bytes.empty())
        return;
    // Drop what was consumed before growing, so a long stream of small frames keeps the buffer
    // at the size of the largest unfinished frame.
    if (pos_ > 0 && (pos_ == buffer_.size() || pos_ >= buffer_.size() / 2)) {
        buffer_.erase(0, pos_);
        pos_ = 0;
    }
    buffer_.append(bytes);
}

FrameDecoder::Result FrameDecoder::next(std::string& out) {
    if (failed_)
        return Result::Error;
    const std::size_t available = buffer_.size() - pos_;
    if (available < kFrameHeaderBytes)
        return Result::NeedMore;
    const auto* p = reinterpret_cast<const unsigned char*>(buffer_.data() + pos_);
    const uint32_t n =
        uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
    if (n == 0 || n > kMaxMessageBytes) {
        failed_ = true;
        buffer_.clear();
        buffer_.shrink_to_fit();
        pos_ = 0;
        return Result::Error;
    }
    if (available - kFrameHeaderBytes < n)
        return Result::NeedMore;
    out.assign(buffer_, pos_ + kFrameHeaderBytes, n);
    pos_ += kFrameHeaderBytes + n;
    if (pos_ == buffer_.size()) {
        buffer_.clear();
        pos_ = 0;
    }
    return Result::Message;
}

void FrameDecoder::reset() {
    buffer_.clear();
    pos_ = 0;
    failed_ = false;
}

} // namespace qv::link
