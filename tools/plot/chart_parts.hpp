// Pieces both charts share: the page width, the heading, colours, axes and
// legend entries.
#pragma once

#include <string>
#include <vector>

#include "chart_options.hpp"
#include "scale.hpp"
#include "threshold_axis.hpp"
#include "svg.hpp"

namespace tarvix::plot {

inline constexpr double chart_width = 860;

// The lines above the first panel.
struct Heading {
    std::string title;
    std::string subtitle;
    std::vector<std::string> notes;
};

// The height of the heading, which is where the first panel may start.
double heading_height(const Heading& heading);
void draw_heading(Svg& svg, const Heading& heading);

// The colour of an index, the same in every panel and chart: the partition
// similarity indices and the criterion have fixed colours, any other column
// takes the palette colour of its position.
std::string index_colour(const std::string& index, std::size_t position);

inline const std::string cluster_colour = "#8c8c8c";
inline const std::string grid_colour = "#e4e4e4";
inline const std::string frame_colour = "#444444";

// The rectangle that data is drawn in.
struct PlotArea {
    double left;
    double top;
    double width;
    double height;
    double right() const { return left + width; }
    double bottom() const { return top + height; }
};

// A white plot area (class "plot-area") with its frame.
void draw_plot_area(Svg& svg, const PlotArea& area);

// Threshold ticks under the area (class "x-tick" on their texts), vertical
// grid lines over `grid_top` .. `grid_bottom`, and the axis title; with
// `ani`, the same ticks as ANI percent above `grid_top` (class "ani-tick").
void draw_x_axis(Svg& svg, const Axis& axis, const Scale& x, double grid_top, double grid_bottom,
                 const std::string& title, bool ani = false);

// Room above a plot area for the ANI tick texts.
inline constexpr double ani_room = 30;

// The user's reference lines (class "mark", texts "mark-text") over
// `top` .. `bottom`, where the axis shows their thresholds.
void draw_marks(Svg& svg, const std::vector<Mark>& marks, const ThresholdAxis& x, double top, double bottom);

// Value ticks with horizontal grid lines at the left, or the cluster counts at
// the right (class "y-tick" and "y2-tick" on their texts); each with its
// title written upwards beside the numbers.
void draw_left_axis(Svg& svg, const Axis& axis, const Scale& y, const PlotArea& area, const std::string& title);
void draw_right_axis(Svg& svg, const Axis& axis, const Scale& y, const PlotArea& area, const std::string& title);

// One legend entry: a short stretch of the line's stroke, then the text.
void draw_legend_entry(Svg& svg, Point at, const Stroke& stroke, const std::string& text);

}  // namespace tarvix::plot
