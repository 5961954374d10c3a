#pragma once
// The layer effect dialog: the shadow's size as a number field and a 0..17 slider,
// the shadow colour swatch, and the two choices "투명그림자 효과" and "레이어 효과 제거".
// It only collects the settings; the document applies them.
#include <QColor>
#include <QDialog>

#include "document/ShadowEffect.h"

class QCheckBox;
class QSlider;
class QSpinBox;
class QToolButton;

namespace quillory {

class CDlg_LayerEffect : public QDialog {
    Q_OBJECT
public:
    CDlg_LayerEffect(const ShadowSettings& initial, QWidget* parent = nullptr);

    ShadowSettings settings() const;

    QSpinBox* sizeField() const { return m_size; }
    QSlider* sizeSlider() const { return m_slider; }
    QToolButton* colourSwatch() const { return m_swatch; }
    QCheckBox* shadowOnlyBox() const { return m_shadowOnly; }
    QCheckBox* removeBox() const { return m_remove; }
    QColor colour() const { return m_colour; }
    void SetColour(const QColor& colour);

private:
    QSpinBox* m_size = nullptr;
    QSlider* m_slider = nullptr;
    QToolButton* m_swatch = nullptr;
    QCheckBox* m_shadowOnly = nullptr;
    QCheckBox* m_remove = nullptr;
    QColor m_colour;
};

// RGBQUAD order in the low three bytes (blue lowest) to a colour and back.
QColor QuadToColour(int32_t quad);
int32_t ColourToQuad(const QColor& colour);

}  // namespace quillory
