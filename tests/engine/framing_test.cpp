#include "engine/framing.h"
#include "tests/support/frame_header.h"

#include <gtest/gtest.h>

using qv::link::FrameDecoder;
using qv::link::kMaxMessageBytes;
using qv::test::frameHeader;

namespace {

std::vector<std::string> drain(FrameDecoder& decoder) {
    std::vector<std::string> out;
    std::string message;
    while (decoder.next(message) == FrameDecoder::Result::Message)
        out.push_back(message);
    return out;
}

} // namespace

// A little-endian length, and no frame at all for an empty or oversized payload.
TEST(Framing, EncodesTheLengthAndRefusesEmptyAndOversizedPayloads) {
    const std::string frame = qv::link::encodeFrame(std::string(0x010203, 'x'));
    EXPECT_EQ(frame.substr(0, 4), frameHeader(0x010203));
    EXPECT_EQ(frame.size(), 4u + 0x010203);
    const std::string big(kMaxMessageBytes + 1, 'x');
    EXPECT_TRUE(qv::link::encodeFrame(big).empty());
    std::string out = "keep";
    EXPECT_FALSE(qv::link::appendFrame(out, ""));
    EXPECT_FALSE(qv::link::appendFrame(out, big));
    EXPECT_EQ(out, "keep");
}

// Every way of cutting a stream of three frames into two pieces yields the same messages.
TEST(Framing, DecodesAcrossEverySplitPoint) {
    const std::vector<std::string> messages = {"{\"a\":1}", std::string(300, 'y'),
                                               "{\"имя\":\"Микрофон\"}"};
    std::string stream;
    for (const auto& m : messages)
        qv::link::appendFrame(stream, m);
    for (std::size_t cut = 0; cut <= stream.size(); ++cut) {
        FrameDecoder decoder;
        decoder.push(std::string_view(stream).substr(0, cut));
        auto got = drain(decoder);
        decoder.push(std::string_view(stream).substr(cut));
        for (auto& m : drain(decoder))
            got.push_back(m);
        ASSERT_EQ(got, messages) << "cut at " << cut;
        EXPECT_FALSE(decoder.hasPartial());
    }
}

// A bad length is an error that stays until reset; the limit itself waits for its payload.
TEST(Framing, BadLengthsAreStickyErrors) {
    for (const uint32_t length :
         {0u, uint32_t(kMaxMessageBytes + 1), 0xFFFFFFFFu, uint32_t(kMaxMessageBytes)}) {
        FrameDecoder decoder;
        decoder.push(qv::link::encodeFrame("first") + frameHeader(length) + "tail");
        std::string message;
        ASSERT_EQ(decoder.next(message), FrameDecoder::Result::Message) << length;
        EXPECT_EQ(message, "first");
        const bool allowed = length == kMaxMessageBytes;
        EXPECT_EQ(decoder.next(message),
                  allowed ? FrameDecoder::Result::NeedMore : FrameDecoder::Result::Error)
            << length;
        if (allowed)
            continue;
        decoder.push(qv::link::encodeFrame("later"));
        EXPECT_EQ(decoder.next(message), FrameDecoder::Result::Error) << length;
        decoder.reset();
        decoder.push(qv::link::encodeFrame("later"));
        EXPECT_EQ(decoder.next(message), FrameDecoder::Result::Message) << length;
    }
}
