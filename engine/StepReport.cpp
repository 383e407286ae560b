#include "StepReport.h"

#include "ostra_consts.h"

namespace ostra {

TFailReason FailReasonOf(DWORD error) {
    switch (error) {
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
        case ERROR_USER_MAPPED_FILE:
            return TFailReason::frInUse;
        case ERROR_ACCESS_DENIED:
        case ERROR_PRIVILEGE_NOT_HELD:
        case ERROR_WRITE_PROTECT:
            return TFailReason::frAccessDenied;
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL:
            return TFailReason::frDiskFull;
        case ERROR_FILENAME_EXCED_RANGE:
            return TFailReason::frPathTooLong;
        default:
            return TFailReason::frOther;
    }
}

std::string FailReasonText(TFailReason reason, DWORD error) {
    switch (reason) {
        case TFailReason::frInUse:
            return "他のプログラムが使用中です";
        case TFailReason::frAccessDenied:
            return "アクセスが拒否されました";
        case TFailReason::frNoAnsiName:
            return "名前にこのシステムの文字コードで表せない文字があります";
        case TFailReason::frTrailingDotOrBlank:
            return "名前の末尾が点または空白です";
        case TFailReason::frPathTooLong:
            return "パスが長すぎます";
        case TFailReason::frDiskFull:
            return "ディスクの空きが足りません";
        case TFailReason::frIncomplete:
            return "コピーが元のファイルと同じ大きさになりませんでした";
        case TFailReason::frCannotList:
            return "フォルダの中を読めません";
        case TFailReason::frBadTitle:
            return "タイトルが使えません";
        case TFailReason::frNotExported:
            return "書き出されませんでした";
        case TFailReason::frExportTimedOut:
            return "書き出しが終わらないため打ち切りました";
        case TFailReason::frEditorNotStarted:
            return "レジストリエディタを起動できません";
        case TFailReason::frQuoteInKey:
            return "キーに \" を含みます";
        case TFailReason::frOther:
            break;
    }
    return "エラー " + std::to_string(error);
}

std::string FailureLogLine(const std::string& name, TFailReason reason, DWORD error, const char* what) {
    return "  " + name + (what ? what : kLogCopyFailed) + "（" + FailReasonText(reason, error) + "）";
}

}  // namespace ostra
