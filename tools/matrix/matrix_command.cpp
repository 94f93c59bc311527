#include "matrix_command.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <new>

#include "byte_source.hpp"
#include "errors.hpp"
#include "progress.hpp"

#ifndef TARVIX_VERSION
#error "TARVIX_VERSION must come from the project version"
#endif

namespace tarvix::matrix {

namespace {

template <typename Value, std::size_t N>
Value choose(const std::string& option, const std::string& text,
             const std::pair<const char*, Value> (&choices)[N]) {
    std::string accepted;
    for (const auto& [name, value] : choices) {
        if (text == name) return value;
        accepted += accepted.empty() ? "" : ", ";
        accepted += name;
    }
    throw UsageError("option " + option + ": '" + text + "' is none of " + accepted);
}

// Writes everything or throws FileError.
void write_all(int fd, std::string_view text, const std::string& name) {
    while (!text.empty()) {
        const ssize_t written = ::write(fd, text.data(), text.size());
        if (written < 0) {
            if (errno == EINTR) continue;
            throw FileError(name + ": cannot write: " + std::strerror(errno));
        }
        text.remove_prefix(static_cast<std::size_t>(written));
    }
}

// The -o file: written to a temporary file beside it, renamed over it once
// complete, so that a failure leaves the old file (or none) in place. A
// target that is no regular file (/dev/null, a pipe) is written directly:
// renaming over it would replace the device or the pipe.
void write_to_file(const ReadMatrix& matrix, const std::string& given_path) {
    std::error_code ignored;
    std::string name = std::filesystem::absolute(given_path, ignored).lexically_normal().string();
    if (name.empty()) name = given_path;
    struct stat status {};
    const bool exists = ::stat(given_path.c_str(), &status) == 0;
    if (exists && !S_ISREG(status.st_mode)) {
        const int fd = ::open(given_path.c_str(), O_WRONLY | O_CLOEXEC);
        if (fd < 0) throw FileError(name + ": cannot open: " + std::strerror(errno));
        try {
            write_phylip(matrix, [&](std::string_view text) { write_all(fd, text, name); });
        } catch (...) {
            ::close(fd);
            throw;
        }
        if (::close(fd) != 0) throw FileError(name + ": cannot write: " + std::strerror(errno));
        return;
    }
    // A symbolic link stays a link: the file it points to is replaced.
    std::filesystem::path link = given_path;
    for (int depth = 0; depth < 40 && std::filesystem::is_symlink(link, ignored); ++depth) {
        const std::filesystem::path target = std::filesystem::read_symlink(link, ignored);
        if (ignored) break;
        link = target.is_absolute() ? target : link.parent_path() / target;
    }
    const std::string path = link.string();
    std::string temporary = path + ".tmpXXXXXX";
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0) throw FileError(name + ": cannot create: " + std::strerror(errno));
    // The permissions of the file replaced, or those a new file would get.
    mode_t mode = status.st_mode & 07777;
    if (!exists) {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    ::fchmod(fd, mode);
    try {
        write_phylip(matrix, [&](std::string_view text) { write_all(fd, text, name); });
        if (::close(fd) != 0) {
            const int error = errno;
            ::unlink(temporary.c_str());
            throw FileError(name + ": cannot write: " + std::strerror(error));
        }
    } catch (const FileError&) {
        ::close(fd);
        ::unlink(temporary.c_str());
        throw;
    }
    if (::rename(temporary.c_str(), path.c_str()) != 0) {
        const int error = errno;
        ::unlink(temporary.c_str());
        throw FileError(name + ": cannot write: " + std::strerror(error));
    }
}

}  // namespace

const std::string& matrix_usage() {
    static const std::string usage =
        "usage: tarvix-matrix [-i KIND] [-c CONVERSION] [-a MODE] [-m VALUE] [-k] [-o FILE] [FILE]\n"
        "Turns the output of fastANI, skani, mash, pair lists or triangles into the square\n"
        "extended PHYLIP matrix that tarvix reads.\n"
        "  -i, --input KIND         auto (default), fastani, fastani-matrix, skani, mash,\n"
        "                           pairs, triangle\n"
        "  -c, --convert CONVERSION percent: (100 - x) / 100; fraction: 1 - x; none\n"
        "                           (default: percent for fastANI and skani, else none)\n"
        "  -a, --asymmetric MODE    mean (default), min, max, both: both directions kept\n"
        "  -m, --missing VALUE      the distance of pairs the input lacks (default: an error)\n"
        "  -k, --keep-paths         keep folders and file extensions in labels\n"
        "  -o, --output FILE        write the matrix to FILE instead of standard output\n"
        "  -h, --help, --version\n"
        "FILE is read, or standard input when FILE is - or missing.\n";
    return usage;
}

MatrixOptions parse_matrix_options(const std::vector<std::string>& arguments) {
    MatrixOptions options;
    bool have_input = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        auto value = [&]() -> const std::string& {
            if (i + 1 == arguments.size()) throw UsageError("option " + argument + " needs a value");
            return arguments[++i];
        };
        if (argument == "-h" || argument == "--help") {
            options.help = true;
        } else if (argument == "--version") {
            options.version = true;
        } else if (argument == "-i" || argument == "--input") {
            static const std::pair<const char*, InputKind> kinds[] = {
                {"auto", InputKind::automatic},  {"fastani", InputKind::fastani},
                {"fastani-matrix", InputKind::fastani_matrix}, {"skani", InputKind::skani},
                {"mash", InputKind::mash},       {"pairs", InputKind::pairs},
                {"triangle", InputKind::triangle}};
            options.kind = choose(argument, value(), kinds);
        } else if (argument == "-c" || argument == "--convert") {
            static const std::pair<const char*, Conversion> conversions[] = {
                {"percent", Conversion::percent}, {"fraction", Conversion::fraction}, {"none", Conversion::none}};
            options.conversion = choose(argument, value(), conversions);
        } else if (argument == "-a" || argument == "--asymmetric") {
            static const std::pair<const char*, Asymmetry> modes[] = {
                {"mean", Asymmetry::mean}, {"min", Asymmetry::min}, {"max", Asymmetry::max}, {"both", Asymmetry::both}};
            options.asymmetry = choose(argument, value(), modes);
        } else if (argument == "-m" || argument == "--missing") {
            const std::string& text = value();
            std::string scratch;
            try {
                options.missing = to_distance(text, Conversion::none, scratch);
            } catch (const ValueError& e) {
                throw UsageError("option " + argument + ": " + e.what());
            }
        } else if (argument == "-k" || argument == "--keep-paths") {
            options.keep_paths = true;
        } else if (argument == "-o" || argument == "--output") {
            options.output = value();
        } else if (argument.size() > 1 && argument[0] == '-') {
            throw UsageError("unknown option " + argument);
        } else {
            if (have_input) throw UsageError("one input file at most, not " + options.input + " and " + argument);
            options.input = argument;
            have_input = true;
        }
    }
    return options;
}

