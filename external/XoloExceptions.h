#ifndef VELKDATA_EXTERNAL_XOLOEXCEPTIONS_H
#define VELKDATA_EXTERNAL_XOLOEXCEPTIONS_H

#include <exception>
#include <string>

namespace VelkCOM {

// Root of the failures that the simulation session client reports. Holds
// the message given to its constructor; copyable, so it can be caught by
// value and rethrown.
class Velk_Exception : public std::exception {
 public:
  explicit Velk_Exception(const std::string& message);
  ~Velk_Exception() override;

  // The message given at construction.
  const char* what() const noexcept override;

 private:
  std::string message_;
};

// A failure of the session itself (no session, a broken link, a value that
// cannot be computed).
class NorixError : public Velk_Exception {
 public:
  explicit NorixError(const std::string& message);
  ~NorixError() override;
};

// The session does not know a value of this name. The message is
// "Name not found: " followed by the name; the name is also kept on its own
// so that callers need not parse the message.
class NorixNameNotFound : public NorixError {
 public:
  explicit NorixNameNotFound(const std::string& name);
  ~NorixNameNotFound() override;

  // The name the session did not know.
  const std::string& name() const { return name_; }

 private:
  std::string name_;
};

}  // namespace VelkCOM

#endif  // VELKDATA_EXTERNAL_XOLOEXCEPTIONS_H
