#include "external/XoloExceptions.h"

namespace VelkCOM {

// The destructors are defined here so that the vtables and type information
// of the exceptions live in the library once; a host catching them by type
// then matches the very classes the library throws.

Velk_Exception::Velk_Exception(const std::string& message)
    : message_(message) {}

Velk_Exception::~Velk_Exception() = default;

const char* Velk_Exception::what() const noexcept { return message_.c_str(); }

NorixError::NorixError(const std::string& message) : Velk_Exception(message) {}

NorixError::~NorixError() = default;

NorixNameNotFound::NorixNameNotFound(const std::string& name)
    : NorixError("Name not found: " + name), name_(name) {}

NorixNameNotFound::~NorixNameNotFound() = default;

}  // namespace VelkCOM
