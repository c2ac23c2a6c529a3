#pragma once
// A drawing surface that records every drawing call with the pen, fill and font in force,
// so that tests can ask what was drawn where and in which colour.

#include <string>
#include <vector>

#include "platform/canvas.h"

namespace ostrino::test {

class RecordingCanvas : public Canvas {
  public:
    enum class Kind { Clear, Line, Circle, Text };

    struct Op {
        Kind kind = Kind::Clear;
        double x1 = 0, y1 = 0, x2 = 0,
               y2 = 0;  // line ends; circle centre and text corner in x1, y1
        double radius = 0;
        std::string text;
        Rgb colour;  // foreground (background for Clear)
        Rgb fill;
        bool solidFill = false;
        LineStyle style = LineStyle::Solid;
        std::string font;
        double pointSize = 0;
        bool bold = false;
    };

    void clear(Rgb background) override {
        ops.clear();
        ++clears;
        Op op = snapshot(Kind::Clear);
        op.colour = background;
        ops.push_back(op);
    }
    void setForeground(Rgb colour) override { foreground_ = colour; }
    void setFill(Rgb colour, bool solid) override {
        fill_ = colour;
        solid_ = solid;
    }
    void setLineStyle(LineStyle style) override { style_ = style; }
    void setFont(const std::string& name, double pointSize, bool bold) override {
        font_ = name;
        pointSize_ = pointSize;
        bold_ = bold;
    }
    void line(double x1, double y1, double x2, double y2) override {
        Op op = snapshot(Kind::Line);
        op.x1 = x1, op.y1 = y1, op.x2 = x2, op.y2 = y2;
        ops.push_back(op);
    }
    void circle(double x, double y, double radius) override {
        Op op = snapshot(Kind::Circle);
        op.x1 = x, op.y1 = y, op.radius = radius;
        ops.push_back(op);
    }
    void text(double x, double y, const std::string& s) override {
        Op op = snapshot(Kind::Text);
        op.x1 = x, op.y1 = y, op.text = s;
        ops.push_back(op);
    }
    // A rough face: 5 units per character and 20 units high at 8.25 points.
    double textWidth(const std::string& s) override {
        return 5.0 * static_cast<double>(s.size()) * pointSize_ / 8.25;
    }
    double textHeight(const std::string& /*s*/) override { return 20.0 * pointSize_ / 8.25; }
    bool saveBitmap(const std::string& path, std::string& error) override {
        savedPaths.push_back(path);
        if (!saveError.empty()) {
            error = saveError;
            return false;
        }
        return true;
    }

    // The ops of one kind, and of that kind in one colour.
    std::vector<Op> of(Kind kind) const {
        std::vector<Op> out;
        for (const Op& op : ops) {
            if (op.kind == kind) {
                out.push_back(op);
            }
        }
        return out;
    }
    std::vector<Op> of(Kind kind, Rgb colour) const {
        std::vector<Op> out;
        for (const Op& op : of(kind)) {
            if (op.colour == colour) {
                out.push_back(op);
            }
        }
        return out;
    }
    std::vector<Op> lines() const { return of(Kind::Line); }
    std::vector<Op> circles() const { return of(Kind::Circle); }
    std::vector<Op> texts() const { return of(Kind::Text); }
    // The texts drawn with that content, in order.
    std::vector<Op> textsEqual(const std::string& s) const {
        std::vector<Op> out;
        for (const Op& op : of(Kind::Text)) {
            if (op.text == s) {
                out.push_back(op);
            }
        }
        return out;
    }
    bool hasText(const std::string& s, double x, double y) const {
        for (const Op& op : textsEqual(s)) {
            if (op.x1 == x && op.y1 == y) {
                return true;
            }
        }
        return false;
    }
    bool hasLine(double x1, double y1, double x2, double y2) const {
        for (const Op& op : of(Kind::Line)) {
            if (op.x1 == x1 && op.y1 == y1 && op.x2 == x2 && op.y2 == y2) {
                return true;
            }
        }
        return false;
    }

    // Everything drawn since the last clear (a clear starts the list anew).
    std::vector<Op> ops;
    int clears = 0;
    std::vector<std::string> savedPaths;
    std::string saveError;  // when set, saving fails with this reason

  private:
    Op snapshot(Kind kind) const {
        Op op;
        op.kind = kind;
        op.colour = foreground_;
        op.fill = fill_;
        op.solidFill = solid_;
        op.style = style_;
        op.font = font_;
        op.pointSize = pointSize_;
        op.bold = bold_;
        return op;
    }

    Rgb foreground_ = kBlack;
    Rgb fill_ = kWhite;
    bool solid_ = false;
    LineStyle style_ = LineStyle::Solid;
    std::string font_ = "MS Sans Serif";
    double pointSize_ = 8.25;
    bool bold_ = false;
};

}  // namespace ostrino::test
