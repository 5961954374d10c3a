#include "shell/DlgExcel.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/Platform.h"
#include "measure/MeasureExport.h"
#include "measure/MeasureTexts.h"
#include "shell/SaveFailure.h"
#include "shell/Utf8Text.h"

namespace quillory {

DlgExcel::DlgExcel(CVandDoc& document, const QString& programDir, const QString& exportFolder, QWidget* parent)
    : QDialog(parent), m_document(document), m_programDir(programDir) {
    setObjectName("DlgExcel");
    setWindowTitle(Text(mtexts::kExcelTitle));
    m_path = new QLineEdit(QDir::toNativeSeparators(QDir(exportFolder).filePath(Text(mtexts::kWorkbookFile))), this);
    m_path->setMinimumWidth(320);
    m_browse = new QPushButton(Text(mtexts::kExcelBrowse), this);
    m_browse->setObjectName("browse");
    m_browse->setAutoDefault(false);
    m_sheets = new QListWidget(this);
    WorkbookExport options;
    for (const std::string& name : WorkbookSheets(options)) m_sheets->addItem(QString::fromStdString(name));
    m_sheets->setCurrentRow(0);
    m_sheets->setMaximumHeight(80);
    m_convert = new QPushButton(Text(mtexts::kExcelConvert), this);
    m_text = new QPushButton(Text(mtexts::kExcelTextExport), this);
    auto* close = new QPushButton(Text(mtexts::kExcelClose), this);
    connect(m_browse, &QPushButton::clicked, this, &DlgExcel::Browse);
    connect(m_convert, &QPushButton::clicked, this, &DlgExcel::Convert);
    connect(m_text, &QPushButton::clicked, this, &DlgExcel::ExportText);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    auto* pathRow = new QHBoxLayout;
    pathRow->addWidget(m_path, 1);
    pathRow->addWidget(m_browse);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_convert);
    buttons->addWidget(m_text);
    buttons->addStretch(1);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(pathRow);
    layout->addWidget(m_sheets);
    layout->addLayout(buttons);
}

void DlgExcel::Browse() {
    const QString current = m_path->text().trimmed();
    // The export asks itself before it replaces a workbook.
    const QString chosen =
        QFileDialog::getSaveFileName(this, Text(mtexts::kExcelTitle), current, Text(mtexts::kWorkbookFilter), nullptr,
                                     QFileDialog::DontConfirmOverwrite | QFileDialog::DontUseNativeDialog);
    if (chosen.isEmpty()) return;
    m_path->setText(QDir::toNativeSeparators(QFileInfo(chosen).suffix().isEmpty() ? chosen + ".xlsx" : chosen));
}

void DlgExcel::Convert() {
    m_exported = false;
    if (m_path->text().trimmed().isEmpty()) {
        CurrentPlatform().ShowMessage(mtexts::kWorkbookWriteFailed, MessageKind::Warning);
        return;
    }
    const QString path = QFileInfo(m_path->text().trimmed()).absoluteFilePath();
    WorkbookExport options;
    options.workbookPath = QDir::fromNativeSeparators(path).toStdString();
    if (QListWidgetItem* sheet = m_sheets->currentItem()) options.sheetName = sheet->text().toStdString();
    options.pictureFolder = m_programDir.toStdString();
    // The export shows its own failures. Once the user knows where the workbook is, the
    // desktop's program opens it.
    options.openAfterwards = false;
    m_exported = ExportWorkbook(m_document, options);
    if (!m_exported) return;
    Platform& platform = CurrentPlatform();
    platform.ShowMessage(std::string(mtexts::kWorkbookSaved) + "\n" + QDir::toNativeSeparators(path).toStdString(),
                         MessageKind::Information);
    if (!platform.OpenWithDefaultApplication(options.workbookPath))
        platform.ShowMessage(mtexts::kWorkbookOpenFailed, MessageKind::Warning);
}

void DlgExcel::ExportText() {
    // Beside the workbook, where the user looks for the export.
    const QString folder = QFileInfo(m_path->text().trimmed()).absolutePath();
    std::string error;
    m_exported = ExportMeasureText(m_document, folder.toStdString(), &error);
    if (!m_exported) ShowSaveFailure(QDir(folder).filePath(Text(mtexts::kMeasureTextFile)), error);
}

}  // namespace quillory
