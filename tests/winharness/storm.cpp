#include "tests/winharness/storm.h"

#include <gtest/gtest.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <dbghelp.h>

namespace winharness {

namespace {

std::atomic<uint64_t> g_progress{0};
std::atomic<const char*> g_doing{"start"};
// The current run's start and length (0: no run, no limit).
std::atomic<DWORD> g_runStart{0};
std::atomic<DWORD> g_runLength{0};

// Written straight to the handle: no stream lock another thread may hold
// when it stopped, no heap.
void RawPrint(const char* format, ...)
{
    char line[512];
    va_list args;
    va_start(args, format);
    const int n = std::vsnprintf(line, sizeof line, format, args);
    va_end(args);
    if (n <= 0)
        return;
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_ERROR_HANDLE), line, DWORD(n < int(sizeof line) ? n : int(sizeof line) - 1), &written,
              nullptr);
}

// An access violation (a heap check on a corrupt heap, say) ends the
// process at once, saying after what: timer callbacks would swallow it.
LONG CALLBACK AccessViolation(EXCEPTION_POINTERS* e)
{
    static std::atomic<bool> once{false};
    if (e->ExceptionRecord->ExceptionCode != EXCEPTION_ACCESS_VIOLATION || once.exchange(true))
        return EXCEPTION_CONTINUE_SEARCH;
    RawPrint("access violation after \"%s\" ", g_doing.load());
    PrintStack(*e->ContextRecord, true);
    TerminateProcess(GetCurrentProcess(), 4);
    return EXCEPTION_CONTINUE_SEARCH;
}

// Every access violation where it happens, also one a handler takes.
LONG CALLBACK FirstChance(EXCEPTION_POINTERS* e)
{
    static thread_local bool inside = false;  // the report's own lookups may fault
    if (e->ExceptionRecord->ExceptionCode == EXCEPTION_ACCESS_VIOLATION && !inside) {
        inside = true;
        RawPrint("first chance %08lx after \"%s\" ", static_cast<unsigned long>(e->ExceptionRecord->ExceptionCode),
                 g_doing.load());
        PrintStack(*e->ContextRecord, true);
        inside = false;
    }
    return EXCEPTION_CONTINUE_SEARCH;
}

// A crash says where it happened before the process ends.
LONG WINAPI Crashed(EXCEPTION_POINTERS* e)
{
    // The system's debugger, when one is set up, gives the full stack.
    if (EnvInt("LINDAR_STORM_JIT", 0))
        return EXCEPTION_CONTINUE_SEARCH;
    RawPrint("exception %08lx after \"%s\" ", static_cast<unsigned long>(e->ExceptionRecord->ExceptionCode),
             g_doing.load());
    PrintStack(*e->ContextRecord, true);
    return EXCEPTION_EXECUTE_HANDLER;
}

void PrintLookups(const CONTEXT& context, uintptr_t ip, uintptr_t sp)
{
    HMODULE module = nullptr;
    char name[MAX_PATH] = "?";
    if (GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                           reinterpret_cast<LPCSTR>(ip), &module))
        GetModuleFileNameA(module, name, sizeof name);
    RawPrint("in %s\n", name);
    // The frames as the system's stack walk finds them (module + offset).
    static const bool symbols = SymInitialize(GetCurrentProcess(), nullptr, TRUE) != FALSE;
    if (!symbols)
        return;
    CONTEXT copy = context;
    STACKFRAME64 frame = {};
    frame.AddrPC.Offset = ip;
    frame.AddrPC.Mode = AddrModeFlat;
    frame.AddrStack.Offset = sp;
    frame.AddrStack.Mode = AddrModeFlat;
#ifdef _M_IX86
    frame.AddrFrame.Offset = context.Ebp;
    const DWORD machine = IMAGE_FILE_MACHINE_I386;
#else
    frame.AddrFrame.Offset = context.Rbp;
    const DWORD machine = IMAGE_FILE_MACHINE_AMD64;
