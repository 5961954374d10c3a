#include "shell/CDlg_Layer.h"

#include <QComboBox>
#include <QContextMenuEvent>
#include <QDropEvent>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>

#include "document/DocumentTexts.h"
#include "document/LayerStack.h"
#include "document/UndoHistory.h"
#include "document/Utf16.h"
#include "shell/CMainFrame.h"
#include "shell/DocumentSession.h"
#include "shell/ShellTexts.h"
#include "core/CommandIds.h"

namespace quillory {

void LayerListWidget::dropEvent(QDropEvent* event) {
    // The list itself does not move the row: the document exchanges the layers and the rows are rebuilt.
    event->setDropAction(Qt::IgnoreAction);
    event->accept();
    DropAt(event->position().toPoint());
}

void LayerListWidget::DropAt(const QPoint& position) {
    QListWidgetItem* target = itemAt(position);
    const int from = currentRow();
    if (target && from >= 0 && row(target) != from) Q_EMIT swapRequested(from, row(target));
}

CDlg_Layer::CDlg_Layer(CMainFrame* frame) : QDialog(frame, Qt::Tool), m_frame(frame) {
    setObjectName("CDlg_Layer");
    setWindowTitle(QString::fromUtf8(shelltexts::kLayerWindowTitle));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    m_tabs = new QTabWidget(this);
    layout->addWidget(m_tabs);

    auto* layers = new QWidget(m_tabs);
    auto* column = new QVBoxLayout(layers);
    column->setContentsMargins(2, 2, 2, 2);
    auto* top = new QHBoxLayout;
    m_blend = new QComboBox(layers);
    // Codes 0 and 1 both blend normally and share the one "표준상태" entry.
    for (int code = 0; code < BlendMode::Count; ++code)
        if (code != BlendMode::NormalAlt) m_blend->addItem(QString::fromUtf8(BlendModeText(uint8_t(code))));
    top->addWidget(m_blend);
    column->addLayout(top);
    auto* transparency = new QHBoxLayout;
    transparency->addWidget(new QLabel(QString::fromUtf8(shelltexts::kLayerTransparency), layers));
    m_slider = new QSlider(Qt::Horizontal, layers);
    m_slider->setRange(0, 255);
    m_number = new QSpinBox(layers);
    m_number->setRange(0, 255);
    transparency->addWidget(m_slider, 1);
    transparency->addWidget(m_number);
    column->addLayout(transparency);
    m_list = new LayerListWidget(layers);
    m_list->setDragDropMode(QAbstractItemView::InternalMove);
    m_list->setDefaultDropAction(Qt::MoveAction);
    m_list->viewport()->setAcceptDrops(true);
    m_list->setContextMenuPolicy(Qt::CustomContextMenu);
    column->addWidget(m_list, 1);
    m_tabs->addTab(layers, QString::fromUtf8(shelltexts::kLayerTab));

    auto* history = new QWidget(m_tabs);
    auto* historyColumn = new QVBoxLayout(history);
    historyColumn->setContentsMargins(2, 2, 2, 2);
    m_history = new QListWidget(history);
    historyColumn->addWidget(m_history, 1);
    auto* buttons = new QHBoxLayout;
    m_undo = new QPushButton(QString::fromUtf8(shelltexts::kHistoryUndo), history);
    m_redo = new QPushButton(QString::fromUtf8(shelltexts::kHistoryRedo), history);
    buttons->addWidget(m_undo);
    buttons->addWidget(m_redo);
    historyColumn->addLayout(buttons);
    m_tabs->addTab(history, QString::fromUtf8(shelltexts::kHistoryTab));

    connect(m_undo, &QPushButton::clicked, this, [this] { m_frame->Dispatch(cmd::kEditUndo); });
    connect(m_redo, &QPushButton::clicked, this, [this] { m_frame->Dispatch(cmd::kEditRedo); });
    connect(m_list, &QListWidget::currentRowChanged, this, &CDlg_Layer::OnRowChanged);
    connect(m_list, &QListWidget::itemChanged, this, &CDlg_Layer::OnItemChanged);
    connect(m_list, &LayerListWidget::swapRequested, this, &CDlg_Layer::SwapRows);
    connect(m_list, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) {
        bool ok = false;
        const QString name = QInputDialog::getText(this, QString::fromUtf8(shelltexts::kRenameLayerTitle),
                                                   QString::fromUtf8(shelltexts::kRenameLayerTitle), QLineEdit::Normal,
                                                   item->data(Qt::UserRole + 1).toString(), &ok);
        if (ok) RenameRow(m_list->row(item), name);
    });
    connect(m_list, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        std::unique_ptr<QMenu> menu(m_frame->BuildMenu(LayerContextMenu(), this));
        m_frame->RefreshCommandStates();
        menu->exec(m_list->viewport()->mapToGlobal(at));
    });
    connect(m_slider, &QSlider::valueChanged, this, &CDlg_Layer::ApplyTransparency);
    connect(m_number, &QSpinBox::valueChanged, this, &CDlg_Layer::ApplyTransparency);
    connect(m_blend, &QComboBox::textActivated, this, &CDlg_Layer::ApplyBlend);
    Refresh();
}

