// The real Qt dialogs driven as a user would: lists picked, texts typed, buttons clicked,
// message boxes read and closed.

#include <QAbstractItemView>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>
#include <optional>

#include "ui/FrameWindow.h"
#include "ui/InteractiveRun.h"
#include "ui/MainDialog.h"
#include "ui/QtDialog.h"
#include "ui/QtWindowServices.h"
#include "ui/RefineDialog.h"
#include "ui/testing/ModalDriver.h"

namespace sheetbasis::ui {
namespace {

const QString MAIN = QStringLiteral("dialog101");
const QString REFINE = QStringLiteral("dialog113");
const QString BOX = QStringLiteral("messageBox");
const QString FILES = QStringLiteral("fileDialog");

constexpr int ITEM_COLUMN_37 = 5;
constexpr int ITEM_COLUMN_38 = 6;
constexpr int ITEM_COLUMN_02 = 30;
constexpr int ITEM_ROW_R = 4;
constexpr int ITEM_ROW_P = 6;
constexpr int ITEM_CS_SK95 = 2;

// The Qt services with every message box noted as the program passed it.
class RecordingServices final : public WindowServices {
  public:
    explicit RecordingServices(FrameWindow* frame) : qt_(frame) {}
    std::unique_ptr<Dialog> loadDialog(int id) override { return qt_.loadDialog(id); }
    void messageBox(const std::string& text, const std::string& title, MessageIcon icon) override {
        messages.push_back(text);
        qt_.messageBox(text, title, icon);
    }
    void writeLine(const std::string& line) override { qt_.writeLine(line); }
    void endProcess(ExitCode exitCode) override { qt_.endProcess(exitCode); }
    std::optional<std::string> fileDialog(const FileDialogRequest& request) override {
        return qt_.fileDialog(request);
    }
    std::vector<std::string> messages;

  private:
    QtWindowServices qt_;
};

void setFolder(QWidget* dialog) {
    typeText(dialog, CONTROL_FOLDER, QStringLiteral("/tmp/"));
}

QComboBox* combo(QWidget* dialog, int control) {
    return dialog->findChild<QComboBox*>(QString::number(control));
}

}  // namespace

class DialogsQtTest : public QObject {
    Q_OBJECT

  private:
    // No outcome when the scripted user could not play its part.
    std::optional<MainDialogOutcome> runMainDialog() {
        const auto status = askSheetParameters(services_, state_, p_);
        const auto failures = driver_->failures();
        if (!failures.isEmpty()) qWarning() << failures;
        return failures.isEmpty() ? std::optional{status} : std::nullopt;
    }

    // The user presses "Найти" and accepts the given folder in the picker.
    void pickFolderWithFinder(const QString& folder) {
        driver_->on(MAIN, [](QWidget* d) { clickControl(d, CONTROL_FIND_FOLDER); });
        driver_->on(FILES, [folder](QWidget* d) {
            qobject_cast<QFileDialog*>(d)->setDirectory(folder);
            static_cast<QDialog*>(d)->accept();
        });
    }

    FrameWindow frame_;
    RecordingServices services_{&frame_};
    DialogState state_;
    SheetParameters p_;
    std::unique_ptr<ModalDriver> driver_;

  private slots:
    void init() {
        driver_ = std::make_unique<ModalDriver>();
        services_.messages.clear();
        p_ = {};
    }

    void frameWindowHasItsTwoMenusAtTheTopLeftCorner() {
        const auto menus = frame_.menuBar()->actions();
        QCOMPARE(menus.size(), 2);
        QCOMPARE(menus[0]->text(), QStringLiteral("&Games"));
        QCOMPARE(menus[1]->text(), QStringLiteral("&Help"));
        const auto games = menus[0]->menu()->actions();
        QCOMPARE(games.size(), 3);
        QCOMPARE(games[0]->text(), QStringLiteral("&TicTacToe"));
        QVERIFY(games[1]->isSeparator());
        QCOMPARE(games[2]->text(), QStringLiteral("E&xit"));
        QCOMPARE(menus[1]->menu()->actions().at(0)->text(), QStringLiteral("&QuickWin Help"));
        QCOMPARE(frame_.pos(), QPoint(0, 0));
    }

