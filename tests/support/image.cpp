#include "tests/support/image.h"

#include <zlib.h>

#include <cstdlib>
#include <cstring>
#include <sstream>

namespace TestSupport {

namespace {

uint32_t Be32(const unsigned char* p) {
    return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}

uint8_t Paeth(int a, int b, int c) {
    const int p = a + b - c;
    const int pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
    if (pa <= pb && pa <= pc) {
        return static_cast<uint8_t>(a);
    }
    return static_cast<uint8_t>(pb <= pc ? b : c);
}

// Undoes the row filters in place; `raw` holds each row's filter byte first.
bool Unfilter(std::vector<unsigned char>& raw, size_t rowBytes, int rows, int channels,
              std::vector<unsigned char>& out) {
    out.assign(rowBytes * static_cast<size_t>(rows), 0);
    for (int y = 0; y < rows; ++y) {
        const unsigned char filter = raw[y * (rowBytes + 1)];
        const unsigned char* in = &raw[y * (rowBytes + 1) + 1];
        unsigned char* row = &out[y * rowBytes];
        const unsigned char* up = y > 0 ? &out[(y - 1) * rowBytes] : nullptr;
        for (size_t i = 0; i < rowBytes; ++i) {
            const int a = i >= static_cast<size_t>(channels) ? row[i - channels] : 0;
            const int b = up != nullptr ? up[i] : 0;
            const int c =
                up != nullptr && i >= static_cast<size_t>(channels) ? up[i - channels] : 0;
            int predicted = 0;
            switch (filter) {
                case 0:
                    predicted = 0;
                    break;
                case 1:
                    predicted = a;
                    break;
                case 2:
                    predicted = b;
                    break;
                case 3:
                    predicted = (a + b) / 2;
                    break;
                case 4:
                    predicted = Paeth(a, b, c);
                    break;
                default:
                    return false;
            }
            row[i] = static_cast<unsigned char>(in[i] + predicted);
        }
    }
    return true;
}

}  // namespace

bool DecodePng(const unsigned char* data, size_t size, Image& out, PngInfo& info) {
    static const unsigned char kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (size < 8 || std::memcmp(data, kSignature, 8) != 0) {
        return false;
    }
    std::vector<unsigned char> compressed;
    int width = 0, height = 0, interlace = -1;
    for (size_t pos = 8; pos + 12 <= size;) {
        const uint32_t length = Be32(data + pos);
        if (pos + 12 + length > size) {
            return false;
        }
        const unsigned char* body = data + pos + 8;
        if (std::memcmp(data + pos + 4, "IHDR", 4) == 0 && length >= 13) {
            width = static_cast<int>(Be32(body));
            height = static_cast<int>(Be32(body + 4));
            info.bitDepth = body[8];
            info.colourType = body[9];
            interlace = body[12];
        } else if (std::memcmp(data + pos + 4, "IDAT", 4) == 0) {
            compressed.insert(compressed.end(), body, body + length);
        }
        pos += 12 + length;
    }
    const int channels = info.colourType == 6 ? 4 : info.colourType == 2 ? 3 : 0;
    if (width <= 0 || height <= 0 || info.bitDepth != 8 || channels == 0 || interlace != 0) {
        return false;
    }
    const size_t rowBytes = static_cast<size_t>(width) * channels;
    std::vector<unsigned char> raw((rowBytes + 1) * height);
    uLongf rawSize = static_cast<uLongf>(raw.size());
    if (uncompress(raw.data(), &rawSize, compressed.data(),
                   static_cast<uLong>(compressed.size())) != Z_OK ||
        rawSize != raw.size()) {
        return false;
    }
    std::vector<unsigned char> plain;
    if (!Unfilter(raw, rowBytes, height, channels, plain)) {
        return false;
    }
    out.width = width;
    out.height = height;
    out.pixels.resize(static_cast<size_t>(width) * height);
    for (size_t i = 0; i < out.pixels.size(); ++i) {
        const unsigned char* p = &plain[i * channels];
        out.pixels[i] = {p[0], p[1], p[2], channels == 4 ? p[3] : uint8_t{255}};
    }
    return true;
}

std::string EncodePng(const Image& image) {
    auto be32 = [](std::string& out, uint32_t v) {
        for (int shift = 24; shift >= 0; shift -= 8) {
            out += static_cast<char>((v >> shift) & 0xFF);
        }
    };
    auto chunk = [&be32](std::string& out, const char* kind, const std::string& data) {
        be32(out, static_cast<uint32_t>(data.size()));
        const std::string body = std::string(kind, 4) + data;
        out += body;
        be32(out, static_cast<uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(body.data()),
                                              static_cast<uInt>(body.size()))));
    };
    std::string raw;
    raw.reserve(static_cast<size_t>(image.width * 4 + 1) * image.height);
    for (int y = 0; y < image.height; ++y) {
        raw += '\0';  // no row filter
        for (int x = 0; x < image.width; ++x) {
            const Pixel& p = image.At(x, y);
            raw += static_cast<char>(p.r);
            raw += static_cast<char>(p.g);
            raw += static_cast<char>(p.b);
            raw += static_cast<char>(p.a);
        }
    }
    uLongf packedSize = compressBound(static_cast<uLong>(raw.size()));
    std::string packed(packedSize, '\0');
    compress2(reinterpret_cast<Bytef*>(&packed[0]), &packedSize,
              reinterpret_cast<const Bytef*>(raw.data()), static_cast<uLong>(raw.size()), 9);
    packed.resize(packedSize);

    std::string header;
    be32(header, static_cast<uint32_t>(image.width));
    be32(header, static_cast<uint32_t>(image.height));
    header += std::string("\x08\x06\x00\x00\x00", 5);  // 8-bit RGBA, not interlaced
    std::string png("\x89PNG\r\n\x1a\n", 8);
    chunk(png, "IHDR", header);
    chunk(png, "IDAT", packed);
    chunk(png, "IEND", "");
    return png;
}

bool DecodePpm(const std::string& bytes, Image& out) {
    std::istringstream in(bytes);
    std::string magic;
    int width = 0, height = 0, maxValue = 0;
    in >> magic;
    // Comments may sit between the header's numbers.
    auto number = [&in](int& value) {
        while (in >> std::ws && in.peek() == '#') {
            std::string comment;
            std::getline(in, comment);
        }
        return static_cast<bool>(in >> value);
    };
    if (magic != "P6" || !number(width) || !number(height) || !number(maxValue) ||
        maxValue != 255 || width <= 0 || height <= 0) {
        return false;
    }
    in.get();  // the one white-space character before the samples
    const size_t start = static_cast<size_t>(in.tellg());
    const size_t count = static_cast<size_t>(width) * height;
    if (bytes.size() < start + count * 3) {
        return false;
    }
    out.width = width;
    out.height = height;
    out.pixels.resize(count);
    for (size_t i = 0; i < count; ++i) {
        const auto* p = reinterpret_cast<const unsigned char*>(bytes.data() + start + i * 3);
        out.pixels[i] = {p[0], p[1], p[2], 255};
    }
    return true;
}

}  // namespace TestSupport
