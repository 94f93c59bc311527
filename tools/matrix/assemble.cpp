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
    std::string text(kFlush + 64, '\0');
    std::size_t used = 0;
    auto flush = [&] {
        sink(std::string_view(text.data(), used));
        used = 0;
    };
    auto put = [&](std::string_view part) {
        if (used + part.size() > kFlush) flush();
        if (part.size() > kFlush) {
            sink(part);
            return;
        }
        part.copy(text.data() + used, part.size());
        used += part.size();
    };
    put(std::to_string(n) + "\n");
    for (std::size_t i = 0; i < n; ++i) {
        put(matrix.labels.label(i));
        for (std::size_t j = 0; j < n; ++j) {
            // Room for a blank, the longest shortest double and a line end.
            if (used + 34 > kFlush) flush();
            text[used++] = ' ';
            used = static_cast<std::size_t>(write_shortest(text.data() + used, matrix.values.get(i, j)) - text.data());
        }
        text[used++] = '\n';
    }
    flush();
}

}  // namespace tarvix::matrix
