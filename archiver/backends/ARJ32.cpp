#include "ARJ32.h"

namespace arc {

namespace {

constexpr DWORD kProbeOpenMode = 0x800002;

TClassBinding& Binding() {
    static TClassBinding binding("ARJ 形式書庫", "UNARJ32J.DLL", "Unarj");
    return binding;
}

}  // namespace

TArj32::TArj32() : TLha32(TNoLoad{}) {
    LoadDLL();
}

void TArj32::LoadDLL() {
    Binding().LoadDLL();
}

void TArj32::FreeDLL() {
    Binding().FreeDLL();
}

TCustomArchiverDll& TArj32::Dll() {
    return Binding().Dll();
}

std::string TArj32::ExtractCommand(HWND, const std::string& archiveFileName, const TArchiverOptions& options,
                                   const std::string& dir, const TFileList& files, bool useResponseFile) {
    return BuildCommand("x", archiveFileName, options, dir, files, useResponseFile);
}

bool IsArjArchive(const std::string& fileName) {
    try {
        TArj32::LoadDLL();
        const std::string full = ExpandFileName(fileName);
        TCustomArchiverDll& dll = Binding().Dll();
        HARC archive = dll.OpenArchive(nullptr, full, kProbeOpenMode);
        dll.CloseArchive(archive);
        return archive != nullptr;
    } catch (...) {
        return false;
    }
}

}  // namespace arc
