#include "ui/RefineDialog.h"

#include <optional>
#include <string>
#include <string_view>

#include "sheet/AngleText.h"
#include "sheet/Cp1251.h"
#include "sheet/Text.h"

namespace sheetbasis::ui {

namespace {

// Longest field text that the check looks at, in characters. The message text has the
// same capacity, which all twelve messages together stay far below.
constexpr std::size_t FIELD_TEXT_LENGTH = 2555;
// Messages are joined by a bare carriage return.
constexpr char MESSAGE_SEPARATOR = '\r';
constexpr char MINUTE_SIGN = '\'';

constexpr const char* DIALOG_NOT_FOUND = " ERROR: dialog3 not found";
constexpr const char* TITLE_REFINE_ERROR = "Ошибка в уточнении параметров";
constexpr const char* NOTICE_CHANGED = "Базовая трапеция изменена!";
constexpr const char* ERROR_X_FROM =
    "Ошибка в задании скорректированного значения начальной долготы";
constexpr const char* ERROR_X_TO = "Ошибка в задании скорректированного значения конечной долготы";
constexpr const char* ERROR_LON_RANGE = "Ошибка в задании диапазона долготы";
constexpr const char* ERROR_Y_FROM =
    "Ошибка в задании скорректированного значения начальной широты";
constexpr const char* ERROR_Y_TO = "Ошибка в задании скорректированного значения конечной широты";
constexpr const char* ERROR_LAT_RANGE = "Ошибка в задании диапазона широты";
constexpr const char* ERROR_X_MINUTE = "Ошибка в задании цены минутной рамки по долготе";
constexpr const char* ERROR_Y_MINUTE = "Ошибка в задании цены минутной рамки по широте";
constexpr const char* ERROR_MERIDIAN_STEP = "Ошибка в задании расстояния между меридианами";
constexpr const char* ERROR_PARALLEL_STEP = "Ошибка в задании расстояния между параллелями";

// The text of field 1035 for a sheet type; unlike the main dialog's list it is Cyrillic
// throughout, with single blanks after the first.
const char* sheetTypeText(SheetType type) {
    switch (type) {
        case SheetType::Standard:
            return "Стандартный  лист";
        case SheetType::Double:
            return "Сдвоенный лист";
        case SheetType::Triple:
            return "Строенный лист";
        case SheetType::Quadruple:
            return "Счетверенный лист";
    }
    return "";
}

// An angle as the fields show it: degrees and minutes without surrounding blanks.
std::string angleText(double angle) {
    return cp1251ToUtf8(trimBoth(degreesToAngleText(angle)));
}

// A minute division as the fields show it when the dialog opens.
std::string minuteText(std::int32_t minutes) {
    return std::to_string(minutes) + MINUTE_SIGN;
}

// The field's text in the code page of the angle readers; nothing when it holds a
// character that the code page lacks, which no reader would accept anyway.
std::optional<std::string> fieldText(const Dialog& dialog, int control) {
    auto text = utf8ToCp1251(dialog.text(control));
    if (text) *text = cutTo(*text, FIELD_TEXT_LENGTH);
    return text;
}

// Reads an angle field into value and rewrites the field in normal form; false when the
// text was rejected (value and field then stay as they were).
bool readAngleField(Dialog& dialog, int control, double& value) {
    const auto text = fieldText(dialog, control);
    if (!text || angleTextToDegrees(*text, value) != AngleTextStatus::Read) return false;
    dialog.setText(control, angleText(value));
    return true;
}

// Reads a minute field likewise. A count above 59 is stored but rejected.
bool readMinuteField(Dialog& dialog, int control, std::int32_t& value) {
    const auto text = fieldText(dialog, control);
    if (!text || textToMinutes(*text, value) != AngleTextStatus::Read) return false;
    dialog.setText(control, cp1251ToUtf8(minutesToText(value)));
    return true;
}

void fillRefineDialog(const DialogState& state, Dialog& dialog) {
    const auto& b = state.base;
    dialog.setText(CONTROL_BASE_TYPE, sheetTypeText(state.sheetType));
    dialog.setText(CONTROL_NOTICE, "");
    const auto both = [&dialog](int baseControl, int resultControl, const std::string& text) {
        dialog.setText(baseControl, text);
        dialog.setText(resultControl, text);
    };
    both(CONTROL_BASE_WIDTH, CONTROL_RESULT_WIDTH, angleText(b.edges.east - b.edges.west));
    both(CONTROL_BASE_HEIGHT, CONTROL_RESULT_HEIGHT, angleText(b.edges.north - b.edges.south));
    both(CONTROL_BASE_X_FROM, CONTROL_X_FROM, angleText(b.edges.west));
    both(CONTROL_BASE_X_TO, CONTROL_X_TO, angleText(b.edges.east));
    both(CONTROL_BASE_Y_FROM, CONTROL_Y_FROM, angleText(b.edges.south));
    both(CONTROL_BASE_Y_TO, CONTROL_Y_TO, angleText(b.edges.north));
    both(CONTROL_BASE_MERIDIAN_STEP, CONTROL_MERIDIAN_STEP, angleText(b.meridianStep));
    both(CONTROL_BASE_PARALLEL_STEP, CONTROL_PARALLEL_STEP, angleText(b.parallelStep));
    both(CONTROL_BASE_X_MINUTE, CONTROL_X_MINUTE, minuteText(b.xMinute));
    both(CONTROL_BASE_Y_MINUTE, CONTROL_Y_MINUTE, minuteText(b.yMinute));
}

class MessageText {
  public:
    void appendIf(bool condition, const char* message) {
        if (!condition) return;
        if (!text_.empty()) text_ += MESSAGE_SEPARATOR;
        text_ += message;
    }
    bool empty() const { return text_.empty(); }
    const std::string& text() const { return text_; }

