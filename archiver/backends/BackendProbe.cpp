#include "BackendProbe.h"

#include "FileSystem.h"

namespace arc {

bool OpensAsArchive(TBindingHolder& classBinding, const std::string& fileName) {
    try {
        classBinding.LoadDLL();
        const std::string full = ostra::ExpandFileName(fileName);
        TCustomArchiverDll& dll = classBinding.Dll();
        HARC archive = dll.OpenArchive(nullptr, full, kProbeOpenMode);
        // A null handle is no archive the library opened: nothing to close.
        if (!archive) return false;
        dll.CloseArchive(archive);
        return true;
    } catch (...) {
        return false;
    }
}

}  // namespace arc
