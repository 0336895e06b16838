// A program that leaves a process of its own running when it ends. Wine gives
// the child this program's Unix stderr, as it gives it to the desktop process
// a program starts; the test run must end with this program all the same.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

// Well past the test's time-out: a run that waits for the child fails.
constexpr DWORD kChildMs = 60000;

}  // namespace

int main(int argc, char** argv)
{
    if (argc > 1 && std::strcmp(argv[1], "--child") == 0) {
        Sleep(kChildMs);
        return 0;
    }
    char self[MAX_PATH];
    const DWORD n = GetModuleFileNameA(nullptr, self, MAX_PATH);
    if (n == 0 || n >= MAX_PATH)
        return 1;
    std::string command = std::string("\"") + self + "\" --child";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(self, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        std::fprintf(stderr, "no child: error %lu\n", GetLastError());
        return 1;
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    std::printf("child started\n");
    return 0;
}
