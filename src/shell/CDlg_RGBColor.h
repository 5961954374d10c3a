#pragma once
// The colour dialog ("RGB색상조정"): the choice "RGB조정" or "HSL조정" (both shift red,
// green and blue) and three sliders, -99..+99, from 0.
#include "shell/DialogPreview.h"

class QRadioButton;

namespace quillory {

class SliderRow;

class CDlg_RGBColor : public CAdjustDialog {
    Q_OBJECT
public:
    explicit CDlg_RGBColor(QWidget* parent = nullptr);
    // red= green= blue=
    CommandParameters Parameters() const override;
    SliderRow* channel(int index) const { return m_channels[index]; }
    QRadioButton* rgbChoice() const { return m_rgb; }
    QRadioButton* hslChoice() const { return m_hsl; }

private:
    QRadioButton* m_rgb;
    QRadioButton* m_hsl;
    SliderRow* m_channels[3];
};

}  // namespace quillory
