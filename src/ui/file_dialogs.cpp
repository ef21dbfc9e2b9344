#include "ui/file_dialogs.h"

#include <FL/Fl.H>
#include <FL/Fl_Choice.H>
#include <FL/Fl_File_Browser.H>
#include <FL/Fl_File_Chooser.H>
#include <FL/Fl_File_Input.H>
#include <FL/Fl_Return_Button.H>
#include <FL/Fl_Window.H>
#include <FL/filename.H>

#include <memory>
#include <vector>

#include "base/typed_path.h"
#include "palette/file_formats.h"
#include "platform/file_name_rules.h"
#include "platform/window_colormap.h"
#include "ui/fltk_preferences.h"
#include "ui/question_box.h"

namespace vexa {
namespace {

// The folder of the last accepted name: the next dialog opens there.
std::string& lastFolder() {
    static std::string folder;
    return folder;
}

template <typename W>
W* findWidget(Fl_Group& group) {
    for (int i = 0; i < group.children(); ++i) {
        Fl_Widget* child = group.child(i);
        if (auto* found = dynamic_cast<W*>(child)) return found;
        if (auto* inner = child->as_group()) {
            if (W* found = findWidget<W>(*inner)) return found;
        }
    }
    return nullptr;
}

// FLTK matches "*.{a,b}" but not the "*.a;*.b" of a filter that lists several extensions:
// the pattern of the chosen filter, with such a list in FLTK's form.
std::string matchPattern(const std::string& label) {
    const std::size_t open = label.find('('), close = label.rfind(')');
    if (open == std::string::npos || close == std::string::npos || close < open) return label;
    const std::string pattern = label.substr(open + 1, close - open - 1);
    if (pattern.find(';') == std::string::npos) return pattern;
    std::string alternatives;
    for (std::size_t at = 0; at <= pattern.size();) {
        std::size_t end = pattern.find(';', at);
        if (end == std::string::npos) end = pattern.size();
        const std::string one = pattern.substr(at, end - at);
        if (one.rfind("*.", 0) != 0) return pattern;
        alternatives += (alternatives.empty() ? "" : ",") + one.substr(2);
        at = end + 1;
    }
    return "*.{" + alternatives + "}";
}

// The chooser's own handling of a filter choice, then the pattern in a form FLTK matches.
// The file list keeps a pointer to its pattern, not a copy: `pattern` holds it for as long
// as the dialog lives, through every later rescan.
struct FilterChoice {
    Fl_Callback* chooserCallback = nullptr;
    void* chooserData = nullptr;
    Fl_File_Chooser* chooser = nullptr;
    Fl_File_Browser* list = nullptr;
    std::string pattern;

