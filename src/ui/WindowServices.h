#pragma once
// The few window-system services that the dialog logic relies on: dialogs loaded from
// numbered templates with numbered controls, handlers per control, modal display, message
// boxes, the output window and the end of the process. The dialog logic is written against
// these interfaces only, so that it runs the same on the Qt toolkit and on a test double.
//
// Every text crossing these interfaces is UTF-8, the encoding of the toolkit; the dialog
// logic converts the core's Windows-1251 texts at this boundary.

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/ProgramFlow.h"

namespace sheetbasis::ui {

// Dialog templates.
inline constexpr int DIALOG_MAIN = 101;
inline constexpr int DIALOG_START = 106;
inline constexpr int DIALOG_REFINE = 113;

// Buttons that end a dialog; any other result of a modal display means cancel too.
inline constexpr int BUTTON_OK = 1;
inline constexpr int BUTTON_CANCEL = 2;

// Event kinds delivered to a control's handler.
enum class DialogEvent { SelectionChanged, Clicked };

class Dialog;

// A handler receives the dialog, the control number and the event kind.
using DialogHandler = std::function<void(Dialog&, int, DialogEvent)>;

// A dialog loaded from a template. List items are numbered from 1.
class Dialog {
  public:
    virtual ~Dialog() = default;
    // Replaces the items of a list and selects the given item.
    virtual void setList(int control, const std::vector<std::string>& items, int selected) = 0;
    // The number of the selected item of a list (0 when nothing is selected).
    virtual int listSelection(int control) const = 0;
    virtual void setText(int control, const std::string& text) = 0;
    virtual std::string text(int control) const = 0;
    virtual void setEnabled(int control, bool enabled) = 0;
    // The handler is called on each event of the control while the dialog is shown; setting
    // a list or a text from the program raises no event.
    virtual void setHandler(int control, DialogHandler handler) = 0;
    // Shows the dialog modally; returns the number of the button that ended it.
    virtual int showModal() = 0;
};

// What the file-open dialog is asked to do.
enum class FileDialogKind {
    Folder,        // pick an existing folder
    ExistingFile,  // open a file that exists
    NewFile,       // name a file in an existing folder
};

struct FileDialogRequest {
    FileDialogKind kind = FileDialogKind::Folder;
    std::string initialFolder;     // native path
    std::string filterName;        // description of the file-type filter
    std::string filePattern;       // for example "*.*"
    std::string defaultExtension;  // without the dot; empty for none
    std::string title;
};

class WindowServices {
  public:
    virtual ~WindowServices() = default;
    // Nothing when the template cannot be loaded.
    virtual std::unique_ptr<Dialog> loadDialog(int templateId) = 0;
    // A modal box with one OK button; returns when the user has closed it.
    virtual void messageBox(const std::string& text, const std::string& title,
                            MessageIcon icon) = 0;
    // A line of the program's standard output.
    virtual void writeLine(const std::string& line) = 0;
    // Ends the process at once with the exit code; a test double may return instead.
    virtual void endProcess(ExitCode exitCode) = 0;
    // The file-open dialog: the chosen path (a folder ends with "/"), or nothing when the
    // user cancelled or the dialog failed.
    virtual std::optional<std::string> fileDialog(const FileDialogRequest& request) = 0;
};

}  // namespace sheetbasis::ui
