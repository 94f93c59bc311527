#include "charts.hpp"

#include <array>
#include <cmath>

#include "analysis.hpp"
#include "block_titles.hpp"
#include "chart_parts.hpp"

namespace tarvix::plot {

namespace {

constexpr double plot_left = 90;
constexpr double plot_width = chart_width - 2 * plot_left;
constexpr double plot_height = 220;
constexpr double panel_title_height = 28;
constexpr double axis_height = 50;
constexpr double legend_row = 18;
constexpr double legend_column = 345;
constexpr double panel_gap = 14;

// Lines of one panel that lie on top of each other stay visible when the
// earlier ones are drawn wider.
double line_width(std::size_t position, std::size_t columns) {
    static constexpr std::array<double, 4> widths = {4.5, 3.0, 1.5, 1.0};
    if (columns == 1) return 2.5;
    return widths[std::min(position, widths.size() - 1)];
}

// The points of a column, broken where a value is no finite number.
std::vector<std::vector<Point>> segments(const std::vector<double>& thresholds, const std::vector<double>& values,
                                         const Scale& x, const Scale& y) {
    std::vector<std::vector<Point>> parts(1);
    for (std::size_t r = 0; r < values.size(); ++r) {
        if (std::isfinite(values[r])) {
            parts.back().push_back({x(thresholds[r]), y(values[r])});
        } else if (!parts.back().empty()) {
            parts.emplace_back();
        }
    }
    return parts;
}

void draw_series(Svg& svg, const std::vector<std::vector<Point>>& parts, const Stroke& stroke,
                 const std::string& css_class) {
    for (const std::vector<Point>& part : parts) {
        // A lone point (a table of one threshold) is drawn as a dot.
        if (part.size() == 1)
            svg.circle(part.front(), stroke.width + 1, stroke.colour, {stroke.colour, 0, ""}, css_class);
        else
            svg.polyline(part, stroke, css_class);
    }
}

// Everything a panel draws against.
struct PanelFrame {
    PlotArea area;
    Scale x;
    Axis x_axis;
    Scale clusters;
    Axis clusters_axis;
};

Axis value_axis(const ThresholdTable& table, const Block& block) {
    Range range = finite_range(table.columns[block.columns.front()].values);
    for (const std::size_t c : block.columns) range = merged(range, finite_range(table.columns[c].values));
    std::vector<std::string> labels;
    for (const std::size_t c : block.columns) labels.push_back(table.columns[c].label);
    // Similarity indices are read against their whole scale 0 .. 1.
    if (all_similarity_indices(labels)) range = merged(range, {0, 1});
    return nice_axis(range.low, range.high, 5);
}

std::string legend_text(const Column& column, const Best& best) {
    if (!std::isfinite(best.value)) return column.label + ": no best value (" + value_text(best.value) + ")";
    return column.label + ": best " + value_text(best.value) + " at threshold " + threshold_text(best.threshold);
}

Stroke column_stroke(const ThresholdTable& table, const Block& block, std::size_t i) {
    const std::size_t c = block.columns[i];
    return {index_colour(split_label(table.columns[c].label).index, c), line_width(i, block.columns.size()), ""};
}

// A dashed line over the whole height at the best threshold, and a dot at
// the best value; nothing where the best value is no finite number.
void draw_best_mark(Svg& svg, const Best& best, const std::string& colour, const PlotArea& area, const Scale& x,
                    const Scale& y) {
    if (!std::isfinite(best.value)) return;
    const double at = x(best.threshold);
    svg.line({at, area.bottom()}, {at, area.top}, {colour, 2, "6 3"}, "best-threshold");
    svg.circle({at, y(best.value)}, 4.5, colour, {"#ffffff", 1.5, ""}, "best-value");
}

// Two entries to a row from `top`; returns the height the rows take.
double draw_legend(Svg& svg, const std::vector<std::pair<Stroke, std::string>>& entries, double top) {
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const Point at{plot_left + static_cast<double>(i % 2) * legend_column,
                       top + static_cast<double>(i / 2) * legend_row};
        draw_legend_entry(svg, at, entries[i].first, entries[i].second);
    }
    return static_cast<double>((entries.size() + 1) / 2) * legend_row;
}

// Draws one panel from `top` and returns where the next one may start.
double draw_panel(Svg& svg, const ThresholdTable& table, const Block& block, const std::string& title,
                  double top, PanelFrame frame) {
    svg.text({plot_left, top + 18}, title, {.size = 14, .bold = true}, "panel-title");
    frame.area.top = top + panel_title_height;
    const PlotArea& area = frame.area;
    frame.clusters.pixel_low = area.bottom();
    frame.clusters.pixel_high = area.top;
    const Axis values_axis = value_axis(table, block);
    const Scale y{values_axis.low, values_axis.high, area.bottom(), area.top};
    const bool similarity = all_similarity_indices({table.columns[block.columns.front()].label});

    draw_plot_area(svg, area);
    draw_left_axis(svg, values_axis, y, area, similarity ? "Similarity index" : "Criterion value");
    draw_right_axis(svg, frame.clusters_axis, frame.clusters, area, "Number of clusters");
    draw_x_axis(svg, frame.x_axis, frame.x, area.top, area.bottom(), "Clustering threshold");

    const Stroke clusters_stroke{cluster_colour, 1.5, ""};
    draw_series(svg, segments(table.thresholds, table.clusters, frame.x, frame.clusters), clusters_stroke,
                "clusters");
    std::vector<Best> bests;
    std::vector<std::pair<Stroke, std::string>> legend;
    for (std::size_t i = 0; i < block.columns.size(); ++i) {
        const Column& column = table.columns[block.columns[i]];
        const Stroke stroke = column_stroke(table, block, i);
        draw_series(svg, segments(table.thresholds, column.values, frame.x, y), stroke, "index");
        bests.push_back(best_threshold(column.values, table.thresholds));
        legend.emplace_back(stroke, legend_text(column, bests.back()));
    }
    // The marks come last so that no line hides them.
    for (std::size_t i = 0; i < block.columns.size(); ++i)
        draw_best_mark(svg, bests[i], column_stroke(table, block, i).colour, area, frame.x, y);
    legend.emplace_back(clusters_stroke, "No._Clusters (right axis)");

    const double legend_top = area.bottom() + axis_height + 8;
    return legend_top + draw_legend(svg, legend, legend_top) + panel_gap;
}

double panel_height(const Block& block) {
    const double legend_rows = static_cast<double>((block.columns.size() + 2) / 2);
    return panel_title_height + plot_height + axis_height + 8 + legend_rows * legend_row + panel_gap;
}

}  // namespace

