#include "ARJ32.h"

#include "BackendProbe.h"

namespace arc {

namespace {

TClassBinding<>& Binding() {
    static TClassBinding<> binding("ARJ 形式書庫", "UNARJ32J.DLL", "Unarj");
    return binding;
}

}  // namespace

TArj32::TArj32() : TLha32(Binding()) {}

void TArj32::LoadDLL() {
    Binding().LoadDLL();
}

void TArj32::FreeDLL() {
    Binding().FreeDLL();
}

std::string TArj32::ExtractCommand(HWND, const std::string& archiveFileName, const TArchiverOptions& options,
                                   const std::string& dir, const TFileList& files, bool useResponseFile) {
    return BuildCommand("x", archiveFileName, options, dir, files, useResponseFile);
}

bool IsArjArchive(const std::string& fileName) {
    return OpensAsArchive(Binding(), fileName);
}

}  // namespace arc
