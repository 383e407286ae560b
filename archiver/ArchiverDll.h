// The binding through which every archiver back-end talks to its external library: one resolved
// entry point per library function, each call wrapped in a method with the library's arguments.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ArchiverApi.h"
#include "WinHandles.h"

namespace arc {

// The format text with "%0:s" and "%1:s" replaced in one pass, so that an argument which holds a
// placeholder itself stays as it is.
std::string FormatPlaceholders(const std::string& format, const std::string& arg0,
                               const std::string& arg1 = std::string());
// "%0:s を扱うには %1:s が 必要です。" with (description, library file name).
std::string NoArchiverDllMessage(const std::string& description, const std::string& dllName);
// "%0:s に %1:s のエントリが見つかりません。" with (module file name, entry name).
std::string EntryNotFoundMessage(const std::string& moduleFileName, const std::string& entryName);

// Full path of a loaded module; empty when it cannot be read.
std::string ModuleFileName(HMODULE module);

// Holds the entry points and makes the calls. A derived binding decides how the slots are filled
// (Load and the overrides below); the calls here only use what is in the slots.
class TCustomArchiverDll {
  public:
    TCustomArchiverDll() = default;
    TCustomArchiverDll(const TCustomArchiverDll&) = delete;
    TCustomArchiverDll& operator=(const TCustomArchiverDll&) = delete;
    virtual ~TCustomArchiverDll() = default;

    virtual void Load() = 0;
    // Forgets every resolved entry point.
    virtual void Unload();
    // Main entry with (window, command line, output or null when size is 0, size); the archive
    // name is for bindings that need it and is not passed on.
    virtual int Execute(HWND window, const std::string& archiveFileName, const std::string& cmdLine,
                        char* output, DWORD size);
    // Packing commands; the same as Execute unless packing runs in another library.
    virtual int ExecutePack(HWND window, const std::string& archiveFileName, const std::string& cmdLine,
                            char* output, DWORD size);
    virtual int CheckArchive(const std::string& fileName, int mode);
    virtual int CloseArchive(HARC archive);
    virtual int ExtractMem(HWND window, const std::string& cmdLine, void* buffer, DWORD size, void* time,
                           WORD* attributes, DWORD* written);
    // On result 0 the record's three file times are filled too.
    virtual int FindFirst(HARC archive, const std::string& wildcard, TEntryRecord& entry);
    virtual int FindNext(HARC archive, TEntryRecord& entry);
    virtual int KillOwnerWindowEx(HWND window);
    virtual HARC OpenArchive(HWND window, const std::string& fileName, DWORD mode);
    virtual int SetOwnerWindowEx(HWND window, TArchiverProc callback);
    virtual int GetWriteTimeEx(HARC archive, FILETIME* time);
    virtual int GetCreateTimeEx(HARC archive, FILETIME* time);
    virtual int GetAccessTimeEx(HARC archive, FILETIME* time);
    virtual int GetArchiveType(const std::string& fileName);
    virtual int SetEnumMembersProc64(TEnumMembersProc callback, DWORD recordSize);
    virtual int ClearEnumMembersProc64();

  protected:
    // One slot per library entry, null until resolved.
    struct TEntryPoints {
        TMainEntry Main = nullptr;
        TOpenArchiveEntry OpenArchive = nullptr;
        TCloseArchiveEntry CloseArchive = nullptr;
        TFindFirstEntry FindFirst = nullptr;
        TFindNextEntry FindNext = nullptr;
        TExtractMemEntry ExtractMem = nullptr;
        TCheckArchiveEntry CheckArchive = nullptr;
        TSetOwnerWindowExEntry SetOwnerWindowEx = nullptr;
        TKillOwnerWindowExEntry KillOwnerWindowEx = nullptr;
        TGetTimeExEntry GetWriteTimeEx = nullptr;
        TGetTimeExEntry GetCreateTimeEx = nullptr;
        TGetTimeExEntry GetAccessTimeEx = nullptr;
        TGetArchiveTypeEntry GetArchiveType = nullptr;
        TSetEnumMembersProc64Entry SetEnumMembersProc64 = nullptr;
        TClearEnumMembersProc64Entry ClearEnumMembersProc64 = nullptr;
    };
    TEntryPoints Entries;

