#pragma once
// The start-up picture: shown modally, it closes itself after 700 ms.
#include <QDialog>

namespace quillory {

inline constexpr int kStartupPictureMs = 700;

class CInitDlg : public QDialog {
    Q_OBJECT
public:
    explicit CInitDlg(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage m_picture;
};

}  // namespace quillory
