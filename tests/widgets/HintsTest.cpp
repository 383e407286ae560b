// Hints: what the tooltip shows of a hint, and the application's timing.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include "Hints.h"
#include "StdControls.h"
#include "TestHostWindow.h"

using widgets::ShortHint;

TEST(ShortHint, TheShortPartEndsAtTheBarAndLineBreaksStay) {
    EXPECT_EQ(ShortHint("数値が大きいほど\r\n一般的には"),
              "数値が大きいほど\r\n一般的には");  // no bar: whole text
    EXPECT_EQ(ShortHint("削除実行前に確認を行います|"), "削除実行前に確認を行います");
    EXPECT_EQ(ShortHint("short|long part"), "short");
    EXPECT_EQ(ShortHint("a\r\n\r\nb|"), "a\r\n\r\nb");
    // A lone CR breaks the line; a break right before the bar opens no empty line.
    EXPECT_EQ(ShortHint("削除します。\r進捗ダイアログ|"), "削除します。\r\n進捗ダイアログ");
    EXPECT_EQ(ShortHint("ごみ箱を利用します。\r|"), "ごみ箱を利用します。");
    EXPECT_EQ(ShortHint(""), "");
}

TEST(ShortHint, ABarInsideADoubleByteCharacterIsNoEnd) {
    // "ポ" is 83 7C in Shift-JIS: its trail byte is the bar's code.
    EXPECT_EQ(ShortHint("ポップアップ|x"), "ポップアップ");
}

TEST(Hints, TheTooltipShowsTheShortHintWithTheApplicationsTiming) {
    testing_support::TestHostWindow host;
    ASSERT_TRUE(host.Create());
    widgets::TButton button;
    ASSERT_TRUE(button.Create(host.Handle(), "b"));
    widgets::THints hints;
    ASSERT_TRUE(hints.Create(host.Handle()));
    hints.Set(button.Handle(), "圧縮処理時\r\n\r\nキャンセル|");
    EXPECT_EQ(hints.ShownText(button.Handle()), "圧縮処理時\r\n\r\nキャンセル");
    hints.Set(button.Handle(), "C:\\Data\\");  // a later hint replaces the text
    EXPECT_EQ(hints.ShownText(button.Handle()), "C:\\Data\\");
    EXPECT_EQ(hints.Hint(button.Handle()), "C:\\Data\\");
    EXPECT_EQ(::SendMessageA(hints.Handle(), TTM_GETDELAYTIME, TTDT_INITIAL, 0), 100);
    EXPECT_EQ(::SendMessageA(hints.Handle(), TTM_GETDELAYTIME, TTDT_AUTOPOP, 0), 30000);
}
