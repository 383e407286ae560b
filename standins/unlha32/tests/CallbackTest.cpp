// Progress through the owner window, the member callback and the progress dialog, and the
// cancels they can make.
#include <gtest/gtest.h>

#include <functional>

#include "TestFiles.h"

namespace {

// A hidden window that records "wm_arcextract" messages; reply decides the answer.
class OwnerWindow {
  public:
    struct Message {
        WPARAM state;
        std::string name, destination;
        std::uint32_t size;
    };
    OwnerWindow() {
        WNDCLASSA wc{};
        wc.lpfnWndProc = &OwnerWindow::Proc;
        wc.hInstance = ::GetModuleHandleA(nullptr);
        wc.lpszClassName = "UnlhaTestOwner";
        ::RegisterClassA(&wc);
        hwnd = ::CreateWindowExA(0, "UnlhaTestOwner", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance,
                                 nullptr);
        ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~OwnerWindow() { ::DestroyWindow(hwnd); }
    HWND hwnd;
    std::vector<Message> messages;
    std::function<LRESULT(const Message&)> reply = [](const Message&) { return 0; };

  private:
    static LRESULT CALLBACK Proc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
        static const UINT arcMessage = ::RegisterWindowMessageA("wm_arcextract");
        auto* self = reinterpret_cast<OwnerWindow*>(::GetWindowLongPtrA(h, GWLP_USERDATA));
        if (msg == arcMessage && self) {
            const auto* info = reinterpret_cast<const UnlhaProgressInfo*>(lp);
            self->messages.push_back({wp, info->nameInArchive, info->destination, info->fileSize});
            return self->reply(self->messages.back());
        }
        return ::DefWindowProcA(h, msg, wp, lp);
    }
};

BOOL CALLBACK SomeCallback(HWND, UINT, UINT, LPVOID) {
    return TRUE;
}

class CallbackTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(lib.loaded());
        ::CreateDirectoryA((dir / "arc").c_str(), nullptr);
        WriteBytes(base + "a.txt", RepetitiveText(1000));
        WriteBytes(base + "sub\\b.txt", "b");
        WriteBytes(base + "c.bin", RandomBytes(3 << 20, 5));
        ASSERT_EQ(0, lib.Run(BackendLine("u", {"-n1", "-jso1"}, arc, base, {"a.txt"})));
        original = ReadBytes(arc);
        WriteBytes(base + "a.txt", "changed");
    }
    void TearDown() override {
        lib.KillOwnerWindowEx(nullptr);
        lib.ClearEnumMembersProc64();
    }
    std::string Update(const std::vector<std::string>& extra = {}) {
        std::vector<std::string> sw = {"-a1", "-n1", "-x1", "-jm2", "-jso1"};
        sw.insert(sw.end(), extra.begin(), extra.end());
        return BackendLine("u", sw, arc, base, {"a.txt", "sub\\b.txt", "c.bin"});
    }
    // Nothing of a failed command may remain beside the archive: no temporary files.
    std::vector<std::string> FilesBesideArchive() { return FilesBelow(dir / "arc"); }

    UnlhaLibrary& lib = UnlhaLibrary::Get();
    TestFolder dir;
    std::string base = dir / "base\\";
    std::string arc = dir / "arc\\p.lzh";
    std::string original;
};

TEST_F(CallbackTest, OwnerWindowGetsStateOneWithNamesAndDestinationsPerMember) {
    OwnerWindow owner;
    ASSERT_NE(0, lib.SetOwnerWindowEx(owner.hwnd, nullptr));
    ASSERT_EQ(0, lib.Run(Update()));
    ASSERT_EQ(3u, owner.messages.size());
    EXPECT_EQ("a.txt", owner.messages[0].name);
    EXPECT_EQ(base + "a.txt", owner.messages[0].destination);
    EXPECT_EQ("sub\\b.txt", owner.messages[1].name);
    EXPECT_EQ(3u << 20, owner.messages[2].size);
    for (const auto& m : owner.messages) EXPECT_EQ(1u, m.state);

    owner.messages.clear();
    std::string out = dir / "out\\";
    ASSERT_EQ(0, lib.Run(BackendLine("x", {"-n1", "-jse1", "-jso1"}, arc, out, {})));
    ASSERT_EQ(3u, owner.messages.size());
    // The destination is where the file ends up (streams are restored from it afterwards).
    EXPECT_EQ(out + "sub\\b.txt", owner.messages[1].destination);

    ASSERT_NE(0, lib.KillOwnerWindowEx(owner.hwnd));
    owner.messages.clear();
    ASSERT_EQ(0, lib.Run(BackendLine("x", {"-n1", "-jse1", "-jso1"}, arc, out, {})));
    EXPECT_TRUE(owner.messages.empty());
    EXPECT_EQ(0, lib.SetOwnerWindowEx(owner.hwnd, &SomeCallback));  // only the message is offered
}

