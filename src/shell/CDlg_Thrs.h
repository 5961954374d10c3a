#pragma once
// The filter dialog: up to three sliders described by the filter's parameters,
// each labelled "%s(%d‥%d)" with its range, an optional method list (the binary
// conversion's "FS 디더링", "OR 디더링", "절대변환"), and the preview of the filter
// with the current values at every chosen value. The sliders start at their
// defaults each time; a default below a slider's minimum is passed on unchanged
// until that slider is moved.
#include <QString>
#include <QStringList>
#include <array>
#include <functional>

#include "shell/DialogPreview.h"

class QComboBox;

namespace quillory {

class SliderRow;

struct ThrsSlider {
    QString label;
    int minimum = 0;
    int maximum = 0;
    int initial = -1;
    bool enabled = false;  // off: slider, edit box and label are disabled
};
using ThrsSliders = std::array<ThrsSlider, 3>;

struct ThrsSetup {
    QString filterName;
    QStringList methods;  // empty: no method list
    // The sliders of a method (method 0 when there is no list).
    std::function<ThrsSliders(int method)> sliders;
    // The command parameters of a method and the three values p1, p2, p3.
    std::function<CommandParameters(int method, const std::array<int, 3>& values)> parameters;
};

class CDlg_Thrs : public CAdjustDialog {
    Q_OBJECT
public:
    explicit CDlg_Thrs(ThrsSetup setup, QWidget* parent = nullptr);
    CommandParameters Parameters() const override;

    int method() const;
    std::array<int, 3> values() const;
    SliderRow* row(int index) const { return m_rows[index]; }
    QComboBox* methodList() const { return m_methods; }

    // "%s(%d‥%d)"
    static QString SliderLabel(const ThrsSlider& slider);

private:
    void ShowSliders(const ThrsSliders& sliders);
    ThrsSetup m_setup;
    ThrsSliders m_sliders;
    std::array<bool, 3> m_moved{};
    QComboBox* m_methods = nullptr;
    SliderRow* m_rows[3];
};

}  // namespace quillory
