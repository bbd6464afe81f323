// The test driver: runs a program and works its windows as a user or a screen reader would,
// following a scenario file. Every wait is for a window, a control state or the end of the
// process, with a time-out that fails the scenario and names what it waited for.
//
//   zovdrive.exe SCENARIO [SHOT-DIR]
//
// A scenario is one command a line; words are separated by blanks, "..." quotes a word
// (\n in a quoted word is a line break, \" a quote; other backslashes are kept, so Windows
// paths need no escapes), # starts a comment line.
//
//   start DIR PROGRAM ARGS...   run PROGRAM with DIR as current directory
//   timeout SECONDS             time-out of the waits that follow (default 30)
//   window CLASS CAPTION        wait for a visible top-level window; it becomes the current one
//   launched-window CLASS CAPTION  the same for a window of another program (one the program started)
//   gone                        wait until the current window is closed or hidden
//   message TEXT                the current window's message reads TEXT (line breaks as \n)
//   framed                      the current window has a caption and a frame, and a control in it has the focus
//   press CAPTION               wait until the button is shown and enabled, then click it (BM_CLICK)
//   enabled CAPTION yes|no      wait until the button is (or is not) enabled
//   check CAPTION on|off        set a check box or radio button the way a click does
//   is-checked CAPTION on|off   wait until the check box or radio button is (or is not) checked
//   click X Y                   a mouse click at a point of the current window's client area (negative:
//                               from the right or bottom edge), for windows whose free area is their control
//   type TEXT                   put TEXT into the first editable edit box
//   text-is TEXT                the first editable edit box holds TEXT
//   item LIST NAME on|off       check or uncheck an item of the LIST-th check list (0 is the first)
//   item-is LIST NAME on|off    wait until that item is (or is not) checked
//   focus-list LIST             wait until the LIST-th check list has the keyboard focus
//   key KEY                     a key to the focused control: TAB ENTER ESC SPACE UP DOWN LEFT RIGHT
//                               ALT+letter ALT+F4
//   keys TEXT                   TEXT typed to the focused control, key by key, as a user types it
//   focus CAPTION               wait until the control with that caption has the keyboard focus
//   shot NAME                   ask the shell for a screenshot: SHOT-DIR/NAME.want, wait for NAME.done
//   close                       the current window's close box (the system command Close)
//   move FROM TO                rename a file, as a user changes a disk in the drive
//   file PATH                   wait until the file exists (the program has got that far)
//   exit CODE                   wait for the program to end with that exit code
//   decline-all                 until the program ends, answer every message box it shows with its
//                               most cautious button (Cancel, Abort, No, OK), printing each message
//
// Each wait reports how long it took, so a slow answer shows in the log. A command that has
// not returned 15 s after its time-out fails the run all the same.
#include <windows.h>

#include <commctrl.h>

#include <atomic>
#include <cstdio>
#include <fstream>
#include <functional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "window_access.h"

