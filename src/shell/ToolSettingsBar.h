#pragma once
// The tool settings beside the colours and the brush size in the main frame's
// first dialog bar: the soft-brush option and the two tool sliders, whose
// labels, ranges and start values each tool sets when it is chosen.
#include <QWidget>

#include "view/tools/PaintTools.h"

class QCheckBox;
class QLabel;
class QSlider;

namespace quillory {

class ToolSettingsBar : public QWidget {
    Q_OBJECT
public:
    explicit ToolSettingsBar(QWidget* parent = nullptr);

    // Sets both sliders as a tool wants them; disabled ones keep their value.
    void Apply(const ToolSliders& sliders);
    int toolValue1() const;
    int toolValue2() const;
    int softBrush() const;

Q_SIGNALS:
    // The second slider was released (the colour range and the fill read it again).
    void valuesChanged();

private:
    struct Row {
        QLabel* label = nullptr;
        QSlider* slider = nullptr;
        QLabel* value = nullptr;
    };
    Row MakeRow(const char* objectName);
    void ApplyRow(Row& row, const SliderSetup& setup);

    QCheckBox* m_soft = nullptr;
    Row m_first, m_second;
};

}  // namespace quillory
