#include "RunRecord.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "FileSystem.h"
#include "ListFile.h"
#include "TextRoutines.h"
#include "WinHandles.h"

namespace ostra {

namespace {

constexpr const char* kStartMark = "#ostrun 開始 ";
constexpr const char* kBlockMark = "#ostrun 記録 ";
constexpr const char* kFailureMark = "#ostrun 失敗 ";
constexpr const char* kEndMark = "#ostrun 終了 ";
constexpr const char* kAllDone = "すべて完了しました";

bool StartsWith(const std::string& s, const char* prefix) {
    return s.compare(0, std::strlen(prefix), prefix) == 0;
}

std::string TimeText(const SYSTEMTIME& t) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%04u/%02u/%02u %02u:%02u:%02u", t.wYear, t.wMonth, t.wDay, t.wHour,
                  t.wMinute, t.wSecond);
    return buf;
}

// "2005/03/02" and "09:05:00".
bool ParseTime(const std::string& date, const std::string& time, SYSTEMTIME& t) {
    unsigned y, mo, d, h, mi, s;
    if (std::sscanf(date.c_str(), "%4u/%2u/%2u", &y, &mo, &d) != 3 ||
        std::sscanf(time.c_str(), "%2u:%2u:%2u", &h, &mi, &s) != 3)
        return false;
    t = SYSTEMTIME{};
    t.wYear = static_cast<WORD>(y);
    t.wMonth = static_cast<WORD>(mo);
    t.wDay = static_cast<WORD>(d);
    t.wHour = static_cast<WORD>(h);
    t.wMinute = static_cast<WORD>(mi);
    t.wSecond = static_cast<WORD>(s);
    return true;
}

std::string PidText(unsigned long pid) {
    return "pid=" + std::to_string(pid);
}

std::string CountText(const TRecordCounts& c) {
    return std::to_string(c.Done) + "/" + std::to_string(c.Failed);
}

bool ParseCount(const std::string& text, TRecordCounts& c) {
    unsigned long long done, failed;
    if (std::sscanf(text.c_str(), "%llu/%llu", &done, &failed) != 2) return false;
    c.Done = static_cast<size_t>(done);
    c.Failed = static_cast<size_t>(failed);
    return true;
}

TRecordCounts CountsOf(const TStepReport& s) {
    return {s.Done(), s.Failed.size()};
}

// One line: no line break may split it.
std::string OneLine(std::string s) {
    for (char& c : s)
        if (c == '\r' || c == '\n') c = ' ';
    return s;
}

// Never taken for a mark: log lines begin with a blank, '[', '@' or text, but one that begins with
// '#' after any blanks gets one blank more, which the reader takes off again.
bool LooksLikeMark(const std::string& line) {
    const size_t first = line.find_first_not_of(' ');
    return first != std::string::npos && line[first] == '#';
}
std::string Escaped(const std::string& line) {
    return LooksLikeMark(line) ? " " + line : line;
}
std::string Unescaped(const std::string& line) {
    return LooksLikeMark(line) && line[0] == ' ' ? line.substr(1) : line;
}

// The lines of text, without an unterminated last line (a write cut short).
TStrings WholeLines(const std::string& text) {
    const size_t end = text.rfind('\n');
    if (end == std::string::npos) return {};
    return SplitLines(text.substr(0, end + 1));
}

// Appends text in one write, after a line end when the file's last line was left unterminated.
bool AppendText(const std::string& path, std::string text) {
    FileHandle f(::CreateFileA(path.c_str(), GENERIC_READ | FILE_APPEND_DATA,
                               FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!f) return false;
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(f.get(), &size)) return false;
    if (size.QuadPart > 0) {
        LARGE_INTEGER last;
        last.QuadPart = size.QuadPart - 1;
        char c = 0;
        DWORD got = 0;
        if (::SetFilePointerEx(f.get(), last, nullptr, FILE_BEGIN) &&
            ::ReadFile(f.get(), &c, 1, &got, nullptr) && got == 1 && c != '\n')
            text.insert(0, "\r\n");
    }
    LARGE_INTEGER zero{};
    ::SetFilePointerEx(f.get(), zero, nullptr, FILE_END);
    return WriteAll(f.get(), text);
}

// Drops the oldest runs (each from its start line on) until the file is within kRunRecordKeep;
// the newest run always stays.
void TrimFile(const std::string& path) {
    std::string text;
    if (!ReadWholeFile(path, text) || text.size() <= kRunRecordLimit) return;
    size_t cut = 0;
    for (size_t at = 0; text.size() - cut > kRunRecordKeep;) {
        const size_t next = text.find(std::string("\n") + kStartMark, at);
        if (next == std::string::npos) break;
        cut = next + 1;
        at = cut;
    }
    if (cut > 0) WriteFileAtomically(path, text.substr(cut));
}

}  // namespace

std::string RunRecordPath(const std::string& appDir) {
    return appDir + kRunRecordFile;
}

TRunRecord RecordOfRun(const TRunResult& r, const TStrings& lines, int exitStatus, const std::string& error,
                       const SYSTEMTIME& start, const SYSTEMTIME& end, unsigned long processId) {
    TRunRecord rec;
    rec.Start = start;
    rec.End = end;
    rec.ProcessId = processId;
    rec.Finished = true;
    rec.ExitStatus = exitStatus;
    rec.Files = CountsOf(r.FileStep);
    rec.Folders = CountsOf(r.FolderStep);
    rec.Registry = CountsOf(r.RegistryStep);
    if (r.Archive.Outcome == TArchiveResult::arCreated) rec.Archive = ExtractFileName(r.Archive.ArchivePath);
    if (exitStatus == 1) {
        rec.Outcome = "エラーで終わりました: " + error;
    } else {
        const TStrings leftOut = WhatWasLeftOut(r);
        for (const std::string& s : leftOut) rec.Outcome += (rec.Outcome.empty() ? "" : " / ") + s;
        if (rec.Outcome.empty()) rec.Outcome = kAllDone;
    }
    for (const TStepReport* s : {&r.FileStep, &r.FolderStep, &r.RegistryStep})
        for (const TFailedItem& f : s->Failed)
            rec.Failures.push_back(f.Item + ": " + FailReasonText(f.Reason, f.Error));
    for (const TFailedItem& f : r.Archive.LeftOut)
        rec.Failures.push_back(f.Item + ": " + FailReasonText(f.Reason, f.Error));
    rec.Lines = lines;
    return rec;
}

