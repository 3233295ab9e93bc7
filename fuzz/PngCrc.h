// PNG chunk CRC repair for fuzzing: recomputes every chunk's CRC-32 so that
// mutated PNG data reaches the decoder's later stages instead of its CRC check.
#pragma once

#include <QByteArray>

#include <array>
#include <cstdint>

namespace tintwell::fuzz {

inline std::uint32_t crc32(const char *data, qsizetype size)
{
    static const auto table = [] {
        std::array<std::uint32_t, 256> t{};
        for (std::uint32_t n = 0; n < 256; ++n) {
            std::uint32_t c = n;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    std::uint32_t c = 0xFFFFFFFFu;
    for (qsizetype i = 0; i < size; ++i)
        c = table[(c ^ static_cast<std::uint8_t>(data[i])) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

// When `bytes` starts with the PNG signature, rewrites the CRC of each whole
// chunk (length, type, data, CRC) in place; anything after a chunk that runs
// past the end is left as it is.
inline void repairPngCrcs(QByteArray &bytes)
{
    static const char signature[] = "\x89PNG\r\n\x1a\n";
    if (bytes.size() < 8 || !bytes.startsWith(QByteArray(signature, 8)))
        return;
    qsizetype pos = 8;
    while (pos + 12 <= bytes.size()) {
        const auto *p = reinterpret_cast<const std::uint8_t *>(bytes.constData() + pos);
        const std::uint32_t length = std::uint32_t{p[0]} << 24 | p[1] << 16 | p[2] << 8 | p[3];
        if (length > static_cast<std::uint64_t>(bytes.size() - pos - 12))
            return;
        const std::uint32_t crc = crc32(bytes.constData() + pos + 4, qsizetype(length) + 4);
        char *out = bytes.data() + pos + 8 + length;
        out[0] = char(crc >> 24);
        out[1] = char(crc >> 16);
        out[2] = char(crc >> 8);
        out[3] = char(crc);
        pos += qsizetype(length) + 12;
    }
}

} // namespace tintwell::fuzz
