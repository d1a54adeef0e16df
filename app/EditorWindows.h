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
class TForm6;
class TForm7;
class TForm11;
class TForm12;

struct EditorWindows {
    TForm1* frame;      // owns the others; deleting it deletes them all
    TForm2* view;       // the level view
    TForm3* properties; // the properties window
    TForm4* levels;     // the level list
    TForm6* addMipmap;  // "Add a mipmap", opened by the level list's "add"
    TForm7* importDialog; // File > Import's dialog
    TForm11* wizard;    // File > Batch convert
    TForm12* importProgress; // shown while an import makes its levels
};

// The windows over `document`, the settings kept in `settingsPath`. Nothing is shown yet.
EditorWindows createEditorWindows(TextureDocument& document, const QString& settingsPath);

} // namespace quorvel
