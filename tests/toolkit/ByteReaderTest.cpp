#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "toolkit/ByteReader.h"
#include "toolkit/Errors.h"

TEST(ByteReader, ReadsLittleEndianValuesInOrder) {
    const std::vector<uint8_t> bytes = {0x01, 0x34, 0x12, 0x78, 0x56, 0x34, 0x12,
                                        0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F};
    TByteReader reader(bytes);
    EXPECT_EQ(reader.U8(), 0x01);
    EXPECT_EQ(reader.U16(), 0x1234);
    EXPECT_EQ(reader.U32(), 0x12345678u);
    EXPECT_EQ(reader.I16(), -2);
    EXPECT_EQ(reader.I32(), 0x7FFFFFFF);
    EXPECT_EQ(reader.Remaining(), 0u);
}

TEST(ByteReader, ReadsBigEndianValuesInOrder) {
    const std::vector<uint8_t> bytes = {0x12, 0x34, 0x12, 0x34, 0x56, 0x78, 0x01, 0x02,
                                        0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0xAA};
    TByteReader reader(bytes);
    EXPECT_EQ(reader.U16BE(), 0x1234);
    EXPECT_EQ(reader.U32BE(), 0x12345678u);
    EXPECT_EQ(reader.U64BE(), 0x0102030405060708u);
    EXPECT_THROW(reader.U16BE(), EReadError);
    EXPECT_EQ(reader.Position(), 14u);
}

TEST(ByteReader, ReadsPastTheEndFailWithoutMoving) {
    const std::vector<uint8_t> bytes = {1, 2, 3};
    TByteReader reader(bytes);
    reader.U16();
    EXPECT_THROW(reader.U16(), EReadError);
    EXPECT_EQ(reader.Position(), 2u);
    EXPECT_THROW(reader.Bytes(UINT64_MAX), EReadError);
    EXPECT_THROW(reader.Seek(4), EReadError);
    EXPECT_FALSE(reader.CanRead(UINT64_MAX));
    EXPECT_EQ(reader.U8(), 3);
}

TEST(ByteReader, SubReaderCoversOneRecordAndTheParentMovesPastIt) {
    const std::vector<uint8_t> bytes = {9, 8, 7, 6, 5};
    TByteReader reader(bytes);
    reader.Skip(1);
    TByteReader record = reader.Sub(3);
    EXPECT_EQ(reader.Position(), 4u);
    EXPECT_EQ(record.Size(), 3u);
    EXPECT_EQ(record.U16(), 0x0708);
    EXPECT_THROW(record.U16(), EReadError);
    EXPECT_EQ(reader.From(1).size(), 4u);
    EXPECT_THROW(reader.Sub(2), EReadError);
}
