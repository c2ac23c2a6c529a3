#include "plot/frm_save_plot_model.h"

#include <string_view>

namespace ostrino {

FrmSavePlotModel::FrmSavePlotModel(Canvas& canvas, Dialogs& dialogs)
    : canvas_(canvas), dialogs_(dialogs) {}

std::string FrmSavePlotModel::fileNameFromTitle(const std::string& txtTitle) {
    constexpr std::string_view kForbidden = "/\\:*?\"<>|";
    std::string name = txtTitle;
    for (char& c : name) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7F || kForbidden.find(c) != std::string_view::npos) {
            c = '_';
        }
    }
    return name + ".bmp";
}

void FrmSavePlotModel::load(const std::string& txtTitle) {
    defaultName_ = fileNameFromTitle(txtTitle);
    lblFileName = "Save As:  " + defaultName_;
    visible = true;
}

bool FrmSavePlotModel::save(const std::string& path) {
    std::string reason;
    if (!canvas_.saveBitmap(path, reason)) {
        dialogs_.message("The plot could not be saved as \"" + path + "\": " + reason);
        return false;
    }
    visible = false;
    return true;
}

bool FrmSavePlotModel::cmdSavePlot2_Click() {
    return save(defaultName_);
}

bool FrmSavePlotModel::cmdSavePlot1_Click() {
    const std::string name =
        dialogs_.chooseFile(saveFileRequest("bitmap (*.bmp)|*.bmp", "Save Plot"));
    if (name.empty()) {
        return false;
    }
    return save(name);
}

}  // namespace ostrino
