#pragma once
// The open dialog's page chooser: for a TIFF file of several pages or an animated
// GIF it shows the chosen page, reduced, in the dialog's preview with its number.
#include <QString>
#include <QWidget>

class QLabel;
class QSpinBox;

namespace quillory {

class PageChooser : public QWidget {
    Q_OBJECT
public:
    PageChooser(QLabel* picture, QLabel* caption, QWidget* parent);

    // The dialog's selection changed. True when the file has several pages: the chooser
    // then shows itself and the first page; otherwise it hides and leaves the preview alone.
    bool SetFile(const QString& path);

    // The chosen page of file(), counted from 0.
    int page() const;
    QString file() const { return m_file; }
    int pageCount() const { return m_pageCount; }
    QSpinBox* spinBox() const { return m_spin; }

private:
    void ShowPage(int page);

    QLabel* m_picture;
    QLabel* m_caption;
    QSpinBox* m_spin;
    QString m_file;
    int m_format = 0;
    int m_pageCount = 0;
};

}  // namespace quillory
