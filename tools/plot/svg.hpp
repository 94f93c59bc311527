// A small writer of self-contained SVG documents: shapes and text only, no
// scripts, no external references.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tarvix::plot {

struct Point {
    double x;
    double y;
};

// How a line is drawn.
struct Stroke {
    std::string colour = "#000000";
    double width = 1;
    std::string dashes;  // SVG dash array, empty for a solid line
};

enum class Anchor { start, middle, end };

struct TextStyle {
    double size = 12;
    Anchor anchor = Anchor::start;
    bool bold = false;
    std::string colour = "#222222";
    double rotation = 0;  // degrees, around the text's anchor point
    bool halo = false;    // a white rim that keeps the text readable over lines
};

class Svg {
public:
    Svg(double width, double height, std::string_view title);

    // Every element takes an optional class name, which tests and style
    // sheets can find the element by.
    void line(Point from, Point to, const Stroke& stroke, std::string_view css_class = {});
    void polyline(const std::vector<Point>& points, const Stroke& stroke, std::string_view css_class = {});
    // A fill `opacity` below 1 lets what lies under the rectangle show through.
    void rect(Point corner, double width, double height, std::string_view fill, std::string_view css_class = {},
              double opacity = 1);
    void circle(Point centre, double radius, std::string_view fill, const Stroke& outline,
                std::string_view css_class = {});
    void text(Point at, std::string_view content, const TextStyle& style, std::string_view css_class = {});

    // The finished document.
    std::string str() const;

private:
    std::string body_;
    double width_;
    double height_;
    std::string title_;
};

// Text made safe for SVG character data and attribute values.
std::string escape_xml(std::string_view text);

// A coordinate with two decimals, the precision of every number in the picture.
std::string coordinate(double value);

}  // namespace tarvix::plot
