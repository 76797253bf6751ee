#include <gtest/gtest.h>

#include "tests/e2e/driver/Png.h"

using namespace e2e;

namespace {

TEST(Png, ChecksumsHaveTheirKnownValues) {
    const std::string digits = "123456789";
    EXPECT_EQ(0xCBF43926u, Crc32(reinterpret_cast<const uint8_t*>(digits.data()), digits.size()));
    const std::string word = "Wikipedia";
    EXPECT_EQ(0x11E60398u, Adler32(reinterpret_cast<const uint8_t*>(word.data()), word.size()));
}

TEST(Png, OnePixelFileIsByteExact) {
    CImage image;
    image.width = image.height = 1;
    image.rgb = {0xFF, 0x00, 0x00};
    const std::vector<uint8_t> file = EncodePng(image);
    // signature, IHDR, IDAT (zlib header, one final stored block of 4 bytes, Adler-32), IEND
    const std::vector<uint8_t> expected = {
        0x89, 'P',  'N',  'G',  0x0D, 0x0A, 0x1A, 0x0A, 0,    0,    0,    13,   'I',  'H',
        'D',  'R',  0,    0,    0,    1,    0,    0,    0,    1,    8,    2,    0,    0,
        0,    0x90, 0x77, 0x53, 0xDE, 0,    0,    0,    15,   'I',  'D',  'A',  'T',  0x78,
        0x01, 0x01, 0x04, 0x00, 0xFB, 0xFF, 0x00, 0xFF, 0x00, 0x00, 0x03, 0x01, 0x01, 0x00};
    ASSERT_GE(file.size(), expected.size());
    EXPECT_EQ(expected, std::vector<uint8_t>(file.begin(), file.begin() + expected.size()));
    const std::vector<uint8_t> end = {0, 0, 0, 0, 'I', 'E', 'N', 'D', 0xAE, 0x42, 0x60, 0x82};
    EXPECT_EQ(end, std::vector<uint8_t>(file.end() - 12, file.end()));
}

TEST(Png, LargeImagesSpanSeveralStoredBlocksAndReadBack) {
    CImage image;
    image.width = 301;
    image.height = 157; // (301 * 3 + 1) * 157 bytes: more than two 65535-byte blocks
    for (int i = 0; i < image.width * image.height * 3; ++i)
        image.rgb.push_back(static_cast<uint8_t>(i * 7 + i / 11));
    CImage back;
    std::string error;
    std::vector<uint8_t> file = EncodePng(image);
    ASSERT_TRUE(DecodeStoredPng(file, back, error)) << error;
    EXPECT_EQ(image.width, back.width);
    EXPECT_EQ(image.height, back.height);
    EXPECT_EQ(image.rgb, back.rgb);

    file[file.size() / 2] ^= 1;
    EXPECT_FALSE(DecodeStoredPng(file, back, error));
    EXPECT_EQ("bad CRC in chunk IDAT", error);
}

} // namespace
