#include "tests/segment/seg_fixture.h"

#include "segment/seg_records.h"
#include "segment/seg_names.h"

namespace zov::test {

std::string TestBytes(size_t size, uint32_t seed) {
    std::string bytes(size, '\0');
    uint32_t x = seed * 2654435761u + 1;
    for (char& c : bytes) {
        x = x * 1103515245u + 12345u;
        c = static_cast<char>((x >> 16) % 7 == 0 ? 'a' : (x >> 24));
    }
    return bytes;
}

std::vector<RecordSpan> RecordSpans(const std::vector<uint8_t>& stream) {
    using namespace segment;
    std::vector<RecordSpan> spans{{"SHdr", 0, TSegHeader::kSize}};
    const uint16_t count = TSegHeader::Decode(stream.data()).Count;
    size_t p = TSegHeader::kSize;
    for (uint16_t k = 0; k < count; ++k) {
        const TSegScanHeader scan = TSegScanHeader::Decode(stream.data() + p);
        spans.push_back({"Scan", p, TSegScanHeader::kSize});
        p += TSegScanHeader::kSize + scan.NameLength + static_cast<size_t>(scan.ScanSize);
    }
    for (uint16_t k = 0; k < count; ++k) {
        const TSegArcHeader arc = TSegArcHeader::Decode(stream.data() + p);
        spans.push_back({"SArc", p, TSegArcHeader::kSize});
        p += TSegArcHeader::kSize + static_cast<size_t>(arc.DataSize);
    }
    EXPECT_EQ(p, stream.size());
    return spans;
}

std::string SegmentBytes(uint16_t number, const uint8_t* content, size_t size) {
    segment::TSegIDHeader id;
    id.SegNumber = number;
    uint8_t head[segment::TSegIDHeader::kSize];
    id.Encode(head);
    std::string bytes(reinterpret_cast<const char*>(head), sizeof head);
    bytes.append(reinterpret_cast<const char*>(content), size);
    return bytes;
}

SegFixture::SegFixture() {
    for (const std::string& dir : {src, media, out}) machine.System().CreateDirectory(dir);
}

segment::SegArchiveSource SegFixture::Archive(const std::string& sub, const Files& files,
                                              uint8_t archiveByte) {
    segment::SegArchiveSource archive;
    archive.Template = out + "\\" + sub + "\\*.*";
    archive.ArchiveByte = archiveByte;
    for (const auto& [name, content] : files) {
        const std::string path = src + "\\" + sub + "_" + name.substr(name.find_last_of("\\/:") + 1);
        machine.WriteFile(path, content);
        archive.Files.push_back({path, name});
    }
    return archive;
}

std::vector<uint8_t> SegFixture::Stream(const std::vector<segment::SegArchiveSource>& archives,
                                        int32_t key) {
    TMemoryStream stream;
    segment::SegBuildOptions options;
    options.Method = compress::coNone;
    options.Key = key;
    options.ScratchPath = src + "\\build.$A$";
    segment::WriteSegmentSet(stream, archives, options);
    return stream.Bytes();
}

void SegFixture::WriteSegments(const std::vector<uint8_t>& stream, const std::vector<size_t>& cuts,
                               const std::string& dir, const std::string& base) {
    size_t start = 0;
    for (size_t n = 0; n <= cuts.size(); ++n) {
        const size_t end = n < cuts.size() ? cuts[n] : stream.size();
        const auto number = static_cast<uint16_t>(n + 1);
        machine.WriteFile(segment::SegFilePath(dir.empty() ? media : dir, base, "", number),
                          SegmentBytes(number, stream.data() + start, end - start));
        start = end;
    }
}

std::unique_ptr<segment::TSegCompEZ> SegFixture::Reader() {
    auto reader = std::make_unique<segment::TSegCompEZ>();
    reader->SetSegBaseName("segdata");
    reader->SetSegDir(media);
    reader->SetSegTmpDir(tmp);
    reader->SetSegPopUp(false);
    return reader;
}

void SegFixture::ExpectExpanded(const std::vector<std::pair<std::string, Files>>& archives) {
    for (const auto& [sub, files] : archives) {
        for (const auto& [name, content] : files) {
            const std::string path = out + "\\" + sub + "\\" + name;
            ASSERT_TRUE(machine.Exists(path)) << path;
            EXPECT_EQ(machine.ReadFile(path), content) << path;
            machine.System().DeleteFile(path);
        }
    }
}

void SegFixture::ExpectScratchEmpty() {
    std::vector<sys::FindEntry> entries;
    machine.System().FindFiles(tmp + "\\*.*", true, entries);
    for (const sys::FindEntry& e : entries)
        if (e.name != "." && e.name != "..") ADD_FAILURE() << "left in the scratch folder: " << e.name;
}

}  // namespace zov::test
