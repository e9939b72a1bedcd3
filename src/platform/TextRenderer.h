// Draws a line of text with a system font into one-bit fax scan lines, as
// GDI does into a monochrome bitmap.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace mivox {

struct FontSpec {
    std::string face = "Courier";
    int height = 16;  // pixels, the whole character cell
    bool bold = true;
    uint8_t charset = 0;  // ANSI_CHARSET
};

class TextRenderer {
public:
    virtual ~TextRenderer() = default;
    // The text drawn in black on white from dot `left` of a 1728-dot line,
    // as font.height scan lines of 216 bytes (leftmost dot in the top bit,
    // black set); text past the right edge is cut off. Throws
    // a Failure when the font or the drawing surface cannot be made.
    virtual std::vector<std::vector<uint8_t>> RenderLine(const FontSpec& font,
                                                         const std::string& text, int left) = 0;
};

}  // namespace mivox