QString CDlg_Layer::RowText(const QString& name, int kind, bool changed) {
    QString text = changed ? QString::fromUtf8(shelltexts::kLayerChangedMark) + " " + name : name;
    if (kind == LayerKind::Text) text += " " + QString::fromUtf8(texts::kTextLayerLabel);
    if (kind == LayerKind::Floating) text += " " + QString::fromUtf8(texts::kFloatingLayerLabel);
    if (kind == LayerKind::Measure) text += " " + QString::fromUtf8(texts::kMeasureLayerLabel);
    return text;
}

void CDlg_Layer::SetDocument(DocumentSession* document) {
    m_document = document;
    Refresh();
}

void CDlg_Layer::Refresh() {
    // Rebuilding the rows from inside a row's own signal would delete the item under it.
    if (m_inHandler) {
        QMetaObject::invokeMethod(this, &CDlg_Layer::Refresh, Qt::QueuedConnection);
        return;
    }
    m_refreshing = true;
    m_list->clear();
    m_rowLayers.clear();
    const bool any = m_document != nullptr;
    for (QWidget* w : std::initializer_list<QWidget*>{m_slider, m_number, m_blend, m_list}) w->setEnabled(any);
    if (any) {
        const LayerStack& stack = m_document->stack();
        int currentRow = -1;
        for (int i = stack.headLayer, guard = 0; LayerStack::IsValidIndex(i) && guard < kMaxLayers;
             i = stack.Layer(i).next, ++guard) {
            const LayerRecord& layer = stack.Layer(i);
            const QString name = QString::fromStdU16String(FixedName(layer.name));
            auto* item = new QListWidgetItem(RowText(name, layer.kind, layer.changed != 0));
            item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable | Qt::ItemIsDragEnabled |
                           Qt::ItemIsDropEnabled);
            item->setCheckState(layer.visible == 1 ? Qt::Checked : Qt::Unchecked);
            item->setData(Qt::UserRole, i);
            item->setData(Qt::UserRole + 1, name);
            m_list->addItem(item);
            if (i == stack.currentLayer) currentRow = m_list->count() - 1;
            m_rowLayers.append(i);
        }
        m_list->setCurrentRow(currentRow);
        if (LayerStack::IsValidIndex(stack.currentLayer)) {
            const LayerRecord& cur = stack.Layer(stack.currentLayer);
            m_slider->setValue(cur.transparency);
            m_number->setValue(cur.transparency);
            m_blend->setCurrentText(QString::fromUtf8(BlendModeText(cur.blendMode)));
        }
    }
    m_history->clear();
    if (any)
        for (const std::string& row : m_document->doc().History().HistoryRows())
            m_history->addItem(QString::fromStdString(row));
    m_undo->setEnabled(any && m_document->doc().History().CanUndo());
    m_redo->setEnabled(any && m_document->doc().History().CanRedo());
    m_refreshing = false;
}

void CDlg_Layer::Changed() {
    if (!m_document) return;
    ++m_inHandler;
    m_frame->DocumentChanged(m_document);
    --m_inHandler;
}

void CDlg_Layer::OnRowChanged(int row) {
    if (m_refreshing || !m_document || row < 0 || row >= m_rowLayers.size()) return;
    m_document->doc().SelectLayer(m_rowLayers[row]);
    Refresh();
    m_frame->RefreshCommandStates();
}

void CDlg_Layer::OnItemChanged(QListWidgetItem* item) {
    if (m_refreshing || !m_document) return;
    SetRowVisible(m_list->row(item), item->checkState() == Qt::Checked);
}

bool CDlg_Layer::RunOnLayer(int command, int layer, const std::string& key, const std::string& value) {
    if (!m_document || !LayerStack::IsValidIndex(layer)) return false;
    const CommandParameters parameters{{"layer", std::to_string(layer)}, {key, value}};
    if (!m_document->Execute(command, parameters)) return false;
    Changed();
    return true;
}

void CDlg_Layer::SetRowVisible(int row, bool visible) {
    if (row < 0 || row >= m_rowLayers.size()) return;
    RunOnLayer(cmd::kLayerVisibility, m_rowLayers[row], "visible", visible ? "1" : "0");
}

void CDlg_Layer::RenameRow(int row, const QString& name) {
    if (row < 0 || row >= m_rowLayers.size()) return;
    RunOnLayer(cmd::kLayerRename, m_rowLayers[row], "name", name.left(kNameUnits).toStdString());
}

void CDlg_Layer::SwapRows(int fromRow, int toRow) {
    if (fromRow < 0 || toRow < 0 || fromRow >= m_rowLayers.size() || toRow >= m_rowLayers.size()) return;
    RunOnLayer(cmd::kLayerReorder, m_rowLayers[fromRow], "with", std::to_string(m_rowLayers[toRow]));
}

void CDlg_Layer::ApplyTransparency(int value) {
    if (m_refreshing || !m_document) return;
    RunOnLayer(cmd::kLayerTransparency, m_document->stack().currentLayer, "value", std::to_string(value));
}

void CDlg_Layer::ApplyBlend(const QString& text) {
    if (m_refreshing || !m_document) return;
    // Any text not in the list blends normally.
    const uint8_t mode = BlendModeFromText(text.toStdString());
    RunOnLayer(cmd::kLayerBlendMode, m_document->stack().currentLayer, "mode", std::to_string(mode));
}

}  // namespace quillory