namespace zovdrive {
namespace {

struct Failure : std::runtime_error {
    using std::runtime_error::runtime_error;
};

std::vector<std::string> Words(const std::string& line) {
    std::vector<std::string> words;
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t' || line[i] == '\r')) ++i;
        if (i >= line.size()) break;
        std::string word;
        if (line[i] == '"') {
            for (++i; i < line.size() && line[i] != '"'; ++i) {
                const char next = i + 1 < line.size() ? line[i + 1] : '\0';
                if (line[i] == '\\' && (next == 'n' || next == '"')) {
                    ++i;
                    word += next == 'n' ? '\n' : next;
                } else {
                    word += line[i];
                }
            }
            ++i;
        } else {
            while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r') word += line[i++];
        }
        words.push_back(word);
    }
    return words;
}

// Message boxes break lines with CR, CR LF or LF: all read as LF.
std::string Lines(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') {
            out += '\n';
            if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

class Driver {
public:
    explicit Driver(std::string shotDir) : shotDir_(std::move(shotDir)) {}
    ~Driver() {
        if (process_.hProcess) {
            if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(process_.hProcess, 99);
            CloseHandle(process_.hProcess);
            CloseHandle(process_.hThread);
        }
    }

    void Run(const std::vector<std::string>& w) {
        const std::string& c = w[0];
        if (c == "start") Start(w);
        else if (c == "timeout") timeoutMs_ = static_cast<DWORD>(std::stod(Arg(w, 1)) * 1000);
        else if (c == "window") Window(Arg(w, 1), Arg(w, 2));
        else if (c == "launched-window") Window(Arg(w, 1), Arg(w, 2), true);
        else if (c == "gone") Gone();
        else if (c == "message") Message(Arg(w, 1));
        else if (c == "framed") Framed();
        else if (c == "press") Press(Arg(w, 1));
        else if (c == "enabled") Enabled(Arg(w, 1), Arg(w, 2) == "yes");
        else if (c == "check") Check(Arg(w, 1), Arg(w, 2) == "on");
        else if (c == "is-checked") IsChecked(Arg(w, 1), Arg(w, 2) == "on");
        else if (c == "click") Click(std::stoi(Arg(w, 1)), std::stoi(Arg(w, 2)));
        else if (c == "type") Type(Arg(w, 1));
        else if (c == "text-is") TextIs(Arg(w, 1));
        else if (c == "item") Item(std::stoi(Arg(w, 1)), Arg(w, 2), Arg(w, 3) == "on", true);
        else if (c == "item-is") Item(std::stoi(Arg(w, 1)), Arg(w, 2), Arg(w, 3) == "on", false);
        else if (c == "key") Key(Arg(w, 1));
        else if (c == "keys") Keys(Arg(w, 1));
        else if (c == "focus") Focus(Arg(w, 1));
        else if (c == "focus-list") FocusList(std::stoi(Arg(w, 1)));
        else if (c == "shot") Shot(Arg(w, 1));
        else if (c == "close") PostMessageA(Current(), WM_SYSCOMMAND, SC_CLOSE, 0);
        else if (c == "move") Move(Arg(w, 1), Arg(w, 2));
        else if (c == "file") WaitFor("the file " + Arg(w, 1), [&] {
            return GetFileAttributesA(w[1].c_str()) != INVALID_FILE_ATTRIBUTES;
        });
        else if (c == "exit") Exit(std::stoi(Arg(w, 1)));
        else if (c == "decline-all") DeclineAll();
        else throw Failure("unknown command " + c);
    }

    DWORD TimeoutMs() const { return timeoutMs_; }
    HANDLE Process() const { return process_.hProcess; }

    std::string Windows() const { return process_.hProcess ? DescribeWindows(process_.dwProcessId) : ""; }

private:
    static const std::string& Arg(const std::vector<std::string>& w, size_t i) {
        if (i >= w.size()) throw Failure(w[0] + ": missing argument " + std::to_string(i));
        return w[i];
    }

    // Polls `ready` until it holds; the poll is a wait for a state, never a pause of its own.
    void WaitFor(const std::string& what, const std::function<bool()>& ready) const {
        const DWORD start = GetTickCount();
        for (;;) {
            if (ready()) {
                if (const DWORD waited = GetTickCount() - start; waited >= 20)
                    std::printf("  (%lu ms for %s)\n", static_cast<unsigned long>(waited), what.c_str());
                return;
            }
            if (GetTickCount() - start > timeoutMs_)
                throw Failure("timed out after " + std::to_string(timeoutMs_ / 1000) + " s waiting for " + what);
            Sleep(20);
        }
    }

    HWND Current() const {
        if (!current_ || !IsWindow(current_)) throw Failure("no current window");
        return current_;
    }

    void Start(const std::vector<std::string>& w) {
        std::string commandLine;
        for (size_t i = 2; i < w.size(); ++i) {
            if (!commandLine.empty()) commandLine += ' ';
            const bool quote = w[i].find(' ') != std::string::npos;
            commandLine += quote ? "\"" + w[i] + "\"" : w[i];
        }
        if (commandLine.empty()) throw Failure("start: no program");
        STARTUPINFOA startup{};
        startup.cb = sizeof(startup);
        const std::string program = Arg(w, 1) + "\\" + w[2];
        if (!CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                            Arg(w, 1).c_str(), &startup, &process_))
            throw Failure("cannot start " + program + " (error " + std::to_string(GetLastError()) + ")");
    }

    HWND FindTop(const std::string& windowClass, const std::string& caption, bool anyProcess = false) const {
        for (HWND top : TopWindows(anyProcess ? kAnyProcess : process_.dwProcessId))
            if (ClassOf(top) == windowClass && (caption == "*" || CaptionOf(top) == caption)) return top;
        return nullptr;
    }

    void Window(const std::string& windowClass, const std::string& caption, bool anyProcess = false) {
        WaitFor("window " + windowClass + " \"" + caption + "\"", [&] {
            current_ = FindTop(windowClass, caption, anyProcess);
            if (current_) currentCaption_ = caption == "*" ? CaptionOf(current_) : caption;
            return current_ != nullptr;
        });
    }

    // The caption as it was found: a closing window may not answer a read any more.
    void Gone() {
        const HWND window = Current();
        WaitFor("window \"" + currentCaption_ + "\" to close", [&] { return !IsWindow(window) || !IsWindowVisible(window); });
    }

    void Message(const std::string& expected) {
        std::string text;
        // A message box may set its text after it is shown.
        try {
            WaitFor("message \"" + expected + "\"", [&] {
                text = Lines(MessageText(Current()));
                return text == expected;
            });
        } catch (const Failure&) {
            throw Failure("message reads \"" + text + "\", wanted \"" + expected + "\"");
        }
    }

    void Framed() {
        const HWND window = Current();
        const LONG style = GetWindowLongA(window, GWL_STYLE);
        if ((style & WS_CAPTION) != WS_CAPTION) throw Failure("\"" + CaptionOf(window) + "\" has no caption and frame");
        WaitFor("the keyboard focus inside \"" + CaptionOf(window) + "\"", [&] {
            const HWND focus = FocusOf(window);
            return focus && IsChild(window, focus) && IsWindowVisible(focus);
        });
    }

    // A visible control of the current window whose caption (access marks removed) matches.
    HWND Control(const std::string& caption, const char* windowClass = "Button") const {
        for (HWND control : VisibleControls(Current()))
            if (ClassOf(control) == windowClass && WithoutAccessMarks(TextOf(control)) == caption) return control;
        return nullptr;
    }

    void Press(const std::string& caption) {
        HWND button = nullptr;
        WaitFor("button \"" + caption + "\" shown and enabled", [&] {
            button = Control(caption);
            return button && IsWindowEnabled(button);
        });
        PostMessageA(button, BM_CLICK, 0, 0);
    }

    void Enabled(const std::string& caption, bool enabled) {
        WaitFor("button \"" + caption + "\" " + (enabled ? "enabled" : "disabled"), [&] {
            HWND button = Control(caption);
            return button && (IsWindowEnabled(button) != FALSE) == enabled;
        });
    }

    void Check(const std::string& caption, bool on) {
        const std::string what = "\"" + caption + "\" " + (on ? "checked" : "unchecked");
        HWND box = nullptr;
        WaitFor("check box \"" + caption + "\" shown and enabled", [&] {
            box = Control(caption);
            return box && IsWindowEnabled(box);
        });
        if ((SendMessageA(box, BM_GETCHECK, 0, 0) == BST_CHECKED) != on) PostMessageA(box, BM_CLICK, 0, 0);
        WaitFor(what, [&] { return (SendMessageA(box, BM_GETCHECK, 0, 0) == BST_CHECKED) == on; });
    }

    void IsChecked(const std::string& caption, bool on) {
        WaitFor("\"" + caption + "\" " + (on ? "checked" : "unchecked"), [&] {
            HWND box = Control(caption);
            return box && (SendMessageA(box, BM_GETCHECK, 0, 0) == BST_CHECKED) == on;
        });
    }

    void Click(int x, int y) {
        const HWND window = Current();
        RECT client;
        GetClientRect(window, &client);
        if (x < 0) x += client.right;
        if (y < 0) y += client.bottom;
        const LPARAM at = MAKELPARAM(x, y);
        PostMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, at);
        PostMessageA(window, WM_LBUTTONUP, 0, at);
    }

