#include "chart_parts.hpp"

#include <algorithm>
#include <array>
#include <map>

namespace tarvix::plot {

namespace {

constexpr double note_top = 69;
constexpr double note_line = 15;

}  // namespace

double heading_height(const Heading& heading) {
    return note_top + note_line * static_cast<double>(std::max<std::size_t>(heading.notes.size(), 1));
}

void draw_heading(Svg& svg, const Heading& heading) {
    svg.text({24, 30}, heading.title, {.size = 18, .bold = true}, "title");
    svg.text({24, 51}, heading.subtitle, {.size = 13, .colour = "#444444"}, "subtitle");
    for (std::size_t i = 0; i < heading.notes.size(); ++i)
        svg.text({24, note_top + note_line * static_cast<double>(i)}, heading.notes[i],
                 {.size = 11, .colour = "#666666"}, "note");
}

std::string index_colour(const std::string& index, std::size_t position) {
    // Raw and corrected indices of the index variant share the colours of the
    // usual three, in the same order.
    static const std::map<std::string, std::string> fixed = {
        {"Shared_I.", "#1f77b4"}, {"Modif._RI", "#d62728"}, {"Rand_Ind.", "#2ca02c"},
        {"Raw_4", "#1f77b4"},     {"Correct_4", "#d62728"}, {"Raw_3", "#2ca02c"},
        {"Correct_3", "#9467bd"}, {"Cal._Har.", "#e6550d"}};
    static const std::array<std::string, 6> palette = {"#1f77b4", "#d62728", "#2ca02c",
                                                       "#9467bd", "#e6550d", "#17becf"};
    const auto known = fixed.find(index);
    return known != fixed.end() ? known->second : palette[position % palette.size()];
}

void draw_plot_area(Svg& svg, const PlotArea& area) {
    svg.rect({area.left, area.top}, area.width, area.height, "#ffffff", "plot-area");
    const Stroke frame{frame_colour, 1, ""};
    svg.line({area.left, area.bottom()}, {area.right(), area.bottom()}, frame);
    svg.line({area.left, area.top}, {area.left, area.bottom()}, frame);
    svg.line({area.right(), area.top}, {area.right(), area.bottom()}, frame);
}

void draw_x_axis(Svg& svg, const Axis& axis, const Scale& x, double grid_top, double grid_bottom,
                 const std::string& title, bool ani) {
    for (const double tick : axis.ticks) {
        const double at = x(tick);
        svg.line({at, grid_top}, {at, grid_bottom}, {grid_colour, 1, ""});
        svg.line({at, grid_bottom}, {at, grid_bottom + 5}, {frame_colour, 1, ""});
        svg.text({at, grid_bottom + 18}, axis_tick_text(axis, tick), {.size = 11, .anchor = Anchor::middle},
                 "x-tick");
        // ANI is a percentage of identity: distances beyond 0 .. 1 have none.
        if (ani && tick >= 0 && tick <= 1)
            svg.text({at, grid_top - 5}, ani_text(tick, axis.log ? -1 : std::max(0, axis.decimals - 2)),
                     {.size = 10, .anchor = Anchor::middle, .colour = "#666666"}, "ani-tick");
    }
    if (ani)
        svg.text({x.pixel_high, grid_top - 19}, "Top axis: ANI % = 100 \u00d7 (1 \u2212 threshold)",
                 {.size = 10, .anchor = Anchor::end, .colour = "#666666"}, "ani-title");
    svg.text({(x.pixel_low + x.pixel_high) / 2, grid_bottom + 36}, title, {.size = 12, .anchor = Anchor::middle},
             "x-title");
}

void draw_left_axis(Svg& svg, const Axis& axis, const Scale& y, const PlotArea& area, const std::string& title) {
    for (const double tick : axis.ticks) {
        const double at = y(tick);
        svg.line({area.left, at}, {area.right(), at}, {grid_colour, 1, ""});
        svg.line({area.left - 5, at}, {area.left, at}, {frame_colour, 1, ""});
        svg.text({area.left - 8, at + 4}, tick_text(tick, axis.decimals), {.size = 11, .anchor = Anchor::end},
                 "y-tick");
    }
    svg.text({area.left - 62, area.top + area.height / 2}, title,
             {.size = 12, .anchor = Anchor::middle, .rotation = -90}, "y-title");
}

void draw_right_axis(Svg& svg, const Axis& axis, const Scale& y, const PlotArea& area, const std::string& title) {
    for (const double tick : axis.ticks) {
        const double at = y(tick);
        svg.line({area.right(), at}, {area.right() + 5, at}, {frame_colour, 1, ""});
        svg.text({area.right() + 8, at + 4}, tick_text(tick, axis.decimals),
                 {.size = 11, .colour = "#666666"}, "y2-tick");
    }
    svg.text({area.right() + 52, area.top + area.height / 2}, title,
             {.size = 12, .anchor = Anchor::middle, .colour = "#666666", .rotation = 90}, "y2-title");
}

void draw_marks(Svg& svg, const std::vector<Mark>& marks, const ThresholdAxis& x, double top, double bottom) {
    for (const Mark& mark : marks) {
        if (!x.shows(mark.threshold)) continue;
        const double at = x.scale(mark.threshold);
        svg.line({at, top}, {at, bottom}, {"#333333", 1.2, "2 3"}, "mark");
        // Upwards along the line from the bottom, where the best values
        // seldom lie.
        svg.text({at - 4, bottom - 6}, mark.text,
                 {.size = 10, .colour = "#333333", .rotation = -90, .halo = true}, "mark-text");
    }
}

void draw_legend_entry(Svg& svg, Point at, const Stroke& stroke, const std::string& text) {
    svg.line({at.x, at.y - 4}, {at.x + 26, at.y - 4}, stroke, "legend-line");
    svg.text({at.x + 34, at.y}, text, {.size = 11}, "legend");
}

}  // namespace tarvix::plot
