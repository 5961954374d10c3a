#include "shell/Dlg_QvxFile.h"

#include <QFileInfo>
#include <QGridLayout>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QVBoxLayout>
#include <algorithm>

#include "core/FormatCodes.h"
#include "document/QvxFormat.h"
#include "document/DocumentTexts.h"
#include "shell/PageChooser.h"
#include "shell/ShellTexts.h"

namespace quillory {

QStringList FileTypeFilters(bool forSave, QList<int>* formats) {
    QStringList filters;
    for (const FileTypeRow& row : FileTypeTable()) {
        if (forSave ? !row.save : !row.open) continue;
        QString patterns = QString::fromUtf8(row.patterns);
        patterns.replace(';', ' ');
        filters.append(QString("%1 (%2)").arg(QString::fromUtf8(row.name), patterns));
        if (formats) formats->append(row.formatId);
    }
    filters.append("All Files (*)");
    if (formats) formats->append(-1);
    return filters;
}

namespace {

QString PatternsOfFilter(const QString& filter) {
    const int open = filter.lastIndexOf('('), close = filter.lastIndexOf(')');
    if (open < 0 || close <= open) return {};
    return filter.mid(open + 1, close - open - 1).replace(' ', ';');
}

bool ReadQvxFlat(const std::string& path, NyZazo& flat) {
    QvxPreview preview;
    std::string error;
    if (!LoadQvxPreview(path, preview, error) || !preview.picture.bits) return false;
    flat.Copy(preview.picture, true);
    return flat.bits != nullptr;
}

// A new file type replaces the extension of the typed name.
void ReplaceExtensionOnTypeChange(QFileDialog& dialog) {
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog](const QString& filter) {
        auto* edit = dialog.findChild<QLineEdit*>("fileNameEdit");
        if (!edit || edit->text().isEmpty()) return;
        const std::string ext = PatternExtension(PatternsOfFilter(filter).toStdString());
        edit->setText(QString::fromStdString(ReplaceTypedExtension(edit->text().toStdString(), ext)));
    });
}

}  // namespace

Dlg_QvxFile::Dlg_QvxFile(QWidget* parent, const QString& folder) : QFileDialog(parent) {
    setOption(QFileDialog::DontUseNativeDialog, true);
    setFileMode(QFileDialog::ExistingFiles);
    setAcceptMode(QFileDialog::AcceptOpen);
    if (!folder.isEmpty()) setDirectory(folder);
    const QStringList filters = FileTypeFilters(false);
    setNameFilters(filters);
    // The row of all picture types is the usual choice.
    for (const QString& f : filters)
        if (f.startsWith(QString::fromUtf8("모든그림형식"))) selectNameFilter(f);
    m_preview.SetQvxReader(ReadQvxFlat);

    auto* panel = new QWidget(this);
    auto* column = new QVBoxLayout(panel);
    column->addWidget(new QLabel(QString::fromUtf8(shelltexts::kPreviewTitle), panel));
    m_picture = new QLabel(panel);
    m_picture->setFixedSize(kPreviewAreaWidth, kPreviewAreaHeight);
    m_picture->setAlignment(Qt::AlignCenter);
    m_picture->setFrameShape(QFrame::StyledPanel);
    m_caption = new QLabel(panel);
    column->addWidget(m_picture);
    column->addWidget(m_caption);
    m_pages = new PageChooser(m_picture, m_caption, panel);
    column->addWidget(m_pages);
    column->addStretch();
    if (auto* grid = qobject_cast<QGridLayout*>(layout())) grid->addWidget(panel, 0, grid->columnCount(), grid->rowCount(), 1);
    connect(this, &QFileDialog::currentChanged, this, [this](const QString& path) { Preview(path); });
    ReplaceExtensionOnTypeChange(*this);
}

FilePreview::Outcome Dlg_QvxFile::Preview(const QString& path) {
    const QFileInfo info(path);
    const FilePreview::Outcome outcome =
        m_preview.SelectionChanged(info.absolutePath().toStdString(), info.fileName().toStdString());
    if (outcome == FilePreview::Outcome::kShown) {
        const PreviewPicture& p = m_preview.picture();
        QImage image(reinterpret_cast<const uchar*>(p.pixels.data()), p.width, p.height, p.width * 4,
                     QImage::Format_ARGB32);
        m_picture->setPixmap(QPixmap::fromImage(image.copy()));
        m_caption->setText(QString::fromStdString(p.caption));
    } else if (outcome != FilePreview::Outcome::kUnchanged) {
        m_picture->clear();
        m_caption->clear();
    }
    // Files of several pages show the chosen page, whatever the preview said.
    if (outcome != FilePreview::Outcome::kUnchanged) m_pages->SetFile(info.isFile() ? info.absoluteFilePath() : QString());
    return outcome;
}

int Dlg_QvxFile::PageOf(const QString& path) const {
    if (m_pages->file().isEmpty() || QFileInfo(path).absoluteFilePath() != m_pages->file()) return 0;
    return m_pages->page();
}

QString Dlg_QvxFile::GetSavePath(QWidget* parent, const QString& proposed, const QString& folder, int* formatType) {
    QFileDialog dialog(parent, QString::fromUtf8(texts::kSavePromptTitle));
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    if (!folder.isEmpty()) dialog.setDirectory(folder);
    QList<int> formats;
    const QStringList filters = FileTypeFilters(true, &formats);
    dialog.setNameFilters(filters);
    // The type of the proposed name is chosen (a measurement document proposes mzr), else qvx.
    const QString proposedType = QFileInfo(proposed).suffix().toLower() + ' ';
    const auto offers = [&](const QString& type) {
        return std::any_of(filters.begin(), filters.end(), [&](const QString& f) { return f.startsWith(type); });
    };
    const QString chosenType = proposedType.size() > 1 && offers(proposedType) ? proposedType : QString("qvx ");
    for (const QString& f : filters)
        if (f.startsWith(chosenType)) dialog.selectNameFilter(f);
    dialog.selectFile(proposed);
    ReplaceExtensionOnTypeChange(dialog);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    const int index = filters.indexOf(dialog.selectedNameFilter());
    if (formatType) *formatType = index >= 0 ? formats[index] : -1;
    return dialog.selectedFiles().first();
}

}  // namespace quillory
