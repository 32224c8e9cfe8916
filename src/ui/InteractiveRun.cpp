#include "ui/InteractiveRun.h"

#include <xcb/xcb.h>

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <cstdlib>
#include <iostream>
#include <optional>
#include <string_view>

#include "app/ProgramFlow.h"
#include "ui/FrameWindow.h"
#include "ui/MainDialog.h"
#include "ui/QtWindowServices.h"
#include "ui/StartDialog.h"

namespace sheetbasis {

namespace {

constexpr const char* NO_DISPLAY_MESSAGE =
    "sheetbasis: нет дисплея для диалогового режима (DISPLAY не задан или недоступен, "
    "WAYLAND_DISPLAY и QT_QPA_PLATFORM не заданы); укажите файл задания в командной строке";

bool isSet(const char* variable) {
    const char* value = std::getenv(variable);
    return value != nullptr && *value != '\0';
}

// The X11 platform aborts the process when its display cannot be reached; asking the
// server first turns that into the program's own report.
bool x11DisplayReachable() {
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    const bool reachable = xcb_connection_has_error(connection) == 0;
    xcb_disconnect(connection);
    return reachable;
}

// Without a display the toolkit would abort the process; a platform named explicitly
// (for instance "offscreen") needs none.
bool displayAvailable() {
    if (isSet("QT_QPA_PLATFORM") || isSet("WAYLAND_DISPLAY")) return true;
    return isSet("DISPLAY") && x11DisplayReachable();
}

// The interactive steps of the program flow, on the frame window's services.
class QtInteractiveServices final : public InteractiveServices {
  public:
    explicit QtInteractiveServices(ui::WindowServices& window) : window_(window) {}

    void startDialog() override { ui::showStartDialog(window_); }
    bool mainDialog(SheetParameters& p) override {
        return ui::askSheetParameters(window_, state_, p) == ui::MainDialogOutcome::Confirmed;
    }
    void messageBox(const std::string& text, const std::string& title, MessageIcon icon) override {
        window_.messageBox(text, title, icon);
    }

  private:
    ui::WindowServices& window_;
    ui::DialogState state_;
};

// The catalogue of the toolkit's widgets, from the Debian package qt6-translations-l10n.
constexpr const char* TOOLKIT_CATALOGUE = "qtbase";
constexpr const char* CATALOGUE_PREFIX = "_";

}  // namespace

bool installToolkitTranslations() {
    // Lives as long as the application that uses it.
    static QTranslator translator;
    if (!translator.isEmpty()) return true;  // installed by an earlier run of this process
    return translator.load(QLocale(QLocale::Russian, QLocale::Russia),
                           QString::fromLatin1(TOOLKIT_CATALOGUE),
                           QString::fromLatin1(CATALOGUE_PREFIX),
                           QLibraryInfo::path(QLibraryInfo::TranslationsPath)) &&
           QCoreApplication::installTranslator(&translator);
}

ExitCode runInteractive(int argc, char** argv) {
    if (!displayAvailable()) {
        std::cerr << NO_DISPLAY_MESSAGE << std::endl;
        return ExitCode::NotDone;
    }
    // A host that already runs the toolkit (a test) keeps its own application object.
    std::optional<QApplication> application;
    if (QApplication::instance() == nullptr) application.emplace(argc, argv);
    installToolkitTranslations();
    ui::FrameWindow frame;
    frame.show();
    ui::QtWindowServices window(&frame);
    QtInteractiveServices services(window);
    return runMainProgram(argc, argv, &services);
}

}  // namespace sheetbasis
