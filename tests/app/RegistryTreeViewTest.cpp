// The registry tree on a window of its own: the roots, the names it reports, loading one level
// ahead, its events and the value queries. Keys of its own live under HKCU\Software.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <stdexcept>
#include <string>

#include "RegistryTreeView.h"
#include "TestHostWindow.h"
#include "TestSupport.h"

using namespace ostra;

namespace {

// One key per test process: ctest runs the tests of this fixture side by side in one registry.
const std::string kTestName = "PelmiraTreeTest" + std::to_string(::GetCurrentProcessId());
const std::string kTestKeyPath = "Software\\" + kTestName;
const char* const kTestKey = kTestKeyPath.c_str();
const char* const kLongName = "長い日本語の名前";

class RegistryTreeViewTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(testing_support::HasTestDisplay())
            << "no test X display (start Xvfb, see scripts/display.sh)";
        ::RegDeleteTreeA(HKEY_CURRENT_USER, kTestKey);
        HKEY k = nullptr;
        ASSERT_EQ(
            RegCreateKeyExA(HKEY_CURRENT_USER, kTestKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr),
            0);
        DWORD ten = 10;
        RegSetValueExA(k, "B", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&ten), sizeof ten);
        RegSetValueExA(k, "A", 0, REG_SZ, reinterpret_cast<const BYTE*>("x"), 2);
        RegSetValueExA(k, "bin", 0, REG_BINARY, reinterpret_cast<const BYTE*>("\1\2"), 2);
        // A name of double-byte characters, longer in Shift-JIS bytes than in UTF-16 characters.
        RegSetValueExA(k, kLongName, 0, REG_SZ, reinterpret_cast<const BYTE*>("値"), 3);
        for (const char* sub : {"beta", "Alpha", "Gamma\\deeper", "9a", "_x", kLongName}) {
            HKEY s = nullptr;
            RegCreateKeyExA(k, sub, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &s, nullptr);
            RegCloseKey(s);
        }
        RegCloseKey(k);
        ASSERT_TRUE(host.Create());
        ASSERT_TRUE(tree.Create(host.Handle()));
        tree.SetBounds(0, 0, 380, 280);
    }
    void TearDown() override { ::RegDeleteTreeA(HKEY_CURRENT_USER, kTestKey); }

    TTreeNode Child(TTreeNode parent, const std::string& text) {
        for (TTreeNode n = tree.FirstChild(parent); n; n = tree.NextSibling(n))
            if (tree.NodeText(n) == text) return n;
        return nullptr;
    }
    std::vector<std::string> ChildTexts(TTreeNode parent) {
        std::vector<std::string> texts;
        for (TTreeNode n = tree.FirstChild(parent); n; n = tree.NextSibling(n))
            texts.push_back(tree.NodeText(n));
        return texts;
    }
    // Expands a node as the user does (its expansion is asked for again each time), which a
    // program's own expansion is not after the first.
    void ExpandAsTheUser(TTreeNode node) {
        tree.Select(node);
        ::SendMessageA(tree.Handle(), WM_KEYDOWN, VK_ADD, 0);
    }
    // The node of HKCU\Software\PelmiraTreeTest, expanded level by level as a user would.
    TTreeNode TestNode() {
        TTreeNode n = Child(tree.TopNode(), "HKEY_CURRENT_USER");
        tree.Expand(n);
        n = Child(n, "Software");
        tree.Expand(n);
        return Child(n, kTestName);
    }

    testing_support::TestHostWindow host;
    TRegistryTreeViewJ tree;
};

TEST_F(RegistryTreeViewTest, MyComputerShowsTheSixRootKeysInTableOrder) {
    TTreeNode top = tree.TopNode();
    ASSERT_NE(top, nullptr);
    EXPECT_EQ(tree.NodeText(top), "My Computer");
    EXPECT_EQ(tree.ImageIndex(top), 0);
    EXPECT_EQ(tree.SelectedImageIndex(top), 0);
    EXPECT_TRUE(tree.Expanded(top));
    EXPECT_EQ(ChildTexts(top),
              (std::vector<std::string>{"HKEY_CLASSES_ROOT", "HKEY_CURRENT_USER", "HKEY_LOCAL_MACHINE",
                                        "HKEY_USERS", "HKEY_CURRENT_CONFIG", "HKEY_DYN_DATA"}));
    TTreeNode hkcu = Child(top, "HKEY_CURRENT_USER");
    EXPECT_EQ(tree.ImageIndex(hkcu), 1);
    EXPECT_EQ(tree.SelectedImageIndex(hkcu), 2);
    // One level ahead: the root keys' subkeys are there before anyone opened them.
    EXPECT_NE(Child(hkcu, "Software"), nullptr);
}

