#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <stdexcept>

#include "charts.hpp"
#include "svg.hpp"
#include "table.hpp"

using namespace tarvix::plot;

namespace {

// The values of `attribute` of every element of class `css_class` (the
// writer puts the class first).
std::vector<std::string> attributes(const std::string& svg, const std::string& css_class, const std::string& attribute) {
    const std::string opening = " class=\"" + css_class + "\"";
    const std::string name = " " + attribute + "=\"";
    std::vector<std::string> values;
    for (std::size_t at = svg.find(opening); at != std::string::npos; at = svg.find(opening, at + 1)) {
        const std::string element = svg.substr(at, svg.find('>', at) - at);
        const std::size_t value = element.find(name);
        if (value == std::string::npos) continue;
        const std::size_t start = value + name.size();
        values.push_back(element.substr(start, element.find('"', start) - start));
    }
    return values;
}

std::size_t count(const std::string& svg, const std::string& text) {
    std::size_t n = 0;
    for (std::size_t at = svg.find(text); at != std::string::npos; at = svg.find(text, at + 1)) ++n;
    return n;
}

// Thresholds 0, 0.05 and 0.1 with one reference partition and the means.
ThresholdTable optimisation() {
    ThresholdTable table;
    table.thresholds = {0, 0.05, 0.1};
    table.clusters = {5, 2, 1};
    table.columns = {{"Shared_I._0", {0.4, 1, 1}}, {"Modif._RI_0", {0, 1, 0.5}},
                     {"Shared_I._1", {0.4, 1, 1}}, {"Modif._RI_1", {0, 1, 0.5}}};
    return table;
}

}  // namespace

// The picture is 860 wide; the plot areas span x = 90 .. 770, the thresholds
// axis 0 .. 0.1 (ticks every 0.02). The first panel's area starts at y = 84 +
// 28 = 112 and is 220 high; the index axis is 0 .. 1, the cluster axis 0 .. 5.
TEST(ThresholdChart, BestThresholdsMarkedWhereTheTableHasThem) {
    const std::string svg = threshold_chart(optimisation(), "m");
    // Shared_I.: 1 at 0.05 and 0.1 -> 0.075 -> x = 90 + 0.75 * 680 = 600.
    // Modif._RI: 1 at 0.05 only -> x = 90 + 0.5 * 680 = 430. Same in both panels.
    EXPECT_EQ(attributes(svg, "best-threshold", "x1"), (std::vector<std::string>{"600.00", "430.00", "600.00", "430.00"}));
    const std::vector<std::string> dots = attributes(svg, "best-value", "cy");
    ASSERT_EQ(dots.size(), 4u);
    EXPECT_EQ(dots[0], "112.00");  // the value 1 at the top of the first panel
    EXPECT_NE(svg.find("Shared_I._0: best 1.0000 at 0.075 (0.05\u20130.1)<"), std::string::npos);
    EXPECT_NE(svg.find("Modif._RI_0: best 1.0000 at 0.05<"), std::string::npos);
    // The run 0.05 .. 0.1 of Shared_I. is shaded (x = 430 .. 770) over the
    // panel's height; the lone best of Modif._RI has no run.
    EXPECT_EQ(attributes(svg, "best-run", "x"), (std::vector<std::string>{"430.00", "430.00"}));
    EXPECT_EQ(attributes(svg, "best-run", "width"), (std::vector<std::string>{"340.00", "340.00"}));
    EXPECT_EQ(attributes(svg, "best-run", "height").front(), "220.00");
    // Both bests reach the last threshold 0.1: a note under each panel.
    EXPECT_EQ(count(svg, ">Best at the last threshold (Shared_I._0): a better one may lie above; extend -a<"), 1u);
}

