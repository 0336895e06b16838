// The arithmetic of the progress dialog, free of windows so it is tested on
// both builds: 64-bit ranges scaled into a bar of at most 1024 steps, the
// taskbar value of a progress split into phases, the rate limit of text
// lines and the emulated marquee's block positions.
#pragma once

#include <atomic>
#include <cstdint>

#include "platform/win32/win.h"

constexpr int kProgressLines = 4;
constexpr int64_t kProgressBarSteps = 1024;
constexpr int64_t kProgressHeadroomFrom = 513;  // totals from here get total/256 more
constexpr int64_t kProgressHeadroomDivisor = 256;

// A total, its clip limit and the shift that brings it into the bar.
struct ProgressRange {
    int64_t clip;
    int64_t total;
    int shift;
};
ProgressRange ComputeProgressRange(int64_t total);

// Range and position; the owner serialises the calls.
class ProgressScale {
public:
    // True when the range changed (the bar needs its new range).
    bool SetRange(int64_t total);
    // The start the positions are relative to.
    void SetStart(int64_t start) { m_start = start; }
    // True when the scaled position changed (the bar needs the new one).
    bool SetPos(int64_t value);
    bool StepPos();
    // The position counts again from the start (a new run).
    void ResetPosition();

    int BarMax() const { return int(m_range.total >> m_range.shift); }
    // Scaled from the 64-bit relative position, so a range change rescales
    // it once, in the new scale.
    int Scaled() const;
    int64_t Total() const { return m_range.total; }
    int Shift() const { return m_range.shift; }

private:
    ProgressRange m_range{1, 1, 0};
    int64_t m_start = 0;
    int64_t m_relative = 0;
    int m_lastScaled = 0;
};

// The taskbar value of a scaled position. With phases the value runs over
// phaseCount * 1024 and never goes back; a drop to near the start of a
// phase holds the taskbar until the position has clearly moved on.
struct TaskbarValue {
    bool update;
    uint64_t value;
    uint64_t maximum;
};
class TaskbarProgress {
public:
    TaskbarValue Next(int64_t scaled, int64_t barMax, int phase, int phaseCount);
    void Reset();
    bool Holding() const { return m_hold; }

private:
    uint64_t m_last = 0;
    bool m_hold = false;
};

// The rate limit of the text lines, run on the worker's side: a line is
// shown at once when its last showing is 80 ms ago, else it is left
// pending for the 50 ms timer, which is asked for once. Atomic, so any
// thread may set texts while the dialog's thread takes pending lines.
class LineThrottle {
public:
    static constexpr uint32_t kShowIntervalMs = 80;
    enum Action { kShowNow, kStartTimer, kPending };

    Action OnText(int line, uint32_t now);
    // Clears the pending flag; true when the line was pending.
    bool TakePending(int line);
    // Lines count as shown long ago; no timer asked for.
    void Reset(uint32_t now);

private:
    std::atomic<uint32_t> m_lastShown[kProgressLines] = {};
    std::atomic<bool> m_pending[kProgressLines] = {};
    std::atomic<bool> m_timerRequested{false};
};

// The emulated marquee: a band of five blocks moving right by one block
// pitch per step, clipped at the bar's left edge.
constexpr int kMarqueeBlocks = 5;
constexpr int kMarqueePitch = 10;
constexpr int kMarqueeGap = 3;
constexpr int kMarqueeBorder = 2;
// The left edge of each block (negative: off the left edge), for a bar of
// this client width at this step.
void MarqueeBlockLefts(int clientWidth, uint32_t step, int lefts[kMarqueeBlocks]);

// Where the path goes in the format text of a path line: a placeholder
// above 0 is a character whose first occurrence the path replaces (without
// one the path goes at the end); 0 or below is minus the position, cut to
// the text. Returns the length of the text before the path; *suffix points
// at the text after it.
int SplitPathFormat(const char* format, int placeholder, const char** suffix);

// Whether a progress dialog opens at the place the last one closed: its left
// lies strictly between the monitor's left - 100 and right - 100, its top
// strictly between the monitor's top - 10 and bottom - 100.
bool ProgressPlaceUsable(const RECT& place, const RECT& monitor);
// Where a progress dialog stays once it opened or grew by lines. A place the
// rule above chose stays as it is, but for the height a growth added: the
// work area keeps the dialog's top and bottom then, so its new lines and its
// button show. Any other place is kept in the work area whole.
RECT ProgressKeptPlace(const RECT& window, bool placedByRule, bool grown, const RECT& workArea);