    // The first editable edit box shown in the current window, once there is one.
    HWND EditBox() const {
        HWND found = nullptr;
        WaitFor("an editable edit box", [&] {
            for (HWND control : VisibleControls(Current()))
                if (ClassOf(control) == "Edit" && !(GetWindowLongA(control, GWL_STYLE) & ES_READONLY)) {
                    found = control;
                    return true;
                }
            return false;
        });
        return found;
    }

    void Type(const std::string& text) {
        const HWND edit = EditBox();
        SendMessageTimeoutA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), SMTO_ABORTIFHUNG, 5000,
                            nullptr);
        TextIs(text);
    }

    void TextIs(const std::string& text) {
        const HWND edit = EditBox();
        std::string now;
        try {
            WaitFor("the edit box to hold \"" + text + "\"", [&] {
                now = TextOf(edit);
                return now == text;
            });
        } catch (const Failure& failure) {
            throw Failure(std::string(failure.what()) + "; it holds \"" + now + "\"");
        }
    }

    // Sets the item's check when `set`; then waits until it is so.
    HWND CheckList(int listIndex) {
        HWND shown = nullptr;
        WaitFor("check list " + std::to_string(listIndex), [&] {
            int seen = 0;
            for (HWND control : VisibleControls(Current()))
                if (ClassOf(control) == WC_LISTVIEWA && seen++ == listIndex) shown = control;
            return shown != nullptr;
        });
        return shown;
    }

    void FocusList(int listIndex) {
        const HWND list = CheckList(listIndex);
        WaitFor("the focus on check list " + std::to_string(listIndex), [&] { return FocusOf(Current()) == list; });
    }

    void Item(int listIndex, const std::string& name, bool on, bool set) {
        RemoteListView list(process_.hProcess, CheckList(listIndex));
        int found = -1;
        WaitFor("item \"" + name + "\" in check list " + std::to_string(listIndex), [&] {
            for (int i = 0; i < list.Count() && found < 0; ++i)
                if (list.ItemText(i) == name) found = i;
            return found >= 0;
        });
        if (set && list.Checked(found) != on) list.SetChecked(found, on);
        WaitFor("item \"" + name + "\" " + (on ? "checked" : "unchecked"), [&] { return list.Checked(found) == on; });
    }

    void Key(const std::string& key) {
        const HWND window = Current();
        HWND target = FocusOf(window);
        if (!target) target = window;
        if (key.rfind("ALT+", 0) == 0 && key.size() == 5) {
            const auto letter = static_cast<WPARAM>(key[4] | 0x20);
            PostMessageA(target, WM_SYSCHAR, letter, 1 | (1 << 29));
            return;
        }
        if (key == "ALT+F4") {
            PostMessageA(target, WM_SYSKEYDOWN, VK_F4, 1 | (1 << 29));
            PostMessageA(target, WM_SYSKEYUP, VK_F4, 1 | (1 << 29) | (3u << 30));
            return;
        }
        static const std::pair<const char*, WPARAM> kKeys[] = {
            {"TAB", VK_TAB}, {"ENTER", VK_RETURN}, {"ESC", VK_ESCAPE}, {"SPACE", VK_SPACE},
            {"UP", VK_UP},   {"DOWN", VK_DOWN},    {"LEFT", VK_LEFT}, {"RIGHT", VK_RIGHT}};
        for (const auto& [name, vk] : kKeys)
            if (key == name) return Stroke(target, vk, vk == VK_SPACE ? ' ' : 0);
        throw Failure("unknown key " + key);
    }

    // Down, the character it makes (if any), up: what the system posts for one key.
    static void Stroke(HWND target, WPARAM vk, char ch) {
        const LPARAM scan = static_cast<LPARAM>(MapVirtualKeyA(static_cast<UINT>(vk), 0)) << 16;
        PostMessageA(target, WM_KEYDOWN, vk, 1 | scan);
        if (ch) PostMessageA(target, WM_CHAR, static_cast<unsigned char>(ch), 1 | scan);
        PostMessageA(target, WM_KEYUP, vk, 1 | scan | (3u << 30));
    }

    // The characters alone: the program's TranslateMessage would make a second one of a
    // posted key-down, and without the shift state.
    void Keys(const std::string& text) {
        const HWND window = Current();
        const HWND target = FocusOf(window) ? FocusOf(window) : window;
        for (char ch : text) PostMessageA(target, WM_CHAR, static_cast<unsigned char>(ch), 1);
    }

    void Focus(const std::string& caption) {
        const HWND window = Current();
        std::string now;
        try {
            WaitFor("the focus on \"" + caption + "\"", [&] {
                const HWND focus = FocusOf(window);
                now = focus ? ClassOf(focus) + " \"" + WithoutAccessMarks(TextOf(focus)) + "\"" : "nothing";
                return focus && WithoutAccessMarks(TextOf(focus)) == caption;
            });
        } catch (const Failure& failure) {
            throw Failure(std::string(failure.what()) + "; the focus is on " + now);
        }
    }

    void Shot(const std::string& name) {
        if (shotDir_.empty()) return;
        // Every visible window of the program has painted what it had to paint.
        WaitFor("the windows painted", [&] {
            for (HWND top : TopWindows(process_.dwProcessId)) {
                if (GetUpdateRect(top, nullptr, FALSE)) return false;
                for (HWND control : VisibleControls(top))
                    if (GetUpdateRect(control, nullptr, FALSE)) return false;
            }
            return true;
        });
        const std::string want = shotDir_ + "\\" + name + ".want", done = shotDir_ + "\\" + name + ".done";
        std::ofstream(want.c_str()) << name << "\n";
        WaitFor("the screenshot " + name, [&] { return GetFileAttributesA(done.c_str()) != INVALID_FILE_ATTRIBUTES; });
    }

    static void Move(const std::string& from, const std::string& to) {
        if (!MoveFileA(from.c_str(), to.c_str()))
            throw Failure("cannot move " + from + " to " + to + " (error " + std::to_string(GetLastError()) + ")");
    }

    void Exit(int code) {
        if (!process_.hProcess) throw Failure("exit: nothing started");
        WaitFor("the program to end", [&] { return WaitForSingleObject(process_.hProcess, 0) == WAIT_OBJECT_0; });
        DWORD exitCode = 0;
        GetExitCodeProcess(process_.hProcess, &exitCode);
        if (static_cast<int>(exitCode) != code)
            throw Failure("exit code " + std::to_string(exitCode) + ", wanted " + std::to_string(code));
    }

    void DeclineAll() {
        if (!process_.hProcess) throw Failure("decline-all: nothing started");
        int answered = 0;
        for (;;) {
            HWND box = nullptr;
            WaitFor("a message box or the program's end", [&] {
                if (WaitForSingleObject(process_.hProcess, 0) == WAIT_OBJECT_0) return true;
                box = FindTop("#32770", "*");
                return box != nullptr;
            });
            if (!box) break;
            current_ = box;
            currentCaption_ = CaptionOf(box);
            std::string text = Lines(MessageText(box));
            for (char& ch : text)
                if (ch == '\n') ch = '|';
            HWND button = nullptr;
            for (const char* caption : {"Cancel", "Abort", "No", "OK"})
                if ((button = Control(caption)) != nullptr) {
                    std::printf("  box \"%s\": \"%s\" -> %s\n", currentCaption_.c_str(), text.c_str(), caption);
                    break;
                }
            if (!button) throw Failure("a box without Cancel, Abort, No or OK: \"" + text + "\"");
            PostMessageA(button, BM_CLICK, 0, 0);
            WaitFor("the box to close", [&] { return !IsWindow(box) || !IsWindowVisible(box); });
            if (++answered > 20) throw Failure("more than 20 boxes");
        }
    }

    std::string shotDir_;
    PROCESS_INFORMATION process_{};
    HWND current_ = nullptr;
    std::string currentCaption_;
    DWORD timeoutMs_ = 30000;
};

