#include "LastRunNotice.h"

#include <windows.h>

#include <cstdio>
#include <exception>

#include "SettingsFile.h"
#include "ostra_consts.h"

namespace ostra {

namespace {

std::string TimeText(const SYSTEMTIME& t) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%04u/%02u/%02u %02u:%02u:%02u", t.wYear, t.wMonth, t.wDay, t.wHour,
                  t.wMinute, t.wSecond);
    return buf;
}

// At most limit bytes of text, never half a character, "…" where it was cut.
std::string Quoted(const std::string& text, size_t limit = kNoticeQuoteLimit) {
    if (text.size() <= limit) return text;
    size_t end = 0;
    for (size_t i = 0; i < text.size();) {
        const size_t next = i + (::IsDBCSLeadByte(static_cast<BYTE>(text[i])) ? 2 : 1);
        if (next > limit) break;
        end = i = next;
    }
    return text.substr(0, end) + "…";
}

std::string CountLine(const char* what, const TRecordCounts& c) {
    return std::string(what) + ": " + std::to_string(c.Done) + " 件（失敗 " + std::to_string(c.Failed) +
           " 件）";
}

}  // namespace

std::string RunMark(const TRunRecord& r) {
    return TimeText(r.Start) + " pid=" + std::to_string(r.ProcessId);
}

bool RunEndedCleanly(const TRunRecord& r) {
    return r.Finished && r.ExitStatus == 0;
}

bool NeedsLastRunNotice(const TRunRecord& r, const std::string& shownMark, bool runUnderWay) {
    if (RunEndedCleanly(r) || RunMark(r) == shownMark) return false;
    return r.Finished || !runUnderWay;
}

std::string LastRunNoticeText(const TRunRecord& r, const std::string& recordPath) {
    std::string t = "前回の自動バックアップ（ostrun、" + TimeText(r.Start) + " 開始）";
    if (!r.Finished) {
        t += "は終了の記録がありません。\r\n途中で強制終了されたか、異常終了したと思われます。";
    } else {
        t += "は完全には終わりませんでした（終了コード " + std::to_string(r.ExitStatus) + "）。";
        if (!r.Outcome.empty()) t += "\r\n" + Quoted(r.Outcome);
        if (!r.Failures.empty()) {
            t += "\r\n" + Quoted(r.Failures.front());
            if (r.Failures.size() > 1) t += "（ほか " + std::to_string(r.Failures.size() - 1) + " 件）";
        }
    }
    return t + "\r\n詳しくは \"" + recordPath + "\" に記録されています。";
}

std::string TakeLastRunNotice(const std::string& appDir, bool runUnderWay) {
    try {
        TRunRecord record;
        if (!ReadLastRunRecord(RunRecordPath(appDir), record)) return {};
        TSettingsFile ini(appDir + kIniFile);
        if (!NeedsLastRunNotice(record, ini.ReadString(kLastRunSection, kLastRunShownKey, ""), runUnderWay))
            return {};
        try {
            ini.WriteString(kLastRunSection, kLastRunShownKey, RunMark(record));
        } catch (const std::exception&) {
            // Told all the same: a settings file that cannot be written shows it again next time,
            // which is better than never.
        }
        return LastRunNoticeText(record, RunRecordPath(appDir));
    } catch (const std::exception&) {
        return {};
    }
}

TStrings LastRunDetailLines(const std::string& recordPath) {
    TRunRecord r;
    bool found = false;
    try {
        found = ReadLastRunRecord(recordPath, r);
    } catch (const std::exception&) {
    }
    if (!found) return {"自動バックアップ（ostrun）の実行記録はありません（" + recordPath + "）"};
    TStrings lines;
    lines.push_back("最後の自動バックアップ（ostrun）: " + TimeText(r.Start) + " 開始");
    if (!r.Finished) {
        lines.push_back("終了の記録がありません（実行中か、途中で強制終了・異常終了しました）");
        return lines;
    }
    lines.push_back("終了: " + TimeText(r.End) + "、終了コード " + std::to_string(r.ExitStatus));
    lines.push_back("結果: " + r.Outcome);
    lines.push_back(CountLine("ファイル登録", r.Files));
    lines.push_back(CountLine("フォルダ登録", r.Folders));
    lines.push_back(CountLine("レジストリ登録", r.Registry));
    lines.push_back("書庫: " + (r.Archive.empty() ? std::string("（作成していません）") : r.Archive));
    lines.push_back("---------");
    lines.insert(lines.end(), r.Lines.begin(), r.Lines.end());
    if (!r.Failures.empty()) {
        lines.push_back("---------");
        for (const std::string& f : r.Failures) lines.push_back("失敗: " + f);
    }
    return lines;
}

}  // namespace ostra
