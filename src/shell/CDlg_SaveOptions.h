#pragma once
// The small dialog after a save's file name is chosen, for the formats that take
// options: JPEG quality, TIFF compression, PNG compression level, WebP quality and
// lossless coding. It starts at the last choice and only collects the values.
#include <QDialog>

#include "core/SaveOptions.h"

class QCheckBox;
class QComboBox;
class QFormLayout;
class QSlider;
class QSpinBox;

namespace quillory {

class CDlg_SaveOptions : public QDialog {
    Q_OBJECT
public:
    CDlg_SaveOptions(int formatType, const SaveOptions& start, QWidget* parent = nullptr);
    // The start values with this format's ones as the widgets hold them.
    SaveOptions Options() const;

    // Shows the dialog when the format takes options; false when the user cancels.
    static bool Ask(QWidget* parent, int formatType, SaveOptions& options);

    QSpinBox* qualityBox() const { return m_quality; }
    QSlider* qualitySlider() const { return m_qualitySlider; }
    QComboBox* compressionBox() const { return m_compression; }
    QSpinBox* levelBox() const { return m_level; }
    QCheckBox* losslessBox() const { return m_lossless; }

private:
    // A spin box and a slider that follow each other.
    QSpinBox* AddNumberRow(QFormLayout* form, const char* label, const char* hint, int low, int high,
                           int value, QSlider** slider);

    int m_format;
    SaveOptions m_start;
    QSpinBox* m_quality = nullptr;
    QSlider* m_qualitySlider = nullptr;
    QComboBox* m_compression = nullptr;
    QSpinBox* m_level = nullptr;
    QCheckBox* m_lossless = nullptr;
};

}  // namespace quillory