TEST(ThresholdChart, ReferenceGroupCountsOnTheClusterAxis) {
    ChartOptions options;
    options.reference_groups = {3};
    const std::string svg = threshold_chart(optimisation(), "m", options);
    // 3 groups at y = 332 - 3 / 5 * 220 = 200 in the partition's panel; the
    // means panel names the partition.
    EXPECT_EQ(attributes(svg, "reference-groups", "y1").front(), "200.00");
    EXPECT_NE(svg.find(">3 groups in the reference partition<"), std::string::npos);
    EXPECT_NE(svg.find(">3 groups in reference partition 1<"), std::string::npos);
    // A reference file of another shape than the table is refused.
    options.reference_groups = {3, 4};
    EXPECT_THROW(threshold_chart(optimisation(), "m", options), std::runtime_error);
}

TEST(ThresholdChart, AniAxisAndReferenceMarks) {
    ChartOptions options;
    options.ani = true;
    options.marks = {{0.05, "95% ANI"}, {0.5, "off the axis"}};
    const std::string svg = threshold_chart(optimisation(), "m", options);
    // Ticks 0, 0.02, ..., 0.1 are 100, 98, ..., 90 % identity.
    const std::vector<std::string> ani = {"100", "98", "96", "94", "92", "90"};
    std::vector<std::string> first_panel;
    for (std::size_t at = svg.find("class=\"ani-tick\""); first_panel.size() < 6; at = svg.find("class=\"ani-tick\"", at + 1))
        first_panel.push_back(svg.substr(svg.find('>', at) + 1, svg.find('<', at) - svg.find('>', at) - 1));
    EXPECT_EQ(first_panel, ani);
    // One mark per panel at 0.05 (x = 430); 0.5 lies beyond the axis.
    EXPECT_EQ(attributes(svg, "mark", "x1"), (std::vector<std::string>{"430.00", "430.00"}));
    EXPECT_EQ(count(svg, ">95% ANI<"), 2u);
}


TEST(ThresholdChart, ClustersOnTheSecondAxisAndOnePanelPerBlock) {
    const std::string svg = threshold_chart(optimisation(), "m");
    // 5, 2 and 1 clusters at y = 332 - n / 5 * 220.
    EXPECT_EQ(attributes(svg, "clusters", "points").front(), "90.00,112.00 430.00,244.00 770.00,288.00");
    EXPECT_EQ(count(svg, "class=\"panel-title\""), 2u);
    EXPECT_NE(svg.find(">Reference partition 1 (column 2 of the reference file)<"), std::string::npos);
    EXPECT_NE(svg.find(">Mean over the 1 reference partition<"), std::string::npos);
    EXPECT_NE(svg.find(">Number of clusters<"), std::string::npos);
    EXPECT_NE(svg.find(">Clustering threshold<"), std::string::npos);
    EXPECT_EQ(attributes(svg, "x-tick", "x").size(), 12u);  // 0, 0.02, ..., 0.1 in each panel
}

TEST(ThresholdChart, ValuesThatAreNoNumberBreakTheLineAndHaveNoMark) {
    ThresholdTable table;
    table.thresholds = {0, 0.05, 0.1, 0.15};
    table.clusters = {4, 3, 2, 1};
    table.columns = {{"Cal._Har._0", {NAN, 10, NAN, 20}}};
    const std::string svg = threshold_chart(table, "m");
    // A leading NaN is the best value for tarvix too: nothing to mark.
    EXPECT_TRUE(attributes(svg, "best-threshold", "x1").empty());
    EXPECT_NE(svg.find("Cal._Har._0: no best value (NaN)"), std::string::npos);
    // The two lone finite values are dots, not a line through the gap.
    EXPECT_EQ(count(svg, "<circle class=\"index\""), 2u);
    EXPECT_EQ(count(svg, "<polyline class=\"index\""), 0u);
}

TEST(ThresholdChart, UndefinedCriterionValuesAreLeftOut) {
    ThresholdTable table;
    table.thresholds = {0, 0.05, 0.1, 0.15};
    table.clusters = {4, 3, 2, 1};
    table.columns = {{"Cal._Har._0", {-1, 10, 20, -1}}};
    const std::string svg = threshold_chart(table, "m");
    // One line through the two defined values (axis 0 .. 0.16 on 90 .. 770);
    // the value axis is 10 .. 20 (ticks 10, 12, ..., 20), not -1 .. 20.
    EXPECT_EQ(attributes(svg, "index", "points"), (std::vector<std::string>{"302.50,332.00 515.00,112.00"}));
    EXPECT_EQ(attributes(svg, "y-tick", "x").size(), 6u);
    EXPECT_NE(svg.find(">10<"), std::string::npos);
}

