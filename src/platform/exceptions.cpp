#include "platform/exceptions.h"

#include <utility>

// Never inlined: the return address must be the raise site in the caller's code.
__attribute__((noinline)) Exception::Exception(std::string message)
    : Exception(std::move(message), __builtin_return_address(0)) {}

Exception::Exception(std::string message, const void* raise_address)
    : message_(std::move(message)), raise_address_(raise_address) {}

__attribute__((noinline)) ERegistryException::ERegistryException(std::string message)
    : Exception(std::move(message), __builtin_return_address(0)) {}
