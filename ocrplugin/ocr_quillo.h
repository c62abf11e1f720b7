// ocr_quillo.dll: the exports an image viewer host calls. The plug-in forwards both functions to the
// OCR engine QuilloVuemo.dll in the folder OCR_QUILLO\ beside it. Both functions use the C calling
// convention: the caller removes the arguments.
#ifndef OCR_QUILLO_H
#define OCR_QUILLO_H

#include <stdint.h>

// The 16-byte structure the host passes by value to OCR_VuemoView. Its meaning is the host's; the
// plug-in hands it on untouched.
typedef struct SOcrViewBlock {
  uint32_t part[4];
} SOcrViewBlock;

#ifdef __cplusplus
static_assert(sizeof(SOcrViewBlock) == 16, "the host passes exactly 16 bytes");
extern "C" {
#endif

// Without an engine: writes "0.83" (5 bytes) to version and the plug-in description (32 bytes) to
// description and returns 0.
int __cdecl GetPlugInInfo(char* version, char* description);

// 40 bytes of arguments on the stack; without an engine the result is 0.
int __cdecl OCR_VuemoView(uint32_t first, uint32_t second, SOcrViewBlock block, uint32_t third, uint32_t fourth,
                          double number);

// Version and build texts, 8 bytes each, padded with zero bytes.
extern const char DllVersion[8];
extern const char DllBuild[8];

#ifdef __cplusplus
}
#endif

#endif
