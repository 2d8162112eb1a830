// Parameter sets are bit strings: fixed-width fields and Exp-Golomb numbers, in a payload
// from which the bytes that keep it from looking like a start code are removed first. Every
// read past the end yields nothing, so a damaged set only means an unknown size.
#include "decoder/formats/HevcParameters.h"

#include <vector>

namespace {
// Reads the bits of a parameter set's payload, most significant first; a read past the end
// yields nothing.
class TBitReader {
public:
    explicit TBitReader(std::vector<uint8_t> bytes) : Bytes(std::move(bytes)) {}

    std::optional<uint32_t> Bits(int count) {
        uint32_t value = 0;
        for (int i = 0; i < count; ++i) {
            if (Position >= Bytes.size() * 8)
                return std::nullopt;
            value = value << 1 | ((Bytes[Position / 8] >> (7 - Position % 8)) & 1);
            ++Position;
        }
        return value;
    }
    bool Skip(int count) { return Bits(count).has_value() || count == 0; }
    // An unsigned Exp-Golomb number, as parameter sets store most of their fields.
    std::optional<uint32_t> Golomb() {
        int zeros = 0;
        for (;;) {
            const std::optional<uint32_t> bit = Bits(1);
            if (!bit || zeros > 31)
                return std::nullopt;
            if (*bit)
                break;
            ++zeros;
        }
        const std::optional<uint32_t> rest = Bits(zeros);
        if (!rest)
            return std::nullopt;
        return uint32_t((uint64_t(1) << zeros) - 1 + *rest);
    }

private:
    std::vector<uint8_t> Bytes;
    size_t Position = 0;
};

constexpr int SequenceParameterSet = 33;

// The payload of a unit: the two header bytes dropped, and every 3 that follows two zero
// bytes (put there so that the payload never looks like a start code) removed.
std::vector<uint8_t> Payload(const std::vector<uint8_t>& unit) {
    std::vector<uint8_t> payload;
    int zeros = 0;
    for (size_t i = 2; i < unit.size(); ++i) {
        if (zeros >= 2 && unit[i] == 3) {
            zeros = 0;
            continue;
        }
        zeros = unit[i] == 0 ? zeros + 1 : 0;
        payload.push_back(unit[i]);
    }
    return payload;
}
} // namespace

// The sequence parameter set begins: parameter set number (4 bits), sub-layers less one (3),
// nesting (1), the profile, tier and level (96 bits, then per sub-layer two flags, padding to
// eight of them, and each sub-layer's profile and level as flagged), the set's number, the
// chroma format (and a flag for 4:4:4), then width and height.
std::optional<std::pair<uint32_t, uint32_t>> HevcCodedSize(const THeifHevcConfig& config) {
    for (const std::vector<uint8_t>& unit : config.ParameterSets) {
        if (unit.size() < 2 || (unit[0] >> 1 & 0x3F) != SequenceParameterSet)
            continue;
        TBitReader bits(Payload(unit));
        const std::optional<uint32_t> subLayers = bits.Skip(4) ? bits.Bits(3) : std::nullopt;
        if (!subLayers || !bits.Skip(1 + 96))
            return std::nullopt;
        std::vector<std::pair<bool, bool>> present;
        for (uint32_t i = 0; i < *subLayers; ++i) {
            const std::optional<uint32_t> profile = bits.Bits(1);
            const std::optional<uint32_t> level = bits.Bits(1);
            if (!profile || !level)
                return std::nullopt;
            present.emplace_back(*profile != 0, *level != 0);
        }
        if (*subLayers > 0 && !bits.Skip(2 * int(8 - *subLayers)))
            return std::nullopt;
        for (const auto& [profile, level] : present)
            if (!bits.Skip((profile ? 88 : 0) + (level ? 8 : 0)))
                return std::nullopt;
        const std::optional<uint32_t> chroma = bits.Golomb() ? bits.Golomb() : std::nullopt;
        if (!chroma || (*chroma == 3 && !bits.Skip(1)))
            return std::nullopt;
        const std::optional<uint32_t> width = bits.Golomb();
        const std::optional<uint32_t> height = bits.Golomb();
        if (!width || !height)
            return std::nullopt;
        return std::pair(*width, *height);
    }
    return std::nullopt;
}
