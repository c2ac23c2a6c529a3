#pragma once
// The mapping between the graph's user coordinates and the pixels of an image.
//
// The user window (x from -200 to 1300, y from 1200 at the top down to -200) keeps its
// shape: x and y get the same scale and the window is centred in the image, so circles
// stay round and text keeps its place whatever the shape of the surface.

#include <algorithm>

namespace ostrino {

struct UserWindow {
    double left = -200.0;
    double top = 1200.0;
    double right = 1300.0;
    double bottom = -200.0;

    constexpr double width() const { return right - left; }
    constexpr double height() const { return top - bottom; }
};

struct PixelPoint {
    double x = 0.0, y = 0.0;
};

struct UserPoint {
    double x = 0.0, y = 0.0;
};

class PlotCoordinates {
  public:
    // The scale at which point sizes of fonts are meant: 0.4 pixel per unit, a surface of
    // 600 x 560 pixels.
    static constexpr double kNominalScale = 0.4;

    constexpr PlotCoordinates(int widthPx, int heightPx, UserWindow window = {})
        : width_(std::max(widthPx, 1)), height_(std::max(heightPx, 1)), window_(window) {
        scale_ = std::min(width_ / window_.width(), height_ / window_.height());
        offsetX_ = (width_ - window_.width() * scale_) / 2.0;
        offsetY_ = (height_ - window_.height() * scale_) / 2.0;
    }

    constexpr int widthPx() const { return width_; }
    constexpr int heightPx() const { return height_; }
    constexpr const UserWindow& window() const { return window_; }
    // Pixels per user unit, the same for x and y.
    constexpr double scale() const { return scale_; }
    // How much larger than on the nominal surface text and lines are drawn.
    constexpr double sizeFactor() const { return scale_ / kNominalScale; }

    constexpr PixelPoint toPixel(double x, double y) const {
        return {offsetX_ + (x - window_.left) * scale_, offsetY_ + (window_.top - y) * scale_};
    }
    constexpr UserPoint toUser(double px, double py) const {
        return {window_.left + (px - offsetX_) / scale_, window_.top - (py - offsetY_) / scale_};
    }
    constexpr double toPixelLength(double units) const { return units * scale_; }
    constexpr double toUserLength(double pixels) const { return pixels / scale_; }

  private:
    int width_;
    int height_;
    UserWindow window_;
    double scale_ = 1.0;
    double offsetX_ = 0.0;
    double offsetY_ = 0.0;
};

}  // namespace ostrino
