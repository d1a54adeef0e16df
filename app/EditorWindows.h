// The editor's windows as program start makes them: the frame first (which reads the settings),
// then the level view, the properties window, the level list and the paint toolbar, each a
// child window of the frame, placed beside each other. Program start and the GUI tests build the same thing here.
#pragma once

#include <QString>

namespace quorvel {

class TextureDocument;
class TForm1;
class TForm2;
class TForm3;
class TForm4;
class TForm5;

struct EditorWindows {
    TForm1* frame;      // owns the others; deleting it deletes them all
    TForm2* view;       // the level view
    TForm3* properties; // the properties window
    TForm4* levels;     // the level list
    TForm5* toolbar;    // the paint toolbar
};

// The windows over `document`, the settings kept in `settingsPath`. Nothing is shown yet.
EditorWindows createEditorWindows(TextureDocument& document, const QString& settingsPath);

} // namespace quorvel
