#include "charts.hpp"

#include <algorithm>
#include <optional>

#include "analysis.hpp"
#include "block_titles.hpp"
#include "chart_parts.hpp"

namespace tarvix::plot {

namespace {

constexpr double label_left = 24;
constexpr double plot_left = 200;
constexpr double plot_width = 500;
constexpr double median_text_left = plot_left + plot_width + 14;
constexpr double block_title_height = 24;
constexpr double lane_height = 30;
constexpr double lane_gap = 4;
constexpr double widest_bar = 10;
constexpr double end_room = widest_bar;
constexpr double axis_height = 50;

// Where each lane lies, worked out before anything is drawn so that the grid
// can go under all lanes at once.
struct Lane {
    std::size_t column;
    double top;
};

struct Layout {
    std::vector<std::pair<std::string, double>> block_titles;
    std::vector<Lane> lanes;
    double top;
    double bottom;
};

Layout lay_out(const std::vector<Block>& blocks, const std::vector<std::string>& labels, double top) {
    Layout layout{{}, {}, top, top};
    double y = top;
    for (std::size_t b = 0; b < blocks.size(); ++b) {
        layout.block_titles.emplace_back(block_title(blocks, b, labels), y + 16);
        y += block_title_height;
        for (const std::size_t c : blocks[b].columns) {
            layout.lanes.push_back({c, y});
            y += lane_height + lane_gap;
        }
    }
    layout.bottom = y;
    return layout;
}

std::size_t largest_count(const JackknifeTable& table) {
    std::size_t largest = 1;
    for (const ReplicateColumn& column : table.columns)
        for (const Tally& t : tally(column.best_thresholds)) largest = std::max(largest, t.count);
    return largest;
}

// Bars as wide as the closest two thresholds of a lane allow, so that they
// never overlap.
double bar_width(const JackknifeTable& table, const Scale& x) {
    double width = widest_bar;
    for (const ReplicateColumn& column : table.columns) {
        const std::vector<Tally> tallies = tally(column.best_thresholds);
        for (std::size_t i = 1; i < tallies.size(); ++i)
            width = std::min(width, 0.8 * (x(tallies[i].value) - x(tallies[i - 1].value)));
    }
    return std::max(width, 1.0);
}

struct Bars {
    double width;
    std::size_t largest;
};

void draw_lane(Svg& svg, const ReplicateColumn& column, const std::string& colour, double top, const Scale& x,
               const Bars& bars) {
    svg.text({label_left + 12, top + lane_height / 2 + 4}, split_label(column.label).index, {.size = 12},
             "lane-label");
    const double base = top + lane_height - 3;
    for (const Tally& t : tally(column.best_thresholds)) {
        const double height = (lane_height - 6) * static_cast<double>(t.count) / static_cast<double>(bars.largest);
        svg.rect({x(t.value) - bars.width / 2, base - height}, bars.width, height, colour, "count");
    }
    const std::optional<double> median = finite_median(column.best_thresholds);
    if (!median) {
        svg.text({median_text_left, top + lane_height / 2 + 4}, "no finite threshold", {.size = 11}, "median-text");
        return;
    }
    svg.line({x(*median), top}, {x(*median), top + lane_height}, {"#000000", 2, ""}, "median");
    svg.text({median_text_left, top + lane_height / 2 + 4}, "median " + threshold_text(*median), {.size = 11},
             "median-text");
}

Range threshold_range(const JackknifeTable& table) {
    Range range = finite_range(table.columns.front().best_thresholds);
    for (const ReplicateColumn& column : table.columns) range = merged(range, finite_range(column.best_thresholds));
    return range;
}

}  // namespace

std::string jackknife_chart(const JackknifeTable& table, const std::string& title) {
    std::vector<std::string> labels;
    for (const ReplicateColumn& column : table.columns) labels.push_back(column.label);
    const std::vector<Block> blocks = group_blocks(labels);
    const std::size_t replicates = table.clusters.best_values.size();

    const Heading heading{title,
                          "Best thresholds of " + std::to_string(replicates) + " jackknife replicate" +
                              (replicates == 1 ? "" : "s"),
                          "Bars: share of the replicates whose best threshold is that value. Black line: median."};
    const Layout layout = lay_out(blocks, labels, 84);
    Svg svg(chart_width, layout.bottom + axis_height + 10, title);
    draw_heading(svg, heading);

    const Range range = threshold_range(table);
    const Axis axis = nice_axis(range.low, range.high, 8);
    // The ends keep room for half a bar.
    const Scale x{axis.low, axis.high, plot_left + end_room, plot_left + plot_width - end_room};
    for (const Lane& lane : layout.lanes) svg.rect({plot_left, lane.top}, plot_width, lane_height, "#f4f4f4", "lane");
    draw_x_axis(svg, axis, x, layout.top, layout.bottom, "Best threshold of the replicate");
    for (const auto& [text, y] : layout.block_titles)
        svg.text({label_left, y}, text, {.size = 13, .bold = true}, "block-title");
    const Bars bars{bar_width(table, x), largest_count(table)};
    for (const Lane& lane : layout.lanes) {
        const ReplicateColumn& column = table.columns[lane.column];
        draw_lane(svg, column, index_colour(split_label(column.label).index, lane.column), lane.top, x, bars);
    }
    return svg.str();
}

}  // namespace tarvix::plot
