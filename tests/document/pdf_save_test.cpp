#include "document/pdf_save.h"
#include "app/file_buffers.h"
#include "app/text_utils.h"

#include "app/scratch_folder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>

namespace {

std::string buffer_text(const pdf_save_buffer& b) { return std::string(b.data(), b.data() + b.size()); }

std::string outcome(const std::function<void()>& f) {
    try {
        f();
    } catch (const std::exception& e) {
        return e.what();
    }
    return "(nothing thrown)";
}

}  // namespace

class FileBuffers : public ScratchFolderTest {};

TEST(SaveBuffer, WriteSeekTruncateReadBack) {
    pdf_save_buffer b;
    b.prefill("%PDF-source", 11);
    EXPECT_EQ(b.tell(), 11);
    ASSERT_TRUE(b.write("+upd", 4));
    EXPECT_EQ(buffer_text(b), "%PDF-source+upd");

    ASSERT_TRUE(b.seek(5, SEEK_SET));
    ASSERT_TRUE(b.write("SOURCE", 6));  // overwrite in place
    EXPECT_EQ(buffer_text(b), "%PDF-SOURCE+upd");
    ASSERT_TRUE(b.seek(-4, SEEK_END));
    b.truncate();
    EXPECT_EQ(buffer_text(b), "%PDF-SOURCE");
    EXPECT_FALSE(b.seek(-1, SEEK_SET));
    EXPECT_FALSE(b.seek(-12, SEEK_CUR));
    EXPECT_EQ(b.tell(), 11);

    ASSERT_TRUE(b.seek(2, SEEK_END));  // a gap reads as zeros
    ASSERT_TRUE(b.write("!", 1));
    EXPECT_EQ(buffer_text(b), std::string("%PDF-SOURCE\0\0!", 14));

    char out[8] = {};
    EXPECT_EQ(b.read_at(5, out, 6), 6u);
    EXPECT_EQ(std::string(out, 6), "SOURCE");
    EXPECT_EQ(b.read_at(12, out, 8), 2u);
    EXPECT_EQ(b.read_at(14, out, 8), 0u);

    b.reset();
    EXPECT_EQ(b.size(), 0u);
    EXPECT_EQ(b.tell(), 0);
}

// A source read into the buffer stays where it is while a document reads it:
// appends within the room never move it, and beyond the room they fail
// until the buffer is unpinned.
TEST_F(FileBuffers, LoadFilePinsTheSourceInPlace) {
    const std::string source = path("source.pdf");
    { std::ofstream(source, std::ios::binary) << std::string("%PDF-1.7\n\0body", 15); }
    pdf_save_buffer b;
    ASSERT_TRUE(b.load_file(source, 8));
    EXPECT_TRUE(b.pinned());
    EXPECT_EQ(buffer_text(b), std::string("%PDF-1.7\n\0body", 15));
    EXPECT_EQ(b.tell(), 15);
    const unsigned char* start = b.data();

    b.prefill(start, b.size());  // the source is already there: kept, not copied
    EXPECT_EQ(b.data(), start);
    EXPECT_EQ(buffer_text(b), std::string("%PDF-1.7\n\0body", 15));
    EXPECT_TRUE(b.reserve(15 + 8));
    EXPECT_FALSE(b.reserve(1 << 20));

    ASSERT_TRUE(b.write("+upd", 4));
    EXPECT_EQ(b.data(), start);
    EXPECT_FALSE(b.write(std::string(1 << 20, 'x').data(), 1 << 20));
    EXPECT_EQ(b.data(), start);
    EXPECT_EQ(b.size(), 19u);

    b.unpin();
    ASSERT_TRUE(b.write(std::string(1 << 20, 'x').data(), 1 << 20));
    EXPECT_EQ(b.size(), 19u + (1 << 20));

    EXPECT_FALSE(b.load_file(path("missing.pdf"), 8));
    EXPECT_FALSE(b.pinned());
    EXPECT_EQ(b.size(), 0u);
    EXPECT_FALSE(b.load_file(root_, 8));
}

