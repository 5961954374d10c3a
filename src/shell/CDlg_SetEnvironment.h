#pragma once
// The general environment dialog: grid, cursor, point marks, transparency
// display and the start-up choices of the environment settings.
#include <QDialog>

#include "shell/EnvSettings.h"

class QCheckBox;
class QComboBox;
class QSpinBox;
class QToolButton;

namespace quillory {

class CDlg_SetEnvironment : public QDialog {
    Q_OBJECT
public:
    CDlg_SetEnvironment(const EnvSettings& env, QWidget* parent = nullptr);
    // The settings with the dialog's values (the grid keeps its shown or hidden state).
    EnvSettings Apply(EnvSettings env) const;

    QSpinBox* gridSpacingField() const { return m_gridSpacing; }
    QComboBox* pointStyleField() const { return m_pointStyle; }
    QComboBox* transparencyField() const { return m_transparency; }
    QCheckBox* checkUpdatesField() const { return m_checkUpdates; }

private:
    QSpinBox* m_gridSpacing;
    QToolButton* m_gridColour;
    int32_t m_gridColourValue;
    QComboBox* m_cursor;
    QComboBox* m_pointStyle;
    QComboBox* m_transparency;
    QCheckBox* m_openAtStart;
    QCheckBox* m_checkUpdates;
};

}  // namespace quillory
