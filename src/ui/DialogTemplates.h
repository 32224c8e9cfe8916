#pragma once
// The dialog templates 101, 106 and 113: every control with its number, kind, position and
// text. Positions are dialog units (x, y, width, height), which the toolkit converts to
// pixels from the dialog font.

#include <span>
#include <string_view>

namespace sheetbasis::ui {

// Number of a control that the program never addresses (labels, frames, the picture).
inline constexpr int CONTROL_NONE = -1;

enum class ControlKind {
    Label,          // static text
    CentredLabel,   // static text, centred
    FramedLabel,    // static text, centred, with a border
    SunkenLabel,    // static text with a sunken border
    Frame,          // group frame; with a text, a captioned group box
    DropDown,       // drop-down list, pick only
    RightDropDown,  // the same with its text right-aligned
    Button,
    DefaultButton,
    ReadOnlyField,  // borderless field that scrolls horizontally
    EditField,      // editable field with a border
    Picture,        // the start dialog's picture of a sheet
};

struct DialogUnitRect {
    int x;
    int y;
    int width;
    int height;
};

// A dialog unit is a quarter of the average character width and an eighth of the
// character height of the dialog font (the base units).
inline constexpr int HORIZONTAL_UNITS_PER_CHARACTER = 4;
inline constexpr int VERTICAL_UNITS_PER_CHARACTER = 8;

// Pixels of a length or position of units >= 0 dialog units, for a base unit that spans
// unitsPerCharacter dialog units; rounded to the nearest pixel, halves up, as the window
// system converts each coordinate of a template.
int dialogUnitsToPixels(int units, int baseUnit, int unitsPerCharacter);

struct ControlTemplate {
    int id;
    ControlKind kind;
    DialogUnitRect rect;
    std::string_view text;  // UTF-8
};

struct DialogTemplate {
    int id;
    std::string_view title;  // UTF-8; empty for a dialog without a caption bar
    int width;
    int height;
    bool captionBar;
    std::span<const ControlTemplate> controls;
};

// Nothing for an unknown template number.
const DialogTemplate* findDialogTemplate(int id);

}  // namespace sheetbasis::ui
