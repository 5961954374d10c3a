#include "shell/CDlg_AnchorLine.h"

#include <QToolButton>
#include <QVBoxLayout>

#include "core/CommandIds.h"
#include "document/ToolTexts.h"

namespace quillory {

CDlg_AnchorLine::CDlg_AnchorLine(std::function<void(int)> dispatch, QWidget* parent)
    : QDialog(parent, Qt::Tool), m_dispatch(std::move(dispatch)) {
    setObjectName("CDlg_AnchorLine");
    setWindowTitle(QString::fromUtf8(texts::kPathPanelTitle));
    auto* layout = new QVBoxLayout(this);
    struct Button {
        int id;
        const char* label;
        bool tool;
    };
    const Button buttons[] = {{cmd::kPathAddPoints, texts::kPathAddButton, true},
                              {cmd::kPathDragPoint, texts::kPathDragButton, true},
                              {cmd::kPathInsertPoint, texts::kPathInsertButton, true},
                              {cmd::kPathDeletePoint, texts::kPathDeleteButton, true},
                              {cmd::kPathMove, texts::kPathMoveButton, true},
                              {cmd::kPathToSelection, texts::kPathSelectButton, false},
                              {cmd::kPathStroke, texts::kPathStrokeButton, false}};
    for (const Button& b : buttons) {
        auto* button = new QToolButton(this);
        button->setText(QString::fromUtf8(b.label));
        button->setObjectName(QString("path%1").arg(b.id));
        button->setProperty("command", b.id);
        button->setToolButtonStyle(Qt::ToolButtonTextOnly);
        button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        button->setCheckable(b.tool);
        if (b.tool) m_tools.append(button);
        const int id = b.id;
        connect(button, &QToolButton::clicked, this, [this, id] { m_dispatch(id); });
        layout->addWidget(button);
    }
    SetCurrentTool(cmd::kPathAddPoints);
}

void CDlg_AnchorLine::SetCurrentTool(int id) {
    if (id == cmd::kPathPanel) id = cmd::kPathAddPoints;
    for (QToolButton* button : m_tools) button->setChecked(button->property("command").toInt() == id);
}

}  // namespace quillory
