#include "ui/win32/common_controls.h"

namespace zov::ui::win32 {
namespace {

template <typename F>
F Lookup(const char* dll, const char* name) {
    HMODULE module = GetModuleHandleA(dll);
    return module ? reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
}

}  // namespace

void InitCommonControlsAtRunTime() {
    // The one import every version has: it also keeps the library loaded for the lookups.
    InitCommonControls();
    using InitEx = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
    if (InitEx init = Lookup<InitEx>("comctl32.dll", "InitCommonControlsEx")) {
        INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES | ICC_LISTVIEW_CLASSES | ICC_PROGRESS_CLASS};
        init(&controls);
    }
}

bool TrackMouseLeave(HWND window) {
    using Track = BOOL(WINAPI*)(TRACKMOUSEEVENT*);
    static Track track = [] {
        Track found = Lookup<Track>("comctl32.dll", "_TrackMouseEvent");
        return found ? found : Lookup<Track>("user32.dll", "TrackMouseEvent");
    }();
    TRACKMOUSEEVENT request{sizeof(request), TME_LEAVE, window, 0};
    return track && track(&request);
}

}  // namespace zov::ui::win32
