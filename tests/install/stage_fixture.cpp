#include "tests/install/stage_fixture.h"

#include "segment/seg_writer.h"
#include "segment/set_builder.h"
#include "ui/screen.h"

namespace zov::test {

StageFixture::StageFixture() {
    ui::Screen().Width = 800;
    ui::Screen().Height = 600;
    ui::Screen().PixelsPerInch = 96;
    app.Title = "ZOV - Setup";
    main = app.CreateForm<TMainSetup>();
    wizard = app.CreateForm<TZOV>();
    unzip = app.CreateForm<TUnzip>();
    machine.System().CreateDirectory(medium);
}

StageFixture::~StageFixture() {
    // The run leaves the temporary directory behind when a test ends before the close.
    if (MainSetup && !MainSetup->Run.Settings.TempDir.empty()) MainSetup->ClearTempDir();
}

void StageFixture::WriteConfig(const std::string& text) { machine.WriteFile(medium + "\\install.cfg", text); }

void StageFixture::WriteMediumFile(const std::string& name, const std::string& bytes) {
    machine.WriteFile(medium + "\\" + name, bytes);
}

void StageFixture::InstallWhenTheWizardShows(std::function<void()> first) {
    beforeInstall = std::move(first);
    headless.OnIdle = [this] {
        if (!wizard->Visible()) return false;
        if (beforeInstall) beforeInstall();
        while (!wizard->install.Visible()) {
            EXPECT_TRUE(wizard->next.Showing() && wizard->next.Enabled()) << "Next is not offered on " << PageName(*wizard);
            if (!wizard->next.Enabled()) break;
            wizard->next.Click();
        }
        wizard->install.Click();
        return true;
    };
}

void StageFixture::Start() {
    app.Params = {medium};
    main->Show();
}

size_t StageFixture::WriteSegments(const Files& files, int32_t segSize, compress::TCompressionMethod method) {
    return WriteMediumSegments(machine, medium, files, segSize, method);
}

size_t WriteMediumSegments(TestMachine& machine, const std::string& medium, const MediumFiles& files,
                           int32_t segSize, compress::TCompressionMethod method) {
    const std::string source = machine.Path("payload");
    machine.System().CreateDirectory(source);
    segment::SegArchiveSource archive;
    archive.Template = "C:\\APP\\*.*";
    for (const auto& [name, bytes] : files) {
        std::string flat = name;
        for (char& c : flat)
            if (c == '\\') c = '_';
        machine.WriteFile(source + "\\" + flat, bytes);
        archive.Files.push_back({source + "\\" + flat, name});
    }
    segment::SegBuildOptions options;
    options.Method = method;
    options.ScratchPath = machine.Path("build.tmp");
    const std::string dir = medium;
    segment::TSegmentFileWriter writer(
        [dir](uint16_t n) {
            std::string digits = std::to_string(n);
            return dir + "\\disk." + std::string(3 - digits.size(), '0') + digits;
        },
        segSize);
    segment::WriteSegmentSet(writer, {archive}, options);
    return writer.Finish().size();
}

std::string PageName(TZOV& wizard) { return wizard.Notebook1.Page(wizard.Notebook1.PageIndex()).Name; }

std::string NotFoundText(TestMachine& machine) {
    machine.System().OpenFile(machine.Path("not there"), sys::FileAccess::Read, sys::FileCreate::OpenExisting,
                              sys::FileShare::DenyNone);
    return machine.System().LastError().text;
}

}  // namespace zov::test
