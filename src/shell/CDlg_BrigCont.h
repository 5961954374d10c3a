#pragma once
// The brightness and contrast dialog ("명도·대비"): two sliders, -255..+255, from 0.
#include "shell/DialogPreview.h"

namespace quillory {

class SliderRow;

class CDlg_BrigCont : public CAdjustDialog {
    Q_OBJECT
public:
    explicit CDlg_BrigCont(QWidget* parent = nullptr);
    // brightness= contrast=
    CommandParameters Parameters() const override;
    SliderRow* brightness() const { return m_brightness; }
    SliderRow* contrast() const { return m_contrast; }

private:
    SliderRow* m_brightness;
    SliderRow* m_contrast;
};

}  // namespace quillory