    static void chosen(Fl_Widget* widget, void* data) {
        auto& self = *static_cast<FilterChoice*>(data);
        self.chooserCallback(widget, self.chooserData);
        const char* label = static_cast<Fl_Choice*>(widget)->text();
        if (!label || !self.list) return;
        std::string pattern = matchPattern(label);
        if (self.list->filter() && pattern == self.list->filter()) return;
        self.pattern = std::move(pattern);
        self.list->filter(self.pattern.c_str());
        if (self.chooser->directory()) self.list->load(self.chooser->directory());
    }
};

// FLTK adds "All Files (*)" and "Custom Filter" to the filters of every chooser; Vexa's
// dialogs offer only their own.
void keepOnlyFilters(Fl_Group& window, Fl_File_Chooser& chooser, int count,
                     FilterChoice& filterChoice) {
    auto* choice = findWidget<Fl_Choice>(window);
    if (!choice) return;
    while (choice->size() - 1 > count) choice->remove(choice->size() - 2);
    filterChoice = {
        choice->callback(), choice->user_data(), &chooser, findWidget<Fl_File_Browser>(window), {}};
    choice->callback(FilterChoice::chosen, &filterChoice);
    // The first filter, as if chosen, so that a list of extensions in it matches too.
    choice->value(0);
    FilterChoice::chosen(choice, &filterChoice);
}

void nameFieldChanged(Fl_Widget* widget, void* data) {
    auto* field = static_cast<Fl_Input*>(widget);
    auto* ok = static_cast<Fl_Widget*>(data);
    const bool empty = field->size() == 0;
    if (empty) {
        ok->deactivate();
    } else {
        ok->activate();
    }
    if (!empty && Fl::event() == FL_KEYBOARD &&
        (Fl::event_key() == FL_Enter || Fl::event_key() == FL_KP_Enter)) {
        ok->do_callback();
    }
}

// FLTK's name field rewrites what is typed into an absolute path and completes folder
// names after every key, which scrambles a name typed over the selected initial name.
// Vexa's field takes the text as typed; Enter accepts it like OK.
void plainNameField(Fl_Group& window) {
    auto* field = findWidget<Fl_File_Input>(window);
    auto* ok = findWidget<Fl_Return_Button>(window);
    if (!field || !ok) return;
    field->when(FL_WHEN_CHANGED | FL_WHEN_ENTER_KEY_ALWAYS);
    field->callback(nameFieldChanged, ok);
}

// The name field holds the name alone; the folder is the chooser's directory, whose
// files its list shows.
void setNameField(Fl_Group& window, const std::string& name) {
    auto* field = findWidget<Fl_File_Input>(window);
    auto* ok = findWidget<Fl_Return_Button>(window);
    if (!field || !ok) return;
    field->value(name.c_str());
    field->position(0, field->size());
    if (field->size() == 0)
        ok->deactivate();
    else
        ok->activate();
}

// "<label> (*.a;*.b)" of the formats in `filter`, in the table's order.
std::string openFilter(const char* label, OpenFilter filter) {
    std::string patterns;
    for (const FileFormat& format : fileFormats())
        if (format.openFilter == filter && !format.extension.empty())
            patterns.append(patterns.empty() ? "*." : ";*.").append(format.extension);
    return std::string(label) + " (" + patterns + ")";
}

std::optional<std::string> runDialog(const char* title, const std::vector<std::string>& filters,
                                     int type, const char* initialName, bool saving) {
    const char* folder = lastFolder().empty() ? "." : lastFolder().c_str();
    std::string filterText;
    for (const std::string& filter : filters)
        filterText += (filterText.empty() ? "" : "\t") + filter;
    const auto owned = withoutFltkUserPreferences(
        [&] { return std::make_unique<Fl_File_Chooser>(folder, filterText.c_str(), type, title); });
    Fl_File_Chooser& chooser = *owned;
    Fl_Group& window = *chooser.newButton->window();
    // A bitmap has no text to preview: the preview would show its first bytes as text.
    chooser.preview(0);
    chooser.previewButton->hide();
    FilterChoice filterChoice;
    keepOnlyFilters(window, chooser, static_cast<int>(filters.size()), filterChoice);
    plainNameField(window);
    std::string name = initialName ? initialName : "";
    for (;;) {
        prepareWindowColormap();
        chooser.show();
        // Showing rescans the folder and puts the folder's path into an empty name field.
        setNameField(window, name);
        while (chooser.shown()) Fl::wait();
        const char* value = chooser.value();
        if (!value || !*value) return std::nullopt;
        name = value;
        const std::string chosen =
            typedNameToPath(value, chooser.directory() ? chooser.directory() : ".");
        DialogDecision decision = saving
                                      ? decideSaveName(chosen, kDefaultExtension, probeFileSystem)
                                      : decideOpenName(chosen, kDefaultExtension, probeFileSystem);
        switch (decision.step) {
            case DialogStep::accept:
                lastFolder() = folderOf(decision.path);
                return decision.path;
            case DialogStep::askReplace:
            case DialogStep::askCreate:
                if (askYesNo(title, dialogQuestionText(decision))) {
                    lastFolder() = folderOf(decision.path);
                    return decision.path;
                }
                break;
            case DialogStep::enterFolder:
                chooser.directory(decision.path.c_str());
                name.clear();
                break;
            case DialogStep::refuseNoFolder:
            case DialogStep::refuseNoFile:
            case DialogStep::refuseEmpty:
                showNotice(title, dialogQuestionText(decision));
                break;
            case DialogStep::refuseInvalidPath:
                // The name as typed: the path made of it may be too long to read anyway.
                decision.path = name;
                showNotice(title, dialogQuestionText(decision));
                break;
        }
    }
}

}  // namespace

std::optional<std::string> runSaveAsDialog() {
    std::vector<std::string> filters;
    for (const FileFormat& format : fileFormats())
        if (format.encode && !format.label.empty())
            filters.push_back(std::string(format.label) + " (*." + std::string(format.extension) +
                              ")");
    return runDialog("Save As", filters, Fl_File_Chooser::CREATE, "SysPal", true);
}

std::optional<std::string> runOpenDialog() {
    // Open recognises a file by its content: "All files" reaches one of another name.
    return runDialog("Open",
                     {openFilter("Images", OpenFilter::images),
                      openFilter("Palette files", OpenFilter::paletteFiles), "All files (*)"},
                     Fl_File_Chooser::SINGLE, nullptr, false);
}

}  // namespace vexa
