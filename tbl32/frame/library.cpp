#include "zt_tbl32/frame.h"

namespace {
// Column types of the editable field table: value v has string 2020 + v.
const ZTListEntry kFldTypes[] = {
    {0, 2020},  {1, 2021},  {2, 2022},  {3, 2023},  {4, 2024},  {5, 2025},  {6, 2026},  {10, 2030}, {11, 2031},
    {12, 2032}, {13, 2033}, {14, 2034}, {15, 2035}, {16, 2036}, {17, 2037}, {18, 2038}, {19, 2039}, {20, 2040},
    {21, 2041}, {22, 2042}, {40, 2060}, {41, 2061}, {42, 2062}, {43, 2063}, {44, 2064},
};
// Justifications: left, centred, right.
const ZTListEntry kJustTypes[] = {{0, 590}, {2, 591}, {1, 592}};
}  // namespace

// The list boxes keep only the library object's address: they are constant-
// initialised and never call it during construction.
CZTListBox lbFldTypes(sizeof(kFldTypes) / sizeof(kFldTypes[0]), kFldTypes, &ztTbl32Lib);
CZTListBox lbJustTypes(sizeof(kJustTypes) / sizeof(kJustTypes[0]), kJustTypes, &ztTbl32Lib);

char DllVersion[8] = "1.00";
char DllBuild[8] = "0087";

CZTLibrary ztTbl32Lib("zt_tbl32.dll", "zt_tblrc$.dll", "D", "zt_tbl32 (Release 1.00, Build 0087)");

#ifndef _WIN32
// No loader calls an entry point natively: attach right after the library object
// exists (same translation unit, so the order is fixed), detach at unload.
int ztTbl32NativeAttach();
static const int s_nativeAttached = ztTbl32NativeAttach();
#endif

unsigned ztGetTbl32Version(void) { return kTbl32Version; }

int ztSetTbl32Language(const char* language) { return ztTbl32Lib.SetLanguageId(language); }

int ztOpenTbl32Log(const char* fileName) { return ztTbl32Lib.OpenLog(fileName, 1); }

void ztCloseTbl32Log(void) { ztTbl32Lib.CloseLog(); }
