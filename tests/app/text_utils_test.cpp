#include "app/text_utils.h"

#include "platform/private_temp.h"
#include "scratch_folder.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <sys/resource.h>
#include <fstream>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace {

mode_t mode_of(const std::string& path) {
    struct stat st {};
    EXPECT_EQ(::stat(path.c_str(), &st), 0) << path;
    return st.st_mode & 07777;
}

}  // namespace

TEST(Utf8, RoundTripsTheWholeUnicodeRange) {
    // ASCII, Latin, CJK (3 bytes), a character past the BMP (4 bytes), NUL inside.
    const std::wstring text = std::wstring(L"a\u00e9\u7b7e\u540d") + wchar_t(0x1F600) + wchar_t(0x10FFFF) +
                              std::wstring(1, L'\0') + L"z";
    const std::string utf8 = wide_to_utf8(text);
    EXPECT_EQ(utf8, std::string("a\xC3\xA9\xE7\xAD\xBE\xE5\x90\x8D\xF0\x9F\x98\x80\xF4\x8F\xBF\xBF", 17) +
                        std::string(1, '\0') + "z");
    EXPECT_EQ(utf8_to_wide(utf8), text);
    EXPECT_EQ(utf8_chars_to_wide("\xE6\x96\x87\xE6\xA1\xA3"), L"\u6587\u6863");
    EXPECT_EQ(utf8_chars_to_wide(nullptr), L"");
    EXPECT_EQ(utf8_to_wide(""), L"");
}

TEST(Utf8, MalformedInputRaisesBadConversion) {
    const char* bad[] = {
        "\x80",              // lone continuation byte
        "\xC3",              // truncated two-byte sequence
        "\xE4\xB8",          // truncated three-byte sequence
        "\xC0\xAF",          // overlong "/"
        "\xE0\x80\xAF",      // overlong three-byte form
        "\xED\xA0\x80",      // UTF-16 surrogate
        "\xF4\x90\x80\x80",  // past U+10FFFF
        "\xF5\x80\x80\x80",  // invalid lead byte
        "a\xFF" "b",         // invalid byte in the middle
        "\xE4\x41\x8D",      // ASCII where a continuation byte belongs
    };
    for (const char* s : bad) {
        try {
            utf8_to_wide(s);
            ADD_FAILURE() << "accepted malformed input, first byte " << int(static_cast<unsigned char>(s[0]));
        } catch (const std::range_error& e) {
            EXPECT_STREQ(e.what(), "bad conversion");
        }
        EXPECT_THROW(utf8_chars_to_wide(s), std::range_error);
    }
}

TEST(Utf8, ValuesThatAreNotCharactersEncodeAsReplacement) {
    std::wstring text;
    text.push_back(static_cast<wchar_t>(0xD800));
    text.push_back(static_cast<wchar_t>(0x110000));
    EXPECT_EQ(wide_to_utf8(text), "\xEF\xBF\xBD\xEF\xBF\xBD");
}

TEST(LocaleText, CjkPathsAreNeverCut) {
    // Three UTF-8 bytes per character: more than twice the wide length.
    std::wstring long_name;
    for (int i = 0; i < 200; ++i) long_name += L"\u7b7e";
    const std::wstring path = L"/home/\u7528\u6237/\u6587\u6863/" + long_name + L".pdf";
    const std::string narrow = wide_to_mb(path);
    EXPECT_EQ(narrow, wide_to_utf8(path));
    EXPECT_EQ(mb_to_wide(narrow), path);
    const std::wstring astral = L"/tmp/" + std::wstring(1, wchar_t(0x20000)) + L".pdf";
    EXPECT_EQ(mb_to_wide(wide_to_mb(astral)), astral);
}

