#pragma once
// The picture size dialog ("그림크기조정"): the new width and height, in pixels
// or in percent of the present size. It only collects the values.
#include <QDialog>

#include "document/CommandRegistry.h"

class QRadioButton;
class QSpinBox;

namespace quillory {

class CDlg_ImageSize : public QDialog {
    Q_OBJECT
public:
    CDlg_ImageSize(int width, int height, QWidget* parent = nullptr);
    // width, height and unit ("pixel" or "percent") for the registered command.
    CommandParameters Parameters() const;
    QSpinBox* widthBox() const { return m_width; }
    QSpinBox* heightBox() const { return m_height; }
    QRadioButton* percentButton() const { return m_percent; }

private:
    void ShowUnit(bool percent);
    int m_startW, m_startH;
    QSpinBox* m_width;
    QSpinBox* m_height;
    QRadioButton* m_pixels;
    QRadioButton* m_percent;
};

}  // namespace quillory
