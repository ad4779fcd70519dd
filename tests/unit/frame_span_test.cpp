// The main window's frame across the screen for a caption of a given width.
#include <gtest/gtest.h>

#include "platform/FrameSpan.h"

// Beside FrameSpan, where the test's comparisons find them.
static bool operator==(FrameSpan a, FrameSpan b) {
    return a.left == b.left && a.width == b.width;
}

static void PrintTo(FrameSpan span, std::ostream* out) {
    *out << "{left " << span.left << ", width " << span.width << "}";
}

namespace {

constexpr FrameSpan kDesign{61, 254};

TEST(CaptionFrameSpanTest, AFittingCaptionLeavesTheFrameWhereverItIs) {
    EXPECT_EQ(CaptionFrameSpan(kDesign, 254, {0, 1024}), kDesign);
    // Even a frame reaching past the work area's edge, for a caption that just fits.
    EXPECT_EQ(CaptionFrameSpan({900, 254}, 254, {0, 1024}), (FrameSpan{900, 254}));
}

// To the right from where the frame stands; left only as far as the work area's right
// edge makes it, on a monitor left of the main one too.
TEST(CaptionFrameSpanTest, AWiderCaptionGrowsTheFrameToTheRightWithinTheWorkArea) {
    EXPECT_EQ(CaptionFrameSpan(kDesign, 255, {0, 1024}), (FrameSpan{61, 255}));
    EXPECT_EQ(CaptionFrameSpan(kDesign, 963, {0, 1024}), (FrameSpan{61, 963}));
    EXPECT_EQ(CaptionFrameSpan(kDesign, 964, {0, 1024}), (FrameSpan{60, 964}));
    EXPECT_EQ(CaptionFrameSpan({700, 254}, 500, {0, 1024}), (FrameSpan{524, 500}));
    EXPECT_EQ(CaptionFrameSpan({-1800, 254}, 500, {-1920, 1920}), (FrameSpan{-1800, 500}));
    EXPECT_EQ(CaptionFrameSpan({-300, 254}, 500, {-1920, 1920}), (FrameSpan{-500, 500}));
    // A frame dragged partly off the work area's left edge comes back inside it.
    EXPECT_EQ(CaptionFrameSpan({-100, 254}, 500, {0, 1024}), (FrameSpan{0, 500}));
}

TEST(CaptionFrameSpanTest, ACaptionWiderThanTheWorkAreaTakesItsWidthButNeverLessThanTheDesign) {
    EXPECT_EQ(CaptionFrameSpan(kDesign, 5000, {0, 1024}), (FrameSpan{0, 1024}));
    EXPECT_EQ(CaptionFrameSpan(kDesign, 5000, {1024, 800}), (FrameSpan{1024, 800}));
    EXPECT_EQ(CaptionFrameSpan(kDesign, 400, {0, 200}), (FrameSpan{0, 254}));
}

}  // namespace
