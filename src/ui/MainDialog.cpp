#include "ui/MainDialog.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <string_view>
#include <vector>

#include "sheet/Nomenclature.h"
#include "sheet/Text.h"
#include "ui/FindFile.h"
#include "ui/RefineDialog.h"

namespace sheetbasis::ui {

namespace {

constexpr std::array<const char*, 2> SERIES_ITEMS = {"1 :   200 000", "1 : 1 000 000"};
constexpr std::array<const char*, 11> ROW_ITEMS = {"U", "T", "S", "R", "Q", "P",
                                                   "O", "N", "M", "L", "K"};
// The column list runs from 33 to 60 and then wraps to 01 and 02: item n is column n + 32.
constexpr int COLUMN_ITEM_COUNT = 30;
constexpr int COLUMN_OF_ITEM_ZERO = 32;
constexpr int COLUMN_COUNT = 60;
constexpr int SHEETS_IN_MILLION_SHEET = 36;

constexpr int FIRST_ITEM = 1;

constexpr const char* MESSAGE_NO_FOLDER = "Не задана папка для рез. файлов";
constexpr const char* TITLE_PARAMETER_ERROR = "ОШИБКА В ЗАДАНИИ ПАРАМЕТРОВ";
constexpr const char* DIALOG_NOT_FOUND = " ERROR: dialog not found";

template <std::size_t N>
std::vector<std::string> itemsOf(const std::array<const char*, N>& texts) {
    return {texts.begin(), texts.end()};
}

std::vector<std::string> coordinateSystemItems() {
    std::vector<std::string> items;
    items.reserve(COORDINATE_SYSTEMS.size());
    for (const CoordinateSystem cs : COORDINATE_SYSTEMS) {
        items.emplace_back(coordinateSystemName(cs));
    }
    return items;
}

std::vector<std::string> columnItems() {
    std::vector<std::string> items;
    for (int item = FIRST_ITEM; item <= COLUMN_ITEM_COUNT; ++item) {
        const int column = (item + COLUMN_OF_ITEM_ZERO - 1) % COLUMN_COUNT + 1;
        char text[3];
        std::snprintf(text, sizeof text, "%02d", column);
        items.emplace_back(text);
    }
    return items;
}

std::vector<std::string> sheetNumberItems() {
    std::vector<std::string> items;
    for (int n = 1; n <= SHEETS_IN_MILLION_SHEET; ++n) items.push_back(toRomanNumerals(n));
    return items;
}

Series seriesOfItem(int seriesItem) {
    return seriesItem == SERIES_ITEM_200K ? Series::Scale200k : Series::Scale1m;
}

// The item of a map scale in the map-scale list.
const char* mapScaleItem(MapScale scale) {
    switch (scale) {
        case MapScale::Scale200k:
            return "1 :   200 000";
        case MapScale::Scale500k:
            return "1 :   500 000";
        case MapScale::Scale1m:
            return "1 : 1 000 000";
        case MapScale::Scale2500k:
            return "1 : 2 500 000";
        case MapScale::Scale5m:
            return "1 : 5 000 000";
    }
    return "";
}

std::vector<std::string> mapScaleItems(Series setScale) {
    std::vector<std::string> items;
    for (const MapScale scale : mapScalesOf(setScale)) items.emplace_back(mapScaleItem(scale));
    return items;
}

// The scale of the map-scale list's item; the list always holds the scales of the series.
MapScale mapScaleOfItem(Series setScale, int scaleItem) {
    const auto scales = mapScalesOf(setScale);
    const bool listed = scaleItem >= FIRST_ITEM && scaleItem <= static_cast<int>(scales.size());
    return listed ? scales[static_cast<std::size_t>(scaleItem - FIRST_ITEM)]
                  : seriesMapScale(setScale);
}

// The item of a sheet type in the type list. The items begin with the Latin C in the
// double and the quadruple sheet; the runs of blanks line the word "лист" up in the list.
const char* sheetTypeItem(SheetType type) {
    switch (type) {
        case SheetType::Standard:
            return "Стандартный  лист";
        case SheetType::Double:
            return "Cдвоенный    лист";
        case SheetType::Triple:
            return "Строенный    лист";
        case SheetType::Quadruple:
            return "Cчетверенный лист";
    }
    return "";
}

// The types of the type list, narrowest first: those the row offers in the series. The row
// list's item n is the row of yZone n.
std::vector<SheetType> listedSheetTypes(Series setScale, int rowItem) {
    std::vector<SheetType> types = offeredSheetTypes(setScale, rowItem);
    std::reverse(types.begin(), types.end());
    return types;
}

std::vector<std::string> typeItems(int seriesItem, int rowItem) {
    std::vector<std::string> items;
    for (const SheetType type : listedSheetTypes(seriesOfItem(seriesItem), rowItem)) {
        items.emplace_back(sheetTypeItem(type));
    }
    return items;
}

// The type of the type list's item; the list always holds the types of the chosen row.
SheetType sheetTypeOfItem(Series setScale, int rowItem, int typeItem) {
    const std::vector<SheetType> types = listedSheetTypes(setScale, rowItem);
    const bool listed = typeItem >= FIRST_ITEM && typeItem <= static_cast<int>(types.size());
    return listed ? types[static_cast<std::size_t>(typeItem - FIRST_ITEM)] : SheetType::Standard;
}

// Refills the type list from the current series, row and type selections.
void refillTypes(Dialog& dialog) {
    const int series = dialog.listSelection(CONTROL_SERIES);
    const int sheetNumber =
        series == SERIES_ITEM_200K ? dialog.listSelection(CONTROL_SHEET_NUMBER) : FIRST_ITEM;
    refillSheetTypeList(dialog, series, dialog.listSelection(CONTROL_ROW), sheetNumber,
                        dialog.listSelection(CONTROL_SHEET_TYPE));
}

void fillLists(DialogState& state, Dialog& dialog) {
    dialog.setList(CONTROL_CS, coordinateSystemItems(), FIRST_ITEM);
    dialog.setList(CONTROL_SERIES, itemsOf(SERIES_ITEMS), FIRST_ITEM);
    dialog.setHandler(CONTROL_SERIES, [&state](Dialog& d, int c, DialogEvent e) {
        onSeriesChosen(state, d, c, e);
    });
    dialog.setList(CONTROL_MAP_SCALE, mapScaleItems(Series::Scale200k), FIRST_ITEM);
    dialog.setList(CONTROL_ROW, itemsOf(ROW_ITEMS), FIRST_ITEM);
    dialog.setHandler(CONTROL_ROW,
                      [&state](Dialog& d, int c, DialogEvent e) { onRowChosen(state, d, c, e); });
    dialog.setList(CONTROL_COLUMN, columnItems(), FIRST_ITEM);
    dialog.setHandler(CONTROL_COLUMN, [&state](Dialog& d, int c, DialogEvent e) {
        onColumnChosen(state, d, c, e);
    });
    dialog.setList(CONTROL_SHEET_NUMBER, sheetNumberItems(), FIRST_ITEM);
    dialog.setHandler(CONTROL_SHEET_NUMBER, [&state](Dialog& d, int c, DialogEvent e) {
        onSheetNumberChosen(state, d, c, e);
    });
    refillSheetTypeList(dialog, FIRST_ITEM, FIRST_ITEM, FIRST_ITEM, FIRST_ITEM);
    dialog.setHandler(CONTROL_SHEET_TYPE, [&state](Dialog& d, int c, DialogEvent e) {
        onSheetTypeChosen(state, d, c, e);
    });
}

void openMainDialog(WindowServices& services, DialogState& state, Dialog& dialog) {
    state.parametersRefined = false;
    dialog.setHandler(CONTROL_FIND_FOLDER, [&services](Dialog& d, int c, DialogEvent e) {
        onFindFolderClicked(services, d, c, e);
    });
    dialog.setText(CONTROL_FOLDER, "");
    dialog.setHandler(CONTROL_REFINE, [&services, &state](Dialog& d, int c, DialogEvent e) {
        onRefineClicked(services, state, d, c, e);
    });
    fillLists(state, dialog);
    state.message.clear();
}

void copyChoice(const DialogState& state, SheetParameters& p) {
    p.cs = state.cs;
    p.setScale = state.setScale;
    p.mapScale = state.mapScale;
    p.yZone = state.yZone;
    p.xZone = state.xZone;
    p.sheetNumber = state.sheetNumber;
    p.sheetType = state.sheetType;
    p.base = state.base;
}

}  // namespace

MainDialogOutcome askSheetParameters(WindowServices& services, DialogState& state,
                                     SheetParameters& p) {
    const auto dialog = services.loadDialog(DIALOG_MAIN);
    if (!dialog) {
        services.writeLine(DIALOG_NOT_FOUND);
        services.endProcess(ExitCode::NotDone);
        return MainDialogOutcome::Cancelled;
    }
    openMainDialog(services, state, *dialog);
    for (;;) {
        if (!isBlank(state.message)) {
            services.messageBox(state.message, TITLE_PARAMETER_ERROR, MessageIcon::Exclamation);
        }
        if (dialog->showModal() != BUTTON_OK) return MainDialogOutcome::Cancelled;
        readMainDialogChoices(*dialog, state);
        copyChoice(state, p);
        p.result = state.parametersRefined ? state.result : state.base;
        // Never cut: the result-folder step refuses a folder too long for its sub-folders.
        p.path = trimTrailing(dialog->text(CONTROL_FOLDER));
        if (!isBlank(p.path)) return MainDialogOutcome::Confirmed;
        state.message = MESSAGE_NO_FOLDER;
    }
}

void readMainDialogChoices(const Dialog& dialog, DialogState& state) {
    // The list holds the systems in the order of their values, the first item being 1.
    state.cs = static_cast<CoordinateSystem>(dialog.listSelection(CONTROL_CS));
    state.setScale = seriesOfItem(dialog.listSelection(CONTROL_SERIES));
    state.mapScale = mapScaleOfItem(state.setScale, dialog.listSelection(CONTROL_MAP_SCALE));
    state.yZone = dialog.listSelection(CONTROL_ROW);
    state.sheetType =
        sheetTypeOfItem(state.setScale, state.yZone, dialog.listSelection(CONTROL_SHEET_TYPE));
    state.xZone = dialog.listSelection(CONTROL_COLUMN) + COLUMN_OF_ITEM_ZERO;
    if (state.xZone > COLUMN_COUNT) state.xZone -= COLUMN_COUNT;
    if (state.setScale == Series::Scale200k) {
        state.sheetNumber = dialog.listSelection(CONTROL_SHEET_NUMBER);
    }
    state.base = computeBaseParameters(state.setScale, state.yZone, state.xZone, state.sheetNumber,
                                       state.sheetType);
}

void refillSheetTypeList(Dialog& dialog, int seriesItem, int rowItem, int, int typeItem) {
    const auto items = typeItems(seriesItem, rowItem);
    const int count = static_cast<int>(items.size());
    dialog.setList(CONTROL_SHEET_TYPE, items, std::clamp(typeItem, FIRST_ITEM, count));
}

void onSeriesChosen(DialogState& state, Dialog& dialog, int, DialogEvent event) {
    if (event != DialogEvent::SelectionChanged) return;
    state.parametersRefined = false;
    const Series setScale = seriesOfItem(dialog.listSelection(CONTROL_SERIES));
    const bool series200k = setScale == Series::Scale200k;
    dialog.setList(CONTROL_MAP_SCALE, mapScaleItems(setScale), FIRST_ITEM);
    dialog.setEnabled(CONTROL_SHEET_NUMBER, series200k);
    dialog.setEnabled(CONTROL_SHEET_NUMBER_LABEL, series200k);
    refillTypes(dialog);
}

void onRowChosen(DialogState& state, Dialog& dialog, int, DialogEvent event) {
    if (event != DialogEvent::SelectionChanged) return;
    state.parametersRefined = false;
    refillTypes(dialog);
}

void onSheetNumberChosen(DialogState& state, Dialog& dialog, int control, DialogEvent event) {
    onRowChosen(state, dialog, control, event);
}

void onColumnChosen(DialogState& state, Dialog&, int, DialogEvent event) {
    if (event == DialogEvent::SelectionChanged) state.parametersRefined = false;
}

void onSheetTypeChosen(DialogState& state, Dialog&, int, DialogEvent event) {
    if (event == DialogEvent::SelectionChanged) state.parametersRefined = false;
}

}  // namespace sheetbasis::ui
