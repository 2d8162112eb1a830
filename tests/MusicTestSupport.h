// Small audio files for the tests of the music import: silence as WAV, written directly.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "TestSupport.h"

// seconds of 8-kHz mono 16-bit silence as a WAV file, without tags.
inline void WriteSilentWav(const std::string& path, int seconds = 1) {
    constexpr uint32_t Rate = 8000;
    const uint32_t data = Rate * 2 * uint32_t(seconds);
    std::vector<uint8_t> bytes{'R', 'I', 'F', 'F'};
    Put32(bytes, 36 + data);
    bytes.insert(bytes.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    Put32(bytes, 16);
    Put16(bytes, 1); // PCM
    Put16(bytes, 1); // mono
    Put32(bytes, Rate);
    Put32(bytes, Rate * 2);
    Put16(bytes, 2);
    Put16(bytes, 16);
    bytes.insert(bytes.end(), {'d', 'a', 't', 'a'});
    Put32(bytes, data);
    bytes.resize(bytes.size() + data, 0);
    WriteFileBytes(path, bytes);
}
