// The dialog logic on a test double of the window system: what the user picks and types,
// which messages appear in which order, and what reaches the sheet parameters.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "ui/DialogTemplates.h"
#include "ui/FindFile.h"
#include "ui/MainDialog.h"
#include "ui/RefineDialog.h"
#include "ui/StartDialog.h"
#include "ui/testing/FakeWindowServices.h"

namespace sheetbasis::ui {
namespace {

using testing::Answer;
using testing::FakeDialog;
using testing::FakeWindowServices;

constexpr const char* FOLDER = "/data/sheets/";
// Column items: 33..60 are items 1..28, then 01 and 02.
constexpr int ITEM_COLUMN_37 = 5;
constexpr int ITEM_COLUMN_60 = 28;
constexpr int ITEM_COLUMN_01 = 29;
constexpr int ITEM_COLUMN_02 = 30;
constexpr int ITEM_ROW_R = 4;
constexpr int ITEM_ROW_P = 6;
constexpr int ITEM_ROW_N = 8;

class DialogLogicTest : public ::testing::Test {
  protected:
    // Answers the main dialog: the user acts, then presses the button.
    void onMain(std::function<void(FakeDialog&)> act, int button = BUTTON_OK) {
        services.answers.push_back({DIALOG_MAIN, [act, button](FakeDialog& d) {
                                        act(d);
                                        return button;
                                    }});
    }
    void onRefine(std::function<void(FakeDialog&)> act, int button = BUTTON_OK) {
        services.answers.push_back({DIALOG_REFINE, [act, button](FakeDialog& d) {
                                        act(d);
                                        return button;
                                    }});
    }
    MainDialogOutcome run() {
        const auto status = askSheetParameters(services, state, p);
        EXPECT_TRUE(services.answers.empty()) << "dialogs not shown as expected";
        EXPECT_TRUE(services.unexpectedShowings.empty());
        return status;
    }