TEST(JackknifeChart, MedianOfTheBestThresholdsMarkedPerLane) {
    JackknifeTable table;
    table.clusters = {"No._Clusters", {3, 4}, {0.025, 0}};
    table.columns = {{"Shared_I._0", {1, 0.5}, {0.1, 0.075}}, {"Modif._RI_0", {0.9, 1}, {0.075, 0.05}}};
    const std::string svg = jackknife_chart(table, "m");
    // Thresholds 0.05 .. 0.1 on x = 210 .. 690: medians 0.0875 and 0.0625.
    EXPECT_EQ(attributes(svg, "median", "x1"), (std::vector<std::string>{"570.00", "330.00"}));
    EXPECT_NE(svg.find(">median 0.0875<"), std::string::npos);
    EXPECT_NE(svg.find(">Best thresholds of 2 jackknife replicates<"), std::string::npos);
    // One bar per distinct threshold of a lane; each is the best threshold of
    // one replicate, so all are equally high (the lane's 36 less 12), and
    // that height stands for 1 of 2 replicates.
    EXPECT_EQ(attributes(svg, "count", "height"), (std::vector<std::string>{"24.00", "24.00", "24.00", "24.00"}));
    EXPECT_EQ(count(svg, ">50%<"), 2u);
    EXPECT_EQ(count(svg, "class=\"lane\""), 2u);
    // The 95% interval of two values is both of them: 0.075 .. 0.1 is
    // x = 450 .. 690.
    EXPECT_EQ(attributes(svg, "interval", "x1").front(), "450.00");
    EXPECT_EQ(attributes(svg, "interval", "x2").front(), "690.00");
    EXPECT_NE(svg.find(">95%: 0.075\u20130.1<"), std::string::npos);
}

TEST(JackknifeChart, BarsStayVisibleAtTheSmallestSteps) {
    // 99 replicates at 0.1 and 1 each at 0.1001 and 0.2. The axis 0.1 .. 0.2
    // spans 480 pixels, so 0.0001 is half a pixel: the two close thresholds
    // share one bar 3 wide.
    JackknifeTable table;
    std::vector<double> thresholds(99, 0.1);
    thresholds.push_back(0.1001);
    thresholds.push_back(0.2);
    table.clusters = {"No._Clusters", std::vector<double>(101, 3), std::vector<double>(101, 0)};
    table.columns = {{"Shared_I._0", std::vector<double>(101, 1), thresholds}};
    const std::string svg = jackknife_chart(table, "m");
    EXPECT_EQ(attributes(svg, "count", "width"), (std::vector<std::string>{"3.00", "3.00"}));
    // 100 of 101 fill the lane; the lone replicate still shows 2 high.
    EXPECT_EQ(attributes(svg, "count", "height"), (std::vector<std::string>{"24.00", "2.00"}));
    EXPECT_NE(svg.find(">Thresholds too close to tell apart share a bar.<"), std::string::npos);
}

TEST(Svg, TextIsEscapedAndKeptValidUtf8) {
    EXPECT_EQ(escape_xml("A<B & \"C\">"), "A&lt;B &amp; &quot;C&quot;&gt;");
    EXPECT_EQ(escape_xml("Calinski\u2013Harabasz"), "Calinski\u2013Harabasz");
    EXPECT_EQ(escape_xml("bad \xff byte, cut \xe2\x80"), "bad ? byte, cut ??");
    EXPECT_EQ(escape_xml("bell\a"), "bell?");
    const std::string svg = threshold_chart(optimisation(), "x < y");
    EXPECT_NE(svg.find("<title>x &lt; y</title>"), std::string::npos);
    EXPECT_EQ(svg.rfind("</svg>\n"), svg.size() - 7);
}
