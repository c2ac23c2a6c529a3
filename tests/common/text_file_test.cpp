#include "common/text_file.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <vector>

namespace ostrino {
namespace {

namespace fs = std::filesystem;

TEST(LineReader, SplitsOnEveryLineEnd) {
    const struct {
        std::string_view content;
        std::vector<std::string> lines;
    } cases[] = {
        {"", {}},
        {"a", {"a"}},
        {"a\r\nb\r\n", {"a", "b"}},
        {"a\nb", {"a", "b"}},
        {"a\rb\r", {"a", "b"}},
        {"\r\n", {""}},
        {"a\r\n\r\nb", {"a", "", "b"}},
        {"a\n\rb", {"a", "", "b"}},  // LF then a lone CR: two ends
        {"a\r\r\nb", {"a", "", "b"}},
        {" \r\n \r\n", {" ", " "}},
    };
    for (const auto& c : cases) {
        LineReader reader(c.content);
        EXPECT_EQ(reader.lineCount(), c.lines.size()) << testing::PrintToString(c.content);
        std::vector<std::string> got;
        while (auto line = reader.nextLine()) {
            got.push_back(*line);
        }
        EXPECT_EQ(got, c.lines) << testing::PrintToString(c.content);
    }
}

TEST(LineReader, CountsLinesAndConsumesUnreadableNumbers) {
    LineReader reader(" 1000         'Va Gain\r\n'no number\r\n-1            'COM\r\n");
    EXPECT_EQ(reader.lineNumber(), 0);
    EXPECT_EQ(reader.nextNumber(), 1000);
    EXPECT_EQ(reader.lineNumber(), 1);
    EXPECT_EQ(reader.nextNumber(), std::nullopt);
    EXPECT_EQ(reader.lineNumber(), 2);
    EXPECT_FALSE(reader.atEnd());
    EXPECT_EQ(reader.nextNumber(), -1);
    EXPECT_TRUE(reader.atEnd());
    EXPECT_EQ(reader.nextNumber(), std::nullopt);
    EXPECT_EQ(reader.nextLine(), std::nullopt);
    EXPECT_EQ(reader.lineNumber(), 3);
}

class TextFileTest : public testing::Test {
  protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "ostrino-text-file-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr) << std::strerror(errno);
        dir_ = pattern;
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::string path(const char* name) const { return (dir_ / name).string(); }

