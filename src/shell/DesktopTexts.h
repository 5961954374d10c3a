#pragma once
// Texts of the desktop's additions: the status bar's permanent fields and the
// open dialog's page chooser.
namespace quillory::shelltexts {

// Before the title of a picture with unsaved changes.
inline constexpr const char* kUnsavedMark = "*";

// The picture pixel under the pointer: x, y from the picture's top left corner.
inline constexpr const char* kStatusPosition = "%1, %2";
// Its colour: red, green, blue and alpha, 0..255 each.
inline constexpr const char* kStatusColour = "R %1 G %2 B %3 A %4";
// The zoom in percent; in fit-to-window mode the mode's name instead.
inline constexpr const char* kStatusZoom = "%1%";
inline constexpr const char* kStatusZoomFit = "늘여보기";
// Width × height and the bits per pixel of the picture.
inline constexpr const char* kStatusSize = "%1 × %2, %3비트";

// The open dialog's page chooser of multi-page TIFF and animated GIF files.
inline constexpr const char* kPageLabel = "쪽";
inline constexpr const char* kPageCaption = "%1 × %2, %3 / %4쪽";

// How the desktop's recently-used list names the program and starts it with a file.
inline constexpr const char* kRecentlyUsedApp = "Quillory";
inline constexpr const char* kRecentlyUsedExec = "'quillory %f'";

}  // namespace quillory::shelltexts
