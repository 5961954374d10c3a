#pragma once
// The analysis environment dialog "작업 환경 설정" with four tabs: the measuring
// tools (three colours, line width, label size and face, decimals, labels shown,
// point-mark style), the grid, how transparent pixels are shown, and the cursor
// with the selection tone and redrawing all figures after each added one. The
// dialog only collects the choices; Apply hands them over.
#include <QDialog>
#include <functional>
#include <optional>

#include "measure/MeasureSettings.h"
#include "shell/EnvSettings.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QSpinBox;
class QTabWidget;
class QToolButton;

namespace quillory {

class CDlg_Mic_Env : public QDialog {
    Q_OBJECT
public:
    // Asks for a colour starting at `current` (platform colours: red in the low byte).
    using ColourChooser = std::function<std::optional<uint32_t>(uint32_t current)>;

    CDlg_Mic_Env(const MeasureSettings& measure, const EnvSettings& env, bool redrawOnAdd, ColourChooser chooser,
                 QWidget* parent = nullptr);
    void Apply(MeasureSettings& measure, EnvSettings& env, bool& redrawOnAdd) const;

    // The face list: `names` in ascending order (equal names keep their order).
    static QStringList SortedFaces(const std::vector<std::string>& names);

    QTabWidget* tabs() const { return m_tabs; }
    QToolButton* lineColourButton() const { return m_colourButtons[0]; }
    QComboBox* lineWidths() const { return m_lineWidth; }
    QComboBox* fontSizes() const { return m_fontSize; }
    QComboBox* faces() const { return m_face; }
    QButtonGroup* markStyles() const { return m_markStyle; }

private:
    QWidget* ToolsPage(const MeasureSettings& measure);
    QWidget* GridPage(const EnvSettings& env);
    QWidget* TransparencyPage(const EnvSettings& env);
    QWidget* CursorPage(const EnvSettings& env, bool redrawOnAdd);
    QToolButton* ColourButton(uint32_t& value, const char* label, QWidget* parent);

    ColourChooser m_chooser;
    QTabWidget* m_tabs = nullptr;
    uint32_t m_colours[3] = {0, 0, 0};  // line, select, text
    uint32_t m_gridColour = 0;
    QToolButton* m_colourButtons[3] = {nullptr, nullptr, nullptr};
    QComboBox* m_lineWidth = nullptr;
    QComboBox* m_fontSize = nullptr;
    QComboBox* m_face = nullptr;
    QButtonGroup* m_decimals = nullptr;
    QCheckBox* m_showLabels = nullptr;
    QButtonGroup* m_markStyle = nullptr;
    QSpinBox* m_gridSpacing = nullptr;
    QButtonGroup* m_transparency = nullptr;
    QButtonGroup* m_cursor = nullptr;
    QCheckBox* m_selectionTone = nullptr;
    QCheckBox* m_redrawOnAdd = nullptr;
};

}  // namespace quillory