    void defaultsOnConfirmingAtOnceWithAPickedFolder() {
        QTemporaryDir folder;
        driver_->on(MAIN, [](QWidget* d) {
            QCOMPARE(controlText(d, CONTROL_FOLDER), QString());
            clickControl(d, CONTROL_FIND_FOLDER);
        });
        driver_->on(FILES, [&folder](QWidget* d) {
            auto* files = qobject_cast<QFileDialog*>(d);
            files->setDirectory(folder.path());
            static_cast<QDialog*>(files)->accept();
        });
        driver_->on(MAIN, [&folder](QWidget* d) {
            QCOMPARE(controlText(d, CONTROL_FOLDER), folder.path() + "/");
            clickControl(d, BUTTON_OK);
        });
        QCOMPARE(runMainDialog(), MainDialogOutcome::Confirmed);
        QCOMPARE(p_.cs, CoordinateSystem::Sk42);
        QCOMPARE(p_.setScale, Series::Scale200k);
        QCOMPARE(p_.mapScale, MapScale::Scale200k);
        QCOMPARE(p_.yZone, 1);
        QCOMPARE(p_.xZone, 33);
        QCOMPARE(p_.sheetNumber, 1);
        QCOMPARE(p_.sheetType, SheetType::Standard);
        QCOMPARE(QString::fromStdString(p_.path), folder.path() + "/");
        QCOMPARE(p_.result.edges.west, p_.base.edges.west);
        QCOMPARE(p_.result.edges.south, p_.base.edges.south);
        QCOMPARE(p_.result.meridianStep, 0.25);
        QVERIFY(services_.messages.empty());
    }

    void folderFieldShowsAMarkupLikeFolderNameLiterally() {
        // A folder name is any text; one that looks like markup is still shown as it is.
        QTemporaryDir parent;
        const QString folder = parent.filePath(QStringLiteral("<i>northern sheets"));
        QVERIFY(QDir().mkpath(folder));
        pickFolderWithFinder(folder);
        driver_->on(MAIN, [&folder](QWidget* d) {
            const auto* field = d->findChild<QLabel*>(QString::number(CONTROL_FOLDER));
            QCOMPARE(field->text(), folder + "/");
            // Laid out as the same text taken as plain text would be.
            QLabel plain;
            plain.setTextFormat(Qt::PlainText);
            plain.setFont(field->font());
            plain.setFrameStyle(field->frameStyle());
            plain.setWordWrap(field->wordWrap());
            plain.setAlignment(field->alignment());
            plain.setText(field->text());
            QCOMPARE(field->sizeHint(), plain.sizeHint());
            clickControl(d, BUTTON_CANCEL);
        });
        QCOMPARE(runMainDialog(), MainDialogOutcome::Cancelled);
    }

    void emptyFolderIsReportedThenCancelEnds() {
        driver_->on(MAIN, [](QWidget* d) { clickControl(d, BUTTON_OK); });
        driver_->on(BOX, [](QWidget* box) {
            QCOMPARE(qobject_cast<QMessageBox*>(box)->text(),
                     QStringLiteral("Не задана папка для рез. файлов"));
            QCOMPARE(box->windowTitle(), QStringLiteral("ОШИБКА В ЗАДАНИИ ПАРАМЕТРОВ"));
            acceptWindow(box);
        });
        driver_->on(MAIN, [](QWidget* d) { clickControl(d, BUTTON_CANCEL); });
        QCOMPARE(runMainDialog(), MainDialogOutcome::Cancelled);
    }

    void column02GivesTwo() {
        driver_->on(MAIN, [](QWidget* d) {
            setFolder(d);
            selectItem(d, CONTROL_COLUMN, ITEM_COLUMN_02);
            QCOMPARE(controlText(d, CONTROL_COLUMN), QStringLiteral("02"));
            clickControl(d, BUTTON_OK);
        });
        QCOMPARE(runMainDialog(), MainDialogOutcome::Confirmed);
        QCOMPARE(p_.xZone, 2);
    }

    void quadrupleSheetInTheMillionSeries() {
        driver_->on(MAIN, [](QWidget* d) {
            setFolder(d);
            selectItem(d, CONTROL_SERIES, SERIES_ITEM_1M);
            QVERIFY(!combo(d, CONTROL_SHEET_NUMBER)->isEnabled());
            QVERIFY(
                !d->findChild<QLabel*>(QString::number(CONTROL_SHEET_NUMBER_LABEL))->isEnabled());
            QCOMPARE(combo(d, CONTROL_MAP_SCALE)->itemText(2), QStringLiteral("1 : 5 000 000"));
            selectItem(d, CONTROL_SHEET_TYPE, 3);
            QCOMPARE(controlText(d, CONTROL_SHEET_TYPE), QStringLiteral("Cчетверенный лист"));
            clickControl(d, BUTTON_OK);
        });
        QCOMPARE(runMainDialog(), MainDialogOutcome::Confirmed);
        QCOMPARE(p_.setScale, Series::Scale1m);
        QCOMPARE(p_.sheetType, SheetType::Quadruple);
        QCOMPARE(p_.base.edges.east - p_.base.edges.west, 24.0);
    }

