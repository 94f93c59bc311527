// tarvix-matrix: turns the output of the genome comparison tools our users
// run (fastANI, skani, mash), pair lists and triangles into the square
// extended PHYLIP matrix that tarvix reads.
#include <iostream>
#include <string>
#include <vector>

#include "matrix_command.hpp"

int main(int argc, char** argv) {
    std::ios::sync_with_stdio(false);
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    return tarvix::matrix::run_matrix(arguments, std::cerr);
}
