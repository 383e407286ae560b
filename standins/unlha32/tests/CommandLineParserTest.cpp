// The command-line grammar on the lines the LHA back-end builds.
#include <gtest/gtest.h>

#include "CommandLineParser.h"
#include "UnlhaError.h"
#include "unlha32/UnlhaResult.h"

using unlha::Command;
using unlha::CommandLineParser;

namespace {

int ErrorOf(const std::string& line) {
    try {
        CommandLineParser::Parse(line);
    } catch (const unlha::UnlhaError& e) {
        return e.code();
    }
    return 0;
}

TEST(CommandLineParserTest, BackendPackExampleGivesWordSwitchesArchiveBaseAndNames) {
    Command c = CommandLineParser::Parse(
        "u -+ -a1 -n1 -x1 -jm2 -jso1  \"C:\\Arc\\2001_0101_1200.lzh\" \"C:\\Base\\\" \"a.txt\" "
        "\"sub\\b.txt\" ");
    EXPECT_EQ("u", c.word);
    EXPECT_EQ("C:\\Arc\\2001_0101_1200.lzh", c.archive);
    EXPECT_EQ("C:\\Base\\", c.directory);
    EXPECT_EQ((std::vector<std::string>{"a.txt", "sub\\b.txt"}), c.names);
    EXPECT_EQ(1, c.switches.attributes);
    EXPECT_FALSE(c.switches.showDialog);
    EXPECT_TRUE(c.switches.keepPaths);
    EXPECT_EQ(lha::Method::Lh5, c.switches.method);
    EXPECT_EQ(2, c.switches.headerLevel);
}

TEST(CommandLineParserTest, SwitchValuesAndTextSwitches) {
    Command c = CommandLineParser::Parse(
        "U -+ -n0 -x0 -r2 -jm4 -h1 \"-jx*.bak\" \"-jxsub dir\\*.tmp\" \"-wC:\\Work Dir\\\" -jse1 -q7  "
        "\"a.lzh\"");
    EXPECT_EQ("u", c.word);
    EXPECT_TRUE(c.switches.showDialog);
    EXPECT_FALSE(c.switches.keepPaths);
    EXPECT_EQ(2, c.switches.recurse);
    EXPECT_EQ(lha::Method::Lh7, c.switches.method);
    EXPECT_EQ(1, c.switches.headerLevel);
    EXPECT_EQ((std::vector<std::string>{"*.bak", "sub dir\\*.tmp"}), c.switches.excludes);
    EXPECT_EQ("C:\\Work Dir\\", c.switches.workDir);
    EXPECT_EQ((std::vector<std::string>{"-+", "-jse1", "-q7"}), c.switches.ignored);
    EXPECT_TRUE(c.names.empty());
    EXPECT_EQ(lha::Method::Lh6, CommandLineParser::Parse("u -jm3 a.lzh").switches.method);
    EXPECT_EQ(lha::Method::Lh0, CommandLineParser::Parse("u -jm0 a.lzh").switches.method);
    EXPECT_EQ(lha::Method::Lh5, CommandLineParser::Parse("u -jm9 a.lzh").switches.method);
    EXPECT_TRUE(CommandLineParser::Parse("u -n a.lzh").switches.showDialog == false);
}

TEST(CommandLineParserTest, AfterTheArchiveItemsBeginningWithADashAreNames) {
    // Backed-up files may be called so; the back-end writes every switch before the archive.
    Command c = CommandLineParser::Parse(
        "u -+ -a1 -n1 -jso1  \"C:\\Arc\\a.lzh\" \"C:\\Base\\\" \"-x-\\a.txt\" \"-n0\" \"-wD:\\\" -z ");
    EXPECT_EQ("C:\\Arc\\a.lzh", c.archive);
    EXPECT_EQ("C:\\Base\\", c.directory);
    EXPECT_EQ((std::vector<std::string>{"-x-\\a.txt", "-n0", "-wD:\\", "-z"}), c.names);
    EXPECT_EQ(1, c.switches.attributes);
    EXPECT_FALSE(c.switches.showDialog);
    EXPECT_EQ("", c.switches.workDir);
    EXPECT_EQ(lha::Method::Lh5, c.switches.method);
    // Without a directory the first such item is a name as well.
    Command d = CommandLineParser::Parse("d -jso1  \"a.lzh\" \"-r2\" ");
    EXPECT_EQ(0, d.switches.recurse);
    EXPECT_EQ((std::vector<std::string>{"-r2"}), d.names);
}

TEST(CommandLineParserTest, ZeroValueOfZLeavesTheMethodAlone) {
    EXPECT_EQ(lha::Method::Lh5, CommandLineParser::Parse("u -z0 a.lzh").switches.method);
    EXPECT_EQ(lha::Method::Lh7, CommandLineParser::Parse("u -jm4 -z0 a.lzh").switches.method);
    EXPECT_EQ(lha::Method::Lh0, CommandLineParser::Parse("u -jm4 -z a.lzh").switches.method);
    EXPECT_EQ(lha::Method::Lh0, CommandLineParser::Parse("u -z1 a.lzh").switches.method);
}

TEST(CommandLineParserTest, ExtractMemAndDeleteLinesHaveNoDirectory) {
    Command m = CommandLineParser::Parse(" -+ -jso1  \"C:\\p.lzh\" \"dir\\\" ");
    EXPECT_EQ("", m.word);
    EXPECT_EQ("C:\\p.lzh", m.archive);
    EXPECT_EQ("", m.directory);
    EXPECT_EQ((std::vector<std::string>{"dir\\"}), m.names);
    Command d = CommandLineParser::Parse("d -+ -jso1  \"p.lzh\" \"old\\\" \"x.txt\" ");
    EXPECT_EQ("", d.directory);
    EXPECT_EQ((std::vector<std::string>{"old\\", "x.txt"}), d.names);
}

TEST(CommandLineParserTest, TrailByte5CIsNoBackslash) {
    // "表" is 0x95 0x5C: a folder named so does not end in a backslash, so it is a name here.
    Command c = CommandLineParser::Parse("x -jse1 -jso1  \"a.lzh\" \"C:\\表\" \"ソ\"");
    EXPECT_EQ("", c.directory);
    EXPECT_EQ((std::vector<std::string>{"C:\\表", "ソ"}), c.names);
    Command d = CommandLineParser::Parse("x -jse1 -jso1  \"a.lzh\" \"C:\\表\\\" ");
    EXPECT_EQ("C:\\表\\", d.directory);
    // A quote right after a trail byte 0x5C is still a quote.
    Command q = CommandLineParser::Parse("u \"表\" \"ソ\"");
    EXPECT_EQ("表", q.archive);
    EXPECT_EQ((std::vector<std::string>{"ソ"}), q.names);
}

TEST(CommandLineParserTest, UnquotedItemsAndBadLines) {
    Command c = CommandLineParser::Parse("x\ta.lzh   out\\ one.txt two.txt");
    EXPECT_EQ("a.lzh", c.archive);
    EXPECT_EQ("out\\", c.directory);
    EXPECT_EQ((std::vector<std::string>{"one.txt", "two.txt"}), c.names);
    EXPECT_EQ(UNLHA_ERR_BAD_COMMAND, ErrorOf("q a.lzh"));
    EXPECT_EQ(UNLHA_ERR_BAD_COMMAND, ErrorOf("u -a1 -jso1  "));
    EXPECT_EQ(UNLHA_ERR_BAD_COMMAND, ErrorOf(""));
    EXPECT_EQ(UNLHA_ERR_RESPONSE_FILE, ErrorOf("u a.lzh @Z:\\no\\such\\file.txt"));
}

}  // namespace
