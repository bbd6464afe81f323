#include "window_access.h"

#include <commctrl.h>

namespace zovdrive {

std::string ClassOf(HWND hwnd) {
    char name[256] = {};
    GetClassNameA(hwnd, name, sizeof(name));
    return name;
}

std::string TextOf(HWND hwnd) {
    // WM_GETTEXT is carried across processes; a hung window fails the read instead of the driver.
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutA(hwnd, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &length)) return {};
    std::string text(length + 1, '\0');
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutA(hwnd, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()), SMTO_ABORTIFHUNG,
                             5000, &copied))
        return {};
    text.resize(copied);
    return text;
}

std::string WithoutAccessMarks(const std::string& caption) {
    std::string out;
    for (size_t i = 0; i < caption.size(); ++i) {
        if (caption[i] == '&' && i + 1 < caption.size()) ++i;
        out += caption[i];
    }
    return out;
}

namespace {

struct TopSearch {
    DWORD processId;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectTop(HWND hwnd, LPARAM param) {
    auto* search = reinterpret_cast<TopSearch*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(hwnd, &owner);
    if ((search->processId == kAnyProcess || owner == search->processId) && IsWindowVisible(hwnd)) search->found.push_back(hwnd);
    return TRUE;
}

BOOL CALLBACK CollectChild(HWND hwnd, LPARAM param) {
    if (IsWindowVisible(hwnd)) reinterpret_cast<std::vector<HWND>*>(param)->push_back(hwnd);
    return TRUE;
}

}  // namespace

std::vector<HWND> TopWindows(DWORD processId) {
    TopSearch search{processId, {}};
    EnumWindows(CollectTop, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::vector<HWND> VisibleControls(HWND window) {
    std::vector<HWND> found;
    EnumChildWindows(window, CollectChild, reinterpret_cast<LPARAM>(&found));
    return found;
}

HWND FocusOf(HWND window) {
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info)) return nullptr;
    return info.hwndFocus;
}

std::string MessageText(HWND window) {
    std::string text;
    for (HWND control : VisibleControls(window)) {
        if (ClassOf(control) != "Static") continue;
        const std::string part = TextOf(control);
        if (part.empty()) continue;
        if (!text.empty()) text += "\n";
        text += part;
    }
    return text;
}

namespace {

// A block of memory in the other process, for messages that carry pointers.
class RemoteBlock {
public:
    RemoteBlock(HANDLE process, size_t size)
        : process_(process), address_(VirtualAllocEx(process, nullptr, size, MEM_COMMIT, PAGE_READWRITE)) {}
    ~RemoteBlock() {
        if (address_) VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
    }
    RemoteBlock(const RemoteBlock&) = delete;
    RemoteBlock& operator=(const RemoteBlock&) = delete;
    char* At(size_t offset = 0) const { return static_cast<char*>(address_) + offset; }
    bool Write(size_t offset, const void* data, size_t size) const {
        return address_ && WriteProcessMemory(process_, At(offset), data, size, nullptr);
    }
    bool Read(size_t offset, void* data, size_t size) const {
        return address_ && ReadProcessMemory(process_, At(offset), data, size, nullptr);
    }

private:
    HANDLE process_;
    void* address_;
};

}  // namespace

int RemoteListView::Count() const { return static_cast<int>(SendMessageA(list_, LVM_GETITEMCOUNT, 0, 0)); }

std::string RemoteListView::ItemText(int index) const {
    const size_t textAt = sizeof(LVITEMA), capacity = 260;
    RemoteBlock block(process_, textAt + capacity);
    LVITEMA item{};
    item.iSubItem = 0;
    item.pszText = block.At(textAt);
    item.cchTextMax = static_cast<int>(capacity);
    if (!block.Write(0, &item, sizeof(item))) return {};
    const auto length = SendMessageA(list_, LVM_GETITEMTEXTA, index, reinterpret_cast<LPARAM>(block.At()));
    std::string text(static_cast<size_t>(length), '\0');
    if (length > 0 && !block.Read(textAt, text.data(), text.size())) return {};
    return text;
}

bool RemoteListView::Checked(int index) const {
    const auto state = SendMessageA(list_, LVM_GETITEMSTATE, index, LVIS_STATEIMAGEMASK);
    return ((state & LVIS_STATEIMAGEMASK) >> 12) == 2;
}

void RemoteListView::SetChecked(int index, bool checked) const {
    RemoteBlock block(process_, sizeof(LVITEMA));
    LVITEMA item{};
    item.stateMask = LVIS_STATEIMAGEMASK;
    item.state = INDEXTOSTATEIMAGEMASK(checked ? 2 : 1);
    if (block.Write(0, &item, sizeof(item)))
        SendMessageA(list_, LVM_SETITEMSTATE, index, reinterpret_cast<LPARAM>(block.At()));
}

std::string DescribeWindows(DWORD processId) {
    std::string out;
    HWND focus = nullptr;
    for (HWND top : TopWindows(processId)) {
        if (!focus) focus = FocusOf(top);
        out += "  window " + ClassOf(top) + " \"" + TextOf(top) + "\"\n";
        for (HWND control : VisibleControls(top)) {
            out += "    " + ClassOf(control) + " \"" + TextOf(control).substr(0, 60) + "\"";
            if (!IsWindowEnabled(control)) out += " (disabled)";
            if (control == focus) out += " (focus)";
            out += "\n";
        }
    }
    return out.empty() ? "  no visible windows\n" : out;
}

}  // namespace zovdrive
