// Test support: records every box shown while it lives and answers each with a
// preset button (OK unless the test sets another).
#pragma once

#include <string>
#include <vector>

#include "zt_lib32/box_handler.h"

struct RecordedBox {
  unsigned code;
  unsigned kind;
  unsigned style;
  std::string caption;
  std::string text;
};

class BoxRecorder {
 public:
  std::vector<RecordedBox> boxes;
  int answer;

  explicit BoxRecorder(int presetAnswer = IDOK) : answer(presetAnswer) {
    ztSetBoxHandler(&BoxRecorder::record, this, &oldHandler_, &oldContext_);
  }
  ~BoxRecorder() { ztSetBoxHandler(oldHandler_, oldContext_); }
  BoxRecorder(const BoxRecorder&) = delete;
  BoxRecorder& operator=(const BoxRecorder&) = delete;

  std::vector<unsigned> Codes() const {
    std::vector<unsigned> codes;
    for (const auto& b : boxes) codes.push_back(b.code);
    return codes;
  }
  void Clear() { boxes.clear(); }

 private:
  static int record(const ZTBoxRequest* box, void* context) {
    auto* self = static_cast<BoxRecorder*>(context);
    self->boxes.push_back(
        {box->code, box->kind, box->style, box->caption ? box->caption : "", box->text ? box->text : ""});
    return self->answer;
  }
  ZTBoxHandler oldHandler_ = nullptr;
  void* oldContext_ = nullptr;
};
