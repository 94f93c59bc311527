#include "errors.hpp"

#include <new>
#include <stdexcept>

#include "phylo/errors.hpp"
#include "text_utils/text_utils.hpp"

namespace py = pybind11;

namespace tarvix::python {

namespace {

// Set once when the module is imported, never released: the classes live as
// long as the interpreter.
PyObject* error_class = nullptr;
PyObject* input_error_class = nullptr;
PyObject* range_error_class = nullptr;

PyObject* make_class(py::module_& module, const char* name, PyObject* bases, const char* doc) {
    const std::string qualified = std::string("tarvix.") + name;
    PyObject* cls = PyErr_NewExceptionWithDoc(qualified.c_str(), doc, bases, nullptr);
    if (!cls) throw py::error_already_set();
    module.add_object(name, py::handle(cls).inc_ref());
    return cls;
}

void raise(PyObject* cls, const std::string& text) { PyErr_SetString(cls, text.c_str()); }

}  // namespace

void bad_input(const std::string& message) { throw BadInput{message}; }

void register_errors(py::module_& module) {
    error_class = make_class(module, "Error", PyExc_Exception,
                             "Base class of every failure the tarvix module reports.");
    const py::tuple input_bases = py::make_tuple(py::handle(error_class), py::handle(PyExc_ValueError));
    input_error_class = make_class(module, "InputError", input_bases.ptr(),
                                   "Bad input: a matrix that is not square or holds a NaN, a partition of "
                                   "another length, an unreadable or malformed file.");
    const py::tuple range_bases = py::make_tuple(py::handle(error_class), py::handle(PyExc_ValueError));
    range_error_class = make_class(module, "RangeError", range_bases.ptr(),
                                   "A value outside its range: a fraction of links outside -1 .. 1, a threshold "
                                   "range that gives no thresholds, a distance the engine cannot use.");

    py::register_exception_translator([](std::exception_ptr failure) {
        if (!failure) return;
        // The same order and texts as the command line's failure handler.
        try {
            std::rethrow_exception(failure);
        } catch (const BadInput& e) {
            raise(input_error_class, e.message);
        } catch (const phylo::InvalidFilename& e) {
            raise(input_error_class, std::string("Invalid filename. ") + e.what());
        } catch (const phylo::DataError& e) {
            raise(input_error_class, std::string("Wrong file format. ") + e.what());
        } catch (const phylo::RangeError& e) {
            raise(range_error_class, e.heading() + ": " + e.what());
        } catch (const phylo::OptionError& e) {
            raise(range_error_class, e.heading() + ": " + e.what());
        } catch (const phylo::ResourceError& e) {
            raise(error_class, e.heading() + ": " + e.what());
        } catch (const phylo::OutputError& e) {
            raise(error_class, e.heading() + ": " + e.what());
        } catch (const phylo::Error& e) {
            raise(input_error_class, e.heading() + ": " + e.what());
        } catch (const text_utils::PatternError& e) {
            raise(input_error_class, std::string("pattern error: ") + e.what());
        } catch (const std::bad_alloc&) {
            raise(PyExc_MemoryError, "resource error: not enough memory");
        } catch (const std::length_error&) {
            raise(PyExc_MemoryError, "resource error: not enough memory");
        }
        // Anything else (pybind11's own exceptions) goes to the next translator.
    });
}

}  // namespace tarvix::python
