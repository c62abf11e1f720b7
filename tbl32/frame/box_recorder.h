// Test support: records every box shown and answers questions with a preset button.
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
  int answer = IDOK;

  BoxRecorder() { ztSetBoxHandler(&BoxRecorder::record, this, &oldHandler_, &oldContext_); }
  ~BoxRecorder() { ztSetBoxHandler(oldHandler_, oldContext_); }
  BoxRecorder(const BoxRecorder&) = delete;
  BoxRecorder& operator=(const BoxRecorder&) = delete;

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
