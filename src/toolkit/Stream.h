// Byte streams the picture readers read from: a file opened for reading, or bytes in
// memory. Positions and sizes are 64-bit; a short read where a fixed number of bytes is
// required raises EReadError.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

class TStream {
public:
    virtual ~TStream() = default;

    // Reads up to count bytes; returns how many were read (fewer only at the end).
    virtual size_t Read(void* buffer, size_t count) = 0;
    virtual uint64_t Size() const = 0;
    virtual uint64_t Position() const = 0;
    virtual void Seek(uint64_t position) = 0;

    // Reads count rows of rowBytes each, the i-th into rows[i]; returns the bytes read.
    // Lets a reader put bottom-up rows into a top-down image without a second buffer.
    virtual uint64_t ReadRows(uint8_t* const* rows, size_t count, size_t rowBytes);

    uint64_t Remaining() const;
    // Reads exactly count bytes or raises EReadError ("Stream-Read-Fehler").
    void ReadBuffer(void* buffer, size_t count);
};

// A file opened for reading. Only regular files open; anything else (a folder, a device,
// a pipe) fails like a missing file with EFOpenError.
class TFileStream : public TStream {
public:
    explicit TFileStream(const std::string& path);
    ~TFileStream() override;
    TFileStream(const TFileStream&) = delete;
    TFileStream& operator=(const TFileStream&) = delete;

    size_t Read(void* buffer, size_t count) override;
    uint64_t Size() const override { return Size_; }
    uint64_t Position() const override { return Position_; }
    void Seek(uint64_t position) override { Position_ = position; }
    uint64_t ReadRows(uint8_t* const* rows, size_t count, size_t rowBytes) override;

private:
    int Fd = -1;
    uint64_t Size_ = 0;
    uint64_t Position_ = 0;
};

// Bytes in memory that the stream does not own.
class TBytesStream : public TStream {
public:
    explicit TBytesStream(std::span<const uint8_t> bytes) : Bytes(bytes) {}

    size_t Read(void* buffer, size_t count) override;
    uint64_t Size() const override { return Bytes.size(); }
    uint64_t Position() const override { return Position_; }
    void Seek(uint64_t position) override { Position_ = position; }

private:
    std::span<const uint8_t> Bytes;
    uint64_t Position_ = 0;
};
