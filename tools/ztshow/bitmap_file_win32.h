// Metafiles drawn into bitmap files.
#pragma once

#include <windows.h>

// An enhanced metafile drawn at dpi dots per inch on white. int: 1 written.
int ztWriteMetafileBitmap(const char* metafile, unsigned dpi, const char* path);
