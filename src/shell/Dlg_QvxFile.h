#pragma once
// The open dialog with a preview of native documents and PSD files (reduced to
// 225 × 180 with its caption), and the save prompt of the same family.
#include <QFileDialog>

#include "core/FilePreview.h"

class QLabel;

namespace quillory {
class PageChooser;
}

namespace quillory {

class Dlg_QvxFile : public QFileDialog {
    Q_OBJECT
public:
    Dlg_QvxFile(QWidget* parent, const QString& folder);

    // The save prompt: title "이미지 저장", the proposed name, the writable types.
    // Returns the chosen path ("" when cancelled) and the chosen type's format code.
    static QString GetSavePath(QWidget* parent, const QString& proposed, const QString& folder, int* formatType);

    // Shows the preview of a file as the dialog does when the selection changes.
    FilePreview::Outcome Preview(const QString& path);
    QLabel* previewLabel() const { return m_picture; }
    QLabel* captionLabel() const { return m_caption; }
    FilePreview& preview() { return m_preview; }
    // The page chosen for a multi-page file in the preview (0 for every other file).
    int PageOf(const QString& path) const;
    PageChooser* pageChooser() const { return m_pages; }

private:
    FilePreview m_preview;
    QLabel* m_picture = nullptr;
    QLabel* m_caption = nullptr;
    PageChooser* m_pages = nullptr;
};

// Qt filters from the file-type table, for opening or for saving, and the format
// code of each (-1 for all files). The save prompt offers only the types that are written.
QStringList FileTypeFilters(bool forSave, QList<int>* formats = nullptr);

}  // namespace quillory
