#include "plot_options.hpp"

#include <charconv>
#include <cmath>

namespace tarvix::plot {

std::optional<double> parse_decimal(const std::string& text) {
    if (text.empty() || text.find_first_not_of("0123456789.+-eE") != std::string::npos) return std::nullopt;
    // from_chars takes no leading '+'; a sign of its own is allowed once.
    const char* first = text.data() + (text.front() == '+' ? 1 : 0);
    const char* last = text.data() + text.size();
    double value = 0;
    const auto [end, error] = std::from_chars(first, last, value);
    if (error != std::errc() || end != last || !std::isfinite(value)) return std::nullopt;
    if (text.front() == '+' && first < last && (*first == '-' || *first == '+')) return std::nullopt;
    return value;
}

Mark parse_mark(const std::string& argument) {
    const std::size_t colon = argument.find(':');
    const std::string number = argument.substr(0, colon);
    const std::optional<double> value = parse_decimal(number);
    if (!value) throw UsageError("the threshold of --mark is no number: \"" + number + "\"");
    return {*value, colon == std::string::npos ? std::string() : argument.substr(colon + 1)};
}

namespace {

double threshold_option(const std::string& option, const std::string& text) {
    const std::optional<double> value = parse_decimal(text);
    if (!value) throw UsageError("the value of " + option + " is no number: \"" + text + "\"");
    return *value;
}

}  // namespace

PlotOptions parse_options(const std::vector<std::string>& arguments) {
    PlotOptions options;
    bool input_named = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        const auto value = [&]() -> const std::string& {
            if (i + 1 == arguments.size()) throw UsageError("the option " + argument + " needs an argument");
            return arguments[++i];
        };
        if (argument == "--help" || argument == "-h") {
            options.help = true;
        } else if (argument == "--version") {
            options.version = true;
        } else if (argument == "-o") {
            options.prefix = value();
        } else if (argument == "-t") {
            options.title = value();
        } else if (argument == "--groups") {
            options.groups_file = value();
        } else if (argument == "--log-x") {
            options.chart.log_x = true;
        } else if (argument == "--xmax") {
            options.chart.x_max = threshold_option(argument, value());
        } else if (argument == "--ani") {
            options.chart.ani = true;
        } else if (argument == "--mark") {
            options.chart.marks.push_back(parse_mark(value()));
        } else if (argument.size() > 1 && argument.front() == '-') {
            throw UsageError("unknown option " + argument);
        } else if (input_named) {
            throw UsageError("one input at a time: " + options.input + " and " + argument);
        } else {
            options.input = argument;
            input_named = true;
        }
    }
    if (options.prefix && options.prefix->empty()) throw UsageError("the output prefix of -o is empty");
    if (options.chart.log_x && options.chart.x_max && *options.chart.x_max <= 0)
        throw UsageError("--xmax must be above 0 on a logarithmic axis (--log-x)");
    return options;
}

}  // namespace tarvix::plot
