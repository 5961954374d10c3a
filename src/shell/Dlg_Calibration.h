#pragma once
// The calibration dialog "측정기준설정": the unit, the reference vector in pixels
// and the length that vector has in the unit. "New Unit" resets the fields; the
// pick button closes the dialog with kPickReference so that the next drawn line
// segment becomes the reference. Entries that are no number read as 0.
#include <QDialog>

#include "measure/MeasureSettings.h"

class QComboBox;
class QLineEdit;
class QPushButton;

namespace quillory {

class Dlg_Calibration : public QDialog {
    Q_OBJECT
public:
    static constexpr int kPickReference = 2;  // the dialog's result after the pick button

    Dlg_Calibration(const MeasureSettings& settings, QWidget* parent = nullptr);
    // A reference picked from the picture: its pixel extents fill the vector.
    void SetPickedVector(int dx, int dy);
    // The entered values over `settings` (unit, vector, length, list selection).
    void Apply(MeasureSettings& settings) const;

    QComboBox* unitName() const { return m_unitName; }
    QComboBox* unitList() const { return m_unitList; }
    QLineEdit* pixelsX() const { return m_dx; }
    QLineEdit* pixelsY() const { return m_dy; }
    QLineEdit* thirdField() const { return m_third; }
    QLineEdit* length() const { return m_length; }
    QPushButton* resetButton() const { return m_reset; }
    QPushButton* pickButton() const { return m_pick; }

    // The integer (whole part) and floating values of entries; 0 for texts that are no number.
    static int WholeOf(const QString& text);
    static float FloatOf(const QString& text);

private:
    void Reset();

    QComboBox* m_unitName = nullptr;
    QComboBox* m_unitList = nullptr;
    QLineEdit* m_dx = nullptr;
    QLineEdit* m_dy = nullptr;
    QLineEdit* m_third = nullptr;
    QLineEdit* m_length = nullptr;
    QPushButton* m_reset = nullptr;
    QPushButton* m_pick = nullptr;
};

}  // namespace quillory
