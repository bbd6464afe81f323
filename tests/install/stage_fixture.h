#pragma once
// The three windows on a scratch machine, headless, created as the program entry creates
// them, with a medium folder to start from and scripted dialogs.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "install/Setup_Unit1.h"
#include "install/Unzip_Unit.h"
#include "install/wizard/Setup_Unit2.h"
#include "tests/support/scripted_dialogs.h"
#include "tests/support/test_machine.h"
#include "ui/application.h"
#include "ui/headless.h"

namespace zov::test {

using MediumFiles = std::vector<std::pair<std::string, std::string>>;  // stored name, bytes

class StageFixture : public ::testing::Test {
protected:
    using Files = MediumFiles;
    StageFixture();
    ~StageFixture() override;

    TestMachine machine;
    ui::TApplication app;
    ScriptedDialogs dialogs;
    ui::THeadlessBackend& headless = *app.Headless();
    TMainSetup* main = nullptr;
    TZOV* wizard = nullptr;
    TUnzip* unzip = nullptr;
    const std::string medium = machine.Path("medium");

    void WriteConfig(const std::string& text);
    void WriteMediumFile(const std::string& name, const std::string& bytes);
    // Shows the main screen with the medium as parameter 1: the start-up steps run, up to
    // the armed timer.
    void Start();
    const TSetupSettings& Settings() { return main->Run.Settings; }
    // Once the wizard shows, Next until Install is offered, then Install; `first` runs
    // before the clicks.
    void InstallWhenTheWizardShows(std::function<void()> first = {});
    std::function<void()> beforeInstall;  // the `first` of InstallWhenTheWizardShows
    std::string TempFile(const std::string& name) { return Settings().TempDir + "\\" + name; }

    // disk.001, disk.002, ... in the medium holding one archive of `files`, at most
    // `segSize` bytes each. Stored by default, so the files' sizes decide where segments
    // end. Returns the number of segments.
    size_t WriteSegments(const Files& files, int32_t segSize = 1440000,
                         compress::TCompressionMethod method = compress::coNone);
};

// disk.001, ... of one archive of `files` in `medium`; returns the number of segments.
size_t WriteMediumSegments(TestMachine& machine, const std::string& medium, const MediumFiles& files,
                           int32_t segSize = 1440000, compress::TCompressionMethod method = compress::coNone);

// The system's words for a file that is not there, as the machine gives them.
std::string NotFoundText(TestMachine& machine);

// The title text of the wizard's pages, for messages.
std::string PageName(TZOV& wizard);

}  // namespace zov::test
