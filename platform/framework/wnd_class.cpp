#include "platform/framework/wnd_class.h"

#include <cstdio>
#include <mutex>
#include <set>
#include <string>

namespace {

struct ClassNames {
    std::mutex lock;
    std::set<std::string> names;  // node-based: c_str() stays valid
};

ClassNames& Registered()
{
    static ClassNames* names = new ClassNames;  // outlives every window
    return *names;
}

}  // namespace

HINSTANCE AfxGetInstanceHandle()
{
    return GetModuleHandleA(nullptr);
}

const char* AfxRegisterWndClass(UINT classStyle, HCURSOR cursor, HBRUSH background, HICON icon)
{
    char name[96];
    std::snprintf(name, sizeof name, "Lindar:%x:%p:%p:%p", classStyle, static_cast<void*>(cursor),
                  static_cast<void*>(background), static_cast<void*>(icon));
    ClassNames& registered = Registered();
    std::lock_guard<std::mutex> hold(registered.lock);
    auto it = registered.names.find(name);
    if (it != registered.names.end())
        return it->c_str();
    WNDCLASSA wc = {};
    wc.style = classStyle;
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = AfxGetInstanceHandle();
    wc.hCursor = cursor;
    wc.hbrBackground = background;
    wc.hIcon = icon;
    wc.lpszClassName = name;
    WNDCLASSA existing = {};
    if (!GetClassInfoA(wc.hInstance, name, &existing) && !RegisterClassA(&wc))
        return nullptr;
    return registered.names.insert(name).first->c_str();
}
