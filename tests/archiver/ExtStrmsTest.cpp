// Alternate data streams as archive entries. Wine reports no volume with named streams, so the
// stream copies themselves run only on Windows; here the name translations, the copy routine, the
// clash rule and the paths taken on volumes without streams are checked on real files.
#include "ExtStrms.h"

#include <gtest/gtest.h>

#include "TestSupport.h"

using namespace arc;
using testing_support::Exists;
using testing_support::ReadFileBytes;
using testing_support::TempDir;
using testing_support::WriteFileBytes;

namespace {

std::wstring W(const std::string& s) {
    int n = ::MultiByteToWideChar(CP_ACP, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
    std::wstring w(n, L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, s.data(), static_cast<int>(s.size()), w.data(), n);
    return w;
}

FILETIME Ft(uint64_t v) {
    return FILETIME{static_cast<DWORD>(v), static_cast<DWORD>(v >> 32)};
}

WIN32_FIND_DATAA FoundAt(uint64_t writeTime) {
    WIN32_FIND_DATAA fd{};
    fd.ftCreationTime = Ft(writeTime - 10000000);
    fd.ftLastAccessTime = Ft(writeTime + 10000000);
    fd.ftLastWriteTime = Ft(writeTime);
    return fd;
}

// 2001-02-03 04:05:06 UTC as a file time.
constexpr uint64_t kSomeTime = 126255507060000000ULL;

}  // namespace

TEST(StreamNames, PackingTurnsStreamPunctuationIntoTheSeparator) {
    EXPECT_EQ(StreamToFileName(L":abc:$DATA", ";#"), L";abc;$DATA");
    // Document summary streams begin with character 5: the whole separator marks them.
    EXPECT_EQ(StreamToFileName(L":\x05SummaryInformation:$DATA", ";#"), L";#SummaryInformation;$DATA");
    EXPECT_EQ(StreamToFileName(L":\x05SummaryInformation:$DATA", "@!"), L"@!SummaryInformation@$DATA");
    // A character 5 not after a colon stays.
    EXPECT_EQ(StreamToFileName(L":a\x05:$DATA", ";#"), std::wstring(L";a\x05;$DATA"));
    // Separators of another length translate nothing.
    for (const char* sep : {"", ";", ";#;"})
        EXPECT_EQ(StreamToFileName(L":\x05x:$DATA", sep), L":\x05x:$DATA") << sep;
}

TEST(StreamNames, OnlyNamesFreeOfTheSeparatorCharactersArePacked) {
    // Two streams of one file that would share a temporary name: the second one would come back
    // under the first one's name.
    ASSERT_EQ(StreamToFileName(L":#S:$DATA", ";#"), StreamToFileName(L":\x05S:$DATA", ";#"));
    const std::wstring packed[] = {L":\x05S:$DATA", L":abc:$DATA", L":\x05:$DATA", L":a.b c:$DATA"};
    for (size_t i = 0; i < std::size(packed); ++i) EXPECT_TRUE(StreamNameMapsBack(packed[i], ";#")) << i;
    const std::wstring skipped[] = {L":#S:$DATA",    L":a;b:$DATA",   L":S;$DATA:$DATA",
                                    L":\x05#:$DATA", L":a\x05:$DATA", L":\x05\x05:$DATA",
                                    L"::$DATA",      L":$DATA",       L""};
    for (size_t i = 0; i < std::size(skipped); ++i) EXPECT_FALSE(StreamNameMapsBack(skipped[i], ";#")) << i;
    // The characters that count are the separator's own.
    EXPECT_TRUE(StreamNameMapsBack(L":#S;x:$DATA", "@!"));
    EXPECT_FALSE(StreamNameMapsBack(L":a@b:$DATA", "@!"));
    EXPECT_FALSE(StreamNameMapsBack(L":a!b:$DATA", "@!"));
    // Without a two-character separator no name can be told apart from its file.
    for (const char* sep : {"", ";", ";#;", "\x81\x40"})
        EXPECT_FALSE(StreamNameMapsBack(L":abc:$DATA", sep)) << sep;
}

TEST(StreamNames, NamesThatArePackedComeBackAsThemselves) {
    for (const wchar_t* stream : {L":\x05S:$DATA", L":\x05:$DATA", L":\x05SummaryInformation:$DATA"}) {
        ASSERT_TRUE(StreamNameMapsBack(stream, ";#"));
        const std::wstring suffix = StreamToFileName(stream, ";#");
        const std::wstring streamText = stream;
        EXPECT_EQ(FileNameToStreamPath("d;#x\\a;#b.doc" + std::string(suffix.begin(), suffix.end()), ";#"),
                  "d;#x\\a;#b.doc" + std::string(streamText.begin(), streamText.end()));
    }
}

TEST(StreamNames, OnlyNamesOfThePackingFormAreTurnedBack) {
    EXPECT_EQ(FileNameToStreamPath("C:\\Out\\a.doc;#Summary;$DATA", ";#"),
              "C:\\Out\\a.doc:\x05Summary:$DATA");
    EXPECT_EQ(FileNameToStreamPath("a.doc;#;$DATA", ";#"), "a.doc:\x05:$DATA");
    // An ordinary named stream was packed without the whole separator and stays a plain file.
    EXPECT_EQ(FileNameToStreamPath("C:\\Out\\a.txt;abc;$DATA", ";#"), "");
    // Plain files and folders that merely contain the separator.
    EXPECT_EQ(FileNameToStreamPath("C:\\Out\\a;#b", ";#"), "");
    EXPECT_EQ(FileNameToStreamPath("C:\\Out\\x;#y;$DATA\\file.txt", ";#"), "");
    EXPECT_EQ(FileNameToStreamPath("C:\\Out\\;#S;$DATA", ";#"), "");  // no host name
    EXPECT_EQ(FileNameToStreamPath("C:\\Out\\a.doc;#S;$data", ";#"), "");
    EXPECT_EQ(FileNameToStreamPath("C:\\Out\\a.doc;#S;$DATA", ";"), "");
    // Only the last component is translated; a separator in the file's own name stays with the host.
    EXPECT_EQ(FileNameToStreamPath("C:\\x;#y;$DATA\\a.doc;#S;$DATA", ";#"),
              "C:\\x;#y;$DATA\\a.doc:\x05S:$DATA");
    EXPECT_EQ(FileNameToStreamPath("sub/x;#y.doc;#S;$DATA", ";#"), "sub/x;#y.doc:\x05S:$DATA");
}

TEST(StreamNames, SeparatorBytesInsideDoubleByteCharactersAreNoSeparator) {
    // 0x81 0x40 is one double-byte character whose trail byte is '@'.
    EXPECT_EQ(FileNameToStreamPath("x\x81\x40#S@$DATA", "@#"), "");
    EXPECT_EQ(FileNameToStreamPath("x@#S\x81@$DATA", "@#"), "");
    EXPECT_EQ(FileNameToStreamPath("\x81\x40@#S@$DATA", "@#"), "\x81\x40:\x05S:$DATA");
}

TEST(StreamNames, RoundTripOfADocumentSummaryStream) {
    std::wstring suffix = StreamToFileName(
        L":\x05"
        L"DocumentSummaryInformation:$DATA",
        ";#");
    std::string narrow(suffix.begin(), suffix.end());
    EXPECT_EQ(FileNameToStreamPath("sub\\report.doc" + narrow, ";#"),
              "sub\\report.doc:\x05"
              "DocumentSummaryInformation:$DATA");
}

TEST(CopyFileData, CopiesManyChunksWholeAndSetsTheTimes) {
    TempDir dir;
    std::string data;
    for (int i = 0; i < 300 * 1024 + 3; ++i) data += static_cast<char>((i * 7 + i / 251) & 0xFF);
    ASSERT_TRUE(WriteFileBytes(dir / "src", data));
    FILETIME c = Ft(kSomeTime - 20000000), a = Ft(kSomeTime + 30000000), w = Ft(kSomeTime);
    ASSERT_TRUE(CopyFileData(W(dir / "src"), W(dir / "dst"), data.size(), FILE_ATTRIBUTE_ARCHIVE, c, a, w));
    EXPECT_EQ(ReadFileBytes(dir / "dst"), data);
    EXPECT_EQ(testing_support::WriteTime(dir / "dst"), kSomeTime);
    // Data that grew after its size was taken is copied too, never cut at the old size.
    ASSERT_TRUE(CopyFileData(W(dir / "src"), W(dir / "dst2"), 10, FILE_ATTRIBUTE_ARCHIVE, c, a, w));
    EXPECT_EQ(ReadFileBytes(dir / "dst2"), data);
}

TEST(CopyFileData, EmptyDataMakesAnEmptyFile) {
    TempDir dir;
    ASSERT_TRUE(WriteFileBytes(dir / "src", ""));
    FILETIME t = Ft(kSomeTime);
    ASSERT_TRUE(CopyFileData(W(dir / "src"), W(dir / "dst"), 0, FILE_ATTRIBUTE_ARCHIVE, t, t, t));
    EXPECT_EQ(ReadFileBytes(dir / "dst"), "");
}

TEST(CopyFileData, NeverOverwritesAndDoesNothingWithoutSource) {
    TempDir dir;
    ASSERT_TRUE(WriteFileBytes(dir / "src", "new"));
    ASSERT_TRUE(WriteFileBytes(dir / "dst", "precious"));
    FILETIME t = Ft(kSomeTime);
    EXPECT_FALSE(CopyFileData(W(dir / "src"), W(dir / "dst"), 3, FILE_ATTRIBUTE_ARCHIVE, t, t, t));
    EXPECT_EQ(ReadFileBytes(dir / "dst"), "precious");
    EXPECT_FALSE(CopyFileData(W(dir / "missing"), W(dir / "other"), 3, FILE_ATTRIBUTE_ARCHIVE, t, t, t));
    EXPECT_FALSE(Exists(dir / "other"));
}

TEST(CopyFileData, ASourceShorterThanAnnouncedRaisesAndLeavesNoPartialCopy) {
    TempDir dir;
    ASSERT_TRUE(WriteFileBytes(dir / "src", std::string(100000, 'x')));
    FILETIME t = Ft(kSomeTime);
    // As with a stream that shrank between enumeration and copy, or a size beyond 4 GiB.
    EXPECT_THROW(
        CopyFileData(W(dir / "src"), W(dir / "dst"), 0x100000005ULL, FILE_ATTRIBUTE_ARCHIVE, t, t, t),
        EOSError);
    EXPECT_FALSE(Exists(dir / "dst"));
    EXPECT_EQ(ReadFileBytes(dir / "src"), std::string(100000, 'x'));
}

TEST(AddStreams, ATemporaryNameTakenByAnExistingFileSkipsTheStreamAndKeepsTheFile) {
    TempDir dir;
    // The stream's own path stands in for the stream: Wine has no volumes with streams.
    ASSERT_TRUE(WriteFileBytes(dir / "stream-data", "stream"));
    ASSERT_TRUE(WriteFileBytes(dir / "a.doc;#S;$DATA", "user file"));
    std::vector<std::string> selected{"a.doc"}, temp;
    EXPECT_FALSE(AddStreamFile(selected, temp, W(dir / "stream-data"), dir / "a.doc;#S;$DATA",
                               "a.doc;#S;$DATA", 6, FoundAt(kSomeTime)));
    EXPECT_EQ(selected, std::vector<std::string>{"a.doc"});
    EXPECT_TRUE(temp.empty());  // so the packing never deletes it
    EXPECT_EQ(ReadFileBytes(dir / "a.doc;#S;$DATA"), "user file");
}

TEST(AddStreams, AFreeTemporaryNameIsWrittenAndListedTwice) {
    TempDir dir;
    ASSERT_TRUE(WriteFileBytes(dir / "stream-data", "stream"));
    std::vector<std::string> selected, temp;
    EXPECT_TRUE(AddStreamFile(selected, temp, W(dir / "stream-data"), dir / "a.doc;#S;$DATA",
                              "sub\\a.doc;#S;$DATA", 6, FoundAt(kSomeTime)));
    EXPECT_EQ(selected, std::vector<std::string>{"sub\\a.doc;#S;$DATA"});
    ASSERT_EQ(temp.size(), 1u);
    EXPECT_EQ(ReadFileBytes(temp[0]), "stream");
    EXPECT_EQ(testing_support::WriteTime(temp[0]), kSomeTime);  // the main file's times
}

TEST(AddStreams, AStreamIsWrittenBesideItsFileUnderTheEntrysLastComponent) {
    TempDir dir;
    ASSERT_TRUE(WriteFileBytes(dir / "stream-data", "summary"));
    ::CreateDirectoryA((dir / "sub").c_str(), nullptr);
    std::vector<std::string> selected, temp;
    // An entry spelled with a short name keeps that spelling in the stream's entry and file.
    EXPECT_TRUE(AddNamedStream(selected, temp, dir / "sub\\long name.doc", "sub\\LONGNA~1.DOC",
                               L":\x05S:$DATA", W(dir / "stream-data"), 7, ";#", FoundAt(kSomeTime)));
    EXPECT_EQ(selected, std::vector<std::string>{"sub\\LONGNA~1.DOC;#S;$DATA"});
    EXPECT_EQ(temp, std::vector<std::string>{dir / "sub\\LONGNA~1.DOC;#S;$DATA"});
    EXPECT_EQ(ReadFileBytes(dir / "sub\\LONGNA~1.DOC;#S;$DATA"), "summary");
}

TEST(AddStreams, StreamsWhoseNamesWouldNotComeBackAreSkipped) {
    TempDir dir;
    ASSERT_TRUE(WriteFileBytes(dir / "stream-data", "data"));
    std::vector<std::string> selected{"a.doc"}, temp;
    // "#S" would take the temporary name of the character-5 stream "S" and be restored as that one;
    // a name with no exact ANSI form would be packed under a look-alike.
    ASSERT_EQ(932u, ::GetACP());
    for (const wchar_t* stream : {L":#S:$DATA", L":x;y:$DATA", L":r\u00e9sum\u00e9:$DATA"}) {
        EXPECT_FALSE(AddNamedStream(selected, temp, dir / "a.doc", "a.doc", stream, W(dir / "stream-data"), 4,
                                    ";#", FoundAt(kSomeTime)));
    }
    EXPECT_EQ(selected, std::vector<std::string>{"a.doc"});
    EXPECT_TRUE(temp.empty());
    EXPECT_EQ(testing_support::ReadFileBytes(dir / "stream-data"), "data");
    EXPECT_FALSE(Exists(dir / "a.doc;#S;$DATA"));
    EXPECT_FALSE(Exists(dir / "a.doc;x;y;$DATA"));
    EXPECT_FALSE(Exists(dir / "a.doc;resume;$DATA"));
    // The character-5 stream of the same name still gets its file, which restores to it.
    EXPECT_TRUE(AddNamedStream(selected, temp, dir / "a.doc", "a.doc", L":\x05S:$DATA",
                               W(dir / "stream-data"), 4, ";#", FoundAt(kSomeTime)));
    EXPECT_EQ(selected, (std::vector<std::string>{"a.doc", "a.doc;#S;$DATA"}));
    EXPECT_EQ(FileNameToStreamPath(temp.at(0), ";#"), dir / "a.doc:\x05S:$DATA");
}

namespace {

// Flags as a volume reports them: 0x0a is what Wine reports for every drive, named streams
// (0x40000) added is what NTFS has.
constexpr DWORD kWineVolumeFlags = 0x0000000a, kNtfsVolumeFlags = 0x0004000a;
TVolumeFlagsQuery Reporting(DWORD flags, int* asked = nullptr) {
    return [flags, asked](const std::string&, DWORD& out) {
        if (asked) ++*asked;
        out = flags;
        return true;
    };
}

}  // namespace

TEST(StreamVolumes, TheNamedStreamsFlagDecidesOnceForEachDrive) {
    int asked = 0;
    TStreamVolumes ntfs(Reporting(kNtfsVolumeFlags, &asked));
    EXPECT_TRUE(ntfs.Supported("C:\\a\\b.txt"));
    EXPECT_TRUE(ntfs.Supported("c:\\other"));
    EXPECT_EQ(asked, 1);
    EXPECT_TRUE(ntfs.Supported("D:\\x"));
    EXPECT_EQ(asked, 2);
    TStreamVolumes wine(Reporting(kWineVolumeFlags));
    EXPECT_FALSE(wine.Supported("C:\\a\\b.txt"));
    // A volume that cannot be asked has no streams, whatever the flags hold.
    TStreamVolumes silent([](const std::string&, DWORD& out) {
        out = kNtfsVolumeFlags;
        return false;
    });
    EXPECT_FALSE(silent.Supported("C:\\a"));
    // Without a query the volume itself answers.
    EXPECT_FALSE(StreamsSupported("Q:\\no\\such\\drive"));
    TStreamVolumes real;
    EXPECT_EQ(real.Supported("Z:\\"), StreamsSupported("Z:\\"));
}

TEST(AddStreams, OnlyAVolumeWithNamedStreamsHasItsStreamsRead) {
    TempDir dir;
    ASSERT_TRUE(WriteFileBytes(dir / "a.doc", "main"));
    ASSERT_TRUE(WriteFileBytes(dir / "stream-data", "summary"));
    // The file reports one stream, whose data the stand-in file holds.
    const TStreamLister lister = [&](const std::string&) {
        return std::vector<TNamedStream>{{L":\x05S:$DATA", W(dir / "stream-data"), 7}};
    };
    TArchiverOptions options;
    std::vector<std::string> selected, temp;
    TStreamVolumes without(Reporting(kWineVolumeFlags));
    AddStreams(selected, temp, dir / "a.doc", options, FoundAt(kSomeTime), "a.doc", &without, lister);
    EXPECT_TRUE(selected.empty());
    EXPECT_TRUE(temp.empty());
    EXPECT_FALSE(Exists(dir / "a.doc;#S;$DATA"));

    TStreamVolumes with(Reporting(kNtfsVolumeFlags));
    AddStreams(selected, temp, dir / "a.doc", options, FoundAt(kSomeTime), "a.doc", &with, lister);
    EXPECT_EQ(selected, std::vector<std::string>{"a.doc;#S;$DATA"});
    EXPECT_EQ(ReadFileBytes(dir / "a.doc;#S;$DATA"), "summary");
}

TEST(RestoreStreams, OnlyAVolumeWithNamedStreamsHasStreamsRestored) {
    TempDir dir;
    const std::vector<std::string> names{dir / "a.doc;#S;$DATA", dir / "b.doc;#S;$DATA"};
    std::vector<std::string> restored;
    const TStreamRestorer restore = [&](const std::string& name, const std::string&) {
        restored.push_back(name);
        return true;
    };
    TArchiverOptions options;
    TStreamVolumes without(Reporting(kWineVolumeFlags));
    RestoreStreams(names, options, dir.Path(), &without, restore);
    EXPECT_TRUE(restored.empty());
    TStreamVolumes with(Reporting(kNtfsVolumeFlags));
    RestoreStreams(names, options, dir.Path(), &with, restore);
    EXPECT_EQ(restored, names);
}

TEST(RestoreStreams, FilesNotOfThePackingFormOrWithoutHostStayAsTheyAre) {
    TempDir dir;
    ASSERT_TRUE(WriteFileBytes(dir / "a.txt;abc;$DATA", "plain stream entry"));
    ASSERT_TRUE(WriteFileBytes(dir / "a;#b", "plain"));
    ASSERT_TRUE(WriteFileBytes(dir / "gone.doc;#S;$DATA", "orphan"));
    EXPECT_FALSE(RestoreStreamFile(dir / "a.txt;abc;$DATA", ";#"));
    EXPECT_FALSE(RestoreStreamFile(dir / "a;#b", ";#"));
    EXPECT_FALSE(RestoreStreamFile(dir / "gone.doc;#S;$DATA", ";#"));
    EXPECT_EQ(ReadFileBytes(dir / "a.txt;abc;$DATA"), "plain stream entry");
    EXPECT_EQ(ReadFileBytes(dir / "a;#b"), "plain");
    EXPECT_EQ(ReadFileBytes(dir / "gone.doc;#S;$DATA"), "orphan");
    EXPECT_FALSE(Exists(dir / "gone.doc"));  // no stray host made up
}

TEST(RestoreStreams, TheExtractedFileIsDeletedOnlyWhenTheStreamWasWritten) {
    TempDir dir;
    ASSERT_TRUE(WriteFileBytes(dir / "a.doc", "main"));
    ASSERT_TRUE(WriteFileBytes(dir / "a.doc;#S;$DATA", "summary"));
    bool restored = RestoreStreamFile(dir / "a.doc;#S;$DATA", ";#");
    if (restored) {
        // A volume with streams: the data now lives in the stream.
        EXPECT_FALSE(Exists(dir / "a.doc;#S;$DATA"));
        EXPECT_EQ(ReadFileBytes(dir / "a.doc:\x05S:$DATA"), "summary");
    } else {
        EXPECT_EQ(ReadFileBytes(dir / "a.doc;#S;$DATA"), "summary");
    }
    EXPECT_EQ(ReadFileBytes(dir / "a.doc"), "main");
    EXPECT_EQ(restored, StreamsSupported(dir.Path()));
}
