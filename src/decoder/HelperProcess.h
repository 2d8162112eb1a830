// What both decoding programs do around the decoding itself, without Qt: the limits they
// run under, the faults tests make them show, the file's bytes from standard input and the
// answer file on descriptor 3 (DecodeProtocol.h).
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "picture/DecodeProtocol.h"

inline constexpr int AnswerFd = 3;

// Memory (none in a sanitizer build), processor time and no core files.
void LimitResources();

// Tests make the helper fail the ways a library could: VELLACOUR_DECODE_FAULT=crash, hang,
// or cpu (ended as the processor-time limit ends it). Without the variable nothing changes.
void InjectFault();

// The whole standard input: mapped when it is a file (the program hands over a
// shared-memory file), read otherwise.
class TInput {
public:
    TInput() = default;
    ~TInput();
    TInput(const TInput&) = delete;
    TInput& operator=(const TInput&) = delete;

    // False when the input cannot be read or is larger than the helper takes.
    bool Load();
    std::span<const uint8_t> Bytes() const { return Bytes_; }

private:
    void* Mapped = nullptr;
    size_t MappedSize = 0;
    std::vector<uint8_t> Read;
    std::span<const uint8_t> Bytes_;
};

// Writes all the bytes to the answer file at its current position.
bool WriteAnswerBytes(const void* data, size_t size);

// An answer without pixels: a failure with the declared size, if any, alone in the file.
bool WriteStatusAnswer(TDecodeStatus status, uint32_t width = 0, uint32_t height = 0);

// The answer file sized for width × height pixels behind its header and mapped for
// writing, so a decoder writes the rows where the program reads them. The header is
// written by Finish, once the pixels are there; a helper that fails before leaves no
// valid answer.
class TPixelAnswer {
public:
    TPixelAnswer() = default;
    ~TPixelAnswer();
    TPixelAnswer(const TPixelAnswer&) = delete;
    TPixelAnswer& operator=(const TPixelAnswer&) = delete;

    // False when the memory cannot be had.
    bool Open(uint32_t width, uint32_t height);
    uint8_t* Pixels() const { return Mapped + sizeof(TDecodeHeader); }
    uint32_t Stride() const { return Width * 4; }
    bool Finish(TDecodeContent content);

private:
    uint8_t* Mapped = nullptr;
    size_t Size = 0;
    uint32_t Width = 0;
    uint32_t Height = 0;
};
