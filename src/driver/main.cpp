#include <iostream>
#include <string>
#include <vector>

#include "driver/run.hpp"

int main(int argc, char** argv) {
    const std::string command = argc > 0 ? argv[0] : "tarvix";
    std::vector<std::string> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
    return tarvix::run(command, arguments, phylo::io::standard_output(), std::cerr);
}
