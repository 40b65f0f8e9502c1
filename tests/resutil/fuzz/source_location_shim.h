// clang 14 cannot compile libstdc++'s std::source_location; the fuzzer only
// needs the type to exist, so it gets an empty one there.
#pragma once
#include <version>
#if !defined(__cpp_lib_source_location)
namespace std {
struct source_location {
    static constexpr source_location current() noexcept { return {}; }
    constexpr unsigned line() const noexcept { return 0; }
    constexpr unsigned column() const noexcept { return 0; }
    constexpr const char *file_name() const noexcept { return ""; }
    constexpr const char *function_name() const noexcept { return ""; }
};
} // namespace std
#endif
