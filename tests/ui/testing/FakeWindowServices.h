#pragma once
// A test double of the window services: dialogs keep their lists and texts in memory, and
// each modal display runs the next answer of a script, as a user would act on the dialog.

#include <deque>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "ui/WindowServices.h"

namespace sheetbasis::ui::testing {

class FakeDialog final : public Dialog {
  public:
    FakeDialog(class FakeWindowServices& services, int templateId)
        : services_(services), templateId_(templateId) {}

    void setList(int control, const std::vector<std::string>& items, int selected) override {
        lists_[control] = {items, selected};
    }
    int listSelection(int control) const override {
        const auto found = lists_.find(control);
        return found == lists_.end() ? 0 : found->second.selected;
    }
    void setText(int control, const std::string& text) override { texts_[control] = text; }
    std::string text(int control) const override {
        const auto found = texts_.find(control);
        return found == texts_.end() ? std::string() : found->second;
    }
    void setEnabled(int control, bool enabled) override { enabled_[control] = enabled; }
    void setHandler(int control, DialogHandler handler) override {
        handlers_[control] = std::move(handler);
    }
    int showModal() override;

    // What a user does: pick a list item, type a text, click a button.
    void select(int control, int item) {
        lists_.at(control).selected = item;
        raise(control, DialogEvent::SelectionChanged);
    }
    void type(int control, const std::string& text) { texts_[control] = text; }
    void click(int control) { raise(control, DialogEvent::Clicked); }

    const std::vector<std::string>& items(int control) const { return lists_.at(control).items; }
    std::string selectedText(int control) const {
        const auto& list = lists_.at(control);
        return list.items.at(static_cast<std::size_t>(list.selected - 1));
    }
    bool enabled(int control) const {
        const auto found = enabled_.find(control);
        return found == enabled_.end() || found->second;
    }
    int templateId() const { return templateId_; }

  private:
    struct List {
        std::vector<std::string> items;
        int selected = 0;
    };
    void raise(int control, DialogEvent event) {
        const auto found = handlers_.find(control);
        if (found != handlers_.end()) found->second(*this, control, event);
    }

    FakeWindowServices& services_;
    int templateId_;
    std::map<int, List> lists_;
    std::map<int, std::string> texts_;
    std::map<int, bool> enabled_;
    std::map<int, DialogHandler> handlers_;
};

struct Message {
    std::string text;
    std::string title;
    MessageIcon icon;
};

// One showing of a dialog: the template expected and what the user does; returns the
// button that ends the showing.
struct Answer {
    int templateId;
    std::function<int(FakeDialog&)> act;
};

class FakeWindowServices final : public WindowServices {
  public:
    std::unique_ptr<Dialog> loadDialog(int templateId) override {
        if (missingTemplates.contains(templateId)) return nullptr;
        return std::make_unique<FakeDialog>(*this, templateId);
    }
    void messageBox(const std::string& text, const std::string& title, MessageIcon icon) override {
        messages.push_back({text, title, icon});
    }
    void writeLine(const std::string& line) override { lines.push_back(line); }
    void endProcess(ExitCode exitCode) override { exitCodes.push_back(exitCode); }
    std::optional<std::string> fileDialog(const FileDialogRequest& request) override {
        requests.push_back(request);
        return chosenPath;
    }

    // Runs the next answer; a showing nobody answered counts as cancelled and is recorded.
    int answer(FakeDialog& dialog) {
        if (answers.empty() || answers.front().templateId != dialog.templateId()) {
            unexpectedShowings.push_back(dialog.templateId());
            return BUTTON_CANCEL;
        }
        auto next = std::move(answers.front());
        answers.pop_front();
        return next.act(dialog);
    }

    std::deque<Answer> answers;
    std::set<int> missingTemplates;
    std::optional<std::string> chosenPath;
    std::vector<Message> messages;
    std::vector<std::string> lines;
    std::vector<ExitCode> exitCodes;
    std::vector<FileDialogRequest> requests;
    std::vector<int> unexpectedShowings;
};

inline int FakeDialog::showModal() {
    return services_.answer(*this);
}

}  // namespace sheetbasis::ui::testing
