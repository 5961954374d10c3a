#include "shell/CDlg_CanvasSize.h"

#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QSpinBox>
#include <QToolButton>

#include "document/TransformTexts.h"
#include "shell/OkCancelButtons.h"
#include "shell/PanelTexts.h"

namespace quillory {

CDlg_CanvasSize::CDlg_CanvasSize(int width, int height, QWidget* parent) : QDialog(parent) {
    setWindowTitle(QString::fromUtf8(shelltexts::kCanvasSizeTitle));
    auto* form = new QFormLayout(this);
    m_current = new QLabel(QString::asprintf(texts::kCanvasSizeCurrent, width, height), this);
    form->addRow(m_current);
    m_width = new QSpinBox(this);
    m_height = new QSpinBox(this);
    m_width->setRange(1, 100000);
    m_height->setRange(1, 100000);
    m_width->setValue(width);
    m_height->setValue(height);
    form->addRow(QString::fromUtf8(texts::kImageSizeWidth), m_width);
    form->addRow(QString::fromUtf8(texts::kImageSizeHeight), m_height);
    auto* box = new QGroupBox(QString::fromUtf8(texts::kCanvasSizeAnchor), this);
    auto* grid = new QGridLayout(box);
    auto* group = new QButtonGroup(this);
    group->setExclusive(true);
    for (int i = 0; i < 9; ++i) {
        auto* b = new QToolButton(box);
        b->setCheckable(true);
        b->setFixedSize(28, 28);
        b->setObjectName(QString("anchor%1").arg(i));
        b->setText(i == 4 ? QString::fromUtf8("●") : QString());
        group->addButton(b, i);
        grid->addWidget(b, i / 3, i % 3);
        m_anchors[i] = b;
    }
    m_anchors[m_anchor]->setChecked(true);
    connect(group, &QButtonGroup::idClicked, this, [this](int id) {
        m_anchor = id;
        // The pressed button marks where the old picture stays.
        for (int i = 0; i < 9; ++i) m_anchors[i]->setText(i == id ? QString::fromUtf8("●") : QString());
    });
    form->addRow(box);
    QDialogButtonBox* buttons = OkCancelButtons(*this);
    form->addRow(buttons);
}

CommandParameters CDlg_CanvasSize::Parameters() const {
    CommandParameters p;
    p.Set("width", std::to_string(m_width->value()));
    p.Set("height", std::to_string(m_height->value()));
    p.Set("anchor", std::to_string(m_anchor));
    return p;
}

}  // namespace quillory
