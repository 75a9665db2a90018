#include "TestUtil.h"

#include <unistd.h>

#include <QString>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>

namespace velktest {

DebugCapture* DebugCapture::current_ = nullptr;

DebugCapture::DebugCapture() {
  current_ = this;
  previous_ = qInstallMessageHandler(&DebugCapture::handler);
}

DebugCapture::~DebugCapture() {
  qInstallMessageHandler(previous_);
  current_ = nullptr;
}

std::string DebugCapture::joined() const {
  std::string out;
  for (size_t i = 0; i < lines_.size(); ++i) {
    if (i) out += "|";
    out += lines_[i];
  }
  return out;
}

void DebugCapture::handler(QtMsgType, const QMessageLogContext&,
                           const QString& message) {
  if (current_) current_->lines_.push_back(message.toStdString());
}

StdoutCapture::StdoutCapture() : done_(false) {
  char name[] = "/tmp/velktest_stdout_XXXXXX";
  int fd = mkstemp(name);
  path_ = name;
  std::fflush(stdout);
  std::cout.flush();
  savedFd_ = dup(fileno(stdout));
  dup2(fd, fileno(stdout));
  close(fd);
}

StdoutCapture::~StdoutCapture() { text(); }

std::string StdoutCapture::text() {
  if (!done_) {
    std::cout.flush();
    std::fflush(stdout);
    dup2(savedFd_, fileno(stdout));
    close(savedFd_);
    std::ifstream in(path_, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    text_ = ss.str();
    std::remove(path_.c_str());
    done_ = true;
  }
  return text_;
}

}  // namespace velktest
