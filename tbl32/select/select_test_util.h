// Test helpers of the selection expressions: a box recorder and log capture.
#pragma once

#include <stdio.h>

#include <string>
#include <vector>

#include "zt_tbl32/frame.h"

namespace select_test {

// Records every box shown while it lives; answers with OK.
class BoxRecorder {
 public:
  struct Box {
    unsigned code;
    unsigned kind;
    std::string text;
  };
  BoxRecorder() { ztSetBoxHandler(&BoxRecorder::Handle, this, &oldHandler_, &oldContext_); }
  ~BoxRecorder() { ztSetBoxHandler(oldHandler_, oldContext_); }
  std::vector<unsigned> Codes() const {
    std::vector<unsigned> codes;
    for (const Box& b : boxes) codes.push_back(b.code);
    return codes;
  }
  void Clear() { boxes.clear(); }
  std::vector<Box> boxes;

 private:
  static int Handle(const ZTBoxRequest* box, void* context) {
    static_cast<BoxRecorder*>(context)->boxes.push_back({box->code, box->kind, box->text ? box->text : ""});
    return IDOK;
  }
  ZTBoxHandler oldHandler_ = nullptr;
  void* oldContext_ = nullptr;
};

// Opens the library's log in a temporary file for the test and reads it back.
class LogCapture {
 public:
  LogCapture() {
    path_ = ::testing::TempDir() + "select_log_" + std::to_string(++counter_) + ".txt";
    ::remove(path_.c_str());
    ztOpenTbl32Log(path_.c_str());
  }
  ~LogCapture() {
    ztCloseTbl32Log();
    ::remove(path_.c_str());
  }
  std::string Text() {
    ztCloseTbl32Log();
    std::string text;
    if (FILE* f = fopen(path_.c_str(), "rb")) {
      char buf[4096];
      size_t n;
      while ((n = fread(buf, 1, sizeof(buf), f)) > 0) text.append(buf, n);
      fclose(f);
    }
    ztOpenTbl32Log(path_.c_str());
    return text;
  }

 private:
  std::string path_;
  static inline int counter_ = 0;
};

}  // namespace select_test

using select_test::BoxRecorder;
using select_test::LogCapture;
