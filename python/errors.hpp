// The module's exceptions: tarvix.Error, and below it tarvix.InputError (bad
// input: the wrong shape, a NaN, a partition of another length, an unreadable
// file) and tarvix.RangeError (values outside their range, as the command
// line's range and option errors). Their text is the command line's failure
// line without the leading "tarvix: ".
#pragma once

#include <string>

#include <pybind11/pybind11.h>

namespace tarvix::python {

// Creates the classes in the module and turns the library's exceptions into them.
void register_errors(pybind11::module_& module);

// Raised by the binding's own checks of its arguments; the translator makes
// them tarvix.InputError.
struct BadInput {
    std::string message;
};

[[noreturn]] void bad_input(const std::string& message);

}  // namespace tarvix::python