// Every wait has its time-out, but a call into the program's windows may itself never
// return (Wine has left a message sent to a window that was being destroyed unanswered past
// its time-out). The watchdog fails such a command, names it and ends the program.
class Watchdog {
public:
    explicit Watchdog(const Driver& driver) : driver_(driver) {
        thread_ = CreateThread(nullptr, 0, &Watchdog::Watch, this, 0, nullptr);
    }
    ~Watchdog() {
        stop_ = true;
        if (thread_) {
            WaitForSingleObject(thread_, INFINITE);
            CloseHandle(thread_);
        }
    }
    // The command about to run, which must be done within the waits' time-out and a margin
    // for the reads a wait makes.
    void Arm(const std::string& where) {
        where_ = where;
        deadline_ = GetTickCount() + driver_.TimeoutMs() + kMarginMs;
        armed_ = true;
    }
    void Disarm() { armed_ = false; }

private:
    static constexpr DWORD kMarginMs = 15000;

    static DWORD WINAPI Watch(void* self) {
        auto& dog = *static_cast<Watchdog*>(self);
        while (!dog.stop_) {
            Sleep(200);
            if (dog.armed_ && static_cast<LONG>(GetTickCount() - dog.deadline_) > 0) {
                std::printf("FAILED at %s: the command did not return within its time-out (a call into the "
                            "program's windows hung)\n", dog.where_.c_str());
                std::fflush(stdout);
                if (dog.driver_.Process()) TerminateProcess(dog.driver_.Process(), 98);
                ExitProcess(1);
            }
        }
        return 0;
    }

