// The PNG writer on zlib alone: a signature, IHDR, one IDAT of the deflated rows (each with
// filter type 0) and IEND, every chunk with its CRC.
#include "png_writer.h"

#include <zlib.h>

#include <cstdio>
#include <vector>

namespace {

void AppendBigEndian32(std::vector<uint8_t>& out, uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) {
        out.push_back(static_cast<uint8_t>(value >> shift));
    }
}

// Length, type, data, and the CRC of type and data.
void AppendChunk(std::vector<uint8_t>& out, const char type[4], const std::vector<uint8_t>& data) {
    AppendBigEndian32(out, static_cast<uint32_t>(data.size()));
    const size_t typeAt = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    const uLong crc = crc32(0L, out.data() + typeAt, static_cast<uInt>(out.size() - typeAt));
    AppendBigEndian32(out, static_cast<uint32_t>(crc));
}

std::vector<uint8_t> Header(uint32_t width, uint32_t height) {
    std::vector<uint8_t> header;
    AppendBigEndian32(header, width);
    AppendBigEndian32(header, height);
    // 8 bits per channel, colour type 6 (RGBA), deflate, adaptive filtering, no interlace.
    header.insert(header.end(), {8, 6, 0, 0, 0});
    return header;
}

bool DeflateRows(const uint8_t* rgba, uint32_t width, uint32_t height, std::vector<uint8_t>& out) {
    const size_t rowBytes = size_t{width} * 4;
    std::vector<uint8_t> rows;
    rows.reserve((rowBytes + 1) * height);
    for (uint32_t y = 0; y < height; ++y) {
        rows.push_back(0);
        rows.insert(rows.end(), rgba + y * rowBytes, rgba + (y + 1) * rowBytes);
    }
    uLongf size = compressBound(static_cast<uLong>(rows.size()));
    out.resize(size);
    if (compress2(out.data(), &size, rows.data(), static_cast<uLong>(rows.size()),
                  Z_BEST_COMPRESSION) != Z_OK) {
        return false;
    }
    out.resize(size);
    return true;
}

} // namespace

bool WriteRgbaPng(const std::string& path, const uint8_t* rgba, uint32_t width, uint32_t height,
                  std::string& error) {
    static const uint8_t Signature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<uint8_t> file(Signature, Signature + sizeof Signature);
    std::vector<uint8_t> pixels;
    if (!DeflateRows(rgba, width, height, pixels)) {
        error = "compression failed";
        return false;
    }
    AppendChunk(file, "IHDR", Header(width, height));
    AppendChunk(file, "IDAT", pixels);
    AppendChunk(file, "IEND", {});

    std::FILE* out = std::fopen(path.c_str(), "wb");
    if (out == nullptr) {
        error = "cannot open the file";
        return false;
    }
    const bool written = std::fwrite(file.data(), 1, file.size(), out) == file.size();
    const bool closed = std::fclose(out) == 0;
    if (!written || !closed) {
        error = "cannot write the file";
        return false;
    }
    return true;
}