    void rowSwitchesCutTheTypeSelectionDown() {
        driver_->on(MAIN, [](QWidget* d) {
            setFolder(d);
            selectItem(d, CONTROL_SHEET_TYPE, 3);
            QCOMPARE(controlText(d, CONTROL_SHEET_TYPE), QStringLiteral("Строенный    лист"));
            selectItem(d, CONTROL_ROW, ITEM_ROW_R);
            QCOMPARE(combo(d, CONTROL_SHEET_TYPE)->count(), 2);
            QCOMPARE(controlText(d, CONTROL_SHEET_TYPE), QStringLiteral("Cдвоенный    лист"));
            selectItem(d, CONTROL_ROW, ITEM_ROW_P);
            QCOMPARE(combo(d, CONTROL_SHEET_TYPE)->count(), 1);
            QCOMPARE(controlText(d, CONTROL_SHEET_TYPE), QStringLiteral("Стандартный  лист"));
            clickControl(d, BUTTON_OK);
        });
        QCOMPARE(runMainDialog(), MainDialogOutcome::Confirmed);
        QCOMPARE(p_.sheetType, SheetType::Standard);
        QCOMPARE(p_.yZone, ITEM_ROW_P);
    }

    void refinementDiscardedOnColumnChangeKeptOnCoordinateSystemChange() {
        const auto refineThen = [this](int list, int item) {
            driver_->on(MAIN, [](QWidget* d) {
                setFolder(d);
                selectItem(d, CONTROL_COLUMN, ITEM_COLUMN_37);
                clickControl(d, CONTROL_REFINE);
            });
            driver_->on(REFINE, [](QWidget* r) {
                QCOMPARE(controlText(r, CONTROL_X_FROM), QStringLiteral("36° 00'"));
                typeText(r, CONTROL_X_FROM, QStringLiteral("35 30"));
                clickControl(r, BUTTON_OK);
            });
            driver_->on(MAIN, [list, item](QWidget* d) {
                selectItem(d, list, item);
                clickControl(d, BUTTON_OK);
            });
        };
        refineThen(CONTROL_COLUMN, ITEM_COLUMN_38);
        QCOMPARE(runMainDialog(), MainDialogOutcome::Confirmed);
        QCOMPARE(p_.xZone, 38);
        QCOMPARE(p_.result.edges.west, 42.0);
        QCOMPARE(p_.result.edges.west, p_.base.edges.west);

        refineThen(CONTROL_CS, ITEM_CS_SK95);
        QCOMPARE(runMainDialog(), MainDialogOutcome::Confirmed);
        QCOMPARE(p_.cs, CoordinateSystem::Sk95);
        QCOMPARE(p_.result.edges.west, 35.5);
        QCOMPARE(p_.base.edges.west, 36.0);
    }

    void refineErrorsListedInOneBoxInOrder() {
        driver_->on(MAIN, [](QWidget* d) { clickControl(d, CONTROL_REFINE); });
        driver_->on(REFINE, [](QWidget* r) {
            typeText(r, CONTROL_X_TO, controlText(r, CONTROL_X_FROM));
            typeText(r, CONTROL_Y_MINUTE, QStringLiteral("0'"));
            typeText(r, CONTROL_X_MINUTE, QStringLiteral("2"));
            typeText(r, CONTROL_MERIDIAN_STEP, QStringLiteral("abc"));
            clickControl(r, CONTROL_TEST);
        });
        driver_->on(BOX, [](QWidget* box) {
            QCOMPARE(box->windowTitle(), QStringLiteral("Ошибка в уточнении параметров"));
            acceptWindow(box);
        });
        driver_->on(REFINE, [](QWidget* r) {
            QCOMPARE(controlText(r, CONTROL_MERIDIAN_STEP), QStringLiteral("abc"));
            QCOMPARE(controlText(r, CONTROL_X_MINUTE), QStringLiteral("02'"));
            QCOMPARE(controlText(r, CONTROL_RESULT_WIDTH), QString());
            QCOMPARE(controlText(r, CONTROL_RESULT_HEIGHT), QStringLiteral("0° 40'"));
            clickControl(r, BUTTON_CANCEL);
        });
        driver_->on(MAIN, [](QWidget* d) { clickControl(d, BUTTON_CANCEL); });
        QCOMPARE(runMainDialog(), MainDialogOutcome::Cancelled);
        QCOMPARE(services_.messages.size(), std::size_t{1});
        QCOMPARE(QString::fromStdString(services_.messages[0]),
                 QStringLiteral("Ошибка в задании диапазона долготы\r"
                                "Ошибка в задании цены минутной рамки по широте\r"
                                "Ошибка в задании расстояния между меридианами"));
    }

