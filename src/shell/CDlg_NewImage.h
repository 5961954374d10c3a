#pragma once
// The new-picture dialog: width and height 1..5000, name, background and picture type.
#include <QDialog>

#include "shell/DocumentSession.h"

class QComboBox;
class QLineEdit;
class QSpinBox;

namespace quillory {

class CDlg_NewImage : public QDialog {
    Q_OBJECT
public:
    CDlg_NewImage(const NewPictureSettings& initial, QWidget* parent = nullptr);
    NewPictureSettings settings() const;

    QSpinBox* widthField() const { return m_width; }
    QSpinBox* heightField() const { return m_height; }
    QLineEdit* nameField() const { return m_name; }
    QComboBox* backgroundList() const { return m_background; }

private:
    QSpinBox* m_width;
    QSpinBox* m_height;
    QLineEdit* m_name;
    QComboBox* m_background;
    QComboBox* m_type;
    NewPictureSettings m_initial;
};

}  // namespace quillory
