#include "assemble.hpp"

#include <algorithm>
#include <string>

#include "errors.hpp"

namespace tarvix::matrix {

void complete(ReadMatrix& matrix, Asymmetry asymmetry, std::optional<double> missing) {
    TiledMatrix& values = matrix.values;
    const std::size_t n = matrix.labels.size();
    values.reserve(n);
    constexpr std::size_t kShown = 5;
    std::size_t missing_count = 0;
    std::string first_missing;
    for (std::size_t i = 0; i < n; ++i) {
        double& diagonal = values.at(i, i);
        if (TiledMatrix::is_absent(diagonal)) diagonal = 0.0;
        for (std::size_t j = i + 1; j < n; ++j) {
            const double forward = values.get(i, j);
            const double backward = values.get(j, i);
            const bool have_forward = !TiledMatrix::is_absent(forward);
            const bool have_backward = !TiledMatrix::is_absent(backward);
            double one = 0, other = 0;
            if (have_forward && have_backward) {
                switch (asymmetry) {
                    case Asymmetry::mean: one = other = (forward + backward) / 2; break;
                    case Asymmetry::min: one = other = std::min(forward, backward); break;
                    case Asymmetry::max: one = other = std::max(forward, backward); break;
                    case Asymmetry::both: one = forward, other = backward; break;
                }
            } else if (have_forward || have_backward) {
                one = other = have_forward ? forward : backward;
            } else if (missing) {
                one = other = *missing;
            } else {
                if (missing_count < kShown) {
                    first_missing += first_missing.empty() ? "" : ", ";
                    first_missing += matrix.labels.label(i) + " and " + matrix.labels.label(j);
                }
                ++missing_count;
                continue;
            }
            values.at(i, j) = one;
            values.at(j, i) = other;
        }
    }
    if (missing_count > 0)
        throw InputError(0, std::to_string(missing_count) + (missing_count == 1 ? " pair is" : " pairs are") +
                                " missing (" + first_missing + (missing_count > kShown ? ", ..." : "") +
                                "); fill them with --missing VALUE");
}

void write_phylip(const ReadMatrix& matrix, const std::function<void(std::string_view)>& sink) {
    constexpr std::size_t kFlush = std::size_t{1} << 20;
    const std::size_t n = matrix.labels.size();
    std::string text = std::to_string(n) + "\n";
    text.reserve(kFlush + 4096);
    char number[32];
    for (std::size_t i = 0; i < n; ++i) {
        text += matrix.labels.label(i);
        for (std::size_t j = 0; j < n; ++j) {
            text += ' ';
            text.append(number, write_shortest(number, matrix.values.get(i, j)));
            if (text.size() >= kFlush) {
                sink(text);
                text.clear();
            }
        }
        text += '\n';
    }
    sink(text);
}

}  // namespace tarvix::matrix
