#include "charts.hpp"

#include <algorithm>
#include <cmath>
#include <map>
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
constexpr double lane_height = 36;
constexpr double lane_gap = 4;
constexpr double tallest_bar = lane_height - 12;
constexpr double lowest_bar = 2;
constexpr double widest_bar = 10;
constexpr double narrowest_bar = 3;
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

// One bar: where it stands in the picture and how many replicates it counts.
struct Bar {
    double centre;
    std::size_t count;
};

// The bars of all lanes share one width and one height scale. They are as
// wide as the closest two thresholds of a lane allow, so that they never
// overlap, but never narrower than `narrowest_bar`: thresholds closer than
// that share a bar, which stays visible at the smallest steps.
struct Bars {
    double width = widest_bar;
    bool gathered = false;
    std::size_t largest = 1;
    std::vector<std::vector<Bar>> lanes;
};

Bars make_bars(const JackknifeTable& table, const ThresholdAxis& x) {
    Bars bars;
    std::vector<std::vector<Tally>> tallies;
    for (const ReplicateColumn& column : table.columns) {
        std::vector<Tally> shown = tally(column.best_thresholds);
        std::erase_if(shown, [&](const Tally& t) { return !x.shows(t.value); });
        for (std::size_t i = 1; i < shown.size(); ++i)
            bars.width = std::min(bars.width, 0.8 * (x.scale(shown[i].value) - x.scale(shown[i - 1].value)));
        tallies.push_back(std::move(shown));
    }
    bars.gathered = bars.width < narrowest_bar;
    bars.width = std::max(bars.width, narrowest_bar);
    for (const std::vector<Tally>& lane : tallies) {
        std::map<long long, std::size_t> bins;
        std::vector<Bar> drawn;
        for (const Tally& t : lane) {
            if (!bars.gathered) {
                drawn.push_back({x.scale(t.value), t.count});
                continue;
            }
            bins[std::llround((x.scale(t.value) - x.scale.pixel_low) / bars.width)] += t.count;
        }
        for (const auto& [bin, count] : bins)
            drawn.push_back({x.scale.pixel_low + static_cast<double>(bin) * bars.width, count});
        for (const Bar& bar : drawn) bars.largest = std::max(bars.largest, bar.count);
        bars.lanes.push_back(std::move(drawn));
    }
    return bars;
}

std::string percent(double share) {
    const double rounded = std::round(share * 1000) / 10;
    const std::string text = tick_text(rounded, rounded == std::round(rounded) ? 0 : 1);
    return text + "%";
}

void draw_lane(Svg& svg, const ReplicateColumn& column, const std::string& colour, double top, const ThresholdAxis& x,
               const Bars& bars, const std::vector<Bar>& lane) {
    const double middle = top + lane_height / 2 + 4;
    svg.text({label_left + 12, middle}, split_label(column.label).index, {.size = 12}, "lane-label");
    const double base = top + lane_height - 3;
    for (const Bar& bar : lane) {
        const double height = std::max(
            lowest_bar, tallest_bar * static_cast<double>(bar.count) / static_cast<double>(bars.largest));
        svg.rect({bar.centre - bars.width / 2, base - height}, bars.width, height, colour, "count");
    }
    const std::optional<double> median = finite_median(column.best_thresholds);
    if (!median) {
        svg.text({median_text_left, middle}, "no finite threshold", {.size = 11}, "median-text");
        return;
    }
    // The interval as a whisker along the top of the lane.
    if (const std::optional<Interval> interval = interval_95(column.best_thresholds)) {
        const double from = x.scale(std::max(interval->low, x.axis.low));
        const double to = x.scale(std::min(interval->high, x.axis.high));
        const Stroke whisker{"#555555", 1.5, ""};
        if (to >= from) {
            svg.line({from, top + 5}, {to, top + 5}, whisker, "interval");
            for (const double end : {from, to}) svg.line({end, top + 2}, {end, top + 8}, whisker, "interval-end");
        }
        svg.text({median_text_left, top + lane_height - 5},
                 "95%: " + threshold_text(interval->low) + "\u2013" + threshold_text(interval->high),
                 {.size = 10, .colour = "#555555"}, "interval-text");
    }
    if (x.shows(*median))
        svg.line({x.scale(*median), top}, {x.scale(*median), top + lane_height}, {"#000000", 2, ""}, "median");
    svg.text({median_text_left, top + 14}, "median " + threshold_text(*median), {.size = 11}, "median-text");
}

