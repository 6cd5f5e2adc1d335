// printable: text fit for one console line, the one rule for every name a
// map, a model or a tool shows. A name read from a file may hold a line break
// that would forge a line, or a terminal escape that would drive the
// terminal: control characters (C0, DEL and C1, U+0080..U+009F) show as \xNN,
// and so does every byte that is not part of well-formed UTF-8 (a lone
// Latin-1 byte, say). Everything else, other scripts included, stays.
// Plain C++ without Qt, so the 3DS reader and the tools use it as well.
#pragma once

#include <string>

inline std::string printable(const std::string& text) {
    static const char kDigits[] = "0123456789abcdef";
    std::string out;
    out.reserve(text.size());
    auto escape = [&](unsigned code) {
        out += {'\\', 'x', kDigits[(code >> 4) & 15], kDigits[code & 15]};
    };
    const std::size_t size = text.size();
    for (std::size_t i = 0; i < size;) {
        const unsigned char lead = static_cast<unsigned char>(text[i]);
        if (lead < 0x80) {
            if (lead < 0x20 || lead == 0x7f)
                escape(lead);
            else
                out += char(lead);
            ++i;
            continue;
        }
        // Length of the sequence, and the range its second byte must lie in
        // (no overlong forms, no surrogates, nothing past U+10FFFF).
        std::size_t length = 0;
        unsigned char low = 0x80, high = 0xbf;
        if (lead >= 0xc2 && lead <= 0xdf) {
            length = 2;
        } else if (lead >= 0xe0 && lead <= 0xef) {
            length = 3;
            low = lead == 0xe0 ? 0xa0 : 0x80;
            high = lead == 0xed ? 0x9f : 0xbf;
        } else if (lead >= 0xf0 && lead <= 0xf4) {
            length = 4;
            low = lead == 0xf0 ? 0x90 : 0x80;
            high = lead == 0xf4 ? 0x8f : 0xbf;
        }
        bool whole = length != 0 && length <= size - i;
        for (std::size_t k = 1; whole && k < length; ++k) {
            const unsigned char next = static_cast<unsigned char>(text[i + k]);
            whole = next >= (k == 1 ? low : 0x80) && next <= (k == 1 ? high : 0xbf);
        }
        if (!whole) {
            escape(lead);
            ++i;
            continue;
        }
        const unsigned char second = static_cast<unsigned char>(text[i + 1]);
        if (lead == 0xc2 && second <= 0x9f)
            escape(second); // U+0080..U+009F: a C1 control
        else
            out.append(text, i, length);
        i += length;
    }
    return out;
}