    FakeWindowServices services;
    DialogState state;
    SheetParameters p;
};

void chooseFolder(FakeDialog& d) {
    d.setText(CONTROL_FOLDER, FOLDER);
}

// The million sheet N-37 at 1:200 000, sheet I: base 36..37 east, 55 1/3..56 north.
void chooseN37Sheet1(FakeDialog& d) {
    chooseFolder(d);
    d.select(CONTROL_ROW, ITEM_ROW_N);
    d.select(CONTROL_COLUMN, ITEM_COLUMN_37);
}

std::vector<std::string> itemsOf(std::initializer_list<const char*> texts) {
    return {texts.begin(), texts.end()};
}

TEST_F(DialogLogicTest, ConfirmingAtOnceGivesTheFirstItemsAndTheBaseTrapezoid) {
    onMain([](FakeDialog& d) {
        EXPECT_EQ(d.items(CONTROL_CS), itemsOf({"СК-42", "СК-95", "ГСК-2011", "ГСК-2011 / СК-42"}));
        EXPECT_EQ(d.items(CONTROL_SERIES), itemsOf({"1 :   200 000", "1 : 1 000 000"}));
        EXPECT_EQ(d.items(CONTROL_MAP_SCALE),
                  itemsOf({"1 :   200 000", "1 :   500 000", "1 : 1 000 000"}));
        EXPECT_EQ(d.items(CONTROL_ROW),
                  itemsOf({"U", "T", "S", "R", "Q", "P", "O", "N", "M", "L", "K"}));
        const auto& columns = d.items(CONTROL_COLUMN);
        ASSERT_EQ(columns.size(), 30u);
        EXPECT_EQ(columns.front(), "33");
        EXPECT_EQ(columns[27], "60");
        EXPECT_EQ(columns[28], "01");
        EXPECT_EQ(columns[29], "02");
        const auto& numbers = d.items(CONTROL_SHEET_NUMBER);
        ASSERT_EQ(numbers.size(), 36u);
        EXPECT_EQ(numbers.front(), "I");
        EXPECT_EQ(numbers.back(), "XXXVI");
        EXPECT_EQ(d.items(CONTROL_SHEET_TYPE),
                  itemsOf({"Стандартный  лист", "Cдвоенный    лист", "Строенный    лист"}));
        for (int list : {CONTROL_CS, CONTROL_SERIES, CONTROL_MAP_SCALE, CONTROL_ROW, CONTROL_COLUMN,
                         CONTROL_SHEET_NUMBER, CONTROL_SHEET_TYPE}) {
            EXPECT_EQ(d.listSelection(list), 1) << list;
        }
        EXPECT_EQ(d.text(CONTROL_FOLDER), "");
        chooseFolder(d);
    });
    ASSERT_EQ(run(), MainDialogOutcome::Confirmed);
    EXPECT_EQ(p.cs, CoordinateSystem::Sk42);
    EXPECT_EQ(p.setScale, Series::Scale200k);
    EXPECT_EQ(p.mapScale, MapScale::Scale200k);
    EXPECT_EQ(p.yZone, 1);
    EXPECT_EQ(p.xZone, 33);
    EXPECT_EQ(p.sheetNumber, 1);
    EXPECT_EQ(p.sheetType, SheetType::Standard);
    EXPECT_EQ(p.path, FOLDER);
    // Column 33 begins at 12 east; row U ends at 84 north; sheet I is its north-west sheet.
    EXPECT_EQ(p.base.edges.west, 12.0);
    EXPECT_EQ(p.base.edges.east, 13.0);
    EXPECT_EQ(p.base.edges.north, 84.0);
    EXPECT_EQ(p.base.edges.south, 84.0 - 2.0 / 3.0);
    EXPECT_TRUE(p.result.edges == p.base.edges);
    EXPECT_EQ(p.result.meridianStep, 0.25);
    EXPECT_EQ(p.result.xMinute, 1);
    EXPECT_EQ(p.result.parallelStep, 1.0 / 6.0);
    EXPECT_EQ(p.result.yMinute, 1);
    EXPECT_TRUE(services.messages.empty());
}

TEST_F(DialogLogicTest, ColumnItemsWrapAfterSixty) {
    for (const auto& [item, column] : {std::pair{ITEM_COLUMN_02, 2}, std::pair{ITEM_COLUMN_01, 1},
                                       std::pair{ITEM_COLUMN_60, 60}}) {
        onMain([item](FakeDialog& d) {
            chooseFolder(d);
            d.select(CONTROL_COLUMN, item);
        });
        ASSERT_EQ(run(), MainDialogOutcome::Confirmed);
        EXPECT_EQ(p.xZone, column);
    }
    // Column 60 begins at 174 on the 0..360 scale.
    EXPECT_EQ(p.base.edges.west, 174.0);
}

TEST_F(DialogLogicTest, MillionSeriesOffersTheQuadrupleSheetAndIgnoresTheSheetNumber) {
    onMain([](FakeDialog& d) {
        chooseFolder(d);
        d.select(CONTROL_SHEET_NUMBER, 36);
        d.select(CONTROL_MAP_SCALE, 2);
        d.select(CONTROL_SERIES, SERIES_ITEM_1M);
        EXPECT_EQ(d.items(CONTROL_MAP_SCALE),
                  itemsOf({"1 : 1 000 000", "1 : 2 500 000", "1 : 5 000 000"}));
        EXPECT_EQ(d.listSelection(CONTROL_MAP_SCALE), 1);
        EXPECT_FALSE(d.enabled(CONTROL_SHEET_NUMBER));
        EXPECT_FALSE(d.enabled(CONTROL_SHEET_NUMBER_LABEL));
        EXPECT_EQ(d.items(CONTROL_SHEET_TYPE),
                  itemsOf({"Стандартный  лист", "Cдвоенный    лист", "Cчетверенный лист"}));
        d.select(CONTROL_SHEET_TYPE, 3);
    });
    ASSERT_EQ(run(), MainDialogOutcome::Confirmed);
    EXPECT_EQ(p.setScale, Series::Scale1m);
    EXPECT_EQ(p.sheetType, SheetType::Quadruple);
    // The working copy's sheet number was never read from the list: it is still zero.
    EXPECT_EQ(p.sheetNumber, 0);
    EXPECT_EQ(p.base.edges.east - p.base.edges.west, 24.0);
    EXPECT_EQ(p.base.edges.south, 80.0);
    EXPECT_EQ(p.result.meridianStep, 4.0);
    EXPECT_EQ(p.result.xMinute, 40);

    onMain([](FakeDialog& d) {
        chooseFolder(d);
        d.select(CONTROL_SERIES, SERIES_ITEM_200K);
        EXPECT_TRUE(d.enabled(CONTROL_SHEET_NUMBER));
        EXPECT_TRUE(d.enabled(CONTROL_SHEET_NUMBER_LABEL));
        EXPECT_EQ(d.selectedText(CONTROL_MAP_SCALE), "1 :   200 000");
    });
    ASSERT_EQ(run(), MainDialogOutcome::Confirmed);
}

TEST_F(DialogLogicTest, SheetTypeListFollowsSeriesAndRowAndKeepsWhatIsStillOffered) {
    onMain([](FakeDialog& d) {
        chooseFolder(d);
        d.select(CONTROL_SHEET_TYPE, 3);
        d.select(CONTROL_ROW, ITEM_ROW_R);
        EXPECT_EQ(d.items(CONTROL_SHEET_TYPE), itemsOf({"Стандартный  лист", "Cдвоенный    лист"}));
        EXPECT_EQ(d.selectedText(CONTROL_SHEET_TYPE), "Cдвоенный    лист");
        d.select(CONTROL_ROW, ITEM_ROW_P);
        EXPECT_EQ(d.items(CONTROL_SHEET_TYPE), itemsOf({"Стандартный  лист"}));
        EXPECT_EQ(d.selectedText(CONTROL_SHEET_TYPE), "Стандартный  лист");
        // Back in row U the list grows again; the selection stays where it was cut to.
        d.select(CONTROL_ROW, 1);
        EXPECT_EQ(d.items(CONTROL_SHEET_TYPE).size(), 3u);
        EXPECT_EQ(d.listSelection(CONTROL_SHEET_TYPE), 1);
    });
    ASSERT_EQ(run(), MainDialogOutcome::Confirmed);

    FakeDialog d(services, DIALOG_MAIN);
    const std::pair<int, std::size_t> rowsAndCounts[] = {{1, 3}, {2, 3}, {3, 2},
                                                         {5, 2}, {6, 1}, {11, 1}};
    for (const auto& [row, count] : rowsAndCounts) {
        for (int series : {SERIES_ITEM_200K, SERIES_ITEM_1M}) {
            refillSheetTypeList(d, series, row, 1, 3);
            EXPECT_EQ(d.items(CONTROL_SHEET_TYPE).size(), count) << row;
            EXPECT_EQ(d.listSelection(CONTROL_SHEET_TYPE), static_cast<int>(count)) << row;
        }
    }
}

TEST_F(DialogLogicTest, EmptyFolderIsReportedAndTheDialogComesBackAsItWas) {
    onMain([](FakeDialog& d) { d.select(CONTROL_COLUMN, ITEM_COLUMN_37); });
    onMain(
        [this](FakeDialog& d) {
            ASSERT_EQ(services.messages.size(), 1u);
            EXPECT_EQ(services.messages[0].text, "Не задана папка для рез. файлов");
            EXPECT_EQ(services.messages[0].title, "ОШИБКА В ЗАДАНИИ ПАРАМЕТРОВ");
            EXPECT_EQ(services.messages[0].icon, MessageIcon::Exclamation);
            EXPECT_EQ(d.listSelection(CONTROL_COLUMN), ITEM_COLUMN_37);
        },
        BUTTON_CANCEL);
    EXPECT_EQ(run(), MainDialogOutcome::Cancelled);
    EXPECT_EQ(services.messages.size(), 1u);
}

TEST_F(DialogLogicTest, MissingTemplatesEndTheProgramWithALine) {
    services.missingTemplates = {DIALOG_MAIN, DIALOG_START};
    showStartDialog(services);
    EXPECT_TRUE(services.lines.empty());
    EXPECT_TRUE(services.exitCodes.empty());
    EXPECT_EQ(run(), MainDialogOutcome::Cancelled);
    EXPECT_EQ(services.lines, std::vector<std::string>{" ERROR: dialog not found"});
    EXPECT_EQ(services.exitCodes, std::vector<ExitCode>{ExitCode::NotDone});

    FakeWindowServices refineMissing;
    refineMissing.missingTemplates = {DIALOG_REFINE};
    FakeDialog main(refineMissing, DIALOG_MAIN);
    onRefineClicked(refineMissing, state, main, CONTROL_REFINE, DialogEvent::Clicked);
    EXPECT_EQ(refineMissing.lines, std::vector<std::string>{" ERROR: dialog3 not found"});
    EXPECT_EQ(refineMissing.exitCodes, std::vector<ExitCode>{ExitCode::NotDone});
}

TEST_F(DialogLogicTest, RefineDialogShowsTheBaseAndAcceptsItAsReadBack) {
    onMain([](FakeDialog& d) {
        chooseN37Sheet1(d);
        d.click(CONTROL_REFINE);
    });
    onRefine([](FakeDialog& r) {
        EXPECT_EQ(r.text(CONTROL_BASE_TYPE), "Стандартный  лист");
        EXPECT_EQ(r.text(CONTROL_BASE_WIDTH), "1° 00'");
        EXPECT_EQ(r.text(CONTROL_RESULT_HEIGHT), "0° 40'");
        EXPECT_EQ(r.text(CONTROL_BASE_X_FROM), "36° 00'");
        EXPECT_EQ(r.text(CONTROL_X_TO), "37° 00'");
        EXPECT_EQ(r.text(CONTROL_Y_FROM), "55° 20'");
        EXPECT_EQ(r.text(CONTROL_BASE_Y_TO), "56° 00'");
        EXPECT_EQ(r.text(CONTROL_MERIDIAN_STEP), "0° 15'");
        EXPECT_EQ(r.text(CONTROL_BASE_PARALLEL_STEP), "0° 10'");
        EXPECT_EQ(r.text(CONTROL_X_MINUTE), "1'");
        EXPECT_EQ(r.text(CONTROL_BASE_Y_MINUTE), "1'");
        EXPECT_EQ(r.text(CONTROL_NOTICE), "");
    });
    ASSERT_EQ(run(), MainDialogOutcome::Confirmed);
    EXPECT_TRUE(services.messages.empty());
    // The result is what the texts say, to the minute: 55° 20' rather than 56 - 2/3.
    EXPECT_EQ(p.result.edges.south, 55.0 + 20 / 60.0);
    EXPECT_EQ(p.base.edges.south, 56.0 - 2.0 / 3.0);
    EXPECT_EQ(p.result.edges.west, 36.0);
    EXPECT_EQ(p.result.meridianStep, 0.25);
    EXPECT_EQ(p.result.xMinute, 1);
}

TEST_F(DialogLogicTest, ResultMayReachBeyondTheBaseByLessThanOneSheet) {
    onMain([](FakeDialog& d) {
        chooseN37Sheet1(d);
        d.click(CONTROL_REFINE);
    });
    onRefine([](FakeDialog& r) { r.type(CONTROL_X_FROM, "35 00"); });
    onRefine([this](FakeDialog& r) {
        ASSERT_EQ(services.messages.size(), 1u);
        EXPECT_EQ(services.messages[0].text,
                  "Ошибка в задании скорректированного значения начальной долготы");
        EXPECT_EQ(services.messages[0].title, "Ошибка в уточнении параметров");
        // A rejected edge keeps the range empty, but was read and rewritten.
        EXPECT_EQ(r.text(CONTROL_X_FROM), "35° 00'");
        EXPECT_EQ(r.text(CONTROL_RESULT_WIDTH), "");
        r.type(CONTROL_X_FROM, "35° 01'");
        r.type(CONTROL_Y_TO, "56° 39'");
    });
    ASSERT_EQ(run(), MainDialogOutcome::Confirmed);
    EXPECT_EQ(services.messages.size(), 1u);
    EXPECT_EQ(p.result.edges.west, 35.0 + 1 / 60.0);
    EXPECT_EQ(p.result.edges.north, 56.0 + 39 / 60.0);

    // In the million series the allowance is 6 by 4 degrees: N-37 is 36..42, 52..56.
    onMain([](FakeDialog& d) {
        chooseN37Sheet1(d);
        d.select(CONTROL_SERIES, SERIES_ITEM_1M);
        d.click(CONTROL_REFINE);
    });
    onRefine([](FakeDialog& r) {
        r.type(CONTROL_X_TO, "48° 00'");
        r.type(CONTROL_Y_FROM, "48");
    });
    onRefine([](FakeDialog& r) {
        r.type(CONTROL_X_TO, "47° 59'");
        r.type(CONTROL_Y_FROM, "48 01");
    });
    ASSERT_EQ(run(), MainDialogOutcome::Confirmed);
    ASSERT_EQ(services.messages.size(), 2u);
    EXPECT_EQ(services.messages[1].text,
              "Ошибка в задании скорректированного значения конечной долготы\r"
              "Ошибка в задании скорректированного значения начальной широты");
    EXPECT_EQ(p.result.edges.east, 47.0 + 59 / 60.0);
    EXPECT_EQ(p.result.edges.south, 48.0 + 1 / 60.0);
}

TEST_F(DialogLogicTest, TestButtonListsAllErrorsInOrderAndKeepsTheDialogOpen) {
    onMain(
        [](FakeDialog& d) {
            chooseN37Sheet1(d);
            d.click(CONTROL_REFINE);
        },
        BUTTON_CANCEL);
    onRefine(
        [this](FakeDialog& r) {
            r.type(CONTROL_X_FROM, "37");
            r.type(CONTROL_Y_TO, "55 20");
            r.type(CONTROL_X_MINUTE, " 5");
            r.type(CONTROL_Y_MINUTE, "0'");
            r.type(CONTROL_MERIDIAN_STEP, "abc");
            r.type(CONTROL_PARALLEL_STEP, "0° 00'");
            r.click(CONTROL_TEST);
            ASSERT_EQ(services.messages.size(), 1u);
            EXPECT_EQ(services.messages[0].text,
                      "Ошибка в задании диапазона долготы\r"
                      "Ошибка в задании диапазона широты\r"
                      "Ошибка в задании цены минутной рамки по широте\r"
                      "Ошибка в задании расстояния между меридианами\r"
                      "Ошибка в задании расстояния между параллелями");
            EXPECT_EQ(r.text(CONTROL_RESULT_WIDTH), "");
            EXPECT_EQ(r.text(CONTROL_RESULT_HEIGHT), "");
            EXPECT_EQ(r.text(CONTROL_X_FROM), "37° 00'");
            EXPECT_EQ(r.text(CONTROL_X_MINUTE), "05'");
            EXPECT_EQ(r.text(CONTROL_Y_MINUTE), "00'");
            EXPECT_EQ(r.text(CONTROL_MERIDIAN_STEP), "abc");
            EXPECT_FALSE(state.parametersRefined);
            // A second check with only steps and divisions changed passes; the notice looks
            // at the four edges alone.
            r.type(CONTROL_X_FROM, "36");
            r.type(CONTROL_Y_TO, "56");
            r.type(CONTROL_Y_MINUTE, "2");
            r.type(CONTROL_MERIDIAN_STEP, "0 30");
            r.type(CONTROL_PARALLEL_STEP, "0° 20'");
            r.click(CONTROL_TEST);
            EXPECT_EQ(services.messages.size(), 1u);
            EXPECT_TRUE(state.parametersRefined);
            EXPECT_EQ(r.text(CONTROL_NOTICE), "");
            EXPECT_EQ(r.text(CONTROL_RESULT_HEIGHT), "0° 40'");
            r.type(CONTROL_X_TO, "37 30");
            r.click(CONTROL_TEST);
            EXPECT_EQ(r.text(CONTROL_NOTICE), "Базовая трапеция изменена!");
            EXPECT_EQ(r.text(CONTROL_RESULT_WIDTH), "1° 30'");
        },
        BUTTON_CANCEL);
    EXPECT_EQ(run(), MainDialogOutcome::Cancelled);
    // Cancel discards the refinement that "Test" had accepted.
    EXPECT_FALSE(state.parametersRefined);
}

TEST_F(DialogLogicTest, RefinementIsKeptOrDiscardedByWhatChangesInTheMainDialog) {
    const auto refine = [this](std::function<void(FakeDialog&)> change) {
        onMain([change](FakeDialog& d) {
            chooseN37Sheet1(d);
            d.click(CONTROL_REFINE);
            change(d);
        });
        onRefine([](FakeDialog& r) {
            r.type(CONTROL_X_FROM, "35 30");
            r.type(CONTROL_MERIDIAN_STEP, "0 30");
        });
    };
    refine([](FakeDialog& d) { d.select(CONTROL_CS, 3); });
    ASSERT_EQ(run(), MainDialogOutcome::Confirmed);
    EXPECT_EQ(p.cs, CoordinateSystem::Gsk2011);
    EXPECT_EQ(p.result.edges.west, 35.5);
    EXPECT_EQ(p.result.meridianStep, 0.5);

    refine([](FakeDialog& d) { d.select(CONTROL_MAP_SCALE, 3); });
    ASSERT_EQ(run(), MainDialogOutcome::Confirmed);
    EXPECT_EQ(p.mapScale, MapScale::Scale1m);
    EXPECT_EQ(p.result.edges.west, 35.5);

    for (const auto& change : std::vector<std::function<void(FakeDialog&)>>{
             [](FakeDialog& d) { d.select(CONTROL_COLUMN, ITEM_COLUMN_37); },
             [](FakeDialog& d) { d.select(CONTROL_ROW, ITEM_ROW_N); },
             [](FakeDialog& d) { d.select(CONTROL_SHEET_NUMBER, 1); },
             [](FakeDialog& d) { d.select(CONTROL_SHEET_TYPE, 1); },
             [](FakeDialog& d) { d.select(CONTROL_SERIES, SERIES_ITEM_200K); }}) {
        refine(change);
        ASSERT_EQ(run(), MainDialogOutcome::Confirmed);
        EXPECT_EQ(p.result.edges.west, 36.0);
        EXPECT_EQ(p.result.meridianStep, 0.25);
    }
}

TEST_F(DialogLogicTest, ReopeningTheRefineDialogShowsTheBaseAgainAndCancelDiscards) {
    onMain([](FakeDialog& d) {
        chooseN37Sheet1(d);
        d.click(CONTROL_REFINE);
        d.click(CONTROL_REFINE);
    });
    onRefine([](FakeDialog& r) { r.type(CONTROL_X_FROM, "35 30"); });
    onRefine([](FakeDialog& r) { EXPECT_EQ(r.text(CONTROL_X_FROM), "36° 00'"); }, BUTTON_CANCEL);
    ASSERT_EQ(run(), MainDialogOutcome::Confirmed);
    EXPECT_EQ(p.result.edges.west, 36.0);
}

TEST_F(DialogLogicTest, FindFileAsksForAFolderAndSplitsTheAnswer) {
    services.chosenPath = "/data/sheets/";
    auto found = pickWithFileDialog(services, "/home/user/   ", FIND_FOLDER, "*.*  ", "ignored",
                                    "xyz", "Поиск папки   ");
    ASSERT_EQ(services.requests.size(), 1u);
    EXPECT_EQ(services.requests[0].kind, FileDialogKind::Folder);
    EXPECT_EQ(services.requests[0].initialFolder, "/home/user/");
    EXPECT_EQ(services.requests[0].title, "Поиск папки");
    EXPECT_EQ(services.requests[0].filterName, "ПОИСК ПАПКИ");
    EXPECT_EQ(services.requests[0].filePattern, "*.*");
    EXPECT_EQ(services.requests[0].defaultExtension, "");
    EXPECT_TRUE(found.confirmed);
    EXPECT_EQ(found.folder, "/data/sheets/");
    EXPECT_EQ(found.fileName, "");

    services.chosenPath = "/data/sheets/job.txt";
    found = pickWithFileDialog(services, "/", FIND_EXISTING_FILE_TOO, "*.txt", "Задания  ", "txt ",
                               "T");
    EXPECT_EQ(services.requests[1].kind, FileDialogKind::ExistingFile);
    EXPECT_EQ(services.requests[1].filterName, "Задания");
    EXPECT_EQ(services.requests[1].defaultExtension, "txt");
    EXPECT_EQ(found.folder, "/data/sheets/");
    EXPECT_EQ(found.fileName, "job.txt");
    pickWithFileDialog(services, "/", FIND_NEW_FILE, "*.txt", "Задания", "txt", "T");
    EXPECT_EQ(services.requests[2].kind, FileDialogKind::NewFile);

    services.chosenPath = "job.txt";
    found = pickWithFileDialog(services, "/", FIND_EXISTING_FILE, "*.*", "", "", "T");
    EXPECT_TRUE(found.confirmed);
    EXPECT_EQ(found.folder, "");
    EXPECT_EQ(found.fileName, "job.txt");

    // An unknown mode shows no dialog.
    found = pickWithFileDialog(services, "/", 4, "*.*", "", "", "T");
    EXPECT_FALSE(found.confirmed);
    EXPECT_EQ(services.requests.size(), 4u);
}

std::string repeated(const char* character, std::size_t count) {
    std::string text;
    for (std::size_t i = 0; i < count; ++i) text += character;
    return text;
}

TEST_F(DialogLogicTest, FindFileFailsOnCancelAndNeverCutsOrDropsAFolder) {
    const auto find = [this](std::optional<std::string> chosen) {
        services.chosenPath = std::move(chosen);
        return pickWithFileDialog(services, "/", FIND_FOLDER, "*.*", "", "", "T");
    };
    const auto cancelled = find(std::nullopt);
    EXPECT_FALSE(cancelled.confirmed);
    EXPECT_EQ(cancelled.folder, "");
    EXPECT_EQ(cancelled.fileName, "");

    // 200 Cyrillic letters: 400 bytes, but a folder of 203 characters.
    const std::string cyrillic = "/" + repeated("Д", 100) + "/" + repeated("Д", 100) + "/";
    EXPECT_TRUE(find(cyrillic).confirmed);
    EXPECT_EQ(find(cyrillic).folder, cyrillic);
    // Longer folders come back whole; the result-folder step refuses what does not fit.
    const std::string ascii = "/" + std::string(254, 'a') + "/" + std::string(254, 'b') + "/";
    EXPECT_EQ(find(ascii + "file").folder, ascii);
    EXPECT_EQ(find(ascii + "file").fileName, "file");
}

TEST_F(DialogLogicTest, FindButtonShowsALongCyrillicFolderAndConfirmingPassesItWhole) {
    const std::string cyrillic = "/" + repeated("Д", 150) + "/" + repeated("Ж", 150) + "/";
    services.chosenPath = cyrillic;
    onMain([](FakeDialog& d) { d.click(CONTROL_FIND_FOLDER); });
    ASSERT_EQ(run(), MainDialogOutcome::Confirmed);
    EXPECT_EQ(p.path, cyrillic);
}

TEST_F(DialogLogicTest, FindButtonFillsTheFolderFieldOnlyWhenConfirmed) {
    const auto before = std::filesystem::current_path();
    FakeDialog d(services, DIALOG_MAIN);
    d.setText(CONTROL_FOLDER, "/old/");
    services.chosenPath = std::nullopt;
    onFindFolderClicked(services, d, CONTROL_FIND_FOLDER, DialogEvent::Clicked);
    EXPECT_EQ(d.text(CONTROL_FOLDER), "/old/");
    EXPECT_EQ(std::filesystem::current_path(), before);
    ASSERT_EQ(services.requests.size(), 1u);
    EXPECT_EQ(services.requests[0].initialFolder, before.string() + "/");
    EXPECT_EQ(services.requests[0].title, "Поиск папки для рез. файлов");

    services.chosenPath = "/data/sheets/";
    onFindFolderClicked(services, d, CONTROL_FIND_FOLDER, DialogEvent::SelectionChanged);
    EXPECT_EQ(d.text(CONTROL_FOLDER), "/old/");
    onFindFolderClicked(services, d, CONTROL_FIND_FOLDER, DialogEvent::Clicked);
    EXPECT_EQ(d.text(CONTROL_FOLDER), "/data/sheets/");
    EXPECT_EQ(std::filesystem::current_path(), before);
}

// MS Sans Serif 8 pt, the templates' font, has base units of 6 by 13 pixels.
constexpr int MS_SANS_SERIF_BASE_X = 6;
constexpr int MS_SANS_SERIF_BASE_Y = 13;

int pixelsX(int units) {
    return dialogUnitsToPixels(units, MS_SANS_SERIF_BASE_X, HORIZONTAL_UNITS_PER_CHARACTER);
}
int pixelsY(int units) {
    return dialogUnitsToPixels(units, MS_SANS_SERIF_BASE_Y, VERTICAL_UNITS_PER_CHARACTER);
}

TEST(DialogUnitsTest, StartPictureSpansItsBitmapOf120By167Pixels) {
    const DialogTemplate* start = findDialogTemplate(DIALOG_START);
    ASSERT_NE(start, nullptr);
    const auto picture = std::find_if(start->controls.begin(), start->controls.end(),
                                      [](const auto& c) { return c.kind == ControlKind::Picture; });
    ASSERT_NE(picture, start->controls.end());
    EXPECT_EQ(pixelsX(picture->rect.width), 120);
    // 103 units are 167.375 pixels.
    EXPECT_EQ(pixelsY(picture->rect.height), 167);
}

TEST(DialogUnitsTest, EachCoordinateRoundsToTheNearestPixelHalvesUp) {
    // 25 units are 37.5 pixels across, 33 units 53.625 down, 11 units 17.875 down.
    EXPECT_EQ(pixelsX(25), 38);
    EXPECT_EQ(pixelsY(33), 54);
    EXPECT_EQ(pixelsY(11), 18);
    // 3 units down are 4.875 pixels, 1 unit 1.625; 1 unit across 1.5.
    EXPECT_EQ(pixelsY(3), 5);
    EXPECT_EQ(pixelsY(1), 2);
    EXPECT_EQ(pixelsX(1), 2);
    EXPECT_EQ(pixelsX(0), 0);
    // Whole multiples stay exact: the main dialog is 495 by 161 units.
    EXPECT_EQ(pixelsX(4), MS_SANS_SERIF_BASE_X);
    EXPECT_EQ(pixelsY(8), MS_SANS_SERIF_BASE_Y);
    EXPECT_EQ(pixelsX(495), 743);
    EXPECT_EQ(pixelsY(161), 262);
}

}  // namespace
}  // namespace sheetbasis::ui