    const Driver& driver_;
    HANDLE thread_ = nullptr;
    std::string where_;
    std::atomic<DWORD> deadline_{0};
    std::atomic<bool> armed_{false};
    std::atomic<bool> stop_{false};
};

int RunScenario(const char* path, const char* shotDir) {
    std::ifstream in(path);
    if (!in) {
        std::printf("zovdrive: cannot read %s\n", path);
        return 2;
    }
    Driver driver(shotDir ? shotDir : "");
    Watchdog watchdog(driver);
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        const std::vector<std::string> words = Words(line);
        if (words.empty() || words[0][0] == '#') continue;
        std::printf("%s:%d: %s\n", path, number, line.c_str());
        std::fflush(stdout);
        try {
            watchdog.Arm(std::string(path) + ":" + std::to_string(number));
            driver.Run(words);
            watchdog.Disarm();
        } catch (const std::exception& failure) {
            watchdog.Disarm();
            std::printf("FAILED at %s:%d: %s\nwindows of the program:\n%s", path, number, failure.what(),
                        driver.Windows().c_str());
            return 1;
        }
    }
    std::printf("scenario %s passed\n", path);
    return 0;
}

}  // namespace
}  // namespace zovdrive

int main(int argc, char** argv) {
    if (argc < 2) {
        std::printf("usage: zovdrive SCENARIO [SHOT-DIR]\n");
        return 2;
    }
    return zovdrive::RunScenario(argv[1], argc > 2 ? argv[2] : nullptr);
}
