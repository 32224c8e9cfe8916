#pragma once
// The main dialog (template 101): the user chooses coordinate system, series, map scale,
// sheet and result folder; the dialog fills the sheet parameters from these choices.

#include <cstdint>
#include <string>

#include "sheet/SheetParameters.h"
#include "ui/WindowServices.h"

namespace sheetbasis::ui {

// Controls of dialog 101.
inline constexpr int CONTROL_CS = 1015;
inline constexpr int CONTROL_SERIES = 1011;
inline constexpr int CONTROL_MAP_SCALE = 1012;
inline constexpr int CONTROL_ROW = 1005;
inline constexpr int CONTROL_COLUMN = 1007;
inline constexpr int CONTROL_SHEET_NUMBER_LABEL = 1010;
inline constexpr int CONTROL_SHEET_NUMBER = 1008;
inline constexpr int CONTROL_SHEET_TYPE = 1006;
inline constexpr int CONTROL_REFINE = 1014;
inline constexpr int CONTROL_FOLDER = 1027;
inline constexpr int CONTROL_FIND_FOLDER = 1013;

// Items of the series list.
inline constexpr int SERIES_ITEM_200K = 1;
inline constexpr int SERIES_ITEM_1M = 2;

// Working state shared by the main and the refine dialog for the whole run; the numbers
// start at zero, the choices at the first value of their lists.
struct DialogState {
    CoordinateSystem cs = CoordinateSystem::Sk42;
    Series setScale = Series::Scale200k;
    MapScale mapScale = MapScale::Scale200k;
    std::int32_t yZone = 0;
    std::int32_t xZone = 0;
    std::int32_t sheetNumber = 0;
    SheetType sheetType = SheetType::Standard;
    Trapezoid base;
    // The result trapezoid as the refine dialog accepted it.
    Trapezoid result;
    // Set once the refine dialog was accepted; cleared by any change of the sheet.
    bool parametersRefined = false;
    // Shown in the error box before the dialog is shown again.
    std::string message;
};

// Status of askSheetParameters.
enum class MainDialogOutcome {
    Confirmed = 0,
    Cancelled = 1,
};

// Runs the main dialog until the user confirms it with a result folder
// (MainDialogOutcome::Confirmed, every field of p written) or cancels it
// (MainDialogOutcome::Cancelled).
MainDialogOutcome askSheetParameters(WindowServices& services, DialogState& state,
                                     SheetParameters& p);

// Reads the current choices of the main dialog into the working state and computes the
// base trapezoid and steps.
void readMainDialogChoices(const Dialog& dialog, DialogState& state);

// Refills the sheet-type list for the series and row; the former type item is kept when it
// is still offered, else the last item is selected. The sheet-number item plays no part.
void refillSheetTypeList(Dialog& dialog, int seriesItem, int rowItem, int sheetNumberItem,
                         int typeItem);

// Handlers of the lists.
void onSeriesChosen(DialogState& state, Dialog& dialog, int control, DialogEvent event);
void onRowChosen(DialogState& state, Dialog& dialog, int control, DialogEvent event);
void onSheetNumberChosen(DialogState& state, Dialog& dialog, int control, DialogEvent event);
void onColumnChosen(DialogState& state, Dialog& dialog, int control, DialogEvent event);
void onSheetTypeChosen(DialogState& state, Dialog& dialog, int control, DialogEvent event);

}  // namespace sheetbasis::ui