  private:
    std::string text_;
};

}  // namespace

void onRefineClicked(WindowServices& services, DialogState& state, Dialog& mainDialog, int,
                     DialogEvent event) {
    if (event != DialogEvent::Clicked) return;
    const auto dialog = services.loadDialog(DIALOG_REFINE);
    if (!dialog) {
        services.writeLine(DIALOG_NOT_FOUND);
        services.endProcess(ExitCode::NotDone);
        return;
    }
    readMainDialogChoices(mainDialog, state);
    fillRefineDialog(state, *dialog);
    dialog->setHandler(CONTROL_TEST, [&services, &state](Dialog& d, int c, DialogEvent e) {
        onCheckClicked(services, state, d, c, e);
    });
    for (;;) {
        if (dialog->showModal() != BUTTON_OK) {
            state.parametersRefined = false;
            return;
        }
        if (checkRefineEntries(services, state, *dialog) == RefineEntries::Valid) return;
    }
}

RefineEntries checkRefineEntries(WindowServices& services, DialogState& state, Dialog& dialog) {
    const DrawingRect limits = resultEdgeLimits(state.base.edges, state.setScale);
    Trapezoid& r = state.result;

    bool xFromError =
        !readAngleField(dialog, CONTROL_X_FROM, r.edges.west) || !(r.edges.west > limits.west);
    const bool xToError =
        !readAngleField(dialog, CONTROL_X_TO, r.edges.east) || !(r.edges.east < limits.east);
    bool yFromError =
        !readAngleField(dialog, CONTROL_Y_FROM, r.edges.south) || !(r.edges.south > limits.south);
    const bool yToError =
        !readAngleField(dialog, CONTROL_Y_TO, r.edges.north) || !(r.edges.north < limits.north);
    const bool xMinuteError =
        !readMinuteField(dialog, CONTROL_X_MINUTE, r.xMinute) || r.xMinute == 0;
    const bool yMinuteError =
        !readMinuteField(dialog, CONTROL_Y_MINUTE, r.yMinute) || r.yMinute == 0;
    const bool meridianError =
        !readAngleField(dialog, CONTROL_MERIDIAN_STEP, r.meridianStep) || r.meridianStep == 0.0;
    const bool parallelError =
        !readAngleField(dialog, CONTROL_PARALLEL_STEP, r.parallelStep) || r.parallelStep == 0.0;

    MessageText message;
    message.appendIf(xFromError, ERROR_X_FROM);
    message.appendIf(xToError, ERROR_X_TO);
    if (!xFromError && !xToError && r.edges.west >= r.edges.east) {
        xFromError = true;
        message.appendIf(true, ERROR_LON_RANGE);
    }
    const bool lonValid = !xFromError && !xToError;
    dialog.setText(CONTROL_RESULT_WIDTH, lonValid ? angleText(r.edges.east - r.edges.west) : "");
    message.appendIf(yFromError, ERROR_Y_FROM);
    message.appendIf(yToError, ERROR_Y_TO);
    if (!yFromError && !yToError && r.edges.south >= r.edges.north) {
        yFromError = true;
        message.appendIf(true, ERROR_LAT_RANGE);
    }
    const bool latValid = !yFromError && !yToError;
    dialog.setText(CONTROL_RESULT_HEIGHT, latValid ? angleText(r.edges.north - r.edges.south) : "");
    message.appendIf(xMinuteError, ERROR_X_MINUTE);
    message.appendIf(yMinuteError, ERROR_Y_MINUTE);
    message.appendIf(meridianError, ERROR_MERIDIAN_STEP);
    message.appendIf(parallelError, ERROR_PARALLEL_STEP);

    if (message.empty()) {
        dialog.setText(CONTROL_NOTICE, r.edges == state.base.edges ? "" : NOTICE_CHANGED);
        state.parametersRefined = true;
        return RefineEntries::Valid;
    }
    services.messageBox(message.text(), TITLE_REFINE_ERROR, MessageIcon::Exclamation);
    state.parametersRefined = false;
    return RefineEntries::Invalid;
}

void onCheckClicked(WindowServices& services, DialogState& state, Dialog& dialog, int,
                    DialogEvent event) {
    if (event == DialogEvent::Clicked) checkRefineEntries(services, state, dialog);
}

}  // namespace sheetbasis::ui
