#pragma once
// A scratch machine with a source folder, a medium folder, an output folder and a scratch
// folder for the reader, and helpers that build segment sets and cut them into segments.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "segment/Segment.h"
#include "segment/set_builder.h"
#include "tests/support/scripted_dialogs.h"
#include "tests/support/test_machine.h"
#include "ui/dialog_prompts.h"

namespace zov::test {

// Deterministic bytes that do not compress to nothing.
std::string TestBytes(size_t size, uint32_t seed);

// Where each record of a logical stream lies.
struct RecordSpan {
    std::string id;
    size_t offset;
    size_t size;
};
std::vector<RecordSpan> RecordSpans(const std::vector<uint8_t>& stream);

// The bytes of one segment file: its "SSeg" record, then `content`.
std::string SegmentBytes(uint16_t number, const uint8_t* content, size_t size);

class SegFixture : public ::testing::Test {
protected:
    SegFixture();

    TestMachine machine;
    ScriptedDialogs dialogs;
    ui::TDialogPrompts prompts;  // the reader's questions as boxes, answered by the script
    const std::string src = machine.Path("src");
    const std::string media = machine.Path("media");
    const std::string out = machine.Path("out");
    const std::string tmp = machine.Path("tmp");

    using Files = std::vector<std::pair<std::string, std::string>>;  // stored name, content
    // An archive of `files` (written to the source folder) whose template lies in out\sub.
    segment::SegArchiveSource Archive(const std::string& sub, const Files& files,
                                      uint8_t archiveByte = 0);
    std::vector<uint8_t> Stream(const std::vector<segment::SegArchiveSource>& archives,
                                int32_t key = 0);
    // Writes segments into `dir`: a new segment begins at each offset of `cuts`.
    void WriteSegments(const std::vector<uint8_t>& stream, const std::vector<size_t>& cuts,
                       const std::string& dir = "", const std::string& base = "segdata");
    // A reader for the medium folder, without the SegPopUp dialog.
    std::unique_ptr<segment::TSegCompEZ> Reader();

    // Each archive's files are in out\sub with their contents; removes them afterwards.
    void ExpectExpanded(const std::vector<std::pair<std::string, Files>>& archives);
    // The reader left nothing behind in its scratch folder.
    void ExpectScratchEmpty();
};

}  // namespace zov::test
