// The editor's windows as program start makes them: the frame first (which reads the settings),
// then the level view, the properties window, the level list and the paint toolbar, each a
// child window of the frame, placed beside each other. The tool windows live as long as the
// frame: closing one (its x, its system menu, Ctrl+F4) hides it, and the Window menu shows it
// again. Program start and the GUI tests build
// the same thing here.
//
// The forms keep their fixed names; what each one is:
//   TForm1   main window: the frame around the others, the menus, the file commands (app/)
//   TForm2   level view: the current level at its zoom, where painting happens
//   TForm3   properties window: the header's names and numbers, and the presets
//   TForm4   level list "Mipmaps": choose, remove and add levels
//   TForm5   paint toolbar: colour, alpha, pen width, drawing mode, zoom
//   TForm6   "Add a mipmap" dialog: a blank level of a typed size
//   TForm7   import dialog: a picture becomes a level or a whole chain of levels
//   TForm8   About window
//   TForm9   how-to window: the two help texts
//   TForm10  beta notice shown on top at start
//   TForm11  batch conversion wizard: many pictures to m32 textures
//   TForm12  import progress window
#pragma once

#include <QString>

namespace quorvel {

class TextureDocument;
class TForm1;
class TForm2;
class TForm3;
class TForm4;
class TForm5;
class TForm6;
class TForm7;
class TForm11;
class TForm12;
class TForm8;
class TForm9;
class TForm10;
class TiledPreview;

struct EditorWindows {
    TForm1* frame;      // owns the others; deleting it deletes them all
    TForm2* view;       // the level view
    TForm3* properties; // the properties window
    TForm4* levels;     // the level list
    TForm5* toolbar;    // the paint toolbar
    TForm6* addMipmap;  // "Add a mipmap", opened by the level list's "add"
    TForm7* importDialog; // File > Import's dialog
    TForm11* wizard;    // File > Batch convert
    TForm12* importProgress; // shown while an import makes its levels
    TForm8* about;      // About, hidden until Help > About Quorvel
    TForm9* howTo;      // the how-to window, hidden until Help > How to
    TForm10* notice;    // the notice, shown on top by showAtStart
    TiledPreview* tiledPreview; // hidden until View > Tiled preview or Window > Tiled preview
};

// The windows over `document`, the settings kept in `settingsPath`. Nothing is shown yet.
EditorWindows createEditorWindows(TextureDocument& document, const QString& settingsPath);

// Window > Reset window layout: every tool window shown, restored and back where the frame puts
// it at start, the level view at the top left of the free area at the size of its level; a
// tiled preview that is open goes beside the view again.
void resetWindowLayout(const EditorWindows& windows);

// Program start's showing: the frame maximized and active, and the notice on top of it.
void showAtStart(const EditorWindows& windows);

} // namespace quorvel
