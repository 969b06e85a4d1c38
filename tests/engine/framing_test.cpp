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

TEST(Framing, HeaderIsLittleEndianLength) {
    const std::string frame = qv::link::encodeFrame(std::string(0x010203, 'x'));
    EXPECT_EQ(frame.substr(0, 4), frameHeader(0x010203));
    EXPECT_EQ(frame.size(), 4u + 0x010203);
}

TEST(Framing, EmptyAndOversizedPayloadsAreNotFramed) {
    std::string out = "keep";
    EXPECT_FALSE(qv::link::appendFrame(out, ""));
    EXPECT_EQ(out, "keep");
    const std::string big(kMaxMessageBytes + 1, 'x');
    EXPECT_FALSE(qv::link::appendFrame(out, big));
    EXPECT_EQ(out, "keep");
    EXPECT_TRUE(qv::link::encodeFrame(big).empty());
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

TEST(Framing, BadLengthsAreStickyErrors) {
    struct Case {
        const char* name;
        uint32_t length;
        FrameDecoder::Result expected;
    };
    const Case cases[] = {
        {"zero", 0, FrameDecoder::Result::Error},
        {"one over the limit", uint32_t(kMaxMessageBytes + 1), FrameDecoder::Result::Error},
        {"largest", 0xFFFFFFFFu, FrameDecoder::Result::Error},
        // The limit itself is allowed: the decoder waits for the payload.
        {"exactly the limit", uint32_t(kMaxMessageBytes), FrameDecoder::Result::NeedMore},
    };
    for (const auto& c : cases) {
        FrameDecoder decoder;
        decoder.push(qv::link::encodeFrame("first") + frameHeader(c.length) + "tail");
        std::string message;
        ASSERT_EQ(decoder.next(message), FrameDecoder::Result::Message) << c.name;
        EXPECT_EQ(message, "first");
        EXPECT_EQ(decoder.next(message), c.expected) << c.name;
        if (c.expected == FrameDecoder::Result::Error) {
            decoder.push(qv::link::encodeFrame("later"));
            EXPECT_EQ(decoder.next(message), FrameDecoder::Result::Error) << c.name;
            decoder.reset();
            decoder.push(qv::link::encodeFrame("later"));
            EXPECT_EQ(decoder.next(message), FrameDecoder::Result::Message) << c.name;
        }
    }
}
