#pragma once
// Where the main window's frame stands across the screen for a caption of a given width:
// plain arithmetic, so the rule is tested without a window.

#include <algorithm>

// A horizontal stretch of the screen, in pixels.
struct FrameSpan {
    int left;
    int width;
};

// The frame at `design` shows a caption needing `neededWidth` pixels whole: no change when
// it fits; otherwise the frame grows to the right as far as the work area allows, moving
// left only to stay inside it, and never narrower than designed. A caption wider than
// the work area gets the work area's width, and the system ends it with an ellipsis.
inline FrameSpan CaptionFrameSpan(FrameSpan design, int neededWidth, FrameSpan workArea) {
    if (neededWidth <= design.width) return design;
    const int width = std::max(design.width, std::min(neededWidth, workArea.width));
    const int left = std::min(design.left, workArea.left + workArea.width - width);
    return {std::max(left, workArea.left), width};
}
