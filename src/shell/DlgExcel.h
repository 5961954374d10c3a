#pragma once
// The spreadsheet export dialog "엑셀로 변환": the workbook's path (starting in the
// picture's folder, with a button to choose another), the list of its sheets (the
// one chosen receives the table), the button that writes the workbook with the
// picture and opens it, the text export into the workbook's folder and closing.
// Each export names the file it wrote, or shows why it could not.
#include <QDialog>
#include <string>

class QLineEdit;
class QListWidget;
class QPushButton;

namespace quillory {

class CVandDoc;

class DlgExcel : public QDialog {
    Q_OBJECT
public:
    // `programDir` keeps the picture put into the workbook; the workbook starts in `exportFolder`.
    DlgExcel(CVandDoc& document, const QString& programDir, const QString& exportFolder, QWidget* parent = nullptr);

    QLineEdit* path() const { return m_path; }
    QListWidget* sheets() const { return m_sheets; }
    QPushButton* convertButton() const { return m_convert; }
    QPushButton* textButton() const { return m_text; }
    QPushButton* browseButton() const { return m_browse; }
    // Whether the last export wrote its file.
    bool exported() const { return m_exported; }

private:
    void Browse();
    void Convert();
    void ExportText();

    CVandDoc& m_document;
    QString m_programDir;
    QLineEdit* m_path = nullptr;
    QListWidget* m_sheets = nullptr;
    QPushButton* m_convert = nullptr;
    QPushButton* m_text = nullptr;
    QPushButton* m_browse = nullptr;
    bool m_exported = false;
};

}  // namespace quillory
