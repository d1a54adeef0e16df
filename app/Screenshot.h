// A picture of the running editor for the README: when the environment names a PNG file in
// QUORVEL_SCREENSHOT, the editor fills the screen (where no window manager maximizes it), and
// once its start file is shown closes the notice as a user would, grabs the frame with every
// window inside it, writes the PNG and closes. tools/screenshot.sh runs it under Xvfb.
#pragma once

namespace quorvel {

struct EditorWindows;

void takeScreenshotIfAsked(const EditorWindows& windows);

} // namespace quorvel
