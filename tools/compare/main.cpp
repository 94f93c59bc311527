// tarvix-compare: which reference groups a clustering merges and splits.
#include <iostream>
#include <string>
#include <vector>

#include "compare_command.hpp"

int main(int argc, char** argv) {
    std::ios::sync_with_stdio(false);
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    return tarvix::compare::run_compare(arguments, std::cin, std::cout, std::cerr);
}
