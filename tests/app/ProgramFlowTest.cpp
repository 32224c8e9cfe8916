#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "TempFolder.h"
#include "app/ProgramFlow.h"
#include "app/ResultFolders.h"

namespace sheetbasis {
namespace {

namespace fs = std::filesystem;

struct Message {
    std::string text;
    std::string title;
    MessageIcon icon;
};

// Answers the dialogs as a user would and records the message boxes.
class ScriptedUser : public InteractiveServices {
  public:
    bool confirmsMainDialog = true;
    SheetParameters answer;
    int startDialogs = 0;
    std::vector<Message> messages;

    void startDialog() override { ++startDialogs; }
    bool mainDialog(SheetParameters& p) override {
        p = answer;
        return confirmsMainDialog;
    }
    void messageBox(const std::string& text, const std::string& title, MessageIcon icon) override {
        messages.push_back({text, title, icon});
    }
};

SheetParameters sheetN37XXXVI(const std::string& folder) {
    SheetParameters p;
    p.cs = CoordinateSystem::Sk42;
    p.setScale = Series::Scale200k;
    p.mapScale = MapScale::Scale200k;
    p.yZone = 8;
    p.xZone = 37;
    p.sheetNumber = 36;
    p.sheetType = SheetType::Standard;
    setBaseFromIdentity(p);
    p.result = p.base;
    p.path = folder;
    return p;
}

ExitCode runWith(const std::vector<std::string>& args, InteractiveServices* ui = nullptr) {
    std::vector<const char*> argv{"sheetbasis"};
    for (const auto& a : args) argv.push_back(a.c_str());
    return runMainProgram(static_cast<int>(argv.size()), argv.data(), ui);
}

class ProgramFlowTest : public ::testing::Test {
  protected:
    TempFolder tmp;
    std::string folder() const { return tmp.path().string() + "/"; }
    std::string writeJob(const std::string& text) {
        const fs::path job = tmp.path() / "job.txt";
        std::ofstream(job, std::ios::binary) << text;
        return job.string();
    }
};

TEST_F(ProgramFlowTest, CancelledMainDialogEndsWith8AndNoMessage) {
    ScriptedUser user;
    user.confirmsMainDialog = false;
    EXPECT_EQ(runWith({}, &user), ExitCode::NotDone);
    EXPECT_EQ(user.startDialogs, 1);
    EXPECT_TRUE(user.messages.empty());
}

TEST_F(ProgramFlowTest, MissingResultFolderIsReportedInteractively) {
    ScriptedUser user;
    user.answer = sheetN37XXXVI(folder() + "absent/");
    EXPECT_EQ(runWith({}, &user), ExitCode::NotDone);
    ASSERT_EQ(user.messages.size(), 1u);
    EXPECT_EQ(user.messages[0].text, "Не существует заданная папка результата");
    EXPECT_EQ(user.messages[0].title, "Задание НЕ ВЫПОЛНЕНО");
    EXPECT_EQ(user.messages[0].icon, MessageIcon::Stop);
}

TEST_F(ProgramFlowTest, SubFolderFailureNamesTheFolder) {
    std::ofstream(tmp.path() / "HYPS") << "a file where the folder should be";
    ScriptedUser user;
    user.answer = sheetN37XXXVI(folder());
    EXPECT_EQ(runWith({}, &user), ExitCode::NotDone);
    ASSERT_EQ(user.messages.size(), 1u);
    EXPECT_EQ(user.messages[0].text, "Не удалось создать папку HYPS");
}

TEST_F(ProgramFlowTest, SuccessfulInteractiveRunSaysSo) {
    ScriptedUser user;
    user.answer = sheetN37XXXVI(folder());
    EXPECT_EQ(runWith({}, &user), ExitCode::Done);
    ASSERT_EQ(user.messages.size(), 1u);
    EXPECT_EQ(user.messages[0].text, "Задание выполнено");
    EXPECT_EQ(user.messages[0].title, "Состояние обработки");
    EXPECT_EQ(user.messages[0].icon, MessageIcon::Information);
    EXPECT_TRUE(fs::exists(tmp.path() / "HYPS" / "HypsA.shp"));
}

TEST_F(ProgramFlowTest, FailedGenerationIsAnAbortInteractivelyAnd16InJobMode) {
    // A HYPS folder that cannot take files: the layers cannot be created.
    fs::create_directories(tmp.path() / "HYPS" / "HypsA.dbf");
    ScriptedUser user;
    user.answer = sheetN37XXXVI(folder());
    EXPECT_EQ(runWith({}, &user), ExitCode::NotDone);
    ASSERT_EQ(user.messages.size(), 1u);
    EXPECT_EQ(user.messages[0].text, "Задание НЕ ВЫПОЛНЕНО");
    EXPECT_EQ(user.messages[0].title, "АВАРИЙНОЕ ЗАВЕРШЕНИЕ");

    const std::string job = writeJob("Nom=N-37-XXXVI;Path=" + folder() + ";");
    EXPECT_EQ(runWith({job}), ExitCode::GenerationFailed);
}

TEST_F(ProgramFlowTest, JobModeOutcomes) {
    EXPECT_EQ(runWith({folder() + "no-such-job.txt"}), ExitCode::NotDone);
    EXPECT_EQ(runWith({writeJob("Nom=N-37-XXXVI;")}), ExitCode::NotDone) << "no Path";

    const std::string job = writeJob("Nom=N-37-XXXVI;\r\nPath=" + folder() + "out;\r\n");
    EXPECT_EQ(runWith({"   " + job, "ignored", "arguments"}), ExitCode::Done);
    EXPECT_TRUE(fs::exists(tmp.path() / "out" / "HYPS" / "HypsP.shp"));
}

TEST_F(ProgramFlowTest, InteractiveFoldersAreCountedInCharactersAndNeverCut) {
    // Two 70-letter Cyrillic components: about 300 bytes, but only some 175 characters.
    std::string letters;
    for (int i = 0; i < 70; ++i) letters += "Д";
    const std::string cyrillic = folder() + letters + "/" + letters + "/";
    fs::create_directories(cyrillic);
    ScriptedUser user;
    user.answer = sheetN37XXXVI(cyrillic);
    EXPECT_EQ(runWith({}, &user), ExitCode::Done);
    EXPECT_TRUE(fs::exists(cyrillic + "HYPS/HypsA.shp"));
    EXPECT_TRUE(fs::exists(cyrillic + "FRAME/FrameDig.shp"));

    // A folder of 256 characters leaves no room for "FRAME": refused before anything is made.
    std::string ascii = folder() + std::string(120, 'a') + "/";
    ascii += std::string(256 - ascii.size() - 1, 'b') + "/";
    fs::create_directories(ascii);
    ScriptedUser tooLong;
    tooLong.answer = sheetN37XXXVI(ascii);
    EXPECT_EQ(runWith({}, &tooLong), ExitCode::NotDone);
    ASSERT_EQ(tooLong.messages.size(), 1u);
    EXPECT_EQ(tooLong.messages[0].text, "Не удалось создать папку FRAME");
    EXPECT_EQ(tooLong.messages[0].title, "Задание НЕ ВЫПОЛНЕНО");
    EXPECT_TRUE(fs::is_empty(ascii));
}

TEST_F(ProgramFlowTest, InteractiveModeWithoutServicesCannotRun) {
    EXPECT_EQ(runWith({}, nullptr), ExitCode::NotDone);
}

}  // namespace
}  // namespace sheetbasis
