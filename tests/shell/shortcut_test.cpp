// Where TShortcuts puts its links, by its flags.
#include <gtest/gtest.h>

#include <algorithm>

#include "shell/Shortcut.h"
#include "sys/paths.h"
#include "tests/support/test_machine.h"

namespace zov {
namespace {

class Shortcuts : public ::testing::Test {
protected:
    // The .lnk files below the desktop, the Start Menu (with Programs) and Quick Launch,
    // as paths relative to the Windows directory.
    std::vector<std::string> Links() {
        std::vector<std::string> found;
        Walk("C:\\WINDOWS", "", found);
        std::sort(found.begin(), found.end());
        return found;
    }
    void Walk(const std::string& dir, const std::string& rel, std::vector<std::string>& found) {
        std::vector<sys::FindEntry> entries;
        machine.System().FindFiles(dir + "\\*.*", true, entries);
        for (const sys::FindEntry& e : entries) {
            if (e.name == "." || e.name == "..") continue;
            if (e.attributes & sys::kAttrDirectory)
                Walk(dir + "\\" + e.name, rel + e.name + "\\", found);
            else if (UpperCase(e.name).size() > 4 && UpperCase(e.name).substr(e.name.size() - 4) == ".LNK")
                found.push_back(rel + e.name);
        }
    }
    TShortcuts Make() {
        TShortcuts s;
        s.RunProgram = "C:\\Tool\\tool.exe";
        s.Folder = "Tool";
        s.ProgramName = "Tool";
        return s;
    }
    test::TestMachine machine;
};

TEST_F(Shortcuts, PlacesByFlags) {
    {
        TShortcuts s = Make();  // no flag: the program's group in Programs
        s.CreateShortcuts();
        EXPECT_EQ(Links(), std::vector<std::string>{"Start Menu\\Programs\\Tool\\Tool.lnk"});
    }
    machine.System().DeleteFile("C:\\WINDOWS\\Start Menu\\Programs\\Tool\\Tool.lnk");
    {
        TShortcuts s = Make();
        s.FolderQuickLaunch = true;  // alone it changes nothing
        s.CreateShortcuts();
        EXPECT_EQ(Links(), std::vector<std::string>{"Start Menu\\Programs\\Tool\\Tool.lnk"});
    }
    machine.System().DeleteFile("C:\\WINDOWS\\Start Menu\\Programs\\Tool\\Tool.lnk");
    {
        TShortcuts s = Make();
        s.FolderDesktop = true;  // the desktop's folder and the Programs group
        s.CreateShortcuts();
        EXPECT_EQ(Links(), (std::vector<std::string>{"Desktop\\Tool\\Tool.lnk", "Start Menu\\Programs\\Tool\\Tool.lnk"}));
    }
}

TEST_F(Shortcuts, StartMenuFolderDirectLinksAndQuickLaunch) {
    TShortcuts s = Make();
    s.FolderStartMenu = true;
    s.FolderQuickLaunch = true;
    s.Desktop = true;
    s.StartMenu = true;
    s.QuickLaunch = true;
    s.CreateShortcuts();
    s.CreateShortcuts();  // a second time replaces the same files
    const std::string ql = "Application Data\\Microsoft\\Internet Explorer\\Quick Launch\\";
    EXPECT_EQ(Links(), (std::vector<std::string>{ql + "Tool.lnk", ql + "Tool\\Tool.lnk", "Desktop\\Tool.lnk",
                                                 "Start Menu\\Tool.lnk", "Start Menu\\Tool\\Tool.lnk"}));
    EXPECT_EQ(s.Saved().size(), 5u);
}

TEST_F(Shortcuts, ShellFoldersFallBackToTheWindowsDirectory) {
    EXPECT_EQ(GetShellFolder(sfDesktop), "C:\\WINDOWS\\Desktop\\");
    EXPECT_EQ(GetShellFolder(sfPrograms), "C:\\WINDOWS\\Start Menu\\Programs\\");
    machine.System().RegSetString(sys::RegRoot::CurrentUser,
                                  "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders", "Startup",
                                  "");
    EXPECT_EQ(GetShellFolder(sfStartup), "C:\\WINDOWS\\Startup\\");
    // The folder list holds what lies below Programs but links and dot names.
    machine.System().CreateDirectory("C:\\WINDOWS\\Start Menu\\Programs\\Games");
    machine.WriteFile("C:\\WINDOWS\\Start Menu\\Programs\\Clock.lnk", "L");
    machine.WriteFile("C:\\WINDOWS\\Start Menu\\Programs\\notes.txt", "n");
    TShortcuts s;
    EXPECT_EQ(s.FolderList, (std::vector<std::string>{"Games", "notes.txt", "StartUp"}));
}

}  // namespace
}  // namespace zov
