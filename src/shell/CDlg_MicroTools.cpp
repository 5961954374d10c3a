#include "shell/CDlg_MicroTools.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "core/CommandIds.h"
#include "measure/MeasureTexts.h"
#include "shell/Utf8Text.h"

namespace quillory {

namespace {

// The measuring tools and the measurement's own commands.
const std::vector<std::pair<int, const char*>> kMeasurePage = {
    {cmd::kToolMeasureSelect, mtexts::kToolSelectEdit},      {cmd::kToolPointMark, mtexts::kToolPointMark},
    {cmd::kToolMeasureSegment, mtexts::kToolSegment},        {cmd::kToolParallelLines, mtexts::kToolParallel},
    {cmd::kToolMeasureRectangle, mtexts::kToolRectangle},    {cmd::kToolLineDistance, mtexts::kToolLineDistance},
    {cmd::kToolMeasureCircle, mtexts::kToolCircle},          {cmd::kToolMeasureAngle, mtexts::kToolAngle},
    {cmd::kToolMeasurePolygon, mtexts::kToolPolygon},        {cmd::kToolMeasurePolyline, mtexts::kToolPolyline},
    {cmd::kToolAddVertex, mtexts::kToolAddVertex},           {cmd::kToolRemoveVertex, mtexts::kToolRemoveVertex},
    {cmd::kMeasureContinuousOff, mtexts::kToolEndContinuous}, {cmd::kSetReference, mtexts::kButtonSetReference},
    {cmd::kAutoReference, mtexts::kButtonAutoReference},     {cmd::kRedrawMeasure, mtexts::kButtonRedraw},
    {cmd::kAnalysisSettings, mtexts::kButtonAnalysisSettings}, {cmd::kExportWorkbook, mtexts::kButtonExportWorkbook},
};

// The picture-editing commands a measurement needs.
const std::vector<std::pair<int, const char*>> kImagePage = {
    {cmd::kToolColourRange, mtexts::kButtonPattern},   {cmd::kStraightenImage, mtexts::kButtonStraighten},
    {cmd::kCanvasRotateRight, mtexts::kButtonRotateRight}, {cmd::kCanvasRotateLeft, mtexts::kButtonRotateLeft},
    {cmd::kCanvasRotate180, mtexts::kButtonRotate180}, {cmd::kToolFreeRotate, mtexts::kButtonFreeRotate},
    {cmd::kTool5615, mtexts::kButtonPath},             {cmd::kResizePicture, mtexts::kButtonResize},
    {cmd::kToolRectSelect, mtexts::kButtonRectSelect}, {cmd::kCropToNew, mtexts::kButtonCropToNew},
    {cmd::kCanvasSize, mtexts::kButtonCanvasSize},     {cmd::kTextInput, mtexts::kButtonTextInput},
    {cmd::kMultiFocus, mtexts::kCmdMultiFocus},
};

bool IsToolButton(int id) {
    return id == cmd::kToolMeasureSelect || id == cmd::kToolPointMark || id == cmd::kToolMeasureSegment ||
           id == cmd::kToolParallelLines || id == cmd::kToolMeasureRectangle || id == cmd::kToolLineDistance ||
           id == cmd::kToolMeasureCircle || id == cmd::kToolMeasureAngle || id == cmd::kToolMeasurePolygon ||
           id == cmd::kToolMeasurePolyline || id == cmd::kToolAddVertex || id == cmd::kToolRemoveVertex;
}

}  // namespace

CDlg_MicroTools::CDlg_MicroTools(Dispatch dispatch, Update update, QWidget* parent)
    : QDialog(parent, Qt::Tool), m_dispatch(std::move(dispatch)), m_update(std::move(update)) {
    setObjectName("CDlg_MicroTools");
    setWindowTitle(Text(mtexts::kPaletteTitle));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setSpacing(3);
    m_tabs = new QTabWidget(this);
    m_tabs->addTab(MakePage(kMeasurePage, true), Text(mtexts::kTabMeasure));
    m_tabs->addTab(MakePage(kImagePage, false), Text(mtexts::kTabImage));
    layout->addWidget(m_tabs);
    auto* hint = new QLabel(Text(mtexts::kPaletteHint), this);
    hint->setAlignment(Qt::AlignCenter);
    layout->addWidget(hint);
    m_reference = new QLabel(Text(mtexts::kReferenceCaption), this);
    m_reference->setObjectName("referenceLine");
    m_reference->setWordWrap(true);
    layout->addWidget(m_reference);
    m_pending = new QLabel(Text(mtexts::kPendingHint1) + "\n" + Text(mtexts::kPendingHint2), this);
    m_pending->setObjectName("pendingHint");
    m_pending->setStyleSheet("color: #a03000;");
    m_pending->hide();
    layout->addWidget(m_pending);
    m_picking = new QLabel(Text(mtexts::kReferencePickHint), this);
    m_picking->setObjectName("referencePickHint");
    m_picking->setWordWrap(true);
    m_picking->setStyleSheet("color: #a03000;");
    m_picking->hide();
    layout->addWidget(m_picking);
}

QWidget* CDlg_MicroTools::MakePage(const std::vector<std::pair<int, const char*>>& buttons, bool tools) {
    auto* page = new QWidget(this);
    auto* grid = new QGridLayout(page);
    grid->setContentsMargins(3, 3, 3, 3);
    grid->setSpacing(2);
    int index = 0;
    for (const auto& [id, label] : buttons) {
        const int command = id;
        auto* button = new QPushButton(Text(label), page);
        button->setObjectName(QString("measure%1").arg(command));
        button->setCheckable(tools && IsToolButton(command));
        button->setMinimumHeight(22);
        button->setFocusPolicy(Qt::NoFocus);
        connect(button, &QPushButton::clicked, this, [this, command] {
            if (m_dispatch) m_dispatch(command);
        });
        grid->addWidget(button, index / 2, index % 2);
        m_buttons.insert(command, button);
        ++index;
    }
    grid->setRowStretch(index / 2 + 1, 1);
    return page;
}

void CDlg_MicroTools::Refresh(const QString& referenceLine, bool pending, bool picking) {
    for (auto it = m_buttons.begin(); it != m_buttons.end(); ++it) {
        const CommandState state = m_update ? m_update(it.key()) : CommandState{};
        it.value()->setEnabled(state.enabled);
        if (it.value()->isCheckable()) it.value()->setChecked(state.checked);
    }
    m_reference->setText(Text(mtexts::kReferenceCaption) + " " + referenceLine);
    m_pending->setVisible(pending);
    m_picking->setVisible(picking);
}

QString CDlg_MicroTools::ReferenceText() const { return m_reference->text(); }

bool CDlg_MicroTools::PendingHintShown() const { return !m_pending->isHidden(); }

}  // namespace quillory
