#include "charts.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <stdexcept>

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
constexpr double note_row = 15;
constexpr double panel_gap = 14;

// Lines of one panel that lie on top of each other stay visible when the
// earlier ones are drawn wider.
double line_width(std::size_t position, std::size_t columns) {
    static constexpr std::array<double, 4> widths = {4.5, 3.0, 1.5, 1.0};
    if (columns == 1) return 2.5;
    return widths[std::min(position, widths.size() - 1)];
}

// The points of a column on the axis, broken where a value is no finite
// number.
std::vector<std::vector<Point>> segments(const std::vector<double>& thresholds, const std::vector<double>& values,
                                         const ThresholdAxis& x, const Scale& y) {
    std::vector<std::vector<Point>> parts(1);
    for (std::size_t r = 0; r < values.size(); ++r) {
        if (!x.shows(thresholds[r])) continue;
        if (std::isfinite(values[r])) {
            parts.back().push_back({x.scale(thresholds[r]), y(values[r])});
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

using Legend = std::vector<std::pair<Stroke, std::string>>;

// Two entries to a row, or one when a text is too long for half the width.
std::size_t legend_columns(const Legend& entries) {
    constexpr std::size_t longest_in_two = 50;
    for (const auto& entry : entries)
        if (entry.second.size() > longest_in_two) return 1;
    return 2;
}

std::string legend_text(const Column& column, const Best& best) {
    if (!has_best(column.label, best))
        return column.label + ": no best value (" + (std::isfinite(best.value) ? "not defined" : value_text(best.value)) +
               ")";
    std::string text = column.label + ": best " + value_text(best.value) + " at " + threshold_text(best.threshold);
    if (best.low < best.high)
        text += " (" + threshold_text(best.low) + "\u2013" + threshold_text(best.high) + ")";
    return text;
}

Stroke column_stroke(const ThresholdTable& table, const std::vector<std::size_t>& columns, std::size_t i) {
    const std::size_t c = columns[i];
    return {index_colour(split_label(table.columns[c].label).index, c), line_width(i, columns.size()), ""};
}

// A line on the cluster axis at the number of groups of a reference
// partition, with its text.
struct GroupLine {
    std::size_t groups;
    std::string text;
};

// What one panel shows, worked out before anything is drawn, as the panels'
// heights and the shared axis depend on it.
struct Panel {
    std::string title;
    std::vector<std::size_t> columns;
    std::vector<Best> bests;
    std::vector<std::string> notes;
    std::vector<GroupLine> group_lines;
    Legend legend;
};

// Everything the panels draw against.
struct Frame {
    const ThresholdTable& table;
    const ThresholdAxis& x;
    Scale clusters;
    Axis clusters_axis;
    bool ani;
    const std::vector<Mark>& marks;
};

std::string plural(std::size_t n, const std::string& word) {
    return std::to_string(n) + " " + word + (n == 1 ? "" : "s");
}

// The reference partitions' group counts, each in its own panel and all in
// the panel of the means; equal counts share one line.
std::vector<GroupLine> group_lines(const std::vector<std::size_t>& groups, std::size_t block, bool means) {
    if (!means) return {{groups[block], plural(groups[block], "group") + " in the reference partition"}};
    std::map<std::size_t, std::string> partitions;
    for (std::size_t k = 0; k < groups.size(); ++k)
        partitions[groups[k]] += (partitions[groups[k]].empty() ? "" : ", ") + std::to_string(k + 1);
    std::vector<GroupLine> lines;
    for (const auto& [count, numbers] : partitions)
        lines.push_back({count, plural(count, "group") + " in reference partition" +
                                    (numbers.find(',') == std::string::npos ? " " : "s ") + numbers});
    return lines;
}

std::vector<Panel> plan_panels(const ThresholdTable& table, const std::vector<std::size_t>& reference_groups) {
    std::vector<std::string> labels;
    for (const Column& column : table.columns) labels.push_back(column.label);
    const std::vector<Block> blocks = group_blocks(labels);
    const bool similarity = all_similarity_indices(labels) && blocks.size() >= 2;
    if (similarity && !reference_groups.empty() && reference_groups.size() != blocks.size() - 1)
        throw std::runtime_error("--groups: the reference file has " + plural(reference_groups.size(), "partition") +
                                 ", the table " + std::to_string(blocks.size() - 1));
    std::vector<Panel> panels;
    for (std::size_t b = 0; b < blocks.size(); ++b) {
        Panel panel{block_title(blocks, b, labels), blocks[b].columns, {}, {}, {}, {}};
        std::vector<std::string> block_labels;
        for (const std::size_t c : panel.columns) {
            panel.bests.push_back(best_threshold(table.columns[c].values, table.thresholds));
            block_labels.push_back(labels[c]);
        }
        panel.notes = end_notes(block_labels, panel.bests, table.thresholds);
        for (std::size_t i = 0; i < panel.columns.size(); ++i)
            panel.legend.emplace_back(column_stroke(table, panel.columns, i),
                                      legend_text(table.columns[panel.columns[i]], panel.bests[i]));
        panel.legend.emplace_back(Stroke{cluster_colour, 1.5, ""}, "No._Clusters (right axis)");
        if (similarity && !reference_groups.empty())
            panel.group_lines = group_lines(reference_groups, b, b + 1 == blocks.size());
        panels.push_back(std::move(panel));
    }
    return panels;
}

Axis value_axis(const ThresholdTable& table, const std::vector<std::size_t>& columns) {
    Range range{INFINITY, -INFINITY};
    for (const std::size_t c : columns)
        range = merged(range, finite_range(drawn_values(table.columns[c].label, table.columns[c].values)));
    std::vector<std::string> labels;
    for (const std::size_t c : columns) labels.push_back(table.columns[c].label);
    // Similarity indices are read against their whole scale 0 .. 1.
    if (all_similarity_indices(labels)) range = merged(range, {0, 1});
    return nice_axis(range.low, range.high, 5);
}

// A light band over the thresholds that reach the best value as well.
void draw_best_run(Svg& svg, const Best& best, const std::string& colour, const PlotArea& area,
                   const ThresholdAxis& x) {
    const double from = x.scale(std::max(best.low, x.axis.low));
    const double to = x.scale(std::min(best.high, x.axis.high));
    if (!(to > from)) return;
    svg.rect({from, area.top}, to - from, area.height, colour, "best-run", 0.12);
}

// A dashed line over the whole height at the best threshold, and a dot at
// the best value.
void draw_best_mark(Svg& svg, const Best& best, const std::string& colour, const PlotArea& area,
                    const ThresholdAxis& x, const Scale& y) {
    if (!x.shows(best.threshold)) return;
    const double at = x.scale(best.threshold);
    svg.line({at, area.bottom()}, {at, area.top}, {colour, 2, "6 3"}, "best-threshold");
    svg.circle({at, y(best.value)}, 4.5, colour, {"#ffffff", 1.5, ""}, "best-value");
}

void draw_group_lines(Svg& svg, const std::vector<GroupLine>& lines, const PlotArea& area, const Scale& clusters) {
    for (const GroupLine& line : lines) {
        const double y = clusters(static_cast<double>(line.groups));
        svg.line({area.left, y}, {area.right(), y}, {"#555555", 1.2, "8 4"}, "reference-groups");
        svg.text({area.right() - 6, y - 4}, line.text,
                 {.size = 10, .anchor = Anchor::end, .colour = "#444444", .halo = true}, "reference-groups-text");
    }
}

// The entries from `top`; returns the height the rows take.
double draw_legend(Svg& svg, const Legend& entries, double top) {
    const std::size_t columns = legend_columns(entries);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const Point at{plot_left + static_cast<double>(i % columns) * legend_column,
                       top + static_cast<double>(i / columns) * legend_row};
        draw_legend_entry(svg, at, entries[i].first, entries[i].second);
    }
    return static_cast<double>((entries.size() + columns - 1) / columns) * legend_row;
}

double panel_height(const Panel& panel, bool ani) {
    const std::size_t columns = legend_columns(panel.legend);
    const double legend_rows = static_cast<double>((panel.legend.size() + columns - 1) / columns);
    return panel_title_height + (ani ? ani_room : 0) + plot_height + axis_height + 8 + legend_rows * legend_row +
           static_cast<double>(panel.notes.size()) * note_row + panel_gap;
}

// Draws one panel from `top` and returns where the next one may start.
double draw_panel(Svg& svg, const Panel& panel, double top, Frame frame) {
    const ThresholdTable& table = frame.table;
    const ThresholdAxis& x = frame.x;
    svg.text({plot_left, top + 18}, panel.title, {.size = 14, .bold = true}, "panel-title");
    const PlotArea area{plot_left, top + panel_title_height + (frame.ani ? ani_room : 0), plot_width, plot_height};
    frame.clusters.pixel_low = area.bottom();
    frame.clusters.pixel_high = area.top;
    const Axis values_axis = value_axis(table, panel.columns);
    const Scale y{values_axis.low, values_axis.high, area.bottom(), area.top};
    const bool similarity = all_similarity_indices({table.columns[panel.columns.front()].label});

    draw_plot_area(svg, area);
    draw_left_axis(svg, values_axis, y, area, similarity ? "Similarity index" : "Criterion value");
    draw_right_axis(svg, frame.clusters_axis, frame.clusters, area, "Number of clusters");
    draw_x_axis(svg, x.axis, x.scale, area.top, area.bottom(), "Clustering threshold", frame.ani);
    // Columns with the same run share one band, in the first one's colour:
    // bands of several colours on top of each other turn grey.
    for (std::size_t i = 0; i < panel.columns.size(); ++i) {
        const Best& best = panel.bests[i];
        const auto same_run = [&](std::size_t j) {
            return has_best(table.columns[panel.columns[j]].label, panel.bests[j]) && panel.bests[j].low == best.low &&
                   panel.bests[j].high == best.high;
        };
        bool drawn_before = false;
        for (std::size_t j = 0; j < i; ++j) drawn_before = drawn_before || same_run(j);
        if (same_run(i) && !drawn_before)
            draw_best_run(svg, best, column_stroke(table, panel.columns, i).colour, area, x);
    }

    const Stroke clusters_stroke{cluster_colour, 1.5, ""};
    draw_series(svg, segments(table.thresholds, table.clusters, x, frame.clusters), clusters_stroke, "clusters");
    draw_group_lines(svg, panel.group_lines, area, frame.clusters);
    for (std::size_t i = 0; i < panel.columns.size(); ++i) {
        const Column& column = table.columns[panel.columns[i]];
        draw_series(svg, segments(table.thresholds, drawn_values(column.label, column.values), x, y),
                    column_stroke(table, panel.columns, i), "index");
    }
    draw_marks(svg, frame.marks, x, area.top, area.bottom());
    // The best marks come last so that no line hides them.
    for (std::size_t i = 0; i < panel.columns.size(); ++i)
        if (has_best(table.columns[panel.columns[i]].label, panel.bests[i]))
            draw_best_mark(svg, panel.bests[i], column_stroke(table, panel.columns, i).colour, area, x, y);

    const double legend_top = area.bottom() + axis_height + 8;
    double next = legend_top + draw_legend(svg, panel.legend, legend_top);
    for (const std::string& note : panel.notes) {
        svg.text({plot_left, next + 2}, note, {.size = 11, .colour = "#a63603"}, "end-note");
        next += note_row;
    }
    return next + panel_gap;
}

}  // namespace

std::string threshold_chart(const ThresholdTable& table, const std::string& title, const ChartOptions& options) {
    const std::vector<Panel> panels = plan_panels(table, options.reference_groups);
    std::vector<double> best_highs;
    for (const Panel& panel : panels)
        for (std::size_t i = 0; i < panel.columns.size(); ++i)
            if (has_best(table.columns[panel.columns[i]].label, panel.bests[i]))
                best_highs.push_back(panel.bests[i].high);
    const ThresholdAxis x = threshold_axis(table.thresholds, best_highs, options, plot_left, plot_left + plot_width, 8);

    double most_clusters = std::max(finite_range(table.clusters).high, 1.0);
    for (const std::size_t groups : options.reference_groups)
        most_clusters = std::max(most_clusters, static_cast<double>(groups));
    const Axis clusters_axis = nice_axis(0, most_clusters, 5, true);
    const Frame frame{table, x, {clusters_axis.low, clusters_axis.high, 0, 0}, clusters_axis, options.ani,
                      options.marks};

    std::vector<std::string> labels;
    for (const Column& column : table.columns) labels.push_back(column.label);
    Heading heading{title,
                    all_similarity_indices(labels)
                        ? "Similarity to the reference partitions along the threshold series"
                        : "Partitions rated by the distances along the threshold series",
                    {"Dashed line: best threshold of a column (middle of the thresholds reaching its highest "
                     "value); band and brackets: those thresholds."}};
    heading.notes.insert(heading.notes.end(), x.notes.begin(), x.notes.end());
    double height = heading_height(heading);
    for (const Panel& panel : panels) height += panel_height(panel, options.ani);
    Svg svg(chart_width, height, title);
    draw_heading(svg, heading);
    double top = heading_height(heading);
    for (const Panel& panel : panels) top = draw_panel(svg, panel, top, frame);
    return svg.str();
}

}  // namespace tarvix::plot
