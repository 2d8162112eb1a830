// Reads arbitrary bytes as the decoding helper's answer, as the program reads the shared
// memory a helper has left; an answer taken must lie within the bytes.
#include <cstdlib>

#include "picture/DecodeProtocol.h"
#include "toolkit/Dib.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::span<const uint8_t> bytes(data, size);
    const std::optional<TDecodeAnswer> answer = ParseDecodeAnswer(bytes);
    if (!answer || answer->Status != TDecodeStatus::Ok)
        return 0;
    if (answer->Payload.data() < bytes.data() ||
        answer->Payload.data() + answer->Payload.size() > bytes.data() + bytes.size())
        std::abort();
    if (answer->Content != TDecodeContent::Drawing &&
        uint64_t(answer->Stride) * answer->Height != answer->Payload.size())
        std::abort();
    // Touch every byte the program would copy.
    volatile uint8_t sum = 0;
    for (const uint8_t byte : answer->Payload)
        sum = uint8_t(sum + byte);
    return 0;
}
