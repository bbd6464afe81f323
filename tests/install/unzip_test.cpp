#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "segment/seg_check.h"
#include "tests/install/stage_fixture.h"
#include "tests/support/noise_bytes.h"
#include "tests/support/test_pictures.h"

namespace zov::test {
namespace {

using ui::TMsgDlgType;

constexpr char kThreeFiles[] =
    "[Setup - Main]\n[Files]\nF1=a.txt~<INSTALLDIR>\nF2=b.dll~<INSTALLDIR>\nF3=c.txt~<INSTALLDIR>\n";

class Preparation : public StageFixture {
protected:
    void Prepare() {
        Start();
        main->Timer1.SetEnabled(false);  // the stage is shown here, not by the stage sequence
        unzip->ShowModal();
    }
    void ExpectMessage(const std::string& text, std::function<void()> whileShown = {}) {
        dialogs.ExpectMessage(text, "ZOV - Setup", TMsgDlgType::mtCustom, ui::mbOK, ui::mrOk, std::move(whileShown));
    }
    void ExpectDiskPrompt(ui::TModalResult answer, std::function<void()> whileShown = {}) {
        dialogs.ExpectMessage("Please Insert Disk #2 into Floppy Drive.", "ZOV - Setup", TMsgDlgType::mtCustom,
                              ui::mbOK | ui::mbCancel, answer, std::move(whileShown));
    }
    // The gauge and the picture panel at every pump of the run.
    struct Pump {
        int progress, max;
        bool pictureShown;
    };
    std::vector<Pump> pumps;
    void RecordPumps() {
        dialogs.OnPump = [this] {
            pumps.push_back({unzip->ProgressBar2.Progress(), unzip->ProgressBar2.MaxValue(),
                             main->bitmapscreen.Visible()});
        };
    }
    // The progress at the first pump that saw the picture; -1 when it never appeared.
    int ProgressWhenPictureAppeared() const {
        for (const Pump& p : pumps)
            if (p.pictureShown) return p.progress;
        return -1;
    }
};

TEST_F(Preparation, FromTheFirstDiskEverythingLandsFlatInTheTemporaryDirectory) {
    WriteConfig(kThreeFiles);
    WriteMediumFile("install.exe", "MZ stub");
    WriteSegments({{"a.txt", "A"}, {"SUB\\b.dll", "B"}, {"c.txt", "C"}});
    RecordPumps();
    Prepare();
    EXPECT_FALSE(main->Run.Cancelled);
    EXPECT_EQ(machine.ReadFile(TempFile("install.exe")), "MZ stub");
    EXPECT_EQ(machine.ReadFile(TempFile("install.cfg")), kThreeFiles);
    EXPECT_EQ(machine.ReadFile(TempFile("b.dll")), "B");
    EXPECT_FALSE(machine.Exists(TempFile("SUB")));
    EXPECT_TRUE(machine.Exists(TempFile("a.txt")) && machine.Exists(TempFile("c.txt")));
    // Both copies are counted before the first entry: 2 of |Files| + 3.
    bool sawCopies = false;
    for (const Pump& p : pumps) sawCopies |= p.progress == 2 && p.max == 6;
    EXPECT_TRUE(sawCopies);
    EXPECT_EQ(unzip->ProgressBar2.Progress(), 5);
    EXPECT_EQ(unzip->ProgressBar2.MaxValue(), 6);
    EXPECT_FALSE(unzip->Visible());
    EXPECT_EQ(dialogs.Pending(), 0u);
}

TEST_F(Preparation, AMissingSecondDiskIsAskedForOnce) {
    WriteConfig(kThreeFiles);
    WriteMediumFile("install.exe", "MZ");
    ASSERT_EQ(WriteSegments({{"a.txt", std::string(12000, 'a')}, {"b.dll", std::string(12000, 'b')}}, 16384), 2u);
    const std::string second = machine.ReadFile(medium + "\\disk.002");
    machine.System().DeleteFile(medium + "\\disk.002");
    ExpectDiskPrompt(ui::mrOk, [&] { machine.WriteFile(medium + "\\disk.002", second); });
    Prepare();
    EXPECT_FALSE(main->Run.Cancelled);
    EXPECT_EQ(machine.ReadFile(TempFile("b.dll")), std::string(12000, 'b'));
}

// Cancel at the first prompt, or at the reader's own after two: a cancel, not an error, so no
// error box follows.
TEST_F(Preparation, CancelAtADiskPromptEndsTheSetupCancelledWithoutAnError) {
    WriteConfig(kThreeFiles);
    WriteMediumFile("install.exe", "MZ");
    ASSERT_EQ(WriteSegments({{"a.txt", std::string(12000, 'a')}, {"b.dll", std::string(12000, 'b')}}, 16384), 2u);
    machine.System().DeleteFile(medium + "\\disk.002");
    for (bool atFirst : {true, false}) {
        SCOPED_TRACE(atFirst ? "first prompt" : "the reader's prompt");
        ExpectDiskPrompt(atFirst ? ui::mrCancel : ui::mrOk);
        if (!atFirst) {
            ExpectDiskPrompt(ui::mrOk);
            dialogs.ExpectMessage("Unable to locate \"disk.002\" on this segment!\n\rCorrect and then press OK, or Cancel to abort",
                                  "Error", TMsgDlgType::mtError, ui::mbOK | ui::mbCancel, ui::mrCancel);
        }
        Prepare();
        EXPECT_TRUE(main->Run.Cancelled);
        EXPECT_EQ(dialogs.Pending(), 0u);
    }
}

// A disk of another medium carries the right number but not the size written: it is named for
// what it is, and the right one read when it comes.
TEST_F(Preparation, ADiskOfAnotherMediumIsNotTakenForThisOne) {
    WriteMediumFile("install.exe", "MZ");
    ASSERT_EQ(WriteSegments({{"a.txt", std::string(12000, 'a')}, {"b.dll", std::string(12000, 'b')}}, 16384), 2u);
    std::string config = std::string("[Setup - Main]\nHeader=Tidewater Notes 2.1\n") + (kThreeFiles + 15) + "[Disk Check]\n";
    const std::string second = machine.ReadFile(medium + "\\disk.002");
    config += "disk.002=" +
              segment::SegCheckValue({static_cast<int64_t>(second.size()),
                                      segment::Crc32Update(0, reinterpret_cast<const uint8_t*>(second.data()), second.size())}) +
              "\n";
    WriteConfig(config);
    machine.WriteFile(medium + "\\disk.002", second + "of another product");
    dialogs.ExpectMessage("This disk 2 is not the one made for this medium of Tidewater Notes 2.1; insert the right disk 2.\n\r"
                          "Then press OK, or Cancel to abort",
                          "Error", TMsgDlgType::mtError, ui::mbOK | ui::mbCancel, ui::mrOk,
                          [&] { machine.WriteFile(medium + "\\disk.002", second); });
    Prepare();
    EXPECT_FALSE(main->Run.Cancelled);
    EXPECT_EQ(machine.ReadFile(TempFile("b.dll")), std::string(12000, 'b'));
}

// install.cfg's "Disk Check" section: a damaged disk is named and a good copy read instead;
// nothing is expanded from the damaged one.
TEST_F(Preparation, ADamagedDiskIsNamedAndAGoodCopyReadInItsPlace) {
    WriteMediumFile("install.exe", "MZ");
    ASSERT_EQ(WriteSegments({{"a.txt", std::string(12000, 'a')}, {"b.dll", std::string(12000, 'b')}}, 16384), 2u);
    std::string config = kThreeFiles + std::string("[Disk Check]\n");
    for (const char* name : {"disk.001", "disk.002"}) {
        const std::string bytes = machine.ReadFile(medium + "\\" + name);
        config += std::string(name) + "=" +
                  segment::SegCheckValue({static_cast<int64_t>(bytes.size()),
                                          segment::Crc32Update(0, reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size())}) +
                  "\n";
    }
    WriteConfig(config);
    const std::string second = machine.ReadFile(medium + "\\disk.002");
    std::string flipped = second;
    flipped[100] ^= 0x20;
    machine.WriteFile(medium + "\\disk.002", flipped);
    dialogs.ExpectMessage("Disk #2 (disk.002) is damaged: its data differ from the ones written.\n\r"
                          "Insert a good copy and then press OK, or Cancel to abort",
                          "Error", TMsgDlgType::mtError, ui::mbOK | ui::mbCancel, ui::mrOk,
                          [&] { machine.WriteFile(medium + "\\disk.002", second); });
    Prepare();
    EXPECT_FALSE(main->Run.Cancelled);
    EXPECT_EQ(machine.ReadFile(TempFile("b.dll")), std::string(12000, 'b'));
    EXPECT_EQ(dialogs.Pending(), 0u);

    // Cancelled: the setup ends as on any failure, without the file that came after.
    machine.System().DeleteFile(TempFile("b.dll"));
    machine.WriteFile(medium + "\\disk.002", flipped);
    dialogs.ExpectMessage("Disk #2 (disk.002) is damaged: its data differ from the ones written.\n\r"
                          "Insert a good copy and then press OK, or Cancel to abort",
                          "Error", TMsgDlgType::mtError, ui::mbOK | ui::mbCancel, ui::mrCancel);
    unzip->ShowModal();
    EXPECT_TRUE(main->Run.Cancelled);
    EXPECT_FALSE(machine.Exists(TempFile("b.dll")));
}

TEST_F(Preparation, AMissingStubFailsTheStage) {
    WriteConfig(kThreeFiles);
    WriteSegments({{"a.txt", "A"}});
    const std::string missing = "Cannot open file " + medium + "\\install.exe: " + NotFoundText(machine);
    ExpectMessage("Error Expanding Files!!\r\rDisk: " + medium + "\\disk.001\r" + missing);
    struct : TInstallLog {
        std::vector<std::string> lines;
        void Line(const std::string& text) override { lines.push_back(text); }
    } log;
    main->Run.Log = &log;
    Prepare();
    EXPECT_EQ(log.lines, (std::vector<std::string>{"segment " + medium + "\\disk.001",
                                                   "FAILED Error Expanding Files!! Disk: " + medium + "\\disk.001 " +
                                                       missing + " (error 2)"}));
    EXPECT_TRUE(main->Run.Cancelled);
}

TEST_F(Preparation, AnAnimatedPictureAppearsAtTheEntryAfterItsOwnAtTheLeft) {
    WriteConfig("[Setup - Main]\nBitmap File=logo.gif\n[Files]\nF1=a~<X>\nF2=b~<X>\nF3=c~<X>\nF4=d~<X>\n");
    WriteMediumFile("install.exe", "MZ");
    WriteSegments({{"a.txt", "A"}, {"logo.gif", TinyGif(60, 40, 4, 10)}, {"b.txt", "B"}, {"c.txt", "C"}});
    RecordPumps();
    Prepare();
    EXPECT_EQ(ProgressWhenPictureAppeared(), 2 + 3);  // during b.txt, the entry after the picture's
    EXPECT_EQ(unzip->ProgressBar2.MaxValue(), 4 + 3);
    EXPECT_TRUE(main->Image3.Visible());
    EXPECT_FALSE(main->Image4.Visible());
    EXPECT_EQ(main->Image3.BoundsRect(), (ui::TRect{5, 5, 65, 45}));
    EXPECT_EQ(main->Image3.Image().Data()->FrameCount(), 4);
    EXPECT_TRUE(main->Image3.Animate());
    EXPECT_EQ(main->bitmapscreen.BoundsRect(),
              (ui::TRect{20, main->Setup_Header2.Top() + 30, 20 + 70, main->Setup_Header2.Top() + 30 + 50}));
    EXPECT_TRUE(unzip->PictureShown);
}

TEST_F(Preparation, AStillPictureCanBeCentredOrPutAtTheRightEdge) {
    WriteConfig("[Setup - Main]\nBitmap File=splash.bmp\nAlign Center=1\nAlign Left=1\n");
    WriteMediumFile("install.exe", "MZ");
    WriteSegments({{"splash.bmp", TinyBmp(96, 48)}, {"a.txt", "A"}});
    Prepare();
    EXPECT_TRUE(main->Image4.Visible());
    EXPECT_FALSE(main->Image3.Visible());
    EXPECT_EQ(main->bitmapscreen.Width(), 106);
    EXPECT_EQ(main->bitmapscreen.Height(), 58);
    EXPECT_EQ(main->bitmapscreen.Left(), 800 / 2 - 106 / 2);
}

TEST_F(Preparation, WithNeitherCentreNorLeftThePictureGoesRight) {
    WriteConfig("[Setup - Main]\nBitmap File=splash.bmp\nAlign Left=0\nAlign Right=0\n");
    WriteMediumFile("install.exe", "MZ");
    WriteSegments({{"splash.bmp", TinyBmp(96, 48)}, {"a.txt", "A"}});
    Prepare();
    EXPECT_EQ(main->bitmapscreen.Left(), 800 - 106 - 20);
}

TEST_F(Preparation, APictureThatComesLastOrNotAtAllIsNeverShown) {
    WriteConfig("[Setup - Main]\nBitmap File=splash.bmp\n");
    WriteMediumFile("install.exe", "MZ");
    WriteSegments({{"a.txt", "A"}, {"splash.bmp", TinyBmp(96, 48)}});
    Prepare();
    EXPECT_FALSE(main->bitmapscreen.Visible());
    EXPECT_TRUE(machine.Exists(TempFile("splash.bmp")));
    EXPECT_FALSE(main->Run.Cancelled);
}

TEST_F(Preparation, APictureMissingFromThePayloadIsNoError) {
    WriteConfig("[Setup - Main]\nBitmap File=missing.gif\n");
    WriteMediumFile("install.exe", "MZ");
    WriteSegments({{"a.txt", "A"}, {"b.txt", "B"}});
    Prepare();
    EXPECT_FALSE(main->bitmapscreen.Visible());
    EXPECT_FALSE(main->Run.Cancelled);
}

TEST_F(Preparation, APictureThatCannotBeLoadedFailsTheStage) {
    WriteConfig("[Setup - Main]\nBitmap File=splash.bmp\n");
    WriteMediumFile("install.exe", "MZ");
    WriteSegments({{"splash.bmp", "not a picture"}, {"a.txt", "A"}});
    // The picture is loaded at the entry after its own.
    ExpectMessage("Error Expanding Files!!\r\rDisk: " + medium + "\\disk.001\rFile: a.txt\rInvalid picture format");
    Prepare();
    EXPECT_TRUE(main->Run.Cancelled);
}

TEST_F(Preparation, OnlyTheFreeAreaAsksAboutAbortingAndNoGoesOn) {
    WriteConfig(kThreeFiles);
    WriteMediumFile("install.exe", "MZ");
    WriteSegments({{"a.txt", "A"}, {"b.dll", "B"}, {"c.txt", "C"}});
    bool clicked = false;
    dialogs.OnPump = [&] {
        if (clicked || unzip->ProgressBar2.Progress() < 3) return;
        clicked = true;
        unzip->Label1.Click();
        unzip->ProgressBar2.Click();
        unzip->RxGIFAnimator1.Click();
        unzip->Click();
    };
    dialogs.ExpectMessage("Abort Setup Process ?", "Warning", TMsgDlgType::mtWarning, ui::mbNo | ui::mbAbort, ui::mrNo);
    Prepare();
    EXPECT_FALSE(main->Run.Cancelled);
    EXPECT_TRUE(machine.Exists(TempFile("c.txt")));
}

TEST_F(Preparation, AbortStopsTheExpansionEmptiesTheTemporaryDirectoryAndEndsSilently) {
    WriteConfig(kThreeFiles);
    WriteMediumFile("install.exe", "MZ");
    // Packed, so that every entry's expansion reports its progress.
    WriteSegments({{"a.txt", std::string(30000, 'a')}, {"b.dll", std::string(30000, 'b')}, {"c.txt", "C"}}, 1440000,
                  compress::coLZH5);
    bool clicked = false;
    dialogs.OnPump = [&] {
        if (clicked || unzip->ProgressBar2.Progress() < 3) return;
        clicked = true;
        unzip->Click();
    };
    dialogs.ExpectMessage("Abort Setup Process ?", "Warning", TMsgDlgType::mtWarning, ui::mbNo | ui::mbAbort,
                          ui::mrAbort);
    Prepare();
    EXPECT_TRUE(main->Run.Cancelled);
    EXPECT_TRUE(app.Terminated());
    EXPECT_FALSE(machine.Exists(TempFile("c.txt")));  // the expansion stopped
    // What was written after the abort goes with the main screen's close.
    main->Close();
    EXPECT_FALSE(machine.Exists(Settings().TempDir));
}

TEST_F(Preparation, EscapeAndTheCloseCommandAskInsideOneLargeFileAndAbortThere) {
    WriteConfig("[Setup - Main]\n[Files]\nF1=big.bin~<INSTALLDIR>\nF2=c.txt~<INSTALLDIR>\n");
    WriteMediumFile("install.exe", "MZ");
    const std::string big = NoiseBytes(300000);  // many reads of the expansion
    WriteSegments({{"big.bin", big}, {"c.txt", "C"}}, 1440000, compress::coLZH5);
    // Pumps while big.bin is being written: the first asks by the close command (No goes
    // on), a later one by Escape (Abort).
    int pumpsInside = 0, pumpsAfterAbort = 0;
    dialogs.OnPump = [&] {
        if (main->Run.Cancelled) ++pumpsAfterAbort;
        if (!machine.Exists(TempFile("big.bin")) || main->Run.Cancelled) return;
        ++pumpsInside;
        if (pumpsInside == 2) unzip->UserClose();
        if (pumpsInside == 10) {
            EXPECT_TRUE(unzip->DialogKey(ui::TDialogKey::dkEscape, nullptr));
        }
    };
    dialogs.ExpectMessage("Abort Setup Process ?", "Warning", TMsgDlgType::mtWarning, ui::mbNo | ui::mbAbort, ui::mrNo);
    dialogs.ExpectMessage("Abort Setup Process ?", "Warning", TMsgDlgType::mtWarning, ui::mbNo | ui::mbAbort,
                          ui::mrAbort);
    Prepare();
    EXPECT_EQ(pumpsInside, 10);
    EXPECT_TRUE(main->Run.Cancelled);
    EXPECT_TRUE(app.Terminated());
    EXPECT_LE(pumpsAfterAbort, 2);  // it stops at the next progress report
    EXPECT_FALSE(machine.Exists(TempFile("c.txt")));
}

TEST_F(Preparation, ProgressIsStoppedOnlyOnceCancelled) {
    int32_t percentage = 40;
    unzip->SegCompEZ1ShowProgress(percentage);
    EXPECT_EQ(percentage, 40);
    main->Run.Cancelled = true;
    unzip->SegCompEZ1ShowProgress(percentage);
    EXPECT_EQ(percentage, -1);
}

TEST_F(Preparation, ShowingTakesTheTitleAndColoursOfTheMainScreen) {
    WriteConfig("[Setup - Main]\nHeader=Tidewater\nDither From=0x800000\nDither To=255\nHeader Font Color=$FFFFFF\n");
    Start();
    main->Timer1.SetEnabled(false);
    main->Run.Cancelled = true;
    unzip->Show();
    EXPECT_FALSE(main->Run.Cancelled);
    EXPECT_EQ(unzip->Label1.Caption(),
              "Tidewater Setup is preparing the ZOV Install Wizard which will guide you in the rest of you setup "
              "process.\rPlease Standby.");
    EXPECT_EQ(unzip->ProgressBar2.Color(), 0x800000);
    EXPECT_EQ(unzip->MarsCaption1.ActiveStartColor(), 0x800000);
    EXPECT_EQ(unzip->MarsCaption1.ActiveEndColor(), 255);
    EXPECT_EQ(unzip->MarsCaption1.ActiveTextColor(), ui::clWhite);
    EXPECT_TRUE(unzip->Timer1.Enabled());
    EXPECT_EQ(unzip->ClientWidth(), 375);
    EXPECT_EQ(unzip->ClientHeight(), 92);
    EXPECT_EQ(unzip->Caption(), "Preparing ZOV Setup");
}

}  // namespace
}  // namespace zov::test
