#pragma once
// The graph's drawing surface: a retained image with the plot's user coordinates
// (x from -200 to 1300, y from -200 to 1200, y upwards).

#include <string>

namespace ostrino {

enum class LineStyle { Solid, Dot, Dash, DashDot };

struct Rgb {
    int r = 0, g = 0, b = 0;
};

class Canvas {
  public:
    virtual ~Canvas() = default;
    virtual void clear(Rgb background) = 0;
    virtual void setForeground(Rgb colour) = 0;
    virtual void setFill(Rgb colour, bool solid) = 0;
    virtual void setLineStyle(LineStyle style) = 0;
    virtual void setFont(const std::string& name, double pointSize, bool bold) = 0;
    virtual void line(double x1, double y1, double x2, double y2) = 0;
    virtual void circle(double x, double y, double radius) = 0;
    // Text placed with its top-left corner at (x, y).
    virtual void text(double x, double y, const std::string& s) = 0;
    virtual double textWidth(const std::string& s) = 0;
    virtual double textHeight(const std::string& s) = 0;
    virtual bool saveBitmap(const std::string& path, std::string& error) = 0;
};

}  // namespace ostrino
