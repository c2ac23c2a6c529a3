#pragma once
// The graph's drawing surface: a retained image with the plot's user coordinates
// (x from -200 to 1300, y from -200 to 1200, y upwards). Pen, fill and font are state
// that stays set until changed, as on the instrument-era picture box.

#include <cstdint>
#include <string>

namespace ostrino {

enum class LineStyle { Solid, Dot, Dash, DashDot };

struct Rgb {
    int r = 0, g = 0, b = 0;

    // Colours are written blue-green-red in the graph's tables: 0xFF is red, 0xFF0000 blue.
    static constexpr Rgb fromBgr(std::uint32_t bgr) {
        return {static_cast<int>(bgr & 0xFFu), static_cast<int>((bgr >> 8) & 0xFFu),
                static_cast<int>((bgr >> 16) & 0xFFu)};
    }
    friend constexpr bool operator==(const Rgb&, const Rgb&) = default;
};

inline constexpr Rgb kBlack{0, 0, 0};
inline constexpr Rgb kWhite{255, 255, 255};

class Canvas {
  public:
    virtual ~Canvas() = default;
    // The whole surface in the background colour.
    virtual void clear(Rgb background) = 0;
    // Colour of lines, outlines and text.
    virtual void setForeground(Rgb colour) = 0;
    // Inside of circles: the fill colour when solid, else left as it is.
    virtual void setFill(Rgb colour, bool solid) = 0;
    virtual void setLineStyle(LineStyle style) = 0;
    // Point sizes are those of the nominal surface; text scales with the image.
    virtual void setFont(const std::string& name, double pointSize, bool bold) = 0;
    virtual void line(double x1, double y1, double x2, double y2) = 0;
    // A circle in the foreground colour; the radius is in units of x.
    virtual void circle(double x, double y, double radius) = 0;
    // Text placed with its top-left corner at (x, y).
    virtual void text(double x, double y, const std::string& s) = 0;
    // Extents of a text in the current font, in user units.
    virtual double textWidth(const std::string& s) = 0;
    virtual double textHeight(const std::string& s) = 0;
    // Writes the retained image as a Windows bitmap (a name ending ".png" gives a PNG).
    // An existing file is replaced only by a complete new one; on failure the reason
    // goes into error.
    virtual bool saveBitmap(const std::string& path, std::string& error) = 0;

    // Between these two, the lines and circles of one curve may be put down together, in
    // the order they were drawn; a dotted or dashed pattern runs on through lines drawn one
    // after the other with the same pen. Everything is down after endBatch.
    virtual void beginBatch() {}
    virtual void endBatch() {}
};

}  // namespace ostrino
