#include "platform/framework/handle_map.h"

#include <memory>
#include <mutex>
#include <unordered_map>

#include "platform/framework/wnd.h"

namespace framework_detail {

namespace {

struct HandleMaps {
    std::mutex lock;
    std::unordered_map<HWND, CWnd*> bound;
    std::unordered_map<HWND, std::unique_ptr<CWnd>> wrappers;
};

// Never destroyed: windows may still be unbound while statics go away.
HandleMaps& Maps()
{
    static HandleMaps* maps = new HandleMaps;
    return *maps;
}

}  // namespace

bool BindHandle(HWND wnd, CWnd* object)
{
    HandleMaps& maps = Maps();
    std::lock_guard<std::mutex> hold(maps.lock);
    auto [it, inserted] = maps.bound.emplace(wnd, object);
    return inserted || it->second == object;
}

void UnbindHandle(HWND wnd, const CWnd* object)
{
    HandleMaps& maps = Maps();
    std::lock_guard<std::mutex> hold(maps.lock);
    auto it = maps.bound.find(wnd);
    if (it != maps.bound.end() && it->second == object)
        maps.bound.erase(it);
}

CWnd* BoundObject(HWND wnd)
{
    HandleMaps& maps = Maps();
    std::lock_guard<std::mutex> hold(maps.lock);
    auto it = maps.bound.find(wnd);
    return it == maps.bound.end() ? nullptr : it->second;
}

CWnd* WrapperFor(HWND wnd)
{
    HandleMaps& maps = Maps();
    std::lock_guard<std::mutex> hold(maps.lock);
    std::unique_ptr<CWnd>& wrapper = maps.wrappers[wnd];
    if (!wrapper) {
        wrapper = std::make_unique<CWnd>();
        wrapper->m_hWnd = wnd;
    }
    return wrapper.get();
}

}  // namespace framework_detail