TEST_F(CallbackTest, NonzeroReplyCancelsAndLeavesTheOldArchiveAlone) {
    OwnerWindow owner;
    owner.reply = [](const OwnerWindow::Message& m) { return m.name == "c.bin" ? 1 : 0; };
    ASSERT_NE(0, lib.SetOwnerWindowEx(owner.hwnd, nullptr));
    EXPECT_EQ(UNLHA_ERR_CANCELLED, lib.Run(Update()));
    EXPECT_EQ(3u, owner.messages.size());
    EXPECT_TRUE(ReadBytes(arc) == original);
    EXPECT_EQ((std::vector<std::string>{"p.lzh"}), FilesBesideArchive());

    // Cancelling an extraction leaves the destination as it was.
    owner.messages.clear();
    lib.KillOwnerWindowEx(owner.hwnd);
    ASSERT_EQ(0, lib.Run(Update()));
    ASSERT_NE(0, lib.SetOwnerWindowEx(owner.hwnd, nullptr));
    std::string out = dir / "out\\";
    WriteBytes(out + "a.txt", "kept");
    EXPECT_EQ(UNLHA_ERR_CANCELLED, lib.Run(BackendLine("x", {"-n1", "-jse1", "-jso1"}, arc, out, {})));
    EXPECT_EQ((std::vector<std::string>{"a.txt"}), FilesBelow(out));
    EXPECT_EQ("kept", ReadBytes(out + "a.txt"));
}

std::vector<std::string> g_members;
int g_stopAt = -1;
BOOL WINAPI RecordMember(LPVOID p) {
    const auto* m = static_cast<const UnlhaMemberInfo*>(p);
    g_members.push_back(m->nameInArchive);
    return static_cast<int>(g_members.size()) == g_stopAt ? FALSE : TRUE;
}

TEST_F(CallbackTest, MemberCallbackSeesEveryMemberAndZeroStops) {
    g_members.clear();
    g_stopAt = -1;
    EXPECT_EQ(0, lib.SetEnumMembersProc64(&RecordMember, 1000));
    ASSERT_NE(0, lib.SetEnumMembersProc64(&RecordMember, 1094));
    ASSERT_EQ(0, lib.Run(Update()));
    EXPECT_EQ((std::vector<std::string>{"a.txt", "sub\\b.txt", "c.bin"}), g_members);
    std::string packed = ReadBytes(arc);

    g_members.clear();
    g_stopAt = 2;
    WriteBytes(base + "a.txt", "changed again");
    EXPECT_EQ(UNLHA_ERR_CANCELLED, lib.Run(Update()));
    EXPECT_EQ(2u, g_members.size());
    EXPECT_TRUE(ReadBytes(arc) == packed);

    ASSERT_NE(0, lib.ClearEnumMembersProc64());
    g_members.clear();
    ASSERT_EQ(0, lib.Run(Update()));
    EXPECT_TRUE(g_members.empty());
}

// Presses the dialog's cancel button from inside the command, as a user would.
BOOL WINAPI ClickCancel(LPVOID) {
    HWND dialog = ::FindWindowA("UnlhaProgressDialog", nullptr);
    if (dialog) ::PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    g_members.push_back(dialog ? "dialog" : "none");
    return TRUE;
}

TEST_F(CallbackTest, ProgressDialogShowsWithN0AndItsCancelButtonStops) {
    // A dialog that nobody touches must not hold the command up.
    ASSERT_EQ(0, lib.Run(Update({"-n0"})));
    std::string packed = ReadBytes(arc);
    EXPECT_EQ(nullptr, ::FindWindowA("UnlhaProgressDialog", nullptr));  // gone with the command

    g_members.clear();
    ASSERT_NE(0, lib.SetEnumMembersProc64(&ClickCancel, 1094));
    WriteBytes(base + "a.txt", "changed again");
    int r = lib.Run(Update({"-n0"}));
    if (g_members.empty() || g_members[0] == "none") GTEST_SKIP() << "no window could be made here";
    EXPECT_EQ(UNLHA_ERR_CANCELLED, r);
    EXPECT_TRUE(ReadBytes(arc) == packed);
    EXPECT_EQ((std::vector<std::string>{"p.lzh"}), FilesBesideArchive());
}

}  // namespace