std::string RunRecordText(const TRunRecord& rec) {
    std::string t = std::string(kBlockMark) + PidText(rec.ProcessId) + "\r\n";
    size_t kept = 0, omitted = 0;
    for (const std::string& line : rec.Lines) {
        if (kept + line.size() > kRunRecordLinesLimit) {
            ++omitted;
            continue;
        }
        kept += line.size() + 2;
        t += Escaped(OneLine(line)) + "\r\n";
    }
    if (omitted) t += "（ほか " + std::to_string(omitted) + " 行は記録していません）\r\n";
    for (size_t i = 0; i < rec.Failures.size() && i < kRunRecordFailures; ++i)
        t += std::string(kFailureMark) + OneLine(rec.Failures[i]) + "\r\n";
    if (rec.Failures.size() > kRunRecordFailures)
        t += std::string(kFailureMark) + "ほか " + std::to_string(rec.Failures.size() - kRunRecordFailures) +
             " 件\r\n";
    t += std::string(kEndMark) + TimeText(rec.End) + " " + PidText(rec.ProcessId) +
         " 終了コード=" + std::to_string(rec.ExitStatus) + " ファイル=" + CountText(rec.Files) +
         " フォルダ=" + CountText(rec.Folders) + " レジストリ=" + CountText(rec.Registry) +
         " 書庫=" + rec.Archive + " 結果=" + OneLine(rec.Outcome) + "\r\n";
    return t;
}

bool AppendRunStart(const std::string& path, const SYSTEMTIME& start, unsigned long processId) {
    return AppendText(path, std::string(kStartMark) + TimeText(start) + " " + PidText(processId) + "\r\n");
}

bool AppendRunRecord(const std::string& path, const TRunRecord& record) {
    if (!AppendText(path, RunRecordText(record))) return false;
    TrimFile(path);
    return true;
}

bool ReadLastRunRecord(const std::string& path, TRunRecord& rec) {
    rec = TRunRecord{};
    std::string text;
    if (!ReadWholeFile(path, text)) return false;
    const TStrings lines = WholeLines(text);
    size_t start = lines.size();
    for (size_t i = lines.size(); i-- > 0;)
        if (StartsWith(lines[i], kStartMark)) {
            start = i;
            break;
        }
    if (start == lines.size()) return false;
    // "#ostrun 開始 <date> <time> pid=<n>"
    {
        char date[16] = {}, time[16] = {};
        unsigned long pid = 0;
        if (std::sscanf(lines[start].c_str() + std::strlen(kStartMark), "%15s %15s pid=%lu", date, time,
                        &pid) != 3 ||
            !ParseTime(date, time, rec.Start))
            return false;
        rec.ProcessId = pid;
    }
    const std::string block = std::string(kBlockMark) + PidText(rec.ProcessId);
    size_t i = start + 1;
    while (i < lines.size() && lines[i] != block) ++i;
    for (++i; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        if (StartsWith(line, kFailureMark)) {
            rec.Failures.push_back(line.substr(std::strlen(kFailureMark)));
        } else if (StartsWith(line, kEndMark)) {
            // "<date> <time> pid=<n> 終了コード=<n> ファイル=<d/f> フォルダ=<d/f> レジストリ=<d/f>
            // 書庫=<name> 結果=<text>"
            const std::string rest = line.substr(std::strlen(kEndMark));
            TStrings fields;
            size_t at = 0;
            while (fields.size() < 8) {
                const size_t sp = rest.find(' ', at);
                if (sp == std::string::npos) break;
                fields.push_back(rest.substr(at, sp - at));
                at = sp + 1;
            }
            const std::string outcome = rest.substr(at);
            auto value = [](const std::string& field, const char* key) -> const char* {
                return StartsWith(field, key) ? field.c_str() + std::strlen(key) : nullptr;
            };
            if (fields.size() != 8 || !ParseTime(fields[0], fields[1], rec.End) ||
                fields[2] != PidText(rec.ProcessId) || !value(fields[3], "終了コード=") ||
                !value(fields[4], "ファイル=") || !ParseCount(value(fields[4], "ファイル="), rec.Files) ||
                !value(fields[5], "フォルダ=") || !ParseCount(value(fields[5], "フォルダ="), rec.Folders) ||
                !value(fields[6], "レジストリ=") ||
                !ParseCount(value(fields[6], "レジストリ="), rec.Registry) || !value(fields[7], "書庫=") ||
                !value(outcome, "結果="))
                break;  // not a closing line of ours: the record stays unfinished
            rec.ExitStatus = std::atoi(value(fields[3], "終了コード="));
            rec.Archive = value(fields[7], "書庫=");
            rec.Outcome = value(outcome, "結果=");
            rec.Finished = true;
            break;
        } else if (StartsWith(line, kStartMark) || StartsWith(line, kBlockMark)) {
            continue;  // another run's, written in between
        } else {
            rec.Lines.push_back(Unescaped(line));
        }
    }
    return true;
}

}  // namespace ostra
