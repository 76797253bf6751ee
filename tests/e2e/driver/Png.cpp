#include "tests/e2e/driver/Png.h"

#include <algorithm>
#include <array>

namespace e2e {

namespace {

const uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

void PutBE32(std::vector<uint8_t>& out, uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<uint8_t>(v >> shift));
}

uint32_t GetBE32(const uint8_t* p) {
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}

void PutChunk(std::vector<uint8_t>& out, const char type[5], const std::vector<uint8_t>& data) {
    PutBE32(out, static_cast<uint32_t>(data.size()));
    const size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    PutBE32(out, Crc32(out.data() + start, out.size() - start));
}

} // namespace

uint32_t Crc32(const uint8_t* data, size_t size, uint32_t crc) {
    static const std::array<uint32_t, 256> table = [] {
        std::array<uint32_t, 256> t{};
        for (uint32_t n = 0; n < 256; ++n) {
            uint32_t c = n;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    crc = ~crc;
    for (size_t i = 0; i < size; ++i)
        crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

uint32_t Adler32(const uint8_t* data, size_t size) {
    uint32_t a = 1, b = 0;
    for (size_t i = 0; i < size; ++i) {
        a = (a + data[i]) % 65521;
        b = (b + a) % 65521;
    }
    return b << 16 | a;
}

std::vector<uint8_t> EncodePng(const CImage& image) {
    const size_t rowBytes = static_cast<size_t>(image.width) * 3;
    std::vector<uint8_t> raw;
    raw.reserve((rowBytes + 1) * image.height);
    for (int y = 0; y < image.height; ++y) {
        raw.push_back(0); // filter type None
        const uint8_t* row = image.rgb.data() + rowBytes * y;
        raw.insert(raw.end(), row, row + rowBytes);
    }

    std::vector<uint8_t> z = {0x78, 0x01};
    size_t pos = 0;
    do {
        const size_t n = raw.size() - pos < 65535 ? raw.size() - pos : 65535;
        z.push_back(pos + n == raw.size() ? 1 : 0); // BFINAL, BTYPE 00
        z.push_back(static_cast<uint8_t>(n));
        z.push_back(static_cast<uint8_t>(n >> 8));
        z.push_back(static_cast<uint8_t>(~n));
        z.push_back(static_cast<uint8_t>(~n >> 8));
        z.insert(z.end(), raw.begin() + pos, raw.begin() + pos + n);
        pos += n;
    } while (pos < raw.size());
    PutBE32(z, Adler32(raw.data(), raw.size()));

    std::vector<uint8_t> header;
    PutBE32(header, static_cast<uint32_t>(image.width));
    PutBE32(header, static_cast<uint32_t>(image.height));
    header.insert(header.end(), {8, 2, 0, 0, 0}); // 8 bits, RGB, deflate, no filter set, no interlace

    std::vector<uint8_t> out(kSignature, kSignature + 8);
    PutChunk(out, "IHDR", header);
    PutChunk(out, "IDAT", z);
    PutChunk(out, "IEND", {});
    return out;
}

bool DecodeStoredPng(const std::vector<uint8_t>& file, CImage& image, std::string& error) {
    if (file.size() < 8 || !std::equal(kSignature, kSignature + 8, file.begin())) {
        error = "no PNG signature";
        return false;
    }
    std::vector<uint8_t> z;
    bool sawHeader = false, sawEnd = false;
    for (size_t pos = 8; pos < file.size() && !sawEnd;) {
        if (file.size() - pos < 12) {
            error = "truncated chunk";
            return false;
        }
        const uint32_t len = GetBE32(&file[pos]);
        if (len > file.size() - pos - 12) {
            error = "chunk longer than the file";
            return false;
        }
        const std::string type(file.begin() + pos + 4, file.begin() + pos + 8);
        const uint8_t* data = &file[pos + 8];
        if (Crc32(&file[pos + 4], len + 4) != GetBE32(data + len)) {
            error = "bad CRC in chunk " + type;
            return false;
        }
        if (type == "IHDR") {
            if (len != 13 || data[8] != 8 || data[9] != 2) {
                error = "not an 8-bit RGB header";
                return false;
            }
            image.width = static_cast<int>(GetBE32(data));
            image.height = static_cast<int>(GetBE32(data + 4));
            sawHeader = true;
        } else if (type == "IDAT") {
            z.insert(z.end(), data, data + len);
        } else if (type == "IEND") {
            sawEnd = true;
        }
        pos += 12 + len;
    }
    if (!sawHeader || !sawEnd || z.size() < 6 || (z[0] * 256 + z[1]) % 31 != 0) {
        error = "missing header, end or zlib stream";
        return false;
    }
    std::vector<uint8_t> raw;
    size_t pos = 2;
    for (bool last = false; !last;) {
        if (z.size() - pos < 5 || (z[pos] & 0x06) != 0) {
            error = "not a stored deflate block";
            return false;
        }
        last = z[pos] & 1;
        const size_t n = z[pos + 1] | z[pos + 2] << 8;
        if ((n ^ 0xFFFF) != static_cast<size_t>(z[pos + 3] | z[pos + 4] << 8) || z.size() - pos - 5 < n) {
            error = "bad stored block length";
            return false;
        }
        raw.insert(raw.end(), z.begin() + pos + 5, z.begin() + pos + 5 + n);
        pos += 5 + n;
    }
    if (z.size() - pos != 4 || GetBE32(&z[pos]) != Adler32(raw.data(), raw.size())) {
        error = "bad Adler-32";
        return false;
    }
    const size_t rowBytes = static_cast<size_t>(image.width) * 3;
    if (raw.size() != (rowBytes + 1) * image.height) {
        error = "pixel data does not match the size";
        return false;
    }
    image.rgb.clear();
    for (int y = 0; y < image.height; ++y) {
        const auto row = raw.begin() + (rowBytes + 1) * y;
        if (*row != 0) {
            error = "unexpected filter type";
            return false;
        }
        image.rgb.insert(image.rgb.end(), row + 1, row + 1 + rowBytes);
    }
    error.clear();
    return true;
}

} // namespace e2e