#endif
    frame.AddrFrame.Mode = AddrModeFlat;
    RawPrint("frames:");
    for (int n = 0; n < 64 && StackWalk64(machine, GetCurrentProcess(), GetCurrentThread(), &frame, &copy, nullptr,
                                          SymFunctionTableAccess64, SymGetModuleBase64, nullptr);
         ++n) {
        const DWORD64 pc = frame.AddrPC.Offset;
        char moduleName[MAX_PATH] = "?";
        HMODULE m = nullptr;
        if (GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                               reinterpret_cast<LPCSTR>(uintptr_t(pc)), &m))
            GetModuleFileNameA(m, moduleName, sizeof moduleName);
        const char* shortName = std::strrchr(moduleName, '\\');
        RawPrint(" %s+%lx", shortName ? shortName + 1 : moduleName, static_cast<unsigned long>(pc - uintptr_t(m)));
    }
    RawPrint("\n");
}

}  // namespace

int EnvInt(const char* name, int fallback)
{
    const char* value = std::getenv(name);
    return value && *value ? std::atoi(value) : fallback;
}

void StormProgress() { ++g_progress; }
void StormDoing(const char* what) { g_doing = what; }
const char* StormDoing() { return g_doing.load(); }

bool StormTimeUp()
{
    const DWORD length = g_runLength.load();
    return length && GetTickCount() - g_runStart.load() >= length;
}

bool HeapsValid()
{
    HANDLE heaps[64];
    const DWORD n = GetProcessHeaps(64, heaps);
    for (DWORD i = 0; i < n && i < 64; ++i)
        if (!HeapValidate(heaps[i], 0, nullptr))
            return false;
    return true;
}

void PrintStack(const CONTEXT& context, bool lookups)
{
    const auto base = reinterpret_cast<uintptr_t>(GetModuleHandleA(nullptr));
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + uintptr_t(dos->e_lfanew));
    const uintptr_t end = base + nt->OptionalHeader.SizeOfImage;
#ifdef _M_IX86
    const uintptr_t ip = context.Eip, sp = context.Esp;
#else
    const uintptr_t ip = context.Rip, sp = context.Rsp;
#endif
    RawPrint("at %p (sp %p); return addresses on the stack:", reinterpret_cast<void*>(ip),
             reinterpret_cast<void*>(sp));
    MEMORY_BASIC_INFORMATION region = {};
    VirtualQuery(reinterpret_cast<void*>(sp), &region, sizeof region);
    const uintptr_t top = reinterpret_cast<uintptr_t>(region.BaseAddress) + region.RegionSize;
    int shown = 0;
    uintptr_t last = 0;
    for (uintptr_t at = sp; at + sizeof(uintptr_t) <= top && shown < 120; at += sizeof(uintptr_t)) {
        const uintptr_t word = *reinterpret_cast<const uintptr_t*>(at);
        if (word >= base + 0x1000 && word < end && word != last) {
            last = word;
            RawPrint(" %p", reinterpret_cast<void*>(word));
            ++shown;
        }
    }
    RawPrint("\n");
    if (lookups)
        PrintLookups(context, ip, sp);
}

CrashReport::CrashReport()
{
    // The runtime buffers stderr when it is not a console: a crash would
    // take its report with it.
    std::setvbuf(stderr, nullptr, _IONBF, 0);
    m_before = SetUnhandledExceptionFilter(Crashed);
    if (EnvInt("LINDAR_STORM_FIRSTCHANCE", 0))
        m_firstChance = AddVectoredExceptionHandler(1, FirstChance);
}

CrashReport::~CrashReport()
{
    if (m_firstChance)
        RemoveVectoredExceptionHandler(m_firstChance);
    SetUnhandledExceptionFilter(m_before);
}

Watchdog::Watchdog(uint64_t seed, DWORD stuckMs)
{
    DuplicateHandle(GetCurrentProcess(), GetCurrentThread(), GetCurrentProcess(), &m_main, 0, FALSE,
                    DUPLICATE_SAME_ACCESS);
    m_thread = std::thread([this, seed, stuckMs] {
        uint64_t last = g_progress.load();
        DWORD since = GetTickCount();
        while (!m_stop.load()) {
            Sleep(200);
            const uint64_t now = g_progress.load();
            if (now != last) {
                last = now;
                since = GetTickCount();
                continue;
            }
            if (GetTickCount() - since <= stuckMs)
                continue;
            RawPrint("storm seed %llu: no progress for %lu ms, doing \"%s\"\nstuck ",
                     static_cast<unsigned long long>(seed), static_cast<unsigned long>(stuckMs), g_doing.load());
            CONTEXT context = {};
            context.ContextFlags = CONTEXT_CONTROL;
            if (SuspendThread(m_main) != DWORD(-1) && GetThreadContext(m_main, &context))
                PrintStack(context, false);
            TerminateProcess(GetCurrentProcess(), 3);
        }
    });
}