TEST(Paths, FolderPart) {
    struct Case {
        const wchar_t* path;
        bool keep;
        const wchar_t* expected;
    } cases[] = {
        {L"C:\\docs\\a.pdf", true, L"C:\\docs\\"},
        {L"C:\\docs\\sub\\", true, L"C:\\docs\\"},
        {L"a.pdf", true, L""},
        {L"/home/u/a.pdf", true, L"/home/u/"},
        {L"/home/u/dir/", true, L"/home/u/"},
        {L"/a.pdf", true, L"/"},
        {L"/", true, L""},
        {L"", true, L""},
        {L"C:\\x/y\\z.txt", true, L"C:\\x/"},  // the last "/" wins over a later "\"
        {L"/home/u/a.pdf", false, L"/home/u"},
        {L"C:\\docs\\sub\\", false, L"C:\\docs"},
        {L"a.pdf", false, L""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(dir_of(c.path, c.keep), c.expected) << c.path << " keep=" << c.keep;
    EXPECT_EQ(dir_of(L"/srv/\u6587\u6863/x.pdf"), L"/srv/\u6587\u6863/");
}

TEST(Paths, FileNamePart) {
    struct Case {
        const wchar_t* path;
        const wchar_t* expected;
    } cases[] = {
        {L"/home/u/a.pdf", L"a.pdf"},
        {L"C:\\docs\\a.pdf", L"a.pdf"},
        {L"C:\\docs\\", L""},
        {L"/home/u/", L""},
        {L"C:a.pdf", L"a.pdf"},  // drive-relative
        {L"C:", L""},
        {L"\\\\server\\share\\f.txt", L"f.txt"},
        {L"a.pdf", L"a.pdf"},
        {L"", L""},
        {L"/srv/\u6587\u6863.pdf", L"\u6587\u6863.pdf"},
    };
    for (const auto& c : cases) EXPECT_EQ(file_name_of(c.path), c.expected) << c.path;
}

class TempNames : public ScratchFolderTest {};

TEST_F(TempNames, NumberedFilesAreNewPrivateFiles) {
    const std::wstring folder = utf8_to_wide(platform::private_temp_dir()) + L"/";
    EXPECT_EQ(mode_of(platform::private_temp_dir()), 0700u);

    const std::wstring a = temp_path(L"");
    const std::wstring b = temp_path(L"");
    EXPECT_NE(a, b);  // a new file every call, even within one second
    for (const auto& p : {a, b}) {
        EXPECT_EQ(dir_of(p), folder);
        const std::wstring name = file_name_of(p);
        ASSERT_FALSE(name.empty());
        EXPECT_EQ(name.find_first_not_of(L"0123456789"), std::wstring::npos) << wide_to_utf8(name);
        EXPECT_EQ(mode_of(wide_to_utf8(p)), 0600u);
    }
}

TEST_F(TempNames, GivenNameIsPlacedInThePrivateFolder) {
    const std::wstring p = temp_path(L"\u5b89\u88c5.exe");
    EXPECT_EQ(p, utf8_to_wide(platform::private_temp_dir()) + L"/\u5b89\u88c5.exe");
    EXPECT_NE(::access(wide_to_utf8(p).c_str(), F_OK), 0);  // a given name is not created
}

TEST_F(TempNames, ExtensionWithOrWithoutDot) {
    for (const char* ext : {"pdf", ".pdf"}) {
        const std::wstring p = temp_path_with_ext(ext);
        const std::wstring name = file_name_of(p);
        ASSERT_GT(name.size(), 4u);
        EXPECT_EQ(name.substr(name.size() - 4), L".pdf");
        EXPECT_EQ(name.substr(0, name.size() - 4).find_first_not_of(L"0123456789"), std::wstring::npos);
        EXPECT_EQ(::access(wide_to_utf8(p).c_str(), F_OK), 0);
    }
}

TEST_F(TempNames, UniqueDiffersFromTheAvoidedPath) {
    const std::wstring avoid = temp_path(L"");
    for (int i = 0; i < 20; ++i) {
        const std::wstring p = unique_temp_path(avoid);
        EXPECT_NE(p, avoid);
        EXPECT_EQ(dir_of(p), dir_of(avoid));
    }
}

TEST(Patterns, Url) {
    struct Case {
        const char* text;
        bool valid;
    } cases[] = {
        {"https://tsa.example.com/tsr", true},
        {"http://timestamp.example.org", true},
        {"httpss://tsa.example.com", true},  // any number of "s"
        {"http://127.0.0.1:8080/tsr", true},
        {"ftp://tsa.example.com", false},
        {"http://localhost/tsr", false},  // no dot in the host
        {"tsa.example.com", false},
        {"", false},
        {"https://tsa.example.com/tsr\n", false},  // "." does not match a line break
        {"https://a.example.com/x\nhttps://b.example.com/y", false},
    };
    for (const auto& c : cases) EXPECT_EQ(is_valid_url(c.text), c.valid) << c.text;
}

TEST(Patterns, BlankText) {
    EXPECT_TRUE(is_blank_text(L" "));
    EXPECT_TRUE(is_blank_text(L"\t   "));
    EXPECT_TRUE(is_blank_text(L"\r\n \n"));
    EXPECT_FALSE(is_blank_text(L""));
    EXPECT_FALSE(is_blank_text(L" a "));
    EXPECT_FALSE(is_blank_text(L"\u6587"));
}

class WholeFiles : public ScratchFolderTest {};

TEST_F(WholeFiles, ReadingTurnsCrLfIntoLf) {
    testsupport::write_file(path("crlf.json"), "{\r\n\"a\": 1\r\n}\r\nlone\rcr\r");
    EXPECT_EQ(read_file_string(path("crlf.json")), "{\n\"a\": 1\n}\nlone\rcr\r");
    EXPECT_EQ(read_file_string(path("missing.json")), "");
    EXPECT_EQ(read_file_string(root_), "");  // a folder
}

TEST_F(WholeFiles, WrittenTextReadsBackEqual) {
    const std::string json = "{\n   \"name\" : \"\xE7\xAD\xBE\xE5\x90\x8D\",\n   \"n\" : 1\n}\n";
    ASSERT_TRUE(write_file_string(json, path("store.json")));
    EXPECT_EQ(testsupport::read_file(path("store.json")), json);  // LF line ends on disk
    EXPECT_EQ(read_file_string(path("store.json")), json);
    EXPECT_EQ(mode_of(path("store.json")), 0600u);

    // Replacing a longer file leaves no tail behind; an existing file keeps its mode.
    ::chmod(path("store.json").c_str(), 0640);
    ASSERT_TRUE(write_file_string("{}", path("store.json")));
    EXPECT_EQ(testsupport::read_file(path("store.json")), "{}");
    EXPECT_EQ(mode_of(path("store.json")), 0640u);
    ASSERT_TRUE(write_file_string("", path("store.json")));
    EXPECT_EQ(testsupport::read_file(path("store.json")), "");
}

TEST_F(WholeFiles, FailedWriteLeavesTheOldFile) {
    EXPECT_FALSE(write_file_string("x", path("no-such-folder/a.json")));
    EXPECT_FALSE(write_file_string("x", root_));  // a folder is never replaced
    EXPECT_FALSE(write_file_string("x", ""));

    // A write that fails half-way (file size limit) leaves the old file and no stray file.
    ASSERT_TRUE(write_file_string("old", path("keep.json")));
    struct rlimit saved {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    auto old_handler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = saved;
    small.rlim_cur = 16;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool written = write_file_string(std::string(4096, 'n'), path("keep.json"));
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, old_handler);
    EXPECT_FALSE(written);
    EXPECT_EQ(testsupport::read_file(path("keep.json")), "old");
    int entries = 0;
    for (const auto& e : std::filesystem::directory_iterator(root_)) entries += e.path().filename() != "keep.json";
    EXPECT_EQ(entries, 0);
}

TEST_F(WholeFiles, WritingThroughALinkKeepsTheLink) {
    ASSERT_TRUE(write_file_string("old", path("real.json")));
    ASSERT_EQ(::symlink(path("real.json").c_str(), path("link.json").c_str()), 0);
    ASSERT_TRUE(write_file_string("new", path("link.json")));
    struct stat st {};
    ASSERT_EQ(::lstat(path("link.json").c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    EXPECT_EQ(testsupport::read_file(path("real.json")), "new");
}
