// CZTFileTree::BrowseDrive against a bare FindFirstFile/FindNextFile walk of the
// same tree in the same run (warm cache), and findFile per call. Windows build,
// run under Wine by bench/file_tree_bench.sh, which makes the trees:
//
//   file_tree_bench.exe ROOT [RUNS]
//
// Times are the best of RUNS (default 5) after one run of each to warm the
// cache; wall clock and the process's processor time (user and kernel).
#include <windows.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "zt_tbl32.h"

namespace {

struct Times {
  double wall = 1e30, cpu = 1e30;
};

double Now() {
  LARGE_INTEGER frequency, counter;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&counter);
  return static_cast<double>(counter.QuadPart) / frequency.QuadPart;
}

double CpuNow() {
  FILETIME created, exited, kernel, user;
  GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
  auto seconds = [](const FILETIME& t) {
    return ((static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 1e7;
  };
  return seconds(kernel) + seconds(user);
}

template <class F>
void Measure(Times& best, F run) {
  const double wall = Now(), cpu = CpuNow();
  run();
  best.wall = std::min(best.wall, Now() - wall);
  best.cpu = std::min(best.cpu, CpuNow() - cpu);
}

// The peer: every directory searched with FindFirstFile/FindNextFile, breadth
// first, counting directories and files.
void BareWalk(const std::string& root, unsigned* dirs, unsigned* files) {
  std::vector<std::string> pending{root + "\\"};
  *dirs = 0;
  *files = 0;
  WIN32_FIND_DATAA found;
  for (size_t i = 0; i < pending.size(); ++i) {
    ++*dirs;
    HANDLE search = FindFirstFileA((pending[i] + "*.*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) continue;
    do {
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        if (strcmp(found.cFileName, ".") && strcmp(found.cFileName, ".."))
          pending.push_back(pending[i] + found.cFileName + "\\");
      } else {
        ++*files;
      }
    } while (FindNextFileA(search, &found));
    FindClose(search);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    fprintf(stderr, "usage: file_tree_bench ROOT [RUNS]\n");
    return 2;
  }
  const std::string root = argv[1];
  const int runs = argc > 2 ? atoi(argv[2]) : 5;

  unsigned dirs = 0, files = 0;
  BareWalk(root, &dirs, &files);  // warms the cache
  CZTFileTree tree;
  if (!tree.BrowseDrive(root.c_str(), nullptr)) {
    fprintf(stderr, "BrowseDrive failed\n");
    return 1;
  }
  if (tree.m_uFileCount != files || tree.m_uDirCount != dirs) {
    fprintf(stderr, "counts differ: walk %u dirs %u files, tree %u dirs %u files\n", dirs, files, tree.m_uDirCount,
            tree.m_uFileCount);
    return 1;
  }
  Times walk, browse;
  for (int r = 0; r < runs; ++r) {
    Measure(walk, [&] { BareWalk(root, &dirs, &files); });
    Measure(browse, [&] {
      if (!tree.BrowseDrive(root.c_str(), nullptr)) exit(1);
    });
  }
  printf("tree: %u folders, %u files\n", dirs, files);
  printf("%-34s %10s %10s\n", "", "wall s", "cpu s");
  printf("%-34s %10.3f %10.3f\n", "FindFirstFile/FindNextFile walk", walk.wall, walk.cpu);
  printf("%-34s %10.3f %10.3f\n", "CZTFileTree::BrowseDrive", browse.wall, browse.cpu);
  printf("%-34s %10.2f %10.2f\n", "ratio", browse.wall / walk.wall, browse.cpu / walk.cpu);

  // findFile: every file once per round, in random order, written in upper
  // case half of the time; checked against its position.
  std::vector<std::pair<std::string, unsigned>> queries;
  for (unsigned i = 0; i < tree.m_uAccepted; ++i) {
    std::string path = tree.m_pFiles[i].szPath;
    if (i % 2) CharUpperA(&path[0]);
    queries.emplace_back(path, i);
  }
  std::shuffle(queries.begin(), queries.end(), std::mt19937(3));
  const unsigned calls = std::max<unsigned>(1000000, static_cast<unsigned>(queries.size()));
  Times find;
  for (int r = 0; r < runs; ++r) {
    unsigned wrong = 0;
    Measure(find, [&] {
      for (unsigned c = 0; c < calls; ++c) {
        const auto& q = queries[c % queries.size()];
        if (tree.findFile(q.first.c_str()) != q.second) ++wrong;
      }
    });
    if (wrong) {
      fprintf(stderr, "findFile missed %u files\n", wrong);
      return 1;
    }
  }
  printf("%-34s %10.3f %10.3f  (us per call, %u files)\n", "CZTFileTree::findFile", find.wall * 1e6 / calls,
         find.cpu * 1e6 / calls, tree.m_uAccepted);
  return 0;
}