    std::vector<std::string> entries() const {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(dir_)) {
            names.push_back(e.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    static void put(const std::string& file, const std::string& content) {
        std::ofstream(file, std::ios::binary) << content;
    }

    fs::path dir_;
};

TEST_F(TextFileTest, WriteReplacesContentAndLeavesNoTemporaryFile) {
    const std::string target = path("data.osd");
    put(target, "old content that is longer than the new one\r\n");
    std::string error;
    ASSERT_TRUE(writeFileAtomically(target, "new\r\n", error)) << error;
    EXPECT_EQ(readWholeFile(target, error), "new\r\n");
    EXPECT_EQ(entries(), std::vector<std::string>{"data.osd"});

    const std::string binary("a\0b\r\n\xff", 6);
    ASSERT_TRUE(writeFileAtomically(path("fresh.cal"), binary, error)) << error;
    EXPECT_EQ(readWholeFile(path("fresh.cal"), error), binary);
    EXPECT_EQ(entries(), (std::vector<std::string>{"data.osd", "fresh.cal"}));
}

TEST_F(TextFileTest, WriteKeepsTheModeOfTheReplacedFile) {
    const std::string target = path("setup.oss");
    put(target, "x");
    ASSERT_EQ(::chmod(target.c_str(), 0640), 0);
    std::string error;
    ASSERT_TRUE(writeFileAtomically(target, "y", error)) << error;
    struct stat st {};
    ASSERT_EQ(::stat(target.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);

    const mode_t mask = ::umask(022);
    ASSERT_TRUE(writeFileAtomically(path("new.oss"), "z", error)) << error;
    ::umask(mask);
    ASSERT_EQ(::stat(path("new.oss").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0644u);
}

TEST_F(TextFileTest, FailedWriteLeavesTheTargetIntact) {
    const std::string target = path("Ostrino_3p11.cal");
    put(target, " 1000         'Va Gain\r\n");

    // A file-size limit makes the write itself fail (permissions would not stop root).
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit small = saved;
    small.rlim_cur = 16;
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    std::string error;
    const bool written = writeFileAtomically(target, std::string(4096, 'x'), error);
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_FALSE(written);
    EXPECT_EQ(error, std::strerror(EFBIG));
    EXPECT_EQ(readWholeFile(target, error), " 1000         'Va Gain\r\n");
    EXPECT_EQ(entries(), std::vector<std::string>{"Ostrino_3p11.cal"});
}

TEST_F(TextFileTest, WriteThroughASymbolicLinkReplacesTheFileItPointsTo) {
    fs::create_directory(path("sub"));
    const struct {
        const char* link;
        std::string linkTarget;  // what the link holds
        const char* written;     // the file that gets the content, from the test folder
    } cases[] = {
        {"same.osd", "real.osd", "real.osd"},
        {"sub/up.osd", "../up-real.osd", "up-real.osd"},  // relative to the link's folder
        {"far.oss", path("sub/far-real.oss"), "sub/far-real.oss"},
        {"chain.cal", "chain-mid.cal", "chain-end.cal"},  // chain-mid.cal -> chain-end.cal
        {"dangling.txt", "sub/new.txt", "sub/new.txt"},   // nothing there yet
    };
    fs::create_symlink("chain-end.cal", path("chain-mid.cal"));
    std::vector<std::string> expected = {"chain-mid.cal", "sub"};
    for (const auto& c : cases) {
        if (std::string(c.link) != "dangling.txt") {
            put(path(c.written), "old");
        }
        fs::create_symlink(c.linkTarget, path(c.link));
        std::string error;
        ASSERT_TRUE(writeFileAtomically(path(c.link), "new\r\n", error)) << c.link << error;
        EXPECT_TRUE(fs::is_symlink(path(c.link))) << c.link;
        EXPECT_EQ(readWholeFile(path(c.written), error), "new\r\n") << c.link;
        for (const char* name : {c.link, c.written}) {
            if (std::string(name).rfind("sub/", 0) != 0) {
                expected.push_back(name);
            }
        }
    }
    std::sort(expected.begin(), expected.end());
    expected.erase(std::unique(expected.begin(), expected.end()), expected.end());
    EXPECT_EQ(entries(), expected);  // no temporary file in either folder
    std::vector<std::string> sub;
    for (const auto& e : fs::directory_iterator(path("sub"))) {
        sub.push_back(e.path().filename().string());
    }
    std::sort(sub.begin(), sub.end());
    EXPECT_EQ(sub, (std::vector<std::string>{"far-real.oss", "new.txt", "up.osd"}));
}

TEST_F(TextFileTest, FailedWritesThroughLinksChangeNothing) {
    fs::create_symlink("loop-b", path("loop-a"));
    fs::create_symlink("loop-a", path("loop-b"));
    fs::create_directory(path("folder"));
    fs::create_symlink("folder", path("to-folder"));
    std::string error;
    EXPECT_FALSE(writeFileAtomically(path("loop-a"), "x", error));
    EXPECT_EQ(error, std::strerror(ELOOP));
    EXPECT_FALSE(writeFileAtomically(path("to-folder"), "x", error));
    EXPECT_TRUE(fs::is_empty(path("folder")));
    EXPECT_EQ(entries(), (std::vector<std::string>{"folder", "loop-a", "loop-b", "to-folder"}));
}

TEST_F(TextFileTest, WriteBeyondTheFileSizeLimitFailsWithoutEndingTheProgram) {
    // With the signal's default action, as the consoles run: the write must fail and clean
    // up, not end the program with the temporary file left behind.
    const std::string target = path("data.osd");
    put(target, "kept");
    const auto writeOverLimit = [&] {
        std::signal(SIGXFSZ, SIG_DFL);
        rlimit small{};
        ::getrlimit(RLIMIT_FSIZE, &small);
        small.rlim_cur = 16;
        ::setrlimit(RLIMIT_FSIZE, &small);
        std::string error;
        const bool written = writeFileAtomically(target, std::string(4096, 'x'), error);
        const bool clean = entries() == std::vector<std::string>{"data.osd"};
        std::exit(!written && error == std::strerror(EFBIG) && clean ? 0 : 1);
    };
    EXPECT_EXIT(writeOverLimit(), testing::ExitedWithCode(0), "");
    std::string error;
    EXPECT_EQ(readWholeFile(target, error), "kept");
}

TEST_F(TextFileTest, WriteIntoAMissingFolderOrOverAFolderFails) {
    const std::string other = path("other.osd");
    put(other, "kept");
    std::string error;
    EXPECT_FALSE(writeFileAtomically(path("missing/data.osd"), "x", error));
    EXPECT_EQ(error, std::strerror(ENOENT));

    fs::create_directory(path("folder"));
    error.clear();
    EXPECT_FALSE(writeFileAtomically(path("folder"), "x", error));
    EXPECT_FALSE(error.empty());
    EXPECT_TRUE(fs::is_directory(path("folder")));

    error.clear();
    EXPECT_FALSE(writeFileAtomically("", "x", error));
    EXPECT_FALSE(error.empty());

    EXPECT_EQ(readWholeFile(other, error), "kept");
    EXPECT_EQ(entries(), (std::vector<std::string>{"folder", "other.osd"}));
}

TEST_F(TextFileTest, ReadAndExistsOnlyForOrdinaryFiles) {
    put(path("empty.txt"), "");
    fs::create_directory(path("dir.cal"));
    std::string error;

    EXPECT_EQ(readWholeFile(path("empty.txt"), error), "");
    EXPECT_EQ(readWholeFile(path("none.cal"), error), std::nullopt);
    EXPECT_EQ(error, std::strerror(ENOENT));
    EXPECT_EQ(readWholeFile(path("dir.cal"), error), std::nullopt);
    EXPECT_EQ(error, std::strerror(EISDIR));

    EXPECT_TRUE(fileExists(path("empty.txt")));
    EXPECT_FALSE(fileExists(path("dir.cal")));
    EXPECT_FALSE(fileExists(path("none.cal")));
}

}  // namespace
}  // namespace ostrino
