#include "CommandRunner.h"

#include <lha/lha.h>

#include <atomic>
#include <new>

#include "ArchiveExtractor.h"
#include "ArchiveUpdater.h"
#include "CommandLineParser.h"
#include "UnlhaError.h"
#include "Win32IoError.h"
#include "unlha32/UnlhaResult.h"

namespace unlha {

namespace {

std::atomic<bool> g_busy{false};

class BusyGuard {
  public:
    BusyGuard() : acquired_(!g_busy.exchange(true)) {}
    ~BusyGuard() {
        if (acquired_) g_busy.store(false);
    }
    bool acquired() const { return acquired_; }

  private:
    bool acquired_;
};

int CodeOf(const lha::Error& e) {
    switch (e.code()) {
        case lha::ErrorCode::Io:
            return UNLHA_ERR_READ;
        case lha::ErrorCode::BadArchive:
        case lha::ErrorCode::Truncated:
        case lha::ErrorCode::CorruptData:
            return UNLHA_ERR_BROKEN;
        case lha::ErrorCode::CrcMismatch:
            return UNLHA_ERR_CRC;
        case lha::ErrorCode::UnknownMethod:
            return UNLHA_ERR_METHOD;
        case lha::ErrorCode::Cancelled:
            return UNLHA_ERR_CANCELLED;
        case lha::ErrorCode::InvalidArgument:
            return UNLHA_ERR_BAD_COMMAND;
    }
    return UNLHA_ERR_INTERNAL;
}

}  // namespace

int CommandRunner::Guarded(OutputReport& report, const std::function<int()>& body) {
    BusyGuard busy;
    if (!busy.acquired()) {
        report.Line("ほかの処理を実行中です。");
        return UNLHA_ERR_BUSY;
    }
    try {
        return body();
    } catch (const UnlhaError& e) {
        report.Line(e.what());
        return e.code();
    } catch (const Win32IoError& e) {
        report.Line(e.what());
        return e.resultCode();
    } catch (const lha::Error& e) {
        int code = CodeOf(e);
        report.Line(code == UNLHA_ERR_CANCELLED ? "処理を中止しました。"
                                                : std::string("書庫を処理できません: ") + e.what());
        return code;
    } catch (const std::bad_alloc&) {
        report.Line("メモリが足りません。");
        return UNLHA_ERR_NO_MEMORY;
    } catch (const std::exception& e) {
        report.Line(std::string("内部エラー: ") + e.what());
        return UNLHA_ERR_INTERNAL;
    } catch (...) {
        report.Line("内部エラー");
        return UNLHA_ERR_INTERNAL;
    }
}

int CommandRunner::Run(HWND window, LPCSTR commandLine, OutputReport& report) {
    return Guarded(report, [&]() -> int {
        if (!commandLine) throw UnlhaError(UNLHA_ERR_BAD_COMMAND, "コマンドが指定されていません。");
        Command cmd = CommandLineParser::Parse(commandLine);
        const std::string& w = cmd.word;
        if (w == "u" || w == "a" || w == "f" || w == "d") return ArchiveUpdater(window, cmd, report).Run();
        if (w == "x" || w == "e" || w == "t") return ArchiveExtractor(window, cmd, report).Run();
        if (w == "s") throw UnlhaError(UNLHA_ERR_NOT_SUPPORTED, "自己解凍書庫の作成には対応していません。");
        throw UnlhaError(UNLHA_ERR_BAD_COMMAND, "コマンドが指定されていません。");
    });
}

int CommandRunner::RunExtractMem(HWND window, LPCSTR commandLine, LPBYTE buffer, DWORD size, DWORD* time,
                                 LPWORD attributes, LPDWORD written) {
    OutputReport none(nullptr, 0);
    if (written) *written = 0;
    return Guarded(none, [&]() -> int {
        if (!commandLine) throw UnlhaError(UNLHA_ERR_BAD_COMMAND, "コマンドが指定されていません。");
        Command cmd = CommandLineParser::Parse(commandLine);
        if (!cmd.word.empty() && cmd.word != "x" && cmd.word != "e")
            throw UnlhaError(UNLHA_ERR_BAD_COMMAND, "メモリへの展開に使えないコマンドです: " + cmd.word);
        return ArchiveExtractor(window, cmd, none).ExtractToMemory(buffer, size, time, attributes, written);
    });
}

}  // namespace unlha