TEST(SaveBuffer, BlockWriterKeepsEveryBlock) {
    pdf_save_buffer b;
    for (const char* block : {"%PDF-1.7\n", "1", " 0 obj", "\n%%EOF\n"})
        EXPECT_EQ(save_write_block(&b, block, std::strlen(block)), 1);
    EXPECT_EQ(buffer_text(b), "%PDF-1.7\n1 0 obj\n%%EOF\n");
}

namespace {
// Stands in for the PDF layer: writes its output in blocks, like a library does.
class fake_document : public pdf_savable {
public:
    std::string source;
    std::vector<std::string> blocks;
    int error = 0;
    bool last_incremental = false;
    int save_into(pdf_save_buffer& out, bool incremental) override {
        last_incremental = incremental;
        if (incremental) out.prefill(source.data(), source.size());
        for (const auto& block : blocks)
            if (!save_write_block(&out, block.data(), block.size())) return 9;
        return error;
    }
};
}  // namespace

class SavePdf : public ScratchFolderTest {};

TEST_F(SavePdf, MemoryOnlyAndToFile) {
    fake_document doc;
    doc.blocks = {"%PDF-1.7\n", "1 0 obj<<>>endobj\n", "%%EOF\n"};  // a last block shorter than 7 bytes
    save_pdf(L"", &doc, false);
    EXPECT_FALSE(doc.last_incremental);
    EXPECT_EQ(buffer_text(process_save_buffer()), "%PDF-1.7\n1 0 obj<<>>endobj\n%%EOF\n");
    EXPECT_EQ(process_save_buffer().path(), "");
    EXPECT_TRUE(std::filesystem::is_empty(root_));  // no file written

    // Incremental: the source bytes, then the update; an earlier "%%EOF" block never writes a partial file.
    doc.source = "%PDF-1.7\nold\n%%EOF\r\n";
    doc.blocks = {"2 0 obj<<>>endobj\n", "%%EOF\r\n", "trailer\n", "%%EOF\n"};
    const std::wstring out = utf8_to_wide(root_) + L"/\u5df2\u7b7e.pdf";
    save_pdf(out, &doc, true);
    EXPECT_TRUE(doc.last_incremental);
    const std::string expected = doc.source + "2 0 obj<<>>endobj\n%%EOF\r\ntrailer\n%%EOF\n";
    EXPECT_EQ(testsupport::read_file(wide_to_utf8(out)), expected);
    EXPECT_EQ(process_save_buffer().size(), 0u) << "a saved file is not kept in memory";

    // The next save starts from an empty buffer.
    doc.blocks = {"%PDF-1.4\n%%EOF"};
    save_pdf(L"", &doc, false);
    EXPECT_EQ(buffer_text(process_save_buffer()), "%PDF-1.4\n%%EOF");
}

TEST_F(SavePdf, Failures) {
    fake_document doc;
    doc.blocks = {"%PDF-1.7\n%%EOF\n"};
    doc.error = 3;
    EXPECT_EQ(outcome([&] { save_pdf(utf8_to_wide(path("a.pdf")), &doc, false); }), "failed to save pdf file: 3");
    EXPECT_FALSE(std::filesystem::exists(path("a.pdf")));

    doc.error = 0;
    doc.blocks = {"%PDF-1.7\n1 0 obj"};  // cut short: no end marker
    EXPECT_EQ(outcome([&] { save_pdf(utf8_to_wide(path("a.pdf")), &doc, false); }), "failed to save pdf file: 1");
    EXPECT_FALSE(std::filesystem::exists(path("a.pdf")));

    doc.blocks = {"%PDF-1.7\n%%EOF\n"};
    testing::internal::CaptureStdout();
    const std::string text = outcome([&] { save_pdf(utf8_to_wide(path("none/a.pdf")), &doc, false); });
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(text, "failed to save pdf file: 2");

    EXPECT_EQ(outcome([&] { save_pdf(L"", nullptr, false); }), "failed to save pdf file: 1");
}
