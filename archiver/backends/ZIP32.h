// The back-end of ZIP archives. ZIP work is split over up to three libraries: UNZIP32.DLL
// extracts and lists, ZIP32J.DLL packs, LMZIP32.DLL can stand in for either. The binding loads
// all three and picks, entry by entry, the library that provides it.
#pragma once

#include <string>

#include "Archiver.h"

namespace arc {

class TZipDll : public TCustomArchiverDll {
  public:
    TZipDll() = default;
    ~TZipDll() override;

    // Loads each library that is not loaded yet; one that cannot be loaded stays missing and is
    // tried again next time. Raises nothing.
    void Load() override;
    void Unload() override;
    // "UnZip" of UNZIP32, else LMZIP32.
    int Execute(HWND window, const std::string& archiveFileName, const std::string& cmdLine, char* output,
                DWORD size) override;
    // "Zip" of ZIP32J, else LMZIP32.
    int ExecutePack(HWND window, const std::string& archiveFileName, const std::string& cmdLine, char* output,
                    DWORD size) override;
    int CheckArchive(const std::string& fileName, int mode) override;
    int CloseArchive(HARC archive) override;
    int ExtractMem(HWND window, const std::string& cmdLine, void* buffer, DWORD size, void* time,
                   WORD* attributes, DWORD* written) override;
    int FindFirst(HARC archive, const std::string& wildcard, TEntryRecord& entry) override;
    int FindNext(HARC archive, TEntryRecord& entry) override;
    int KillOwnerWindowEx(HWND window) override;
    HARC OpenArchive(HWND window, const std::string& fileName, DWORD mode) override;
    int SetOwnerWindowEx(HWND window, TArchiverProc callback) override;
    int GetWriteTimeEx(HARC archive, FILETIME* time) override;
    int GetCreateTimeEx(HARC archive, FILETIME* time) override;
    int GetAccessTimeEx(HARC archive, FILETIME* time) override;

    HMODULE UnzipModule() const { return Unzip.get(); }
    HMODULE LmzipModule() const { return Lmzip.get(); }
    HMODULE Zip32jModule() const { return Zip32j.get(); }

  private:
    // Looks name up in the given modules in order (LMZIP32 is asked for the name with a third
    // character "Z" lowered to "z"), anew on every call, and stores the first find in slot. None:
    // EEntryNotFound when required, else false.
    template <typename F>
    bool ResolveZipEntry(F& slot, const char* name, bool required, HMODULE first, HMODULE second,
                         HMODULE third);
    // The order of most listing entries: LMZIP32, ZIP32J, UNZIP32.
    template <typename F>
    bool ResolveListing(F& slot, const char* name, bool required) {
        return ResolveZipEntry(slot, name, required, Lmzip.get(), Zip32j.get(), Unzip.get());
    }

    ostra::ModuleHandle Unzip, Lmzip, Zip32j;
    TMainEntry ZipEntry = nullptr;
    TMainEntry UnzipEntry = nullptr;
};

class TZip32 : public TArchiver {
  public:
    TZip32();

    // The class's one TZipDll.
    static void LoadDLL();
    static void FreeDLL();
    TZipDll& ZipDll();

    // "-x" through UNZIP32 or LMZIP32; EArchiver when neither is there.
    std::string ExtractCommand(HWND window, const std::string& archiveFileName,
                               const TArchiverOptions& options, const std::string& dir,
                               const TFileList& files, bool useResponseFile) override;
    // The ZIP32J line, else the LMZIP32 "-ru" line; EArchiver when neither library is there.
    std::string PackCommand(HWND window, const std::string& archiveFileName, const TArchiverOptions& options,
                            const std::string& dir, const TFileList& files, bool useResponseFile) override;
    // "-d", ZIP32J form, no directory.
    std::string DeleteCommand(HWND window, const std::string& archiveFileName,
                              const TArchiverOptions& options, const std::string& dir, const TFileList& files,
                              bool useResponseFile) override;
    // "-f", ZIP32J form, from the base directory.
    std::string UpdateCommand(HWND window, const std::string& archiveFileName,
                              const TArchiverOptions& options, const std::string& dir, const TFileList& files,
                              bool useResponseFile) override;
    // Writes stub + archive as a ".EXE" (in dirOrName when given) and returns the line that has
    // ZIP32J adjust the offsets in it: -A and the quoted output name.
    std::string SfxCommand(HWND window, const std::string& archiveFileName, const TArchiverOptions& options,
                           const std::string& dirOrName) override;
    // The extraction line without a word, for the one entry.
    std::string ExtractMemCommand(HWND window, const std::string& archiveFileName,
                                  const TArchiverOptions& options, const std::string& entryName) override;

  protected:
    std::string BuildUnzipCommand(const std::string& word, const std::string& archiveFileName,
                                  const TArchiverOptions& options, const std::string& dir,
                                  const TFileList& files, bool useResponseFile);
    std::string BuildZip32jCommand(const std::string& word, const std::string& archiveFileName,
                                   const TArchiverOptions& options, const std::string& dir,
                                   const TFileList& files, bool useResponseFile);
    std::string BuildLmzipPackCommand(const std::string& word, const std::string& archiveFileName,
                                      const TArchiverOptions& options, const std::string& dir,
                                      const TFileList& files, bool useResponseFile);
};

// The name as the ZIP libraries' wildcards read it literally: a leading "-" becomes "[-]", every
// "[" becomes "[[]" and every "\" a "/" (double-byte characters left whole).
std::string ZipNameConverter(const std::string& name);

// True when UNZIP32 (or LMZIP32, ZIP32J) checks the file as a ZIP archive and can open it. Never
// raises.
bool IsZipArchive(const std::string& fileName);

}  // namespace arc
