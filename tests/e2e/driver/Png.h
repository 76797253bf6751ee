// PNG files for screenshots, without any library: 8-bit RGB, one filter-less scan line per row,
// the zlib stream made of stored (uncompressed) deflate blocks. No Windows header here.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace e2e {

struct CImage {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgb; // width * height * 3 bytes, rows top to bottom
};

uint32_t Crc32(const uint8_t* data, size_t size, uint32_t crc = 0);
uint32_t Adler32(const uint8_t* data, size_t size);

std::vector<uint8_t> EncodePng(const CImage& image);

// Reads back a file made by EncodePng: checks the signature, every chunk's CRC, the header, the
// zlib stream's stored blocks and checksum and the amount of pixel data. Empty error on success.
bool DecodeStoredPng(const std::vector<uint8_t>& file, CImage& image, std::string& error);

} // namespace e2e
