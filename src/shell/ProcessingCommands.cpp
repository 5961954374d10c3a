#include "shell/ProcessingCommands.h"

#include "core/CommandIds.h"
#include "document/AdjustmentCommands.h"
#include "document/FilterPreview.h"
#include "processing/FilterCatalogue.h"
#include "processing/AdjustTexts.h"
#include "processing/BinaryConversion.h"
#include "shell/CDlg_BrigCont.h"
#include "shell/CDlg_Histogram.h"
#include "shell/CDlg_RGBColor.h"
#include "shell/CMainFrame.h"
#include "shell/CVandView.h"
#include "shell/DlgBar_Thrs.h"

namespace quillory {

ThrsSetup BinaryConversionSetup() {
    ThrsSetup setup;
    setup.filterName = QString::fromUtf8(texts::kBinaryFilterName);
    for (int m = 0; m < kBinaryMethods; ++m) setup.methods << QString::fromUtf8(FindBinaryMethod(m)->name);
    setup.sliders = [](int method) {
        ThrsSliders sliders;
        if (const BinaryMethodInfo* info = FindBinaryMethod(method))
            sliders[0] = ThrsSlider{QString::fromUtf8(info->sliderLabel), info->minimum, info->maximum, info->initial, true};
        return sliders;
    };
    setup.parameters = [](int method, const std::array<int, 3>& values) {
        CommandParameters p;
        p.Set("method", std::to_string(method));
        p.Set("threshold", std::to_string(values[0]));
        return p;
    };
    return setup;
}

ThrsSetup FilterSetup(const QString& filterName) {
    ThrsSetup setup;
    setup.filterName = filterName;
    const FilterParameterSet set = ParameterSetOf(filterName.toStdString());
    setup.sliders = [set](int) {
        ThrsSliders sliders;
        for (int i = 0; i < 3; ++i) {
            const FilterSlider& s = set.sliders[i];
            sliders[size_t(i)] = ThrsSlider{QString::fromUtf8(s.label), s.minimum, s.maximum, s.defaultValue, s.IsOn()};
        }
        return sliders;
    };
    setup.parameters = [](int, const std::array<int, 3>& values) {
        CommandParameters p;
        for (size_t i = 0; i < 3; ++i) p.Set("p" + std::to_string(i + 1), std::to_string(values[i]));
        return p;
    };
    return setup;
}

void ProcessingCommands::ChooseFilter(int index) {
    DlgBar_Thrs* bar = m_frame.filterBar();
    if (!bar || !m_frame.ActiveView()) return;
    bar->SetCurrentIndex(index);
    const QString name = bar->CurrentName();
    CDlg_Thrs dialog(FilterSetup(name), &m_frame);
    RunAdjustmentDialog(m_frame, FilterPreviewable(name.toStdString()), dialog);
}

bool ProcessingCommands::Run(int id, CAdjustDialog& dialog) {
    return RunAdjustmentDialog(m_frame, id, dialog);
}

bool ProcessingCommands::OnCommand(int id) {
    CVandView* view = m_frame.ActiveView();
    if (!view) return false;
    switch (id) {
        case cmd::kBrightnessContrast: {
            CDlg_BrigCont dialog(&m_frame);
            Run(id, dialog);
            return true;
        }
        case cmd::kRgbAdjust: {
            CDlg_RGBColor dialog(&m_frame);
            Run(id, dialog);
            return true;
        }
        case cmd::kLevels: {
            CVandDoc& doc = view->document().doc();
            CDlg_Histogram dialog(ComputeHistograms(doc, doc.CurrentLayer()), &m_frame);
            Run(id, dialog);
            return true;
        }
        case cmd::kBinary: {
            CDlg_Thrs dialog(BinaryConversionSetup(), &m_frame);
            Run(id, dialog);
            return true;
        }
        default: break;
    }
    const int filter = FilterIndexOfCommand(id);
    if (filter < 0) return false;
    ChooseFilter(filter);
    return true;
}

bool ProcessingCommands::OnUpdateCommand(int id, CommandState& state) {
    switch (id) {
        case cmd::kBrightnessContrast:
        case cmd::kRgbAdjust:
        case cmd::kLevels:
        case cmd::kBinary: state.enabled = m_frame.ActiveView() != nullptr; return true;
        default: break;
    }
    if (FilterIndexOfCommand(id) < 0) return false;
    state.enabled = m_frame.ActiveView() != nullptr;
    return true;
}

}  // namespace quillory
