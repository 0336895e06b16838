// CPathComboBox: takes over a dialog's drop-down combo box (owner-drawn,
// with strings) as a path box. In breadcrumb mode a bar over the combo's
// edit shows each level of the path as a segment; a click on a segment goes
// to that level, a click behind the last one opens the edit. The combo's
// text is always the path, so the dialog reads and writes it as before.
//
// Notifications to the parent (WM_NOTIFY with the combo's id, the path in a
// PathNotifyRecord): kPathComboChanged, kPathComboDropped.
#pragma once

#include <string>
#include <vector>

#include "platform/framework/wnd.h"
#include "ui/folderdlg/path_notify.h"
#include "platform/framework/routed_message.h"

constexpr UINT kPathComboChanged = 4616;
constexpr UINT kPathComboDropped = 4617;
// CreateOverControl options beside the base 3.
constexpr unsigned kPathComboPlain = 0x100;
constexpr unsigned kPathComboNoCrumbs = 0x200;
constexpr unsigned kPathComboMustExist = 16;

class CPathComboBox : public CWnd {
public:
    CPathComboBox() = default;
    ~CPathComboBox() override;

    // Subclasses the combo; 1 on success, 0 for a missing window.
    int CreateOverControl(unsigned options, HWND combo);
    void SetBreadCrumb(BOOL on);
    BOOL IsBreadCrumb() const { return m_breadCrumb; }
    // The row height of the combo's list (answered for WM_MEASUREITEM).
    static int GetItemHeight();
    // Draws one row of the combo's list.
    void DrawItem(const DRAWITEMSTRUCT* item);
    // Ends an open edit: flag 0 takes the typed path (and notifies a
    // change), 1 restores the path. TRUE when an edit was open.
    BOOL EndEdit(int flag);
    // Opens the edit over the bar.
    void StartEdit();
    // Goes to segment i of the path (as a click does); false when none.
    bool ClickSegment(size_t i);
    size_t SegmentCount() const { return m_segments.size(); }

    BOOL m_editing = FALSE;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    // The bar over the edit: paints the segments and takes their clicks.
    class CrumbBar : public CWnd {
    public:
        explicit CrumbBar(CPathComboBox& owner) : m_owner(owner) {}

    protected:
        LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    private:
        void OnPaint();
        void OnClick(int x);

        CPathComboBox& m_owner;
    };
    struct Segment {
        std::string path, label;
        RECT rect;
    };

    HWND Edit() const;
    void PlaceBar();
    void InvalidateBar();
    void DestroyBar();
    // The default handling's answer to the message, after which the bar
    // follows: the new text (WM_SETTEXT) or the edit's place.
    template <void (CPathComboBox::*Follow)()>
    LRESULT DefaultThen(const RoutedMessage& m);
    LRESULT OnEditCommand(const RoutedMessage& m);
    void Layout(HDC dc);
    void Paint(HDC dc);
    void Click(int x);
    void ShowPath(const std::string& path, bool notify);

    unsigned m_options = 0;
    BOOL m_breadCrumb = TRUE;
    CrumbBar m_bar{*this};
    std::vector<Segment> m_segments;
    std::string m_beforeEdit;
    bool m_placing = false;  // showing or hiding the edit
};
