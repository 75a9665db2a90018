#ifndef VELKDATA_FORMULA_VALUENOTFOUNDEXCEPTION_H
#define VELKDATA_FORMULA_VALUENOTFOUNDEXCEPTION_H

#include <exception>
#include <string>

namespace VelkData {

// Thrown when a text is not one of the values a cost driver knows (an
// enumeration text); the message is the text that was not found.
class ValueNotFoundException : public std::exception {
 public:
  explicit ValueNotFoundException(const std::string& message)
      : message_(message) {}

  const char* what() const noexcept override { return message_.c_str(); }

 private:
  std::string message_;
};

}  // namespace VelkData

#endif  // VELKDATA_FORMULA_VALUENOTFOUNDEXCEPTION_H