Watchdog::~Watchdog()
{
    m_stop = true;
    m_thread.join();
    CloseHandle(m_main);
}

void StormSubject::Count(const char* what)
{
    ++counts[what];
    g_doing = what;
    static const bool trace = EnvInt("LINDAR_STORM_TRACE", 0) != 0;
    if (trace) {
        std::fprintf(stderr, "%*s%llu %s\n", depth * 2, "", static_cast<unsigned long long>(steps), what);
        HeapsSound();
    }
}

bool StormSubject::Settle(DWORD busyMs)
{
    const DWORD start = GetTickCount();
    std::map<std::pair<std::string, UINT>, int> busy;
    MSG msg;
    for (;;) {
        bool any = false;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            any = true;
            ++g_progress;
            if (GetTickCount() - start > busyMs / 2) {
                char name[32] = "-";
                if (msg.hwnd)
                    GetClassNameA(msg.hwnd, name, sizeof name);
                ++busy[{name, msg.message}];
            }
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
            if (GetTickCount() - start > busyMs)
                break;
        }
        if (!any && GetQueueStatus(QS_ALLINPUT) == 0)
            return true;
        if (GetTickCount() - start > busyMs) {
            failure = "step " + std::to_string(steps) + ": the queue stays busy:";
            for (const auto& [what, n] : busy) {
                char number[16];
                std::snprintf(number, sizeof number, "%X", what.second);
                failure += " " + what.first + "/0x" + number + " x" + std::to_string(n);
            }
            return false;
        }
    }
}

bool StormSubject::HeapsSound()
{
    static const bool check = EnvInt("LINDAR_STORM_HEAPCHECK", 0) != 0;
    if (!check)
        return true;
    // Said first: a corrupt heap may end the process inside the check.
    RawPrint("heap check after step %llu, \"%s\" (depth %d)\n", static_cast<unsigned long long>(steps),
             g_doing.load(), depth);
    static const PVOID handler = AddVectoredExceptionHandler(1, AccessViolation);
    (void)handler;
    if (!HeapsValid()) {
        failure = "step " + std::to_string(steps) + ": a heap is corrupt after \"" + g_doing.load() + "\"";
        return false;
    }
    return true;
}

bool StormSubject::Run(DWORD milliseconds)
{
    g_runStart = GetTickCount();
    g_runLength = milliseconds ? milliseconds : 1;
    bool ok = true;
    while (ok && !StormTimeUp()) {
        Step();
        ok = Settle() && AfterStep();
    }
    g_runLength = 0;
    return ok && Finish();
}

void StormSubject::Step()
{
    if (!HeapsSound()) {
        RawPrint("%s\n", failure.c_str());
        TerminateProcess(GetCurrentProcess(), 4);
    }
    ++steps;
    ++g_progress;
    Act();
}

std::string StormSubject::Summary() const
{
    std::string s = "seed " + std::to_string(seed) + ", " + std::to_string(steps) + " steps:";
    for (const auto& [what, n] : counts)
        s += " " + what + " " + std::to_string(n) + ",";
    return s;
}

void RunSeededStorms(const std::function<std::unique_ptr<StormSubject>(uint64_t seed)>& make, int defaultSeconds)
{
    CrashReport report;
    const int seconds = EnvInt("LINDAR_STORM_SECONDS", defaultSeconds);
    const int first = EnvInt("LINDAR_STORM_SEED", 1);
    for (int seed = first; seed < first + 2; ++seed) {
        std::unique_ptr<StormSubject> storm = make(uint64_t(seed));
        bool ok = false;
        {
            Watchdog watchdog(storm->seed);
            ok = storm->Run(DWORD(seconds) * 1000);
        }
        std::printf("%s\n", storm->Summary().c_str());
        std::fflush(stdout);
        EXPECT_TRUE(ok) << "seed " << seed << ": " << storm->failure;
    }
}

}  // namespace winharness
