/* png.cpp - writes a capture as an uncompressed PNG (stored deflate blocks), so a
 * failing pixel check leaves a picture a person can look at. */
#include <stdio.h>

#include "harness.h"

static unsigned int Crc32(const unsigned char *data, size_t size, unsigned int crc)
{
    static unsigned int table[256];
    if (table[1] == 0) {
        for (unsigned int n = 0; n < 256; n++) {
            unsigned int c = n;
            for (int k = 0; k < 8; k++)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            table[n] = c;
        }
    }
    crc = ~crc;
    for (size_t i = 0; i < size; i++)
        crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

static void Put32(std::vector<unsigned char> &out, unsigned int value)
{
    out.push_back((unsigned char)(value >> 24));
    out.push_back((unsigned char)(value >> 16));
    out.push_back((unsigned char)(value >> 8));
    out.push_back((unsigned char)value);
}

static void Chunk(std::vector<unsigned char> &out, const char *type,
                  const std::vector<unsigned char> &data)
{
    Put32(out, (unsigned int)data.size());
    std::vector<unsigned char> body(type, type + 4);
    body.insert(body.end(), data.begin(), data.end());
    out.insert(out.end(), body.begin(), body.end());
    Put32(out, Crc32(body.data(), body.size(), 0));
}

bool SavePng(const Capture &capture, const std::string &path)
{
    std::vector<unsigned char> raw;
    for (int y = 0; y < capture.height; y++) {
        raw.push_back(0);
        for (int x = 0; x < capture.width; x++) {
            unsigned int pixel = capture.pixels[(size_t)y * capture.width + x];
            raw.push_back((unsigned char)(pixel >> 16));
            raw.push_back((unsigned char)(pixel >> 8));
            raw.push_back((unsigned char)pixel);
        }
    }
    std::vector<unsigned char> zlib;
    zlib.push_back(0x78);
    zlib.push_back(0x01);
    size_t pos = 0;
    do {
        size_t block = raw.size() - pos < 65535 ? raw.size() - pos : 65535;
        zlib.push_back(pos + block == raw.size() ? 1 : 0);
        zlib.push_back((unsigned char)block);
        zlib.push_back((unsigned char)(block >> 8));
        zlib.push_back((unsigned char)~block);
        zlib.push_back((unsigned char)(~block >> 8));
        zlib.insert(zlib.end(), raw.begin() + pos, raw.begin() + pos + block);
        pos += block;
    } while (pos < raw.size());
    unsigned int a = 1, b = 0;
    for (size_t i = 0; i < raw.size(); i++) {
        a = (a + raw[i]) % 65521;
        b = (b + a) % 65521;
    }
    Put32(zlib, (b << 16) | a);

    std::vector<unsigned char> header;
    Put32(header, (unsigned int)capture.width);
    Put32(header, (unsigned int)capture.height);
    header.push_back(8);
    header.push_back(2);
    header.push_back(0);
    header.push_back(0);
    header.push_back(0);

    static const unsigned char signature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    std::vector<unsigned char> file(signature, signature + 8);
    Chunk(file, "IHDR", header);
    Chunk(file, "IDAT", zlib);
    Chunk(file, "IEND", std::vector<unsigned char>());

    FILE *out = fopen(path.c_str(), "wb");
    if (out == NULL)
        return false;
    bool ok = fwrite(file.data(), 1, file.size(), out) == file.size();
    return fclose(out) == 0 && ok;
}
