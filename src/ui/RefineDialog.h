#pragma once
// The refine dialog (template 113): shows the base trapezoid of the chosen sheet with its
// graticule and lets the user set a result trapezoid and steps that differ from them.

#include "ui/MainDialog.h"
#include "ui/WindowServices.h"

namespace sheetbasis::ui {

// Controls of dialog 113: read-only fields of the base trapezoid...
inline constexpr int CONTROL_BASE_TYPE = 1035;
inline constexpr int CONTROL_BASE_WIDTH = 1036;
inline constexpr int CONTROL_BASE_HEIGHT = 1037;
inline constexpr int CONTROL_BASE_X_FROM = 1038;
inline constexpr int CONTROL_BASE_Y_FROM = 1039;
inline constexpr int CONTROL_BASE_X_TO = 1040;
inline constexpr int CONTROL_BASE_Y_TO = 1041;
inline constexpr int CONTROL_BASE_MERIDIAN_STEP = 1042;
inline constexpr int CONTROL_BASE_X_MINUTE = 1047;
inline constexpr int CONTROL_BASE_PARALLEL_STEP = 1046;
inline constexpr int CONTROL_BASE_Y_MINUTE = 1048;
// ...the notice, the check button and the sizes of the result trapezoid...
inline constexpr int CONTROL_NOTICE = 1050;
inline constexpr int CONTROL_TEST = 1049;
inline constexpr int CONTROL_RESULT_WIDTH = 1053;
inline constexpr int CONTROL_RESULT_HEIGHT = 1054;
// ...and the editable fields of the result.
inline constexpr int CONTROL_X_FROM = 1055;
inline constexpr int CONTROL_Y_FROM = 1056;
inline constexpr int CONTROL_X_TO = 1057;
inline constexpr int CONTROL_Y_TO = 1058;
inline constexpr int CONTROL_MERIDIAN_STEP = 1034;
inline constexpr int CONTROL_X_MINUTE = 1044;
inline constexpr int CONTROL_PARALLEL_STEP = 1043;
inline constexpr int CONTROL_Y_MINUTE = 1045;

// Status of checkRefineEntries.
enum class RefineEntries {
    Valid = 0,
    Invalid = 1,
};

// Handler of the main dialog's button "Уточнить параметры разграфки": fills and runs the
// refine dialog until its entries are valid and accepted, or it is cancelled.
void onRefineClicked(WindowServices& services, DialogState& state, Dialog& mainDialog, int control,
                     DialogEvent event);

// Reads and checks every editable field into the refined result; rewrites the valid ones in
// their normal form and lists all errors in one message box.
RefineEntries checkRefineEntries(WindowServices& services, DialogState& state, Dialog& dialog);

// Handler of the button "Test": checks without closing the dialog.
void onCheckClicked(WindowServices& services, DialogState& state, Dialog& dialog, int control,
                    DialogEvent event);

}  // namespace sheetbasis::ui