// The share of the replicates that a bar as high as the lane stands for,
// written at the left of every lane beside a faint line at that height.
void draw_bar_scale(Svg& svg, double top, const std::string& share) {
    const double full = top + lane_height - 3 - tallest_bar;
    svg.line({plot_left, full}, {plot_left + plot_width, full}, {"#d0d0d0", 1, "2 2"}, "bar-scale");
    svg.text({plot_left - 4, full + 4}, share, {.size = 9, .anchor = Anchor::end, .colour = "#666666"},
             "bar-scale-text");
}

std::vector<double> all_best_thresholds(const JackknifeTable& table) {
    std::vector<double> thresholds;
    for (const ReplicateColumn& column : table.columns)
        thresholds.insert(thresholds.end(), column.best_thresholds.begin(), column.best_thresholds.end());
    return thresholds;
}

}  // namespace

std::string jackknife_chart(const JackknifeTable& table, const std::string& title, const ChartOptions& options) {
    std::vector<std::string> labels;
    for (const ReplicateColumn& column : table.columns) labels.push_back(column.label);
    const std::vector<Block> blocks = group_blocks(labels);
    const std::size_t replicates = table.clusters.best_values.size();

    // The axis covers the best thresholds only; the ends keep room for half
    // a bar.
    const ThresholdAxis x = threshold_axis(all_best_thresholds(table), {}, options, plot_left + end_room,
                                           plot_left + plot_width - end_room, 8);
    const Bars bars = make_bars(table, x);
    const std::string share = percent(static_cast<double>(bars.largest) / static_cast<double>(replicates));
    Heading heading{title,
                    "Best thresholds of " + std::to_string(replicates) + " jackknife replicate" +
                        (replicates == 1 ? "" : "s"),
                    {"Bars: share of the replicates whose best threshold is that value; a bar as high as its lane "
                     "is " + share + ".",
                     "Black line: median. Whisker: the 95% interval of the replicates (tarvix's Lw._Bnd._2 .. "
                     "Up._Bnd._2)."}};
    if (bars.gathered) heading.notes.push_back("Thresholds too close to tell apart share a bar.");
    heading.notes.insert(heading.notes.end(), x.notes.begin(), x.notes.end());
    const Layout layout = lay_out(blocks, labels, heading_height(heading) + (options.ani ? ani_room : 0));
    Svg svg(chart_width, layout.bottom + axis_height + 10, title);
    draw_heading(svg, heading);

    for (const Lane& lane : layout.lanes) svg.rect({plot_left, lane.top}, plot_width, lane_height, "#f4f4f4", "lane");
    draw_x_axis(svg, x.axis, x.scale, layout.top, layout.bottom, "Best threshold of the replicate", options.ani);
    for (const auto& [text, y] : layout.block_titles)
        svg.text({label_left, y}, text, {.size = 13, .bold = true}, "block-title");
    // Under the bars, which the dotted lines would otherwise cut.
    draw_marks(svg, options.marks, x, layout.top, layout.bottom);
    for (std::size_t l = 0; l < layout.lanes.size(); ++l) {
        const Lane& lane = layout.lanes[l];
        const ReplicateColumn& column = table.columns[lane.column];
        draw_bar_scale(svg, lane.top, share);
        draw_lane(svg, column, index_colour(split_label(column.label).index, lane.column), lane.top, x, bars,
                  bars.lanes[l]);
    }
    return svg.str();
}

}  // namespace tarvix::plot
