// Tidewater Notes, the example product's program: it says what it is in a message box.
// It also writes its command line into launched.txt beside itself, so the end-to-end tests
// can tell that the setup started it, and with which parameters.
#include <windows.h>

namespace {

void RecordStart() {
    char marker[MAX_PATH + 16];
    const DWORD length = GetModuleFileNameA(nullptr, marker, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return;
    char* name = marker + length;
    while (name > marker && name[-1] != '\\') --name;
    lstrcpyA(name, "launched.txt");
    HANDLE file = CreateFileA(marker, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;  // a read-only directory: the program still runs
    const char* line = GetCommandLineA();
    DWORD written = 0;
    WriteFile(file, line, static_cast<DWORD>(lstrlenA(line)), &written, nullptr);
    WriteFile(file, "\r\n", 2, &written, nullptr);
    CloseHandle(file);
}

bool HasWord(const char* text, const char* word) {
    for (; *text; ++text) {
        int i = 0;
        while (word[i] && text[i] == word[i]) ++i;
        if (!word[i]) return true;
    }
    return false;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
    RecordStart();
    MessageBoxA(nullptr,
                HasWord(commandLine, "/welcome")
                    ? "Welcome to Tidewater Notes 2.1.\n\nYour notes are kept in the Samples folder."
                    : "Tidewater Notes 2.1",
                "Tidewater Notes", MB_OK | MB_ICONINFORMATION);
    return 0;
}
