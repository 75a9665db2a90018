#ifndef VELKDATA_TESTS_SUPPORT_TESTUTIL_H
#define VELKDATA_TESTS_SUPPORT_TESTUTIL_H

#include <gtest/gtest.h>

#include <QtGlobal>
#include <string>
#include <vector>

// Asserts that `statement` throws `ExceptionType` whose what() is exactly
// `message`; texts of messages are part of the interface.
#define EXPECT_THROW_MSG(statement, ExceptionType, message)                   \
  do {                                                                        \
    std::string velk_caught_;                                                 \
    bool velk_thrown_ = false;                                                \
    try {                                                                     \
      statement;                                                              \
    } catch (const ExceptionType& e) {                                        \
      velk_thrown_ = true;                                                    \
      velk_caught_ = e.what();                                                \
    }                                                                         \
    EXPECT_TRUE(velk_thrown_) << #statement " did not throw " #ExceptionType; \
    if (velk_thrown_) {                                                       \
      EXPECT_EQ(std::string(message), velk_caught_);                          \
    }                                                                         \
  } while (0)

namespace velktest {

// Collects every Qt debug/warning line written while it is alive.
// Only one capture may be alive at a time.
class DebugCapture {
 public:
  DebugCapture();
  ~DebugCapture();
  DebugCapture(const DebugCapture&) = delete;
  DebugCapture& operator=(const DebugCapture&) = delete;

  const std::vector<std::string>& lines() const { return lines_; }
  // All lines joined with "|" for compact comparisons.
  std::string joined() const;

 private:
  static void handler(QtMsgType type, const QMessageLogContext& context,
                      const QString& message);
  static DebugCapture* current_;
  QtMessageHandler previous_;
  std::vector<std::string> lines_;
};

// Captures what is written to the C stdout stream while alive.
class StdoutCapture {
 public:
  StdoutCapture();
  ~StdoutCapture();
  StdoutCapture(const StdoutCapture&) = delete;
  StdoutCapture& operator=(const StdoutCapture&) = delete;
  // Stops capturing (if still capturing) and returns everything written.
  std::string text();

 private:
  int savedFd_;
  std::string path_;
  bool done_;
  std::string text_;
};

}  // namespace velktest

#endif
