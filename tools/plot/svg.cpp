#include "svg.hpp"

#include <cstdio>

namespace tarvix::plot {

namespace {

std::string class_attribute(std::string_view css_class) {
    return css_class.empty() ? std::string() : " class=\"" + escape_xml(css_class) + "\"";
}

std::string stroke_attributes(const Stroke& stroke) {
    std::string text = " stroke=\"" + escape_xml(stroke.colour) + "\" stroke-width=\"" + coordinate(stroke.width) + "\"";
    if (!stroke.dashes.empty()) text += " stroke-dasharray=\"" + escape_xml(stroke.dashes) + "\"";
    return text;
}

const char* anchor_name(Anchor anchor) {
    switch (anchor) {
        case Anchor::middle:
            return "middle";
        case Anchor::end:
            return "end";
        case Anchor::start:
            break;
    }
    return "start";
}

// The length of the well-formed UTF-8 sequence at the start of `text`, or 0.
std::size_t utf8_sequence(std::string_view text) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned>(static_cast<unsigned char>(text[i])); };
    const unsigned lead = byte(0);
    const std::size_t length = lead >= 0xC2 && lead <= 0xDF ? 2 : lead >= 0xE0 && lead <= 0xEF ? 3
                             : lead >= 0xF0 && lead <= 0xF4 ? 4 : 0;
    if (length == 0 || text.size() < length) return 0;
    for (std::size_t i = 1; i < length; ++i)
        if ((byte(i) & 0xC0) != 0x80) return 0;
    // No overlong forms, no surrogates, nothing beyond U+10FFFF.
    const unsigned second = byte(1);
    if ((lead == 0xE0 && second < 0xA0) || (lead == 0xED && second >= 0xA0) || (lead == 0xF0 && second < 0x90) ||
        (lead == 0xF4 && second >= 0x90))
        return 0;
    return length;
}

}  // namespace

std::string escape_xml(std::string_view text) {
    std::string result;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (static_cast<unsigned char>(c) >= 0x80) {
            // The document says it is UTF-8; a byte that is not is shown as '?'.
            const std::size_t length = utf8_sequence(text.substr(i));
            result += length == 0 ? std::string("?") : std::string(text.substr(i, length));
            i += length == 0 ? 0 : length - 1;
            continue;
        }
        switch (c) {
            case '&':
                result += "&amp;";
                break;
            case '<':
                result += "&lt;";
                break;
            case '>':
                result += "&gt;";
                break;
            case '"':
                result += "&quot;";
                break;
            default:
                // Control characters are not allowed in XML 1.0 at all.
                if (static_cast<unsigned char>(c) < 0x20 && c != '\t')
                    result += '?';
                else
                    result += c;
        }
    }
    return result;
}

std::string coordinate(double value) {
    char text[64];
    std::snprintf(text, sizeof text, "%.2f", value);
    return text;
}

Svg::Svg(double width, double height, std::string_view title) : width_(width), height_(height), title_(title) {}

void Svg::line(Point from, Point to, const Stroke& stroke, std::string_view css_class) {
    body_ += "<line" + class_attribute(css_class) + " x1=\"" + coordinate(from.x) + "\" y1=\"" + coordinate(from.y) +
             "\" x2=\"" + coordinate(to.x) + "\" y2=\"" + coordinate(to.y) + "\"" + stroke_attributes(stroke) + "/>\n";
}

void Svg::polyline(const std::vector<Point>& points, const Stroke& stroke, std::string_view css_class) {
    if (points.empty()) return;
    std::string list;
    for (const Point& p : points) {
        if (!list.empty()) list += ' ';
        list += coordinate(p.x);
        list += ',';
        list += coordinate(p.y);
    }
    body_ += "<polyline" + class_attribute(css_class) + " points=\"" + list + "\" fill=\"none\"" +
             stroke_attributes(stroke) + " stroke-linejoin=\"round\"/>\n";
}

void Svg::rect(Point corner, double width, double height, std::string_view fill, std::string_view css_class,
               double opacity) {
    body_ += "<rect" + class_attribute(css_class) + " x=\"" + coordinate(corner.x) + "\" y=\"" + coordinate(corner.y) +
             "\" width=\"" + coordinate(width) + "\" height=\"" + coordinate(height) + "\" fill=\"" +
             escape_xml(fill) + "\"" + (opacity < 1 ? " fill-opacity=\"" + coordinate(opacity) + "\"" : "") + "/>\n";
}

void Svg::circle(Point centre, double radius, std::string_view fill, const Stroke& outline,
                 std::string_view css_class) {
    body_ += "<circle" + class_attribute(css_class) + " cx=\"" + coordinate(centre.x) + "\" cy=\"" +
             coordinate(centre.y) + "\" r=\"" + coordinate(radius) + "\" fill=\"" + escape_xml(fill) + "\"" +
             stroke_attributes(outline) + "/>\n";
}

void Svg::text(Point at, std::string_view content, const TextStyle& style, std::string_view css_class) {
    std::string element = "<text" + class_attribute(css_class) + " x=\"" + coordinate(at.x) + "\" y=\"" +
                          coordinate(at.y) + "\" font-size=\"" + coordinate(style.size) + "\" fill=\"" +
                          escape_xml(style.colour) + "\" text-anchor=\"" + anchor_name(style.anchor) + "\"";
    if (style.bold) element += " font-weight=\"bold\"";
    if (style.halo) element += " stroke=\"#ffffff\" stroke-width=\"3\" stroke-linejoin=\"round\" paint-order=\"stroke\"";
    if (style.rotation != 0)
        element += " transform=\"rotate(" + coordinate(style.rotation) + " " + coordinate(at.x) + " " +
                   coordinate(at.y) + ")\"";
    body_ += element + ">" + escape_xml(content) + "</text>\n";
}

std::string Svg::str() const {
    const std::string w = coordinate(width_);
    const std::string h = coordinate(height_);
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + w + "\" height=\"" + h + "\" viewBox=\"0 0 " + w +
           " " + h + "\" font-family=\"DejaVu Sans, Helvetica, Arial, sans-serif\">\n"
           "<title>" + escape_xml(title_) + "</title>\n"
           "<rect x=\"0\" y=\"0\" width=\"" + w + "\" height=\"" + h + "\" fill=\"#ffffff\"/>\n" +
           body_ + "</svg>\n";
}

}  // namespace tarvix::plot
