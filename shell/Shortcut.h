#pragma once
// Shell links for one program in the places the user chose (desktop, Start Menu, Quick
// Launch, a program folder), and where the shell keeps those places.
#include <string>
#include <vector>

#include "sys/exception.h"

namespace zov {

ZOV_EXCEPTION(EShortcutError);

// The shell folders GetShellFolder knows, by the value name read from "Shell Folders".
enum TShellFolderKind { sfDesktop = 0, sfPrograms = 1, sfStartMenu = 2, sfStartup = 3 };

// The path of a shell folder, always ending in "\": the current user's "Shell Folders"
// value, or the Windows directory, "\" and the value name when it is missing.
std::string GetShellFolder(int kind);
// The Quick Launch folder below the Windows directory, ending in "\".
std::string QuickLaunchFolder();

class TShortcuts {
public:
    TShortcuts();  // fills FolderList

    std::string RunProgram;   // full path of the program the link starts
    std::string Folder;       // name of the program folder
    std::string ProgramName;  // link title; the link file is ProgramName + ".lnk"
    bool Desktop = false;
    bool QuickLaunch = false;
    bool StartMenu = false;
    bool FolderDesktop = false;      // the program folder on the desktop and in Programs
    bool FolderQuickLaunch = false;  // only together with one of the two other folder flags
    bool FolderStartMenu = false;
    std::vector<std::string> FolderList;  // what lies below the Programs group
    std::string IconFile;

    // The names below the Programs group: folders and other non-link files.
    void FillFolderList();
    // Writes the links for the current properties. Raises EShortcutError when the link
    // object cannot be made or a folder cannot be created.
    void CreateShortcuts();
    // The link files the last CreateShortcuts saved, and the failures of those it could not
    // save (each with the link's path).
    const std::vector<std::string>& Saved() const { return saved_; }
    const std::vector<sys::Failure>& NotSaved() const { return notSaved_; }

private:
    std::vector<std::string> saved_;
    std::vector<sys::Failure> notSaved_;
};

}  // namespace zov