TEST_F(RegistryTreeViewTest, NamesAndPathsOfNodes) {
    TTreeNode top = tree.TopNode();
    TTreeNode hkcu = Child(top, "HKEY_CURRENT_USER");
    TTreeNode software = Child(hkcu, "Software");
    EXPECT_EQ(tree.KeyNameOf(software), "\\Software");
    EXPECT_EQ(tree.KeyNameOf(hkcu), "");
    EXPECT_EQ(tree.KeyNameOf(top), "");
    EXPECT_EQ(tree.FullPathOf(software), "My Computer\\HKEY_CURRENT_USER\\Software");
    EXPECT_EQ(tree.FullPathOf(top), "My Computer");
    EXPECT_EQ(tree.KeyRootOf(software), HKEY_CURRENT_USER);
    EXPECT_EQ(tree.KeyRootOf(top), nullptr);
    EXPECT_EQ(tree.KeyRootOf(nullptr), nullptr);
    tree.SetNodeText(hkcu, "hkey_current_user");  // letter case does not matter
    EXPECT_EQ(tree.KeyRootOf(software), HKEY_CURRENT_USER);
    tree.SetNodeText(hkcu, "HKEY_NOWHERE");
    EXPECT_EQ(tree.KeyRootOf(software), nullptr);
}

TEST_F(RegistryTreeViewTest, SubkeysLoadSortedOneLevelAheadAndOnlyOnce) {
    TTreeNode test = TestNode();
    ASSERT_NE(test, nullptr);
    EXPECT_EQ(tree.KeyNameOf(test), "\\" + kTestKeyPath);
    // In the list's order, letter case ignored (signs before digits before letters): neither the
    // registry's own order (by character codes, "9a" before "_x") nor a case-sensitive one.
    const std::vector<std::string> sorted = {"_x", "9a", "Alpha", "beta", "Gamma", kLongName};
    EXPECT_EQ(ChildTexts(test), sorted);
    tree.Expand(test);
    EXPECT_EQ(ChildTexts(Child(test, "Gamma")), (std::vector<std::string>{"deeper"}));
    // Added after its parent was read: not shown until the tree is built again, however often
    // the user expands the nodes above it.
    HKEY k = nullptr;
    RegCreateKeyExA(HKEY_CURRENT_USER, (kTestKeyPath + "\\delta").c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                    nullptr, &k, nullptr);
    RegCloseKey(k);
    const TTreeNode software = tree.Parent(test);
    tree.Collapse(software);
    ExpandAsTheUser(software);
    ExpandAsTheUser(test);
    EXPECT_TRUE(tree.Expanded(software) && tree.Expanded(test));
    EXPECT_EQ(ChildTexts(test), sorted);
    tree.BuildTree();
    EXPECT_EQ(ChildTexts(TestNode()).size(), sorted.size() + 1);
}

TEST_F(RegistryTreeViewTest, ChangeClickAndDoubleClickEvents) {
    struct Event {
        TTreeNode node;
        HKEY key;
        std::string name;
    };
    std::vector<Event> changes, clicks, dbl;
    tree.OnChange = [&](TRegistryTreeView&, TTreeNode n, HKEY k, const std::string& s) {
        changes.push_back({n, k, s});
    };
    tree.OnClick = [&](TRegistryTreeView&, TTreeNode n, HKEY k, const std::string& s) {
        clicks.push_back({n, k, s});
    };
    tree.OnDblClick = [&](TRegistryTreeView&, TTreeNode n, HKEY k, const std::string& s) {
        dbl.push_back({n, k, s});
    };
    TTreeNode top = tree.TopNode();
    TTreeNode software = Child(Child(top, "HKEY_CURRENT_USER"), "Software");
    tree.Select(software);
    tree.Select(top);
    ASSERT_EQ(changes.size(), 2u);
    EXPECT_EQ(changes[0].key, HKEY_CURRENT_USER);
    EXPECT_EQ(changes[0].name, "\\Software");
    EXPECT_EQ(changes[1].node, top);
    EXPECT_EQ(changes[1].key, nullptr);
    EXPECT_EQ(changes[1].name, "");
    tree.Click();  // on the top node: nothing
    tree.DblClick();
    EXPECT_TRUE(clicks.empty());
    EXPECT_TRUE(dbl.empty());
    tree.Select(software);
    tree.Click();
    tree.DblClick();
    ASSERT_EQ(clicks.size(), 1u);
    EXPECT_EQ(clicks[0].node, software);
    EXPECT_EQ(clicks[0].name, "\\Software");
    EXPECT_EQ(dbl.size(), 1u);
    tree.Select(nullptr);  // nothing selected: a click fires nothing
    tree.Click();
    EXPECT_EQ(clicks.size(), 1u);
}

TEST_F(RegistryTreeViewTest, ValuesOfANodesKey) {
    TTreeNode test = TestNode();
    ASSERT_NE(test, nullptr);
    TStrings names;
    tree.ListValueNames(test, names);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (TStrings{"A", "B", "bin", kLongName}));
    EXPECT_EQ(tree.ValueAsString(test, kLongName), "値");
    EXPECT_EQ(tree.ValueInfo(test, "B").Type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(tree.ValueInfo(test, "bin").Type, static_cast<DWORD>(REG_BINARY));
    EXPECT_EQ(tree.ValueInfo(test, "bin").Size, 2u);
    EXPECT_EQ(tree.ValueAsInteger(test, "B"), 10);
    EXPECT_EQ(tree.ValueAsString(test, "A"), "x");
    EXPECT_THROW(tree.ValueAsInteger(test, "A"), std::runtime_error);
    EXPECT_THROW(tree.ValueInfo(test, "missing"), std::runtime_error);
}

}  // namespace
