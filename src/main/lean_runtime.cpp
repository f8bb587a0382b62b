// Replacements for two corners of the static C++ run-time that would otherwise more than double the
// size of Brontiv.exe. Linked into the Windows executable only; the linker takes these definitions
// and never pulls the library's own objects that hold the originals.
//
// - The default terminate handler prints the escaping exception's demangled type name. That drags in
//   the demangler and, through it, MinGW's whole printf with its floating-point formatting (about
//   75 KB), only to write to a standard error stream that a GUI program does not have.
// - The functions that throw the standard library's own exceptions (std::length_error and the rest
//   of the logic_error family) construct them from the old copy-on-write string, which brings a
//   second complete string implementation and std::random_device (about 55 KB).
//
// Behaviour kept: allocation failures still throw std::bad_alloc, which the program reports. The
// other standard exceptions can only come from a fault in our own code, nothing catches them, and
// an uncaught exception ends in std::terminate anyway, so they go there directly.

#include <bits/functexcept.h>

#include <cstdlib>
#include <exception>
#include <new>

namespace __gnu_cxx {

void __verbose_terminate_handler() { std::abort(); }

}  // namespace __gnu_cxx

namespace std {

void __throw_bad_alloc() { throw bad_alloc(); }
void __throw_bad_array_new_length() { throw bad_array_new_length(); }

void __throw_bad_exception() { terminate(); }
void __throw_bad_cast() { terminate(); }
void __throw_bad_typeid() { terminate(); }
void __throw_logic_error(const char*) { terminate(); }
void __throw_domain_error(const char*) { terminate(); }
void __throw_invalid_argument(const char*) { terminate(); }
void __throw_length_error(const char*) { terminate(); }
void __throw_out_of_range(const char*) { terminate(); }
void __throw_out_of_range_fmt(const char*, ...) { terminate(); }
void __throw_runtime_error(const char*) { terminate(); }
void __throw_range_error(const char*) { terminate(); }
void __throw_overflow_error(const char*) { terminate(); }
void __throw_underflow_error(const char*) { terminate(); }

}  // namespace std
