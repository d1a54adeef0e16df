// A self-check of the running editor for tests in a real window system: when the environment
// names a report file in QUORVEL_SELF_CHECK, the editor, once its start file is shown, writes
// to that file what the user would see (the frame's title, whether level 1 is on the screen
// pixel for pixel as the level image holds it; the notice shown at start is first closed with
// its "Yeah, yeah" button), closes the paint toolbar by its system menu, picks a pixel of the
// level and brings the toolbar back from the Window menu, then uses File > Exit, answers the question
// No, reports that it still runs, uses Exit again and answers Yes.
#pragma once

namespace quorvel {

struct EditorWindows;

void startSelfCheckIfAsked(const EditorWindows& windows);

} // namespace quorvel
