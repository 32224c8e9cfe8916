#include "ui/QtWindowServices.h"

#include <QFileDialog>
#include <QGridLayout>
#include <QMessageBox>
#include <QSpacerItem>
#include <cstdio>
#include <cstdlib>
#include <iostream>

#include "ui/DialogTemplates.h"
#include "ui/FrameWindow.h"
#include "ui/QtDialog.h"

namespace sheetbasis::ui {

namespace {

constexpr char FOLDER_SEPARATOR = '/';

QMessageBox::Icon toQt(MessageIcon icon) {
    switch (icon) {
        case MessageIcon::Stop:
            return QMessageBox::Critical;
        case MessageIcon::Information:
            return QMessageBox::Information;
        case MessageIcon::Exclamation:
            return QMessageBox::Warning;
    }
    return QMessageBox::NoIcon;
}

// The program joins the lines of a message by a bare carriage return, which a Qt label
// would not break at.
QString displayedMessage(const std::string& text) {
    return QString::fromStdString(text).replace(QLatin1Char('\r'), QLatin1Char('\n'));
}

// Window managers draw the caption in a bold font, often larger than the dialog's, beside
// an icon and up to three buttons; 1.25 times the bold width and 160 pixels cover the
// common desktop themes.
constexpr double CAPTION_FONT_SCALE = 1.25;
constexpr int CAPTION_DECORATION_PIXELS = 160;

// A message box is as wide as its text; a title wider than that would be cut by the window
// manager, so the box is widened until the title shows whole.
void fitTitle(QMessageBox& box) {
    QFont caption = box.font();
    caption.setBold(true);
    const int width = static_cast<int>(CAPTION_FONT_SCALE *
                                       QFontMetrics(caption).horizontalAdvance(box.windowTitle())) +
                      CAPTION_DECORATION_PIXELS;
    if (auto* grid = qobject_cast<QGridLayout*>(box.layout())) {
        grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Fixed),
                      grid->rowCount(), 0, 1, grid->columnCount());
    }
}

void configure(QFileDialog& dialog, const FileDialogRequest& request) {
    // The toolkit's own dialog behaves alike on every desktop and can be driven by tests.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    const QString filter =
        QString::fromStdString(request.filterName + " (" + request.filePattern + ")");
    switch (request.kind) {
        case FileDialogKind::Folder:
            dialog.setFileMode(QFileDialog::Directory);
            dialog.setOption(QFileDialog::ShowDirsOnly);
            return;
        case FileDialogKind::ExistingFile:
            dialog.setFileMode(QFileDialog::ExistingFile);
            break;
        case FileDialogKind::NewFile:
            dialog.setFileMode(QFileDialog::AnyFile);
            break;
    }
    dialog.setNameFilter(filter);
    dialog.setDefaultSuffix(QString::fromStdString(request.defaultExtension));
}

}  // namespace

std::unique_ptr<Dialog> QtWindowServices::loadDialog(int templateId) {
    const DialogTemplate* found = findDialogTemplate(templateId);
    if (!found) return nullptr;
    return std::make_unique<QtDialog>(*found, frame_);
}

void QtWindowServices::messageBox(const std::string& text, const std::string& title,
                                  MessageIcon icon) {
    QMessageBox box(toQt(icon), QString::fromStdString(title), displayedMessage(text),
                    QMessageBox::Ok, frame_);
    box.setObjectName(QStringLiteral("messageBox"));
    fitTitle(box);
    box.exec();
}

void QtWindowServices::writeLine(const std::string& line) {
    std::cout << line << std::endl;
    if (frame_) frame_->appendOutput(line);
}

void QtWindowServices::endProcess(ExitCode exitCode) {
    // The frame window closes with the process, without asking anything.
    std::cout.flush();
    std::fflush(nullptr);
    std::_Exit(processExitCode(exitCode));
}

std::optional<std::string> QtWindowServices::fileDialog(const FileDialogRequest& request) {
    QFileDialog dialog(frame_, QString::fromStdString(request.title),
                       QString::fromStdString(request.initialFolder));
    dialog.setObjectName(QStringLiteral("fileDialog"));
    configure(dialog, request);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    std::string chosen = dialog.selectedFiles().constFirst().toStdString();
    if (request.kind == FileDialogKind::Folder && !chosen.ends_with(FOLDER_SEPARATOR)) {
        chosen += FOLDER_SEPARATOR;
    }
    return chosen;
}

}  // namespace sheetbasis::ui
