// tarvix-plot: draws the verbose tables of tarvix as SVG pictures.
#include <iostream>
#include <string>
#include <vector>

#include "plot_command.hpp"

int main(int argc, char** argv) {
    std::ios::sync_with_stdio(false);
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    return tarvix::plot::run_plot(arguments, std::cin, std::cout, std::cerr);
}
