#include "ui/DialogTemplates.h"

#include <array>

#include "ui/MainDialog.h"
#include "ui/RefineDialog.h"

namespace sheetbasis::ui {

namespace {

using K = ControlKind;

// Height of a one-line label, in dialog units (one character cell).
constexpr int LABEL_HEIGHT = 8;

// A label placed before its field: it reaches up to the field, leaving one unit free.
constexpr ControlTemplate labelBefore(std::string_view text, int x, int y, int fieldX) {
    return {CONTROL_NONE, K::Label, {x, y, fieldX - x - 1, LABEL_HEIGHT}, text};
}

constexpr ControlTemplate field(int id, K kind, int x, int y, int width, int height) {
    return {id, kind, {x, y, width, height}, {}};
}

constexpr std::array MAIN_CONTROLS = {
    ControlTemplate{CONTROL_NONE, K::Label, {24, 20, 78, 8}, "Система координат:"},
    field(CONTROL_CS, K::DropDown, 25, 33, 76, 45),
    ControlTemplate{CONTROL_NONE, K::Label, {127, 21, 78, 8}, "Масштаб комплекта :"},
    field(CONTROL_SERIES, K::DropDown, 127, 33, 76, 45),
    ControlTemplate{CONTROL_NONE, K::Label, {127, 53, 85, 8}, "Масштаб карты (схемы) :"},
    field(CONTROL_MAP_SCALE, K::DropDown, 129, 63, 76, 45),
    ControlTemplate{CONTROL_NONE, K::Label, {301, 14, 78, 8}, "Базовая трапеция --->"},
    ControlTemplate{CONTROL_NONE, K::Frame, {255, 21, 228, 59}, {}},
    ControlTemplate{CONTROL_NONE, K::Label, {260, 29, 37, 8}, "Пояс"},
    field(CONTROL_ROW, K::DropDown, 259, 40, 32, 125),
    ControlTemplate{CONTROL_NONE, K::Label, {299, 29, 35, 8}, "Зона"},
    field(CONTROL_COLUMN, K::DropDown, 297, 40, 29, 109),
    ControlTemplate{CONTROL_SHEET_NUMBER_LABEL, K::Label, {333, 28, 50, 9}, " Номер листа"},
    field(CONTROL_SHEET_NUMBER, K::RightDropDown, 335, 39, 43, 110),
    field(CONTROL_SHEET_TYPE, K::DropDown, 382, 40, 91, 67),
    ControlTemplate{CONTROL_REFINE, K::Button, {258, 59, 213, 14}, "Уточнить параметры разграфки"},
    ControlTemplate{CONTROL_NONE, K::Frame, {16, 84, 469, 44}, {}},
    ControlTemplate{CONTROL_NONE, K::CentredLabel, {106, 92, 132, 8}, "Папка для рез. файлов"},
    ControlTemplate{CONTROL_FOLDER, K::FramedLabel, {21, 106, 416, 13}, "Найти папку"},
    ControlTemplate{CONTROL_FIND_FOLDER, K::Button, {443, 105, 27, 12}, "Найти"},
    ControlTemplate{BUTTON_CANCEL, K::Button, {380, 140, 50, 14}, "Cancel"},
    ControlTemplate{BUTTON_OK, K::DefaultButton, {438, 140, 50, 14}, "OK"},
};

// The picture, the normative document and the rights notice are the program's own.
constexpr std::array START_CONTROLS = {
    ControlTemplate{BUTTON_OK, K::DefaultButton, {280, 145, 50, 14}, "Продолжить"},
    ControlTemplate{CONTROL_NONE, K::Picture, {17, 11, 80, 103}, {}},
    ControlTemplate{CONTROL_NONE, K::Frame, {107, 7, 223, 60}, {}},
    ControlTemplate{
        CONTROL_NONE, K::Label, {113, 13, 211, 11}, "ПРОГРАММА ГЕНЕРАЦИИ МАТЕМАТИЧЕСКОЙ ОСНОВЫ"},
    ControlTemplate{CONTROL_NONE, K::Label, {153, 24, 107, 12}, "ЦИФРОВЫХ МОДЕЛЕЙ КАРТ"},
    ControlTemplate{CONTROL_NONE, K::Label, {175, 35, 47, 10}, "1 : 1 000 000  "},
    ControlTemplate{CONTROL_NONE, K::Label, {176, 46, 51, 8}, "1 : 200 000"},
    ControlTemplate{CONTROL_NONE, K::Label, {278, 54, 43, 8}, "Версия 3.1"},
    ControlTemplate{CONTROL_NONE,
                    K::Label,
                    {109, 69, 212, 18},
                    "Формирование Shape-файлов, содержащих математическую основу листа по "
                    "правилам нормативного документа:"},
    ControlTemplate{
        CONTROL_NONE,
        K::SunkenLabel,
        {113, 92, 206, 35},
        // No-break spaces keep each scale on one line.
        "Требования к цифровым комплектам листов Государственной геологической "
        "карты масштабов 1\u00a0:\u00a01\u00a0000\u00a0000 и 1\u00a0:\u00a0200\u00a0000. "
        "Федеральное агентство по недропользованию, 2026"},
    ControlTemplate{CONTROL_NONE, K::Label, {23, 121, 68, 10}, "© Группа sheetbasis"},
    ControlTemplate{CONTROL_NONE, K::Label, {24, 130, 60, 9}, "Новосибирск,"},
    ControlTemplate{CONTROL_NONE, K::Label, {84, 130, 17, 9}, "2026"},
};

constexpr std::array REFINE_CONTROLS = {
    ControlTemplate{CONTROL_NONE, K::Frame, {13, 15, 307, 80}, "Характеристики  базовой трапеции"},
    labelBefore("Вид трапеции:", 111, 30, 162),
    field(CONTROL_BASE_TYPE, K::ReadOnlyField, 162, 30, 108, 12),
    labelBefore("Размер трапеции по долготе:", 19, 46, 123),
    field(CONTROL_BASE_WIDTH, K::ReadOnlyField, 123, 46, 38, 12),
    labelBefore("Размер трапеции по широте:", 168, 46, 270),
    field(CONTROL_BASE_HEIGHT, K::ReadOnlyField, 270, 46, 41, 12),
    labelBefore("Начальная долгота:", 18, 59, 91),
    field(CONTROL_BASE_X_FROM, K::ReadOnlyField, 91, 59, 55, 12),
    labelBefore("Начальная широта:", 168, 59, 239),
    field(CONTROL_BASE_Y_FROM, K::ReadOnlyField, 239, 59, 55, 12),
    labelBefore("Конечная   долгота:", 18, 75, 92),
    field(CONTROL_BASE_X_TO, K::ReadOnlyField, 92, 75, 55, 12),
    labelBefore("Конечная широта:", 168, 75, 239),
    field(CONTROL_BASE_Y_TO, K::ReadOnlyField, 239, 75, 60, 12),

    ControlTemplate{
        CONTROL_NONE, K::Frame, {326, 15, 310, 80}, "Характеристики  результирующей трапеции"},
    field(CONTROL_NOTICE, K::ReadOnlyField, 364, 28, 195, 14),
    ControlTemplate{CONTROL_TEST, K::Button, {572, 25, 55, 11}, "Test"},
    labelBefore("Размер трапеции по долготе:", 330, 47, 438),
    field(CONTROL_RESULT_WIDTH, K::ReadOnlyField, 438, 46, 40, 12),
    labelBefore("Размер трапеции по широте:", 492, 46, 594),
    field(CONTROL_RESULT_HEIGHT, K::ReadOnlyField, 594, 47, 35, 12),
    labelBefore("Начальная долгота:", 331, 61, 404),
    field(CONTROL_X_FROM, K::EditField, 404, 59, 55, 12),
    labelBefore("Начальная широта:", 492, 61, 563),
    field(CONTROL_Y_FROM, K::EditField, 563, 59, 55, 12),
    labelBefore("Конечная   долгота:", 331, 77, 404),
    field(CONTROL_X_TO, K::EditField, 404, 75, 55, 12),
    labelBefore("Конечная широта:", 492, 77, 563),
    field(CONTROL_Y_TO, K::EditField, 563, 76, 55, 12),

    ControlTemplate{
        CONTROL_NONE, K::Frame, {15, 108, 303, 56}, "Разграфка базовой трапеции по долготе"},
    labelBefore("Расстояние между меридианами:", 59, 126, 182),
    field(CONTROL_BASE_MERIDIAN_STEP, K::ReadOnlyField, 182, 126, 40, 14),
    labelBefore("Цена деления минутной шкалы:", 60, 140, 181),
    field(CONTROL_BASE_X_MINUTE, K::ReadOnlyField, 181, 141, 40, 14),
    ControlTemplate{
        CONTROL_NONE, K::Frame, {15, 167, 304, 56}, "Разграфка базовой трапеции по широте"},
    labelBefore("Расстояние между параллелями:", 62, 186, 181),
    field(CONTROL_BASE_PARALLEL_STEP, K::ReadOnlyField, 181, 185, 50, 12),
    labelBefore("Цена деления минутной шкалы:", 64, 201, 181),
    field(CONTROL_BASE_Y_MINUTE, K::ReadOnlyField, 181, 202, 44, 14),

    ControlTemplate{CONTROL_NONE,
                    K::Frame,
                    {326, 108, 309, 56},
                    "Разграфка результирующей трапеции по долготе"},
    labelBefore("Расстояние между меридианами:", 372, 126, 499),
    field(CONTROL_MERIDIAN_STEP, K::EditField, 499, 121, 50, 14),
    labelBefore("Цена деления минутной шкалы:", 373, 140, 499),
    field(CONTROL_X_MINUTE, K::EditField, 499, 138, 49, 14),
    ControlTemplate{
        CONTROL_NONE, K::Frame, {326, 167, 308, 56}, "Разграфка результирующей трапеции по широте"},
    labelBefore("Расстояние между параллелями:", 376, 186, 498),
    field(CONTROL_PARALLEL_STEP, K::EditField, 498, 181, 50, 14),
    labelBefore("Цена деления минутной шкалы:", 374, 200, 498),
    field(CONTROL_Y_MINUTE, K::EditField, 498, 197, 50, 14),

    ControlTemplate{BUTTON_CANCEL, K::Button, {524, 228, 50, 14}, "Cancel"},
    ControlTemplate{BUTTON_OK, K::DefaultButton, {582, 228, 50, 14}, "OK"},
};

constexpr std::array TEMPLATES = {
    DialogTemplate{DIALOG_MAIN, "Задать параметры генерации математической основы карты", 495, 161,
                   true, MAIN_CONTROLS},
    DialogTemplate{DIALOG_START, {}, 337, 166, false, START_CONTROLS},
    DialogTemplate{DIALOG_REFINE, "Изменение параметров трапеции и ее разграфки", 644, 252, true,
                   REFINE_CONTROLS},
};

}  // namespace

int dialogUnitsToPixels(int units, int baseUnit, int unitsPerCharacter) {
    return (2 * units * baseUnit + unitsPerCharacter) / (2 * unitsPerCharacter);
}

const DialogTemplate* findDialogTemplate(int id) {
    for (const auto& t : TEMPLATES) {
        if (t.id == id) return &t;
    }
    return nullptr;
}

}  // namespace sheetbasis::ui
