#pragma once
// A scratch emulated machine as a real one looks before an install (the registry keys of
// Windows, an autoexec.bat, a win.ini), the install engine run on it as the wizard runs it,
// and the machine's whole state for comparing before and after.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "install/wizard/install_engine.h"
#include "tests/support/test_machine.h"
#include "ui/dialog_prompts.h"
#include "uninstall/uninstall_program.h"

namespace zov::test {

using Payload = std::vector<std::pair<std::string, std::string>>;  // file name, bytes

class InstallFixture : public ::testing::Test {
protected:
    InstallFixture();

    TestMachine machine;
    sys::System& os = machine.System();

    // Every file and folder of the machine (registry included), path to contents.
    std::map<std::string, std::string> Snapshot();
    // Installs `cfg` with `payload` into `destination` as the product `title`, every link
    // and folder chosen; the expanded payload is gone afterwards, as after a setup.
    TInstallReport Install(const std::string& cfg, const Payload& payload, const std::string& destination,
                           const std::string& title);
    // What Install shows progress on and asks; by default nothing, and failures are ignored.
    TInstallProgress* progress = nullptr;
    TSetupPrompts* prompts = nullptr;
    std::function<void()> beforeRun;  // runs once the payload is in place (a fault to inject)
    // The uninstaller as the registration starts it: silent unless told otherwise.
    TUninstallOutcome RemoveProduct(const std::string& dir, const std::string& title, bool silent = true);

    static std::string Describe(const std::map<std::string, std::string>& before,
                                const std::map<std::string, std::string>& after);
};

// The example medium's install.cfg and payload, from the source tree.
std::string ExampleConfig();
Payload ExamplePayload();

}  // namespace zov::test
