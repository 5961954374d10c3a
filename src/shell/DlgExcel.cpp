#include "shell/DlgExcel.h"

#include <QDir>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "measure/MeasureExport.h"
#include "measure/MeasureTexts.h"
#include "shell/Utf8Text.h"

namespace quillory {

DlgExcel::DlgExcel(CVandDoc& document, const QString& programDir, QWidget* parent)
    : QDialog(parent), m_document(document), m_programDir(programDir) {
    setObjectName("DlgExcel");
    setWindowTitle(Text(mtexts::kExcelTitle));
    m_path = new QLineEdit(QDir(programDir).filePath(Text(mtexts::kWorkbookFile)), this);
    m_path->setMinimumWidth(320);
    m_sheets = new QListWidget(this);
    WorkbookExport options;
    for (const std::string& name : WorkbookSheets(options)) m_sheets->addItem(QString::fromStdString(name));
    m_sheets->setCurrentRow(0);
    m_sheets->setMaximumHeight(80);
    m_convert = new QPushButton(Text(mtexts::kExcelConvert), this);
    m_text = new QPushButton(Text(mtexts::kExcelTextExport), this);
    auto* close = new QPushButton(Text(mtexts::kExcelClose), this);
    connect(m_convert, &QPushButton::clicked, this, &DlgExcel::Convert);
    connect(m_text, &QPushButton::clicked, this, &DlgExcel::ExportText);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_convert);
    buttons->addWidget(m_text);
    buttons->addStretch(1);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_path);
    layout->addWidget(m_sheets);
    layout->addLayout(buttons);
}

void DlgExcel::Convert() {
    WorkbookExport options;
    options.workbookPath = m_path->text().trimmed().toStdString();
    if (QListWidgetItem* sheet = m_sheets->currentItem()) options.sheetName = sheet->text().toStdString();
    options.pictureFolder = m_programDir.toStdString();
    m_exported = ExportWorkbook(m_document, options);
}

void DlgExcel::ExportText() { m_exported = ExportMeasureText(m_document, m_programDir.toStdString()); }

}  // namespace quillory
