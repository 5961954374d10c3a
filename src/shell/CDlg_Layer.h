#pragma once
// The layer window "레이어.작업내역": the layer list from the bottom layer up with
// visibility, transparency, blend mode, renaming and drag-to-reorder; and the
// history tab with its undo and redo buttons.
#include <QDialog>
#include <QListWidget>
#include <string>

class QComboBox;
class QPushButton;
class QSlider;
class QSpinBox;
class QTabWidget;

namespace quillory {

class CMainFrame;
class DocumentSession;

// Dropping a row onto another exchanges the two layers instead of moving the row.
class LayerListWidget : public QListWidget {
    Q_OBJECT
public:
    using QListWidget::QListWidget;
    // The current row dropped at a point of the viewport.
    void DropAt(const QPoint& position);
Q_SIGNALS:
    void swapRequested(int fromRow, int toRow);

protected:
    void dropEvent(QDropEvent* event) override;
};

class CDlg_Layer : public QDialog {
    Q_OBJECT
public:
    explicit CDlg_Layer(CMainFrame* frame);

    void SetDocument(DocumentSession* document);
    void Refresh();

    // Slot index of each row, bottom layer first.
    QList<int> RowLayers() const { return m_rowLayers; }
    LayerListWidget* layerList() const { return m_list; }
    QSlider* transparencySlider() const { return m_slider; }
    QSpinBox* transparencyField() const { return m_number; }
    QComboBox* blendList() const { return m_blend; }
    QListWidget* historyList() const { return m_history; }
    QPushButton* undoButton() const { return m_undo; }
    QPushButton* redoButton() const { return m_redo; }
    QTabWidget* tabs() const { return m_tabs; }

    // The text of a row: change mark, name and kind label.
    static QString RowText(const QString& name, int kind, bool changed);

    // Actions of the window, also driven by tests.
    void SwapRows(int fromRow, int toRow);
    void SetRowVisible(int row, bool visible);
    void RenameRow(int row, const QString& name);

private:
    void OnRowChanged(int row);
    void OnItemChanged(QListWidgetItem* item);
    void ApplyTransparency(int value);
    void ApplyBlend(const QString& text);
    // A registered layer command on one layer with one named value; false when refused.
    bool RunOnLayer(int command, int layer, const std::string& key, const std::string& value);
    void Changed();

    CMainFrame* m_frame;
    DocumentSession* m_document = nullptr;
    QTabWidget* m_tabs;
    LayerListWidget* m_list;
    QSlider* m_slider;
    QSpinBox* m_number;
    QComboBox* m_blend;
    QListWidget* m_history;
    QPushButton* m_undo;
    QPushButton* m_redo;
    QList<int> m_rowLayers;
    bool m_refreshing = false;
    int m_inHandler = 0;
};

}  // namespace quillory
