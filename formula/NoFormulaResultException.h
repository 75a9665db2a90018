#ifndef VELKDATA_FORMULA_NOFORMULARESULTEXCEPTION_H
#define VELKDATA_FORMULA_NOFORMULARESULTEXCEPTION_H

#include <exception>
#include <string>

namespace VelkData {

// The one failure through which formula problems reach the users of a
// `FormulaContainer`: an unknown variable, a division by zero, a name the
// simulation session does not know. The message says which formula failed
// and why.
class NoFormulaResultException : public std::exception {
 public:
  explicit NoFormulaResultException(const std::string& message)
      : message_(message) {}

  const char* what() const noexcept override { return message_.c_str(); }
  const std::string& message() const { return message_; }

 private:
  std::string message_;
};

}  // namespace VelkData

#endif  // VELKDATA_FORMULA_NOFORMULARESULTEXCEPTION_H