int run_matrix(const std::vector<std::string>& arguments, std::ostream& standard_error) {
    std::string name;
    try {
        const MatrixOptions options = parse_matrix_options(arguments);
        if (options.help) {
            write_all(1, matrix_usage(), "*stdout");
            return 0;
        }
        if (options.version) {
            write_all(1, "tarvix-matrix " TARVIX_VERSION "\n", "*stdout");
            return 0;
        }
        const auto source = open_source(options.input);
        name = source->name();
        ReadMatrix matrix(options.keep_paths);
        {
            Progress progress(::isatty(2) == 1);
            LineReader reader(*source, std::size_t{1} << 20, &progress);
            try {
                read_input(reader, options.kind, options.conversion, matrix);
            } catch (const InputError& e) {
                progress.finish();
                throw;
            }
        }
        complete(matrix, options.asymmetry, options.missing);
        if (options.output) {
            write_to_file(matrix, *options.output);
        } else {
            write_phylip(matrix, [](std::string_view text) { write_all(1, text, "*stdout"); });
        }
        return 0;
    } catch (const UsageError& e) {
        standard_error << "tarvix-matrix: " << e.what() << "\n" << matrix_usage().substr(0, matrix_usage().find('\n') + 1);
    } catch (const InputError& e) {
        standard_error << "tarvix-matrix: " << name << ": ";
        if (e.line() > 0) standard_error << "line " << e.line() << ": ";
        standard_error << e.what() << "\n";
    } catch (const FileError& e) {
        standard_error << "tarvix-matrix: " << e.what() << "\n";
    } catch (const std::bad_alloc&) {
        standard_error << "tarvix-matrix: not enough memory\n";
    }
    return 1;
}

}  // namespace tarvix::matrix
