#include "OperationMonitor.h"

#include "CallbackRegistry.h"
#include "Records.h"
#include "UnlhaError.h"

namespace unlha {

OperationMonitor::OperationMonitor(HWND window, bool showDialog, const std::string& caption)
    : owner_(CallbackRegistry::Instance().Owner()), enumProc_(CallbackRegistry::Instance().EnumProc()) {
    if (showDialog) dialog_ = std::make_unique<ProgressDialog>(window, caption);
}

OperationMonitor::~OperationMonitor() = default;

void OperationMonitor::ThrowIfCancelled() {
    if (dialog_ && dialog_->Cancelled()) throw UnlhaError(UNLHA_ERR_CANCELLED, "処理を中止しました。");
}

void OperationMonitor::BeginMember(const lha::Entry& e, const std::string& destination,
                                   std::uint32_t command) {
    if (enumProc_) {
        UnlhaMemberInfo member;
        FillMemberInfo(e, destination, command, member);
        if (!enumProc_(&member)) throw UnlhaError(UNLHA_ERR_CANCELLED, "処理を中止しました。");
    }
    if (owner_ && ::IsWindow(owner_)) {
        UnlhaProgressInfo info;
        FillProgressInfo(e, destination, info);
        LRESULT reply =
            ::SendMessageA(owner_, CallbackRegistry::ProgressMessage(), 1, reinterpret_cast<LPARAM>(&info));
        if (reply != 0) throw UnlhaError(UNLHA_ERR_CANCELLED, "処理を中止しました。");
    }
    if (dialog_) dialog_->SetMember(e.name);
    ThrowIfCancelled();
}

lha::ProgressFn OperationMonitor::Callback() {
    if (!dialog_) return {};
    return [this](const lha::Progress& p) {
        dialog_->SetProgress(p.done, p.total);
        return !dialog_->Cancelled();
    };
}

}  // namespace unlha
