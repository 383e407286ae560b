#include "BackendProbe.h"

#include "FileSystem.h"

namespace arc {

bool OpensAsArchive(TBindingHolder& classBinding, const std::string& fileName) {
    try {
        classBinding.LoadDLL();
        const std::string full = ostra::ExpandFileName(fileName);
        TCustomArchiverDll& dll = classBinding.Dll();
        HARC archive = dll.OpenArchive(nullptr, full, kProbeOpenMode);
        dll.CloseArchive(archive);
        return archive != nullptr;
    } catch (...) {
        return false;
    }
}

}  // namespace arc