    // Fills an empty slot from the module. True when the slot is usable; a missing required entry
    // raises EEntryNotFound with the module's file name, a missing optional one answers false.
    // A filled slot is kept: entries are looked up once per load.
    template <typename F>
    bool ResolveEntry(F& slot, HMODULE module, const std::string& entryName, bool required) {
        if (slot) return true;
        slot = reinterpret_cast<F>(LookupEntry(module, entryName, required));
        return slot != nullptr;
    }

  private:
    // The function-pointer cast goes through void(*)() so that no slot type needs its own lookup.
    using TAnyEntry = void (*)();
    static TAnyEntry LookupEntry(HMODULE module, const std::string& entryName, bool required);
    // The record's times from the library, else from its DOS date and time.
    void FillEntryTimes(HARC archive, TEntryRecord& entry);
};

// The binding of every library whose entries are the prefix plus the fixed suffixes: loaded by
// file name on first use, each entry resolved when first called.
class TArchiverDll : public TCustomArchiverDll {
  public:
    TArchiverDll(std::string description, std::string dllName, std::string prefix);
    ~TArchiverDll() override;

    // Loads the library when it is not loaded; ENoArchiverDLL when it cannot be.
    void Load() override;
    void Unload() override;
    int Execute(HWND window, const std::string& archiveFileName, const std::string& cmdLine, char* output,
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
    int GetArchiveType(const std::string& fileName) override;
    int SetEnumMembersProc64(TEnumMembersProc callback, DWORD recordSize) override;
    int ClearEnumMembersProc64() override;

    // Module handle of the loaded library, null while not loaded.
    HMODULE Handle() const { return Module.get(); }
    const std::string& Description() const { return Description_; }
    const std::string& DllName() const { return DllName_; }
    const std::string& Prefix() const { return Prefix_; }

  protected:
    // Prefix + suffix into slot; see ResolveEntry.
    template <typename F>
    bool Resolve(F& slot, const char* suffix, bool required) {
        return ResolveEntry(slot, Module.get(), Prefix_ + suffix, required);
    }

  private:
    ostra::ModuleHandle Module;
    std::string Description_;
    std::string DllName_;
    std::string Prefix_;
};

// The one binding a back-end class keeps at class level (every instance of the class shares it).
// Created by the class's first LoadDLL; nothing frees it, so it and its library live until the
// process ends. A holder knows one or more ways to make its binding, tried in order:
// - with one, a binding whose library is missing stays, and its own operations (or the next
//   LoadDLL) try to load it again;
// - with alternatives (one library under either of two names), a binding that does not load is
//   dropped and the next one tried; when none loads, EArchiver with the holder's own message.
class TBindingHolder {
  public:
    using TFactory = std::function<std::unique_ptr<TCustomArchiverDll>()>;

    TBindingHolder(std::vector<TFactory> alternatives, std::string noneLoadedMessage);
    TBindingHolder(const TBindingHolder&) = delete;
    TBindingHolder& operator=(const TBindingHolder&) = delete;
    virtual ~TBindingHolder() = default;

    // Creates the binding when there is none, then loads it.
    void LoadDLL();
    // Frees the binding and its libraries.
    void FreeDLL() { Binding.reset(); }
    // The binding, created (not loaded) when there is none.
    TCustomArchiverDll& Dll();
    bool Created() const { return Binding != nullptr; }

  private:
    std::vector<TFactory> Alternatives;
    std::string NoneLoadedMessage;
    std::unique_ptr<TCustomArchiverDll> Binding;
};

// A holder whose binding is of class T.
template <typename T = TArchiverDll>
class TClassBinding : public TBindingHolder {
  public:
    // The standard binding of one library.
    TClassBinding(std::string description, std::string dllName, std::string prefix)
        : TBindingHolder(
              {[=] { return std::unique_ptr<TCustomArchiverDll>(new T(description, dllName, prefix)); }},
              std::string()) {}
    // One binding made by make (for one over several libraries, say).
    explicit TClassBinding(TFactory make) : TBindingHolder({std::move(make)}, std::string()) {}
    // Alternatives tried in order; noneLoadedMessage when none loads.
    TClassBinding(std::vector<TFactory> alternatives, std::string noneLoadedMessage)
        : TBindingHolder(std::move(alternatives), std::move(noneLoadedMessage)) {}

    T& Dll() { return static_cast<T&>(TBindingHolder::Dll()); }
};

}  // namespace arc
