// Canvas window repaint against plain GDI (Windows build, under Wine).
//   Repaint<size>:    the canvas's repaint of the client area (the visible
//                     picture and its margins) against one BitBlt of an
//                     equal DIB section to the same window.
//   PaintCycle<size>: invalidate and WM_PAINT through the framework's
//                     dispatch against a bare window procedure that does
//                     BeginPaint, one BitBlt, EndPaint.
// Both sides make the same GDI calls, so single runs under Wine swing with
// the X server more than the two differ: every case runs kRepetitions times,
// interleaved with the other side's runs, after a warm-up, and the table
// gives the median ratio with its spread.
#include <benchmark/benchmark.h>

#include <cstring>

#include "platform/framework/wnd_class.h"
#include "ui/canvas/bitmap_wnd.h"

namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;
constexpr int kPartSide = 256;
constexpr int kRepetitions = 9;
constexpr double kWarmUpSeconds = 0.1;
const RECT kWhole = {0, 0, kWidth, kHeight};
const RECT kPart = {600, 400, 600 + kPartSide, 400 + kPartSide};

class BenchCanvas : public CBitmapWnd {
public:
    using CBitmapWnd::PaintBuffer;
};

HDC g_peerSource = nullptr;

LRESULT CALLBACK BarePaintProc(HWND wnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message != WM_PAINT)
        return DefWindowProcA(wnd, message, wParam, lParam);
    PAINTSTRUCT ps;
    const HDC dc = BeginPaint(wnd, &ps);
    const RECT& r = ps.rcPaint;
    BitBlt(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, g_peerSource, r.left, r.top, SRCCOPY);
    EndPaint(wnd, &ps);
    return 0;
}

// A 1920 x 1080 popup with the canvas filling it, a bare sibling window of
// the same size, and a DIB section of the canvas buffer's format.
struct Scene {
    CWnd frame;
    BenchCanvas canvas;
    HWND bare = nullptr;
    HBITMAP peerBitmap = nullptr;

    Scene()
    {
        const char* cls = AfxRegisterWndClass(0, LoadCursor(nullptr, IDC_ARROW));
        frame.CreateEx(0, cls, "canvas bench", WS_POPUP | WS_VISIBLE, 0, 0, kWidth, kHeight, nullptr, nullptr);
        canvas.Create(0, WS_CHILD | WS_VISIBLE, kWhole, &frame, 1);
        CGraphicsImage& image = *canvas.m_pImage;
        for (uint32_t y = 0; y < image.m_nHeight; ++y)
            for (uint32_t x = 0; x < image.m_nWidth; ++x)
                image.m_pfnSetPixel(image.RowAt(int(y)), int(x), (x * 7) ^ (y * 13));

        BITMAPINFO info = {};
        info.bmiHeader = *image.Header();
        void* bits = nullptr;
        peerBitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        // The same pixels: untouched pages would all read one page of zeros.
        std::memcpy(bits, image.m_pBits, image.m_nImageSize);
        g_peerSource = CreateCompatibleDC(nullptr);
        SelectObject(g_peerSource, peerBitmap);

        WNDCLASSA wc = {};
        wc.lpfnWndProc = BarePaintProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "LindarBarePaint";
        RegisterClassA(&wc);
        bare = CreateWindowExA(0, wc.lpszClassName, "", WS_POPUP | WS_VISIBLE, 0, 0, kWidth, kHeight, nullptr,
                               nullptr, wc.hInstance, nullptr);
        Pump();
        // The first copies to each window set up Wine's window surfaces and
        // X memory: neither side's timing should carry that.
        for (const HWND wnd : {canvas.m_hWnd, bare}) {
            InvalidateRect(wnd, nullptr, FALSE);
            UpdateWindow(wnd);
        }
        CClientDC dc(&canvas);
        canvas.PaintBuffer(dc, kWhole, kWhole);
        GdiFlush();
    }
    static void Pump()
    {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&msg);
    }
};

Scene& TheScene()
{
    static Scene* scene = new Scene;  // the windows live until the process ends
    return *scene;
}

void CountBytes(benchmark::State& state, const RECT& part)
{
    state.SetBytesProcessed(int64_t(state.iterations()) * (part.right - part.left) * (part.bottom - part.top) * 4);
}

void Repaint(benchmark::State& state, const RECT& part)
{
    Scene& scene = TheScene();
    for (auto _ : state) {
        CClientDC dc(&scene.canvas);
        scene.canvas.PaintBuffer(dc, part, kWhole);
        GdiFlush();
    }
    CountBytes(state, part);
}

void Blit(benchmark::State& state, const RECT& part)
{
    Scene& scene = TheScene();
    for (auto _ : state) {
        const HDC dc = GetDC(scene.canvas.m_hWnd);
        BitBlt(dc, part.left, part.top, part.right - part.left, part.bottom - part.top, g_peerSource, part.left,
               part.top, SRCCOPY);
        ReleaseDC(scene.canvas.m_hWnd, dc);
        GdiFlush();
    }
    CountBytes(state, part);
}

void Cycle(benchmark::State& state, HWND wnd, const RECT& part)
{
    for (auto _ : state) {
        InvalidateRect(wnd, &part, FALSE);
        UpdateWindow(wnd);
        GdiFlush();
    }
    Scene::Pump();
    CountBytes(state, part);
}

void BM_RepaintOurs(benchmark::State& state) { Repaint(state, kWhole); }
void BM_RepaintPeer(benchmark::State& state) { Blit(state, kWhole); }
void BM_RepaintPartOurs(benchmark::State& state) { Repaint(state, kPart); }
void BM_RepaintPartPeer(benchmark::State& state) { Blit(state, kPart); }
void BM_CycleOurs(benchmark::State& state) { Cycle(state, TheScene().canvas.m_hWnd, kWhole); }
void BM_CyclePeer(benchmark::State& state) { Cycle(state, TheScene().bare, kWhole); }
void BM_CyclePartOurs(benchmark::State& state) { Cycle(state, TheScene().canvas.m_hWnd, kPart); }
void BM_CyclePartPeer(benchmark::State& state) { Cycle(state, TheScene().bare, kPart); }

const bool kRegistered = [] {
    const struct {
        const char* name;
        void (*run)(benchmark::State&);
    } cases[] = {
        {"Repaint1920x1080/ours", BM_RepaintOurs},         {"Repaint1920x1080/peer", BM_RepaintPeer},
        {"Repaint256x256/ours", BM_RepaintPartOurs},       {"Repaint256x256/peer", BM_RepaintPartPeer},
        {"PaintCycle1920x1080/ours", BM_CycleOurs},        {"PaintCycle1920x1080/peer", BM_CyclePeer},
        {"PaintCycle256x256/ours", BM_CyclePartOurs},      {"PaintCycle256x256/peer", BM_CyclePartPeer},
    };
    for (const auto& c : cases)
        benchmark::RegisterBenchmark(c.name, c.run)->Repetitions(kRepetitions)->MinWarmUpTime(kWarmUpSeconds);
    return true;
}();

}  // namespace
