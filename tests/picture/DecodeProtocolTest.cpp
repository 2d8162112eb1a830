// The program's reading of the helper's answer: what a working helper writes is taken,
// anything else is refused before a single pixel is copied.
#include <gtest/gtest.h>

#include "picture/DecodeProtocol.h"

namespace {
std::vector<uint8_t> Answer(TDecodeStatus status, TDecodeContent content, uint32_t width,
                            uint32_t height, uint32_t stride, uint64_t payloadSize,
                            size_t payloadPresent) {
    std::vector<uint8_t> bytes =
        DecodeHeaderBytes(status, content, width, height, stride, payloadSize);
    bytes.resize(bytes.size() + payloadPresent, 0x5A);
    return bytes;
}
} // namespace

TEST(DecodeProtocol, TakesWhatAWorkingHelperWritesAndRefusesTheRest) {
    using S = TDecodeStatus;
    using C = TDecodeContent;
    const struct {
        const char* Case;
        std::vector<uint8_t> Bytes;
        bool Taken;
    } cases[] = {
        {"3 x 2 pixels", Answer(S::Ok, C::Rgb32, 3, 2, 12, 24, 24), true},
        {"with alpha, bytes after", Answer(S::Ok, C::Argb32, 3, 2, 12, 24, 30), true},
        {"a drawing", Answer(S::Ok, C::Drawing, 120, 60, 0, 5, 5), true},
        {"a damaged file", Answer(S::Broken, C::Rgb32, 0, 0, 0, 0, 0), true},
        {"too large", Answer(S::TooLarge, C::Rgb32, 70000, 70000, 0, 0, 0), true},
        {"pixels cut short", Answer(S::Ok, C::Rgb32, 3, 2, 12, 24, 23), false},
        {"payload size disagreeing", Answer(S::Ok, C::Rgb32, 3, 2, 12, 20, 24), false},
        {"stride too small", Answer(S::Ok, C::Rgb32, 3, 2, 8, 16, 16), false},
        {"no width", Answer(S::Ok, C::Rgb32, 0, 2, 0, 0, 0), false},
        {"beyond the pixel limit",
         Answer(S::Ok, C::Argb32, 65536, 65536, 262144, uint64_t(1) << 34, 0), false},
        {"an empty drawing", Answer(S::Ok, C::Drawing, 10, 10, 0, 0, 0), false},
        {"a drawing without size", Answer(S::Ok, C::Drawing, 0, 10, 0, 4, 4), false},
        {"an unknown status", Answer(S(9), C::Rgb32, 3, 2, 12, 24, 24), false},
        {"an unknown content", Answer(S::Ok, C(7), 3, 2, 12, 24, 24), false},
        {"a huge payload size", Answer(S::Ok, C::Drawing, 1, 1, 0, ~uint64_t(0), 8), false},
        {"nothing", {}, false},
        {"half a header", std::vector<uint8_t>(16, 0), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Case);
        EXPECT_EQ(ParseDecodeAnswer(c.Bytes).has_value(), c.Taken);
    }

    std::vector<uint8_t> wrongMagic = Answer(S::Ok, C::Rgb32, 3, 2, 12, 24, 24);
    wrongMagic[0] ^= 1;
    EXPECT_FALSE(ParseDecodeAnswer(wrongMagic));
}

TEST(DecodeProtocol, GivesThePixelsAndTheDeclaredSize) {
    const std::vector<uint8_t> pixels =
        Answer(TDecodeStatus::Ok, TDecodeContent::Argb32, 2, 3, 8, 24, 24);
    const std::optional<TDecodeAnswer> answer = ParseDecodeAnswer(pixels);
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->Width, 2u);
    EXPECT_EQ(answer->Height, 3u);
    EXPECT_EQ(answer->Payload.size(), 24u);
    EXPECT_EQ(answer->Payload.data(), pixels.data() + 32);

    const std::optional<TDecodeAnswer> tooLarge = ParseDecodeAnswer(
        Answer(TDecodeStatus::TooLarge, TDecodeContent::Rgb32, 70000, 50000, 0, 0, 0));
    ASSERT_TRUE(tooLarge);
    EXPECT_EQ(tooLarge->Status, TDecodeStatus::TooLarge);
    EXPECT_EQ(tooLarge->Width, 70000u);
    EXPECT_EQ(tooLarge->Height, 50000u);
}
