// Whole interactive runs: the start dialog, the main dialog and the closing message box
// answered by the test, the layers written by the real generation.

#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include "app/ProgramFlow.h"
#include "ui/InteractiveRun.h"
#include "ui/MainDialog.h"
#include "ui/testing/ModalDriver.h"

namespace sheetbasis::ui {
namespace {

const QString START = QStringLiteral("dialog106");
const QString MAIN = QStringLiteral("dialog101");
const QString BOX = QStringLiteral("messageBox");

constexpr int ITEM_ROW_N = 8;
constexpr int ITEM_COLUMN_37 = 5;
constexpr int SHEET_XXXVI = 36;

struct Shown {
    QString text;
    QString title;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
};

ExitCode runProgram() {
    char name[] = "sheetbasis";
    char* argv[] = {name, nullptr};
    return runInteractive(1, argv);
}

}  // namespace

class InteractiveRunQtTest : public QObject {
    Q_OBJECT

  private:
    void continueFromStart() {
        driver_->on(START, [](QWidget* d) {
            QCOMPARE(d->findChild<QPushButton*>(QString::number(BUTTON_OK))->text(),
                     QStringLiteral("Продолжить"));
            clickControl(d, BUTTON_OK);
        });
    }
    void noteMessageBox(Shown& shown) {
        driver_->on(BOX, [&shown](QWidget* w) {
            auto* box = qobject_cast<QMessageBox*>(w);
            shown = {box->text(), box->windowTitle(), box->icon()};
            acceptWindow(box);
        });
    }
    void checkDriver() { QCOMPARE(driver_->failures(), QStringList()); }

    std::unique_ptr<ModalDriver> driver_;

  private slots:
    void init() { driver_ = std::make_unique<ModalDriver>(); }

    void sheetN37XXXVIWritesAllSixLayers() {
        QTemporaryDir folder;
        continueFromStart();
        driver_->on(MAIN, [&folder](QWidget* d) {
            typeText(d, CONTROL_FOLDER, folder.path() + "/");
            selectItem(d, CONTROL_ROW, ITEM_ROW_N);
            selectItem(d, CONTROL_COLUMN, ITEM_COLUMN_37);
            selectItem(d, CONTROL_SHEET_NUMBER, SHEET_XXXVI);
            clickControl(d, BUTTON_OK);
        });
        Shown shown;
        noteMessageBox(shown);
        QCOMPARE(runProgram(), ExitCode::Done);
        checkDriver();
        QCOMPARE(shown.text, QStringLiteral("Задание выполнено"));
        QCOMPARE(shown.title, QStringLiteral("Состояние обработки"));
        QCOMPARE(shown.icon, QMessageBox::Information);
        const QDir root(folder.path());
        for (const char* layer : {"HYPS/HypsA", "HYPS/HypsP", "HYPS/HypsL", "FRAME/Frame",
                                  "FRAME/FrameAdj", "FRAME/FrameDig"}) {
            for (const char* extension : {".shp", ".shx", ".dbf", ".PRJ"}) {
                const QString file = root.filePath(QString::fromLatin1(layer) + extension);
                QVERIFY2(QFileInfo(file).size() > 0, qPrintable(file));
            }
        }
    }

    void cancellingTheMainDialogEndsWithoutAMessage() {
        continueFromStart();
        driver_->on(MAIN, [](QWidget* d) { clickControl(d, BUTTON_CANCEL); });
        QCOMPARE(runProgram(), ExitCode::NotDone);
        QTest::qWait(ModalDriver::STEP_TIMEOUT_MS / 10);
        QVERIFY(QApplication::activeModalWidget() == nullptr);
        checkDriver();
    }

    void folderTooLongForItsSubFoldersIsRefusedAndNothingMade() {
        // 256 characters with the separator: "HYPS" would fit, "FRAME" would be cut.
        QTemporaryDir parent;
        QString folder = parent.path() + "/" + QString(120, QLatin1Char('a')) + "/";
        folder += QString(256 - folder.size() - 1, QLatin1Char('b')) + "/";
        QVERIFY(QDir().mkpath(folder));
        continueFromStart();
        driver_->on(MAIN, [&folder](QWidget* d) {
            typeText(d, CONTROL_FOLDER, folder);
            clickControl(d, BUTTON_OK);
        });
        Shown shown;
        noteMessageBox(shown);
        QCOMPARE(runProgram(), ExitCode::NotDone);
        checkDriver();
        QCOMPARE(shown.text, QStringLiteral("Не удалось создать папку FRAME"));
        QCOMPARE(shown.title, QStringLiteral("Задание НЕ ВЫПОЛНЕНО"));
        QVERIFY(QDir(folder).isEmpty());
    }

    void missingResultFolderIsReported() {
        QTemporaryDir folder;
        continueFromStart();
        driver_->on(MAIN, [&folder](QWidget* d) {
            typeText(d, CONTROL_FOLDER, folder.path() + "/missing/");
            clickControl(d, BUTTON_OK);
        });
        Shown shown;
        noteMessageBox(shown);
        QCOMPARE(runProgram(), ExitCode::NotDone);
        checkDriver();
        QCOMPARE(shown.text, QStringLiteral("Не существует заданная папка результата"));
        QCOMPARE(shown.title, QStringLiteral("Задание НЕ ВЫПОЛНЕНО"));
        QCOMPARE(shown.icon, QMessageBox::Critical);
        QVERIFY(!QDir(folder.path()).exists(QStringLiteral("missing")));
    }
};

}  // namespace sheetbasis::ui

QTEST_MAIN(sheetbasis::ui::InteractiveRunQtTest)
#include "InteractiveRunQtTest.moc"
