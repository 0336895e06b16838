#include "ui/dialogs/progress_dlg_logic.h"

#include <cstring>
#include <limits>

#include "platform/framework/work_area_fit.h"

namespace {

constexpr int64_t kInt64Max = std::numeric_limits<int64_t>::max();
constexpr int64_t kHoldLowBits = 65;  // a taskbar value this close above a phase start holds
constexpr int64_t kPhaseUnit = 1024;
// How far a remembered place may lie off its monitor's edges.
constexpr LONG kPlaceLeftSlack = 100, kPlaceRightKeep = 100, kPlaceTopSlack = 10, kPlaceBottomKeep = 100;

}  // namespace

ProgressRange ComputeProgressRange(int64_t total)
{
    ProgressRange range{};
    range.clip = total < 1 ? 1 : total;
    range.total = range.clip;
    if (range.total >= kProgressHeadroomFrom) {
        const int64_t headroom = range.total / kProgressHeadroomDivisor;
        range.total = range.total > kInt64Max - headroom ? kInt64Max : range.total + headroom;
    }
    while ((range.total >> range.shift) > kProgressBarSteps)
        ++range.shift;
    return range;
}

bool ProgressScale::SetRange(int64_t total)
{
    const ProgressRange range = ComputeProgressRange(total);
    if (range.total == m_range.total) {
        m_range.clip = range.clip;
        return false;
    }
    m_range = range;
    m_lastScaled = Scaled();
    return true;
}

int ProgressScale::Scaled() const
{
    const int64_t shown = m_relative >= m_range.clip ? m_range.total : m_relative;
    return int(shown >> m_range.shift);
}

bool ProgressScale::SetPos(int64_t value)
{
    int64_t relative = 0;
    if (__builtin_sub_overflow(value, m_start, &relative))
        relative = value < 0 ? 0 : kInt64Max;
    m_relative = relative < 0 ? 0 : relative;
    const int scaled = Scaled();
    if (scaled == m_lastScaled)
        return false;
    m_lastScaled = scaled;
    return true;
}

bool ProgressScale::StepPos()
{
    return SetPos(m_relative == kInt64Max ? kInt64Max : m_start + m_relative + 1);
}

void ProgressScale::ResetPosition()
{
    m_relative = 0;
    m_lastScaled = 0;
}

TaskbarValue TaskbarProgress::Next(int64_t scaled, int64_t barMax, int phase, int phaseCount)
{
    const int64_t maximum = barMax < 1 ? 1 : barMax;
    const int64_t current = scaled < 0 ? 0 : scaled > maximum ? maximum : scaled;
    if (phaseCount <= 1)
        return TaskbarValue{true, uint64_t(current), uint64_t(maximum)};
    const int64_t clampedPhase = phase < 0 ? 0 : phase >= phaseCount ? phaseCount - 1 : phase;
    const uint64_t value = uint64_t(current * kPhaseUnit / maximum + clampedPhase * kPhaseUnit);
    const uint64_t total = uint64_t(phaseCount) * kPhaseUnit;
    if (m_hold) {
        // Held until a new phase has clearly begun.
        if (!(current > maximum / 32 && current * 8 < maximum * 7))
            return TaskbarValue{false, m_last, total};
        m_hold = false;
    }
    if (value < m_last) {
        if ((value & (kPhaseUnit - 1)) < uint64_t(kHoldLowBits))
            m_hold = true;
        return TaskbarValue{false, m_last, total};
    }
    m_last = value;
    return TaskbarValue{true, value, total};
}

void TaskbarProgress::Reset()
{
    m_last = 0;
    m_hold = false;
}

LineThrottle::Action LineThrottle::OnText(int line, uint32_t now)
{
    uint32_t last = m_lastShown[line].load();
    // One caller wins the showing; the others leave the line pending.
    while (now - last >= kShowIntervalMs) {
        if (m_lastShown[line].compare_exchange_weak(last, now)) {
            m_pending[line] = false;
            return kShowNow;
        }
    }
    m_pending[line] = true;
    if (!m_timerRequested.exchange(true))
        return kStartTimer;
    return kPending;
}

bool LineThrottle::TakePending(int line)
{
    return m_pending[line].exchange(false);
}

void LineThrottle::Reset(uint32_t now)
{
    for (int line = 0; line < kProgressLines; ++line) {
        m_lastShown[line] = now - 1000;
        m_pending[line] = false;
    }
    m_timerRequested = false;
}

void MarqueeBlockLefts(int clientWidth, uint32_t step, int lefts[kMarqueeBlocks])
{
    const int positions = (clientWidth + 8) / kMarqueePitch;
    const int last = int(step % uint32_t(positions + kMarqueeBlocks - 1));
    for (int block = 0; block < kMarqueeBlocks; ++block)
        lefts[block] = (last - (kMarqueeBlocks - 1) + block) * kMarqueePitch;
}

int SplitPathFormat(const char* format, int placeholder, const char** suffix)
{
    const int length = int(std::strlen(format));
    int at = length;
    int skip = 0;
    if (placeholder > 0) {
        if (const char* hit = std::strchr(format, char(placeholder & 0xFF)); hit && placeholder <= 0xFF) {
            at = int(hit - format);
            skip = 1;
        }
    } else if (int64_t(-int64_t(placeholder)) < length) {
        at = -placeholder;
    }
    *suffix = format + at + skip;
    return at;
}

bool ProgressPlaceUsable(const RECT& place, const RECT& monitor)
{
    const int64_t left = place.left, top = place.top;
    return left > int64_t(monitor.left) - kPlaceLeftSlack && left < int64_t(monitor.right) - kPlaceRightKeep &&
           top > int64_t(monitor.top) - kPlaceTopSlack && top < int64_t(monitor.bottom) - kPlaceBottomKeep;
}

RECT ProgressKeptPlace(const RECT& window, bool placedByRule, bool grown, const RECT& workArea)
{
    if (!placedByRule)
        return FitRectInArea(window, workArea);
    if (!grown)
        return window;
    // The area spans the window's own columns: only the height is kept.
    return FitRectInArea(window, {window.left, workArea.top, window.right, workArea.bottom});
}
