// Loads zt_tbl32.dll the way an application does: by name, exports by plain name.
#include <windows.h>

#include <gtest/gtest.h>

namespace {

struct ListBoxLayout {
  unsigned selIndex, selValue, count;
  const unsigned* entries;
  void* library;
};

const char* const kExports[] = {"ztGetTbl32Version", "ztDispTbl32Version", "ztSetTbl32Language", "DllVersion",
                                "DllBuild",          "lbFldTypes",         "lbJustTypes"};

template <class F>
F proc(HMODULE lib, const char* name) {
  return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(lib, name)));
}

}  // namespace

TEST(Loader, EveryPlainNamedExportIsFound) {
  HMODULE lib = LoadLibraryA("zt_tbl32.dll");
  ASSERT_NE(nullptr, lib);
  for (const char* name : kExports) EXPECT_NE(nullptr, GetProcAddress(lib, name)) << name;
  auto version = proc<unsigned (*)()>(lib, "ztGetTbl32Version");
  EXPECT_EQ(256u, version());
  EXPECT_STREQ("1.00", reinterpret_cast<const char*>(GetProcAddress(lib, "DllVersion")));
  EXPECT_STREQ("0087", reinterpret_cast<const char*>(GetProcAddress(lib, "DllBuild")));
  auto* fldTypes = reinterpret_cast<const ListBoxLayout*>(GetProcAddress(lib, "lbFldTypes"));
  EXPECT_EQ(0u, fldTypes->selIndex);
  EXPECT_EQ(0xFFFFFFFFu, fldTypes->selValue);
  EXPECT_EQ(25u, fldTypes->count);
  auto* justTypes = reinterpret_cast<const ListBoxLayout*>(GetProcAddress(lib, "lbJustTypes"));
  EXPECT_EQ(3u, justTypes->count);
  EXPECT_EQ(590u, justTypes->entries[1]);
  EXPECT_TRUE(FreeLibrary(lib));
}

TEST(Loader, EveryLanguageLibraryLoadedIsFreedExactlyOnce) {
  // Our own references: if the library freed a language library twice, ours would go.
  HMODULE ownD = LoadLibraryA("zt_tblrcD.dll");
  HMODULE ownE = LoadLibraryA("zt_tblrcE.dll");
  ASSERT_NE(nullptr, ownD);
  ASSERT_NE(nullptr, ownE);
  HMODULE lib = LoadLibraryA("zt_tbl32.dll");
  ASSERT_NE(nullptr, lib);
  auto setLanguage = proc<int (*)(const char*)>(lib, "ztSetTbl32Language");
  EXPECT_NE(0, setLanguage("E"));
  EXPECT_NE(0, setLanguage("D"));
  EXPECT_EQ(0, setLanguage("Q"));
  EXPECT_NE(0, setLanguage("E"));
  EXPECT_TRUE(FreeLibrary(lib));
  EXPECT_EQ(nullptr, GetModuleHandleA("zt_tbl32.dll"));
  EXPECT_EQ(ownD, GetModuleHandleA("zt_tblrcD.dll"));
  EXPECT_EQ(ownE, GetModuleHandleA("zt_tblrcE.dll"));
  FreeLibrary(ownD);
  FreeLibrary(ownE);
  EXPECT_EQ(nullptr, GetModuleHandleA("zt_tblrcD.dll"));
  EXPECT_EQ(nullptr, GetModuleHandleA("zt_tblrcE.dll"));
}

TEST(Loader, NoLanguageLibraryIsLeftAfterUnload) {
  HMODULE lib = LoadLibraryA("zt_tbl32.dll");
  ASSERT_NE(nullptr, lib);
  auto setLanguage = proc<int (*)(const char*)>(lib, "ztSetTbl32Language");
  EXPECT_NE(nullptr, GetModuleHandleA("zt_tblrcD.dll"));
  setLanguage("E");
  EXPECT_EQ(nullptr, GetModuleHandleA("zt_tblrcD.dll"));
  EXPECT_NE(nullptr, GetModuleHandleA("zt_tblrcE.dll"));
  FreeLibrary(lib);
  EXPECT_EQ(nullptr, GetModuleHandleA("zt_tblrcE.dll"));
}
