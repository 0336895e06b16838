// Folders of thousands of subfolders for the dialogs' big-folder tests,
// made fast: Wine's server takes one call per folder, and every test
// program of a run would otherwise make them again.
#pragma once

#include <string>
#include <thread>
#include <vector>

#include "platform/win32/win.h"
#include "tests/support/test_support.h"

namespace winharness {

// Subfolders named prefix + 0000, prefix + 0001, ... below the folder (made
// with it, its parent must exist), unless an earlier run made them all:
// each maker's last one is there. A few threads keep the server busy.
inline void MakeNumberedFolders(const std::string& folder, int count, const std::string& prefix = "")
{
    constexpr int kThreads = 4;
    CreateDirectoryA(folder.c_str(), nullptr);
    std::vector<std::string> paths = lindar_test::NumberedNames(0, count, prefix);
    for (std::string& path : paths)
        path = folder + "\\" + path;
    bool made = true;
    for (int i = count - 1; i >= 0 && i >= count - kThreads; --i)
        made = made && GetFileAttributesA(paths[size_t(i)].c_str()) != INVALID_FILE_ATTRIBUTES;
    if (made)
        return;
    std::vector<std::thread> makers;
    for (int t = 0; t < kThreads; ++t)
        makers.emplace_back([&paths, count, t] {
            for (int i = t; i < count; i += kThreads)
                CreateDirectoryA(paths[size_t(i)].c_str(), nullptr);
        });
    for (std::thread& maker : makers)
        maker.join();
}

}  // namespace winharness