std::string threshold_chart(const ThresholdTable& table, const std::string& title) {
    std::vector<std::string> labels;
    for (const Column& column : table.columns) labels.push_back(column.label);
    const std::vector<Block> blocks = group_blocks(labels);
    const bool similarity = all_similarity_indices(labels);

    const Range thresholds = finite_range(table.thresholds);
    const Axis x_axis = nice_axis(thresholds.low, thresholds.high, 8);
    const Range clusters = finite_range(table.clusters);
    const Axis clusters_axis = nice_axis(0, std::max(clusters.high, 1.0), 5, true);
    const PanelFrame frame{{plot_left, 0, plot_width, plot_height},
                           {x_axis.low, x_axis.high, plot_left, plot_left + plot_width},
                           x_axis,
                           {clusters_axis.low, clusters_axis.high, 0, 0},
                           clusters_axis};

    const Heading heading{
        title,
        similarity ? "Similarity to the reference partitions along the threshold series"
                   : "Partitions rated by the distances along the threshold series",
        "Dashed lines mark the best threshold of each column: the middle of the thresholds reaching its highest "
        "value."};
    double height = 84;
    for (const Block& block : blocks) height += panel_height(block);
    Svg svg(chart_width, height, title);
    double top = draw_heading(svg, heading);
    for (std::size_t b = 0; b < blocks.size(); ++b)
        top = draw_panel(svg, table, blocks[b], block_title(blocks, b, labels), top, frame);
    return svg.str();
}

}  // namespace tarvix::plot
