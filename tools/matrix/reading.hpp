// From the text of one input to the labels and the matrix of distances as
// the input gives them (directions kept apart, absent pairs absent).
#pragma once

#include <optional>
#include <string_view>

#include "labels.hpp"
#include "line_reader.hpp"
#include "number_text.hpp"
#include "tiled_matrix.hpp"

namespace tarvix::matrix {

enum class InputKind {
    automatic,
    fastani,         // query, reference, ANI %, mapped and total fragments
    fastani_matrix,  // fastANI --matrix: count, then path and ANI % to earlier genomes
    skani,           // skani dist / search, columns found by their names
    mash,            // mash dist: reference, query, distance, p-value, shared hashes
    pairs,           // a b value, with or without a header
    triangle,        // lower or upper triangle PHYLIP, with or without diagonal
};

// The conversion a kind's values need when the user names none.
Conversion default_conversion(InputKind kind) noexcept;

// The kind of input whose first non-blank line is `line`, or nothing when
// the line fits no kind (or a count line, which the triangle reader tells
// apart further).
std::optional<InputKind> detect_kind(std::string_view line);

struct ReadMatrix {
    explicit ReadMatrix(bool keep_paths) : labels(keep_paths) {}
    InputKind kind = InputKind::automatic;
    LabelTable labels;
    // Row = query (the first name of a generic pair), column = reference.
    TiledMatrix values;
};

// Reads the whole input. `conversion` overrides the kind's default. Throws
// InputError with the line of the problem.
void read_input(LineReader& reader, InputKind kind, std::optional<Conversion> conversion, ReadMatrix& result);

}  // namespace tarvix::matrix
