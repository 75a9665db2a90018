#ifndef VELKDATA_PROCESSPLAN_VALUENOTFOUNDEXCEPTION_H
#define VELKDATA_PROCESSPLAN_VALUENOTFOUNDEXCEPTION_H

#include <exception>
#include <string>

namespace TamberData {

// Thrown by `PartFeature::value` for a parameter name the feature does not
// know; the message is that name.
class ValueNotFoundException : public std::exception {
 public:
  explicit ValueNotFoundException(const std::string& message)
      : message_(message) {}

  const char* what() const noexcept override { return message_.c_str(); }

 private:
  std::string message_;
};

}  // namespace TamberData

#endif  // VELKDATA_PROCESSPLAN_VALUENOTFOUNDEXCEPTION_H
