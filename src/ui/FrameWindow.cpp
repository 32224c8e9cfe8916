#include "ui/FrameWindow.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <cstdio>
#include <cstdlib>

#include "app/ProgramFlow.h"

namespace sheetbasis::ui {

namespace {

// Initial placement of the whole frame window, in screen pixels: the top-left corner at
// the smallest size; the window system enlarges it to what a captioned window with a menu
// bar needs.
constexpr int FRAME_X = 0;
constexpr int FRAME_Y = 0;
constexpr int FRAME_WIDTH = 20;
constexpr int FRAME_HEIGHT = 20;

constexpr const char* FRAME_TITLE = "sheetbasis";
constexpr const char* OUTPUT_TITLE = "Вывод программы";
constexpr const char* HELP_TITLE = "Справка";
constexpr const char* HELP_CONTENTS =
    "Программа строит математическую основу одного листа карты в виде слоёв Shape-файлов.\n\n"
    "Порядок работы: в главном диалоге выберите систему координат, масштаб комплекта и "
    "карты, номенклатуру листа и папку для результатов; кнопкой «Уточнить параметры "
    "разграфки» можно изменить трапецию и шаги сетки. После нажатия OK в папке результата "
    "создаются подпапки HYPS (HypsA, HypsP, HypsL) и FRAME (Frame, FrameAdj, FrameDig).\n\n"
    "Запуск с путём к файлу задания в командной строке выполняет то же без диалогов.";

}  // namespace

FrameWindow::FrameWindow() : area_(new QMdiArea(this)), output_(new QPlainTextEdit) {
    setWindowTitle(QString::fromUtf8(FRAME_TITLE));
    setCentralWidget(area_);
    output_->setReadOnly(true);
    QMdiSubWindow* child = area_->addSubWindow(output_);
    child->setWindowTitle(QString::fromUtf8(OUTPUT_TITLE));
    child->showMaximized();
    setUpFrameWindow(*this);
}

void FrameWindow::appendOutput(const std::string& line) {
    output_->appendPlainText(QString::fromStdString(line));
}

void FrameWindow::printActiveWindow() {
    QPrinter printer;
    QPrintDialog dialog(&printer, this);
    if (dialog.exec() == QDialog::Accepted) output_->print(&printer);
}

void FrameWindow::exitProgram() {
    // The run did not come to its end, so the process ends as an unfinished job does.
    std::fflush(nullptr);
    std::_Exit(processExitCode(ExitCode::NotDone));
}

void FrameWindow::showHelpContents() {
    QMessageBox::information(this, QString::fromUtf8(HELP_TITLE), QString::fromUtf8(HELP_CONTENTS));
}

bool setUpFrameWindow(FrameWindow& frame) {
    // move() places the outer frame, caption included; setGeometry() would place the client
    // area there and push the caption above the screen.
    frame.resize(FRAME_WIDTH, FRAME_HEIGHT);
    frame.move(FRAME_X, FRAME_Y);
    QMenuBar* bar = frame.menuBar();
    QMenu* games = bar->addMenu(QStringLiteral("&Games"));
    games->addAction(QStringLiteral("&TicTacToe"), &frame, &FrameWindow::printActiveWindow);
    games->addSeparator();
    games->addAction(QStringLiteral("E&xit"), &frame, &FrameWindow::exitProgram);
    QMenu* help = bar->addMenu(QStringLiteral("&Help"));
    help->addAction(QStringLiteral("&QuickWin Help"), &frame, &FrameWindow::showHelpContents);
    return true;
}

}  // namespace sheetbasis::ui