    void sheetNumberListOpensOnClickAndSelectsByTyping() {
        driver_->on(MAIN, [](QWidget* d) {
            QComboBox* numbers = combo(d, CONTROL_SHEET_NUMBER);
            QVERIFY(!numbers->isEditable());
            QTest::mouseClick(numbers, Qt::LeftButton);
            QTRY_VERIFY(numbers->view()->isVisible());
            numbers->hidePopup();
            QTest::keyClicks(numbers, QStringLiteral("XX"));
            QCOMPARE(numbers->currentText(), QStringLiteral("XX"));
            clickControl(d, BUTTON_CANCEL);
        });
        QCOMPARE(runMainDialog(), MainDialogOutcome::Cancelled);
    }

    void longFolderKeepsItsEndInViewAndShowsWholeAsTooltip() {
        QTemporaryDir parent;
        const QString folder =
            parent.filePath(QString(150, QLatin1Char('a')) + QStringLiteral("/Лист N-37-XXXVI"));
        QVERIFY(QDir().mkpath(folder));
        pickFolderWithFinder(folder);
        driver_->on(MAIN, [&folder](QWidget* d) {
            const auto* field = d->findChild<ElidedLabel*>(QString::number(CONTROL_FOLDER));
            QVERIFY(field != nullptr);
            QCOMPARE(field->text(), folder + "/");
            QCOMPARE(field->toolTip(), folder + "/");
            const QString shown = field->displayedText();
            QVERIFY2(shown.contains(QChar(0x2026)) && shown.startsWith(QStringLiteral("/")) &&
                         shown.endsWith(QStringLiteral("/Лист N-37-XXXVI/")),
                     qPrintable(shown));
            QVERIFY(field->fontMetrics().horizontalAdvance(shown) <= field->contentsRect().width());
            clickControl(d, BUTTON_CANCEL);
        });
        QCOMPARE(runMainDialog(), MainDialogOutcome::Cancelled);
    }

    void messageBoxTitlesShowWhole() {
        // Beside the title a caption holds an icon and up to three buttons.
        constexpr int captionButtonsPixels = 100;
        for (const char* title :
             {"ОШИБКА В ЗАДАНИИ ПАРАМЕТРОВ", "АВАРИЙНОЕ ЗАВЕРШЕНИЕ", "Состояние обработки"}) {
            driver_->on(BOX, [title](QWidget* box) {
                QFont bold = box->font();
                bold.setBold(true);
                const int titleWidth =
                    QFontMetrics(bold).horizontalAdvance(QString::fromUtf8(title));
                QVERIFY2(box->width() >= titleWidth + captionButtonsPixels, title);
                acceptWindow(box);
            });
            services_.messageBox("Задание выполнено", title, MessageIcon::Information);
            QCOMPARE(driver_->failures(), QStringList());
        }
    }

    // Last: the translations stay installed for the rest of the process.
    void folderPickerSpeaksRussian() {
        QVERIFY(installToolkitTranslations());
        driver_->on(MAIN, [](QWidget* d) { clickControl(d, CONTROL_FIND_FOLDER); });
        driver_->on(FILES, [](QWidget* d) {
            QCOMPARE(d->findChild<QLabel*>(QStringLiteral("lookInLabel"))->text(),
                     QStringLiteral("Перейти к:"));
            const auto* buttons = d->findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"));
            QCOMPARE(buttons->button(QDialogButtonBox::Cancel)->text(), QStringLiteral("Отмена"));
            QCOMPARE(buttons->button(QDialogButtonBox::Open)->text(), QStringLiteral("&Выбрать"));
            static_cast<QDialog*>(d)->reject();
        });
        driver_->on(MAIN, [](QWidget* d) { clickControl(d, BUTTON_CANCEL); });
        QCOMPARE(runMainDialog(), MainDialogOutcome::Cancelled);
    }
};

}  // namespace sheetbasis::ui

QTEST_MAIN(sheetbasis::ui::DialogsQtTest)
#include "DialogsQtTest.moc"
