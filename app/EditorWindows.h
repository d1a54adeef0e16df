// The editor's windows as program start makes them: the frame first (which reads the settings),
// then the level view, the properties window and the level list, each a child window of the
// frame, placed beside each other. Program start and the GUI tests build the same thing here.
#pragma once

#include <QString>

namespace quorvel {

class TextureDocument;
class TForm1;
class TForm2;
class TForm3;
class TForm4;
class TForm8;
class TForm9;
class TForm10;

struct EditorWindows {
    TForm1* frame;      // owns the others; deleting it deletes them all
    TForm2* view;       // the level view
    TForm3* properties; // the properties window
    TForm4* levels;     // the level list
    TForm8* about;      // About, hidden until Help > About Quorvel
    TForm9* howTo;      // the how-to window, hidden until Help > How to
    TForm10* notice;    // the notice, shown on top by showAtStart
};

// The windows over `document`, the settings kept in `settingsPath`. Nothing is shown yet.
EditorWindows createEditorWindows(TextureDocument& document, const QString& settingsPath);

// Program start's showing: the frame maximized and active, and the notice on top of it.
void showAtStart(const EditorWindows& windows);

} // namespace quorvel
