#pragma once
// What the driver sees of another process's windows, as a screen reader sees them: top-level
// windows by class and caption, their visible controls by class and caption, texts, states
// and the keyboard focus.
#include <windows.h>

#include <string>
#include <vector>

namespace zovdrive {

std::string ClassOf(HWND hwnd);
std::string TextOf(HWND hwnd);
// A caption as the user reads it: "&Next" is "Next", "&&" is "&".
std::string WithoutAccessMarks(const std::string& caption);

// The visible top-level windows of a process; kAnyProcess: of every process.
inline constexpr DWORD kAnyProcess = 0;
std::vector<HWND> TopWindows(DWORD processId);
// Visible controls inside a window, in creation (tab) order, at any depth.
std::vector<HWND> VisibleControls(HWND window);
// The control holding the keyboard focus in the thread that owns `window`.
HWND FocusOf(HWND window);
// The message of a message box or of one of the setup's own dialogs: its static texts.
std::string MessageText(HWND window);

// A list-view control of another process, read and changed through memory of that process.
class RemoteListView {
public:
    RemoteListView(HANDLE process, HWND list) : process_(process), list_(list) {}
    int Count() const;
    std::string ItemText(int index) const;
    bool Checked(int index) const;
    void SetChecked(int index, bool checked) const;

private:
    HANDLE process_;
    HWND list_;
};

// One line per visible window of the process and its controls, for failure reports.
std::string DescribeWindows(DWORD processId);

}  // namespace zovdrive
