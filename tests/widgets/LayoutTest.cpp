// The anchor table: where controls go when their page grows or shrinks.
#include <gtest/gtest.h>

#include "AnchorLayout.h"
#include "StdControls.h"
#include "TestHostWindow.h"

using namespace widgets;

namespace {

RECT R(int l, int t, int r, int b) {
    return RECT{l, t, r, b};
}

void ExpectRect(const RECT& got, const RECT& want) {
    EXPECT_EQ(got.left, want.left);
    EXPECT_EQ(got.top, want.top);
    EXPECT_EQ(got.right, want.right);
    EXPECT_EQ(got.bottom, want.bottom);
}

TEST(AnchoredRect, EachAnchorKeepsItsEdgeDistance) {
    const RECT d = R(10, 20, 110, 40);
    const SIZE from{200, 100}, to{260, 150};  // 60 wider, 50 taller
    ExpectRect(AnchoredRect(d, from, to, akTopLeft), d);
    ExpectRect(AnchoredRect(d, from, to, akTopWide), R(10, 20, 170, 40));          // stretches
    ExpectRect(AnchoredRect(d, from, to, akRight | akTop), R(70, 20, 170, 40));    // moves right
    ExpectRect(AnchoredRect(d, from, to, akLeft | akBottom), R(10, 70, 110, 90));  // moves down
    ExpectRect(AnchoredRect(d, from, to, akAll), R(10, 20, 170, 90));
}

TEST(AnchoredRect, ShrinkingNeverTurnsAControlInsideOut) {
    const RECT r = AnchoredRect(R(10, 10, 50, 30), {200, 100}, {20, 100}, akTopWide);
    EXPECT_EQ(r.left, 10);
    EXPECT_EQ(r.right, 10);
}

TEST(AnchorLayout, AlignedControlsShareThePageAndAnchoredOnesFollowTheirEdges) {
    testing_support::TestHostWindow host;
    ASSERT_TRUE(host.Create());
    TLabel top, client, bottom, corner;
    for (TLabel* l : {&top, &client, &bottom, &corner}) ASSERT_TRUE(l->Create(host.Handle(), "x"));
    TAnchorLayout layout;
    layout.SetDesignSize(200, 100);
    layout.AddAligned(top, TAlign::alTop, 30, 2);
    layout.AddAligned(client, TAlign::alClient, 0, 2);
    layout.AddAligned(bottom, TAlign::alBottom, 20, 2);
    layout.Add(corner, 180, 80, 16, 16, akRight | akBottom);
    layout.Apply(300, 200);
    ExpectRect(top.Bounds(), R(2, 2, 298, 32));
    ExpectRect(bottom.Bounds(), R(2, 178, 298, 198));
    ExpectRect(client.Bounds(), R(2, 36, 298, 174));  // what the two others leave
    ExpectRect(corner.Bounds(), R(280, 180, 296, 196));
    // A new height of the top control moves the rest at the next application.
    layout.SetAlignedSize(top, 50);
    layout.Reapply();
    ExpectRect(client.Bounds(), R(2, 56, 298, 174));
}

}  // namespace
