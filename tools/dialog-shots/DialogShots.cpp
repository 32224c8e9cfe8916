// Shows every dialog of the interactive mode with sample choices and saves a picture of
// each into the folder given as the argument, for checking the layouts by eye.

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QPixmap>
#include <iostream>
#include <utility>

#include "ui/FrameWindow.h"
#include "ui/InteractiveRun.h"
#include "ui/MainDialog.h"
#include "ui/testing/ModalDriver.h"
#include "ui/QtWindowServices.h"
#include "ui/RefineDialog.h"
#include "ui/StartDialog.h"

namespace {

using namespace sheetbasis::ui;

// Sample choice: the sheet N-37-XXXVI.
constexpr int ITEM_ROW_N = 8;
constexpr int ITEM_COLUMN_37 = 5;
constexpr int SHEET_XXXVI = 36;
constexpr int EXIT_USAGE = 2;
constexpr int EXIT_FAILED = 1;

class Shots {
  public:
    explicit Shots(QString folder) : folder_(std::move(folder)) {}

    ModalDriver::Action grabThen(const QString& name, ModalDriver::Action then) {
        return [this, name, then = std::move(then)](QWidget* window) {
            const QString file = QDir(folder_).filePath(name + QStringLiteral(".png"));
            if (!window->grab().save(file)) failed_ = true;
            std::cout << file.toStdString() << '\n';
            then(window);
        };
    }
    bool failed() const { return failed_; }

  private:
    QString folder_;
    bool failed_ = false;
};

void plan(ModalDriver& driver, Shots& shots) {
    driver.on(QStringLiteral("dialog106"),
              shots.grabThen(QStringLiteral("106-start"), [](QWidget* d) { acceptWindow(d); }));
    driver.on(QStringLiteral("dialog101"), [](QWidget* d) {
        typeText(d, CONTROL_FOLDER, QDir::homePath() + QStringLiteral("/maps/sheets/"));
        selectItem(d, CONTROL_ROW, ITEM_ROW_N);
        selectItem(d, CONTROL_COLUMN, ITEM_COLUMN_37);
        selectItem(d, CONTROL_SHEET_NUMBER, SHEET_XXXVI);
        clickControl(d, CONTROL_REFINE);
    });
    driver.on(QStringLiteral("dialog113"), [](QWidget* r) {
        typeText(r, CONTROL_X_FROM, QStringLiteral("40 30"));
        typeText(r, CONTROL_MERIDIAN_STEP, QStringLiteral("abc"));
        typeText(r, CONTROL_Y_MINUTE, QStringLiteral("0"));
        clickControl(r, CONTROL_TEST);
    });
    driver.on(QStringLiteral("messageBox"),
              shots.grabThen(QStringLiteral("113-errors"), [](QWidget* b) { acceptWindow(b); }));
    driver.on(QStringLiteral("dialog113"),
              shots.grabThen(QStringLiteral("113-refine"),
                             [](QWidget* r) { clickControl(r, BUTTON_CANCEL); }));
    driver.on(QStringLiteral("dialog101"),
              shots.grabThen(QStringLiteral("101-main"),
                             [](QWidget* d) { clickControl(d, CONTROL_FIND_FOLDER); }));
    driver.on(QStringLiteral("fileDialog"),
              shots.grabThen(QStringLiteral("folder-search"),
                             [](QWidget* f) { static_cast<QDialog*>(f)->reject(); }));
    driver.on(QStringLiteral("dialog101"), [](QWidget* d) { clickControl(d, BUTTON_CANCEL); });
}

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    // The pictures show the toolkit's texts as the program shows them, in Russian.
    sheetbasis::installToolkitTranslations();
    if (argc != 2) {
        std::cerr << "usage: sheetbasis-dialog-shots FOLDER\n";
        return EXIT_USAGE;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(folder);
    FrameWindow frame;
    frame.show();
    QtWindowServices services(&frame);
    Shots shots(folder);
    ModalDriver driver;
    plan(driver, shots);
    showStartDialog(services);
    DialogState state;
    sheetbasis::SheetParameters p;
    askSheetParameters(services, state, p);
    frame.grab().save(QDir(folder).filePath(QStringLiteral("frame.png")));
    const auto failures = driver.failures();
    for (const auto& failure : failures) std::cerr << failure.toStdString() << '\n';
    return failures.isEmpty() && !shots.failed() ? 0 : EXIT_FAILED;
}
